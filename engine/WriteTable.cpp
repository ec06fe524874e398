#include "engine/WriteTable.h"

#include <algorithm>
#include <new>

#include "engine/TryReserve.h"
#include "platform/Format.h"

namespace sgry {

bool WriteTable::Register(int32_t number, int32_t generation, bool isNew, ObjectKind kind) {
    if (number < 0 || generation < 0 || index_.count(Key(number, generation)) != 0) return true;
    try {
        // 100 more or half the table again, whichever is larger: a fixed
        // step would copy the table once per hundred objects.
        if (entries_.size() == entries_.capacity())
            entries_.reserve(entries_.capacity() + std::max<std::size_t>(100, entries_.capacity() / 2));
        entries_.push_back({number, generation, isNew, kind, -1});
        index_.emplace(Key(number, generation), entries_.size() - 1);
    } catch (const std::bad_alloc&) {
        if (index_.size() < entries_.size()) entries_.pop_back();
        error_ = WriteTableError::OutOfMemory;
        return false;
    }
    return true;
}

void WriteTable::Reserve(std::size_t entries) { TryReserve(entries, entries_, index_); }

void WriteTable::RecordOffset(int32_t number, int32_t generation, int64_t offset) {
    if (number < 0 || generation < 0) return;
    const auto it = index_.find(Key(number, generation));
    if (it != index_.end()) entries_[it->second].offset = offset;
}

const WriteTable::Entry* WriteTable::Find(int32_t number, int32_t generation) const {
    if (number < 0 || generation < 0) return nullptr;
    const auto it = index_.find(Key(number, generation));
    return it == index_.end() ? nullptr : &entries_[it->second];
}

void WriteTable::SortByNumber() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.number < b.number; });
    Reindex();
}

void WriteTable::Reindex() {
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_.emplace(Key(entries_[i].number, entries_[i].generation), i);
}

bool WriteTable::AllWritten() const {
    return std::all_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.offset >= 0; });
}

std::string WriteTable::SubsectionText() const {
    constexpr std::size_t kEntryLength = 20;            // "%010ld %05d n\r\n"
    constexpr std::size_t kLongestSubsectionLine = 23;  // two 10-digit numbers, a space, CR LF
    std::string text;
    // Made once at its largest size (a subsection line for every entry): a
    // text that grows moves to fresh memory each time, while room reserved
    // and never written is never touched.
    text.reserve(entries_.size() * (kEntryLength + kLongestSubsectionLine));
    size_t runStart = 0;
    while (runStart < entries_.size()) {
        size_t runEnd = runStart + 1;
        while (runEnd < entries_.size() &&
               static_cast<int64_t>(entries_[runEnd].number) == static_cast<int64_t>(entries_[runEnd - 1].number) + 1)
            ++runEnd;
        text += Format("%ld %d\r\n", entries_[runStart].number, static_cast<int64_t>(runEnd - runStart));
        for (size_t i = runStart; i < runEnd; ++i)
            text += Format("%010ld %05d n\r\n", entries_[i].offset, entries_[i].generation);
        runStart = runEnd;
    }
    return text;
}

void WriteTable::Clear() {
    entries_.clear();
    index_.clear();
    error_ = WriteTableError::None;
}

}  // namespace sgry
