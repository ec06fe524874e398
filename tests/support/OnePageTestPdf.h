#pragma once
// A one-page document around objects written into a MemoryObjectWriter, for
// tests that let real readers judge them: the writer numbers its objects from
// 5 on; catalog 1, pages 2, page 3 and its content 4 are added here, and the
// file is closed by FinishTestPdf. Header-only.
#include <string>

#include "platform/Format.h"
#include "support/MemoryObjectWriter.h"
#include "support/TestPdfFile.h"

namespace sgry::test {

// Appends `number 0 obj body endobj` and registers it with its offset.
inline void AppendTestObject(MemoryObjectWriter& writer, int32_t number, ObjectKind kind,
                             const std::string& body) {
    writer.RegisterObject(number, 0, true, kind);
    writer.RecordOffset(number, 0,
                        writer.AppendAtEnd(Format("%d 0 obj\r\n", number) + body + "\r\nendobj\r\n"));
}

// `pageKeys` completes the page dictionary (/MediaBox, /Resources, /Rotate...).
inline const std::string& OnePageTestPdf(MemoryObjectWriter& writer, const std::string& pageKeys,
                                         const std::string& content) {
    AppendTestObject(writer, 1, ObjectKind::Page, "<< /Type /Catalog /Pages 2 0 R >>");
    AppendTestObject(writer, 2, ObjectKind::Page, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    AppendTestObject(writer, 3, ObjectKind::Page,
                     "<< /Type /Page /Parent 2 0 R /Contents 4 0 R " + pageKeys + " >>");
    AppendTestObject(writer, 4, ObjectKind::PageContent,
                     Format("<< /Length %ld >>\r\nstream\r\n", content.size()) + content + "\r\nendstream");
    return FinishTestPdf(writer, 1);
}

}  // namespace sgry::test
