#include <gtest/gtest.h>

#include "engine/PdfJob.h"
#include "tests/engine/TestPdf.h"

namespace sgry {
namespace {

using test::FlatPdf;
using test::TestPdf;

std::string OnePagePdf(const std::string& trailerKeys = "/Root 1 0 R", int size = 4) {
    TestPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Object(2, "<< /Type /Pages /Kids [ 3 0 R ] /Count 1 >>");
    pdf.Object(3, "<< /Type /Page /Parent 2 0 R >>");
    pdf.EndSection(size, trailerKeys);
    return pdf.Bytes();
}

TEST(PdfJobReadTest, ReadsAWellFormedFile) {
    auto job = PdfJob::FromBytes(OnePagePdf("/Root 1 0 R", 25));
    EXPECT_EQ(job->ErrorCode(), 0);
    EXPECT_EQ(job->StoredPageCount(), 1);
    EXPECT_EQ(job->SourceSize(), 25);
    EXPECT_EQ(job->NextObjectNumber(), 25);
    EXPECT_EQ(job->AllocateObjectNumber(), 25);
    EXPECT_EQ(job->AllocateObjectNumber(), 26);
    EXPECT_EQ(job->Offsets().Count(), 3);
    EXPECT_EQ(job->ObjectType(3, 0), "/Page");
    EXPECT_EQ(job->ObjectType(2, 0), "/Pages");
    EXPECT_EQ(job->ObjectType(1, 1), "");
}

struct ErrorRow {
    const char* name;
    std::string bytes;
    int expected;
};

std::vector<ErrorRow> ErrorRows() {
    const std::string good = OnePagePdf();
    std::vector<ErrorRow> rows;
    rows.push_back({"ByteOrderMark", "\xEF\xBB\xBF" + good, 17});
    rows.push_back({"LeadingSpace", " " + good, 17});
    rows.push_back({"ShorterThan100Bytes", "%PDF-1.4\nstartxref\n9\n%%EOF\n", 2});
    rows.push_back({"StartxrefPushedOut", good + std::string(120, ' '), 3});
    {
        // The 100-byte mark falls inside the keyword: only "tartxref" is left.
        const size_t keyword = good.rfind("startxref");
        const size_t cut = good.size() - keyword - 1;  // bytes from the 't' to the end
        rows.push_back({"MarkInsideKeyword", good + std::string(100 - cut, '\n'), 3});
    }
    {
        std::string noSize = good;
        noSize.replace(noSize.find("/Size 4"), 7, "/Siz 4 ");
        rows.push_back({"NoSize", noSize, 4});
    }
    {
        std::string negative = good;
        const size_t at = negative.rfind("startxref\n") + 10;
        negative.replace(at, negative.find('\n', at) - at, "-5");
        rows.push_back({"NegativeStartxref", negative, 4});
    }
    {
        std::string upper = good;
        upper.replace(upper.rfind("startxref"), 9, "STARTXREF");
        rows.push_back({"StartxrefInCapitals", upper, 0});
    }
    {
        TestPdf pdf;
        pdf.Object(1, "<< /Type /Catalog /Outlines 2 0 R >>").Object(2, "<< /Type /Pages /Count 1 >>");
        pdf.EndSection(3);
        rows.push_back({"RootWithoutPages", pdf.Bytes(), 7});
    }
    {
        TestPdf pdf;
        pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>").Object(2, "<< /Type /Pages /Kids [ ] >>");
        pdf.EndSection(3);
        rows.push_back({"PagesWithoutCount", pdf.Bytes(), 7});
    }
    rows.push_back({"NoRoot", OnePagePdf("/Info 1 0 R"), 8});
    rows.push_back({"RootNotInTable", OnePagePdf("/Root 9 0 R"), 9});
    {
        // The newest section is a cross-reference stream: nothing is read, the root is not found.
        std::string bytes = "%PDF-1.5\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n";
        const size_t xref = bytes.size();
        bytes += "5 0 obj\n<< /Type /XRef /Size 6 /Root 1 0 R /W [1 2 1] /Length 4 >>\nstream\nABCD"
                 "\nendstream\nendobj\nstartxref\n" +
                 std::to_string(xref) + "\n%%EOF\n";
        rows.push_back({"CrossReferenceStream", bytes, 9});
    }
    {
        TestPdf pdf;  // a /Prev that points back at the section itself
        pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
        pdf.Object(2, "<< /Type /Pages /Kids [ ] /Count 0 >>");
        const std::string base = pdf.Bytes();
        const size_t xref = base.size();
        pdf.EndSection(3, "/Root 1 0 R /Prev " + std::to_string(xref));
        rows.push_back({"PrevToItself", pdf.Bytes(), 6});
    }
    {
        TestPdf pdf;
        pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
        pdf.Object(2, "<< /Type /Pages /Kids [ ] /Count 0 >>");
        pdf.EndSection(3, "/Root 1 0 R /Prev -20");
        rows.push_back({"NegativePrev", pdf.Bytes(), 6});
    }
    {
        // The newest section names the first as /Prev, and the first names the newest.
        TestPdf pdf;
        pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
        pdf.Object(2, "<< /Type /Pages /Kids [ ] /Count 0 >>");
        pdf.EndSection(3, "/Root 1 0 R /Prev 0000000000");
        pdf.Object(2, "<< /Type /Pages /Kids [ ] /Count 0 >>");
        pdf.EndSection(3);
        std::string bytes = pdf.Bytes();
        char padded[16];
        std::snprintf(padded, sizeof padded, "%010ld", pdf.LastXref());
        bytes.replace(bytes.find("0000000000", bytes.find("/Prev")), 10, padded);
        rows.push_back({"PrevLoopOverTwoSections", bytes, 6});
    }
    return rows;
}

TEST(PdfJobReadTest, ConstructionErrorCodes) {
    for (const ErrorRow& row : ErrorRows()) {
        auto job = PdfJob::FromBytes(row.bytes);
        EXPECT_EQ(job->ErrorCode(), row.expected) << row.name;
    }
}

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
    }
}

}  // namespace
}  // namespace sgry
