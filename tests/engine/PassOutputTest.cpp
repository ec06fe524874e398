// Output naming: the prefixed copy, the name from the save dialog, and the
// source itself.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/OutputNaming.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::RecordingPrompts;
using test::ScratchDir;

TEST(PassOutputTest, PrefixedNames) {
    struct Row {
        const char* name;
        const char* source;
        const char* output;
    };
    for (const Row& row : {Row{"plain", "/docs/report.pdf", "/docs/_report.pdf"},
                           Row{"already prefixed", "/docs/_a.pdf", "/docs/__a.pdf"},
                           Row{"no extension", "/docs/report", "/docs/_report"},
                           Row{"relative", "a.PDF", "_a.PDF"},
                           Row{"dot in folder", "/v1.2/a", "/v1.2/_a"}}) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(PrefixedOutputPath(row.source), row.output);
    }
}

TEST(PassOutputTest, ChosenNamesGetThePdfExtension) {
    struct Row {
        const char* typed;
        const char* saved;
    };
    for (const Row& row : {Row{"out", "out.pdf"}, Row{"OUT.PDF", "OUT.PDF"}, Row{"x.Pdf", "x.Pdf"},
                           Row{"x.pdfa", "x.pdfa.pdf"}, Row{"/d/x.txt", "/d/x.txt.pdf"}}) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(WithPdfExtension(row.typed), row.saved);
    }
}

class OutputNamingTest : public ::testing::Test {
protected:
    void SetUp() override {
        source = dir.File("a.pdf");
        ScratchDir::Write(source, "%PDF-1.4 source bytes");
    }
    ScratchDir dir{"naming"};
    RecordingPrompts prompts;
    std::string source;
};

TEST_F(OutputNamingTest, PrefixModeCopiesAndReplacesAnEarlierCopy) {
    ScratchDir::Write(dir.File("_a.pdf"), "an earlier, longer copy of something else");
    OutputNaming naming(OutputMode::PrefixedCopy, prompts);
    EXPECT_EQ(naming.DetermineOutput(source), dir.File("_a.pdf"));
    EXPECT_EQ(naming.Error(), 0);
    EXPECT_TRUE(naming.MadeCopy());
    EXPECT_EQ(ScratchDir::Read(naming.WorkPath()), "%PDF-1.4 source bytes");  // renamed when stamped
    EXPECT_TRUE(prompts.saveDialogs.empty());
}

TEST_F(OutputNamingTest, DialogModeAsksEveryTimeAndCopiesToTheChosenName) {
    prompts.saveAnswers = {dir.File("out"), std::nullopt};
    OutputNaming naming(OutputMode::SaveAsDialog, prompts);
    EXPECT_EQ(naming.DetermineOutput(source), dir.File("out.pdf"));
    EXPECT_EQ(ScratchDir::Read(naming.WorkPath()), "%PDF-1.4 source bytes");
    EXPECT_EQ(naming.DetermineOutput(source), "");
    EXPECT_EQ(naming.Error(), kOutputDialogCancelled);
    EXPECT_EQ(naming.AttemptedPath(), "");
    EXPECT_EQ(prompts.saveDialogs,
              (std::vector<std::string>(2, "別名で保存|PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||")));
}

TEST_F(OutputNamingTest, ChoosingTheSourceItselfIsAFailedCopyNotALoss) {
    prompts.saveAnswers = {source};
    OutputNaming naming(OutputMode::SaveAsDialog, prompts);
    EXPECT_EQ(naming.DetermineOutput(source), "");
    EXPECT_EQ(naming.Error(), kOutputCopyFailed);
    EXPECT_EQ(ScratchDir::Read(source), "%PDF-1.4 source bytes");
}

TEST_F(OutputNamingTest, OverwriteModeUsesTheSourceAndCopiesNothing) {
    OutputNaming naming(OutputMode::Overwrite, prompts);
    EXPECT_EQ(naming.DetermineOutput(source), source);
    EXPECT_FALSE(naming.MadeCopy());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST_F(OutputNamingTest, UnknownModeGivesNoOutput) {
    OutputNaming naming(static_cast<OutputMode>(7), prompts);
    EXPECT_EQ(naming.DetermineOutput(source), "");
    EXPECT_EQ(naming.Error(), kOutputCopyFailed);
}

}  // namespace
}  // namespace sgry
