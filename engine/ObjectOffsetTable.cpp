#include "engine/ObjectOffsetTable.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <new>

namespace sgry {

namespace {
constexpr int64_t kMaxNumber = std::numeric_limits<int32_t>::max();
}

ObjectOffsetTable::ObjectOffsetTable() {
    primary_.fill(kEmpty);
    ready_ = GrowEntries() && GrowOverflow();
}

bool ObjectOffsetTable::GrowEntries() {
    try {
        // At least 1000 more entries; half the size again for large files, so
        // that a table of a million objects is not copied a thousand times.
        const size_t step = std::max<size_t>(kEntriesStep, entries_.capacity() / 2);
        entries_.reserve(entries_.capacity() + step);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

bool ObjectOffsetTable::GrowOverflow() {
    try {
        overflow_.resize(overflow_.size() + static_cast<size_t>(kOverflowRowsStep * kOverflowColumns), kEmpty);
        overflowRows_ += kOverflowRowsStep;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

bool ObjectOffsetTable::Matches(int32_t slot, int32_t number, int32_t generation) const {
    if (slot == kEmpty) return false;
    const Entry& e = entries_[static_cast<size_t>(slot)];
    return e.number == number && e.generation == generation;
}

ObjectOffsetTable::InsertResult ObjectOffsetTable::Insert(int64_t number, int64_t generation, int64_t offset) {
    if (number < 0 || generation < 0 || number > kMaxNumber || generation > kMaxNumber)
        return InsertResult::OutOfRange;
    if (!ready_) return InsertResult::OutOfMemory;
    if (Find(number, generation) >= 0) return InsertResult::Duplicate;
    const auto num = static_cast<int32_t>(number);
    const auto gen = static_cast<int32_t>(generation);

    if (entries_.size() == entries_.capacity() && !GrowEntries()) return InsertResult::OutOfMemory;
    const auto index = static_cast<int32_t>(entries_.size());
    highestNumber_ = std::max(highestNumber_, num);

    // Primary bucket first.
    const size_t bucket = static_cast<size_t>(num % kBuckets) * kSlotsPerBucket;
    for (size_t s = 0; s < kSlotsPerBucket; ++s) {
        if (primary_[bucket + s] == kEmpty) {
            entries_.push_back({num, gen, offset});
            primary_[bucket + s] = index;
            return InsertResult::Inserted;
        }
    }

    // Bucket full: first free row of the column in the overflow grid; when the
    // last row of the column is taken, the grid grows before inserting.
    const int32_t column = num % kOverflowColumns;
    int32_t row = 0;
    while (row < overflowRows_ && OverflowSlot(row, column) != kEmpty) ++row;
    if (row == overflowRows_ && !GrowOverflow()) return InsertResult::OutOfMemory;
    entries_.push_back({num, gen, offset});
    OverflowSlot(row, column) = index;
    ++overflowCount_;
    return InsertResult::Inserted;
}

int64_t ObjectOffsetTable::Find(int64_t number, int64_t generation) const {
    if (number < 0 || generation < 0 || number > kMaxNumber || generation > kMaxNumber || !ready_) return -1;
    const auto num = static_cast<int32_t>(number);
    const auto gen = static_cast<int32_t>(generation);

    const size_t bucket = static_cast<size_t>(num % kBuckets) * kSlotsPerBucket;
    for (size_t s = 0; s < kSlotsPerBucket; ++s) {
        const int32_t slot = primary_[bucket + s];
        if (Matches(slot, num, gen)) return entries_[static_cast<size_t>(slot)].offset;
    }
    const int32_t column = num % kOverflowColumns;
    for (int32_t row = 0; row < overflowRows_; ++row) {
        const int32_t slot = OverflowSlot(row, column);
        if (slot == kEmpty) break;  // a column fills from the top without gaps
        if (Matches(slot, num, gen)) return entries_[static_cast<size_t>(slot)].offset;
    }
    return -1;
}

}  // namespace sgry
