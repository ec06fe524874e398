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
#include "settings/SettingsFile.h"

namespace sgry::test {
namespace {

using FrameTest = MainWindowTest;

TEST_F(FrameTest, TitleStaysPutWhateverSetsIt) {
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
    frame_->setWindowTitle(QStringLiteral("a.pdf - Sgry"));
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
}

TEST_F(FrameTest, StartsAt400By300AndCannotGetSmallerThan330By200) {
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
                                    "32787 スタンプを消去(&U)", "-", "32786 環境設定(&E)", "-",
                                    "57665 ｱﾌﾟﾘｹｰｼｮﾝの終了(&X)"}));
}

struct ToolRow {
    const char* id;
    const char* prompt;
    const char* tip;
};

TEST_F(FrameTest, ToolbarHasNineEntriesWithPromptsAndTips) {
    auto* bar = frame_->findChild<QToolBar*>();
    ASSERT_NE(bar, nullptr);
    QStringList order;
    for (QAction* action : bar->actions()) order << (action->isSeparator() ? QStringLiteral("-") : action->objectName());
    EXPECT_EQ(order, (QStringList{"32774", "32775", "-", "32772", "32773", "-", "32771", "32776", "-"}));
    EXPECT_EQ(bar->iconSize(), QSize(34, 34));
    EXPECT_EQ(bar->allowedAreas(), Qt::AllToolBarAreas);
    EXPECT_EQ(frame_->toolBarArea(bar), Qt::TopToolBarArea);

    const ToolRow rows[] = {
        {"32771", "スタンプ書き出しの設定を行う", "書き出し設定"},
        {"32772", "ﾌｧｲﾙﾘｽﾄからﾌｧｲﾙ一覧を読み込む", "リストを開く"},
        {"32773", "現在のﾌｧｲﾙﾘｽﾄを保存する", "リストを保存"},
        {"32774", "処理対象ﾘｽﾄへ追加するﾌｧｲﾙを選択する", "ファイルをリストへ追加"},
        {"32775", "ﾌｧｲﾙをﾌｧｲﾙﾘｽﾄから削除する", "リストからファイルを削除"},
        {"32776", "スタンプの書き出しを行う", "書き出しの実行"},
    };
    for (const ToolRow& row : rows) {
        QAction* action = frame_->Command(QString::fromUtf8(row.id).toInt());
        ASSERT_NE(action, nullptr) << row.id;
        EXPECT_EQ(action->statusTip().toStdString(), row.prompt) << row.id;
        EXPECT_EQ(action->toolTip().toStdString(), row.tip) << row.id;
        EXPECT_FALSE(action->icon().isNull()) << row.id;
        EXPECT_TRUE(action->shortcut().isEmpty()) << row.id;
        EXPECT_EQ(bar->widgetForAction(action)->size(), QSize(41, 43)) << row.id;
    }
}

TEST_F(FrameTest, StatusBarShowsReadyAndTheFourIndicatorPanes) {
    EXPECT_EQ(frame_->IdleText(), QStringLiteral("ﾚﾃﾞｨ"));
    const LockIndicators& panes = frame_->Indicators();
    const_cast<LockIndicators&>(panes).Show(LockKeyStates{true, true, true, true});
    const char* texts[] = {"ｶﾅ", "CAP", "NUM", "SCRL"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(panes.Pane(i).text().toStdString(), texts[i]);
    const_cast<LockIndicators&>(panes).Show(LockKeyStates{false, true, false, false});
    EXPECT_TRUE(panes.Pane(0).text().isEmpty());
    EXPECT_EQ(panes.Pane(1).text(), QStringLiteral("CAP"));
    EXPECT_TRUE(panes.Pane(2).text().isEmpty());
}

TEST_F(FrameTest, PromptReplacesTheIdleTextWhileShown) {
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
    EXPECT_EQ(view.headerItem()->text(kColumnName), QStringLiteral("ﾌｧｲﾙ名"));
    EXPECT_EQ(view.headerItem()->text(kColumnPages), QStringLiteral("ﾍﾟｰｼﾞ数"));
    EXPECT_EQ(view.headerItem()->text(kColumnPath), QStringLiteral("ﾊﾟｽ"));

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

    EXPECT_EQ(ListedPaths(), (std::vector<std::string>{b, a}));
    EXPECT_EQ(frame_->windowTitle(), QStringLiteral("Sigilry ver1.08"));
}

TEST_F(FrameTest, DocumentOpenOfANonPdfReportsAndKeepsTheWindow) {
    const std::string text = dir_.File("readme.txt");
    ScratchDir::Write(text, "hello\n");
    EXPECT_FALSE(frame_->Document().OpenDocument(text));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"PDFファイルではありません\r\n" + text});
    EXPECT_TRUE(frame_->isVisible());
}

struct CloseRow {
    const char* name;
    bool throughMenu;
};

class CloseTest : public MainWindowTest, public ::testing::WithParamInterface<CloseRow> {};

TEST_P(CloseTest, ClosingTheWindowSavesBothSettings) {
    app_.App().Output = OutputMode::Overwrite;
    app_.Stamp().WaterMarkDensity = 37;
    if (GetParam().throughMenu)
        frame_->Command(kIdAppExit)->trigger();
    else
        EXPECT_TRUE(frame_->close());

    EXPECT_FALSE(frame_->isVisible());
    EXPECT_TRUE(app_.Saved());
    StampSettings stamp;
    AppSettings settings;
    LoadSettings(app_.IniPath(), stamp);
    LoadSettings(app_.IniPath(), settings);
    EXPECT_EQ(settings.Output, OutputMode::Overwrite);
    EXPECT_EQ(stamp.WaterMarkDensity, 37);
}

INSTANTIATE_TEST_SUITE_P(Ways, CloseTest,
                         ::testing::Values(CloseRow{"close_box", false}, CloseRow{"exit_command", true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrameTest, SettingsFileIsLoadedIntoTheApplication) {
    AppSettings settings;
    settings.Output = OutputMode::SaveAsDialog;
    ASSERT_TRUE(SaveSettings(dir_.File("loaded.ini"), settings));
    SgryApp app(dir_.File("loaded.ini"));
    app.LoadSettings();
    EXPECT_EQ(app.App().Output, OutputMode::SaveAsDialog);
}

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
