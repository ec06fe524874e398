#pragma once
// The map from (object number, generation) to the byte offset of an object in
// the source, filled from every cross-reference section of the file.
//
// Layout: an entry array (grown 1000 entries at a time), a primary index of
// 10000 buckets x 4 slots kept inside the table itself (bucket = number mod
// 10000), and an overflow grid of rows of 10 slots (column = number mod 10)
// that takes entries whose bucket is full; the grid starts with 10 rows and
// grows by 10 rows when the last row of a column is taken.
//
// A pair is stored once: a second insertion of the same (number, generation)
// is refused, so the section read first (the newest) decides the offset.
// Allocation failures are reported as results, never thrown.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sgry {

class ObjectOffsetTable {
public:
    enum class InsertResult { Inserted, Duplicate, OutOfMemory, OutOfRange };

    static constexpr int32_t kBuckets = 10000;
    static constexpr int32_t kSlotsPerBucket = 4;
    static constexpr int32_t kOverflowColumns = 10;
    static constexpr int32_t kOverflowRowsStep = 10;
    static constexpr int32_t kEntriesStep = 1000;

    ObjectOffsetTable();

    // False when the first blocks (1000 entries, 10 overflow rows) could not
    // be allocated; such a table refuses every insertion.
    bool IsReady() const { return ready_; }

    // number and generation must lie in 0..INT32_MAX (OutOfRange otherwise);
    // offset is a byte offset in the file.
    InsertResult Insert(int64_t number, int64_t generation, int64_t offset);
    // Offset of the pair, or -1 when it is not in the table (negative or
    // out-of-range numbers are never found).
    int64_t Find(int64_t number, int64_t generation) const;

    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    // The highest object number inserted; -1 for an empty table.
    int32_t HighestNumber() const { return highestNumber_; }
    int32_t OverflowRows() const { return overflowRows_; }
    int32_t OverflowCount() const { return overflowCount_; }

private:
    struct Entry {
        int32_t number;
        int32_t generation;
        int64_t offset;
    };
    static constexpr int32_t kEmpty = -1;  // slot value for "no entry" (entry 0 is a valid index)

    bool Matches(int32_t slot, int32_t number, int32_t generation) const;
    bool GrowEntries();
    bool GrowOverflow();
    int32_t& OverflowSlot(int32_t row, int32_t column) {
        return overflow_[static_cast<std::size_t>(row * kOverflowColumns + column)];
    }
    int32_t OverflowSlot(int32_t row, int32_t column) const {
        return overflow_[static_cast<std::size_t>(row * kOverflowColumns + column)];
    }

    std::vector<Entry> entries_;
    std::array<int32_t, kBuckets * kSlotsPerBucket> primary_;
    std::vector<int32_t> overflow_;
    int32_t overflowRows_ = 0;
    int32_t overflowCount_ = 0;
    int32_t highestNumber_ = -1;
    bool ready_ = false;
};

}  // namespace sgry
