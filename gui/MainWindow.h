#pragma once
// The main window: the menu "ﾌｧｲﾙ(&F)", the toolbar of ten entries, the
// status bar with its prompts and lock indicators, and the file list as its
// only view. The title is always "Sigilry ver1.08": the window puts it back
// whenever something else sets it. The window starts at 400 x 300 pixels and
// cannot be made smaller than 330 x 200. Files dropped on it are added to
// the list. Closing it (menu or close box) saves the settings.
//
// Every command is a QAction with an object name ("actionAddFiles"); the
// menu, the toolbar and the tests find it by that name.
#include <QMainWindow>
#include <functional>

#include "gui/FileListController.h"
#include "gui/FileListView.h"
#include "gui/FileDialogs.h"
#include "gui/ProgramSettings.h"
#include "gui/ToolbarIcons.h"

class QLabel;

namespace sgry {

class LockIndicators;

inline constexpr const char* kProductName = "Sigilry";
inline constexpr const char* kProductVersion = "1.08";
inline constexpr const char* kIdleText = QT_TRANSLATE_NOOP("sgry::MainWindow", "Ready");

// "%s ver%s" of the product name and version: "Sigilry ver1.08".
QString MainWindowTitle();

// Opens a settings sheet modally over the main window; the sheet edits the live
// settings of the application in place.
using SheetOpener = std::function<void(QWidget* parent, ProgramSettings& settings)>;

// What the main window asks the user and the desktop through. Tests put scripted
// answers here so that no dialog ever waits for a click.
struct MainWindowServices {
    UserPrompts* prompts = nullptr;
    FileDialogs* dialogs = nullptr;
    ShellOpener openInShell = OpenWithDesktop;
    SheetOpener stampSheet;        // actionStampSettings; StampSettingsDialog when empty
    SheetOpener preferencesSheet;  // actionPreferences; PreferencesDialog when empty
    QString previewTempParent;     // where previews put their private copies; "" for the system's
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The application's settings must be loaded before the window is made;
    // `settings` and the services' prompts and dialogs must outlive it.
    MainWindow(ProgramSettings& settings, MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    FileListController& Controller() { return *controller_; }
    FileListView& ListView() { return *view_; }
    // The command whose object name is `name` ("actionRun"); null for none.
    QAction* Action(const char* name) const;
    QString IdleText() const;
    const LockIndicators& Indicators() const { return *indicators_; }

public slots:
    void OpenStampSettings();
    void OpenPreferences();
    void ShowPreview();

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* MakeAction(const char* name, const QString& text, const QString& prompt, const QString& tip,
                        ToolbarImage image = ToolbarImage::None);
    void CreateActions();
    void CreateMenu();
    void CreateToolBar();
    void CreateStatusBar();

    ProgramSettings& settings_;
    MainWindowServices services_;
    FileListView* view_ = nullptr;
    FileListController* controller_ = nullptr;
    QAction* addFiles_ = nullptr;
    QAction* removeFiles_ = nullptr;
    QAction* openList_ = nullptr;
    QAction* saveList_ = nullptr;
    QAction* stampSettings_ = nullptr;
    QAction* run_ = nullptr;
    QAction* undoStamps_ = nullptr;
    QAction* preview_ = nullptr;
    QAction* preferences_ = nullptr;
    QAction* exit_ = nullptr;
    QLabel* idle_ = nullptr;
    LockIndicators* indicators_ = nullptr;
};

}  // namespace sgry
