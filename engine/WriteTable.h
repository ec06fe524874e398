#pragma once
// The objects of one incremental update, in order of registration: every new
// object and every source object the update replaces, with the offset where
// it was written (-1 until then). FinishUpdate turns it into the update's
// cross-reference section.
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "pdf/ObjectWriter.h"

namespace sgry {

// The write table's error code (the run shows its number).
enum class WriteTableError : int {
    None = 0,
    OutOfMemory = 1,  // an entry could not be added
};

class WriteTable {
public:
    struct Entry {
        int32_t number;
        int32_t generation;
        bool isNew;
        ObjectKind kind;
        int64_t offset;  // -1 until written
    };

    // Adds an entry; a negative number (such as the inline-resources marker
    // -3) or a pair already present is ignored. False only when memory ran out
    // (OutOfMemory, the entry is not added).
    bool Register(int32_t number, int32_t generation, bool isNew, ObjectKind kind);
    // Room for entries at once (Register grows the table as it can beyond).
    void Reserve(std::size_t entries);
    // Sets the offset of the first entry with that pair; others are ignored.
    void RecordOffset(int32_t number, int32_t generation, int64_t offset);
    const Entry* Find(int32_t number, int32_t generation) const;

    // Stable sort by object number, ascending.
    void SortByNumber();
    // True when every entry has been written (no offset is negative).
    bool AllWritten() const;
    // The subsection lines of the cross-reference section: for each run of
    // consecutive numbers "first count\r\n", then "%010ld %05d n\r\n" per entry.
    // Expects the table sorted.
    std::string SubsectionText() const;

    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    const std::vector<Entry>& Entries() const { return entries_; }
    WriteTableError ErrorCode() const { return error_; }
    void Clear();

private:
    static uint64_t Key(int32_t number, int32_t generation) {
        return (static_cast<uint64_t>(static_cast<uint32_t>(number)) << 32) | static_cast<uint32_t>(generation);
    }
    void Reindex();

    std::vector<Entry> entries_;
    std::unordered_map<uint64_t, size_t> index_;  // pair -> position in entries_
    WriteTableError error_ = WriteTableError::None;
};

}  // namespace sgry
