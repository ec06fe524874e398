// The run command in the main window: confirmation, the progress window with
// its counts, cancel between files and the summary;
// and what the run and erase commands do with an empty list or a "no".
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
            QObject::connect(&dialog, &ProgressDialog::fileShown, [this, &dialog](const QString& count, const QString&) {
                counts_.push_back(dialog.CountText().toStdString());  // what the labels show
                paths_.push_back(dialog.PathText().toStdString());
                bars_.push_back(dialog.BarValue());
                visible_ = dialog.isVisible();
                waitCursor_ = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
                if (count == cancelAt_)
                    QMetaObject::invokeMethod(dialog.findChild<QPushButton*>(QStringLiteral("1112")), "click",
                                              Qt::QueuedConnection);
            });
        });
    }

    // Files named "fN.pdf", added so that the list shows them 1..n from the top.
    std::vector<std::string> AddFiles(int n) {
        std::vector<std::string> paths;
        for (int i = n; i >= 1; --i) paths.push_back(MakePdf("f" + std::to_string(i) + ".pdf", 1));
        AddThroughCommand(paths);
        std::reverse(paths.begin(), paths.end());
        return paths;
    }
    void Run() { frame_->Command(kIdRun)->trigger(); }
    bool Stamped(const std::string& source) const { return ScratchDir::Read(source) != SmallPdf(1); }

    std::string dialogTitle_;
    int maximum_ = -1;
    bool visible_ = false;
    bool waitCursor_ = false;
    std::vector<std::string> counts_;
    std::vector<std::string> paths_;
    std::vector<int> bars_;
    QString cancelAt_;
};

TEST_F(BatchTest, ThreeTickedOneUntickedCountsToThreeAndLeavesTheUntickedFile) {
    const std::vector<std::string> files = AddFiles(4);
    frame_->View().topLevelItem(2)->setCheckState(kColumnName, Qt::Unchecked);  // f3

    Run();

    EXPECT_EQ(prompts_.questions, Strings{"処理を実行しますか？"});
    EXPECT_EQ(dialogTitle_, "処理中…");
    EXPECT_EQ(maximum_, 3);
    EXPECT_TRUE(visible_);
    EXPECT_TRUE(waitCursor_);
    EXPECT_EQ(counts_, (Strings{"0 / 3", "1 / 3", "2 / 3"}));
    EXPECT_EQ(paths_, (Strings{files[0], files[1], files[3]}));
    EXPECT_EQ(bars_, (std::vector<int>{0, 1, 2}));
    for (const char* name : {"_f1.pdf", "_f2.pdf", "_f4.pdf"}) EXPECT_TRUE(Exists(name)) << name;
    EXPECT_FALSE(Exists("_f3.pdf"));
    EXPECT_FALSE(Stamped(files[2]));
    EXPECT_EQ(prompts_.Texts(),
              Strings{"完了しました\r\n\r\n出力ファイルは、ファイル名の先頭に \" _ \"(アンダーライン)が付加されています。"});
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(frame_->findChild<ProgressDialog*>(), nullptr);  // gone after the run, with the wait cursor
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(frame_->Document().Running());
}

TEST_F(BatchTest, CancelWhileTheSecondOfFiveRunsFinishesTheSecondOnly) {
    const std::vector<std::string> files = AddFiles(5);
    cancelAt_ = QStringLiteral("1 / 5");  // the click arrives while the second file runs

    Run();

    EXPECT_EQ(counts_, (Strings{"0 / 5", "1 / 5"}));
    EXPECT_TRUE(Exists("_f1.pdf"));
    EXPECT_TRUE(Exists("_f2.pdf"));
    for (const char* untouched : {"_f3.pdf", "_f4.pdf", "_f5.pdf"}) EXPECT_FALSE(Exists(untouched)) << untouched;
    for (int i = 2; i < 5; ++i) EXPECT_FALSE(Stamped(files[static_cast<std::size_t>(i)])) << i;
    EXPECT_EQ(prompts_.Texts(), Strings{"中断しました"});
    EXPECT_EQ(frame_->Document().LastOutcome().finished, 2);
    EXPECT_EQ(frame_->Document().LastOutcome().succeeded, 2);
}

struct CommandRow {
    const char* name;
    int command;
    const char* question;
};

TEST_F(BatchTest, EmptyListOrADeclinedQuestionRunsNothing) {
    const CommandRow rows[] = {{"run", kIdRun, "処理を実行しますか？"},
                               {"erase", kIdEraseStamps, "チェックしたファイルからスタンプを消去しますか？"}};
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        frame_->Command(row.command)->trigger();
        EXPECT_TRUE(prompts_.questions.empty());
        EXPECT_EQ(prompts_.Texts(), Strings{"対象PDFファイルがありません"});
        prompts_.messages.clear();
    }
    const std::string file = AddFiles(1)[0];
    prompts_.answerOk = false;
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        frame_->Command(row.command)->trigger();
        EXPECT_EQ(prompts_.questions.back(), row.question);
        EXPECT_TRUE(prompts_.messages.empty());
    }
    EXPECT_EQ(prompts_.questions.size(), 2u);
    EXPECT_EQ(maximum_, -1);  // no progress window was made
    EXPECT_FALSE(Exists("_f1.pdf"));
    EXPECT_FALSE(Stamped(file));
}

}  // namespace
}  // namespace sgry::test
