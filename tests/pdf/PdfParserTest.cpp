#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/MemoryTokenReader.h"
#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfParser.h"

namespace sgry {
namespace {

using test::MemoryTokenReader;

// Reads "<<" as the callers do, then parses the dictionary body.
struct ParsedDictionary {
    explicit ParsedDictionary(std::string input) : source(std::move(input)) {
        EXPECT_EQ(source.reader().NextToken(), "<<");
        PdfDictParser parser(source.reader());
        ok = parser.Parse(dictionary);
        failure = parser.Failure();
    }
    MemoryTokenReader source;
    PdfDictionary dictionary;
    bool ok = false;
    ParseFailure failure = ParseFailure::None;
};

struct DictRow {
    const char* name;
    std::string input;
    std::string text;       // the dictionary serialised again
    std::string nextToken;  // what the reader gives right after the parse
};

class DictionaryRoundTrip : public ::testing::TestWithParam<DictRow> {};

TEST_P(DictionaryRoundTrip, SerialisesAsExpectedAndStopsAfterClose) {
    ParsedDictionary parsed(GetParam().input);
    ASSERT_TRUE(parsed.ok);
    EXPECT_EQ(parsed.failure, ParseFailure::None);
    EXPECT_EQ(parsed.dictionary.ToText(), GetParam().text);
    EXPECT_EQ(parsed.source.reader().NextToken(), GetParam().nextToken);
}

INSTANTIATE_TEST_SUITE_P(
    PdfParser, DictionaryRoundTrip,
    ::testing::Values(
        DictRow{"Empty", "<<>> endobj", "<<\r\n>>", "endobj"},
        DictRow{"NameValues", "<</Type/Page/Subtype /Form>>", "<<\r\n/Type /Page\r\n/Subtype /Form\r\n>>", ""},
        DictRow{"TabSeparatesKey", "<</Type\t/Page>>", "<<\r\n/Type /Page\r\n>>", ""},
        DictRow{"Reference", "<</Parent 3 0 R/Count 2>>", "<<\r\n/Parent 3 0 R\r\n/Count 2\r\n>>", ""},
        DictRow{"NumberBeforeNextKey", "<</Count 2 /Kids [4 0 R 5 0 R]>>",
                "<<\r\n/Count 2\r\n/Kids [4 0 R 5 0 R ]\r\n>>", ""},
        DictRow{"NumberAsLastValue", "<</Count 2>>\r\nendobj 5 0 obj", "<<\r\n/Count 2\r\n>>", "endobj"},
        DictRow{"MediaBox", "<</MediaBox [0 0 612 792]>>", "<<\r\n/MediaBox [0 0 612 792 ]\r\n>>", ""},
        DictRow{"OneWordString", "<</T (abc)/N 1>>", "<<\r\n/T (abc)\r\n/N 1\r\n>>", ""},
        DictRow{"MultiWordStringKeepsItsBytes", "<</T (a  b\r\nc d)/N 1>>", "<<\r\n/T (a  b\r\nc d)\r\n/N 1\r\n>>",
                ""},
        DictRow{"StringWithBracketsAndEscapes", "<</T (a(b)c\\)d[<) /N 1>>",
                "<<\r\n/T (a(b)c\\)d[<)\r\n/N 1\r\n>>", ""},
        DictRow{"HexString", "<</ID <41 42>/N 1>>", "<<\r\n/ID <41 42>\r\n/N 1\r\n>>", ""},
        DictRow{"NestedDictionaries", "<</Resources <</Font <</F1 5 0 R>>>>/Type /Page>>",
                "<<\r\n/Resources <<\r\n/Font <<\r\n/F1 5 0 R\r\n>>\r\n>>\r\n/Type /Page\r\n>>", ""},
        DictRow{"NestedArrays", "<</W [1 [500 600] 3 [700]]/DW 1000>>",
                "<<\r\n/W [1 [500 600 ] 3 [700 ] ]\r\n/DW 1000\r\n>>", ""},
        DictRow{"DictionaryInArray", "<</A [<</B 1>>]>>", "<<\r\n/A [<<\r\n/B 1\r\n>> ]\r\n>>", ""},
        DictRow{"StringInArray", "<</A [(x y) 1]>>", "<<\r\n/A [(x y) 1 ]\r\n>>", ""},
        DictRow{"KeywordsStayLiterals", "<</A true/B null/C -1.5>>", "<<\r\n/A true\r\n/B null\r\n/C -1.5\r\n>>",
                ""},
        DictRow{"ReferenceAfterString", "<</A (s)/P 9 0 R>>", "<<\r\n/A (s)\r\n/P 9 0 R\r\n>>", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PdfParserTest, ReferencesBecomeReferenceObjectsAndTabsSeparate) {
    ParsedDictionary parsed("<</Parent 3 0 R/Count 2/P x y R/Type\t/Page>>");
    const auto* reference = PdfCast<PdfReference>(parsed.dictionary.Find("/Parent")->Value());
    ASSERT_NE(reference, nullptr);
    EXPECT_EQ(reference->Number(), 3);
    EXPECT_EQ(reference->Generation(), 0);
    EXPECT_NE(PdfCast<PdfLiteral>(parsed.dictionary.Find("/Count")->Value()), nullptr);
    // A reference without digits has zero numbers.
    const auto* noDigits = PdfCast<PdfReference>(parsed.dictionary.Find("/P")->Value());
    ASSERT_NE(noDigits, nullptr);
    EXPECT_EQ(noDigits->ToText(), "0 0 R");
    EXPECT_NE(parsed.dictionary.Find("/Type"), nullptr);
    EXPECT_EQ(parsed.dictionary.Find("/Type\t"), nullptr);
}

TEST(PdfParserTest, FailedLookaheadRestoresPositionRightAfterTheValue) {
    MemoryTokenReader source("/Count 2 /Kids [1]");
    PdfDictEntry entry;
    PdfEntryParser parser(source.reader());
    ASSERT_EQ(parser.Parse(entry), EntryStatus::Read);
    EXPECT_EQ(entry.ToText(), "\r\n/Count 2");
    EXPECT_EQ(source.reader().Tell(), 9);  // just after "2" and the space that ended it
    EXPECT_EQ(source.reader().NextToken(), "/Kids");
}

TEST(PdfParserTest, EntryParserReportsEndOfDictionaryAndEndOfFile) {
    MemoryTokenReader closing(">> /Next");
    PdfDictEntry entry;
    PdfEntryParser atClose(closing.reader());
    EXPECT_EQ(atClose.Parse(entry), EntryStatus::EndOfDictionary);
    EXPECT_EQ(closing.reader().NextToken(), "/Next");

    MemoryTokenReader empty("");
    PdfEntryParser atEnd(empty.reader());
    EXPECT_EQ(atEnd.Parse(entry), EntryStatus::Failed);
    EXPECT_EQ(atEnd.Failure(), ParseFailure::UnexpectedEnd);
}

TEST(PdfParserTest, SaveAndRestorePosition) {
    MemoryTokenReader source("a b c");
    PdfParser parser(source.reader());
    source.reader().NextToken();
    parser.SavePosition();
    source.reader().NextToken();
    source.reader().NextToken();
    EXPECT_TRUE(parser.RestorePosition());
    EXPECT_EQ(source.reader().NextToken(), "b");
}

struct UnclosedRow {
    const char* name;
    std::string input;
};

class UnclosedStructure : public ::testing::TestWithParam<UnclosedRow> {};

TEST_P(UnclosedStructure, StopsAtEndOfFileAndReportsIt) {
    ParsedDictionary parsed(GetParam().input);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.failure, ParseFailure::UnexpectedEnd);
}

INSTANTIATE_TEST_SUITE_P(PdfParser, UnclosedStructure,
                         ::testing::Values(UnclosedRow{"Nothing", "<<"}, UnclosedRow{"AfterValue", "<</A 1"},
                                           UnclosedRow{"KeyWithoutValue", "<</A"},
                                           UnclosedRow{"AfterReference", "<</A 1 0 R"},
                                           UnclosedRow{"HalfReference", "<</A 1 0"},
                                           UnclosedRow{"Array", "<</A [1 2"},
                                           UnclosedRow{"String", "<</A (abc>>"},
                                           UnclosedRow{"StringEscapeAtEnd", "<</A (abc\\"},
                                           UnclosedRow{"HexString", "<</A <4142"},
                                           UnclosedRow{"InnerDictionaryClosedOnly", "<</A <</B 1>>"}),
                         [](const auto& info) { return std::string(info.param.name); });

std::string NestedDictionaries(int levels) {
    std::string text;
    for (int i = 0; i < levels; ++i) text += "<</A ";
    text += "1";
    for (int i = 0; i < levels; ++i) text += ">>";
    return text;
}

struct DepthRow {
    const char* name;
    std::string input;
    bool ok;
};

class NestingDepth : public ::testing::TestWithParam<DepthRow> {};

TEST_P(NestingDepth, IsBounded) {
    ParsedDictionary parsed(GetParam().input);
    EXPECT_EQ(parsed.ok, GetParam().ok);
    EXPECT_EQ(parsed.failure, GetParam().ok ? ParseFailure::None : ParseFailure::TooDeep);
}

INSTANTIATE_TEST_SUITE_P(
    PdfParser, NestingDepth,
    ::testing::Values(DepthRow{"AtTheLimit", NestedDictionaries(kMaxNestingDepth), true},
                      DepthRow{"OneTooDeep", NestedDictionaries(kMaxNestingDepth + 1), false},
                      DepthRow{"TenThousandDictionaries", NestedDictionaries(10000), false},
                      DepthRow{"TenThousandArrays", "<</A " + std::string(10000, '[') + ">>", false},
                      DepthRow{"TenThousandMixed", [] {
                                   std::string text = "<</A ";
                                   for (int i = 0; i < 5000; ++i) text += "[<</B ";
                                   return text;
                               }(),
                               false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PdfParserTest, DeepestAllowedDictionaryRoundTrips) {
    ParsedDictionary parsed(NestedDictionaries(kMaxNestingDepth));
    ASSERT_TRUE(parsed.ok);
    std::string open, close;
    for (int i = 0; i < kMaxNestingDepth; ++i) {
        open += "<<\r\n/A ";
        close += "\r\n>>";
    }
    EXPECT_EQ(parsed.dictionary.ToText(), open + "1" + close);
}

struct ObjectRow {
    const char* name;
    std::string input;
    int32_t number;
    int32_t generation;
    std::string text;  // ToText() of the loaded object
};

class ObjectParse : public ::testing::TestWithParam<ObjectRow> {};

TEST_P(ObjectParse, LoadsNumberGenerationAndContents) {
    MemoryTokenReader source(GetParam().input);
    PdfIndirectObject object;
    PdfObjectParser parser(source.reader());
    ASSERT_TRUE(parser.Parse(object));
    EXPECT_EQ(object.Number(), GetParam().number);
    EXPECT_EQ(object.Generation(), GetParam().generation);
    EXPECT_EQ(object.ToText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    PdfParser, ObjectParse,
    ::testing::Values(
        ObjectRow{"Dictionary", "12 0 obj\r\n<</Type/Font/Subtype/Type1>>\r\nendobj\r\n", 12, 0,
                  "12 0 obj\r\n<<\r\n/Type /Font\r\n/Subtype /Type1\r\n>>\r\nendobj\r\n"},
        ObjectRow{"Reference", "5 2 obj 3 0 R endobj", 5, 2, "5 2 obj\r\n3 0 R\r\nendobj\r\n"},
        ObjectRow{"ArrayAndNumber", "7 0 obj [1 2] 42 endobj", 7, 0, "7 0 obj\r\n[1 2 ]42\r\nendobj\r\n"},
        ObjectRow{"StreamBytesStayTokens", "4 0 obj <</Length 6>> stream\r\n(a <b\r\nendstream endobj", 4, 0,
                  "4 0 obj\r\n<<\r\n/Length 6\r\n>>stream(a<bendstream\r\nendobj\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PdfParserTest, UnclosedArrayOrObjectAndTooDeepObjectFail) {
    MemoryTokenReader array("1 2 [3");
    PdfArray values;
    PdfArrayParser arrayParser(array.reader());
    EXPECT_FALSE(arrayParser.Parse(values));
    EXPECT_EQ(arrayParser.Failure(), ParseFailure::UnexpectedEnd);
    for (const auto& [input, failure] :
         {std::pair{std::string("4 0 obj <</A 1>>"), ParseFailure::UnexpectedEnd},
          std::pair{"4 0 obj " + NestedDictionaries(10000) + " endobj", ParseFailure::TooDeep}}) {
        MemoryTokenReader source(input);
        PdfIndirectObject object;
        PdfObjectParser parser(source.reader());
        EXPECT_FALSE(parser.Parse(object));
        EXPECT_EQ(parser.Failure(), failure);
    }
}

// A small source file: the engine seeks to an object's offset, or finds the
// /Resources key of a page and reads "<<" itself, then runs the parser.
class SourceFile : public ::testing::Test {
protected:
    static std::string Bytes() {
        return "%PDF-1.4\r\n"
               "1 0 obj\r\n<< /Type /Catalog /Pages 2 0 R >>\r\nendobj\r\n"
               "2 0 obj\r\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\r\nendobj\r\n"
               "3 0 obj\r\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595.28 841.89]\r\n"
               "   /Resources << /Font << /F1 4 0 R >> /ProcSet [/PDF /Text] /ExtGState 5 0 R >>\r\n"
               "   /Contents 6 0 R /Rotate 90 >>\r\nendobj\r\n"
               "5 0 obj\n<</GS1<</Type/ExtGState/ca 0.5>>>>\nendobj\n"
               "trailer\r\n<< /Size 7 /Root 1 0 R >>\r\n%%EOF\r\n";
    }
    void SetUp() override { source_.file().OpenMemory(Bytes()); }
    int64_t OffsetOf(const std::string& header) const { return static_cast<int64_t>(Bytes().find(header)); }
    // Finds the page's /Resources and reads "<<" as the engine does, then parses.
    void ParsePageResources(PdfDictionary& resources) {
        ASSERT_TRUE(source_.reader().Seek(OffsetOf("3 0 obj")));
        ASSERT_EQ(source_.reader().FindKey("/Resources"), FindResult::Found);
        ASSERT_EQ(source_.reader().NextToken(), "<<");
        ASSERT_TRUE(PdfDictParser(source_.reader()).Parse(resources));
    }

    test::MemoryTokenReader source_{""};
};

TEST_F(SourceFile, LoadsPageObjectAtItsOffset) {
    ASSERT_TRUE(source_.reader().Seek(OffsetOf("3 0 obj")));
    PdfIndirectObject page;
    PdfObjectParser parser(source_.reader());
    ASSERT_TRUE(parser.Parse(page));
    EXPECT_EQ(page.Number(), 3);
    EXPECT_EQ(page.ToText(),
              "3 0 obj\r\n<<\r\n/Type /Page\r\n/Parent 2 0 R\r\n/MediaBox [0 0 595.28 841.89 ]\r\n/Resources <<\r\n"
              "/Font <<\r\n/F1 4 0 R\r\n>>\r\n/ProcSet [/PDF /Text ]\r\n/ExtGState 5 0 R\r\n>>\r\n/Contents 6 0 R\r\n"
              "/Rotate 90\r\n>>\r\nendobj\r\n");
    ASSERT_EQ(page.ItemCount(), 1u);
    const auto* contents = PdfCast<PdfReference>(PdfCast<PdfDictionary>(page.GetItem(0))->Find("/Contents")->Value());
    ASSERT_NE(contents, nullptr);
    EXPECT_EQ(contents->Number(), 6);
}

TEST_F(SourceFile, ParsesInlineResourcesAndMergesANewFont) {
    PdfDictionary resources;
    ParsePageResources(resources);
    EXPECT_EQ(source_.reader().NextToken(), "/Contents");

    auto* fonts = PdfCast<PdfDictionary>(resources.Find("/Font")->Value());
    ASSERT_NE(fonts, nullptr);
    const std::string name = fonts->UniqueKey();
    EXPECT_EQ(name, "/UK0");
    fonts->AddObject(name, std::make_unique<PdfReference>(20, 0));
    EXPECT_EQ(resources.ToText(),
              "<<\r\n/Font <<\r\n/F1 4 0 R\r\n/UK0 20 0 R\r\n>>\r\n/ProcSet [/PDF /Text ]\r\n"
              "/ExtGState 5 0 R\r\n>>");
}

TEST_F(SourceFile, ReferencedCategoryIsReplacedByItsParsedDictionary) {
    PdfDictionary resources;
    ParsePageResources(resources);

    ASSERT_TRUE(source_.reader().Seek(OffsetOf("5 0 obj")));
    PdfIndirectObject states;
    ASSERT_TRUE(PdfObjectParser(source_.reader()).Parse(states));
    std::unique_ptr<PdfObject> loaded = states.TakeItem(0);
    ASSERT_NE(PdfCast<PdfDictionary>(loaded.get()), nullptr);
    EXPECT_EQ(states.ItemCount(), 0u);

    resources.Find("/ExtGState")->SetValue(std::move(loaded));
    EXPECT_EQ(resources.ToText(),
              "<<\r\n/Font <<\r\n/F1 4 0 R\r\n>>\r\n/ProcSet [/PDF /Text ]\r\n"
              "/ExtGState <<\r\n/GS1 <<\r\n/Type /ExtGState\r\n/ca 0.5\r\n>>\r\n>>\r\n>>");
}

}  // namespace
}  // namespace sgry
