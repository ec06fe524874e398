#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "pdf/PdfFile.h"
#include "pdf/PdfIndirectObject.h"
#include "pdf/StreamDecoder.h"
#include "platform/Format.h"
#include "support/MemoryObjectWriter.h"
#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"
#include "support/TestPdfFile.h"

namespace sgry {
namespace {

using test::MemoryObjectWriter;
using namespace std::string_literals;

// Fails the text appends whose ordinal (0-based) is listed, passes the others.
class FlakyWriter : public MemoryObjectWriter {
public:
    FlakyWriter(std::string prefix, std::vector<int> failing)
        : MemoryObjectWriter(1, std::move(prefix)), failing_(std::move(failing)) {}
    int64_t AppendAtEnd(std::string_view text) override {
        const int call = calls_++;
        for (int f : failing_)
            if (f == call) return -1;
        return MemoryObjectWriter::AppendAtEnd(text);
    }

private:
    std::vector<int> failing_;
    int calls_ = 0;
};

std::unique_ptr<PdfRawStream> StreamOf(std::string_view bytes) {
    auto stream = std::make_unique<PdfRawStream>();
    EXPECT_TRUE(stream->SetData(bytes));
    return stream;
}

TEST(PdfIndirectObjectTest, ObjectTextAndItemsOutsideTheContents) {
    EXPECT_EQ(PdfIndirectObject().ToText(), "0 0 obj\r\n\r\nendobj\r\n");
    PdfIndirectObject dictionary(12, 0);
    EXPECT_EQ(dictionary.GetItem(0), nullptr);
    EXPECT_TRUE(dictionary.AddEntry(std::make_unique<PdfDictionary>()));
    EXPECT_EQ(dictionary.ToText(), "12 0 obj\r\n<<\r\n>>\r\nendobj\r\n");
    EXPECT_EQ(dictionary.GetItem(1), nullptr);
    EXPECT_EQ(dictionary.GetItem(-1), nullptr);
    EXPECT_EQ(dictionary.TakeItem(1), nullptr);
    // Contents follow each other without a separator.
    PdfIndirectObject object(3, 1);
    object.AddEntry(std::make_unique<PdfReference>(4, 0));
    object.AddEntry(std::make_unique<PdfLiteral>("x"));
    EXPECT_FALSE(object.AddEntry(nullptr));
    EXPECT_EQ(object.ItemCount(), 2u);
    EXPECT_EQ(object.ToText(), "3 1 obj\r\n4 0 Rx\r\nendobj\r\n");
}

struct StreamRow {
    const char* name;
    std::function<std::unique_ptr<PdfRawStream>()> stream;
    std::string written;  // bytes after the header line and the dictionary
};

class StreamPart : public ::testing::TestWithParam<StreamRow> {};

TEST_P(StreamPart, WritesExactBytes) {
    MemoryObjectWriter writer(1, "%PDF-1.4\r\n");
    PdfIndirectObject object(7, 0);
    PdfDictionary dictionary;
    dictionary.AddInteger("/Length", 3);
    object.AddEntry(std::make_unique<PdfDictionary>(std::move(dictionary)));
    object.SetStream(GetParam().stream());
    EXPECT_EQ(object.WriteTo(writer), 10);
    EXPECT_EQ(writer.bytes(), "%PDF-1.4\r\n7 0 obj\r\n<<\r\n/Length 3\r\n>>" + GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    PdfIndirectObject, StreamPart,
    ::testing::Values(
        StreamRow{"ThreeBytes", [] { return StreamOf("abc"); }, "stream\r\nabc\r\nendstream\r\nendobj\r\n"},
        StreamRow{"ZeroBytesWithBuffer", [] { return StreamOf(""); }, "stream\r\n\r\nendstream\r\nendobj\r\n"},
        StreamRow{"NoData", [] { return std::make_unique<PdfRawStream>(); },
                  "stream\r\n\r\nendstream\r\nendobj\r\n"},
        StreamRow{"NulBytesSurvive", [] { return StreamOf("a\0b\0"s); },
                  "stream\r\na\0b\0\r\nendstream\r\nendobj\r\n"s},
        StreamRow{"NoStream", [] { return std::unique_ptr<PdfRawStream>(); }, "endobj\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PdfIndirectObjectTest, TextAppendStopsAtNulSoBinaryNeedsAStream) {
    MemoryObjectWriter writer;
    PdfIndirectObject object(2, 0);
    object.AddEntry(std::make_unique<PdfLiteral>("a\0b"s));
    EXPECT_EQ(WriteAndRecord(writer, object), 0);
    EXPECT_EQ(writer.bytes(), "2 0 obj\r\na");

    PdfFile file;
    file.OpenMemory("%PDF");
    EXPECT_EQ(file.AppendAtEnd("xy\0z"s), 4);
    EXPECT_EQ(file.MemoryBytes(), "%PDFxy");
}

TEST(PdfIndirectObjectTest, SetDataAndSetStreamReplaceWhatWasHeld) {
    PdfRawStream stream;
    EXPECT_TRUE(stream.SetData(5, "hello"));
    EXPECT_TRUE(stream.SetData("hi"));
    EXPECT_EQ(stream.Data(), "hi");
    EXPECT_EQ(stream.Length(), 2);

    PdfIndirectObject object(1, 0);
    EXPECT_TRUE(object.SetStream(StreamOf("one")));
    EXPECT_TRUE(object.SetStream(StreamOf("two")));
    ASSERT_NE(object.Stream(), nullptr);
    EXPECT_EQ(object.Stream()->Data(), "two");
    EXPECT_TRUE(object.SetStream(nullptr));
    EXPECT_EQ(object.Stream(), nullptr);
}

TEST(PdfIndirectObjectTest, OffsetIsTheHeaderEvenWhenLaterWritesFail) {
    FlakyWriter writer("0123", {1, 2, 3});  // stream line, endstream and endobj fail
    PdfIndirectObject object(5, 0);
    object.AddEntry(std::make_unique<PdfDictionary>());
    object.SetStream(StreamOf("zz"));
    EXPECT_EQ(object.WriteTo(writer), 4);
    EXPECT_EQ(writer.bytes(), "01235 0 obj\r\n<<\r\n>>zz");
}

TEST(PdfIndirectObjectTest, FailedHeaderGivesMinusOneButTheRestIsStillWritten) {
    FlakyWriter writer("", {0});
    PdfIndirectObject object(5, 0);
    object.AddEntry(std::make_unique<PdfDictionary>());
    object.SetStream(StreamOf("zz"));
    writer.RegisterObject(5, 0, true, ObjectKind::Form);
    EXPECT_EQ(WriteAndRecord(writer, object), -1);
    EXPECT_EQ(writer.Find(5, 0)->offset, -1);
    EXPECT_EQ(writer.bytes(), "stream\r\nzz\r\nendstream\r\nendobj\r\n");
}

TEST(PdfIndirectObjectTest, WriteNewObjectFollowsTheProtocol) {
    MemoryObjectWriter writer(25, "%PDF-1.4\r\n");
    PdfDictionary font;
    font.AddLiteral("/Type", "/Font");
    font.AddLiteral("/BaseFont", "/Helvetica");
    EXPECT_EQ(WriteNewObject(writer, ObjectKind::Font, std::move(font)), 25);

    PdfDictionary state;
    state.AddObject("/ca", std::make_unique<PdfReal>(0.3f));
    EXPECT_EQ(WriteNewObject(writer, ObjectKind::GraphicsState, std::move(state)), 26);

    ASSERT_EQ(writer.entries().size(), 2u);
    const auto& font0 = writer.entries()[0];
    EXPECT_TRUE(font0.kind == ObjectKind::Font && font0.isNew && font0.generation == 0 && font0.offset == 10);
    EXPECT_EQ(writer.entries()[1].kind, ObjectKind::GraphicsState);
    const std::string first = "25 0 obj\r\n<<\r\n/Type /Font\r\n/BaseFont /Helvetica\r\n>>\r\nendobj\r\n";
    EXPECT_EQ(writer.entries()[1].offset, static_cast<int64_t>(10 + first.size()));
    EXPECT_EQ(writer.bytes(), "%PDF-1.4\r\n" + first + "26 0 obj\r\n<<\r\n/ca 0.30\r\n>>\r\nendobj\r\n");
}

TEST(PdfIndirectObjectTest, DoubleRegistrationKeepsOneEntryAndUnregisteredOffsetIsIgnored) {
    MemoryObjectWriter writer(40);
    const int32_t number = writer.NewObject(ObjectKind::Form);
    writer.RegisterObject(number, 0, true, ObjectKind::Form);
    const int64_t offset = WriteObject(writer, number, PdfDictionary());
    ASSERT_EQ(writer.entries().size(), 1u);
    EXPECT_EQ(writer.entries()[0].offset, offset);

    WriteObject(writer, 99, PdfDictionary());  // never registered
    EXPECT_EQ(writer.entries().size(), 1u);
    EXPECT_EQ(writer.Find(99, 0), nullptr);
}

TEST(PdfIndirectObjectTest, FlateStreamAddsLengthAndFilterInThatOrder) {
    std::string content;
    for (int i = 0; i < 40; ++i) content += "BT /UK0 12.00 Tf 1 0 0 1 28.35 28.35 Tm (Page) Tj ET\r\n";
    MemoryObjectWriter writer(3);
    PdfDictionary form;
    form.AddLiteral("/Subtype", "/Form");
    const std::string data = AddFlateStream(form, content);
    const std::string length = Format("%d", static_cast<int>(data.size()));
    EXPECT_EQ(form.ToText(), "<<\r\n/Subtype /Form\r\n/Length " + length + "\r\n/Filter /FlateDecode\r\n>>");
    EXPECT_EQ(WriteNewObject(writer, ObjectKind::Form, std::move(form), data), 3);
    EXPECT_EQ(writer.bytes().find("3 0 obj\r\n<<\r\n/Subtype /Form\r\n/Length " + length), 0u);
    const std::size_t start = writer.bytes().find(">>stream\r\n") + 10;
    std::string inflated;
    EXPECT_EQ(InflateBounded(writer.bytes().substr(start, data.size()), content.size(), inflated), DecodeResult::Ok);
    EXPECT_EQ(inflated, content);
    EXPECT_EQ(writer.bytes().substr(start + data.size()), "\r\nendstream\r\nendobj\r\n");
}

TEST(PdfIndirectObjectTest, FlateStreamFallsBackToPlainText) {
    PdfDictionary form;
    EXPECT_EQ(AddFlateStream(form, "q Q"), "q Q");
    EXPECT_EQ(form.ToText(), "<<\r\n/Length 3\r\n>>");
    PdfDictionary empty;
    EXPECT_EQ(AddFlateStream(empty, ""), "");
    EXPECT_EQ(empty.ToText(), "<<\r\n/Length 0\r\n>>");
}

// A whole file built with the new-object protocol, judged by real readers.
TEST(PdfIndirectObjectTest, ObjectsMakeAFileThatRealReadersAccept) {
    if (!test::ToolExists("qpdf") || !test::ToolExists("pdftotext")) GTEST_SKIP() << "qpdf or pdftotext missing";
    MemoryObjectWriter writer(1, "%PDF-1.4\r\n");
    const int32_t catalog = writer.NewObject(ObjectKind::Page);
    const int32_t pages = writer.NewObject(ObjectKind::Page);
    const int32_t page = writer.NewObject(ObjectKind::Page);

    PdfDictionary font;
    font.AddLiteral("/Type", "/Font");
    font.AddLiteral("/Subtype", "/Type1");
    font.AddLiteral("/BaseFont", "/Helvetica");
    const int32_t fontNumber = WriteNewObject(writer, ObjectKind::Font, std::move(font));

    PdfDictionary content;
    const std::string data =
        AddFlateStream(content, "BT /UK0 24 Tf 72 720 Td (Sigilry object model) Tj ET\r\n"
                                "BT /UK0 24 Tf 72 680 Td (Sigilry object model) Tj ET\r\n");
    const int32_t contentNumber = WriteNewObject(writer, ObjectKind::PageContent, std::move(content), data);

    PdfDictionary catalogDict;
    catalogDict.AddLiteral("/Type", "/Catalog");
    catalogDict.AddObject("/Pages", std::make_unique<PdfReference>(pages, 0));
    WriteObject(writer, catalog, std::move(catalogDict));

    PdfDictionary pagesDict;
    pagesDict.AddLiteral("/Type", "/Pages");
    auto kids = std::make_unique<PdfArray>();
    kids->AddEntry(std::make_unique<PdfReference>(page, 0));
    pagesDict.AddObject("/Kids", std::move(kids));
    pagesDict.AddInteger("/Count", 1);
    WriteObject(writer, pages, std::move(pagesDict));

    PdfDictionary pageDict;
    pageDict.AddLiteral("/Type", "/Page");
    pageDict.AddObject("/Parent", std::make_unique<PdfReference>(pages, 0));
    auto box = std::make_unique<PdfArray>();
    for (float v : {0.0f, 0.0f, 612.0f, 792.0f}) box->AddReal(v);
    pageDict.AddObject("/MediaBox", std::move(box));
    auto fonts = std::make_unique<PdfDictionary>();
    fonts->AddObject(fonts->UniqueKey(), std::make_unique<PdfObjectRef>(fontNumber, 0));
    auto resources = std::make_unique<PdfDictionary>();
    resources->AddObject("/Font", std::move(fonts));
    pageDict.AddObject("/Resources", std::move(resources));
    pageDict.AddObject("/Contents", std::make_unique<PdfReference>(contentNumber, 0));
    WriteObject(writer, page, std::move(pageDict));

    test::ScratchDir dir("pdfobj");
    const std::string path = dir.File("protocol.pdf");
    test::ScratchDir::Write(path, test::FinishTestPdf(writer, catalog));
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(path, &report)) << report;
    EXPECT_NE(test::PageText(path, 1).find("Sigilry object model"), std::string::npos);
}

}  // namespace
}  // namespace sgry
