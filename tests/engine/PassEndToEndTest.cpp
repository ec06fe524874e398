// The stamping pass on files written by Ghostscript and Cairo, judged by
// qpdf and pdftotext.
#include <gtest/gtest.h>

#include "engine/JobRunner.h"
#include "platform/SjisText.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::RecordingPrompts;
using test::ScratchDir;

class PassEndToEndTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        if (!test::ToolExists("pdftotext") || !test::ToolExists("qpdf")) GTEST_SKIP() << "pdftotext or qpdf missing";
        stamp.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderLeft].CustomText = "Header (Sigilry) text";
        stamp.Slots[kHeaderRight].StyleType = HeaderFooterStyle::Text;
        stamp.Slots[kHeaderRight].FontName = "HeiseiKakuGo-W5";
        stamp.Slots[kHeaderRight].CustomText = sjis::FromUtf8("日本語の見出し").value();
        stamp.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
        stamp.Slots[kFooterCenter].StylePageType = PageNumberFormat::DashedOfTotal;
    }
    // A source of `pages` pages by the parameter's program.
    std::string Source(int pages, const std::string& name = "a.pdf") {
        const std::string path = dir.File(name);
        const std::vector<test::SourcePage> a4(static_cast<size_t>(pages));
        return std::string(GetParam()) == "ghostscript" ? test::GhostscriptPages(path, a4) : test::CairoPages(path, a4);
    }
    bool Stamp(const std::string& path) {
        PdfJob job(path);
        EXPECT_EQ(job.ErrorCode(), 0);
        JobRunner runner(job, stamp, app, prompts);
        return runner.Run();
    }

    ScratchDir dir{"e2e"};
    StampSettings stamp;
    AppSettings app;
    RecordingPrompts prompts;
};

// A prefixed copy of twelve pages, then an update of that copy in place,
// then a prefixed copy of the copy ("__a.pdf").
TEST_P(PassEndToEndTest, PrefixThenOverwriteThenPrefixAgain) {
    const std::string source = Source(12);
    if (source.empty()) GTEST_SKIP() << GetParam() << " missing";
    const std::string before = ScratchDir::Read(source);
    ASSERT_TRUE(Stamp(source)) << (prompts.messages.empty() ? "" : prompts.messages[0].text);
    const std::string output = dir.File("_a.pdf");
    std::string report;
    EXPECT_TRUE(test::QpdfCheckClean(output, &report)) << report;
    EXPECT_EQ(ScratchDir::Read(source), before);
    EXPECT_EQ(ScratchDir::Read(output).substr(0, before.size()), before);
    for (int page = 1; page <= 12; ++page) {
        SCOPED_TRACE(page);
        const std::string text = test::PageText(output, page);
        EXPECT_NE(text.find("-" + std::to_string(page) + "/12-"), std::string::npos) << text;
        EXPECT_NE(text.find("Header (Sigilry) text"), std::string::npos) << text;
        EXPECT_NE(text.find("日本語の見出し"), std::string::npos) << text;
    }
    ASSERT_EQ(prompts.messages.size(), 0u);

    app.Output = OutputMode::Overwrite;
    const std::string copy = ScratchDir::Read(output);
    ASSERT_TRUE(Stamp(output));
    const std::string grown = ScratchDir::Read(output);
    EXPECT_GT(grown.size(), copy.size());
    EXPECT_EQ(grown.substr(0, copy.size()), copy);
    EXPECT_TRUE(test::QpdfCheckClean(output));
    EXPECT_NE(test::PageText(output, 12).find("-12/12-"), std::string::npos);

    app.Output = OutputMode::PrefixedCopy;
    ASSERT_TRUE(Stamp(output));
    const std::string twice = dir.File("__a.pdf");
    EXPECT_TRUE(test::QpdfCheckClean(twice));
    EXPECT_EQ(ScratchDir::Read(twice).substr(0, grown.size()), grown);
}

TEST_P(PassEndToEndTest, StampsOnlyTheOddPositionsOfARange) {
    stamp.IsAllPage = false;
    stamp.StartPage = 4;
    stamp.EndPage = 9;
    stamp.OddFlag = {false, true};
    const std::string source = Source(10);
    if (source.empty()) GTEST_SKIP() << GetParam() << " missing";
    ASSERT_TRUE(Stamp(source));
    const std::string output = dir.File("_a.pdf");
    EXPECT_TRUE(test::QpdfCheckClean(output));
    for (int page = 1; page <= 10; ++page) {
        SCOPED_TRACE(page);
        const bool stamped = page == 4 || page == 6 || page == 8;
        EXPECT_EQ(test::PageText(output, page).find("Header (Sigilry) text") != std::string::npos, stamped);
    }
}

INSTANTIATE_TEST_SUITE_P(Writers, PassEndToEndTest, ::testing::Values("ghostscript", "cairo"));

}  // namespace
}  // namespace sgry
