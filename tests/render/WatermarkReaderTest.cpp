// Real readers judge a page that paints a diagonal text watermark and a band,
// each from its own form.
#include <gtest/gtest.h>

#include <string>

#include "platform/Format.h"
#include "render/BandWatermark.h"
#include "render/TextWatermark.h"
#include "support/OnePageTestPdf.h"
#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

TEST(WatermarkReaderTest, ReadersAcceptTheFormsAndFindTheirTexts) {
    if (!test::ToolExists("qpdf") || !test::ToolExists("pdftotext"))
        GTEST_SKIP() << "qpdf or pdftotext missing";
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
    test::MemoryObjectWriter writer(5, "%PDF-1.4\r\n");
    watermark->Build(writer);
    band->Build(writer);
    watermark->SetFormResourceName("/UK0");
    band->SetFormResourceName("/UK1");

    const test::ScratchDir dir("watermark-reader");
    const std::string path = dir.File("page.pdf");
    test::ScratchDir::Write(
        path, test::OnePageTestPdf(writer,
                                   Format("/MediaBox [0 0 595 842] /Resources << /XObject << /UK0 %d 0 R "
                                          "/UK1 %d 0 R >> >>",
                                          watermark->FormRef().number, band->FormRef().number),
                                   watermark->PlacementContent() + band->PlacementContent()));
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(path, &report)) << report;
    // Letters along the diagonal come out one per line: judge them without the breaks.
    std::string raw;
    test::RunShell("pdftotext -raw " + test::Quoted(path) + " - 2>&1", &raw);
    std::string text;
    for (char c : raw)
        if (c != '\n' && c != '\r') text += c;
    EXPECT_NE(text.find("DRAFT"), std::string::npos) << text;
    EXPECT_NE(text.find("BANDTEXT"), std::string::npos) << text;
}

}  // namespace
}  // namespace sgry
