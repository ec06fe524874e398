// The main window itself: title, sizes, menu, toolbar, status bar, columns,
// dropped files, settings saved on close, and the sheets' commands.
#include <QDropEvent>
#include <QHeaderView>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include "MainWindowFixture.h"
#include "gui/LockIndicators.h"

namespace sgry::test {
namespace {

using FrameTest = MainWindowTest;

TEST_F(FrameTest, TitleStaysPutAndTheWindowStartsAt400By300AndCannotGetSmallerThan330By200) {
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
    frame_->setWindowTitle(QStringLiteral("a.pdf - Sgry"));
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
    EXPECT_EQ(frame_->size(), QSize(400, 300));
    frame_->resize(100, 50);
    EXPECT_EQ(frame_->size(), QSize(330, 200));
    frame_->resize(320, 500);
    EXPECT_EQ(frame_->size(), QSize(330, 500));
    frame_->resize(600, 150);
    EXPECT_EQ(frame_->size(), QSize(600, 200));
}

TEST_F(FrameTest, MenuHoldsTheCommandsInOrder) {
    const QList<QAction*> menus = frame_->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
    QStringList entries;
    for (QAction* action : menus[0]->menu()->actions())
        entries << (action->isSeparator() ? QStringLiteral("-") : action->objectName() + " " + action->text());
    EXPECT_EQ(entries, (QStringList{"32774 ﾌｧｲﾙを追加(&A)", "32775 ﾌｧｲﾙを削除(&D)", "-",
                                    "32772 ﾌｧｲﾙﾘｽﾄを開く(&O)", "32773 ﾌｧｲﾙﾘｽﾄを保存(&S)",
                                    "32787 スタンプを消去(&U)", "32788 プレビュー(&V)", "-", "32786 環境設定(&E)", "-",
                                    "57665 ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
    QAction* erase = frame_->Command(kIdEraseStamps);
    EXPECT_EQ(erase->statusTip().toStdString(), "チェックしたﾌｧｲﾙから消去できる形式のスタンプを取り除く");
    EXPECT_TRUE(erase->shortcut().isEmpty());
}

TEST_F(FrameTest, ToolbarHasTenEntriesWithIconsPromptsAndTips) {
    auto* bar = frame_->findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    QStringList order;
    for (QAction* action : bar->actions()) {
        order << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
        if (action->isSeparator()) continue;
        SCOPED_TRACE(action->objectName().toStdString());
        EXPECT_EQ(frame_->Command(action->objectName().toInt()), action);
        EXPECT_FALSE(action->statusTip().isEmpty());
        EXPECT_FALSE(action->toolTip().isEmpty());
        EXPECT_FALSE(action->icon().isNull());
        EXPECT_TRUE(action->shortcut().isEmpty());
        EXPECT_EQ(bar->widgetForAction(action)->size(), QSize(41, 43));
    }
    EXPECT_EQ(order, (QStringList{"32774", "32775", "-", "32772", "32773", "-", "32771", "32776", "-", "32788"}));
    EXPECT_EQ(bar->iconSize(), QSize(34, 34));
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_EQ(frame_->toolBarArea(bar), Qt::TopToolBarArea);
    EXPECT_EQ(frame_->Command(kIdStampSetting)->toolTip().toStdString(), "書き出し設定");
}

TEST_F(FrameTest, StatusBarShowsReadyOrThePromptAndTheFourIndicatorPanes) {
    EXPECT_EQ(frame_->IdleText(), QStringLiteral("ﾚﾃﾞｨ"));
    const LockIndicators& panes = frame_->Indicators();
    const_cast<LockIndicators&>(panes).Show(LockKeyStates{true, true, true, true});
    const char* texts[] = {"ｶﾅ", "CAP", "NUM", "SCRL"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(panes.Pane(i).text().toStdString(), texts[i]);
    const_cast<LockIndicators&>(panes).Show(LockKeyStates{false, true, false, false});
    EXPECT_TRUE(panes.Pane(0).text().isEmpty());
    EXPECT_EQ(panes.Pane(1).text(), QStringLiteral("CAP"));
    EXPECT_TRUE(panes.Pane(2).text().isEmpty());

    QStatusBar* bar = frame_->statusBar();
    frame_->Command(kIdRun)->showStatusText(bar);
    EXPECT_EQ(bar->currentMessage(), QStringLiteral("スタンプの書き出しを行う"));
    bar->clearMessage();
    EXPECT_TRUE(bar->currentMessage().isEmpty());
}

TEST_F(FrameTest, ColumnsStartAt30_20_50PercentAndThePathColumnFillsWiderWindows) {
    CSgryView& view = frame_->View();
    const int client = view.viewport()->width();
    EXPECT_EQ(view.columnWidth(kColumnName), client * 30 / 100);
    EXPECT_EQ(view.columnWidth(kColumnPages), client * 20 / 100);
    EXPECT_EQ(view.columnWidth(kColumnPath), client * 50 / 100);

    const int name = view.columnWidth(kColumnName), pages = view.columnWidth(kColumnPages);
    frame_->resize(700, 300);
    const int wider = view.viewport()->width();
    EXPECT_EQ(view.columnWidth(kColumnName), name);
    EXPECT_EQ(view.columnWidth(kColumnPages), pages);
    EXPECT_EQ(view.columnWidth(kColumnPath), wider - name - pages);

    const int filled = view.columnWidth(kColumnPath);
    frame_->resize(400, 300);  // narrower: nothing is narrowed
    EXPECT_EQ(view.columnWidth(kColumnPath), filled);
}

TEST_F(FrameTest, DroppedFilesAreAddedAndTheTitleStays) {
    const std::string a = MakePdf("a.pdf", 2), b = MakePdf("b.pdf", 1);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(a)), QUrl::fromLocalFile(QString::fromStdString(b))});
    const QPoint centre = frame_->rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame_.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(centre), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(frame_.get(), &drop);
    QApplication::processEvents();

    EXPECT_EQ(ListedPaths(), (Strings{b, a}));
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
}

TEST_F(FrameTest, DocumentOpenOfANonPdfReportsAndKeepsTheWindow) {
    const std::string text = dir_.File("readme.txt");
    ScratchDir::Write(text, "hello\n");
    EXPECT_FALSE(frame_->Document().OpenDocument(text));
    EXPECT_EQ(prompts_.Texts(), Strings{"PDFファイルではありません\r\n" + text});
    EXPECT_TRUE(frame_->isVisible());
}

struct CloseRow {
    const char* name;
    bool throughMenu;
};

class CloseTest : public MainWindowTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CloseTest, ClosingTheWindowSavesBothSettingsForTheNextStart) {
    app_.App().Output = OutputMode::Overwrite;
    app_.Stamp().WaterMarkDensity = 37;
    if (GetParam().throughMenu)
        frame_->Command(kIdAppExit)->trigger();
    else
        EXPECT_TRUE(frame_->close());

    EXPECT_FALSE(frame_->isVisible());
    EXPECT_TRUE(app_.Saved());
    SgryApp next(app_.IniPath());
    next.LoadSettings();
    EXPECT_EQ(next.App().Output, OutputMode::Overwrite);
    EXPECT_EQ(next.Stamp().WaterMarkDensity, 37);
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest,
                         ::testing::Values(CloseRow{"close_box", false}, CloseRow{"exit_command", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameSheetsTest, SheetCommandsOpenTheirSheetsOverTheFrame) {
    ScratchDir dir("sheets");
    SgryApp app(dir.File("sgry.ini"));
    RecordingPrompts prompts;
    ScriptedDialogs dialogs;
    std::vector<std::string> opened;
    FrameServices services;
    services.prompts = &prompts;
    services.dialogs = &dialogs;
    services.stampSheet = [&](QWidget* parent, SgryApp& settings) {
        opened.push_back("stamp");
        EXPECT_EQ(&settings, &app);
        EXPECT_NE(qobject_cast<CMainFrame*>(parent), nullptr);
    };
    services.preferencesSheet = [&](QWidget*, SgryApp&) { opened.push_back("preferences"); };
    CMainFrame frame(app, services);
    frame.Command(kIdStampSetting)->trigger();
    frame.Command(kIdPreferences)->trigger();
    EXPECT_EQ(opened, (std::vector<std::string>{"stamp", "preferences"}));
}

}  // namespace
}  // namespace sgry::test
