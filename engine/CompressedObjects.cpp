#include "engine/CompressedObjects.h"

#include <algorithm>
#include <limits>

#include "engine/SourceStream.h"
#include "pdf/PdfLexer.h"
#include "pdf/TokenReader.h"
#include "platform/Format.h"

namespace sgry {

namespace {
constexpr int64_t kMaxInt32 = std::numeric_limits<int32_t>::max();

// The next token of header from pos on, when it is an unsigned decimal
// integer that fits an int32_t; pos moves past it.
bool NextNumber(std::string_view header, std::size_t& pos, int64_t& value) {
    const PdfLexer lexer(header, true);
    const PdfToken token = lexer.Next(pos);
    const std::string_view word = lexer.Text(token);
    if (token.kind != PdfTokenKind::Word || !TokenReader::IsDigits(word) || word.size() > 10) return false;
    value = TokenReader::LeadingInt(word);
    pos = token.end;
    return value <= kMaxInt32;
}
}  // namespace

int64_t CompressedObjects::Add(int64_t number, int64_t streamNumber, int64_t index) {
    if (number < 0 || number > kMaxInt32 || streamNumber < 0 || streamNumber > kMaxInt32 || index < 0 ||
        index > kMaxInt32)
        return -1;
    locations_.emplace(static_cast<int32_t>(number),
                       Location{static_cast<int32_t>(streamNumber), static_cast<int32_t>(index)});
    return RegionBaseOf(number);
}

bool CompressedObjects::RegionAt(int64_t position, int64_t& base, std::string& bytes) {
    if (position < PdfFile::kRegionBase) return false;
    const int64_t number = (position - PdfFile::kRegionBase) / kRegionSpan;
    if (number > kMaxInt32) return false;
    std::string text;
    if (!ObjectText(static_cast<int32_t>(number), text)) return false;
    base = RegionBaseOf(number);
    bytes = Format("%ld %d obj\r\n", number, 0) + text + "\r\nendobj\r\n";
    return true;
}

// The entry at the index the cross-reference stream gave, when it holds the
// object; otherwise the stream's entry for that number, if any.
bool CompressedObjects::ObjectText(int32_t number, std::string& text) {
    const auto where = locations_.find(number);
    if (where == locations_.end()) return false;
    const Decoded& decoded = Decode(where->second.stream);
    if (!decoded.ok) return false;
    const auto index = static_cast<std::size_t>(where->second.index);
    const Member* member = nullptr;
    if (index < decoded.members.size() && decoded.members[index].number == number) {
        member = &decoded.members[index];
    } else {
        const auto found = std::find_if(decoded.members.begin(), decoded.members.end(),
                                        [number](const Member& m) { return m.number == number; });
        if (found == decoded.members.end()) return false;
        member = &*found;
    }
    text.assign(decoded.data, member->begin, member->end - member->begin);
    return true;
}

std::vector<int64_t> CompressedObjects::MemberNumbers(int32_t streamNumber) {
    std::vector<int64_t> numbers;
    for (const Member& member : Decode(streamNumber).members) numbers.push_back(member.number);
    return numbers;
}

void CompressedObjects::Clear() {
    locations_.clear();
    cache_.clear();
    cachedBytes_ = 0;
}

// An object stream must stand in the file itself (never inside another
// object stream), be a stream of /Type /ObjStm, and have an /N and /First
// that fit its data.
const CompressedObjects::Decoded& CompressedObjects::Decode(int32_t streamNumber) {
    if (const auto cached = cache_.find(streamNumber); cached != cache_.end()) return cached->second;
    Decoded decoded;
    const int64_t offset = offsets_.Find(streamNumber, 0);
    SourceStream stream;
    SourceStreamReader streamReader(reader_, &offsets_);
    streamReader.SetSecurity(security_);
    if (offset >= 0 && offset < PdfFile::kRegionBase && streamReader.Read(offset, stream) &&
        stream.number == streamNumber && DirectName(*stream.dictionary, "/Type") == "/ObjStm") {
        const std::optional<int64_t> count = DirectInteger(*stream.dictionary, "/N");
        const std::optional<int64_t> first = DirectInteger(*stream.dictionary, "/First");
        decoded.data = std::move(stream.data);
        decoded.ok = count && first && ParseHeader(decoded, *count, *first);
    }
    if (!decoded.ok) decoded.data.clear();
    if (cachedBytes_ + decoded.data.size() > kCacheBytes) {
        cache_.clear();
        cachedBytes_ = 0;
    }
    cachedBytes_ += decoded.data.size();
    return cache_.emplace(streamNumber, std::move(decoded)).first->second;
}

// The header is /N pairs "number offset" before /First; each object runs
// from /First plus its offset to the next larger offset (or the end of the
// data). Every pair takes at least two bytes, which bounds /N by /First.
bool CompressedObjects::ParseHeader(Decoded& decoded, int64_t count, int64_t first) {
    const auto size = static_cast<int64_t>(decoded.data.size());
    if (count < 0 || first < 0 || first > size || count > first / 2 + 1) return false;
    std::vector<std::size_t> starts;
    std::size_t pos = 0;
    const std::string_view header = std::string_view(decoded.data).substr(0, static_cast<std::size_t>(first));
    for (int64_t i = 0; i < count; ++i) {
        int64_t number = 0;
        int64_t relative = 0;
        if (!NextNumber(header, pos, number) || !NextNumber(header, pos, relative) ||
            relative > size - first)
            return false;
        const auto begin = static_cast<std::size_t>(first + relative);
        decoded.members.push_back({number, begin, decoded.data.size()});
        starts.push_back(begin);
    }
    std::sort(starts.begin(), starts.end());
    for (Member& member : decoded.members) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), member.begin);
        if (next != starts.end()) member.end = *next;
    }
    return true;
}

}  // namespace sgry
