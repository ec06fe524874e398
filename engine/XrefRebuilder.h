#pragma once
// Rebuilds the object table of a file whose cross-reference data do not
// hold, as readers do: every object is found by its "N G obj" header (the
// last definition of a number in the file wins), the members of object
// streams join the table once the streams can be decoded, and the catalog is
// the /Root of the last trailer or cross-reference stream dictionary that
// names an object the file holds, else the last object of /Type /Catalog.
//
// The whole file is read at once for the search, so a file above kMaxBytes
// is not rebuilt.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/CompressedObjects.h"
#include "engine/ObjectOffsetTable.h"
#include "pdf/PdfObject.h"
#include "pdf/TokenReader.h"

namespace sgry {

enum class RebuildFailure {
    None,
    NoObjects,  // not a single "N G obj": the file is no PDF
    NoCatalog,  // objects, but none the trailers name as /Root and no /Type /Catalog
    TooLarge,
    CutShort,   // the last object has no "endobj": the file ends inside it
    // Objects after the last "%%EOF" and no cross-reference data after them:
    // an update whose writing stopped. Its objects are no version of the
    // file a reader should see, and its writer may still roll it back.
    UnfinishedUpdate,
};

struct RebuiltObject {
    int32_t number;
    int32_t generation;
    int64_t offset;       // in the file; for a member of an object stream the store's position
    int32_t stream = -1;  // the object stream holding it, -1 for an object in the file
    int32_t index = 0;    // its place in that stream
};

class XrefRebuilder {
public:
    static constexpr int64_t kMaxBytes = int64_t{1} << 30;

    // table: filled with the objects in the file (it should be empty).
    XrefRebuilder(TokenReader& reader, ObjectOffsetTable& table) : reader_(reader), table_(table) {}

    // Finds the objects in the file and the trailer keys.
    RebuildFailure Rebuild();
    // Adds the members of the object streams found to the table and the
    // store; an object in the file keeps its place. Call once the store can
    // decode the streams (for an encrypted file: once it has the handler).
    void AddCompressedObjects(CompressedObjects& compressed);

    // "/Root n g R" and the /Info, /ID and /Encrypt of the trailer chosen,
    // each followed by a space, then ">>", as the update's trailer takes them.
    const std::string& TrailerKeys() const { return trailerKeys_; }
    int64_t RootNumber() const { return rootNumber_; }
    int64_t RootGeneration() const { return rootGeneration_; }
    // Whether the file holds cross-reference streams or object streams: its
    // readers then read streams, and the update ends with one.
    bool UsesStreams() const { return usesStreams_; }
    // Every object of the table, sorted by number.
    std::vector<RebuiltObject> Objects() const;

private:
    struct Header {
        int64_t offset;
        int32_t number;
        int32_t generation;
    };
    void FindHeaders(const std::string& bytes);
    // The object whose final definition encloses offset; -1 for none.
    int32_t EnclosingObject(int64_t offset) const;
    std::vector<int32_t> ObjectsNaming(const std::string& bytes, std::string_view name) const;
    bool ReadDictionaryAt(int64_t offset, bool isObject, PdfDictionary& dictionary);
    bool TakeTrailer(const PdfDictionary& trailer);
    const Header* FinalOf(int64_t number) const;
    bool IsObject(int64_t number) const;

    TokenReader& reader_;
    ObjectOffsetTable& table_;
    std::vector<Header> headers_;             // every header, in file order
    std::vector<Header> finals_;              // the last definition of each number, by number
    std::vector<RebuiltObject> compressed_;
    std::vector<int64_t> trailers_;           // offsets just past each "trailer" keyword
    std::vector<int32_t> objectStreams_;
    std::string trailerKeys_;
    int64_t rootNumber_ = -1;
    int64_t rootGeneration_ = 0;
    bool usesStreams_ = false;
};

}  // namespace sgry
