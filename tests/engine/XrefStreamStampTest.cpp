// Files written with cross-reference streams and object streams by other
// programs (qpdf's object streams over Ghostscript and Cairo output, and a
// linearized file), stamped by this engine and judged by qpdf, poppler and
// zbar: every kind of stamp into a copy, then a second update on the copy.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/JobRunner.h"
#include "platform/SjisText.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::RunShell;
using test::ScratchDir;

struct SourceKind {
    const char* name;
    const char* producer;  // "ghostscript" or "cairo"
    const char* qpdfOptions;
};

class XrefStreamStampTest : public ::testing::TestWithParam<SourceKind> {
protected:
    void SetUp() override {
        for (const char* tool : {"qpdf", "pdftotext", "pdftoppm"})
            if (!test::ToolExists(tool)) GTEST_SKIP() << tool << " missing";
        const std::string plain = dir.File("plain.pdf");
        const std::vector<test::SourcePage> a4(3);
        const bool made = std::string(GetParam().producer) == "cairo" ? !test::CairoPages(plain, a4).empty()
                                                                      : !test::GhostscriptPages(plain, a4).empty();
        if (!made) GTEST_SKIP() << GetParam().producer << " missing";
        source = dir.File("source.pdf");
        ASSERT_EQ(RunShell("qpdf " + std::string(GetParam().qpdfOptions) + " " + Quoted(plain) + " " + Quoted(source) +
                           " 2>&1"),
                  0);
        sourceBytes = ScratchDir::Read(source);
        ASSERT_NE(sourceBytes.find("/Type /XRef"), std::string::npos) << "qpdf wrote no cross-reference stream";
        ASSERT_NE(sourceBytes.find("/Type /ObjStm"), std::string::npos) << "qpdf wrote no object stream";
    }

    int QpdfPages(const std::string& path) {
        std::string out;
        RunShell("qpdf --show-npages " + Quoted(path) + " 2>&1", &out);
        return std::atoi(out.c_str());
    }
    // Renders every page; the number of pages rendered.
    int Rendered(const std::string& path) {
        const std::string prefix = dir.File("page");
        if (RunShell("pdftoppm -r 30 " + Quoted(path) + " " + Quoted(prefix) + " 2>&1") != 0) return -1;
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
            if (entry.path().filename().string().starts_with("page")) {
                ++count;
                std::filesystem::remove(entry.path());
            }
        return count;
    }
    bool RunPass(const std::string& path) {
        PdfJob job(path);
        EXPECT_EQ(job.ErrorCode(), 0);
        EXPECT_TRUE(job.SourceXrefIsStream());
        JobRunner runner(job, stamp, app, prompts);
        const bool ok = runner.Run();
        EXPECT_TRUE(ok) << (prompts.messages.empty() ? std::string() : prompts.messages[0].text);
        return ok;
    }
    void ExpectReadersAgree(const std::string& output) {
        std::string report;
        EXPECT_TRUE(test::QpdfCheckClean(output, &report)) << report;
        EXPECT_EQ(QpdfPages(output), 3);
        EXPECT_EQ(Rendered(output), 3);
        PdfJob reread(output);
        EXPECT_EQ(reread.ErrorCode(), 0);
        EXPECT_TRUE(reread.SourceXrefIsStream());
        EXPECT_EQ(reread.StoredPageCount(), 3);
    }

    ScratchDir dir{"xrefstm"};
    std::string source;
    std::string sourceBytes;
    StampSettings stamp;
    AppSettings app;
    test::RecordingPrompts prompts;
};

TEST_P(XrefStreamStampTest, EveryKindOfStampThenASecondUpdateOnTop) {
    stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderLeft].CustomText = "Stamped header";
    stamp.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
    stamp.Slots[kFooterCenter].StylePageType = PageNumberFormat::DashedOfTotal;
    stamp.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::DateTime;
    stamp.Slots[kHeaderRight].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderRight].FontName = "HeiseiMin-W3";
    stamp.Slots[kHeaderRight].CustomText = sjis::FromUtf8("見出し").value();
    stamp.WaterMarkType = 16;  // DRAFT
    stamp.bWmNeed = true;
    stamp.bWmText = "Band text";
    stamp.QRIsValid = true;
    stamp.QRString = "Sigilry xref";
    stamp.ImageFileName = dir.File("logo.png");
    if (RunShell("convert -size 4x2 xc:red " + Quoted(stamp.ImageFileName) + " 2>&1") != 0) stamp.ImageFileName.clear();

    EXPECT_EQ(QpdfPages(source), 3);
    ASSERT_TRUE(RunPass(source));
    EXPECT_TRUE(prompts.messages.empty()) << prompts.messages[0].text;  // the image was taken too
    EXPECT_EQ(ScratchDir::Read(source), sourceBytes);
    source = dir.File("_source.pdf");
    const std::string once = ScratchDir::Read(source);
    EXPECT_EQ(once.substr(0, sourceBytes.size()), sourceBytes);
    ExpectReadersAgree(source);
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        const std::string text = test::PageText(source, page);
        EXPECT_NE(text.find("Stamped header"), std::string::npos) << text;
        EXPECT_NE(text.find("-" + std::to_string(page) + "/3-"), std::string::npos) << text;
        EXPECT_NE(text.find("見出し"), std::string::npos) << text;
        EXPECT_NE(text.find("Band text"), std::string::npos) << text;
        EXPECT_NE(text.find("DRAFT"), std::string::npos) << text;
    }
    if (test::ToolExists("zbarimg")) {
        // The code sits in the lower right corner: that corner at 600 dpi.
        ASSERT_EQ(RunShell("pdftoppm -r 600 -f 1 -l 1 -x 4000 -y 6000 -W 960 -H 1020 -png " + Quoted(source) + " " +
                           Quoted(dir.File("qr"))),
                  0);
        std::string decoded;
        RunShell("zbarimg --nodbus --raw -q " + Quoted(dir.File("qr-1.png")) + " 2>/dev/null", &decoded);
        EXPECT_NE(decoded.find("Sigilry xref"), std::string::npos) << decoded;
    }

    stamp = StampSettings{};
    app.Output = OutputMode::Overwrite;
    stamp.Slots[kFooterLeft].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kFooterLeft].CustomText = "Second update";
    ASSERT_TRUE(RunPass(source));
    const std::string twice = ScratchDir::Read(source);
    EXPECT_EQ(twice.substr(0, once.size()), once);
    ExpectReadersAgree(source);
    const std::string text = test::PageText(source, 2);
    EXPECT_NE(text.find("Second update"), std::string::npos) << text;
    EXPECT_NE(text.find("Stamped header"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, XrefStreamStampTest,
    ::testing::Values(SourceKind{"GhostscriptObjectStreams", "ghostscript", "--object-streams=generate"},
                      SourceKind{"GhostscriptLinearized", "ghostscript",
                                 "--compress-streams=y --object-streams=generate --linearize"},
                      SourceKind{"CairoObjectStreams", "cairo", "--object-streams=generate"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sgry
