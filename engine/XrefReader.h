#pragma once
// Reads every classic cross-reference section of a file into the object-offset
// table: the newest section first, then each older one named by /Prev.
//
// Result codes (the job's codes): 0 read, 5 the table ran out of memory,
// 6 an older section named by /Prev cannot be read (a negative offset, or an
// offset already read: a /Prev chain that loops).
// A section whose offset holds an object (a cross-reference stream) or no
// "xref" keyword at all contributes nothing and is not an error; a file made
// only of such sections ends up with an empty table.
#include <cstdint>
#include <set>

#include "engine/ObjectOffsetTable.h"
#include "pdf/TokenReader.h"

namespace sgry {

class XrefReader {
public:
    XrefReader(TokenReader& reader, ObjectOffsetTable& table) : reader_(reader), table_(table) {}

    // newestOffset: the startxref offset of the file.
    int ReadChain(int64_t newestOffset);

    int32_t SectionsRead() const { return static_cast<int32_t>(visited_.size()); }

private:
    bool StartsWithObjectHeader();
    int ReadEntries();
    // Passes over the trailer up to "%%EOF"; returns the /Prev offset or -1.
    // Sets hasPrev when a /Prev key was seen.
    int64_t ReadPrev(bool& hasPrev);

    TokenReader& reader_;
    ObjectOffsetTable& table_;
    std::set<int64_t> visited_;
};

}  // namespace sgry
