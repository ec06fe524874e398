#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pdf/PdfObject.h"

namespace sgry {
namespace {

struct TextRow {
    const char* name;
    std::function<std::unique_ptr<PdfObject>()> make;
    PdfKind kind;
    std::string text;
};

class SerialisedText : public ::testing::TestWithParam<TextRow> {};

TEST_P(SerialisedText, IsExactAndKindCodeFixed) {
    const auto object = GetParam().make();
    EXPECT_EQ(object->ToText(), GetParam().text);
    EXPECT_EQ(object->Kind(), GetParam().kind);
    // PdfCast checks the kind.
    EXPECT_EQ(PdfCast<PdfLiteral>(object.get()) != nullptr, GetParam().kind == PdfKind::Literal);
}

std::unique_ptr<PdfObject> MediaBox() {
    auto array = std::make_unique<PdfArray>();
    for (const char* n : {"0", "0", "612", "792"}) array->AddLiteral(n);
    return array;
}

std::unique_ptr<PdfObject> FontResources() {
    auto font = std::make_unique<PdfDictionary>();
    font->AddObject("/F1", std::make_unique<PdfReference>(7, 0));
    auto resources = std::make_unique<PdfDictionary>();
    resources->AddObject("/Font", std::move(font));
    resources->AddLiteral("/ProcSet", "[/PDF /Text]");
    return resources;
}

std::unique_ptr<PdfObject> MixedArray() {
    auto array = std::make_unique<PdfArray>();
    array->AddInteger(-3);
    array->AddReal(0.5f);
    array->AddEntry(std::make_unique<PdfObjectRef>(12, 0));
    return array;
}

INSTANTIATE_TEST_SUITE_P(
    PdfObject, SerialisedText,
    ::testing::Values(
        TextRow{"EmptyDictionary", [] { return std::make_unique<PdfDictionary>(); }, PdfKind::Dictionary,
                "<<\r\n>>"},
        TextRow{"Dictionary",
                [] {
                    auto d = std::make_unique<PdfDictionary>();
                    d->AddLiteral("/Type", "/Font");
                    d->AddInteger("/DW", 1000);
                    return d;
                },
                PdfKind::Dictionary, "<<\r\n/Type /Font\r\n/DW 1000\r\n>>"},
        TextRow{"NestedDictionaryKeepsItsLines", FontResources, PdfKind::Dictionary,
                "<<\r\n/Font <<\r\n/F1 7 0 R\r\n>>\r\n/ProcSet [/PDF /Text]\r\n>>"},
        TextRow{"Literal", [] { return std::make_unique<PdfLiteral>("(Japan1)"); }, PdfKind::Literal, "(Japan1)"},
        TextRow{"Key", [] { return std::make_unique<PdfKey>("/Type"); }, PdfKind::Key, "\r\n/Type"},
        TextRow{"EmptyArray", [] { return std::make_unique<PdfArray>(); }, PdfKind::Array, "[]"},
        TextRow{"ArraySpaceAfterEveryElement", MediaBox, PdfKind::Array, "[0 0 612 792 ]"},
        TextRow{"MixedArray", MixedArray, PdfKind::Array, "[-3 0.50 12 0 R ]"},
        TextRow{"Reference", [] { return std::make_unique<PdfReference>(3, 0); }, PdfKind::Reference, "3 0 R"},
        TextRow{"ObjectRef", [] { return std::make_unique<PdfObjectRef>(3, 0); }, PdfKind::ObjectRef, "3 0 R"},
        TextRow{"Entry",
                [] {
                    return std::make_unique<PdfDictEntry>(std::make_unique<PdfKey>("/Parent"),
                                                          std::make_unique<PdfReference>(3, 0));
                },
                PdfKind::DictEntry, "\r\n/Parent 3 0 R"},
        TextRow{"Integer", [] { return std::make_unique<PdfInteger>(-42); }, PdfKind::Integer, "-42"},
        TextRow{"RealTwoDecimals", [] { return std::make_unique<PdfReal>(0.3f); }, PdfKind::Real, "0.30"},
        TextRow{"RealWhole", [] { return std::make_unique<PdfReal>(1.0f); }, PdfKind::Real, "1.00"},
        TextRow{"RealNegative", [] { return std::make_unique<PdfReal>(-28.346f); }, PdfKind::Real, "-28.35"},
        TextRow{"BooleanTrue", [] { return std::make_unique<PdfBoolean>(1); }, PdfKind::Boolean, "true"},
        TextRow{"BooleanZero", [] { return std::make_unique<PdfBoolean>(0); }, PdfKind::Boolean, "false"},
        TextRow{"BooleanTwoIsFalse", [] { return std::make_unique<PdfBoolean>(2); }, PdfKind::Boolean, "false"},
        TextRow{"BooleanMinusOneIsFalse", [] { return std::make_unique<PdfBoolean>(-1); }, PdfKind::Boolean,
                "false"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PdfObjectTest, RealIgnoresDecimalCommaLocale) {
    const char* set = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    if (!set) set = std::setlocale(LC_NUMERIC, "fr_FR.UTF-8");
    const std::string text = PdfReal(0.5f).ToText();
    std::setlocale(LC_NUMERIC, "C");
    if (!set) GTEST_SKIP() << "no locale with a decimal comma installed";
    EXPECT_EQ(text, "0.50");
}

TEST(PdfObjectTest, FindReturnsFirstExactMatch) {
    PdfDictionary d;
    d.AddLiteral("/Type\t", "/Page");  // a tab read from a source stays in the key
    d.AddLiteral("/Type", "/Font");
    d.AddLiteral("/Type", "/Other");
    const PdfDictEntry* found = d.Find("/Type");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->Value()->ToText(), "/Font");
    EXPECT_EQ(d.Find("/type"), nullptr);
    EXPECT_EQ(d.Find("/Typ"), nullptr);
    EXPECT_EQ(d.Find("/Missing"), nullptr);
    // An empty key finds nothing, not even an empty key.
    d.AddLiteral("", "1");
    EXPECT_EQ(d.Find(""), nullptr);
}

struct UniqueKeyRow {
    const char* name;
    std::vector<std::string> keys;
    std::string unique;
};

class UniqueKeyRows : public ::testing::TestWithParam<UniqueKeyRow> {};

TEST_P(UniqueKeyRows, PicksFirstFreeName) {
    PdfDictionary d;
    for (const auto& key : GetParam().keys) d.AddObject(key, std::make_unique<PdfReference>(1, 0));
    EXPECT_EQ(d.UniqueKey(), GetParam().unique);
}

INSTANTIATE_TEST_SUITE_P(PdfObject, UniqueKeyRows,
                         ::testing::Values(UniqueKeyRow{"Empty", {}, "/UK0"},
                                           UniqueKeyRow{"GapAtOne", {"/UK0", "/UK2"}, "/UK1"},
                                           UniqueKeyRow{"Dense", {"/UK1", "/UK0", "/UK2"}, "/UK3"},
                                           UniqueKeyRow{"OtherNamesIgnored", {"/F1", "/UK00"}, "/UK0"},
                                           UniqueKeyRow{"TwoDigits",
                                                        {"/UK0", "/UK1", "/UK2", "/UK3", "/UK4", "/UK5", "/UK6",
                                                         "/UK7", "/UK8", "/UK9"},
                                                        "/UK10"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PdfObjectTest, NullObjectsAreRefusedOrIgnored) {
    PdfDictionary d;
    EXPECT_FALSE(d.AddEntry(nullptr));
    EXPECT_FALSE(d.AddObject("/A", nullptr));
    PdfArray a;
    EXPECT_FALSE(a.AddEntry(nullptr));
    EXPECT_EQ(d.Count(), 0u);
    EXPECT_EQ(a.Count(), 0u);
    EXPECT_TRUE(d.AddInteger("/N", 1));
    EXPECT_TRUE(a.AddLiteral("x"));
    EXPECT_EQ(PdfCast<PdfKey>(static_cast<PdfObject*>(nullptr)), nullptr);

    PdfDictEntry entry(std::make_unique<PdfKey>("/A"), std::make_unique<PdfInteger>(1));
    entry.SetKey(nullptr);
    entry.SetValue(nullptr);
    EXPECT_EQ(entry.ToText(), "\r\n/A 1");
    entry.SetKey(std::make_unique<PdfKey>("/B"));
    entry.SetValue(std::make_unique<PdfInteger>(2));
    EXPECT_EQ(entry.ToText(), "\r\n/B 2");
    EXPECT_EQ(entry.KeyText(), "/B");
    EXPECT_EQ(PdfDictEntry().KeyText(), "");
}

TEST(PdfObjectTest, ParsedSubDictionaryMovesIntoAnotherStructure) {
    auto source = std::make_unique<PdfDictionary>();
    source->AddObject("/Font", std::make_unique<PdfDictionary>());
    PdfDictEntry* font = source->Find("/Font");
    std::unique_ptr<PdfObject> sub = font->TakeValue();
    ASSERT_NE(PdfCast<PdfDictionary>(sub.get()), nullptr);
    PdfCast<PdfDictionary>(sub.get())->AddObject("/UK0", std::make_unique<PdfReference>(9, 0));

    PdfDictionary target;
    target.AddObject("/Font", std::move(sub));
    source.reset();  // the moved dictionary must survive its old owner
    EXPECT_EQ(target.ToText(), "<<\r\n/Font <<\r\n/UK0 9 0 R\r\n>>\r\n>>");
}

TEST(PdfObjectTest, TakeEntryAndElementHandOverOwnership) {
    PdfDictionary d;
    d.AddLiteral("/A", "1");
    d.AddLiteral("/B", "2");
    std::unique_ptr<PdfDictEntry> a = d.TakeEntry(0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->KeyText(), "/A");
    EXPECT_EQ(d.ToText(), "<<\r\n/B 2\r\n>>");
    EXPECT_EQ(d.TakeEntry(5), nullptr);

    PdfArray array;
    array.AddInteger(1);
    array.AddInteger(2);
    EXPECT_EQ(array.TakeElement(1)->ToText(), "2");
    EXPECT_EQ(array.ToText(), "[1 ]");
    EXPECT_EQ(array.TakeElement(3), nullptr);
    EXPECT_EQ(array.ElementAt(1), nullptr);
}

TEST(PdfObjectTest, ReleaseEmptiesValuesButKeepsElements) {
    PdfDictionary d;
    d.AddLiteral("/A", "x");
    d.Release();
    ASSERT_EQ(d.Count(), 1u);
    EXPECT_EQ(d.EntryAt(0)->Key(), nullptr);
    EXPECT_EQ(d.EntryAt(0)->Value(), nullptr);

    PdfArray a;
    a.AddInteger(7);
    a.AddReal(2.5f);
    a.AddLiteral("t");
    a.AddEntry(std::make_unique<PdfObjectRef>(4, 1));
    a.AddEntry(std::make_unique<PdfReference>(4, 1));
    a.AddEntry(std::make_unique<PdfBoolean>(1));
    a.Release();
    EXPECT_EQ(a.Count(), 6u);
    EXPECT_EQ(a.ToText(), "[0 0.00  0 0 R 4 1 R false ]");
}

}  // namespace
}  // namespace sgry
