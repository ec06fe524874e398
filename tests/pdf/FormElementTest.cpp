#include <gtest/gtest.h>

#include <string>

#include "pdf/FormElement.h"
#include "pdf/StreamDecoder.h"
#include "support/MemoryObjectWriter.h"

namespace sgry {
namespace {

using test::MemoryObjectWriter;

// An element of fixed size and content, so that only the writer is judged.
class FixedFormElement : public FormElement {
public:
    FixedFormElement(float width, float height, std::string content)
        : width_(width), height_(height), content_(std::move(content)) {}
    std::string PlacementContent() const override { return {}; }
    float FormHeight() const override { return height_; }
    float FormWidth() const override { return width_; }
    float FitFontSize() const override { return 12.0f; }
    std::string FormContent(float, float, float size) const override {
        lastSize = size;
        return content_;
    }
    mutable float lastSize = 0.0f;

private:
    float width_;
    float height_;
    std::string content_;
};

std::string RepeatedContent() {
    std::string content;
    for (int i = 0; i < 20; ++i) content += "BT\r\n/WM1 24.000000 Tf\r\n/WMI gs\r\n(DRAFT) Tj\r\nET\r\n";
    return content;
}

struct DensityRow {
    const char* name;
    int32_t density;
    const char* opacity;
};

class GraphicsStateTest : public testing::TestWithParam<DensityRow> {};

TEST_P(GraphicsStateTest, WritesOpacityAndNormalBlendByteForByte) {
    MemoryObjectWriter writer(7, "%PDF-1.4\r\n");
    FixedFormElement element(100.0f, 50.0f, "q\r\nQ\r\n");
    element.SetDensity(GetParam().density);
    ASSERT_EQ(element.WriteGraphicsState(writer), 1);

    const std::string opacity = GetParam().opacity;
    EXPECT_EQ(writer.bytes(), "%PDF-1.4\r\n7 0 obj\r\n<<\r\n/Type /ExtGState\r\n/BM /Normal\r\n/ca " + opacity +
                                  "\r\n/CA " + opacity + "\r\n/AIS false\r\n>>\r\nendobj\r\n");
    ASSERT_EQ(writer.entries().size(), 1u);
    EXPECT_EQ(writer.entries()[0].kind, ObjectKind::GraphicsState);
    EXPECT_EQ(writer.entries()[0].offset, 10);
    EXPECT_EQ(element.GraphicsStateRef().number, 7);
}

INSTANTIATE_TEST_SUITE_P(Densities, GraphicsStateTest,
                         testing::Values(DensityRow{"Default30", 30, "0.30"}, DensityRow{"Opaque100", 100, "1.00"},
                                         DensityRow{"Invisible0", 0, "0.00"}, DensityRow{"Half50", 50, "0.50"},
                                         DensityRow{"AboveRangeClamped", 150, "1.00"},
                                         DensityRow{"BelowRangeClamped", -5, "0.00"}),
                         [](const testing::TestParamInfo<DensityRow>& info) { return std::string(info.param.name); });

TEST(FormElementTest, DefaultsAreThoseOfAFreshStamp) {
    FixedFormElement element(1.0f, 1.0f, "");
    EXPECT_EQ(element.Density(), 30);
    EXPECT_EQ(element.Color(), 0);
    EXPECT_EQ(element.Position(), 4);
    EXPECT_TRUE(element.FollowMargins());
    EXPECT_EQ(element.FormResourceName(), "");
    EXPECT_EQ(element.Font(), nullptr);
}

TEST(FormElementTest, FormDictionaryHasItsLinesInOrderAndACompressedStream) {
    MemoryObjectWriter writer(20);
    const std::string content = RepeatedContent();
    FixedFormElement element(148.75f, 40.0f, content);
    element.SetFont(MakePdfFont("Courier"));
    ASSERT_EQ(element.Build(writer), 1);

    // Graphics state 20, Courier 21, form 22.
    EXPECT_EQ(element.GraphicsStateRef().number, 20);
    EXPECT_EQ(element.Font()->ObjectNumber(), 21);
    EXPECT_TRUE(element.FormRef().number == 22 && element.FormRef().generation == 0);
    EXPECT_FLOAT_EQ(element.lastSize, -1.0f);  // the form asks for the fitted size

    const std::string& bytes = writer.bytes();
    const auto start = bytes.find("22 0 obj\r\n");
    ASSERT_NE(start, std::string::npos);
    const auto streamAt = bytes.find(">>stream\r\n", start);
    ASSERT_NE(streamAt, std::string::npos);
    const std::string head = bytes.substr(start, streamAt + 10 - start);
    const auto lengthAt = head.find("/Length ");
    ASSERT_NE(lengthAt, std::string::npos);
    const long length = std::stol(head.substr(lengthAt + 8));
    EXPECT_EQ(head, "22 0 obj\r\n<<\r\n/Resources <<\r\n/Font <<\r\n/WM1 21 0 R\r\n>>\r\n/ProcSet [/PDF /Text ]"
                    "\r\n/ExtGState <<\r\n/WMI 20 0 R\r\n>>\r\n>>\r\n/BBox [-100 -100 297.50 80.00 ]"
                    "\r\n/Matrix [1 0 0 1 0 0 ]\r\n/FormType 1\r\n/Type /XObject\r\n/Subtype /Form\r\n/Length " +
                        std::to_string(length) + "\r\n/Filter /FlateDecode\r\n>>stream\r\n");
    const std::string data = bytes.substr(streamAt + 10, static_cast<std::size_t>(length));
    std::string inflated;
    EXPECT_EQ(InflateBounded(data, content.size(), inflated), DecodeResult::Ok);
    EXPECT_EQ(inflated, content);
    EXPECT_EQ(bytes.substr(streamAt + 10 + static_cast<std::size_t>(length)), "\r\nendstream\r\nendobj\r\n");

    const auto* form = writer.Find(22, 0);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->kind, ObjectKind::Form);
    EXPECT_EQ(form->offset, static_cast<int64_t>(start));
}

TEST(FormElementTest, ContentThatDoesNotCompressIsWrittenPlainWithoutFilter) {
    MemoryObjectWriter writer(1);
    FixedFormElement element(10.0f, 10.0f, "q");  // 1.2 bytes of room cannot hold a zlib stream
    element.SetFont(MakePdfFont("Helvetica"));
    element.Build(writer);
    const std::string& bytes = writer.bytes();
    EXPECT_EQ(bytes.find("/Filter"), std::string::npos);
    const std::string tail = "/Subtype /Form\r\n/Length 1\r\n>>stream\r\nq\r\nendstream\r\nendobj\r\n";
    ASSERT_GE(bytes.size(), tail.size());
    EXPECT_EQ(bytes.substr(bytes.size() - tail.size()), tail);
}

TEST(FormElementTest, GraphicsStateCidFontObjectsAndFormTakeConsecutiveNumbers) {
    MemoryObjectWriter writer(40);
    FixedFormElement element(100.0f, 100.0f, RepeatedContent());
    element.SetFont(MakePdfFont("KozMinPro-Regular"));
    element.Build(writer);

    ASSERT_EQ(writer.entries().size(), 5u);
    const ObjectKind kinds[] = {ObjectKind::GraphicsState, ObjectKind::Font, ObjectKind::Font, ObjectKind::Font,
                                ObjectKind::Form};
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(writer.entries()[i].number, 40 + static_cast<int32_t>(i));
        EXPECT_EQ(writer.entries()[i].kind, kinds[i]);
        EXPECT_GE(writer.entries()[i].offset, 0);
    }
    // The form names the Type0 font, the last of the three font objects.
    EXPECT_EQ(element.Font()->ObjectNumber(), 43);
    EXPECT_NE(writer.bytes().find("/WM1 43 0 R\r\n"), std::string::npos);
    EXPECT_EQ(element.FormRef().number, 44);
}

TEST(FormElementTest, TwoElementsUseTheSameInnerNamesInTheirOwnResources) {
    MemoryObjectWriter writer(1);
    FixedFormElement first(100.0f, 100.0f, RepeatedContent());
    FixedFormElement second(100.0f, 100.0f, RepeatedContent());
    first.SetFont(MakePdfFont("Courier"));
    second.SetFont(MakePdfFont("Courier"));
    first.Build(writer);
    second.Build(writer);
    EXPECT_NE(writer.bytes().find("/WM1 2 0 R\r\n>>\r\n/ProcSet [/PDF /Text ]\r\n/ExtGState <<\r\n/WMI 1 0 R"),
              std::string::npos);
    EXPECT_NE(writer.bytes().find("/WM1 5 0 R\r\n>>\r\n/ProcSet [/PDF /Text ]\r\n/ExtGState <<\r\n/WMI 4 0 R"),
              std::string::npos);
    EXPECT_EQ(second.FormRef().number, 6);
}

TEST(FormElementTest, WithoutFontTheFormNamesNoFontAndNoFontObjectIsWritten) {
    MemoryObjectWriter writer(1);
    FixedFormElement element(10.0f, 10.0f, RepeatedContent());
    element.Build(writer);
    ASSERT_EQ(writer.entries().size(), 2u);
    EXPECT_EQ(writer.entries()[1].kind, ObjectKind::Form);
    EXPECT_NE(writer.bytes().find("2 0 obj\r\n<<\r\n/Resources <<\r\n/ProcSet [/PDF /Text ]\r\n/ExtGState <<"),
              std::string::npos);
}

TEST(FormElementTest, FailedWritesAreReportedAndRecordedAsMinusOne) {
    MemoryObjectWriter writer(3);
    writer.setFailAppends(true);
    FixedFormElement element(10.0f, 10.0f, RepeatedContent());
    EXPECT_EQ(element.WriteGraphicsState(writer), 0);
    EXPECT_EQ(element.WriteForm(writer), 0);
    ASSERT_EQ(writer.entries().size(), 2u);
    EXPECT_TRUE(writer.entries()[0].offset == -1 && writer.entries()[1].offset == -1);
    EXPECT_EQ(element.FormRef().number, 4);
}

}  // namespace
}  // namespace sgry
