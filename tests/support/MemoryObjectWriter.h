#pragma once
// An ObjectWriter over a memory buffer for unit tests of the object writers:
// numbers start at a chosen value, every registration and offset is kept.
#include <string>
#include <vector>

#include "pdf/ObjectWriter.h"

namespace sgry::test {

class MemoryObjectWriter : public ObjectWriter {
public:
    struct Entry {
        int32_t number;
        int32_t generation;
        bool isNew;
        ObjectKind kind;
        int64_t offset;
    };

    explicit MemoryObjectWriter(int32_t firstNumber = 1, std::string prefix = {})
        : next_(firstNumber), bytes_(std::move(prefix)) {}

    int32_t AllocateObjectNumber() override { return next_++; }
    void RegisterObject(int32_t number, int32_t generation, bool isNew, ObjectKind kind) override {
        if (number == -3 || Find(number, generation)) return;
        entries_.push_back({number, generation, isNew, kind, -1});
    }
    int64_t AppendAtEnd(std::string_view text) override {
        if (failAppends_) return -1;
        const auto nul = text.find('\0');
        if (nul != std::string_view::npos) text = text.substr(0, nul);
        const auto offset = static_cast<int64_t>(bytes_.size());
        bytes_.append(text);
        return offset;
    }
    bool AppendBytes(const void* data, std::size_t size) override {
        if (failAppends_) return false;
        bytes_.append(static_cast<const char*>(data), size);
        return true;
    }
    void RecordOffset(int32_t number, int32_t generation, int64_t offset) override {
        if (Entry* e = Find(number, generation)) e->offset = offset;
    }

    Entry* Find(int32_t number, int32_t generation) {
        for (Entry& e : entries_)
            if (e.number == number && e.generation == generation) return &e;
        return nullptr;
    }
    const std::string& bytes() const { return bytes_; }
    const std::vector<Entry>& entries() const { return entries_; }
    int32_t nextNumber() const { return next_; }
    void setFailAppends(bool fail) { failAppends_ = fail; }

private:
    int32_t next_;
    std::string bytes_;
    std::vector<Entry> entries_;
    bool failAppends_ = false;
};

}  // namespace sgry::test
