#pragma once
// The main window: the menu "ﾌｧｲﾙ(&F)", the toolbar of ten entries, the
// status bar with its prompts and lock indicators, and the file list as its
// only view. The title is always "Sigilry ver1.08": the window puts it back
// whenever something else sets it. The window starts at 400 x 300 pixels and
// cannot be made smaller than 330 x 200. Files dropped on it are added to
// the list. Closing it (menu or close box) saves the settings.
//
// Every command is a QAction whose object name is its id ("32774"); the
// exit command is "57665".
#include <QMainWindow>
#include <functional>

#include "gui/FileListController.h"
#include "gui/FileListView.h"
#include "gui/FileDialogs.h"
#include "gui/ProgramSettings.h"

class QLabel;

namespace sgry {

class LockIndicators;

inline constexpr const char* kProductName = "Sigilry";
inline constexpr const char* kProductVersion = "1.08";
inline constexpr int kIdStampSetting = 32771;
inline constexpr int kIdOpenList = 32772;
inline constexpr int kIdSaveList = 32773;
inline constexpr int kIdAddFile = 32774;
inline constexpr int kIdRemoveFile = 32775;
inline constexpr int kIdRun = 32776;
inline constexpr int kIdPreferences = 32786;
inline constexpr int kIdEraseStamps = 32787;
inline constexpr int kIdPreview = 32788;
inline constexpr int kIdAppExit = 57665;
inline constexpr const char* kIdleText = QT_TRANSLATE_NOOP("sgry::MainWindow", "Ready");

// "%s ver%s" of the product name and version: "Sigilry ver1.08".
QString MainWindowTitle();

// Opens a settings sheet modally over the main window; the sheet edits the live
// settings of the application in place.
using SheetOpener = std::function<void(QWidget* parent, ProgramSettings& app)>;

// What the main window asks the user and the desktop through. Tests put scripted
// answers here so that no dialog ever waits for a click.
struct MainWindowServices {
    UserPrompts* prompts = nullptr;
    FileDialogs* dialogs = nullptr;
    ShellOpener openInShell = OpenWithDesktop;
    SheetOpener stampSheet;        // command 32771; the stamp settings sheet when empty
    SheetOpener preferencesSheet;  // command 32786; the preferences sheet when empty
    QString previewTempParent;     // where previews put their private copies; "" for the system's
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The application's settings must be loaded before the window is made;
    // `app` and the services' prompts and dialogs must outlive it.
    MainWindow(ProgramSettings& app, MainWindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    FileListController& Controller() { return *controller_; }
    FileListView& ListView() { return *view_; }
    QAction* Command(int id) const;
    QString IdleText() const;
    const LockIndicators& Indicators() const { return *indicators_; }

public slots:
    void OnStampSetting();  // 32771
    void OnPreferences();   // 32786
    void OnPreview();       // 32788

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QAction* MakeCommand(int id, const QString& text, const QString& prompt, const QString& tip);
    void CreateMenu();
    void CreateToolBar();
    void CreateStatusBar();

    ProgramSettings& app_;
    MainWindowServices services_;
    FileListView* view_ = nullptr;
    FileListController* controller_ = nullptr;
    QLabel* idle_ = nullptr;
    LockIndicators* indicators_ = nullptr;
};

}  // namespace sgry
