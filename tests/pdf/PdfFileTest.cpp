// The byte stream against a plain string that models the file: reads through
// the block cache, appends held in the buffer, writes inside the file and
// cuts must all give the bytes the model holds, read back at once and on
// the disk afterwards. Then the token reader and the object parsers on the
// rows of tests/data/pdf/syntax.tsv, and the password forms on those of
// tests/data/pdf/passwords.tsv.
#include <gtest/gtest.h>

#include <string>

#include "pdf/ObjectSealer.h"
#include "pdf/PasswordForms.h"
#include "pdf/PdfFile.h"
#include "pdf/PdfIndirectObject.h"
#include "pdf/PdfParser.h"
#include "support/Manifest.h"
#include "support/MemoryTokenReader.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

using test::MemoryTokenReader;

// Letters only: AppendAtEnd stops at a NUL byte.
std::string Pattern(size_t size, char seed) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + static_cast<char>(i * 7 % 26));
    return bytes;
}

std::string ReadAt(PdfFile& file, int64_t offset, size_t n) {
    std::string out(n, '\0');
    EXPECT_TRUE(file.Seek(offset, PdfFile::Origin::Start));
    out.resize(file.Read(out.data(), n));
    return out;
}

TEST(PdfFileTest, ReadsWritesAndCutsAgreeWithTheBytesWritten) {
    test::ScratchDir dir("pdffile");
    const std::string path = dir.File("f.pdf");
    std::string model = Pattern(200000, 'a');
    test::ScratchDir::Write(path, model);

    PdfFile file;
    ASSERT_TRUE(file.OpenUpdate(path));
    for (const int64_t offset : {int64_t{0}, int64_t{65530}, int64_t{199990}, int64_t{131072}, int64_t{5}})
        EXPECT_EQ(ReadAt(file, offset, 100), model.substr(static_cast<size_t>(offset), 100)) << offset;

    // Appends beyond the buffer's size, read back across the old end.
    for (int i = 0; i < 6; ++i) {
        const std::string more = Pattern(70000, static_cast<char>('A' + i));
        EXPECT_EQ(file.AppendAtEnd(more), static_cast<int64_t>(model.size()));
        model += more;
        EXPECT_EQ(file.Size(), static_cast<int64_t>(model.size()));
        EXPECT_EQ(ReadAt(file, 199950 + i * 70000, 200), model.substr(199950 + i * 70000, 200)) << i;
    }
    // A write inside the file replaces what the cache holds of it.
    ASSERT_EQ(ReadAt(file, 65500, 100), model.substr(65500, 100));
    const std::string patch(80, '#');
    ASSERT_TRUE(file.Seek(65500, PdfFile::Origin::Start));
    ASSERT_TRUE(file.Write(patch.data(), patch.size()));
    model.replace(65500, patch.size(), patch);
    EXPECT_EQ(ReadAt(file, 65450, 200), model.substr(65450, 200));

    ASSERT_TRUE(file.Truncate(300000));
    model.resize(300000);
    EXPECT_EQ(file.Size(), 300000);
    EXPECT_EQ(ReadAt(file, 299900, 500), model.substr(299900));
    EXPECT_EQ(file.AppendAtEnd("tail"), 300000);
    model += "tail";
    EXPECT_TRUE(file.Flush());
    file.Close();
    EXPECT_EQ(test::ScratchDir::Read(path), model);
}

// The source and the output of an overwrite run are one file under two
// handles: the reader keeps the file's last, short block, and still finds
// what the writer appended past it.
TEST(PdfFileTest, ReadsEndWhereTheSourceEndedWhileAnUpdateIsAppended) {
    // Across a block boundary, so that the cut falls inside a cached block.
    const std::string source = Pattern(20000, 'a');
    PdfFile file;
    EXPECT_EQ(file.Size(), 0);  // nothing open yet, and nothing to write to
    EXPECT_FALSE(file.Write("x", 1));
    file.OpenMemory(source);
    EXPECT_EQ(ReadAt(file, 19990, 20), source.substr(19990));
    file.EndReadsAt(static_cast<int64_t>(source.size()));
    ASSERT_EQ(file.AppendAtEnd("APPENDED"), 20000);
    EXPECT_EQ(ReadAt(file, 19996, 20), source.substr(19996));
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(file.ReadByte(), -1);
    EXPECT_EQ(ReadAt(file, 16380, 8), source.substr(16380, 8));  // a block before the end reads whole
    file.EndReadsAt(-1);
    EXPECT_EQ(ReadAt(file, 19996, 20), source.substr(19996) + "APPENDED");
    EXPECT_EQ(file.Size(), 20008);
}

TEST(PdfFileTest, AReaderFindsWhatAnotherHandleAppendedPastItsLastBlock) {
    test::ScratchDir dir("pdffile");
    const std::string path = dir.File("f.pdf");
    const std::string source = Pattern(20000, 'a');
    test::ScratchDir::Write(path, source);
    PdfFile reader;
    EXPECT_FALSE(reader.OpenRead(dir.Path()));  // a folder opens for reading, but is no file
    ASSERT_TRUE(reader.OpenRead(path));
    EXPECT_EQ(ReadAt(reader, 19990, 100), source.substr(19990));

    PdfFile writer;
    ASSERT_TRUE(writer.OpenUpdate(path));
    EXPECT_EQ(writer.AppendAtEnd("grown"), 20000);
    EXPECT_TRUE(writer.Flush());
    EXPECT_EQ(ReadAt(reader, 19995, 100), source.substr(19995) + "grown");
}

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

// The bytes read ahead end in a cached block's end; a token that the end
// cuts is read across it and must come out as it does whole.
TEST(SyntaxTable, RowsCutByTheEndOfABlockReadTheSame) {
    constexpr size_t kBlock = 16 * 1024;
    for (const test::ManifestRow& row : test::ReadManifest("pdf/syntax.tsv")) {
        if (row[0] == "header") continue;
        const bool findKey = row[0] == "findkey";
        MemoryTokenReader whole(row[1]);
        Outcome(row, whole);
        for (size_t cut = 1; cut < row[1].size() && cut < 48; ++cut) {
            SCOPED_TRACE("syntax.tsv line " + std::to_string(row.line) + ", cut after " + std::to_string(cut));
            MemoryTokenReader source(std::string(kBlock - cut, ' ') + row[1]);
            EXPECT_EQ(Outcome(row, source), row[findKey ? 3 : 2]);
            EXPECT_EQ(source.reader().Tell() - static_cast<int64_t>(kBlock - cut), whole.reader().Tell());
        }
    }
}

std::string Joined(const std::vector<std::string>& forms) {
    std::string out;
    for (const std::string& form : forms) out += (out.empty() ? "" : "|") + form;
    return out;
}

TEST(PasswordFormsTable, EveryRowGivesItsForms) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("pdf/passwords.tsv");
    ASSERT_GT(rows.size(), 20u);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("passwords.tsv line " + std::to_string(row.line) + " " + row.cells.back());
        const std::string& kind = row[0];
        std::optional<std::string> form;
        if (kind == "pdfdoc") form = ToPdfDocEncoding(row[1]);
        if (kind == "sasl") form = SaslPrepared(row[1]);
        if (kind == "legacy" || kind == "modern") form = Joined(PasswordForms(row[1], kind == "modern"));
        EXPECT_EQ(form.value_or("!"), row[2]);
    }
}

}  // namespace
}  // namespace sgry
