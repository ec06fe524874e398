#include "engine/XrefReader.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>
#include <vector>

#include "engine/SourceStream.h"

namespace sgry {

namespace {
constexpr JobError kOk = JobError::None;
constexpr JobError kNewestUnreadable = JobError::NoSize;
constexpr JobError kOutOfMemory = JobError::TableMemory;
constexpr JobError kPrevUnreadable = JobError::PrevUnreadable;
constexpr JobError kDamaged = JobError::Damaged;
// The first number that is no object number (object numbers end at INT32_MAX).
constexpr int64_t kBeyondObjectNumbers = int64_t{std::numeric_limits<int32_t>::max()} + 1;
constexpr int64_t kMaxFieldWidth = 8;
constexpr int64_t kShortestEntry = 6;  // "0 0 n" and a separator

// The direct non-negative integers of an array value; false when the value
// is missing, not an array, or holds anything else.
bool IntegerArray(const PdfDictionary& dictionary, std::string_view key, std::vector<int64_t>& out) {
    const PdfDictEntry* entry = dictionary.Find(key);
    const auto* array = entry ? PdfCast<PdfArray>(entry->Value()) : nullptr;
    if (!array) return false;
    for (std::size_t i = 0; i < array->Count(); ++i) {
        const auto* literal = PdfCast<PdfLiteral>(array->ElementAt(i));
        if (!literal || !TokenReader::IsDigits(literal->Text()) || literal->Text().size() > 18) return false;
        out.push_back(TokenReader::LeadingInt(literal->Text()));
    }
    return true;
}

uint64_t BigEndian(const std::string& data, std::size_t pos, int64_t width) {
    uint64_t value = 0;
    for (int64_t i = 0; i < width; ++i) value = (value << 8) | static_cast<unsigned char>(data[pos + static_cast<std::size_t>(i)]);
    return value;
}
}  // namespace

// The chain is followed in a loop rather than by recursion, so that a file
// with very many updates cannot exhaust the stack; the order of insertion
// (newest section first) is the same.
JobError XrefReader::ReadChain(int64_t newestOffset) {
    int64_t offset = newestOffset;
    bool isPrev = false;
    for (;;) {
        if (offset < 0 || !visited_.insert(offset).second || !reader_.Seek(offset))
            return isPrev ? kPrevUnreadable : kOk;
        Links links;
        if (StartsWithObjectHeader()) {
            bool isXref = false;
            if (const JobError rc = ReadStreamSection(offset, isPrev, links, isXref); rc != kOk) return rc;
            if (!isXref) return kDamaged;  // some other object stands where the section should
            if (!isPrev) newestIsStream_ = true;
        } else {
            // An offset into the middle of some object would otherwise find the
            // next section, or none, and the update would rest on a wrong chain.
            if (!reader_.Seek(offset)) return kPrevUnreadable;
            if (reader_.NextToken() != "xref") return kDamaged;
            if (const JobError rc = ReadEntries(!isPrev); rc != kOk) return rc;
            ReadTrailerLinks(links);
            // A hybrid file: the stream's entries come after the table's and
            // before the older sections'.
            if (links.xrefStm >= 0 && streamsRead_.insert(links.xrefStm).second) {
                Links ignored;  // the stream's own /Prev is not followed
                bool isXref = false;
                if (reader_.Seek(links.xrefStm) && StartsWithObjectHeader())
                    if (const JobError rc = ReadStreamSection(links.xrefStm, isPrev, ignored, isXref); rc != kOk) return rc;
            }
        }
        if (!links.hasPrev) return kOk;
        if (links.prev < 0) return kPrevUnreadable;
        offset = links.prev;
        isPrev = true;
    }
}

// "N G obj" at the section offset: the section is a cross-reference stream.
bool XrefReader::StartsWithObjectHeader() {
    return TokenReader::IsDigits(reader_.NextToken()) && TokenReader::IsDigits(reader_.NextToken()) && reader_.NextToken() == "obj";
}

JobError XrefReader::ReadEntries(bool newest) {
    bool onlyEntries = true;
    auto entryInt = [&]() {
        const std::string t = reader_.NextToken();
        onlyEntries = onlyEntries && TokenReader::IsDigits(t);
        return TokenReader::LeadingInt(t);
    };
    for (;;) {
        const int64_t at = reader_.Tell();
        const std::string t = reader_.NextToken();
        if (t == "trailer" && newest && onlyEntries) newestTrailerAt_ = at;
        if (t.empty() || t == "trailer") return kOk;
        // Anything but a subsection's first number here: the section has no
        // "trailer" keyword, or bytes that are no entries stand inside it.
        if (!TokenReader::IsDigits(t)) return kDamaged;
        // A first number past the 32-bit object numbers stays past them (its
        // entries are never entered) without counting up into an overflow.
        int64_t number = std::min(TokenReader::LeadingInt(t), kBeyondObjectNumbers);
        const int64_t count = entryInt();
        // Every entry takes at least kShortestEntry bytes, so a hostile count
        // reserves no more than the file could list.
        const int64_t listable = std::max<int64_t>(0, reader_.File().Size() - reader_.Tell()) / kShortestEntry;
        table_.Reserve(static_cast<std::size_t>(std::clamp<int64_t>(count, 0, listable)));
        // A hostile count cannot keep the loop running past the end of the file.
        for (int64_t i = 0; i < count; ++i, ++number) {
            // A subsection that promises more entries than it holds would
            // take the trailer's tokens for entries.
            const std::string offsetToken = reader_.NextToken();
            if (offsetToken == "trailer") return kDamaged;
            onlyEntries = onlyEntries && TokenReader::IsDigits(offsetToken);
            const int64_t offset = TokenReader::LeadingInt(offsetToken);
            const int64_t generation = entryInt();
            const std::string type = reader_.NextToken();
            if (type.empty()) return kOk;
            onlyEntries = onlyEntries && (type == "n" || type == "f");
            if (type != "n") continue;
            if (table_.Insert(number, generation, offset) == ObjectOffsetTable::InsertResult::OutOfMemory)
                return kOutOfMemory;
        }
    }
}

// The first /Prev decides, found anywhere up to "%%EOF" as it always was;
// once it is known, /XRefStm is looked for only up to "startxref", so that
// finding a /Prev never leads the scan further than before.
void XrefReader::ReadTrailerLinks(Links& links) {
    for (;;) {
        const std::string t = reader_.NextToken();
        if (t.empty() || t == "%%EOF") return;
        if (links.hasPrev && t == "startxref") return;
        if (t == "/Prev" && !links.hasPrev) {
            links.hasPrev = true;
            links.prev = reader_.ReadInt();
        } else if (t == "/XRefStm" && links.xrefStm < 0) {
            const std::string value = reader_.NextToken();
            if (TokenReader::IsDigits(value)) links.xrefStm = TokenReader::LeadingInt(value);
        }
    }
}

JobError XrefReader::ReadStreamSection(int64_t offset, bool isPrev, Links& links, bool& isXref) {
    const JobError failure = isPrev ? kPrevUnreadable : kNewestUnreadable;
    SourceStream stream;
    // Every value of a cross-reference stream's dictionary is direct, its
    // /Length included: no offset table is needed (nor complete yet).
    SourceStreamReader streamReader(reader_, nullptr);
    isXref = streamReader.ReadHeader(offset, stream) && DirectName(*stream.dictionary, "/Type") == "/XRef";
    if (!isXref) return kOk;
    if (!streamReader.ReadData(stream, kMaxXrefStreamBytes)) return failure;
    if (stream.dictionary->Find("/Prev")) {
        links.hasPrev = true;
        links.prev = DirectInteger(*stream.dictionary, "/Prev").value_or(-1);
    }
    return ReadStreamRows(*stream.dictionary, stream.data, failure);
}

// /W gives the byte widths of the three fields (a width of 0 means the
// field's default: type 1, generation 0); /Index gives pairs of first number
// and count (default [0 /Size]). Rows are read while the data lasts.
JobError XrefReader::ReadStreamRows(const PdfDictionary& dictionary, const std::string& data,
                                    JobError malformed) {
    std::vector<int64_t> widths;
    if (!IntegerArray(dictionary, "/W", widths) || widths.size() < 3) return malformed;
    int64_t rowWidth = 0;
    for (std::size_t i = 0; i < 3; ++i) {
        if (widths[i] > kMaxFieldWidth) return malformed;
        rowWidth += widths[i];
    }
    if (rowWidth == 0) return malformed;

    std::vector<int64_t> index;
    if (dictionary.Find("/Index")) {
        if (!IntegerArray(dictionary, "/Index", index) || index.size() % 2 != 0) return malformed;
    } else {
        const std::optional<int64_t> size = DirectInteger(dictionary, "/Size");
        if (!size || *size < 0) return malformed;
        index = {0, *size};
    }

    std::size_t pos = 0;
    const auto width = static_cast<std::size_t>(rowWidth);
    table_.Reserve(data.size() / width);
    for (std::size_t pair = 0; pair < index.size(); pair += 2) {
        for (int64_t k = 0; k < index[pair + 1]; ++k) {
            if (data.size() - pos < width) return kOk;
            const uint64_t type = widths[0] == 0 ? 1 : BigEndian(data, pos, widths[0]);
            const uint64_t field2 = BigEndian(data, pos + static_cast<std::size_t>(widths[0]), widths[1]);
            const uint64_t field3 = BigEndian(data, pos + static_cast<std::size_t>(widths[0] + widths[1]), widths[2]);
            pos += width;
            if (InsertRow(index[pair] + k, type, field2, field3) == kOutOfMemory) return kOutOfMemory;
        }
    }
    return kOk;
}

// Type 1: an object in the file (offset, generation); type 2: an object
// inside an object stream (stream number, index). Offsets that would fall
// among the positions of compressed objects are not offsets in any file.
JobError XrefReader::InsertRow(int64_t number, uint64_t type, uint64_t field2, uint64_t field3) {
    int64_t offset = -1;
    int64_t generation = 0;
    if (type == 1) {
        if (field2 >= static_cast<uint64_t>(PdfFile::kRegionBase)) return kOk;
        offset = static_cast<int64_t>(field2);
        generation = field3 > INT32_MAX ? -1 : static_cast<int64_t>(field3);
    } else if (type == 2 && compressed_) {
        if (field2 > INT32_MAX || field3 > INT32_MAX) return kOk;
        offset = compressed_->Add(number, static_cast<int64_t>(field2), static_cast<int64_t>(field3));
    }
    if (offset < 0) return kOk;
    if (table_.Insert(number, generation, offset) == ObjectOffsetTable::InsertResult::OutOfMemory) return kOutOfMemory;
    return kOk;
}

}  // namespace sgry
