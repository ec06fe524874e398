// Inputs the fuzz targets found (fuzz/regressions/job holds the files as
// found; tests/fuzz replays them): each case here states the sound result.
// The page-tree findings are rows of PageListTest.WalkErrors.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/PdfJob.h"
#include "TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::FlatPdf;

// Stamps every page with one font request and finishes the update; returns
// the whole output.
std::string Update(const std::string& source) {
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    EXPECT_EQ(job->ErrorCode(), 0);
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
    EXPECT_NE(again->ErrorCode(), job_error::kNoRoot);
}

TEST(FuzzRegressionTest, RootFoundOutsideTheTrailerDictionaryGoesFirst) {
    // The job takes the first "/Root" after startxref; the copy must lead a
    // reader of the update to the same object.
    std::string source = FlatPdf({""});
    source.replace(source.rfind("trailer"), 7, "/Root 1 0 R trailer");
    source.replace(source.rfind("/Root 1 0 R >>"), 14, "/Root 77 0 R >>");
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    ASSERT_EQ(job->ErrorCode(), 0);
    const std::string out = Update(source);
    EXPECT_NE(NewestTrailer(out).find("/Root 1 0 R /Root 77 0 R"), std::string::npos) << NewestTrailer(out);
    EXPECT_EQ(PdfJob::FromBytes(out)->ErrorCode(), 0);
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
    EXPECT_EQ(PdfJob::FromBytes(out)->ErrorCode(), 0);
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
    EXPECT_EQ(again->ErrorCode(), 0);
    EXPECT_EQ(again->StoredPageCount(), 1);
    if (test::ToolExists("qpdf")) {
        const test::ScratchDir dir("nul-token");
        test::ScratchDir::Write(dir.File("a.pdf"), out);
        std::string report;
        EXPECT_EQ(test::RunShell("qpdf --check " + test::Quoted(dir.File("a.pdf")) + " 2>&1", &report) % 3, 0)
            << report;
    }
}

TEST(FuzzRegressionTest, PageListedTwiceUnderOneNodeIsStillAPage) {
    // Only nodes count as a loop: the same page object twice is two pages.
    test::TestPdf twice;
    twice.Object(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Object(2, "<< /Type /Pages /Kids [ 3 0 R 3 0 R ] /Count 2 >>")
        .Object(3, "<< /Type /Page /Parent 2 0 R >>")
        .EndSection(4);
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(twice.Bytes());
    ASSERT_EQ(job->ErrorCode(), 0);
    ASSERT_TRUE(job->BuildPageList(PageRangeChoice{}));
    EXPECT_EQ(job->Pages().Count(), 2);
}

TEST(FuzzRegressionTest, SizeBelowTheNumbersInUseDoesNotReuseThem) {
    // /Size 1 would number the first new object 1, over the catalog.
    std::string source = FlatPdf({""});
    source.replace(source.rfind("/Size 4"), 7, "/Size 1");
    std::unique_ptr<PdfJob> job = PdfJob::FromBytes(source);
    ASSERT_EQ(job->ErrorCode(), 0);
    EXPECT_EQ(job->SourceSize(), 1);
    EXPECT_EQ(job->NextObjectNumber(), 4);  // one above object 3, the highest listed
    const std::string out = Update(source);
    EXPECT_EQ(PdfJob::FromBytes(out)->ErrorCode(), 0);
    EXPECT_NE(NewestTrailer(out).find("<< /Size "), std::string::npos);
}

}  // namespace
}  // namespace sgry
