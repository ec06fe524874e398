#include "engine/XrefRebuilder.h"

#include <algorithm>
#include <limits>
#include <map>

#include "engine/SourceStream.h"
#include "pdf/PdfParser.h"
#include "pdf/PdfLexer.h"

namespace sgry {

namespace {

constexpr int64_t kMaxNumber = std::numeric_limits<int32_t>::max();
constexpr int64_t kMaxGeneration = 65535;

bool Separates(char c) { return IsPdfWhite(c) || IsPdfDelimiter(c); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A word of bytes at at: nothing of a longer word on either side.
bool StandsAlone(const std::string& bytes, std::size_t at, std::size_t length) {
    return (at == 0 || Separates(bytes[at - 1]) || bytes[at] == '/') &&
           (at + length >= bytes.size() || Separates(bytes[at + length]));
}

// Walks back from end over white space (at least one byte) and then digits
// (at least one, at most maxDigits); false when they are not there.
bool DigitsBefore(const std::string& bytes, std::size_t& pos, std::size_t maxDigits, int64_t& value) {
    if (pos == 0 || !IsPdfWhite(bytes[pos - 1])) return false;
    while (pos > 0 && IsPdfWhite(bytes[pos - 1])) --pos;
    const std::size_t end = pos;
    while (pos > 0 && IsDigit(bytes[pos - 1]) && end - pos < maxDigits) --pos;
    if (pos == end || (pos > 0 && IsDigit(bytes[pos - 1]))) return false;
    value = 0;
    for (std::size_t i = pos; i < end; ++i) value = value * 10 + (bytes[i] - '0');
    return true;
}

}  // namespace

RebuildFailure XrefRebuilder::Rebuild() {
    const int64_t size = reader_.File().Size();
    if (size > kMaxBytes) return RebuildFailure::TooLarge;
    std::string bytes(static_cast<std::size_t>(std::max<int64_t>(size, 0)), '\0');
    if (!reader_.Seek(0)) return RebuildFailure::NoObjects;
    bytes.resize(reader_.File().Read(bytes.data(), bytes.size()));
    FindHeaders(bytes);
    if (finals_.empty()) return RebuildFailure::NoObjects;
    if (bytes.find("endobj", static_cast<std::size_t>(headers_.back().offset)) == std::string::npos)
        return RebuildFailure::CutShort;
    for (const Header& header : finals_) table_.Insert(header.number, header.generation, header.offset);

    objectStreams_ = ObjectsNaming(bytes, "/ObjStm");
    const std::vector<int32_t> xrefStreams = ObjectsNaming(bytes, "/XRef");
    usesStreams_ = !objectStreams_.empty() || !xrefStreams.empty();
    if (const std::size_t end = bytes.rfind("%%EOF"); end != std::string::npos) {
        const auto after = [end](int64_t offset) { return offset > static_cast<int64_t>(end); };
        const bool objectsAfter = after(headers_.back().offset);
        const bool sectionAfter = (!trailers_.empty() && after(trailers_.back())) ||
                                  std::any_of(xrefStreams.begin(), xrefStreams.end(),
                                              [&](int32_t number) { return after(FinalOf(number)->offset); });
        if (objectsAfter && !sectionAfter) return RebuildFailure::UnfinishedUpdate;
    }

    // The trailers and cross-reference stream dictionaries, newest (last in the file) first.
    std::vector<std::pair<int64_t, bool>> candidates;  // offset, is an object
    for (const int64_t at : trailers_) candidates.emplace_back(at, false);
    for (const int32_t number : xrefStreams) candidates.emplace_back(FinalOf(number)->offset, true);
    std::sort(candidates.rbegin(), candidates.rend());
    for (const auto& [offset, isObject] : candidates) {
        PdfDictionary trailer;
        if (ReadDictionaryAt(offset, isObject, trailer) && TakeTrailer(trailer)) return RebuildFailure::None;
    }
    // No trailer names a catalog the file holds: the last catalog found.
    const std::vector<int32_t> catalogs = ObjectsNaming(bytes, "/Catalog");
    for (auto number = catalogs.rbegin(); number != catalogs.rend(); ++number) {
        const Header* header = FinalOf(*number);
        PdfDictionary catalog;
        if (!ReadDictionaryAt(header->offset, true, catalog) || DirectName(catalog, "/Type") != "/Catalog" ||
            !catalog.Find("/Pages"))
            continue;
        rootNumber_ = header->number;
        rootGeneration_ = header->generation;
        trailerKeys_ = "/Root " + PdfReference(header->number, header->generation).ToText() + " >>";
        return RebuildFailure::None;
    }
    return RebuildFailure::NoCatalog;
}

void XrefRebuilder::FindHeaders(const std::string& bytes) {
    for (std::size_t at = bytes.find("obj"); at != std::string::npos; at = bytes.find("obj", at + 3)) {
        if (at + 3 < bytes.size() && !Separates(bytes[at + 3])) continue;
        std::size_t pos = at;
        int64_t generation = 0;
        int64_t number = 0;
        if (!DigitsBefore(bytes, pos, 10, generation) || !DigitsBefore(bytes, pos, 11, number)) continue;
        if (pos > 0 && !Separates(bytes[pos - 1])) continue;
        if (number > kMaxNumber || generation > kMaxGeneration) continue;
        headers_.push_back({static_cast<int64_t>(pos), static_cast<int32_t>(number), static_cast<int32_t>(generation)});
    }
    for (std::size_t at = bytes.find("trailer"); at != std::string::npos; at = bytes.find("trailer", at + 7))
        if (StandsAlone(bytes, at, 7)) trailers_.push_back(static_cast<int64_t>(at + 7));
    std::map<int32_t, Header> last;
    for (const Header& header : headers_) last.insert_or_assign(header.number, header);
    for (const auto& [number, header] : last) finals_.push_back(header);
}

int32_t XrefRebuilder::EnclosingObject(int64_t offset) const {
    const auto after = std::upper_bound(headers_.begin(), headers_.end(), offset,
                                        [](int64_t at, const Header& h) { return at < h.offset; });
    if (after == headers_.begin()) return -1;
    const Header& header = *(after - 1);
    const Header* final = FinalOf(header.number);
    return final && final->offset == header.offset ? header.number : -1;
}

// The objects (their final definitions) in which the name stands, in file order.
std::vector<int32_t> XrefRebuilder::ObjectsNaming(const std::string& bytes, std::string_view name) const {
    std::vector<int32_t> numbers;
    for (std::size_t at = bytes.find(name); at != std::string::npos; at = bytes.find(name, at + name.size())) {
        if (!StandsAlone(bytes, at, name.size())) continue;
        const int32_t number = EnclosingObject(static_cast<int64_t>(at));
        if (number >= 0 && std::find(numbers.begin(), numbers.end(), number) == numbers.end()) numbers.push_back(number);
    }
    return numbers;
}

bool XrefRebuilder::ReadDictionaryAt(int64_t offset, bool isObject, PdfDictionary& dictionary) {
    if (offset < 0 || !reader_.Seek(offset)) return false;
    if (isObject)
        for (int i = 0; i < 3; ++i) reader_.NextToken();  // number, generation, "obj"
    if (reader_.NextToken() != "<<") return false;
    PdfDictParser parser(reader_);
    return parser.Parse(dictionary);
}

const XrefRebuilder::Header* XrefRebuilder::FinalOf(int64_t number) const {
    const auto found = std::lower_bound(finals_.begin(), finals_.end(), number,
                                        [](const Header& h, int64_t n) { return h.number < n; });
    return found != finals_.end() && found->number == number ? &*found : nullptr;
}

bool XrefRebuilder::IsObject(int64_t number) const { return FinalOf(number) != nullptr; }

// A /Root that names an object of the file (or, in a file with object
// streams, any object: the catalog may stand in one) makes the trailer the
// one to take.
bool XrefRebuilder::TakeTrailer(const PdfDictionary& trailer) {
    const PdfDictEntry* root = trailer.Find("/Root");
    const auto* reference = root ? PdfCast<PdfReference>(root->Value()) : nullptr;
    if (!reference || (!IsObject(reference->Number()) && objectStreams_.empty())) return false;
    rootNumber_ = reference->Number();
    rootGeneration_ = reference->Generation();
    trailerKeys_.clear();
    for (const std::string_view key : {"/Root", "/Info", "/ID", "/Encrypt"}) {
        const PdfDictEntry* entry = trailer.Find(key);
        if (!entry || !entry->Value()) continue;
        const auto* named = PdfCast<PdfReference>(entry->Value());
        if (key == "/Info" && named && !IsObject(named->Number()) && objectStreams_.empty()) continue;
        trailerKeys_ += std::string(key) + " " + entry->Value()->ToText() + " ";
    }
    trailerKeys_ += ">>";
    return true;
}

void XrefRebuilder::AddCompressedObjects(CompressedObjects& compressed) {
    for (const int32_t stream : objectStreams_) {
        const std::vector<int64_t> members = compressed.MemberNumbers(stream);
        for (std::size_t i = 0; i < members.size(); ++i) {
            const int64_t number = members[i];
            if (number > kMaxNumber || IsObject(number)) continue;
            const int64_t position = compressed.Add(number, stream, static_cast<int64_t>(i));
            if (position < 0 || table_.Insert(number, 0, position) != ObjectOffsetTable::InsertResult::Inserted)
                continue;
            compressed_.push_back({static_cast<int32_t>(number), 0, position, stream, static_cast<int32_t>(i)});
        }
    }
}

std::vector<RebuiltObject> XrefRebuilder::Objects() const {
    std::vector<RebuiltObject> objects;
    for (const Header& header : finals_) objects.push_back({header.number, header.generation, header.offset});
    objects.insert(objects.end(), compressed_.begin(), compressed_.end());
    std::sort(objects.begin(), objects.end(),
              [](const RebuiltObject& a, const RebuiltObject& b) { return a.number < b.number; });
    return objects;
}

}  // namespace sgry
