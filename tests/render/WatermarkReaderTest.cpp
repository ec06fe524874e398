#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/Format.h"
#include "render/BandWatermark.h"
#include "render/TextWatermark.h"
#include "support/MemoryObjectWriter.h"

namespace sgry {
namespace {

using test::MemoryObjectWriter;

bool HasTool(const char* name) { return std::system((std::string("command -v ") + name + " >/dev/null").c_str()) == 0; }

std::string RunCommand(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
        pclose(pipe);
    }
    return out;
}

// A one-page A4 document whose page paints a diagonal text watermark and a
// band, each from its own form: objects 1-4 by hand, the forms from 5 on.
std::string StampedDocument() {
    MemoryObjectWriter writer(5, "%PDF-1.4\r\n");
    std::vector<int64_t> offsets;

    StampSettings settings;
    settings.WaterMarkType = 16;  // DRAFT
    settings.WaterMarkFont = "Helvetica";
    settings.WawterMarkDiagonal = true;
    settings.bWmText = "BANDTEXT";
    settings.bWmTextColor = 0x0000FF;
    PageEntry page;
    page.width = 595;
    page.height = 842;
    auto watermark = MakeTextWatermark(settings, page);
    auto band = MakeBandWatermark(settings, page);
    watermark->Build(writer);
    band->Build(writer);
    watermark->SetFormResourceName("/UK0");
    band->SetFormResourceName("/UK1");

    const std::string content = watermark->PlacementContent() + band->PlacementContent();
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        Format("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
               "/Resources << /XObject << /UK0 %d 0 R /UK1 %d 0 R >> >> >>",
               watermark->FormRef().number, band->FormRef().number),
        Format("<< /Length %d >>stream\r\n", static_cast<int>(content.size())) + content + "\r\nendstream",
    };
    for (int i = 0; i < 4; ++i) {
        offsets.push_back(static_cast<int64_t>(writer.bytes().size()));
        writer.AppendAtEnd(Format("%d 0 obj\r\n", i + 1) + objects[i] + "\r\nendobj\r\n");
    }
    const int64_t xref = static_cast<int64_t>(writer.bytes().size());
    std::string table = Format("xref\r\n0 %d\r\n0000000000 65535 f\r\n", writer.nextNumber());
    for (int64_t offset : offsets) table += Format("%010ld 00000 n\r\n", offset);
    for (const auto& entry : writer.entries()) table += Format("%010ld 00000 n\r\n", entry.offset);
    table += Format("trailer\r\n<< /Size %d /Root 1 0 R >>\r\nstartxref\r\n%ld\r\n%%%%EOF\r\n", writer.nextNumber(), xref);
    writer.AppendAtEnd(table);
    return writer.bytes();
}

TEST(WatermarkReaderTest, ReadersAcceptTheFormsAndFindTheirTexts) {
    if (!HasTool("qpdf") || !HasTool("pdftotext")) GTEST_SKIP() << "qpdf or pdftotext missing";
    const auto path = std::filesystem::temp_directory_path() / ("sgry-watermark-" + std::to_string(getpid()) + ".pdf");
    {
        std::ofstream out(path, std::ios::binary);
        out << StampedDocument();
    }
    const std::string check = RunCommand("qpdf --check '" + path.string() + "' 2>&1");
    EXPECT_NE(check.find("No syntax or stream encoding errors"), std::string::npos) << check;
    // Letters along the diagonal come out one per line: judge them without the breaks.
    std::string text;
    for (char c : RunCommand("pdftotext -raw '" + path.string() + "' - 2>&1"))
        if (c != '\n' && c != '\r') text += c;
    EXPECT_NE(text.find("DRAFT"), std::string::npos) << text;
    EXPECT_NE(text.find("BANDTEXT"), std::string::npos) << text;
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace sgry
