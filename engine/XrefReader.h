#pragma once
// Reads every cross-reference section of a file into the object-offset table:
// the newest section first, then each older one named by /Prev. A section is
// a classic table ("xref", entries, "trailer") or a cross-reference stream
// (an object of /Type /XRef whose rows /W and /Index describe); a classic
// section whose trailer names /XRefStm (a hybrid file) is followed by the
// entries of that stream before its /Prev is taken. Chains may mix both kinds.
//
// Stream rows of type 1 enter the table like classic "n" entries; rows of
// type 2 (an object inside an object stream) are noted in the
// CompressedObjects store, which gives the position the table records; free
// rows and rows of unknown types are skipped.
//
// Result codes (the job's codes, engine/JobError.h): None read, TableMemory
// the table ran out of memory, PrevUnreadable an older section named by /Prev
// cannot be read (a negative offset, or an offset already read: a /Prev chain
// that loops; or a cross-reference stream of an older section that cannot be
// decoded), NoSize the cross-reference stream of the newest section cannot be
// decoded (its /Length lies beyond the file, its /W or /Index are malformed,
// its filter is not FlateDecode, its data is damaged or decodes to more than
// kMaxXrefStreamBytes).
// Damaged: the startxref offset or a /Prev offset holds neither the keyword
// "xref" nor a cross-reference stream (some other object, or the middle of one).
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "engine/CompressedObjects.h"
#include "engine/JobError.h"
#include "engine/ObjectOffsetTable.h"
#include "pdf/PdfObject.h"
#include "pdf/TokenReader.h"

namespace sgry {

class XrefReader {
public:
    static constexpr std::size_t kMaxXrefStreamBytes = std::size_t{32} << 20;

    // compressed may be nullptr: type-2 rows are then skipped.
    XrefReader(TokenReader& reader, ObjectOffsetTable& table, CompressedObjects* compressed = nullptr)
        : reader_(reader), table_(table), compressed_(compressed) {}

    // newestOffset: the startxref offset of the file.
    JobError ReadChain(int64_t newestOffset);

    int32_t SectionsRead() const { return static_cast<int32_t>(visited_.size()); }
    // True when the section at the startxref offset is a cross-reference stream.
    bool NewestIsStream() const { return newestIsStream_; }
    // Where the newest section's "trailer" keyword starts, when that section is
    // a table of nothing but entries (numbers, "n" and "f"): a search of its
    // trailer may begin there instead of passing over every entry again.
    // -1 when the section is a stream or its table holds anything else.
    int64_t NewestTrailerAt() const { return newestTrailerAt_; }

private:
    struct Links {
        bool hasPrev = false;
        int64_t prev = -1;
        int64_t xrefStm = -1;  // -1: none
    };

    bool StartsWithObjectHeader();
    JobError ReadEntries(bool newest);
    // Passes over the trailer up to "%%EOF", noting /Prev and /XRefStm.
    void ReadTrailerLinks(Links& links);
    // Reads the cross-reference stream at offset; links.hasPrev/prev from its
    // dictionary. isXref is false when the object there is no /XRef stream.
    JobError ReadStreamSection(int64_t offset, bool isPrev, Links& links, bool& isXref);
    // malformed: the code of rows that /W, /Index or /Size cannot describe
    // (NoSize or PrevUnreadable, by the section's place in the chain).
    JobError ReadStreamRows(const PdfDictionary& dictionary, const std::string& data, JobError malformed);
    JobError InsertRow(int64_t number, uint64_t type, uint64_t field2, uint64_t field3);

    TokenReader& reader_;
    ObjectOffsetTable& table_;
    CompressedObjects* compressed_;
    std::set<int64_t> visited_;
    std::set<int64_t> streamsRead_;  // /XRefStm offsets
    bool newestIsStream_ = false;
    int64_t newestTrailerAt_ = -1;
};

}  // namespace sgry
