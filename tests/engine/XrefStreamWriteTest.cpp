// The cross-reference stream that ends an update of a source whose newest
// section is a stream: its exact dictionary, rows that lead to every object
// of the update, a second update on top, and the classic section for
// classic and hybrid sources.
#include <gtest/gtest.h>

#include "engine/PdfJob.h"
#include "engine/XrefStreamWriter.h"
#include "tests/engine/TestPdf.h"
#include "tests/engine/XrefStreamPdf.h"

namespace sgry {
namespace {

using test::XrefStreamPdf;

XrefStreamPdf StreamSource() {
    XrefStreamPdf pdf;
    pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Compressed(2, "<< /Type /Pages /Kids [3 0 R 4 0 R] /Count 2 /MediaBox [0 0 612 792] >>")
        .Compressed(3, "<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 5 0 R >>")
        .Compressed(4, "<< /Type /Page /Parent 2 0 R /Resources << /Font << >> >> >>")
        .Compressed(6, "<< /ProcSet [/PDF] >>")
        .ObjectStream(7)
        .Object(5, "<< /Length 9 >>\nstream\n0 0 m 1 1\nendstream")
        .EndStreamSection(8, 10, "/Root 1 0 R /Info 1 0 R /ID [<a1><b2>]");
    return pdf;
}

// Empty stamps on every page, as the pass writes them, into the job's own
// memory stream; returns the whole file afterwards.
std::string StampInMemory(const std::string& source, bool marker = false) {
    auto job = PdfJob::FromBytes(source);
    EXPECT_EQ(job->ErrorCode(), 0);
    EXPECT_TRUE(job->BuildPageList({}));
    EXPECT_TRUE(job->BuildWriteTable());
    if (marker) job->WriteMarker();
    for (int32_t i = 0; i < job->Pages().Count(); ++i) {
        std::vector<std::string> names;
        EXPECT_TRUE(job->WritePageObject(i));
        EXPECT_TRUE(job->WritePageResources(i, {}, names));
        EXPECT_TRUE(job->WritePageContent(i, "Q\r\n"));
    }
    EXPECT_TRUE(job->FinishUpdate());
    return job->File().MemoryBytes();
}

TEST(XrefStreamBuilderTest, FieldWidthsAndIndexRuns) {
    for (const auto& [value, width] : std::vector<std::pair<uint64_t, int>>{
             {0, 1}, {255, 1}, {256, 2}, {65535, 2}, {65536, 3}, {uint64_t{1} << 32, 5}, {~uint64_t{0}, 8}})
        EXPECT_EQ(XrefStreamBuilder::FieldWidth(value), width) << value;
    EXPECT_EQ(XrefStreamBuilder::IndexText({{3, 0, 1}, {4, 0, 1}, {6, 0, 1}, {10, 0, 1}, {11, 0, 1}, {12, 0, 1}}),
              "3 2 6 1 10 3");
    EXPECT_EQ(XrefStreamBuilder::IndexText({{7, 0, 1}}), "7 1");
}

TEST(XrefStreamBuilderTest, RowsThatDoNotCompressAreWrittenAsTheyAre) {
    // One row of four bytes: the compression buffer (1.2 times) is too small.
    const XrefStreamBuilder stream(9, {{9, 0, 300}}, 10, 77, "/Root 1 0 R >> ");
    EXPECT_EQ(stream.Header(), "9 0 obj\r\n<< /Type /XRef /Size 10/Prev 77/W [1 2 1]/Index [9 1]/Length 4\r\n"
                               "/Root 1 0 R >> \r\nstream\r\n");
    EXPECT_EQ(stream.Data(), std::string("\x01\x01\x2c\x00", 4));
}

TEST(XrefStreamWriteTest, UpdateEndsWithAStreamListingExactlyItsObjects) {
    const XrefStreamPdf source = StreamSource();
    const std::string out = StampInMemory(source.Bytes());
    const std::string update = out.substr(source.Size());

    // Contents 10 and 11, the save-state stream 12, the resources of page 2
    // (inline in the source) 13, and the stream itself, numbered last: 14.
    const std::string head = "14 0 obj\r\n<< /Type /XRef /Size 15/Prev " + std::to_string(source.LastXref()) +
                             "/W [1 2 1]/Index [3 2 6 1 10 5]/Length ";
    const size_t at = update.find(head);
    ASSERT_NE(at, std::string::npos) << update;
    const size_t keys = update.find("\r\n", at + head.size());
    EXPECT_EQ(update.substr(keys, 61), "\r\n/Root 1 0 R /Info 1 0 R /ID [ < a1 > < b2 > ] >> \r\nstream\r\n");
    const std::string tail = "\nendstream\r\nendobj\r\nstartxref\r\n" + std::to_string(source.Size() + at) +
                             "\r\n%%EOF\r\n";
    EXPECT_TRUE(out.ends_with(tail));

    auto reread = PdfJob::FromBytes(out);
    ASSERT_EQ(reread->ErrorCode(), 0);
    EXPECT_TRUE(reread->SourceXrefIsStream());
    EXPECT_EQ(reread->SourceStartxref(), static_cast<int64_t>(source.Size() + at));
    EXPECT_EQ(reread->SourceSize(), 15);
    EXPECT_EQ(reread->StoredPageCount(), 2);
    // Every row leads to its object; replaced pages now stand in the file.
    for (int number : {3, 4, 6, 10, 11, 12, 13, 14}) {
        const int64_t offset = reread->Offsets().Find(number, 0);
        ASSERT_GE(offset, static_cast<int64_t>(source.Size())) << number;
        EXPECT_EQ(out.compare(static_cast<size_t>(offset), std::to_string(number).size() + 6,
                              std::to_string(number) + " 0 obj"),
                  0)
            << number;
    }
    EXPECT_GE(reread->Offsets().Find(2, 0), PdfFile::kRegionBase);  // untouched: still compressed
    EXPECT_EQ(out.substr(0, source.Size()), source.Bytes());
}

TEST(XrefStreamWriteTest, SecondUpdateChainsToTheFirstStream) {
    const std::string once = StampInMemory(StreamSource().Bytes());
    const int64_t firstXref = PdfJob::FromBytes(once)->SourceStartxref();
    const std::string twice = StampInMemory(once);
    ASSERT_EQ(twice.substr(0, once.size()), once);
    const std::string update = twice.substr(once.size());
    EXPECT_NE(update.find("/Type /XRef /Size 19/Prev " + std::to_string(firstXref) + "/W"), std::string::npos)
        << update;
    auto reread = PdfJob::FromBytes(twice);
    ASSERT_EQ(reread->ErrorCode(), 0);
    ASSERT_TRUE(reread->BuildPageList({}));
    EXPECT_EQ(reread->Pages().Count(), 2);
    EXPECT_EQ(reread->Pages().At(1).resourcesNumber, 13);  // made by the first update
}

TEST(XrefStreamWriteTest, MarkerComesFirstAndAnEmptyPageListStillGetsAStream) {
    XrefStreamPdf pdf;
    pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>")
        .Compressed(2, "<< /Type /Pages /Kids [] /Count 0 >>")
        .ObjectStream(3)
        .EndStreamSection(4, 5);
    const std::string out = StampInMemory(pdf.Bytes(), true);
    EXPECT_EQ(out.substr(pdf.Size()).rfind("%Sigilry 1.08\r\n5 0 obj\r\n<< /Type /XRef /Size 6/Prev ", 0), 0u)
        << out.substr(pdf.Size());
    EXPECT_EQ(PdfJob::FromBytes(out)->ErrorCode(), 0);
}

TEST(XrefStreamWriteTest, HybridSourceGetsAClassicSectionWithoutItsXRefStm) {
    const XrefStreamPdf pdf = test::HybridPdf("/Resources << >>");
    const std::string out = StampInMemory(pdf.Bytes());
    const std::string update = out.substr(pdf.Size());
    EXPECT_NE(update.find("trailer\r\n<< /Size 9/Prev " + std::to_string(pdf.LastXref()) + "\r\n/Root 1 0 R >> \r\n"),
              std::string::npos)
        << update;
    EXPECT_EQ(update.find("/Type /XRef"), std::string::npos);
    auto reread = PdfJob::FromBytes(out);
    ASSERT_EQ(reread->ErrorCode(), 0);
    EXPECT_FALSE(reread->SourceXrefIsStream());
    EXPECT_GE(reread->Offsets().Find(2, 0), PdfFile::kRegionBase);
}

}  // namespace
}  // namespace sgry
