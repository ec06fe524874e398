// The file list in the main window: adding, removing, list files, opening a row.
#include <QTest>

#include "MainWindowFixture.h"

namespace sgry::test {
namespace {

using ListTest = MainWindowTest;

constexpr const char* kListDialog = "ファイルリスト名の指定|ファイルリスト(*.lst)|*.lst|すべてのﾌｧｲﾙ(*.*)|*.*||";

TEST_F(ListTest, AddedFilesGoOnTopCheckedWithPageCountAndPath) {
    const std::string a = MakePdf("a.pdf", 1), b = MakePdf("b.pdf", 2), c = MakePdf("c.pdf", 3);
    AddThroughCommand({a, b, c});

    EXPECT_EQ(dialogs_.asked, Strings{"ﾘｽﾄへ追加するPDFﾌｧｲﾙを選択して下さい|PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||"});
    CSgryView& view = frame_->View();
    ASSERT_EQ(view.topLevelItemCount(), 3);
    const Strings names = {"c.pdf", "b.pdf", "a.pdf"}, pages = {"3", "2", "1"}, paths = {c, b, a};
    for (int i = 0; i < 3; ++i) {
        const QTreeWidgetItem* item = view.topLevelItem(i);
        const std::size_t row = static_cast<std::size_t>(i);
        EXPECT_EQ(item->text(kColumnName).toStdString(), names[row]) << i;
        EXPECT_EQ(item->text(kColumnPages).toStdString(), pages[row]) << i;
        EXPECT_EQ(item->text(kColumnPath).toStdString(), paths[row]) << i;
        EXPECT_EQ(item->checkState(kColumnName), Qt::Checked) << i;
    }
    EXPECT_EQ(ListedPaths(), paths);
    EXPECT_EQ(view.Notice().ShownCount(), 3);
    EXPECT_FALSE(view.Notice().Showing());
    EXPECT_TRUE(prompts_.messages.empty());
}

struct RemoveRow {
    const char* name;
    bool useKey;
};

class RemoveTest : public MainWindowTest, public ::testing::WithParamInterface<RemoveRow> {};

TEST_P(RemoveTest, ThreeSelectedRowsOfFiveAreRemovedAndNoneWithoutSelection) {
    Strings paths;
    for (int i = 1; i <= 5; ++i) paths.push_back(MakePdf("f" + std::to_string(i) + ".pdf"));
    AddThroughCommand(paths);  // top to bottom: f5 f4 f3 f2 f1
    CSgryView& view = frame_->View();
    view.clearSelection();
    frame_->Command(kIdRemoveFile)->trigger();
    EXPECT_EQ(view.topLevelItemCount(), 5);
    for (int index : {0, 2, 3}) view.topLevelItem(index)->setSelected(true);

    if (GetParam().useKey) {
        view.setFocus();
        QTest::keyClick(&view, Qt::Key_Delete);
    } else {
        frame_->Command(kIdRemoveFile)->trigger();
    }

    EXPECT_EQ(ListedPaths(), (Strings{paths[3], paths[0]}));
    ASSERT_EQ(view.topLevelItemCount(), 2);
    EXPECT_EQ(view.topLevelItem(0)->text(kColumnName), QStringLiteral("f4.pdf"));
    EXPECT_EQ(view.topLevelItem(1)->text(kColumnName), QStringLiteral("f1.pdf"));
}

INSTANTIATE_TEST_SUITE_P(MenuAndKey, RemoveTest,
                         ::testing::Values(RemoveRow{"command", false}, RemoveRow{"delete_key", true}),
                         [](const auto& info) { return std::string(info.param.name); });

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

    EXPECT_EQ(prompts_.saveDialogs, Strings{kListDialog});
    EXPECT_EQ(ScratchDir::Read(dir_.File(GetParam().written)), c + "\r\n" + b + "\r\n" + a + "\r\n");
    EXPECT_TRUE(prompts_.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Names, SaveListTest,
                         ::testing::Values(SaveRow{"plain", "files", "files.lst"},
                                           SaveRow{"upper", "FILES.LST", "FILES.LST"},
                                           SaveRow{"mixed", "Files.Lst", "Files.Lst"},
                                           SaveRow{"other_extension", "files.txt", "files.txt.lst"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ListTest, SavingAnEmptyListShowsTheMessageAndNoDialog) {
    frame_->Command(kIdSaveList)->trigger();
    EXPECT_TRUE(prompts_.saveDialogs.empty());
    EXPECT_EQ(prompts_.Texts(), Strings{"対象PDFファイルがありません"});
}

TEST_F(ListTest, CancelledDialogsChangeNothing) {
    AddThroughCommand({MakePdf("a.pdf")});
    AddThroughCommand({});
    frame_->Command(kIdSaveList)->trigger();  // no answer scripted: Cancel
    frame_->Command(kIdOpenList)->trigger();
    EXPECT_EQ(dialogs_.asked.size(), 3u);
    EXPECT_EQ(prompts_.saveDialogs.size(), 1u);
    EXPECT_EQ(frame_->View().topLevelItemCount(), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ListTest, LoadingReplacesTheRowsAndTheyComeBackChecked) {
    const std::string a = MakePdf("a.pdf", 1), b = MakePdf("b.pdf", 2), c = MakePdf("c.pdf", 3);
    const std::string list = dir_.File("saved.lst");
    ScratchDir::Write(list, c + "\r\n" + b + "\n\n" + a + "\r\n");  // CR LF, LF alone and an empty line
    AddThroughCommand({MakePdf("old.pdf")});
    frame_->View().topLevelItem(0)->setCheckState(kColumnName, Qt::Unchecked);
    dialogs_.openFile = list;

    frame_->Command(kIdOpenList)->trigger();

    EXPECT_EQ(dialogs_.asked.back(), kListDialog);
    EXPECT_EQ(ListedPaths(), (Strings{a, b, c}));  // each line goes on top
    CSgryView& view = frame_->View();
    ASSERT_EQ(view.topLevelItemCount(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(view.topLevelItem(i)->checkState(kColumnName), Qt::Checked) << i;
    EXPECT_EQ(view.topLevelItem(2)->text(kColumnPages), QStringLiteral("3"));
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(ListTest, ListFileThatCannotBeOpenedEmptiesTheListAndSaysSo) {
    AddThroughCommand({MakePdf("a.pdf")});
    const std::string missing = dir_.File("missing.lst");
    dialogs_.openFile = missing;
    frame_->Command(kIdOpenList)->trigger();
    EXPECT_EQ(frame_->View().topLevelItemCount(), 0);
    EXPECT_EQ(prompts_.Texts(), Strings{"ファイルが開けませんでした\r\n" + missing});
}

TEST_F(ListTest, DoubleClickOpensTheRowUnderThePointerAndEnterTheCurrentRow) {
    const std::string a = MakePdf("a.pdf"), b = MakePdf("b.pdf");
    AddThroughCommand({a, b});
    CSgryView& view = frame_->View();
    const QRect second = view.visualItemRect(view.topLevelItem(1));
    // A double-click is a click followed by the double-click event.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    EXPECT_EQ(opened_, Strings{a});

    view.setFocus();
    view.setCurrentItem(view.topLevelItem(0));
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(opened_, (Strings{a, b}));
    view.OpenListRow(5);  // no such row: nothing
    EXPECT_EQ(opened_.size(), 2u);
}

}  // namespace
}  // namespace sgry::test
