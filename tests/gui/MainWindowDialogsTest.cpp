// The progress window of the batch run: its controls and the cancel flag
// that its button or the Escape key raises.
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "MainWindowFixture.h"
#include "gui/AddingDialog.h"
#include "gui/QtUserPrompts.h"

namespace sgry::test {
namespace {

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

struct SaveNameRow {
    const char* name;
    const char* chosen;
    const char* filter;
    const char* effective;
};

}  // namespace
}  // namespace sgry::test
