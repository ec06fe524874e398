// Reading a source: its cross-reference sections into the table of object
// offsets, and the table itself; sources whose cross-reference data are
// streams and whose objects lie in object streams (the chain, hybrid files,
// every reader of the job on compressed objects, and hostile sizes); the page
// selection of a run (ranges and the labels page numbers print), rotations,
// and the page list the walk of the page tree builds (boxes and rotation as
// readers show them). Last, the tokens that the page-object and trailer
// copies join on one line (comments left out, literal strings whole), and the
// count of the restores a page's content makes beyond its saves.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/CommentFreeTokens.h"
#include "engine/ContentPrescan.h"
#include "engine/GraphicsStateBalance.h"
#include "engine/ObjectOffsetTable.h"
#include "engine/PdfJob.h"
#include "engine/XrefReader.h"
#include "tests/engine/TestPdf.h"
#include "tests/engine/XrefStreamPdf.h"
#include "tests/support/Manifest.h"
#include "tests/support/MemoryTokenReader.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::FlatPdf;
using test::TestPdf;
using test::XrefStreamPdf;

TEST(PdfJobReadTest, MissingFileIsOpenError) { EXPECT_EQ(PdfJob("/nonexistent/dir/none.pdf").ErrorCode(), JobError::Open); }

TEST(PdfJobReadTest, ThreeSectionChainNewestOffsetWins) {
    TestPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Object(2, "<< /Type /Pages /Kids [ 3 0 R ] /Count 1 >>");
    pdf.Object(3, "<< /Type /Page /Parent 2 0 R >>");
    pdf.Object(4, "(oldest)");
    pdf.EndSection(5);
    pdf.Object(4, "(middle)");
    pdf.Object(5, "(only in middle)");
    pdf.EndSection(6);
    const size_t newest4 = pdf.Bytes().size();
    pdf.Object(4, "(newest)");
    pdf.EndSection(6);
    auto job = PdfJob::FromBytes(pdf.Bytes());
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_EQ(job->Offsets().Find(4, 0), static_cast<int64_t>(newest4));
    EXPECT_EQ(job->Offsets().Count(), 5);
    ASSERT_TRUE(job->SeekObject(5, 0));
    for (const char* header : {"5", "0", "obj"}) EXPECT_EQ(job->NextToken(), header);
    EXPECT_EQ(job->NextToken(), "(");
    EXPECT_EQ(job->NextToken(), "only");
}

TEST(PdfJobReadTest, FreeEntriesAdvanceNumbering) {
    std::string bytes = "%PDF-1.4\n";
    const size_t o3 = bytes.size();
    bytes += "3 0 obj\n<< /Type /Catalog /Pages 4 0 R >>\nendobj\n";
    const size_t o4 = bytes.size();
    bytes += "4 0 obj\n<< /Type /Pages /Kids [ ] /Count 0 >>\nendobj\n";
    const size_t xref = bytes.size();
    char entries[128];
    std::snprintf(entries, sizeof entries, "%010zu 00000 n \n%010zu 00000 n \n", o3, o4);
    bytes += std::string("xref\n0 3\n0000000000 65535 f \n0000000000 00001 f \n0000000000 00001 f \n") +
             "3 2\n" + entries + "trailer\n<< /Size 5 /Root 3 0 R >>\nstartxref\n" + std::to_string(xref) +
             "\n%%EOF\n";
    // The same entries in one subsection: the free ones still count.
    std::string single = bytes;
    single.replace(single.find("0 3\n"), 4, "0 5\n");
    single.erase(single.find("3 2\n"), 4);
    for (const std::string& b : {bytes, single}) {
        auto job = PdfJob::FromBytes(b);
        ASSERT_EQ(job->ErrorCode(), JobError::None);
        EXPECT_EQ(job->Offsets().Find(3, 0), static_cast<int64_t>(o3));
        EXPECT_EQ(job->Offsets().Find(4, 0), static_cast<int64_t>(o4));
        EXPECT_EQ(job->Offsets().Find(0, 0), -1);
        EXPECT_EQ(job->Offsets().Find(1, 1), -1);
        EXPECT_EQ(job->Offsets().Count(), 2);
        // Nothing was appended: there is nothing to undo, and that succeeds.
        EXPECT_TRUE(job->UndoUpdate());
        EXPECT_EQ(job->File().MemoryBytes(), b);
    }
}

using Result = ObjectOffsetTable::InsertResult;

TEST(ObjectOffsetTableTest, EmptySlotIsNotEntryZero) {
    ObjectOffsetTable table;
    ASSERT_TRUE(table.IsReady());
    EXPECT_EQ(table.Find(0, 0), -1);
    // Entry index 0 lands in bucket 0 for number 10000; number 0 shares the bucket.
    ASSERT_EQ(table.Insert(10000, 0, 1234), Result::Inserted);
    EXPECT_EQ(table.Find(10000, 0), 1234);
    EXPECT_EQ(table.Find(0, 0), -1);
    EXPECT_EQ(table.Find(10000, 1), -1);
}

TEST(ObjectOffsetTableTest, DuplicateKeepsFirstOffset) {
    ObjectOffsetTable table;
    EXPECT_EQ(table.Insert(7, 0, 100), Result::Inserted);
    EXPECT_EQ(table.Insert(7, 0, 200), Result::Duplicate);
    EXPECT_EQ(table.Insert(7, 1, 300), Result::Inserted);
    EXPECT_EQ(table.Find(7, 0), 100);
    EXPECT_EQ(table.Find(7, 1), 300);
    EXPECT_EQ(table.Count(), 2);
}

TEST(ObjectOffsetTableTest, RefusesNumbersOutsideThirtyTwoBits) {
    ObjectOffsetTable table;
    EXPECT_EQ(table.Insert(-1, 0, 10), Result::OutOfRange);
    EXPECT_EQ(table.Insert(1, -1, 10), Result::OutOfRange);
    EXPECT_EQ(table.Insert(INT64_C(4294967297), 0, 10), Result::OutOfRange);  // would wrap to 1
    EXPECT_EQ(table.Find(1, 0), -1);
    EXPECT_EQ(table.Find(INT64_C(4294967297), 0), -1);
    EXPECT_EQ(table.Find(-3, 0), -1);
}

// Numbers spread over the whole range and several generations of one
// number, as many as a large file holds, in time linear in the count.
TEST(ObjectOffsetTableTest, MillionsOfObjectsAndSharedNumbers) {
    ObjectOffsetTable table;
    constexpr int32_t kObjects = 2000000;
    for (int32_t n = 1; n <= kObjects; ++n) ASSERT_EQ(table.Insert(n, 0, int64_t{n} * 31), Result::Inserted);
    for (int32_t g = 1; g < 200; ++g) ASSERT_EQ(table.Insert(7, g, g), Result::Inserted);
    ASSERT_EQ(table.Insert(INT32_MAX, INT32_MAX, 5), Result::Inserted);
    EXPECT_EQ(table.Count(), kObjects + 200);
    EXPECT_EQ(table.HighestNumber(), INT32_MAX);
    for (int32_t n = 1; n <= kObjects; ++n) ASSERT_EQ(table.Find(n, 0), int64_t{n} * 31) << n;
    for (int32_t g = 1; g < 200; ++g) ASSERT_EQ(table.Find(7, g), g);
    EXPECT_EQ(table.Find(INT32_MAX, INT32_MAX), 5);
    EXPECT_EQ(table.Find(kObjects + 1, 0), -1);
    EXPECT_EQ(table.Find(7, 200), -1);
    EXPECT_EQ(table.Insert(7, 150, 999), Result::Duplicate);
}

// A reservation keeps what the table holds; one beyond any memory is refused
// and leaves the table working.
TEST(ObjectOffsetTableTest, ReservationKeepsEntriesAndRefusesTheImpossible) {
    ObjectOffsetTable table;
    for (int32_t n = 0; n < 3000; ++n) ASSERT_EQ(table.Insert(n, 0, n + 1), Result::Inserted);
    EXPECT_TRUE(table.Reserve(100000));
    EXPECT_FALSE(table.Reserve(SIZE_MAX / 2));
    for (int32_t n = 3000; n < 5000; ++n) ASSERT_EQ(table.Insert(n, 0, n + 1), Result::Inserted);
    for (int32_t n = 0; n < 5000; ++n) ASSERT_EQ(table.Find(n, 0), n + 1) << n;
    EXPECT_EQ(table.Count(), 5000);
}

PageRangeChoice Range(int32_t first, int32_t last, int32_t start = 1) { return {false, first, last, start}; }

// The pages a range selects out of 10, as (ordinal, label).
struct SelectionRow { const char* name; PageRangeChoice range; std::vector<std::pair<int32_t, int32_t>> selected; };

TEST(PageSelectorTest, RangesAndLabels) {
    const std::vector<SelectionRow> rows = {
        {"AllPages", {true, 3, 5, 7}, {{1, 7}, {2, 8}, {3, 9}, {4, 10}, {5, 11}, {6, 12}, {7, 13}, {8, 14}, {9, 15}, {10, 16}}},
        {"ThreeToFive", Range(3, 5), {{3, 1}, {4, 2}, {5, 3}}},
        {"ZeroToTwo", Range(0, 2, 5), {{1, 5}, {2, 6}}},
        {"SixToFourIsEmpty", Range(6, 4), {}},
        {"FromEightToEnd", Range(8, 0, 100), {{8, 100}, {9, 101}, {10, 102}}},
        {"NegativeFirstMeansAll", Range(-1, 2, 0), {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 4}, {6, 5}, {7, 6}, {8, 7}, {9, 8}, {10, 9}}},
        {"FirstWithNegativeLastMeansAll", Range(4, -1, 1), {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}}},
        {"ZeroZeroMeansAll", Range(0, 0, -2), {{1, -2}, {2, -1}, {3, 0}, {4, 1}, {5, 2}, {6, 3}, {7, 4}, {8, 5}, {9, 6}, {10, 7}}},
        {"RangeBeyondDocument", Range(9, 20), {{9, 1}, {10, 2}}},
    };
    for (const SelectionRow& row : rows) {
        PageSelector selector(row.range);
        std::vector<std::pair<int32_t, int32_t>> got;
        for (int i = 0; i < 10; ++i)
            if (auto label = selector.Next()) got.emplace_back(selector.Ordinal(), *label);
        EXPECT_EQ(got, row.selected) << row.name;
    }
}

TEST(RotationTest, Normalisation) {
    const std::vector<std::pair<int64_t, int32_t>> rows = {
        {0, 0}, {90, 90}, {180, 180}, {270, -90}, {360, 0}, {450, 90}, {630, -90}, {-90, -90},
        {-180, 180}, {-270, 90}, {-450, -90}, {-360, 0}, {45, 0}, {-45, 0}, {720, 0}, {810, 90},
        {INT32_MIN, 0}, {INT32_MAX, 0}, {INT64_MAX, 0}, {-INT64_MAX, 0}, {2147483610, 90}, {-2147483610, -90},
    };
    for (const auto& [in, out] : rows) EXPECT_EQ(NormaliseRotation(in), out) << in;
}

std::vector<PageEntry> Walk(PdfJob& job, const PageRangeChoice& range = {}) {
    std::vector<PageEntry> pages;
    if (!job.BuildPageList(range)) return pages;
    for (int32_t i = 0; i < job.Pages().Count(); ++i) pages.push_back(job.Pages().At(i));
    return pages;
}

TEST(PageListTest, RangeOfTenPages) {
    auto job = PdfJob::FromBytes(FlatPdf(std::vector<std::string>(10, "/Resources 99 0 R")));
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    const auto pages = Walk(*job, Range(3, 5));
    ASSERT_EQ(pages.size(), 3u);
    // Ordinal, label, object (pages are objects 3..12), content stream (/Size 13) and its generation.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ((std::vector{pages[i].ordinal, pages[i].label, pages[i].objectNumber, pages[i].contentNumber,
                               pages[i].contentGeneration}),
                  (std::vector{3 + i, 1 + i, 5 + i, 13 + i, 0}));
    EXPECT_EQ(job->SaveStateNumber(), 16);  // right after the content streams
    EXPECT_EQ(job->Pages().ErrorCode(), PageListError::None);

    auto empty = PdfJob::FromBytes(FlatPdf(std::vector<std::string>(10, "")));
    EXPECT_TRUE(empty->BuildPageList(Range(6, 4)));
    EXPECT_EQ(empty->Pages().Count(), 0);
    EXPECT_EQ(empty->SaveStateNumber(), -1);
}

TEST(PageListTest, SizeClasses) {
    auto job = PdfJob::FromBytes(FlatPdf({"/MediaBox [0 0 595 842]", "/MediaBox [0 0 842 595]",
                                          "/MediaBox [0 0 595 842]", "/MediaBox [0 0 595 842] /Rotate 90"}));
    const auto pages = Walk(*job);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ((std::vector{pages[0].sizeClass, pages[1].sizeClass, pages[2].sizeClass, pages[3].sizeClass}),
              (std::vector{0, 1, 0, 2}));
    EXPECT_EQ(job->SizeClasses().Count(), 3);
    const PageEntry landscape = job->SizeClasses().GetSizeClass(1);
    EXPECT_EQ((std::vector{landscape.width, landscape.height, landscape.objectNumber}), (std::vector{842, 595, 0}));
    EXPECT_EQ(job->SizeClasses().GetSizeClass(3).width, 0);
}

// What the walk makes of a page's boxes and /Rotate, with the node's keys
// passed down: width, height, corner, rotation, and the ordinal of the first
// page too small for stamps (0: none).
TEST(PageListTest, BoxesAndRotationAsReadersShowThem) {
    struct Row { std::string node, page; std::vector<double> read; };
    const std::vector<Row> rows = {
        {"", "", {612, 792, 0, 0, 0, 0}},
        {"", "/CropBox [-10 0 700 900]", {612, 792, 0, 0, 0, 0}},
        {"", "/MediaBox [0 0 1e30 1e30]", {612, 792, 0, 0, 0, 0}},
        {"", "/MediaBox [0 0 1e400 100] /CropBox [0 0 nan 100]", {612, 792, 0, 0, 0, 0}},
        {"", "/MediaBox [0 0 3e9 100]", {612, 792, 0, 0, 0, 0}},
        {"", "/MediaBox [-4294967296 0 100 100]", {612, 792, 0, 0, 0, 0}},
        {"", "/MediaBox [0 0 2147483648 -2147483648]", {2147483647, 2147483647, 0, -2147483648.0, 0, 0}},
        {"/MediaBox [5 6 205 306]", "/MediaBox [0 0 inf 100]", {200, 300, 5, 6, 0, 0}},
        {"", "/MediaBox [0 0 1e30 1e30] /CropBox [10 20 300 400]", {290, 380, 10, 20, 0, 0}},
        {"", "/MediaBox [0 0 0.5 100]", {0, 100, 0, 0, 0, 1}},
        {"", "/MediaBox [0 0 595 842] /CropBox [600 0 800 100]", {595, 842, 0, 0, 0, 1}},
        {"", "/Rotate 45", {612, 792, 0, 0, 0, 0}},
        {"/Rotate -90", "", {612, 792, 0, 0, -90, 0}},
        {"/Rotate 90", "/Rotate -2147483648", {612, 792, 0, 0, 0, 0}},
        {"", "/Rotate 99999999999999999999", {612, 792, 0, 0, 0, 0}},
    };
    for (const Row& row : rows) {
        auto job = PdfJob::FromBytes(FlatPdf({row.page}, row.node));
        ASSERT_TRUE(job->BuildPageList({})) << row.page;
        const PageEntry& p = job->Pages().At(0);
        EXPECT_EQ((std::vector<double>{static_cast<double>(p.width), static_cast<double>(p.height), p.originX,
                                       p.originY, static_cast<double>(p.rotation),
                                       static_cast<double>(job->Pages().FirstTooSmall())}),
                  row.read)
            << row.node << " | " << row.page;
    }
    auto job = PdfJob::FromBytes(FlatPdf({"", "/MediaBox [0 0 100 0.9]", "", "/CropBox [0 0 0 0]"}));
    ASSERT_TRUE(job->BuildPageList({}));
    EXPECT_EQ((std::vector{job->Pages().FirstTooSmall(), job->Pages().TooSmallCount()}), (std::vector{2, 2}));
}

// Catalog, pages node and two pages in an object stream; page 1's content
// stream in the file; page 1 refers to a resources object (compressed), page
// 2 holds its resources inline.
XrefStreamPdf CompressedDocument(XrefStreamPdf::Rows rows = XrefStreamPdf::Rows::FlatePngUp) {
    XrefStreamPdf pdf;
    pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Compressed(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 612 792] >>")
        .Compressed(3, "<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 5 0 R >>")
        .Compressed(4, "<< /Type /Page /Parent 2 0 R /Resources << /Font << >> >> /Rotate 90 >>")
        .Compressed(6, "<< /ProcSet [/PDF] /Font << /F1 9 0 R >> >>")
        .ObjectStream(7)
        .Object(5, "<< /Length 9 >>\nstream\n0 0 m 1 1\nendstream")
        .EndStreamSection(8, 10, "/Root 1 0 R /ID [<a1><b2>]", rows);
    return pdf;
}

// Plain rows, compressed rows and compressed rows with the PNG "Up" predictor.
TEST(XrefStreamReadTest, PageCountAndPageWalkReachCompressedObjects) {
    for (XrefStreamPdf::Rows rows :
         {XrefStreamPdf::Rows::Plain, XrefStreamPdf::Rows::Flate, XrefStreamPdf::Rows::FlatePngUp}) {
        SCOPED_TRACE(static_cast<int>(rows));
        auto job = PdfJob::FromBytes(CompressedDocument(rows).Bytes());
        ASSERT_EQ(job->ErrorCode(), JobError::None);
        EXPECT_TRUE(job->SourceXrefIsStream());
        EXPECT_EQ(job->SourceSize(), 10);
        EXPECT_EQ(job->StoredPageCount(), 2);
        ASSERT_TRUE(job->BuildPageList({}));
        ASSERT_EQ(job->Pages().Count(), 2);
        // Object, resources, size and content stream (numbered on from /Size) of
        // page 1; object, inline resources and rotation of page 2.
        const PageEntry& first = job->Pages().At(0);
        const PageEntry& second = job->Pages().At(1);
        EXPECT_EQ((std::vector{first.objectNumber, first.resourcesNumber, first.width, first.height, first.contentNumber}),
                  (std::vector{3, 6, 612, 792, 10}));
        EXPECT_EQ((std::vector{second.objectNumber, second.resourcesInline, second.rotation}), (std::vector{4, 1, 90}));
    }
}

// Classic base, then an update whose section is a stream that replaces the
// page (now in an object stream): the newest definition wins.
TEST(XrefStreamReadTest, ChainFromStreamToClassicSection) {
    XrefStreamPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
        .Object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] >>")
        .EndClassicSection(4)
        .Compressed(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] >>")
        .ObjectStream(4)
        .EndStreamSection(5, 6);
    auto job = PdfJob::FromBytes(pdf.Bytes());
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_TRUE(job->SourceXrefIsStream());
    ASSERT_TRUE(job->BuildPageList({}));
    ASSERT_EQ(job->Pages().Count(), 1);
    EXPECT_EQ(job->Pages().At(0).width, 300);
    EXPECT_LT(job->Offsets().Find(1, 0), PdfFile::kRegionBase);
}

// Stream base, then a classic update that replaces a compressed page with an
// object in the file.
TEST(XrefStreamReadTest, ChainFromClassicToStreamSection) {
    XrefStreamPdf pdf = CompressedDocument();
    pdf.Object(4, "<< /Type /Page /Parent 2 0 R /Resources 6 0 R /MediaBox [0 0 200 250] >>").EndClassicSection(10);
    auto job = PdfJob::FromBytes(pdf.Bytes());
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_FALSE(job->SourceXrefIsStream());
    ASSERT_TRUE(job->BuildPageList({}));
    ASSERT_EQ(job->Pages().Count(), 2);
    EXPECT_EQ(job->Pages().At(1).width, 200);
    EXPECT_EQ(job->Pages().At(1).resourcesNumber, 6);
    EXPECT_EQ(job->Pages().At(0).width, 612);
}

// A hybrid file: the classic table lists the objects in the file, the stream
// named by /XRefStm the compressed ones.
TEST(XrefStreamReadTest, HybridFileReadsTheStreamNamedByXRefStm) {
    const XrefStreamPdf pdf = test::HybridPdf("/MediaBox [0 0 500 600]");
    auto job = PdfJob::FromBytes(pdf.Bytes());
    ASSERT_EQ(job->ErrorCode(), JobError::None);
    EXPECT_FALSE(job->SourceXrefIsStream());
    EXPECT_EQ(job->StoredPageCount(), 1);
    ASSERT_TRUE(job->BuildPageList({}));
    EXPECT_EQ(job->Pages().At(0).height, 600);

    // Without reading /XRefStm the compressed objects would be missing.
    test::MemoryTokenReader source(pdf.Bytes());
    ObjectOffsetTable table;
    XrefReader xref(source.reader(), table);
    ASSERT_EQ(xref.ReadChain(pdf.LastXref()), JobError::None);
    EXPECT_EQ(table.Find(2, 0), -1);
    EXPECT_GE(table.Find(1, 0), 0);
}

// Replaces the first occurrence of `from` in the bytes (of the same length,
// so that every offset stays right).
std::string Patched(std::string bytes, const std::string& from, const std::string& to) {
    EXPECT_EQ(from.size(), to.size());
    const size_t at = bytes.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) bytes.replace(at, from.size(), to);
    return bytes;
}

// A damaged cross-reference stream fails the job with NoSize when it is the
// newest section, and with PrevUnreadable when it is reached through /Prev.
TEST(XrefStreamReadTest, DamagedStreamFailsWithTheCodeOfItsPlace) {
    const std::pair<const char*, const char*> damages[] = {
        {"/W [1 4 2]", "/W [1 9 2]"},  // a field wider than eight bytes
        {"/W [1 4 2]", "/X [1 4 2]"},  // no widths
        {"/Filter /FlateDecode /DecodeParms", "/Filter /LZWDecode   /DecodeParms"},
        {"/Predictor 12", "/Predictor 99"},
        {"/Index [1 8 ] ", "/Index [1 8 5]"},  // an index of odd length
    };
    XrefStreamPdf chained = CompressedDocument();  // the same section as the older one of a classic update
    chained.Object(9, "<< >>").EndClassicSection(10);
    for (const auto& [from, to] : damages) {
        SCOPED_TRACE(to);
        EXPECT_EQ(PdfJob::FromBytes(Patched(CompressedDocument().Bytes(), from, to))->ReadError(), JobError::NoSize);
        EXPECT_EQ(PdfJob::FromBytes(Patched(chained.Bytes(), from, to))->ReadError(), JobError::PrevUnreadable);
    }
}

// A /Length beyond the end of the file, damaged compressed rows and an
// /Index count beyond the rows there are (those read, 0).
TEST(XrefStreamReadTest, DamagedStreamDataAndSizes) {
    std::string longer = CompressedDocument().Bytes();
    const size_t length = longer.rfind("/Length ") + 8;
    longer.replace(length, longer.find(' ', length) - length, "99999999");
    std::string damaged = CompressedDocument().Bytes();
    const size_t data = damaged.find("stream\n", damaged.find("/Type /XRef")) + 7;
    damaged[data + 3] ^= 0x55;
    damaged[data + 4] ^= 0x55;
    const std::string counted = Patched(CompressedDocument(XrefStreamPdf::Rows::Plain).Bytes(), "[1 8 ]", "[1 99]");
    for (const auto& [name, bytes, code] : {std::tuple{"LengthBeyondTheFile", longer, JobError::NoSize},
                                            std::tuple{"DamagedCompressedRows", damaged, JobError::NoSize},
                                            std::tuple{"IndexCountBeyondTheData", counted, JobError::None}}) {
        auto job = PdfJob::FromBytes(bytes);
        EXPECT_EQ(job->ReadError(), code) << name;
        if (code == JobError::None) {
            EXPECT_EQ(job->StoredPageCount(), 2);
        }
    }
}

// An object stream whose /N or /First does not fit its data makes its
// objects unreachable: the root lookup fails with ObjectNotFound.
TEST(XrefStreamReadTest, ObjectsOfABadObjectStreamAreNotFound) {
    struct Row { const char* name; long n; long first; };
    for (const Row& row : {Row{"HugeN", 100000000, -1}, Row{"FirstBeyondData", -1, 5000}, Row{"NegativeFirst", -1, 0}}) {
        XrefStreamPdf pdf;
        pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>")
            .Compressed(2, "<< /Type /Pages /Kids [] /Count 0 >>")
            .ObjectStream(3, true, row.n, row.first)
            .EndStreamSection(4, 5);
        EXPECT_EQ(PdfJob::FromBytes(pdf.Bytes())->ReadError(), JobError::ObjectNotFound) << row.name;
    }
}

TEST(XrefStreamReadTest, ObjectStreamInsideAnObjectStreamIsNotFollowed) {
    // Row 2 of the stream names object 3 as its object stream, but 3 is itself compressed.
    XrefStreamPdf pdf;
    pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>").Compressed(3, "<< >>").ObjectStream(4);
    std::string bytes = pdf.EndStreamSection(5, 6, "/Root 1 0 R", XrefStreamPdf::Rows::Plain).Bytes();
    // Object 1 points at stream 4 index 0: make it point at "stream" 3 instead.
    const size_t data = bytes.find("stream\n", bytes.find("/Type /XRef")) + 7;
    ASSERT_EQ(bytes[data], '\x02');
    bytes[data + 4] = '\x03';
    EXPECT_EQ(PdfJob::FromBytes(bytes)->ReadError(), JobError::ObjectNotFound);
}

TEST(XrefStreamReadTest, PrevLoopBetweenStreamSectionsFailsWithSix) {
    XrefStreamPdf pdf = CompressedDocument();
    const long first = pdf.LastXref();
    pdf.Object(9, "<< >>").EndStreamSection(11, 12);
    // The first section's missing /Prev becomes one that points at the second.
    std::string bytes = pdf.Bytes();
    const std::string second = std::to_string(pdf.LastXref());
    const std::string keys = "/Root 1 0 R /ID [<a1><b2>]";
    const size_t at = bytes.find(keys, static_cast<size_t>(first));
    bytes.replace(at, keys.size(), "/Root 1 0 R /Prev " + second + std::string(keys.size() - 18 - second.size(), ' '));
    EXPECT_EQ(PdfJob::FromBytes(bytes)->ReadError(), JobError::PrevUnreadable);
}

// Every token of text, joined with "|".
std::string Tokens(const std::string& text) {
    test::MemoryTokenReader source(text);
    CommentFreeTokens tokens(source.reader());
    std::string out;
    for (std::string t = tokens.Next(); !t.empty(); t = tokens.Next()) out += (out.empty() ? "" : "|") + t;
    return out;
}

// The rows of tests/data/engine/comment-free.tsv.
TEST(CommentFreeTokensTest, CommentsAndStrings) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("engine/comment-free.tsv");
    ASSERT_GT(rows.size(), 15u);
    for (const test::ManifestRow& row : rows) EXPECT_EQ(Tokens(row[1]), row[2]) << "comment-free.tsv " << row[0];
}

TEST(CommentFreeTokensTest, KeysInCommentsAndStringsAreNotFound) {
    test::MemoryTokenReader source("<< /T (/Contents 9 0 R endobj) % /Contents 8 0 R\n/Contents 5 0 R >> endobj /Contents 6");
    CommentFreeTokens tokens(source.reader());
    ASSERT_EQ(tokens.FindKey("/Contents"), FindResult::Found);
    EXPECT_EQ(tokens.ReadInt(), 5);
    EXPECT_EQ(tokens.FindKey("/Contents"), FindResult::EndOfObject);
    EXPECT_TRUE(tokens.SearchToken("/CONTENTS"));
    EXPECT_EQ(tokens.ReadInt(), 6);
    EXPECT_EQ(tokens.FindKey("/Contents"), FindResult::EndOfFile);
    EXPECT_FALSE(tokens.SearchToken("x"));
}

TEST(CommentFreeTokensTest, SeekStartsAfresh) {
    test::MemoryTokenReader source("a (b) % c\nd");
    CommentFreeTokens tokens(source.reader());
    EXPECT_EQ(tokens.Next(), "a");
    const int64_t at = tokens.Tell();
    EXPECT_EQ(tokens.Next(), "(b)");
    EXPECT_EQ(tokens.Next(), "d");
    ASSERT_TRUE(tokens.Seek(at));
    EXPECT_EQ(tokens.Next(), "(b)");
}

TEST(GraphicsStateBalanceTest, EveryContentGivesItsCount) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("engine/balance.tsv");
    ASSERT_GT(rows.size(), 10u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("balance.tsv line " + std::to_string(row.line) + " " + row[0]);
        // Streams read in turn, and each counted on its own and then
        // composed (as a stream shared by many pages is), agree.
        GraphicsStateBalance balance;
        GraphicsStateBalance composed;
        const std::string& content = row[1];
        for (std::size_t start = 0;;) {
            const std::size_t split = content.find(" || ", start);
            const std::string_view stream = std::string_view(content).substr(start, split - start);
            balance.Add(stream);
            GraphicsStateBalance own;
            own.Add(stream);
            composed.AddCounted(own.ExtraRestores(), own.OpenStates());
            // Decoded data comes in pieces of any size: the count is the same.
            for (std::size_t size = 1; size < stream.size(); ++size) {
                GraphicsStateBalance pieces;
                for (std::size_t at = 0; at < stream.size(); at += size) pieces.Feed(stream.substr(at, size));
                pieces.EndStream();
                ASSERT_EQ(pieces.ExtraRestores(), own.ExtraRestores()) << "pieces of " << size;
                ASSERT_EQ(pieces.OpenStates(), own.OpenStates()) << "pieces of " << size;
            }
            if (split == std::string::npos) break;
            start = split + 4;
        }
        EXPECT_EQ(std::to_string(balance.ExtraRestores()), row[2]);
        EXPECT_EQ(composed.ExtraRestores(), balance.ExtraRestores());
        EXPECT_EQ(composed.OpenStates(), balance.OpenStates());
        if (!row[3].empty()) {
            EXPECT_EQ(std::to_string(balance.OpenStates()), row[3]);
        }
    }
}

// A large file's pages are counted ahead on another thread: each stamped
// page gets what the writer would have counted, the others nothing, and a
// small file is left to the writer.
TEST(ContentPrescanTest, CountsAheadWhatTheWriterWouldCount) {
    struct Content { std::string data; int32_t extra; int32_t open; bool unreadable; };
    const std::vector<Content> kinds = {{"q q 1 0 0 1 5 5 cm", 0, 2, false},
                                        {"Q Q Q", 3, 0, false},
                                        {"q (Q) Tj Q", 0, 0, false},
                                        {"BI ID \x80 EI Q", 1, 0, false}};
    test::ScratchDir dir{"prescan"};
    const auto write = [&](int32_t pages) {
        TestPdf pdf;
        std::string kids;
        for (int32_t i = 0; i < pages; ++i) kids += std::to_string(3 + 2 * i) + " 0 R ";
        pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
            .Object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) + " >>");
        for (int32_t i = 0; i < pages; ++i) {
            const std::string& data = kinds[static_cast<std::size_t>(i) % kinds.size()].data;
            // Every seventh page names a filter nobody decodes.
            const std::string filter = i % 7 == 6 ? " /Filter /JPXDecode" : "";
            pdf.Object(3 + 2 * i, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] /Contents " +
                                      std::to_string(4 + 2 * i) + " 0 R >>")
                .Object(4 + 2 * i, "<< /Length " + std::to_string(data.size()) + filter + " >>\nstream\n" + data +
                                       "\nendstream");
        }
        const std::string path = dir.File(std::to_string(pages) + ".pdf");
        test::ScratchDir::Write(path, pdf.EndSection(3 + 2 * pages).Bytes());
        return path;
    };
    PdfJob job(write(ContentPrescan::kMinPages + 9));
    ASSERT_TRUE(job.BuildPageList(PageRangeChoice{}));
    ContentPrescan prescan(job, PageRangeChoice{}, true, false);
    for (int32_t i = 0; i < job.Pages().Count(); ++i) {
        const std::optional<PdfJob::StateBalance> ahead = prescan.Take(i);
        ASSERT_EQ(ahead.has_value(), i % 2 == 0) << i;
        if (!ahead) continue;
        const Content& kind = kinds[static_cast<std::size_t>(i) % kinds.size()];
        const bool opaque = i % 7 == 6;
        EXPECT_EQ(ahead->extraRestores, opaque ? 0 : kind.extra) << i;
        EXPECT_EQ(ahead->openStates, opaque ? 0 : kind.open) << i;
        EXPECT_EQ(ahead->unreadable, opaque) << i;
        const PdfJob::StateBalance own = job.PageBalance(i);
        EXPECT_EQ(own.extraRestores, ahead->extraRestores);
        EXPECT_EQ(own.openStates, ahead->openStates);
    }
    PdfJob small(write(ContentPrescan::kMinPages - 1));
    ASSERT_TRUE(small.BuildPageList(PageRangeChoice{}));
    ContentPrescan none(small, PageRangeChoice{}, true, true);
    EXPECT_FALSE(none.Take(0).has_value());
}

}  // namespace
}  // namespace sgry
