#include "gui/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include "gui/PreferencesDialog.h"
#include "gui/StampSettingsDialog.h"
#include "gui/LockIndicators.h"
#include "gui/PreviewDialog.h"
#include "gui/SheetDialogRunner.h"
#include "gui/QtUserPrompts.h"
#include "gui/ToolbarIcons.h"
#include "platform/Format.h"

namespace sgry {

namespace {

constexpr int kToolbarIdWindow = 59392;  // the frame's toolbar and status bar
constexpr int kStatusBarIdWindow = 59393;
constexpr QSize kWindowStartSize(400, 300);
constexpr QSize kWindowSmallestSize(330, 200);
constexpr QSize kToolButtonSize(41, 43);

// Files a drop carries: local files only.
QStringList DroppedPaths(const QMimeData* data) {
    QStringList paths;
    if (!data || !data->hasUrls()) return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) paths << url.toLocalFile();
    return paths;
}

}  // namespace

QString MainWindowTitle() { return QString::fromUtf8(Format("%s ver%s", kProductName, kProductVersion)); }

MainWindow::MainWindow(ProgramSettings& app, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), app_(app), services_(std::move(services)) {
    setWindowTitle(MainWindowTitle());
    setWindowIcon(ProgramIcon());
    view_ = new FileListView(*services_.prompts, services_.openInShell, this);
    view_->setObjectName(QStringLiteral("59648"));  // the frame's first pane
    setCentralWidget(view_);
    controller_ = new FileListController(*view_, app_.Stamp(), app_.App(), *services_.prompts, *services_.dialogs, this);
    CreateMenu();
    CreateToolBar();
    CreateStatusBar();
    resize(kWindowStartSize);
    setMinimumSize(kWindowSmallestSize);
    setAcceptDrops(true);
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::MakeCommand(int id, const QString& text, const QString& prompt, const QString& tip) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::number(id));
    if (!prompt.isEmpty()) action->setStatusTip(prompt);
    if (!tip.isEmpty()) action->setToolTip(tip);
    const QIcon icon = CommandIcon(id);
    if (!icon.isNull()) action->setIcon(icon);
    action->setIconVisibleInMenu(false);
    return action;
}

void MainWindow::CreateMenu() {
    MakeCommand(kIdAddFile, tr("&Add Files..."), tr("Choose files to add to the list"), tr("Add files to the list"));
    MakeCommand(kIdRemoveFile, tr("&Delete File"), tr("Remove the file from the file list"), tr("Remove files from the list"));
    MakeCommand(kIdOpenList, tr("&Open File List..."), tr("Read the files of a file list"), tr("Open a list"));
    MakeCommand(kIdSaveList, tr("&Save File List..."), tr("Save the current file list"), tr("Save the list"));
    MakeCommand(kIdStampSetting, tr("Stamp Settings..."), tr("Set up the stamps"), tr("Stamp Settings..."));
    MakeCommand(kIdRun, tr("Run"), tr("Stamp the checked files"), tr("Run"));
    MakeCommand(kIdEraseStamps, tr("&Undo Stamps"), tr("Remove erasable stamps from the checked files"), {});
    MakeCommand(kIdPreview, tr("Pre&view"), tr("Show the selected file with its stamps"), tr("Preview"));
    MakeCommand(kIdPreferences, tr("Pr&eferences..."), {}, {});
    MakeCommand(kIdAppExit, tr("E&xit"), {}, {});

    connect(Command(kIdAddFile), &QAction::triggered, controller_, &FileListController::OnAddFiles);
    connect(Command(kIdRemoveFile), &QAction::triggered, view_, &FileListView::RemoveSelectedRows);
    connect(Command(kIdOpenList), &QAction::triggered, controller_, &FileListController::OnOpenList);
    connect(Command(kIdSaveList), &QAction::triggered, controller_, &FileListController::OnSaveList);
    connect(Command(kIdStampSetting), &QAction::triggered, this, &MainWindow::OnStampSetting);
    connect(Command(kIdRun), &QAction::triggered, controller_, &FileListController::OnRun);
    connect(controller_, &FileListController::stoppedForClose, this, &QWidget::close, Qt::QueuedConnection);
    connect(Command(kIdEraseStamps), &QAction::triggered, controller_, &FileListController::OnEraseStamps);
    connect(Command(kIdPreview), &QAction::triggered, this, &MainWindow::OnPreview);
    connect(Command(kIdPreferences), &QAction::triggered, this, &MainWindow::OnPreferences);
    connect(Command(kIdAppExit), &QAction::triggered, this, &QWidget::close);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(Command(kIdAddFile));
    file->addAction(Command(kIdRemoveFile));
    file->addSeparator();
    file->addAction(Command(kIdOpenList));
    file->addAction(Command(kIdSaveList));
    file->addAction(Command(kIdEraseStamps));
    file->addAction(Command(kIdPreview));
    file->addSeparator();
    file->addAction(Command(kIdPreferences));
    file->addSeparator();
    file->addAction(Command(kIdAppExit));
}

void MainWindow::CreateToolBar() {
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QString::number(kToolbarIdWindow));
    bar->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    bar->setMovable(true);
    bar->setFloatable(true);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const int entries[] = {kIdAddFile, kIdRemoveFile, 0, kIdOpenList, kIdSaveList, 0, kIdStampSetting, kIdRun, 0, kIdPreview};
    for (int id : entries) {
        if (id == 0) {
            bar->addSeparator();
            continue;
        }
        bar->addAction(Command(id));
        if (QWidget* button = bar->widgetForAction(Command(id))) button->setFixedSize(kToolButtonSize);
    }
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QString::number(kStatusBarIdWindow));
    // A normal widget in the message pane: hidden while a prompt is shown,
    // back when the prompt goes.
    idle_ = new QLabel(tr(kIdleText), bar);
    bar->addWidget(idle_, 1);
    indicators_ = new LockIndicators(*bar);
}

QAction* MainWindow::Command(int id) const { return findChild<QAction*>(QString::number(id)); }

QString MainWindow::IdleText() const { return idle_->text(); }

void MainWindow::OnStampSetting() {
    if (services_.stampSheet)
        services_.stampSheet(this, app_);
    else
        ShowStampSettingsDialog(this, app_.Stamp(), *services_.prompts,
                              PreviewSetup{view_->PreviewSourcePath(), app_.App(), &app_.Layout(),
                                           services_.previewTempParent});
}

void MainWindow::OnPreview() {
    PreviewDialog dialog(app_.Stamp(), app_.App(), view_->PreviewSourcePath(), services_.previewTempParent, this);
    sheets::RunDialog(dialog);
}

void MainWindow::OnPreferences() {
    if (services_.preferencesSheet)
        services_.preferencesSheet(this, app_);
    else
        ShowPreferencesDialog(this, app_.App(), *services_.prompts);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange && windowTitle() != MainWindowTitle()) setWindowTitle(MainWindowTitle());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    view_->FillColumns();
}

// Closing the window (or the session) during a run cancels it as its button
// does, and the window closes when the run has ended; the settings are saved
// whichever way the window is closed.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (controller_->Running()) {
        controller_->StopForClose();
        event->ignore();
        return;
    }
    app_.SaveSettings();
    event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!controller_->Running() && !DroppedPaths(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedPaths(event->mimeData());
    if (controller_->Running() || paths.isEmpty()) return;
    event->acceptProposedAction();
    // Added after the drop has returned, so the program that the files were
    // dragged from is not kept waiting by the notices and messages.
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            for (const QString& path : paths) controller_->AddFile(PathFromQt(path));
        },
        Qt::QueuedConnection);
}

}  // namespace sgry
