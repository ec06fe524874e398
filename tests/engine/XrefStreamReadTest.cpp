// Reading sources whose cross-reference data are streams and whose objects
// lie in object streams: the chain, hybrid files, every reader of the job on
// compressed objects, and hostile sizes.
#include <gtest/gtest.h>

#include "engine/PdfJob.h"
#include "engine/XrefReader.h"
#include "tests/engine/TestPdf.h"
#include "tests/engine/XrefStreamPdf.h"

namespace sgry {
namespace {

using test::XrefStreamPdf;

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
        ASSERT_EQ(job->ErrorCode(), 0);
        EXPECT_TRUE(job->SourceXrefIsStream());
        EXPECT_EQ(job->SourceSize(), 10);
        EXPECT_EQ(job->StoredPageCount(), 2);
        ASSERT_TRUE(job->BuildPageList({}));
        ASSERT_EQ(job->Pages().Count(), 2);
        const PageEntry& first = job->Pages().At(0);
        EXPECT_EQ(first.objectNumber, 3);
        EXPECT_EQ(first.resourcesNumber, 6);
        EXPECT_EQ(first.width, 612);
        EXPECT_EQ(first.height, 792);
        const PageEntry& second = job->Pages().At(1);
        EXPECT_EQ(second.objectNumber, 4);
        EXPECT_EQ(second.resourcesInline, 1);
        EXPECT_EQ(second.rotation, 90);
        EXPECT_EQ(first.contentNumber, 10);  // numbering goes on from /Size
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
    ASSERT_EQ(job->ErrorCode(), 0);
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
    ASSERT_EQ(job->ErrorCode(), 0);
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
    ASSERT_EQ(job->ErrorCode(), 0);
    EXPECT_FALSE(job->SourceXrefIsStream());
    EXPECT_EQ(job->StoredPageCount(), 1);
    ASSERT_TRUE(job->BuildPageList({}));
    EXPECT_EQ(job->Pages().At(0).height, 600);

    // Without reading /XRefStm the compressed objects would be missing.
    PdfFile file;
    file.OpenMemory(pdf.Bytes());
    TokenReader reader(file);
    ObjectOffsetTable table;
    XrefReader xref(reader, table);
    ASSERT_EQ(xref.ReadChain(pdf.LastXref()), 0);
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

struct HostileCase {
    const char* name;
    const char* from;
    const char* to;
    int newestError;  // when the damaged stream is the newest section
    int olderError;   // when it is reached through /Prev
};

class XrefStreamHostileTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(XrefStreamHostileTest, DamagedStreamFailsWithTheCodeOfItsPlace) {
    const HostileCase& c = GetParam();
    XrefStreamPdf newest = CompressedDocument();
    auto job = PdfJob::FromBytes(Patched(newest.Bytes(), c.from, c.to));
    EXPECT_EQ(job->ErrorCode(), c.newestError);

    // The same section as the older one of a classic update.
    XrefStreamPdf chained = CompressedDocument();
    chained.Object(9, "<< >>").EndClassicSection(10);
    auto older = PdfJob::FromBytes(Patched(chained.Bytes(), c.from, c.to));
    EXPECT_EQ(older->ErrorCode(), c.olderError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XrefStreamHostileTest,
    ::testing::Values(HostileCase{"FieldWiderThanEightBytes", "/W [1 4 2]", "/W [1 9 2]", 4, 6},
                      HostileCase{"WidthsMissing", "/W [1 4 2]", "/X [1 4 2]", 4, 6},
                      HostileCase{"UnknownFilter", "/Filter /FlateDecode /DecodeParms",
                                  "/Filter /LZWDecode   /DecodeParms", 4, 6},
                      HostileCase{"UnknownPredictor", "/Predictor 12", "/Predictor 99", 4, 6},
                      HostileCase{"IndexOfOddLength", "/Index [1 8 ] ", "/Index [1 8 5]", 4, 6}),
    [](const auto& info) { return std::string(info.param.name); });

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
    for (const auto& [name, bytes, code] : {std::tuple{"LengthBeyondTheFile", longer, 4},
                                            std::tuple{"DamagedCompressedRows", damaged, 4},
                                            std::tuple{"IndexCountBeyondTheData", counted, 0}}) {
        auto job = PdfJob::FromBytes(bytes);
        EXPECT_EQ(job->ErrorCode(), code) << name;
        if (code == 0) {
            EXPECT_EQ(job->StoredPageCount(), 2);
        }
    }
}

// An object stream whose /N or /First does not fit its data makes its
// objects unreachable: the root lookup fails with error 9.
TEST(XrefStreamReadTest, ObjectsOfABadObjectStreamAreNotFound) {
    struct Row {
        const char* name;
        long n;
        long first;
    };
    for (const Row& row : {Row{"HugeN", 100000000, -1}, Row{"FirstBeyondData", -1, 5000}, Row{"NegativeFirst", -1, 0}}) {
        XrefStreamPdf pdf;
        pdf.Compressed(1, "<< /Type /Catalog /Pages 2 0 R >>")
            .Compressed(2, "<< /Type /Pages /Kids [] /Count 0 >>")
            .ObjectStream(3, true, row.n, row.first)
            .EndStreamSection(4, 5);
        EXPECT_EQ(PdfJob::FromBytes(pdf.Bytes())->ErrorCode(), 9) << row.name;
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
    EXPECT_EQ(PdfJob::FromBytes(bytes)->ErrorCode(), 9);
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
    EXPECT_EQ(PdfJob::FromBytes(bytes)->ErrorCode(), 6);
}

}  // namespace
}  // namespace sgry
