// The run command without a window: the image check, the summaries of the
// output modes and the cancelled save dialog. The loop with its progress and
// cancel is run through the progress window in the GUI tests.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/BatchRun.h"
#include "image/JpegReader.h"
#include "tests/engine/TestPdf.h"
#include "tests/image/ImageFixtures.h"
#include "tests/support/RecordingPrompts.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::RecordingPrompts;
using test::ScratchDir;

// Records what the progress dialog would show; cancels after a given file.
class RecordingProgress : public BatchProgress {
public:
    void Start(int32_t total) override { events.push_back("start " + std::to_string(total)); }
    void Show(const std::string& countText, const std::string& path) override {
        counts.push_back(countText);
        events.push_back("show " + std::filesystem::path(path).filename().string());
    }
    void Step() override {
        ++steps;
        events.push_back("step");
    }
    bool Cancelled() override { return cancelAfter > 0 && steps >= cancelAfter; }
    void Finish() override { events.push_back("finish"); }

    std::vector<std::string> counts;
    std::vector<std::string> events;
    int steps = 0;
    int cancelAfter = 0;  // the cancel button is pressed while file number cancelAfter runs
};

class BatchRunTest : public ::testing::Test {
protected:
    std::string Pdf(const std::string& name) {
        const std::string path = dir.File(name);
        ScratchDir::Write(path, test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}));
        return path;
    }
    BatchOutcome Run(const std::vector<BatchRow>& rows) {
        BatchRun run(stamp, app, prompts, progress);
        return run.OnRun(rows);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : prompts.messages) texts.push_back(m.text);
        return texts;
    }

    ScratchDir dir{"batch"};
    StampSettings stamp;
    AppSettings app;
    RecordingPrompts prompts;
    RecordingProgress progress;
};

TEST_F(BatchRunTest, PrefixModeWithEveryFileFailingShowsNoSummary) {
    const std::string notPdf = dir.File("not.pdf");
    ScratchDir::Write(notPdf, "this is no PDF file at all, but it is long enough to be read as one............");
    const BatchOutcome outcome = Run({{notPdf, true}, {dir.File("gone.pdf"), true}});
    EXPECT_EQ(outcome.succeeded, 0);
    EXPECT_EQ(outcome.finished, 2);
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "PDFの展開時にエラーが発生しました\r\n" + notPdf + "\r\n\r\n エラーコード=17",
                           "PDFの展開時にエラーが発生しました\r\n" + dir.File("gone.pdf") + "\r\n\r\n エラーコード=1"}));
    EXPECT_EQ(progress.counts, (std::vector<std::string>{"0 / 2", "1 / 2"}));
}

TEST_F(BatchRunTest, OtherOutputModesEndWithAPlainSummary) {
    app.Output = OutputMode::Overwrite;
    const std::string a = Pdf("a.pdf");
    const size_t before = ScratchDir::Read(a).size();
    Run({{a, true}});
    EXPECT_GT(ScratchDir::Read(a).size(), before);
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "完了しました");
    EXPECT_EQ(prompts.messages[0].icon, MessageIcon::None);
}

TEST_F(BatchRunTest, CancelledNameSkipsTheFileWithoutAMessage) {
    app.Output = OutputMode::SaveAsDialog;
    prompts.saveAnswers = {std::nullopt, dir.File("named")};
    const BatchOutcome outcome = Run({{Pdf("a.pdf"), true}, {Pdf("b.pdf"), true}});
    EXPECT_EQ(outcome.succeeded, 1);
    EXPECT_TRUE(std::filesystem::exists(dir.File("named.pdf")));
    EXPECT_EQ(Texts(), (std::vector<std::string>{"完了しました"}));
}

TEST_F(BatchRunTest, ImageCheckStopsTheRunBeforeTheConfirmation) {
    const std::string bmpDamaged = dir.File("bad.bmp");
    ScratchDir::Write(bmpDamaged, "XX not a bitmap");
    const std::string jpeg = dir.File("logo.JPEG");
    ScratchDir::Write(jpeg, "not a jpeg");
    struct Row {
        std::string image;
        std::string message;
        MessageIcon icon;
    };
    const std::vector<Row> rows = {
        {dir.File("logo.gif"),
         "透かし画像が未対応の形式です\r\n" + dir.File("logo.gif") + "\r\n\r\n書出し設定で透かし画像を変更して下さい",
         MessageIcon::Warning},
        {dir.File("missing.bmp"), "画像ファイルが開けません\r\n" + dir.File("missing.bmp"), MessageIcon::None},
        {bmpDamaged, "画像ファイルが壊れています\r\n" + bmpDamaged, MessageIcon::None},
        {jpeg, "透かし画像の読み込みでエラーが発生しました\r\n" + jpeg + "\r\n\r\nエラー内容：\r\n" +
                   JpegReader::ErrorText(JpegReader::kBadHeader) + "\r\n\r\n書出し設定で透かし画像を変更して下さい",
         MessageIcon::Warning},
    };
    const std::string a = Pdf("a.pdf");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.image);
        prompts.messages.clear();
        stamp.ImageFileName = row.image;
        EXPECT_EQ(Run({{a, true}}).status, BatchOutcome::Status::ImageRefused);
        ASSERT_EQ(prompts.messages.size(), 1u);
        EXPECT_EQ(prompts.messages[0].text, row.message);
        EXPECT_EQ(prompts.messages[0].icon, row.icon);
    }
    EXPECT_TRUE(prompts.questions.empty());
}

TEST_F(BatchRunTest, ImageWhoseExtensionIsUpperCaseJpegIsAccepted) {
    stamp.ImageFileName = dir.File("logo.JPEG");
    ScratchDir::Write(stamp.ImageFileName, test::MakeJpeg(8, 4, 3, false));
    const std::string a = Pdf("a.pdf");
    const BatchOutcome outcome = Run({{a, true}});
    EXPECT_EQ(outcome.succeeded, 1);
    EXPECT_EQ(prompts.questions.size(), 1u);
    EXPECT_NE(ScratchDir::Read(dir.File("_a.pdf")).find("/Subtype/Image"), std::string::npos);
}

}  // namespace
}  // namespace sgry
