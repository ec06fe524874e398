// Sizes and depths that outside data decides: each hostile value ends in an
// error code (or is read as the number it is) without a crash, a hang, or
// memory out of proportion to the input.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "engine/PdfJob.h"
#include "support/Sanitized.h"
#include "TestPdf.h"

namespace sgry {
namespace {

using test::FlatPdf;
using test::TestPdf;

std::unique_ptr<PdfJob> Read(const std::string& bytes) { return PdfJob::FromBytes(bytes); }

std::string WithTrailerSize(const std::string& size) {
    std::string pdf = FlatPdf({""});
    const size_t at = pdf.rfind("/Size 4");
    return pdf.replace(at, 7, "/Size " + size);
}

TEST(EngineBoundsTest, ObjectNumbersRunningOutFailTheUpdateAndCutItBack) {
    const std::string source = WithTrailerSize("2147483646");
    std::unique_ptr<PdfJob> job = Read(source);
    ASSERT_EQ(job->ErrorCode(), 0);
    ASSERT_TRUE(job->BuildPageList(PageRangeChoice{}));  // takes the last number
    ASSERT_TRUE(job->BuildWriteTable());
    EXPECT_EQ(job->AllocateObjectNumber(), -1);
    job->WritePageObject(0);
    job->WritePageContent(0, "q Q");
    EXPECT_FALSE(job->FinishUpdate());
    EXPECT_EQ(job->ErrorCode(), job_error::kWriteFailed);
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
        std::unique_ptr<PdfJob> job = Read(bytes);
        EXPECT_EQ(job->ErrorCode(), job_error::kObjectNotFound);
        EXPECT_EQ(job->Offsets().Count(), 0);
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
    ASSERT_EQ(job->ErrorCode(), 0);
    ASSERT_TRUE(job->BuildPageList(PageRangeChoice{}));
    ASSERT_TRUE(job->BuildWriteTable());
    EXPECT_TRUE(job->WritePageObject(0));  // the page dictionary copy counts, it does not recurse
    std::vector<std::string> names;
    EXPECT_FALSE(job->WritePageResources(0, {{ResourceRequest::Category::Font, 9}}, names));
    EXPECT_EQ(job->PageWriterError(), kResourcesUnreadable);
}

TEST(EngineBoundsTest, PageTreeNestedTenThousandDeepFailsTheWalk) {
    TestPdf pdf;
    const int depth = 10000;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    for (int n = 2; n < 2 + depth; ++n)
        pdf.Object(n, "<< /Type /Pages /Kids [" + std::to_string(n + 1) + " 0 R] /Count 1 >>");
    pdf.Object(2 + depth, "<< /Type /Page >>").EndSection(3 + depth);
    std::unique_ptr<PdfJob> job = Read(pdf.Bytes());
    ASSERT_EQ(job->ErrorCode(), 0);
    EXPECT_FALSE(job->BuildPageList(PageRangeChoice{}));
    EXPECT_EQ(job->Pages().ErrorCode(), page_error::kUnreachable);
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
    EXPECT_EQ(job->ErrorCode(), 0);
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

}  // namespace
}  // namespace sgry
