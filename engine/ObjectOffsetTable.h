#pragma once
// The map from (object number, generation) to the byte offset of an object in
// the source, filled from every cross-reference section of the file.
//
// An open-addressing hash table (linear probing, at most half full, doubled
// when it would pass that), so that insertion and lookup take constant time
// whatever the number of objects: files with millions of objects are read in
// time linear in their size.
//
// A pair is stored once: a second insertion of the same (number, generation)
// is refused, so the section read first (the newest) decides the offset.
// Allocation failures are reported as results, never thrown.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sgry {

class ObjectOffsetTable {
public:
    enum class InsertResult { Inserted, Duplicate, OutOfMemory, OutOfRange };

    ObjectOffsetTable();

    // False when the first block could not be allocated; such a table refuses
    // every insertion.
    bool IsReady() const { return ready_; }

    // number and generation must lie in 0..INT32_MAX (OutOfRange otherwise);
    // offset is a byte offset in the file.
    InsertResult Insert(int64_t number, int64_t generation, int64_t offset);
    // Offset of the pair, or -1 when it is not in the table (negative or
    // out-of-range numbers are never found).
    int64_t Find(int64_t number, int64_t generation) const;
    // Room for entries more pairs at once: a table that grows by doubling
    // moves to fresh memory at every step. False when memory is short (the
    // table then grows as it can).
    bool Reserve(std::size_t entries);

    // Empties the table, keeping its memory.
    void Clear();

    struct Entry {
        int32_t number;
        int32_t generation;
        int64_t offset;
    };
    // Every pair whose offset lies below limit (the objects in the file
    // itself), in the order of their offsets.
    std::vector<Entry> EntriesBelow(int64_t limit) const;

    int32_t Count() const { return count_; }
    // The highest object number inserted; -1 for an empty table.
    int32_t HighestNumber() const { return highestNumber_; }

private:
    struct Slot {
        int32_t number = kEmpty;
        int32_t generation = 0;
        int64_t offset = 0;
    };
    static constexpr int32_t kEmpty = -1;  // numbers are never negative
    static constexpr std::size_t kFirstCapacity = 1024;

    std::size_t SlotOf(int32_t number, int32_t generation) const;
    bool Grow();
    bool Rehash(std::size_t capacity);

    std::vector<Slot> slots_;
    int32_t count_ = 0;
    int32_t highestNumber_ = -1;
    bool ready_ = false;
};

}  // namespace sgry
