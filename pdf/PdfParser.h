#pragma once
// A small recursive-descent parser over the token reader. It keeps every token
// it does not understand as verbatim text, so that a dictionary read from a
// source file can be written back with its values unchanged.
//
// What a value becomes:
//   "<<" ... ">>"    a PdfDictionary (nested dictionaries recurse)
//   "[" ... "]"      a PdfArray; its elements are PdfLiterals of the tokens,
//                    except nested arrays and dictionaries, which nest
//   "(" ... ")"      one PdfLiteral holding the string's exact bytes, read
//                    straight from the file (nested parentheses balanced,
//                    a backslash takes the next byte as it is)
//   "<" ... ">"      one PdfLiteral holding the hex string's exact bytes
//   n g R            a PdfReference (two runs of digits followed by "R";
//                    otherwise the position is restored)
//   anything else    a PdfLiteral of the token (numbers, names, true, null)
// Comments are passed over. Strings are read as units so that a string of several words (or one holding
// a bracket) cannot shift the key/value pairing of the dictionary around it.
//
// Failure: a structure that is not closed before the end of the file, or that
// nests more than kMaxNestingDepth dictionaries and arrays, stops the parse.
// Parse() then returns false (EntryStatus::Failed for an entry) and Failure()
// tells why; whatever was read so far stays in the target and should be
// discarded by the caller. The file position is then unspecified.
//
// A parse moves the reader's file position; nothing else may read the file
// meanwhile. Parsers live on the stack for one Parse call.
#include <cstdint>

#include "pdf/PdfObject.h"
#include "pdf/TokenReader.h"

namespace sgry {

class PdfIndirectObject;

// Dictionaries and arrays nested deeper than this fail the parse (a hostile
// file must not exhaust the stack).
constexpr int kMaxNestingDepth = 256;

enum class ParseFailure {
    None,
    UnexpectedEnd,  // end of file before ">>", "]", ")", ">" or "endobj"
    TooDeep,        // more than kMaxNestingDepth nested dictionaries/arrays
};

class PdfParser {
public:
    // depth: how many dictionaries/arrays enclose the structure this parser
    // reads (0 for a top-level parse).
    explicit PdfParser(TokenReader& reader, int depth = 0) : reader_(reader), depth_(depth) {}
    virtual ~PdfParser() = default;
    PdfParser(const PdfParser&) = delete;
    PdfParser& operator=(const PdfParser&) = delete;

    // Remembers the reader's file position / seeks back to it.
    void SavePosition();
    bool RestorePosition();

    ParseFailure Failure() const { return failure_; }

protected:
    // The value that starts with token (already read): structure, string,
    // reference (only when lookForReference) or literal. nullptr when the
    // parse failed (Failure() is set).
    std::unique_ptr<PdfObject> ParseValue(const std::string& token, bool lookForReference);
    // false (and TooDeep) when this parser's structure is nested too deep.
    bool CheckDepth();
    // Depth given to the parser of a dictionary or array met among the values.
    virtual int ChildDepth() const { return depth_ + 1; }
    void Fail(ParseFailure failure) {
        if (failure_ == ParseFailure::None) failure_ = failure;
    }

    TokenReader& reader_;
    int depth_;
    int64_t savedPosition_ = 0;
    ParseFailure failure_ = ParseFailure::None;

private:
    std::unique_ptr<PdfObject> ParseNestedDictionary();
    std::unique_ptr<PdfObject> ParseNestedArray();
    // A literal (open "(") or hex ("<") string, kept as its exact bytes.
    std::unique_ptr<PdfObject> ReadString(char open);
    std::unique_ptr<PdfObject> ReferenceOrLiteral(const std::string& token);
};

// The array body after "[" has been read, up to and including "]".
class PdfArrayParser : public PdfParser {
public:
    using PdfParser::PdfParser;
    // true when "]" closed the array; false on end of file or too deep nesting.
    bool Parse(PdfArray& array);
};

enum class EntryStatus {
    Read,             // one key and value were read into the entry
    EndOfDictionary,  // the token ">>" was read instead of a key
    Failed,           // end of file or too deep nesting (see Failure())
};

// One "key value" pair of a dictionary body; constructed with the depth of
// the dictionary that holds the entry.
class PdfEntryParser : public PdfParser {
public:
    using PdfParser::PdfParser;
    EntryStatus Parse(PdfDictEntry& entry);
};

// The dictionary body after "<<" has been read, up to and including ">>".
class PdfDictParser : public PdfParser {
public:
    using PdfParser::PdfParser;
    // true when ">>" closed the dictionary; false on end of file or too deep nesting.
    bool Parse(PdfDictionary& dictionary);
};

// A whole indirect object from the reader's position: number, generation,
// "obj", then its values up to "endobj". Fills the object's number,
// generation and contents. After a "stream" keyword the remaining tokens up
// to "endobj" are kept as plain literals (stream bytes are not interpreted).
class PdfObjectParser : public PdfParser {
public:
    using PdfParser::PdfParser;
    // true when "endobj" closed the object; false on end of file or too deep nesting.
    bool Parse(PdfIndirectObject& object);

protected:
    // The object's values are top level: a dictionary among them gets depth 0.
    int ChildDepth() const override { return depth_; }
};

}  // namespace sgry
