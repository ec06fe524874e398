#include "engine/ObjectOffsetTable.h"

#include <algorithm>
#include <limits>
#include <new>
#include <stdexcept>

namespace sgry {

namespace {
constexpr int64_t kMaxNumber = std::numeric_limits<int32_t>::max();

bool InRange(int64_t number, int64_t generation) {
    return number >= 0 && generation >= 0 && number <= kMaxNumber && generation <= kMaxNumber;
}
}  // namespace

void ObjectOffsetTable::Clear() {
    std::fill(slots_.begin(), slots_.end(), Slot{});
    count_ = 0;
    highestNumber_ = -1;
}

std::vector<ObjectOffsetTable::Entry> ObjectOffsetTable::EntriesBelow(int64_t limit) const {
    std::vector<Entry> entries;
    for (const Slot& slot : slots_)
        if (slot.number != kEmpty && slot.offset < limit) entries.push_back({slot.number, slot.generation, slot.offset});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.offset < b.offset; });
    return entries;
}

ObjectOffsetTable::ObjectOffsetTable() {
    try {
        slots_.resize(kFirstCapacity);
        ready_ = true;
    } catch (const std::bad_alloc&) {
        ready_ = false;
    }
}

// The first slot to probe for the pair, or, when the pair is absent, the
// empty slot where it belongs. Object numbers are mostly consecutive, so the
// number is spread by a multiplicative hash before it picks a slot.
std::size_t ObjectOffsetTable::SlotOf(int32_t number, int32_t generation) const {
    const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(number)) << 32) |
                         static_cast<uint32_t>(generation);
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>((key * UINT64_C(0x9E3779B97F4A7C15)) >> 32) & mask;
    while (slots_[i].number != kEmpty && (slots_[i].number != number || slots_[i].generation != generation))
        i = (i + 1) & mask;
    return i;
}

bool ObjectOffsetTable::Grow() { return Rehash(slots_.size() * 2); }

bool ObjectOffsetTable::Reserve(std::size_t entries) {
    if (!ready_) return false;
    std::size_t capacity = slots_.size();
    while (capacity / 2 < static_cast<std::size_t>(count_) + entries) {
        if (capacity > std::numeric_limits<std::size_t>::max() / 4) return false;
        capacity *= 2;
    }
    return capacity == slots_.size() || Rehash(capacity);
}

bool ObjectOffsetTable::Rehash(std::size_t capacity) {
    std::vector<Slot> old;
    try {
        old.resize(capacity);
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    old.swap(slots_);
    for (const Slot& slot : old)
        if (slot.number != kEmpty) slots_[SlotOf(slot.number, slot.generation)] = slot;
    return true;
}

ObjectOffsetTable::InsertResult ObjectOffsetTable::Insert(int64_t number, int64_t generation, int64_t offset) {
    if (!InRange(number, generation)) return InsertResult::OutOfRange;
    if (!ready_) return InsertResult::OutOfMemory;
    const auto num = static_cast<int32_t>(number);
    const auto gen = static_cast<int32_t>(generation);
    if (slots_[SlotOf(num, gen)].number != kEmpty) return InsertResult::Duplicate;
    if (static_cast<std::size_t>(count_ + 1) * 2 > slots_.size() && !Grow()) return InsertResult::OutOfMemory;

    slots_[SlotOf(num, gen)] = {num, gen, offset};
    ++count_;
    highestNumber_ = std::max(highestNumber_, num);
    return InsertResult::Inserted;
}

int64_t ObjectOffsetTable::Find(int64_t number, int64_t generation) const {
    if (!InRange(number, generation) || !ready_) return -1;
    const Slot& slot = slots_[SlotOf(static_cast<int32_t>(number), static_cast<int32_t>(generation))];
    return slot.number == kEmpty ? -1 : slot.offset;
}

}  // namespace sgry
