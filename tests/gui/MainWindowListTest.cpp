// The file list in the main window: adding, removing, list files, opening a row.
#include <QHeaderView>
#include <QTest>

#include "MainWindowFixture.h"

namespace sgry::test {
namespace {

using ListTest = MainWindowTest;

TEST_F(ListTest, AddedFilesGoOnTopCheckedWithPageCountAndPath) {
    const std::string a = MakePdf("a.pdf", 1), b = MakePdf("b.pdf", 2), c = MakePdf("c.pdf", 3);
    AddThroughCommand({a, b, c});

    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0],
              "ﾘｽﾄへ追加するPDFﾌｧｲﾙを選択して下さい|PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||");
    CSgryView& view = frame_->View();
    ASSERT_EQ(view.topLevelItemCount(), 3);
    struct Expected {
        const char* name;
        const char* pages;
        std::string path;
    };
    const Expected rows[] = {{"c.pdf", "3", c}, {"b.pdf", "2", b}, {"a.pdf", "1", a}};
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem* item = view.topLevelItem(i);
        EXPECT_EQ(item->text(kColumnName).toStdString(), rows[i].name) << i;
        EXPECT_EQ(item->text(kColumnPages).toStdString(), rows[i].pages) << i;
        EXPECT_EQ(item->text(kColumnPath).toStdString(), rows[i].path) << i;
        EXPECT_EQ(item->checkState(kColumnName), Qt::Checked) << i;
    }
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{c, b, a}));
    EXPECT_EQ(view.Notice().ShownCount(), 3);
    EXPECT_FALSE(view.Notice().Showing());
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ListTest, FileThatIsNoPdfShowsItsMessageAndAddsNothing) {
    const std::string text = dir_.File("notes.pdf");
    ScratchDir::Write(text, "just some text, no header\n");
    const std::string good = MakePdf("good.pdf", 2);
    AddThroughCommand({text, good});

    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "PDFファイルではありません\r\n" + text);
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(ListedPaths(), std::vector<std::string>{good});
    EXPECT_EQ(frame_->View().topLevelItemCount(), 1);
}

TEST_F(ListTest, CancelledAddDialogAddsNothing) {
    AddThroughCommand({});
    EXPECT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(frame_->View().topLevelItemCount(), 0);
}

struct RemoveRow {
    const char* name;
    bool useKey;
};

class RemoveTest : public MainWindowTest, public ::testing::WithParamInterface<RemoveRow> {};

TEST_P(RemoveTest, ThreeSelectedRowsOfFiveAreRemoved) {
    std::vector<std::string> paths;
    for (int i = 1; i <= 5; ++i) paths.push_back(MakePdf("f" + std::to_string(i) + ".pdf"));
    AddThroughCommand(paths);  // top to bottom: f5 f4 f3 f2 f1
    CSgryView& view = frame_->View();
    for (int index : {0, 2, 3}) view.topLevelItem(index)->setSelected(true);

    if (GetParam().useKey) {
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Delete);
    } else {
        frame_->Command(kIdRemoveFile)->trigger();
    }

    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{paths[3], paths[0]}));
    ASSERT_EQ(view.topLevelItemCount(), 2);
    EXPECT_EQ(view.topLevelItem(0)->text(kColumnName), QStringLiteral("f4.pdf"));
    EXPECT_EQ(view.topLevelItem(1)->text(kColumnName), QStringLiteral("f1.pdf"));
}

INSTANTIATE_TEST_SUITE_P(MenuAndKey, RemoveTest,
                         ::testing::Values(RemoveRow{"command", false}, RemoveRow{"delete_key", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListTest, RemoveWithoutSelectionKeepsEveryRow) {
    AddThroughCommand({MakePdf("a.pdf"), MakePdf("b.pdf")});
    frame_->View().clearSelection();
    frame_->Command(kIdRemoveFile)->trigger();
    EXPECT_EQ(frame_->View().topLevelItemCount(), 2);
}

TEST_F(ListTest, UntickingARowIsSeenByTheList) {
    AddThroughCommand({MakePdf("a.pdf"), MakePdf("b.pdf")});
    frame_->View().topLevelItem(1)->setCheckState(kColumnName, Qt::Unchecked);
    const std::vector<BatchRow> rows = frame_->View().BatchRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].checked);
    EXPECT_FALSE(rows[1].checked);
}

struct SaveRow {
    const char* name;
    const char* typed;
    const char* written;
};

class SaveListTest : public MainWindowTest, public ::testing::WithParamInterface<SaveRow> {};

TEST_P(SaveListTest, EveryRowIsWrittenUnderTheListName) {
    const std::string a = MakePdf("a.pdf"), b = MakePdf("b.pdf"), c = MakePdf("c.pdf");
    AddThroughCommand({a, b, c});
    frame_->View().topLevelItem(1)->setCheckState(kColumnName, Qt::Unchecked);
    prompts_.saveAnswers.push_back(dir_.File(GetParam().typed));

    frame_->Command(kIdSaveList)->trigger();

    ASSERT_EQ(prompts_.saveDialogs.size(), 1u);
    EXPECT_EQ(prompts_.saveDialogs[0], "ファイルリスト名の指定|ファイルリスト(*.lst)|*.lst|すべてのﾌｧｲﾙ(*.*)|*.*||");
    EXPECT_EQ(ScratchDir::Read(dir_.File(GetParam().written)), c + "\r\n" + b + "\r\n" + a + "\r\n");
    EXPECT_TRUE(prompts_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, SaveListTest,
                         ::testing::Values(SaveRow{"plain", "files", "files.lst"},
                                           SaveRow{"lower", "files.lst", "files.lst"},
                                           SaveRow{"upper", "FILES.LST", "FILES.LST"},
                                           SaveRow{"mixed", "Files.Lst", "Files.Lst"},
                                           SaveRow{"other_extension", "files.txt", "files.txt.lst"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListTest, SavingAnEmptyListShowsTheMessageAndNoDialog) {
    frame_->Command(kIdSaveList)->trigger();
    EXPECT_TRUE(prompts_.saveDialogs.empty());
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"対象PDFファイルがありません"});
}

TEST_F(ListTest, CancelledSaveDialogWritesNothing) {
    AddThroughCommand({MakePdf("a.pdf")});
    frame_->Command(kIdSaveList)->trigger();  // no answer scripted: Cancel
    EXPECT_EQ(prompts_.saveDialogs.size(), 1u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
}

TEST_F(ListTest, LoadingReplacesTheRowsAndTheyComeBackChecked) {
    const std::string a = MakePdf("a.pdf", 1), b = MakePdf("b.pdf", 2), c = MakePdf("c.pdf", 3);
    const std::string list = dir_.File("saved.lst");
    ScratchDir::Write(list, c + "\r\n" + b + "\n\n" + a + "\r\n");  // CR LF, LF alone and an empty line
    AddThroughCommand({MakePdf("old.pdf")});
    frame_->View().topLevelItem(0)->setCheckState(kColumnName, Qt::Unchecked);
    dialogs_.openFile = list;

    frame_->Command(kIdOpenList)->trigger();

    EXPECT_EQ(dialogs_.asked.back(), "ファイルリスト名の指定|ファイルリスト(*.lst)|*.lst|すべてのﾌｧｲﾙ(*.*)|*.*||");
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{a, b, c}));  // each line goes on top
    CSgryView& view = frame_->View();
    ASSERT_EQ(view.topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(view.topLevelItem(i)->checkState(kColumnName), Qt::Checked) << i;
    EXPECT_EQ(view.topLevelItem(2)->text(kColumnPages), QStringLiteral("3"));
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ListTest, SaveAndLoadRoundTripReversesTheOrder) {
    const std::string a = MakePdf("a.pdf"), b = MakePdf("b.pdf"), c = MakePdf("c.pdf");
    AddThroughCommand({a, b, c});
    prompts_.saveAnswers.push_back(dir_.File("round"));
    frame_->Command(kIdSaveList)->trigger();
    dialogs_.openFile = dir_.File("round.lst");
    frame_->Command(kIdOpenList)->trigger();
    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{a, b, c}));
}

TEST_F(ListTest, ListFileThatCannotBeOpenedEmptiesTheListAndSaysSo) {
    AddThroughCommand({MakePdf("a.pdf")});
    const std::string missing = dir_.File("missing.lst");
    dialogs_.openFile = missing;
    frame_->Command(kIdOpenList)->trigger();
    EXPECT_EQ(frame_->View().topLevelItemCount(), 0);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"ファイルが開けませんでした\r\n" + missing});
}

TEST_F(ListTest, CancelledOpenDialogKeepsTheRows) {
    AddThroughCommand({MakePdf("a.pdf")});
    frame_->Command(kIdOpenList)->trigger();
    EXPECT_EQ(frame_->View().topLevelItemCount(), 1);
}

// A line of 2047 bytes followed by more text on the same line: the first
// 2047 bytes are one path, the rest another. Doubled slashes pad the first.
TEST_F(ListTest, LongLineIsReadInPiecesEachTriedAsAPath) {
    const std::string first = MakePdf("first.pdf", 1);
    const std::string second = MakePdf("second.pdf", 2);
    const std::string folder = dir_.Path().string();
    const std::string tail = "/first.pdf";
    const std::string padded = folder + std::string(kListLinePieceBytes - folder.size() - tail.size(), '/') + tail;
    ASSERT_EQ(padded.size(), kListLinePieceBytes);
    const std::string list = dir_.File("long.lst");
    ScratchDir::Write(list, padded + second + "\r\n");
    dialogs_.openFile = list;

    frame_->Command(kIdOpenList)->trigger();

    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{second, padded}));
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ListTest, DoubleClickOpensTheRowUnderThePointer) {
    const std::string a = MakePdf("a.pdf"), b = MakePdf("b.pdf");
    AddThroughCommand({a, b});
    CSgryView& view = frame_->View();
    const QRect second = view.visualItemRect(view.topLevelItem(1));
    // A double-click is a click followed by the double-click event.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(opened_, std::vector<std::string>{a});
}

TEST_F(ListTest, EnterOpensTheCurrentRow) {
    const std::string a = MakePdf("a.pdf"), b = MakePdf("b.pdf");
    AddThroughCommand({a, b});
    CSgryView& view = frame_->View();
    view.setFocus();
    view.setCurrentItem(view.topLevelItem(0));
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(opened_, std::vector<std::string>{b});
    view.OpenListRow(5);  // no such row: nothing
    EXPECT_EQ(opened_.size(), 1u);
}

}  // namespace
}  // namespace sgry::test
