// The token reader and the object parsers on the rows of tests/data/pdf/syntax.tsv.
#include <gtest/gtest.h>

#include "pdf/ObjectSealer.h"
#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfParser.h"
#include "support/Manifest.h"
#include "support/MemoryTokenReader.h"

namespace sgry {
namespace {

using test::MemoryTokenReader;

std::string FailureText(ParseFailure failure) {
    return failure == ParseFailure::TooDeep ? "!TooDeep" : failure == ParseFailure::UnexpectedEnd ? "!UnexpectedEnd" : "";
}

std::string FindResultText(FindResult result) {
    return result == FindResult::Found ? "Found" : result == FindResult::EndOfObject ? "EndOfObject" : "EndOfFile";
}

// What the row's kind reads from `input`, written as the manifest writes it.
std::string Outcome(const test::ManifestRow& row, MemoryTokenReader& source) {
    TokenReader& reader = source.reader();
    const std::string& kind = row[0];
    if (kind == "tokens") {
        std::string joined;
        for (const std::string& token : source.AllTokens()) joined += (joined.empty() ? "" : "|") + token;
        return joined;
    }
    if (kind == "int") return std::to_string(reader.ReadInt());
    if (kind == "findkey") return FindResultText(reader.FindKey(row[2]));
    if (kind == "dict") {
        EXPECT_EQ(reader.NextToken(), "<<");
        PdfDictionary dictionary;
        PdfDictParser parser(reader);
        return parser.Parse(dictionary) ? dictionary.ToText() : FailureText(parser.Failure());
    }
    if (kind == "header") {
        int32_t number = -1;
        int32_t generation = -1;
        return ObjectHeader(row[1], number, generation) ? std::to_string(number) + " " + std::to_string(generation) : "!";
    }
    if (kind == "object") {
        PdfIndirectObject object;
        PdfObjectParser parser(reader);
        return parser.Parse(object) ? object.ToText() : FailureText(parser.Failure());
    }
    PdfArray array;
    PdfArrayParser parser(reader);
    return parser.Parse(array) ? array.ToText() : FailureText(parser.Failure());
}

TEST(SyntaxTable, EveryRowReadsAsListed) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("pdf/syntax.tsv");
    ASSERT_GT(rows.size(), 60u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("syntax.tsv line " + std::to_string(row.line) + " " + row.cells.back());
        MemoryTokenReader source(row[1]);
        const bool findKey = row[0] == "findkey";
        EXPECT_EQ(Outcome(row, source), row[findKey ? 3 : 2]);
        // What comes next shows that a reader stops right after what it read.
        if (findKey || (row[0] == "dict" && row[2][0] != '!')) {
            EXPECT_EQ(source.reader().NextToken(), row[findKey ? 4 : 3]);
        }
    }
}

}  // namespace
}  // namespace sgry
