#include <gtest/gtest.h>

#include "engine/PdfJob.h"
#include "tests/engine/TestPdf.h"

namespace sgry {
namespace {

using test::FlatPdf;
using test::TestPdf;

TEST(PdfJobReadTest, MissingFileIsErrorOne) { EXPECT_EQ(PdfJob("/nonexistent/dir/none.pdf").ErrorCode(), 1); }

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
    ASSERT_EQ(job->ErrorCode(), 0);
    EXPECT_EQ(job->Offsets().Find(4, 0), static_cast<int64_t>(newest4));
    EXPECT_EQ(job->Offsets().Count(), 5);
    ASSERT_TRUE(job->SeekObject(5, 0));
    job->NextToken();
    job->NextToken();
    job->NextToken();
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
        ASSERT_EQ(job->ErrorCode(), 0);
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

}  // namespace
}  // namespace sgry
