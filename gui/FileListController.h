#pragma once
// The commands that act on the file list: adding files (chosen, dropped or
// named on the command line), opening and saving a list file, stamping the
// checked files and erasing their stamps. It keeps no rows of its own: they
// live in the view.
#include <QObject>
#include <QPointer>
#include <functional>

#include "app/BatchRun.h"
#include "engine/EraseStamp.h"
#include "gui/FileListView.h"
#include "gui/FileDialogs.h"
#include "gui/ProgressDialog.h"
#include "settings/StampSettings.h"

namespace sgry {

inline constexpr const char* kAddFilesTitle = QT_TRANSLATE_NOOP("sgry::FileListController", "Choose PDF Files to Add to the List");
inline constexpr const char* kPdfFilter = QT_TRANSLATE_NOOP("sgry::FileListController", "PDF files (*.pdf)|*.pdf|All files (*.*)|*.*||");
inline constexpr const char* kListFileTitle = QT_TRANSLATE_NOOP("sgry::FileListController", "File List Name");
inline constexpr const char* kListFileFilter = QT_TRANSLATE_NOOP("sgry::FileListController", "File lists (*.lst)|*.lst|All files (*.*)|*.*||");
inline constexpr const char* kEraseConfirm = QT_TRANSLATE_NOOP("sgry::FileListController", "Erase the stamps from the checked files?");
inline constexpr const char* kErasedSummary = QT_TRANSLATE_NOOP("sgry::FileListController", "Stamps erased.");

// A chosen list-file name whose last four characters are not ".lst" in any
// case gets ".lst" appended ("files" gives "files.lst", "A.LST" stays).
std::string WithListExtension(const std::string& chosenPath);

class FileListController : public QObject {
    Q_OBJECT
public:
    // All borrowed; `window` is the main window the progress window centres on.
    // `stamp` receives the next free Bates number after a run that used them.
    FileListController(FileListView& view, StampSettings& stamp, const AppSettings& app, UserPrompts& prompts,
             FileDialogs& dialogs, QWidget* window);

    // A dropped file or a command-line path: added to the list.
    bool AddFile(const std::string& path);
    bool Running() const { return running_; }
    // Closing the window during a run: the run is cancelled as by its button
    // (the file being stamped is finished) and stoppedForClose is emitted
    // when it has ended.
    void StopForClose();

    // Called with the progress window of every run as it is made (tests
    // watch the run through it).
    void SetProgressObserver(std::function<void(ProgressDialog&)> observer) { progressObserver_ = std::move(observer); }
    const BatchOutcome& LastOutcome() const { return lastOutcome_; }

signals:
    void stoppedForClose();

public slots:
    void AddFiles();
    void OpenList();
    void SaveList();
    void Run();
    // After an OK/Cancel question, removes the last erasable stamp
    // from every checked row's file (engine/EraseStamp.h), in list order.
    // A file that needs a password is asked for it, as a run asks.
    // Each refused file shows its own message and is left as it was; one
    // information box "消去しました" ends a command that erased anything.
    void EraseStamps();

private:
    EraseOutcome EraseAskingPassword(const std::string& path);
    // After a run with Bates numbers: the record beside the outputs, the
    // question whether to open it, and the next free number kept.
    void FinishBates(const BatchRun& run);

    FileListView& view_;
    StampSettings& stamp_;
    const AppSettings& app_;
    UserPrompts& prompts_;
    FileDialogs& dialogs_;
    QPointer<QWidget> window_;
    std::function<void(ProgressDialog&)> progressObserver_;
    BatchOutcome lastOutcome_;
    ProgressWindow* activeProgress_ = nullptr;  // while a run goes on
    bool stopForClose_ = false;
    bool running_ = false;
};

}  // namespace sgry
