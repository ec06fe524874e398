#pragma once
// Closes a PDF assembled in a MemoryObjectWriter for tests that let real
// readers judge written objects: a cross-reference table over objects 1 up to
// the next free number (each registered, with its recorded offset) and a
// trailer naming the catalog. Header-only.
#include <cstdint>
#include <string>

#include "platform/Format.h"
#include "support/MemoryObjectWriter.h"

namespace sgry::test {

inline const std::string& FinishTestPdf(MemoryObjectWriter& writer, int32_t root) {
    const int32_t size = writer.nextNumber();
    const int64_t xref = writer.AppendAtEnd(Format("xref\r\n0 %d\r\n0000000000 65535 f\r\n", size));
    for (int32_t n = 1; n < size; ++n) {
        const MemoryObjectWriter::Entry* entry = writer.Find(n, 0);
        writer.AppendAtEnd(Format("%010ld 00000 n\r\n", entry ? entry->offset : int64_t{0}));
    }
    writer.AppendAtEnd(Format("trailer\r\n<< /Size %d /Root %d 0 R >>\r\nstartxref\r\n%ld\r\n%%%%EOF\r\n", size,
                              root, xref));
    return writer.bytes();
}

}  // namespace sgry::test
