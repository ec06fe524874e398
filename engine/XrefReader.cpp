#include "engine/XrefReader.h"

#include <string>

namespace sgry {

namespace {
constexpr int kOk = 0;
constexpr int kOutOfMemory = 5;
constexpr int kPrevUnreadable = 6;

bool IsDigits(const std::string& t) {
    if (t.empty()) return false;
    for (char c : t)
        if (c < '0' || c > '9') return false;
    return true;
}
}  // namespace

// The chain is followed in a loop rather than by recursion, so that a file
// with very many updates cannot exhaust the stack; the order of insertion
// (newest section first) is the same.
int XrefReader::ReadChain(int64_t newestOffset) {
    int64_t offset = newestOffset;
    bool isPrev = false;
    for (;;) {
        if (offset < 0 || !visited_.insert(offset).second || !reader_.Seek(offset))
            return isPrev ? kPrevUnreadable : kOk;
        if (StartsWithObjectHeader()) return kOk;  // a cross-reference stream: not read
        if (!reader_.Seek(offset)) return kPrevUnreadable;
        if (!reader_.SearchToken("xref")) return kOk;  // nothing to read here
        if (const int rc = ReadEntries(); rc != kOk) return rc;
        bool hasPrev = false;
        const int64_t prev = ReadPrev(hasPrev);
        if (!hasPrev) return kOk;
        if (prev < 0) return kPrevUnreadable;
        offset = prev;
        isPrev = true;
    }
}

// "N G obj" at the section offset: the section is a cross-reference stream.
bool XrefReader::StartsWithObjectHeader() {
    return IsDigits(reader_.NextToken()) && IsDigits(reader_.NextToken()) && reader_.NextToken() == "obj";
}

int XrefReader::ReadEntries() {
    for (;;) {
        const std::string t = reader_.NextToken();
        if (t.empty() || t == "trailer") return kOk;
        int64_t number = TokenReader::LeadingInt(t);
        const int64_t count = reader_.ReadInt();
        // A hostile count cannot keep the loop running past the end of the file.
        for (int64_t i = 0; i < count; ++i, ++number) {
            const int64_t offset = reader_.ReadInt();
            const int64_t generation = reader_.ReadInt();
            const std::string type = reader_.NextToken();
            if (type.empty()) return kOk;
            if (type != "n") continue;
            if (table_.Insert(number, generation, offset) == ObjectOffsetTable::InsertResult::OutOfMemory)
                return kOutOfMemory;
        }
    }
}

int64_t XrefReader::ReadPrev(bool& hasPrev) {
    for (;;) {
        const std::string t = reader_.NextToken();
        if (t.empty() || t == "%%EOF") return -1;
        if (t == "/Prev") {
            hasPrev = true;
            return reader_.ReadInt();
        }
    }
}

}  // namespace sgry
