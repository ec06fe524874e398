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
#include "platform/Format.h"

namespace sgry {

namespace {

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

MainWindow::MainWindow(ProgramSettings& settings, MainWindowServices services, QWidget* parent)
    : QMainWindow(parent), settings_(settings), services_(std::move(services)) {
    setWindowTitle(MainWindowTitle());
    setWindowIcon(ProgramIcon());
    view_ = new FileListView(*services_.prompts, services_.openInShell, this);
    view_->setObjectName(QStringLiteral("fileList"));
    setCentralWidget(view_);
    controller_ = new FileListController(*view_, settings_.Stamp(), settings_.App(), *services_.prompts, *services_.dialogs, this);
    CreateActions();
    CreateMenu();
    CreateToolBar();
    CreateStatusBar();
    resize(kWindowStartSize);
    setMinimumSize(kWindowSmallestSize);
    setAcceptDrops(true);
}

MainWindow::~MainWindow() = default;

QAction* MainWindow::MakeAction(const char* name, const QString& text, const QString& prompt, const QString& tip,
                               ToolbarImage image) {
    auto* action = new QAction(text, this);
    action->setObjectName(QString::fromLatin1(name));
    if (!prompt.isEmpty()) action->setStatusTip(prompt);
    if (!tip.isEmpty()) action->setToolTip(tip);
    if (image != ToolbarImage::None) action->setIcon(ToolbarIcon(image));
    action->setIconVisibleInMenu(false);
    return action;
}

void MainWindow::CreateActions() {
    addFiles_ = MakeAction("actionAddFiles", tr("&Add Files..."), tr("Choose files to add to the list"),
                           tr("Add files to the list"), ToolbarImage::AddFiles);
    removeFiles_ = MakeAction("actionRemoveFiles", tr("&Delete File"), tr("Remove the file from the file list"),
                              tr("Remove files from the list"), ToolbarImage::RemoveFiles);
    openList_ = MakeAction("actionOpenList", tr("&Open File List..."), tr("Read the files of a file list"),
                           tr("Open a list"), ToolbarImage::OpenList);
    saveList_ = MakeAction("actionSaveList", tr("&Save File List..."), tr("Save the current file list"),
                           tr("Save the list"), ToolbarImage::SaveList);
    stampSettings_ = MakeAction("actionStampSettings", tr("Stamp Settings..."), tr("Set up the stamps"),
                                tr("Stamp Settings..."), ToolbarImage::StampSettings);
    run_ = MakeAction("actionRun", tr("Run"), tr("Stamp the checked files"), tr("Run"), ToolbarImage::Run);
    undoStamps_ = MakeAction("actionUndoStamps", tr("&Undo Stamps"), tr("Remove erasable stamps from the checked files"), {});
    preview_ = MakeAction("actionPreview", tr("Pre&view"), tr("Show the selected file with its stamps"), tr("Preview"),
                          ToolbarImage::Preview);
    preferences_ = MakeAction("actionPreferences", tr("Pr&eferences..."), {}, {});
    exit_ = MakeAction("actionExit", tr("E&xit"), {}, {});

    connect(addFiles_, &QAction::triggered, controller_, &FileListController::AddFiles);
    connect(removeFiles_, &QAction::triggered, view_, &FileListView::RemoveSelectedRows);
    connect(openList_, &QAction::triggered, controller_, &FileListController::OpenList);
    connect(saveList_, &QAction::triggered, controller_, &FileListController::SaveList);
    connect(stampSettings_, &QAction::triggered, this, &MainWindow::OpenStampSettings);
    connect(run_, &QAction::triggered, controller_, &FileListController::Run);
    connect(controller_, &FileListController::stoppedForClose, this, &QWidget::close, Qt::QueuedConnection);
    connect(undoStamps_, &QAction::triggered, controller_, &FileListController::EraseStamps);
    connect(preview_, &QAction::triggered, this, &MainWindow::ShowPreview);
    connect(preferences_, &QAction::triggered, this, &MainWindow::OpenPreferences);
    connect(exit_, &QAction::triggered, this, &QWidget::close);
}

void MainWindow::CreateMenu() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addActions({addFiles_, removeFiles_});
    file->addSeparator();
    file->addActions({openList_, saveList_, undoStamps_, preview_});
    file->addSeparator();
    file->addAction(preferences_);
    file->addSeparator();
    file->addAction(exit_);
}

void MainWindow::CreateToolBar() {
    QToolBar* bar = addToolBar(QString());
    bar->setObjectName(QStringLiteral("mainToolBar"));
    bar->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    bar->setMovable(true);
    bar->setFloatable(true);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // A null entry is a separator.
    QAction* const entries[] = {addFiles_, removeFiles_, nullptr, openList_, saveList_, nullptr,
                                stampSettings_, run_, nullptr, preview_};
    for (QAction* action : entries) {
        if (!action) {
            bar->addSeparator();
            continue;
        }
        bar->addAction(action);
        if (QWidget* button = bar->widgetForAction(action)) button->setFixedSize(kToolButtonSize);
    }
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // A normal widget in the message pane: hidden while a prompt is shown,
    // back when the prompt goes.
    idle_ = new QLabel(tr(kIdleText), bar);
    bar->addWidget(idle_, 1);
    indicators_ = new LockIndicators(*bar);
}

QAction* MainWindow::Action(const char* name) const { return findChild<QAction*>(QString::fromLatin1(name)); }

QString MainWindow::IdleText() const { return idle_->text(); }

void MainWindow::OpenStampSettings() {
    if (services_.stampSheet)
        services_.stampSheet(this, settings_);
    else
        ShowStampSettingsDialog(this, settings_.Stamp(), *services_.prompts,
                              PreviewSetup{view_->PreviewSourcePath(), settings_.App(), &settings_.Layout(),
                                           services_.previewTempParent});
}

void MainWindow::ShowPreview() {
    PreviewDialog dialog(settings_.Stamp(), settings_.App(), view_->PreviewSourcePath(), services_.previewTempParent, this);
    sheets::RunDialog(dialog);
}

void MainWindow::OpenPreferences() {
    if (services_.preferencesSheet)
        services_.preferencesSheet(this, settings_);
    else
        ShowPreferencesDialog(this, settings_.App(), *services_.prompts);
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
    settings_.SaveSettings();
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
