#pragma once
// The cross-reference stream that ends an update of a source whose newest
// section is itself a cross-reference stream, so that every reader that
// reads the source reads the result. It lists exactly the objects of the
// update, the stream object included, all as objects in the file (type 1),
// and carries the trailer keys of the source's newest section.
//
//   N 0 obj CR LF
//   << /Type /XRef /Size S/Prev P/W [1 a b]/Index [first count ...]/Length L/Filter /FlateDecode CR LF
//   copied keys >> CR LF
//   stream CR LF <rows> LF endstream CR LF endobj CR LF
//
// Rows are big-endian: type (1 byte), offset (a bytes, as few as the largest
// offset needs), generation (b bytes, at least 1). The rows are compressed
// with FlateBuffer; when that fails they are written as they are and
// /Filter is left out.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sgry {

struct XrefStreamRow {
    int32_t number;
    int32_t generation;  // type 2: the index in the object stream; type 0: the next generation
    int64_t offset;      // >= 0; type 2: the object stream's number; type 0: the next free number
    uint8_t type = 1;
};

// The rows as the subsections of a classic cross-reference section: for
// each run of consecutive numbers "first count\r\n", then "%010ld %05d n\r\n"
// (or "f") per row. Rows of type 2 have no classic form and must not be given.
std::string ClassicSubsections(const std::vector<XrefStreamRow>& rows);

class XrefStreamBuilder {
public:
    static constexpr std::string_view kTail = "\nendstream\r\nendobj\r\n";

    // number: the stream's own object number; rows: sorted by number,
    // ascending, the stream's own row included; size: the update's /Size;
    // prev: the source's startxref offset (-1: no /Prev); copiedKeys: the source trailer's
    // other keys up to and including ">>" (engine/TrailerCopy.h).
    XrefStreamBuilder(int32_t number, const std::vector<XrefStreamRow>& rows, int32_t size, int64_t prev,
                      std::string_view copiedKeys);

    // "N 0 obj" line, dictionary and "stream" line.
    const std::string& Header() const { return header_; }
    // The stream data, exactly /Length bytes.
    const std::string& Data() const { return data_; }

    // "first count first count ..." of the runs of consecutive numbers.
    static std::string IndexText(const std::vector<XrefStreamRow>& rows);
    // Bytes needed for value (at least 1).
    static int FieldWidth(uint64_t value);

private:
    std::string header_;
    std::string data_;
};

}  // namespace sgry
