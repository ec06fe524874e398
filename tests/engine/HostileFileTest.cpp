// Damaged and hostile sources, built from the recipes of
// tests/data/engine/hostile.tsv: each gives its error code when the job reads
// it, and its page count or walk error when the page tree is walked. Then
// sizes and depths that outside data decides: each hostile value ends in an
// error code (or is read as the number it is) without a crash, a hang, or
// memory out of proportion to the input. Last, inputs the fuzz targets found
// (fuzz/regressions/job holds the files as found; tests/fuzz replays them),
// each with the sound result; the page-tree findings are rows of hostile.tsv.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/PdfJob.h"
#include "engine/XrefReader.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "support/Manifest.h"
#include "support/Sanitized.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"
#include "tests/engine/TestPdf.h"

namespace sgry {
namespace {

using test::FlatPdf;
using test::TestPdf;

std::string WithPlaceholders(std::string text, const TestPdf& pdf) {
    char last[24];
    std::snprintf(last, sizeof last, "%010ld", pdf.LastXref());
    const std::pair<std::string, std::string> names[] = {{"{here}", std::to_string(pdf.Bytes().size())},
                                                         {"{last10}", last}};
    for (const auto& [name, value] : names)
        for (std::size_t at; (at = text.find(name)) != std::string::npos;) text.replace(at, name.size(), value);
    return text;
}

// The file a recipe describes (commands separated by " ;; ").
std::string Build(const std::string& recipe) {
    TestPdf pdf;
    std::string before;
    std::vector<std::pair<std::string, std::string>> replacements;
    std::size_t mark = 0;
    for (std::size_t start = 0; start <= recipe.size();) {
        const std::size_t end = std::min(recipe.find(" ;; ", start), recipe.size());
        const std::string command = recipe.substr(start, end - start);
        start = end + 4;
        const std::size_t space = command.find(' ');
        const std::string verb = command.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : command.substr(space + 1);
        const std::size_t split = rest.find(' ');
        const std::string first = rest.substr(0, split);
        const std::string second = split == std::string::npos ? "" : rest.substr(split + 1);
        if (verb == "obj") pdf.Object(std::stoi(first), second);
        if (verb == "xref") pdf.EndSection(std::stoi(first), second.empty() ? "/Root 1 0 R" : WithPlaceholders(second, pdf));
        if (verb == "raw") pdf.Raw(rest);
        if (verb == "mark") mark = pdf.Bytes().size();
        if (verb == "startxref") pdf.Raw("startxref\n" + std::to_string(mark) + "\n%%EOF\n");
        if (verb == "before") before = rest;
        if (verb == "replace") replacements.emplace_back(first, WithPlaceholders(second, pdf));
    }
    std::string bytes = pdf.Bytes();
    for (const auto& [from, to] : replacements) {
        const std::size_t at = bytes.rfind(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) bytes.replace(at, from.size(), to);
    }
    return before + bytes;
}

constexpr const char* kRepairNames[] = {"", "rebuilt", "not-pdf", "cut-short", "beyond-repair"};

TEST(HostileFileTest, EveryRecipeGivesItsCodes) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("engine/hostile.tsv");
    ASSERT_GT(rows.size(), 30u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("hostile.tsv line " + std::to_string(row.line) + " " + row[0]);
        std::unique_ptr<PdfJob> job = PdfJob::FromBytes(Build(row[1]));
        const Repair repair = job->RepairState();
        const JobError firstError = job->ReadError();
        if (row[2] != "*") {
            EXPECT_EQ(std::to_string(CodeNumber(firstError)), row[2]);
        }
        EXPECT_EQ(kRepairNames[static_cast<std::size_t>(repair)], row[4]);
        EXPECT_EQ(job->ErrorCode(), repair == Repair::Rebuilt ? JobError::None : firstError);
        if (row[3].empty()) continue;
        const bool walked = job->BuildPageList(PageRangeChoice{});
        EXPECT_EQ(walked, row[3][0] == '=');
        EXPECT_EQ(row[3].substr(1), std::to_string(walked ? job->Pages().Count() : CodeNumber(job->Pages().ErrorCode())));
    }
}

std::unique_ptr<PdfJob> Read(const std::string& bytes) { return PdfJob::FromBytes(bytes); }

std::string WithTrailerSize(const std::string& size) {
    std::string pdf = FlatPdf({""});
    const size_t at = pdf.rfind("/Size 4");
    return pdf.replace(at, 7, "/Size " + size);
}

TEST(EngineBoundsTest, ObjectNumbersRunningOutFailTheUpdateAndCutItBack) {
    const std::string source = WithTrailerSize("2147483646");
    std::unique_ptr<PdfJob> job = Read(source);
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    ASSERT_TRUE(job->BuildPageList(PageRangeChoice{}));  // takes the last number
    ASSERT_TRUE(job->BuildWriteTable());
    EXPECT_EQ(job->AllocateObjectNumber(), -1);
    job->WritePageObject(0);
    job->WritePageContent(0, "q Q");
    EXPECT_FALSE(job->FinishUpdate());
    EXPECT_EQ(job->ErrorCode(), JobError::WriteFailed);
    EXPECT_TRUE(job->UndoUpdate());
    EXPECT_EQ(job->File().MemoryBytes(), source);
}

// A subsection starting at 2^32 + 1 would otherwise stand for object 1; one
// at the top of 64 bits saturates, and counting on from it must stay defined
// (the sanitizer build checks).
TEST(EngineBoundsTest, CrossReferenceNumbersBeyondThirtyTwoBitsAreNotEntered) {
    for (const auto& [first, count] : {std::pair{"4294967297", 1}, std::pair{"99999999999999999999999", 3}}) {
        SCOPED_TRACE(first);
        std::string bytes = "%PDF-1.4\n%" + std::string(100, 'x') + "\n";
        const size_t object = bytes.size();
        bytes += "1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
        const size_t xref = bytes.size();
        bytes += "xref\n" + std::string(first) + " " + std::to_string(count) + "\n";
        for (int i = 0; i < count; ++i) bytes += TestPdf::XrefLine(object);
        bytes += "trailer\n<< /Size 3 /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        PdfFile file;
        file.OpenMemory(bytes);
        TokenReader reader(file);
        ObjectOffsetTable table;
        EXPECT_EQ(XrefReader(reader, table).ReadChain(static_cast<int64_t>(xref)), JobError::None);
        EXPECT_EQ(table.Count(), 0);
    }
}

TEST(EngineBoundsTest, ResourcesNestedTenThousandDeepFailThePageNotTheProcess) {
    std::string deep;
    for (int i = 0; i < 10000; ++i) deep += "<< /A ";
    for (int i = 0; i < 10000; ++i) deep += ">> ";
    TestPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
        .Object(3, "<< /Type /Page /Parent 2 0 R /Resources 4 0 R /Extra " + deep + " >>")
        .Object(4, "<< /Font " + deep + " >>")
        .EndSection(5);
    std::unique_ptr<PdfJob> job = Read(pdf.Bytes());
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    ASSERT_TRUE(job->BuildPageList(PageRangeChoice{}));
    ASSERT_TRUE(job->BuildWriteTable());
    EXPECT_TRUE(job->WritePageObject(0));  // the page dictionary copy counts, it does not recurse
    std::vector<std::string> names;
    EXPECT_FALSE(job->WritePageResources(0, {{ResourceRequest::Category::Font, 9}}, names));
    EXPECT_EQ(job->PageWriterCode(), PageWriterError::ResourcesUnreadable);
}

TEST(EngineBoundsTest, PageTreeNestedTenThousandDeepFailsTheWalk) {
    TestPdf pdf;
    const int depth = 10000;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    for (int n = 2; n < 2 + depth; ++n)
        pdf.Object(n, "<< /Type /Pages /Kids [" + std::to_string(n + 1) + " 0 R] /Count 1 >>");
    pdf.Object(2 + depth, "<< /Type /Page >>").EndSection(3 + depth);
    std::unique_ptr<PdfJob> job = Read(pdf.Bytes());
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_FALSE(job->BuildPageList(PageRangeChoice{}));
    EXPECT_EQ(job->Pages().ErrorCode(), PageListError::Unreachable);
}

// A tree node with `kids` references to one page object.
std::string ManyKids(int kids) {
    std::string list;
    list.reserve(static_cast<size_t>(kids) * 6);
    for (int i = 0; i < kids; ++i) list += "3 0 R ";
    TestPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Object(2, "<< /Type /Pages /Kids [" + list + "] /Count " + std::to_string(kids) + " >>")
        .Object(3, "<< /Type /Page /Parent 2 0 R /Resources 4 0 R >>")
        .Object(4, "<< >>")
        .EndSection(5);
    return pdf.Bytes();
}

// Seconds the walk of the file takes; the page list must hold every kid.
double TimedWalk(const std::string& bytes, int kids) {
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<PdfJob> job = Read(bytes);
    EXPECT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_TRUE(job->BuildPageList(PageRangeChoice{}));
    const auto end = std::chrono::steady_clock::now();
    EXPECT_EQ(job->Pages().Count(), kids);
    if (job->Pages().Count() == kids) {
        EXPECT_EQ(job->Pages().At(kids - 1).ordinal, kids);
    }
    return std::chrono::duration<double>(end - start).count();
}

TEST(EngineBoundsTest, MillionKidsAreWalkedInLinearTime) {
    // Six bytes of input per page; the page list grows in proportion and is
    // not copied a hundred entries at a time. Ten times the kids may take
    // ten times as long, with room for noise, not a hundred times.
    const int kids = test::kSanitized ? 100000 : 1000000;
    const double tenth = TimedWalk(ManyKids(kids / 10), kids / 10);
    const double whole = TimedWalk(ManyKids(kids), kids);
    EXPECT_LT(whole, 30 * tenth + 0.5) << kids / 10 << " kids: " << tenth << " s, " << kids << " kids: " << whole << " s";
}

// Stamps every page with one font request and finishes the update; returns
// the whole output.
std::string Update(const std::string& source) {
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    EXPECT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_TRUE(job->BuildPageList(PageRangeChoice{}));
    EXPECT_TRUE(job->BuildWriteTable());
    const int32_t font = job->AllocateObjectNumber();
    for (int32_t i = 0; i < job->Pages().Count(); ++i) {
        std::vector<std::string> names;
        EXPECT_TRUE(job->WritePageObject(i));
        EXPECT_TRUE(job->WritePageResources(i, {{ResourceRequest::Category::Font, font}}, names));
        EXPECT_TRUE(job->WritePageContent(i, "q Q"));
    }
    EXPECT_TRUE(job->FinishUpdate());
    return job->File().MemoryBytes();
}

std::string NewestTrailer(const std::string& file) { return file.substr(file.rfind("trailer\r\n")); }

TEST(FuzzRegressionTest, TrailerWithoutItsKeywordStillNamesTheRoot) {
    std::string source = FlatPdf({""});
    const size_t at = source.rfind("trailer");
    source.replace(at, 7, "trai\xA6" "er");  // one damaged byte, as found
    const std::string out = Update(source);
    EXPECT_NE(NewestTrailer(out).find("/Root 1 0 R"), std::string::npos) << NewestTrailer(out);
    std::unique_ptr<PdfJob> again = PdfJob::FromBytes(out);
    EXPECT_NE(again->ErrorCode(), JobError::NoRoot);
}

TEST(FuzzRegressionTest, RootOutsideTheTrailerDictionaryHasTheTableRebuilt) {
    // A "/Root" among the entries is damage; the trailer's own /Root names no
    // object, so the rebuilt table takes the catalog itself, and the update
    // leads every reader to it alone.
    std::string source = FlatPdf({""});
    source.replace(source.rfind("trailer"), 7, "/Root 1 0 R trailer");
    source.replace(source.rfind("/Root 1 0 R >>"), 14, "/Root 77 0 R >>");
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_EQ(job->RepairState(), Repair::Rebuilt);
    const std::string out = Update(source);
    EXPECT_EQ(NewestTrailer(out).substr(0, NewestTrailer(out).find("startxref")),
              "trailer\r\n<< /Size 8\r\n/Root 1 0 R >>\r\n");
    // The objects, old and new, in runs of consecutive numbers from the free head on.
    const std::string section = out.substr(out.rfind("\r\nxref\r\n") + 2, 6 + 5 + 20 * 2);
    EXPECT_EQ(section.substr(0, 31), "xref\r\n0 6\r\n0000000000 65535 f\r\n");
    EXPECT_EQ(section.substr(31), Format("%010ld 00000 n\r\n", static_cast<int64_t>(source.find("1 0 obj"))));
    std::unique_ptr<PdfJob> again = PdfJob::FromBytes(out);
    EXPECT_EQ(again->ErrorCode(), JobError::None);
    EXPECT_EQ(again->RepairState(), Repair::NotNeeded);
}

TEST(FuzzRegressionTest, TrailerWithAnOpenHexStringKeepsTheEntriesBeforeIt) {
    // "<b2?] >>" runs to the first ">" for a reader, past the trailer's end;
    // the copy stops before /ID and still closes.
    std::string source = FlatPdf({""});
    source.replace(source.rfind("/Root 1 0 R >>"), 14, "/Root 1 0 R /Info << /Title (a b) >> /ID [<a1><b2?] >>");
    const std::string out = Update(source);
    EXPECT_EQ(NewestTrailer(out).substr(0, NewestTrailer(out).find("startxref")),
              "trailer\r\n<< /Size 8/Prev " + std::to_string(PdfJob::FromBytes(source)->SourceStartxref()) +
                  "\r\n\r\n/Root 1 0 R \r\n/Info <<\r\n/Title (a b)\r\n>> >> \r\n");
    EXPECT_EQ(PdfJob::FromBytes(out)->ErrorCode(), JobError::None);
}

TEST(FuzzRegressionTest, NulBytesOfCopiedTokensAreWrittenWhole) {
    // Raw UTF-16 text in a literal string carries NUL bytes; the merged
    // resources object and the page object must keep every byte after them.
    const std::string name("(\xFE\xFF\0L\0a\0y)", 10);
    const std::string source =
        FlatPdf({"/Resources << /Properties << /MC0 << /Name " + name + " >> >> >> /PieceInfo " + name});
    const std::string out = Update(source);
    const std::string update = out.substr(source.size());
    EXPECT_NE(update.find("/Name " + name + "\r\n>>\r\n>>"), std::string::npos);
    EXPECT_NE(update.find("/PieceInfo " + name + " >> "), std::string::npos);
    std::unique_ptr<PdfJob> again = PdfJob::FromBytes(out);
    EXPECT_EQ(again->ErrorCode(), JobError::None);
    EXPECT_EQ(again->StoredPageCount(), 1);
    if (test::ToolExists("qpdf")) {
        const test::ScratchDir dir("nul-token");
        test::ScratchDir::Write(dir.File("a.pdf"), out);
        std::string report;
        EXPECT_EQ(test::RunShell("qpdf --check " + test::Quoted(dir.File("a.pdf")) + " 2>&1", &report) % 3, 0)
            << report;
    }
}

TEST(FuzzRegressionTest, SizeBelowTheNumbersInUseDoesNotReuseThem) {
    // /Size 1 would number the first new object 1, over the catalog.
    std::string source = FlatPdf({""});
    source.replace(source.rfind("/Size 4"), 7, "/Size 1");
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_EQ(job->SourceSize(), 1);
    EXPECT_EQ(job->NextObjectNumber(), 4);  // one above object 3, the highest listed
    const std::string out = Update(source);
    EXPECT_EQ(PdfJob::FromBytes(out)->ErrorCode(), JobError::None);
    EXPECT_NE(NewestTrailer(out).find("<< /Size "), std::string::npos);
}

}  // namespace
}  // namespace sgry
