#include "gui/FileListController.h"

#include <QApplication>

#include "app/FileList.h"
#include "engine/EraseStamp.h"
#include "engine/JobRunner.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/SjisText.h"

namespace sgry {

namespace {
std::string Text(const char* source) { return FileListController::tr(source).toStdString(); }
}  // namespace

std::string WithListExtension(const std::string& chosenPath) {
    if (fs::EndsWithIgnoreCase(chosenPath, ".lst")) return chosenPath;
    return chosenPath + ".lst";
}

FileListController::FileListController(FileListView& view, StampSettings& stamp, const AppSettings& app, UserPrompts& prompts,
                   FileDialogs& dialogs, QWidget* window)
    : QObject(window), view_(view), stamp_(stamp), app_(app), prompts_(prompts), dialogs_(dialogs), window_(window) {}

bool FileListController::AddFile(const std::string& path) {
    if (running_) return false;
    return view_.AddFileToList(path);
}

// Files are added in the dialog's order, each on top; one that fails shows
// its message and the rest go on.
void FileListController::AddFiles() {
    for (const std::string& path : dialogs_.AskOpenFileNames(Text(kAddFilesTitle), Text(kPdfFilter))) view_.AddFileToList(path);
}

void FileListController::OpenList() {
    const std::optional<std::string> path = dialogs_.AskOpenFileName(Text(kListFileTitle), Text(kListFileFilter));
    if (!path) return;
    view_.ClearRows();
    view_.ReadListFile(*path);
}

void FileListController::SaveList() {
    if (view_.List().Count() == 0) {
        prompts_.ShowMessage(list_message::kNoFiles);
        return;
    }
    const std::optional<std::string> chosen = prompts_.AskSaveFileName(Text(kListFileTitle), Text(kListFileFilter));
    if (!chosen || chosen->empty()) return;
    view_.WriteListFile(WithListExtension(*chosen));
}

// The rows cannot change while the run goes on: the progress window blocks
// the main window, and dropped files are turned away.
void FileListController::Run() {
    if (running_) return;
    running_ = true;
    ProgressWindow progress(window_, progressObserver_);
    activeProgress_ = &progress;
    BatchRun run(stamp_, app_, prompts_, progress);
    lastOutcome_ = run.OnRun(view_.BatchRows());
    activeProgress_ = nullptr;
    if (lastOutcome_.status == BatchOutcome::Status::Ran && lastOutcome_.bates) FinishBates(run);
    running_ = false;
    if (stopForClose_) {
        stopForClose_ = false;
        emit stoppedForClose();
    }
}

void FileListController::FinishBates(const BatchRun& run) {
    const std::vector<FileRecord> records = run.Records();
    const std::string path = BatesRecordPath(stamp_, records);
    const std::string next = sjis::ToUtf8(BatesNumberText(stamp_, lastOutcome_.batesNext));
    const bool written = fs::ReplaceFileContents(path, BatesRecordText(stamp_, records));
    stamp_.BatesStart = lastOutcome_.batesNext;
    if (!written) {
        prompts_.ShowMessage(Format(bates_message::kRecordFailed, path) + "\r\n\r\n" + Format(bates_message::kNext, next));
        return;
    }
    if (prompts_.AskOkCancel(Format(bates_message::kOpenRecord, path, next))) view_.OpenPath(path);
}

void FileListController::StopForClose() {
    if (!running_) return;
    stopForClose_ = true;
    if (activeProgress_) activeProgress_->Cancel();
}

// A file that needs a password is asked for it, as a run asks, until it
// opens or the question is cancelled.
EraseOutcome FileListController::EraseAskingPassword(const std::string& path) {
    Passwords passwords;
    for (;;) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const EraseOutcome outcome = EraseLastStamp(path, passwords);
        QApplication::restoreOverrideCursor();
        if (outcome.code != EraseResult::Protected || outcome.securityCode != JobError::PasswordRequired)
            return outcome;
        const std::optional<std::string> answer =
            prompts_.AskPassword(outcome.message + "\r\n\r\n" + run_message::kAskUserPassword.Text());
        if (!answer) return outcome;
        passwords.user = *answer;
    }
}

// A stamp never changes a file's page count, so the rows stay as they are.
// Like a run, the command keeps the window open and turns drops away until
// it is done (message boxes let events through).
void FileListController::EraseStamps() {
    if (running_) return;
    if (view_.List().Count() == 0) {
        prompts_.ShowMessage(list_message::kNoFiles);
        return;
    }
    if (!prompts_.AskOkCancel(Text(kEraseConfirm))) return;
    running_ = true;
    int erased = 0;
    for (const BatchRow& row : view_.BatchRows()) {
        if (!row.checked) continue;
        const FileRunGuard guard(row.path);
        if (!GuardAllowsRun(guard, prompts_)) continue;
        const EraseOutcome outcome = EraseAskingPassword(row.path);
        if (outcome.code == EraseResult::Erased)
            ++erased;
        else
            prompts_.ShowMessage(outcome.message);
    }
    running_ = false;
    if (erased > 0) prompts_.ShowMessage(Text(kErasedSummary), MessageIcon::Information);
}

}  // namespace sgry
