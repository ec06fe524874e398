// A real PDF reader judges the header and footer: a one-page document is built
// around the items' fragments and the text that pdftotext extracts is checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "support/MemoryObjectWriter.h"
#include "pdf/PdfFont.h"
#include "platform/Format.h"
#include "platform/SjisText.h"
#include "render/HeaderFooterItem.h"

namespace sgry {
namespace {

bool ToolPresent(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string RunAndCapture(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    pclose(pipe);
    return output;
}

// Objects 1-3 (catalog, pages, page) and the content stream are written here;
// the fonts write themselves from number 4 on.
std::string OnePagePdf(const std::string& content, test::MemoryObjectWriter& writer, int32_t latinFont,
                       int32_t japaneseFont) {
    std::string pdf = writer.bytes();
    std::string xref;
    std::vector<std::pair<int32_t, std::size_t>> offsets;
    for (const auto& entry : writer.entries())
        offsets.emplace_back(entry.number, static_cast<std::size_t>(entry.offset));
    const int32_t contentNumber = writer.nextNumber();
    auto add = [&](int32_t number, const std::string& body) {
        offsets.emplace_back(number, pdf.size());
        pdf += Format("%d 0 obj\r\n", number) + body + "\r\nendobj\r\n";
    };
    add(1, "<< /Type /Catalog /Pages 2 0 R >>");
    add(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    add(3, Format("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 %d 0 R "
                  "/F2 %d 0 R >> >> /Contents %d 0 R >>",
                  latinFont, japaneseFont, contentNumber));
    add(contentNumber, Format("<< /Length %d >>\r\nstream\r\n", static_cast<int>(content.size())) + content +
                           "\r\nendstream");
    std::sort(offsets.begin(), offsets.end());
    const std::size_t xrefOffset = pdf.size();
    pdf += Format("xref\r\n0 %d\r\n0000000000 65535 f\r\n", contentNumber + 1);
    for (const auto& [number, offset] : offsets) pdf += Format("%010ld 00000 n\r\n", static_cast<long>(offset));
    pdf += Format("trailer\r\n<< /Size %d /Root 1 0 R >>\r\nstartxref\r\n%ld\r\n%%%%EOF\r\n", contentNumber + 1,
                  static_cast<long>(xrefOffset));
    return pdf;
}

TEST(HeaderFooterReaderTest, ReaderExtractsEscapedAndHexadecimalTexts) {
    if (!ToolPresent("pdftotext") || !ToolPresent("qpdf")) GTEST_SKIP() << "pdftotext or qpdf missing";
    test::MemoryObjectWriter writer(4, "%PDF-1.4\r\n");
    const auto courier = MakePdfFont("Courier");
    const auto kozmin = MakePdfFont("KozMinPro-Regular");
    courier->WriteObjects(writer);
    kozmin->WriteObjects(writer);

    StampSettings settings;
    const PageEntry page = [] {
        PageEntry p;
        p.width = 595;
        p.height = 842;
        p.label = 5;
        return p;
    }();
    PageNumberItem number(settings, 1);
    TextItem text(settings);
    BorderLine line(settings);
    std::string content;
    text.Set(0, "Draft (v2) C:\\x ) end", page, "/F1", *courier);
    content += text.Generate();
    text.Set(2, sjis::FromUtf8("社外秘").value(), page, "/F2", *kozmin);
    content += text.Generate();
    content += line.Generate(page, 0);
    number.Set(4, PageNumberFormat::OfTotal, page, "/F1", *courier);
    content += number.Generate();
    content += line.Generate(page, 1);

    const std::string pdf = OnePagePdf(content, writer, courier->ObjectNumber(), kozmin->ObjectNumber());
    const std::filesystem::path path =
        std::filesystem::path(SIGILRY_BINARY_DIR) / "header_footer_reader_test.pdf";
    std::ofstream(path, std::ios::binary) << pdf;

    const std::string check = RunAndCapture("qpdf --check '" + path.string() + "' 2>&1");
    EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
    const std::string extracted = RunAndCapture("pdftotext -layout '" + path.string() + "' - 2>&1");
    EXPECT_NE(extracted.find("Draft (v2) C:\\x ) end"), std::string::npos) << extracted;
    EXPECT_NE(extracted.find("社外秘"), std::string::npos) << extracted;
    EXPECT_NE(extracted.find("5/1"), std::string::npos) << extracted;
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace sgry
