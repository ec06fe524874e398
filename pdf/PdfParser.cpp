#include "pdf/PdfParser.h"

#include <limits>

#include "pdf/PdfIndirectObject.h"

namespace sgry {

namespace {

int32_t ClampToInt32(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

void PdfParser::SavePosition() { savedPosition_ = reader_.Tell(); }

bool PdfParser::RestorePosition() { return reader_.Seek(savedPosition_); }

bool PdfParser::CheckDepth() {
    if (depth_ < kMaxNestingDepth) return true;
    Fail(ParseFailure::TooDeep);
    return false;
}

std::unique_ptr<PdfObject> PdfParser::ParseValue(const std::string& token, bool lookForReference) {
    if (token.empty()) {
        Fail(ParseFailure::UnexpectedEnd);
        return nullptr;
    }
    if (token == "<<") return ParseNestedDictionary();
    if (token == "[") return ParseNestedArray();
    if (token == "(" || token == "<") return ReadString(token[0]);
    if (lookForReference) return ReferenceOrLiteral(token);
    return std::make_unique<PdfLiteral>(token);
}

std::unique_ptr<PdfObject> PdfParser::ParseNestedDictionary() {
    auto dictionary = std::make_unique<PdfDictionary>();
    PdfDictParser parser(reader_, ChildDepth());
    if (parser.Parse(*dictionary)) return dictionary;
    Fail(parser.Failure());
    return nullptr;
}

std::unique_ptr<PdfObject> PdfParser::ParseNestedArray() {
    auto array = std::make_unique<PdfArray>();
    PdfArrayParser parser(reader_, ChildDepth());
    if (parser.Parse(*array)) return array;
    Fail(parser.Failure());
    return nullptr;
}

// The token reader has consumed the string's "(" or "<" only; its bytes are
// taken from the file as they stand, so spaces, line ends and escapes survive.
std::unique_ptr<PdfObject> PdfParser::ReadString(char open) {
    std::string text(1, open);
    if (reader_.ReadStringRest(open, text)) return std::make_unique<PdfLiteral>(text);
    Fail(ParseFailure::UnexpectedEnd);
    return nullptr;
}

// "n g R" is recognised by looking two tokens ahead; when they are not a
// number and "R" (or the value is no number) the file goes back to just
// after the value.
std::unique_ptr<PdfObject> PdfParser::ReferenceOrLiteral(const std::string& token) {
    SavePosition();
    const std::string generation = reader_.NextSignificantToken();
    const std::string keyword = reader_.NextSignificantToken();
    if (keyword == "R" && TokenReader::IsDigits(token) && TokenReader::IsDigits(generation)) {
        return std::make_unique<PdfReference>(ClampToInt32(TokenReader::LeadingInt(token)),
                                              ClampToInt32(TokenReader::LeadingInt(generation)));
    }
    RestorePosition();
    return std::make_unique<PdfLiteral>(token);
}

bool PdfArrayParser::Parse(PdfArray& array) {
    if (!CheckDepth()) return false;
    for (;;) {
        const std::string token = reader_.NextSignificantToken();
        if (token == "]") return true;
        // Elements stay verbatim ("3 0 R" is three literals); only nested
        // structures and strings are read as units.
        std::unique_ptr<PdfObject> element = ParseValue(token, false);
        if (!element) return false;
        array.AddEntry(std::move(element));
    }
}

EntryStatus PdfEntryParser::Parse(PdfDictEntry& entry) {
    const std::string key = reader_.NextSignificantToken();
    if (key == ">>") return EntryStatus::EndOfDictionary;
    if (key.empty()) {
        Fail(ParseFailure::UnexpectedEnd);
        return EntryStatus::Failed;
    }
    entry.SetKey(std::make_unique<PdfKey>(key));
    std::unique_ptr<PdfObject> value = ParseValue(reader_.NextSignificantToken(), true);
    if (!value) return EntryStatus::Failed;
    entry.SetValue(std::move(value));
    return EntryStatus::Read;
}

bool PdfDictParser::Parse(PdfDictionary& dictionary) {
    if (!CheckDepth()) return false;
    for (;;) {
        auto entry = std::make_unique<PdfDictEntry>();
        PdfEntryParser parser(reader_, depth_);
        switch (parser.Parse(*entry)) {
            case EntryStatus::EndOfDictionary:
                return true;
            case EntryStatus::Failed:
                Fail(parser.Failure());
                return false;
            case EntryStatus::Read:
                dictionary.AddEntry(std::move(entry));
                break;
        }
    }
}

bool PdfObjectParser::Parse(PdfIndirectObject& object) {
    const int32_t number = ClampToInt32(reader_.ReadInt());
    const int32_t generation = ClampToInt32(reader_.ReadInt());
    reader_.NextSignificantToken();  // "obj"
    object.SetNumber(number, generation);

    bool inStream = false;
    for (;;) {
        // Stream bytes are binary: a "%" in them starts no comment.
        const std::string token = inStream ? reader_.NextToken() : reader_.NextSignificantToken();
        if (token == "endobj") return true;
        if (token.empty()) {
            Fail(ParseFailure::UnexpectedEnd);
            return false;
        }
        if (inStream || token == "stream") {
            // Stream bytes are binary: a "(" or "<" in them starts nothing.
            inStream = true;
            object.AddEntry(std::make_unique<PdfLiteral>(token));
            continue;
        }
        std::unique_ptr<PdfObject> value = ParseValue(token, true);
        if (!value) return false;
        object.AddEntry(std::move(value));
    }
}

}  // namespace sgry
