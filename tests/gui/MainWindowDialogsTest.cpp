// The small windows and helpers of the main window: the adding notice, the
// progress window, and the translation of messages and filters for Qt.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "MainWindowFixture.h"
#include "gui/AddingDialog.h"
#include "gui/QtUserPrompts.h"

namespace sgry::test {
namespace {

TEST(AddingDialogTest, TitleTextAndCentredOnItsOwner) {
    QWidget owner;
    owner.setGeometry(100, 80, 401, 301);
    owner.show();
    AddingDialog notice(&owner);
    notice.ShowNow();
    EXPECT_EQ(notice.windowTitle(), QStringLiteral("Sigilry"));
    EXPECT_FALSE(notice.isModal());
    auto* label = notice.findChild<QLabel*>();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), QStringLiteral("リストへPDFファイルを追加中…"));
    const QRect frame = owner.frameGeometry();
    const QPoint centre(frame.left() + frame.width() / 2, frame.top() + frame.height() / 2);
    const QRect placed = notice.frameGeometry();
    EXPECT_EQ(placed.left(), centre.x() - placed.width() / 2);
    EXPECT_EQ(placed.top(), centre.y() - placed.height() / 2);
}

TEST(ProgressDialogTest, ControlsAndTheCancelFlagRaisedByTheButtonOrEscape) {
    QWidget owner;
    owner.resize(400, 300);
    owner.show();
    ProgressDialog dialog(&owner);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("処理中…"));
    auto* count = dialog.findChild<QLabel*>(QStringLiteral("1111"));
    auto* path = dialog.findChild<QLabel*>(QStringLiteral("1110"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("1112"));
    ASSERT_TRUE(count && path && dialog.findChild<QProgressBar*>(QStringLiteral("1108")) && cancel);
    EXPECT_EQ(count->text(), QStringLiteral(" 1 / 1"));
    EXPECT_EQ(cancel->text(), QStringLiteral("中断(&C)"));
    EXPECT_TRUE(path->wordWrap());

    dialog.ShowCentred();  // counts, path and bar during a run: MainWindowBatchTest
    EXPECT_FALSE(dialog.CancelRequested());
    QTest::mouseClick(cancel, Qt::LeftButton);
    EXPECT_TRUE(dialog.CancelRequested());
    EXPECT_TRUE(dialog.isVisible());  // the run decides when it goes

    ProgressDialog escaped(nullptr);
    escaped.ShowCentred();
    QTest::keyClick(&escaped, Qt::Key_Escape);
    EXPECT_TRUE(escaped.CancelRequested());
    EXPECT_TRUE(escaped.isVisible());
}

struct FilterRow {
    const char* name;
    const char* filter;
    const char* qt;
};

TEST(QtUserPromptsTest, FiltersBecomeQtNameFilters) {
    const FilterRow rows[] = {
        {"pdf", "PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||", "PDFﾌｧｲﾙ(*.pdf);;すべてのﾌｧｲﾙ(*.*) (*)"},
        {"list", "ファイルリスト(*.lst)|*.lst|すべてのﾌｧｲﾙ(*.*)|*.*||", "ファイルリスト(*.lst);;すべてのﾌｧｲﾙ(*.*) (*)"},
        {"bare label", "Images|*.png||", "Images (*.png)"},
        {"empty", "", ""},
    };
    for (const FilterRow& row : rows) EXPECT_EQ(QtNameFilter(row.filter).toStdString(), row.qt) << row.name;
}

TEST(QtUserPromptsTest, LineBreaksOfMessagesBecomeLineFeedsAndPathsCrossUnchanged) {
    EXPECT_EQ(MessageBoxText("a\r\nb").toStdString(), "a\nb");
    EXPECT_EQ(MessageBoxText("PDFファイルの読み込みでエラーが発生しました\n\r/x\r\nエラー番号=3").toStdString(),
              "PDFファイルの読み込みでエラーが発生しました\n/x\nエラー番号=3");
    EXPECT_EQ(MessageBoxText("a\r\n\r\nb\rc").toStdString(), "a\n\nb\nc");
    const std::string path = "/tmp/書類/report 1.pdf";
    EXPECT_EQ(PathFromQt(PathToQt(path)), path);
}

struct SaveNameRow {
    const char* name;
    const char* chosen;
    const char* filter;
    const char* effective;
};

TEST(QtUserPromptsTest, OverwriteQuestionConcernsTheFileThatWillBeWritten) {
    const SaveNameRow rows[] = {
        {"pdf appended", "/d/out", "PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||", "/d/out.pdf"},
        {"pdf kept", "/d/OUT.PDF", "PDFﾌｧｲﾙ(*.pdf)|*.pdf|すべてのﾌｧｲﾙ(*.*)|*.*||", "/d/OUT.PDF"},
        {"list appended", "/d/files", "ファイルリスト(*.lst)|*.lst|すべてのﾌｧｲﾙ(*.*)|*.*||", "/d/files.lst"},
        {"list kept", "/d/files.Lst", "ファイルリスト(*.lst)|*.lst|すべてのﾌｧｲﾙ(*.*)|*.*||", "/d/files.Lst"},
        {"any file", "/d/x", "すべてのﾌｧｲﾙ(*.*)|*.*||", "/d/x"},
    };
    for (const SaveNameRow& row : rows) EXPECT_EQ(EffectiveSaveName(row.chosen, row.filter), row.effective) << row.name;
    // The same rule the save commands apply.
    EXPECT_EQ(WithListExtension("/d/files"), EffectiveSaveName("/d/files", kListFileFilter));
}

}  // namespace
}  // namespace sgry::test
