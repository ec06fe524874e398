#include <gtest/gtest.h>

#include <regex>

#include "engine/PdfJob.h"
#include "engine/TrailerCopy.h"
#include "tests/engine/TestPdf.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::TestPdf;
using Category = ResourceRequest::Category;

// Catalog 1, pages node 3 with the one page 12, streams 5 and 6, resources 7,
// array 8; /Size 40.
TestPdf PageTwelve(const std::string& pageKeys, const std::string& contentsArray = "[5 0 R 6 0 R]") {
    TestPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 3 0 R >>");
    pdf.Object(3, "<< /Type /Pages /Kids [ 12 0 R ] /Count 1 >>");
    pdf.Object(5, "<< /Length 0 >>\nstream\n\nendstream");
    pdf.Object(6, "<< /Length 0 >>\nstream\n\nendstream");
    pdf.Object(7, "<< /ProcSet [/PDF] >>");
    pdf.Object(8, contentsArray);
    pdf.Object(12, "<< /Type /Page /Parent 3 0 R " + pageKeys + " >>");
    pdf.EndSection(40, "/Root 1 0 R");
    return pdf;
}
std::string PageTwelvePdf(const std::string& pageKeys, const std::string& contentsArray = "[5 0 R 6 0 R]") {
    return PageTwelve(pageKeys, contentsArray).Bytes();
}

struct Update {
    std::unique_ptr<PdfJob> job;
    size_t sourceSize;
    std::string Appended() const { return job->File().MemoryBytes().substr(sourceSize); }
};

Update StartUpdate(const std::string& source) {
    Update u{PdfJob::FromBytes(source), source.size()};
    EXPECT_EQ(u.job->ErrorCode(), 0);
    EXPECT_TRUE(u.job->BuildPageList({}));
    EXPECT_TRUE(u.job->BuildWriteTable());
    return u;
}

const std::string kSaveStream = "41 0 obj\r\n<</Length 3>>\r\nstream\r\nq\r\n\nendstream\r\nendobj\r\n";

// The page object names the save-state stream, the old contents and the new
// stream. A comment would swallow the rest of the line the copy joins the
// tokens on: the page object is written without them. Literal strings are
// copied whole, "%" and escaped parentheses included.
TEST(UpdateWriterTest, PageObjectCopies) {
    struct Row {
        const char* name;
        std::string keys;
        std::string contents;
        std::string rest;
        std::string contentsArray = "[5 0 R 6 0 R]";
    };
    const std::vector<Row> rows = {
        {"MediaBox", "/Contents 5 0 R /MediaBox [0 0 612 792] /Resources 7 0 R", "[41 0 R 5 0 R 40 0 R]",
         "/MediaBox [ 0 0 612 792 ] >> "},
        {"DirectArray", "/Contents [5 0 R 6 0 R] /Resources 7 0 R", "[41 0 R 5 0 R 6 0 R 40 0 R]", ">> "},
        {"IndirectArray", "/Contents 8 0 R /Resources 7 0 R", "[41 0 R 5 0 R 6 0 R 40 0 R]", ">> "},
        {"SingleStream", "/Contents 6 0 R /Resources 7 0 R", "[41 0 R 6 0 R 40 0 R]", ">> "},
        {"NoContents", "/Resources 7 0 R", "[41 0 R 40 0 R]", ">> "},
        {"PageNumberComment", "% 1\n/MediaBox [0 0 612 792] /Contents 5 0 R /Resources 7 0 R",
         "[41 0 R 5 0 R 40 0 R]", "/MediaBox [ 0 0 612 792 ] >> "},
        {"CommentsAfterValues", "/Rotate 90 % quarter turn\r\n/Contents 5 0 R %\n/Resources 7 0 R %last",
         "[41 0 R 5 0 R 40 0 R]", "/Rotate 90 >> "},
        {"CommentGluedToValue", "/Rotate 90%c >> ]\r\n/Resources 7 0 R", "[41 0 R 40 0 R]", "/Rotate 90 >> "},
        {"CommentInsideContentsArray", "/Contents [5 0 R % first\r\n6 0 R] /Resources 7 0 R",
         "[41 0 R 5 0 R 6 0 R 40 0 R]", ">> "},
        {"CommentBeforeContentsValue", "/Contents % the stream\n6 0 R /Resources 7 0 R", "[41 0 R 6 0 R 40 0 R]",
         ">> "},
        {"CommentInIndirectContentsArray", "/Contents 8 0 R /Resources 7 0 R", "[41 0 R 5 0 R 6 0 R 40 0 R]", ">> ",
         "% streams\n[5 0 R % the first\n6 0 R]"},
        {"CommentInNestedDictionary", "/Resources 7 0 R /Group << /S /Transparency % blend\n/CS /DeviceRGB >>",
         "[41 0 R 40 0 R]", "/Group << /S /Transparency /CS /DeviceRGB >> >> "},
        {"PercentAndEscapesInString", "/Resources 7 0 R /Title (50% \\) off >> (x)) /Rotate 90",
         "[41 0 R 40 0 R]", "/Title (50% \\) off >> (x)) /Rotate 90 >> "},
    };
    for (const Row& row : rows) {
        Update u = StartUpdate(PageTwelvePdf(row.keys, row.contentsArray));
        EXPECT_EQ(u.job->Pages().At(0).contentNumber, 40) << row.name;
        ASSERT_TRUE(u.job->WritePageObject(0)) << row.name;
        EXPECT_EQ(u.Appended(), kSaveStream + "12 0 obj\r\n<</Contents " + row.contents +
                                    "\r\n/Resources 7 0 R\r\n/Type /Page /Parent 3 0 R " + row.rest + "\r\nendobj\r\n")
            << row.name;
        EXPECT_EQ(u.job->ErrorCode(), 0) << row.name;
    }
}

TEST(UpdateWriterTest, InlineResourcesBecomeAnObject) {
    Update u = StartUpdate(PageTwelvePdf("/Resources << /Font << /F1 9 0 R >> >> /Rotate 90"));
    ASSERT_TRUE(u.job->WritePageObject(0));
    EXPECT_EQ(u.job->Pages().At(0).resourcesNumber, 42);
    std::vector<std::string> names;
    ASSERT_TRUE(u.job->WritePageResources(0, {{Category::Font, 30}}, names));
    EXPECT_EQ(names, std::vector<std::string>{"/UK0"});
    EXPECT_EQ(u.Appended(), kSaveStream +
                                "12 0 obj\r\n<</Contents [41 0 R 40 0 R]\r\n/Resources 42 0 R\r\n"
                                "/Type /Page /Parent 3 0 R /Rotate 90 >> \r\nendobj\r\n"
                                "42 0 obj\r\n<<\r\n/Font <<\r\n/F1 9 0 R\r\n/UK0 30 0 R\r\n>>\r\n>>\r\nendobj\r\n");
    const WriteTable::Entry* entry = u.job->Writes().Find(42, 0);
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entry->isNew);
    EXPECT_EQ(entry->kind, ObjectKind::PageResources);
}

TEST(UpdateWriterTest, ResourceNamesAndReferencedCategories) {
    // The resources come in a second section, their /XObject dictionary indirect.
    TestPdf pdf = PageTwelve("/Resources 14 0 R");
    pdf.Object(14, "<< /Font << /UK0 9 0 R >> /XObject 15 0 R >>").Object(15, "<< /Im1 16 0 R >>").EndSection(40);
    Update u = StartUpdate(pdf.Bytes());
    ASSERT_TRUE(u.job->WritePageObject(0));
    std::vector<std::string> names;
    ASSERT_TRUE(u.job->WritePageResources(
        0, {{Category::Font, 30}, {Category::Font, 31}, {Category::XObject, 32}, {Category::ExtGState, 33}}, names));
    EXPECT_EQ(names, (std::vector<std::string>{"/UK1", "/UK2", "/UK0", "/UK0"}));
    const std::string appended = u.Appended();
    EXPECT_NE(appended.find("14 0 obj\r\n<<\r\n/Font <<\r\n/UK0 9 0 R\r\n/UK1 30 0 R\r\n/UK2 31 0 R\r\n>>\r\n"
                            "/XObject <<\r\n/Im1 16 0 R\r\n/UK0 32 0 R\r\n>>\r\n/ExtGState <<\r\n/UK0 33 0 R\r\n>>"
                            "\r\n>>\r\nendobj\r\n"),
              std::string::npos)
        << appended;
}

TEST(UpdateWriterTest, UnreadableResourcesFailThePage) {
    Update u = StartUpdate(PageTwelvePdf("/Resources 8 0 R"));  // 8 is an array
    ASSERT_TRUE(u.job->WritePageObject(0));
    std::vector<std::string> names;
    EXPECT_FALSE(u.job->WritePageResources(0, {{Category::Font, 30}}, names));
    EXPECT_EQ(u.job->PageWriterError(), kResourcesUnreadable);
}

TEST(UpdateWriterTest, ContentStreams) {
    Update u = StartUpdate(PageTwelvePdf("/Resources 7 0 R"));
    const size_t before = u.job->File().MemoryBytes().size();
    ASSERT_TRUE(u.job->WritePageContent(0, ""));
    EXPECT_EQ(u.job->File().MemoryBytes().substr(before), "40 0 obj\r\n<</Length 0>>\r\nstream\r\n\nendstream\r\nendobj\r\n");

    std::string text;
    for (int i = 0; i < 50; ++i) text += "BT /UK0 12 Tf 10 10 Td (page) Tj ET\r\n";
    const size_t second = u.job->File().MemoryBytes().size();
    ASSERT_TRUE(u.job->WritePageContent(0, text));  // the same object written again: the last offset counts
    const std::string written = u.job->File().MemoryBytes().substr(second);
    std::smatch m;
    ASSERT_TRUE(std::regex_search(written, m, std::regex("^40 0 obj\r\n<</Length (\\d+)/Filter/FlateDecode>>\r\nstream\r\n")));
    const size_t length = std::stoul(m[1]);
    EXPECT_LT(length, text.size());
    EXPECT_EQ(written.substr(m[0].length() + length), "\nendstream\r\nendobj\r\n");
    EXPECT_EQ(u.job->Writes().Find(40, 0)->offset, static_cast<int64_t>(second));
}

TEST(TrailerCopyTest, KeysOfTheNewestTrailer) {
    struct Row {
        const char* name;
        std::string section;
        std::string copied;
    };
    const std::vector<Row> rows = {
        {"Id", "xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 9 /Root 1 0 R /Info 2 0 R /ID [<a1><b2>] >>\n",
         "/Root 1 0 R /Info 2 0 R /ID [ < a1 > < b2 > ] >> "},
        {"SizeAndPrevAnywhere", "xref\ntrailer\n<</Prev 100/Root 1 0 R/Size 9>>\nstartxref\n1\n%%EOF\n",
         "/Root 1 0 R >> "},
        {"InlineInfoDictionary", "xref\ntrailer\n<< /Size 3 /Info << /Producer (a) /Size 3 >> /Prev 7 /Root 1 0 R >>\n",
         "/Info << /Producer (a) /Size 3 >> /Root 1 0 R >> "},
        {"NoTrailerKeyword", "xref\n0 1\n0000000000 65535 f \n", ">> "},
        {"CutShort", "xref\ntrailer\n<< /Size 3 /Root 1 0 R", "/Root 1 0 R >> "},
        {"CommentsLeftOut", "xref\ntrailer\n<< /Size 3 % objects\n/Root 1 0 R % catalog >>\r\n/Info 2 0 R >>\n",
         "/Root 1 0 R /Info 2 0 R >> "},
        {"CommentInSkippedValue", "xref\ntrailer\n<< /Root 1 0 R /Prev % older\n7 /Info 2 0 R >>\n",
         "/Root 1 0 R /Info 2 0 R >> "},
        {"LiteralIdWithEscapes", "xref\ntrailer\n<< /Size 3 /Root 1 0 R /ID [(a\\)%b) (c)] >>\n",
         "/Root 1 0 R /ID [ (a\\)%b) (c) ] >> "},
        {"StreamDictionaryComments", "5 0 obj\n<< /Type /XRef % section\n/Root 1 0 R /W [1 2 1] %w\n/Size 6 >>\n",
         "/Root 1 0 R >> "},
    };
    for (const Row& row : rows) {
        PdfFile file;
        file.OpenMemory("%PDF-1.4\n" + row.section);
        TokenReader reader(file);
        EXPECT_EQ(CopyTrailerKeys(reader, 9), row.copied) << row.name;
    }
}

// Source /Size 20, three pages (objects 3, 4, 5) sharing resources object 6.
std::string ThreePagesSharingResources(const std::string& sizes = "") {
    TestPdf pdf;
    pdf.Object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Object(2, "<< /Type /Pages /Kids [ 3 0 R 4 0 R 5 0 R ] /Count 3 " + sizes + " >>");
    pdf.Object(3, "<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 7 0 R >>");
    pdf.Object(4, "<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 7 0 R >>");
    pdf.Object(5, "<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 7 0 R >>");
    pdf.Object(6, "<< /ProcSet [/PDF] >>");
    pdf.Object(7, "<< /Length 0 >>\nstream\n\nendstream");
    pdf.EndSection(20, "/Root 1 0 R /ID [<a1><b2>]");
    return pdf.Bytes();
}

size_t LastObjectOffset(const std::string& bytes, int number) { return bytes.rfind(std::to_string(number) + " 0 obj\r\n"); }

TEST(UpdateWriterTest, CrossReferenceSectionAndTrailer) {
    const std::string source = ThreePagesSharingResources();
    Update u = StartUpdate(source);
    for (int32_t i = 0; i < 3; ++i) {
        std::vector<std::string> names;
        ASSERT_TRUE(u.job->WritePageObject(i));
        ASSERT_TRUE(u.job->WritePageResources(i, {}, names));
        ASSERT_TRUE(u.job->WritePageContent(i, ""));
    }
    const std::string bytesBefore = u.job->File().MemoryBytes();
    ASSERT_TRUE(u.job->FinishUpdate());
    const std::string& out = u.job->File().MemoryBytes();
    EXPECT_EQ(out.compare(0, source.size(), source), 0);
    // Resources object 6 went out three times; the section lists its last copy.
    size_t copies = 0;
    for (size_t at = out.find("6 0 obj\r\n", source.size()); at != std::string::npos; at = out.find("6 0 obj\r\n", at + 1))
        ++copies;
    EXPECT_EQ(copies, 3u);

    std::string expected = "xref\r\n3 4\r\n";
    for (int n : {3, 4, 5, 6}) expected += test::TestPdf::XrefLine(LastObjectOffset(bytesBefore, n));
    expected += "20 4\r\n";  // content streams 20, 21, 22 and the save-state stream 23
    for (int n : {20, 21, 22, 23}) expected += test::TestPdf::XrefLine(LastObjectOffset(bytesBefore, n));
    const long oldXref = std::stol(source.substr(source.rfind("startxref\n") + 10));
    expected += "trailer\r\n<< /Size 24/Prev " + std::to_string(oldXref) + "\r\n/Root 1 0 R /ID [ < a1 > < b2 > ] >> \r\n";
    expected += "startxref\r\n" + std::to_string(bytesBefore.size()) + "\r\n%%EOF\r\n";
    EXPECT_EQ(out.substr(bytesBefore.size()), expected);
    EXPECT_EQ(u.job->NewStartxref(), static_cast<int64_t>(bytesBefore.size()));

    // Every offset of the section lands on its object's header.
    for (const WriteTable::Entry& e : u.job->Writes().Entries())
        EXPECT_EQ(out.compare(static_cast<size_t>(e.offset), std::to_string(e.number).size() + 6,
                              std::to_string(e.number) + " 0 obj"),
                  0)
            << e.number;

    // A second update reads the first one: numbers go on from its /Size.
    auto again = PdfJob::FromBytes(out);
    ASSERT_EQ(again->ErrorCode(), 0);
    EXPECT_EQ(again->SourceStartxref(), static_cast<int64_t>(bytesBefore.size()));
    EXPECT_EQ(again->NextObjectNumber(), 24);
    EXPECT_EQ(again->Offsets().Find(3, 0), static_cast<int64_t>(LastObjectOffset(bytesBefore, 3)));
    EXPECT_EQ(again->StoredPageCount(), 3);
}

TEST(UpdateWriterTest, SharedResourcesAcrossSizeClassesAreSplit) {
    // Page 4 is landscape; it must not share the rewritten object 6 with pages 3 and 5.
    std::string source = ThreePagesSharingResources();
    const std::string page4 = "4 0 obj\n<< /Type /Page /Parent 2 0 R /Resources 6 0 R /Contents 7 0 R >>";
    const std::string landscape = "4 0 obj\n<< /Type /Page /MediaBox [0 0 842 595] /Resources 6 0 R       >>";
    ASSERT_EQ(page4.size(), landscape.size());
    source.replace(source.find(page4), page4.size(), landscape);
    Update u = StartUpdate(source);
    EXPECT_EQ(u.job->Pages().At(0).resourcesNumber, 6);
    EXPECT_EQ(u.job->Pages().At(1).resourcesInline, 1);
    EXPECT_EQ(u.job->Pages().At(2).resourcesNumber, 6);
    for (int32_t i = 0; i < 3; ++i) {
        std::vector<std::string> names;
        ASSERT_TRUE(u.job->WritePageObject(i));
        ASSERT_TRUE(u.job->WritePageResources(i, {{Category::XObject, 50 + u.job->Pages().At(i).sizeClass}}, names));
        EXPECT_EQ(names[0], "/UK0");
    }
    EXPECT_EQ(u.job->Pages().At(1).resourcesNumber, 24);
    const std::string appended = u.Appended();
    EXPECT_NE(appended.find("24 0 obj\r\n<<\r\n/ProcSet [/PDF ]\r\n/XObject <<\r\n/UK0 51 0 R\r\n>>"), std::string::npos);
    const std::string last6 = appended.substr(LastObjectOffset(appended, 6));
    EXPECT_EQ(last6.substr(0, last6.find("endobj")),
              "6 0 obj\r\n<<\r\n/ProcSet [/PDF ]\r\n/XObject <<\r\n/UK0 50 0 R\r\n>>\r\n>>\r\n");
}

TEST(UpdateWriterTest, FailedWriteFailsTheUpdate) {
    const test::ScratchDir dir("read-only-job");
    const std::string path = dir.File("a.pdf");
    const std::string source = ThreePagesSharingResources();
    test::ScratchDir::Write(path, source);
    PdfJob job(path);  // opened "rb": every write fails
    ASSERT_EQ(job.ErrorCode(), 0);
    ASSERT_TRUE(job.BuildPageList({}));
    ASSERT_TRUE(job.BuildWriteTable());
    EXPECT_FALSE(job.WritePageObject(0));
    EXPECT_FALSE(job.FinishUpdate());
    EXPECT_EQ(job.ErrorCode(), job_error::kWriteFailed);
    EXPECT_EQ(test::ScratchDir::Read(path), source);
}

TEST(UpdateWriterTest, MarkerUndoAndLineEnd) {
    const std::string source = ThreePagesSharingResources();
    Update u = StartUpdate(source);
    u.job->WriteMarker();
    ASSERT_TRUE(u.job->WritePageObject(0));
    EXPECT_EQ(u.Appended().substr(0, 15), "%Sigilry 1.08\r\n");
    EXPECT_EQ(u.job->UpdateStart(), static_cast<int64_t>(source.size()));
    ASSERT_TRUE(u.job->UndoUpdate());
    EXPECT_EQ(u.job->File().MemoryBytes(), source);

    // A source whose last line has no line end: objects never join its %%EOF line.
    const std::string bare = source.substr(0, source.size() - 1);
    Update plain = StartUpdate(bare);
    ASSERT_TRUE(plain.job->WritePageObject(0));
    EXPECT_EQ(plain.Appended().substr(0, 10), "\r\n23 0 obj");
    Update marked = StartUpdate(bare);
    marked.job->WriteMarker();
    EXPECT_EQ(marked.Appended(), "\r\n%Sigilry 1.08 +EOL\r\n");
}

TEST(UpdateWriterTest, OddAndEvenPositionsInTheWriteTable) {
    Update u{PdfJob::FromBytes(ThreePagesSharingResources()), 0};
    ASSERT_TRUE(u.job->BuildPageList({}));
    ASSERT_TRUE(u.job->BuildWriteTable(false, true));  // only the second page
    EXPECT_NE(u.job->Writes().Find(4, 0), nullptr);
    EXPECT_EQ(u.job->Writes().Find(3, 0), nullptr);
    EXPECT_NE(u.job->Writes().Find(21, 0), nullptr);
    EXPECT_EQ(u.job->Writes().Find(20, 0), nullptr);
    EXPECT_EQ(u.job->Writes().Count(), 4);  // page, content, resources, save-state stream
}

}  // namespace
}  // namespace sgry
