// The run command in the main window: confirmation, the progress window with
// its counts, cancel between files, the save dialog of each file, summaries.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "MainWindowFixture.h"

namespace sgry::test {
namespace {

class BatchTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        frame_->Document().SetProgressObserver([this](ProgressDialog& dialog) {
            dialogTitle_ = dialog.windowTitle().toStdString();
            maximum_ = dialog.BarMaximum();
            QObject::connect(&dialog, &ProgressDialog::fileShown, [this, &dialog](const QString& count, const QString& path) {
                counts_.push_back(count.toStdString());
                paths_.push_back(path.toStdString());
                bars_.push_back(dialog.BarValue());
                if (count == cancelAt_)
                    QMetaObject::invokeMethod(dialog.findChild<QPushButton*>(QStringLiteral("1112")), "click",
                                              Qt::QueuedConnection);
            });
        });
    }

    // Files named "<stem>N.pdf", added so that the list shows them 1..n from the top.
    std::vector<std::string> AddFiles(int n, const std::string& stem = "f") {
        std::vector<std::string> paths;
        for (int i = n; i >= 1; --i) paths.push_back(MakePdf(stem + std::to_string(i) + ".pdf", 1));
        AddThroughCommand(paths);
        std::reverse(paths.begin(), paths.end());
        return paths;
    }
    void Run() { frame_->Command(kIdRun)->trigger(); }
    bool Stamped(const std::string& source) const { return ScratchDir::Read(source) != SmallPdf(1); }

    std::string dialogTitle_;
    int maximum_ = -1;
    std::vector<std::string> counts_;
    std::vector<std::string> paths_;
    std::vector<int> bars_;
    QString cancelAt_;
};

TEST_F(BatchTest, ThreeTickedOneUntickedCountsToThreeAndLeavesTheUntickedFile) {
    const std::vector<std::string> files = AddFiles(4);
    frame_->View().topLevelItem(2)->setCheckState(kColumnName, Qt::Unchecked);  // f3

    Run();

    EXPECT_EQ(prompts_.questions, std::vector<std::string>{"処理を実行しますか？"});
    EXPECT_EQ(dialogTitle_, "処理中…");
    EXPECT_EQ(maximum_, 3);
    EXPECT_EQ(counts_, (std::vector<std::string>{"0 / 3", "1 / 3", "2 / 3"}));
    EXPECT_EQ(paths_, (std::vector<std::string>{files[0], files[1], files[3]}));
    EXPECT_EQ(bars_, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(Exists("_f1.pdf"));
    EXPECT_TRUE(Exists("_f2.pdf"));
    EXPECT_FALSE(Exists("_f3.pdf"));
    EXPECT_TRUE(Exists("_f4.pdf"));
    EXPECT_FALSE(Stamped(files[2]));
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text,
              "完了しました\r\n\r\n出力ファイルは、ファイル名の先頭に \" _ \"(アンダーライン)が付加されています。");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(frame_->findChild<ProgressDialog*>(), nullptr);  // gone after the run
    EXPECT_FALSE(frame_->Document().Running());
}

TEST_F(BatchTest, CancelWhileTheSecondOfFiveRunsFinishesTheSecondOnly) {
    const std::vector<std::string> files = AddFiles(5);
    cancelAt_ = QStringLiteral("1 / 5");  // the click arrives while the second file runs

    Run();

    EXPECT_EQ(counts_, (std::vector<std::string>{"0 / 5", "1 / 5"}));
    EXPECT_TRUE(Exists("_f1.pdf"));
    EXPECT_TRUE(Exists("_f2.pdf"));
    for (const char* untouched : {"_f3.pdf", "_f4.pdf", "_f5.pdf"}) EXPECT_FALSE(Exists(untouched)) << untouched;
    for (int i = 2; i < 5; ++i) EXPECT_FALSE(Stamped(files[static_cast<std::size_t>(i)])) << i;
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"中断しました"});
    EXPECT_EQ(frame_->Document().LastOutcome().finished, 2);
    EXPECT_EQ(frame_->Document().LastOutcome().succeeded, 2);
}

TEST_F(BatchTest, PrefixModeWithEveryFileFailingShowsNoSummary) {
    const std::vector<std::string> files = AddFiles(2);
    for (const std::string& file : files) ScratchDir::Write(file, "replaced by text\n");

    Run();

    const std::vector<std::string> expected = {
        "PDFの展開時にエラーが発生しました\r\n" + files[0] + "\r\n\r\n エラーコード=17",
        "PDFの展開時にエラーが発生しました\r\n" + files[1] + "\r\n\r\n エラーコード=17"};
    EXPECT_EQ(MessageTexts(), expected);
    EXPECT_EQ(counts_, (std::vector<std::string>{"0 / 2", "1 / 2"}));
}

TEST_F(BatchTest, SaveDialogModeAsksForEveryFile) {
    app_.App().Output = OutputMode::SaveAsDialog;
    const std::vector<std::string> files = AddFiles(2);
    prompts_.saveAnswers.push_back(dir_.File("out"));
    prompts_.saveAnswers.push_back(std::nullopt);  // the second file is skipped silently

    Run();

    ASSERT_EQ(prompts_.saveDialogs.size(), 2u);
    EXPECT_EQ(prompts_.saveDialogs[0], "別名で保存|PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||");
    EXPECT_TRUE(Exists("out.pdf"));
    EXPECT_FALSE(Stamped(files[0]));
    EXPECT_FALSE(Stamped(files[1]));
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "完了しました");
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::None);
}

TEST_F(BatchTest, OverwriteModeStampsTheSourceAndSaysDone) {
    app_.App().Output = OutputMode::Overwrite;
    const std::vector<std::string> files = AddFiles(1);
    Run();
    EXPECT_TRUE(Stamped(files[0]));
    EXPECT_EQ(ScratchDir::Read(files[0]).substr(0, SmallPdf(1).size()), SmallPdf(1));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"完了しました"});
}

TEST_F(BatchTest, DeclinedConfirmationRunsNothing) {
    AddFiles(2);
    prompts_.answerOk = false;
    Run();
    EXPECT_EQ(prompts_.questions.size(), 1u);
    EXPECT_TRUE(counts_.empty());
    EXPECT_EQ(maximum_, -1);  // no progress window was made
    EXPECT_FALSE(Exists("_f1.pdf"));
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(BatchTest, EmptyListSaysThereAreNoFiles) {
    Run();
    EXPECT_TRUE(prompts_.questions.empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"対象PDFファイルがありません"});
}

TEST_F(BatchTest, UnsupportedWatermarkImageStopsBeforeTheQuestion) {
    AddFiles(1);
    app_.Stamp().ImageFileName = dir_.File("logo.gif");
    Run();
    EXPECT_TRUE(prompts_.questions.empty());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Warning);
    EXPECT_EQ(prompts_.messages[0].text, "透かし画像が未対応の形式です\r\n" + dir_.File("logo.gif") +
                                             "\r\n\r\n書出し設定で透かし画像を変更して下さい");
}

}  // namespace
}  // namespace sgry::test
