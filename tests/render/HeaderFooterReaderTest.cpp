// A real PDF reader judges the header and footer: a one-page document is built
// around the items' fragments and the text that pdftotext extracts is checked.
#include <gtest/gtest.h>

#include <string>

#include "pdf/PdfFont.h"
#include "platform/Format.h"
#include "platform/SjisText.h"
#include "render/HeaderFooterItem.h"
#include "support/OnePageTestPdf.h"
#include "support/SamplePdfs.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

TEST(HeaderFooterReaderTest, ReaderExtractsEscapedAndHexadecimalTexts) {
    if (!test::ToolExists("pdftotext") || !test::ToolExists("qpdf"))
        GTEST_SKIP() << "pdftotext or qpdf missing";
    test::MemoryObjectWriter writer(5, "%PDF-1.4\r\n");
    const auto courier = MakePdfFont("Courier");
    const auto kozmin = MakePdfFont("KozMinPro-Regular");
    courier->WriteObjects(writer);
    kozmin->WriteObjects(writer);

    StampSettings settings;
    PageEntry page;
    page.width = 595;
    page.height = 842;
    page.label = 5;
    PageNumberItem number(settings, 1);
    TextItem text(settings);
    BorderLine line(settings);
    std::string content;
    text.Set(0, "Draft (v2) C:\\x ) end", page, "/F1", *courier);
    content += text.Generate();
    text.Set(2, sjis::FromUtf8("社外秘").value(), page, "/F2", *kozmin);
    content += text.Generate() + line.Generate(page, 0);
    number.Set(4, PageNumberFormat::OfTotal, page, "/F1", *courier);
    content += number.Generate() + line.Generate(page, 1);

    const test::ScratchDir dir("header-footer-reader");
    const std::string path = dir.File("page.pdf");
    test::ScratchDir::Write(
        path, test::OnePageTestPdf(
                  writer,
                  Format("/MediaBox [0 0 595 842] /Resources << /Font << /F1 %d 0 R /F2 %d 0 R >> >>",
                         courier->ObjectNumber(), kozmin->ObjectNumber()),
                  content));
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(path, &report)) << report;
    std::string extracted;
    test::RunShell("pdftotext -layout " + test::Quoted(path) + " - 2>&1", &extracted);
    EXPECT_NE(extracted.find("Draft (v2) C:\\x ) end"), std::string::npos) << extracted;
    EXPECT_NE(extracted.find("社外秘"), std::string::npos) << extracted;
    EXPECT_NE(extracted.find("5/1"), std::string::npos) << extracted;
}

}  // namespace
}  // namespace sgry
