#pragma once
// Objects that a source keeps inside object streams (type-2 entries of its
// cross-reference streams). The object-offset table holds for each of them a
// position above PdfFile::kRegionBase, one region per object number; when the
// token reader seeks there, this store supplies the region's bytes:
//   "N 0 obj" CR LF, the object's text from the decoded object stream, CR LF "endobj" CR LF
// so that SeekObject, FindKey, the object parser and every other reader of
// the job read a compressed object exactly like one in the file.
//
// Object streams are decoded on first use and kept (up to kCacheBytes of
// decoded data; beyond that the cache starts afresh). A stream that cannot be
// decoded, an /N or /First that does not fit its data, or an object missing
// from its stream makes the object unreachable: the seek fails and the job
// reports JobError::ObjectNotFound as for any object not in the table.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/ObjectOffsetTable.h"
#include "pdf/PdfFile.h"
#include "pdf/SecurityHandler.h"
#include "pdf/TokenReader.h"

namespace sgry {

class CompressedObjects final : public RegionSource {
public:
    // Every region spans this many positions; an object's text is shorter,
    // since decoded streams are bounded well below it.
    static constexpr int64_t kRegionSpan = int64_t{1} << 30;
    static constexpr std::size_t kCacheBytes = std::size_t{64} << 20;

    // reader: the job's token reader (the store reads object streams through
    // it); offsets: where the object streams themselves stand. Both borrowed.
    CompressedObjects(TokenReader& reader, const ObjectOffsetTable& offsets) : reader_(reader), offsets_(offsets) {}

    // Notes that object `number` is entry `index` of object stream
    // `streamNumber` and returns the position to put in the offset table;
    // -1 when a value is out of range. A number noted before keeps its first
    // location (the newest section is read first).
    int64_t Add(int64_t number, int64_t streamNumber, int64_t index);
    static int64_t RegionBaseOf(int64_t number) { return PdfFile::kRegionBase + number * kRegionSpan; }

    bool RegionAt(int64_t position, int64_t& base, std::string& bytes) override;
    // Object streams of an encrypted source are decrypted before they are
    // decoded. Borrowed; set before the first object is read.
    void SetSecurity(const SecurityHandler* security) { security_ = security; }

    // The object's text (without "obj" and "endobj"); false when unreachable.
    bool ObjectText(int32_t number, std::string& text);
    // The numbers an object stream holds, in the order of its header; empty
    // when it cannot be decoded.
    std::vector<int64_t> MemberNumbers(int32_t streamNumber);
    // Forgets every location and decoded stream (the table is read anew).
    void Clear();
    std::size_t Count() const { return locations_.size(); }

private:
    struct Location {
        int32_t stream;
        int32_t index;
    };
    struct Member {
        int64_t number;
        std::size_t begin;  // within the decoded data
        std::size_t end;
    };
    struct Decoded {
        bool ok = false;
        std::string data;
        std::vector<Member> members;  // in the order of the stream's header
    };

    const Decoded& Decode(int32_t streamNumber);
    bool ParseHeader(Decoded& decoded, int64_t count, int64_t first);

    TokenReader& reader_;
    const ObjectOffsetTable& offsets_;
    const SecurityHandler* security_ = nullptr;
    std::unordered_map<int32_t, Location> locations_;
    std::map<int32_t, Decoded> cache_;
    std::size_t cachedBytes_ = 0;
};

}  // namespace sgry
