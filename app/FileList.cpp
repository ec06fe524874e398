#include "app/FileList.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>

#include "engine/JobRunner.h"
#include "engine/PdfJob.h"
#include "engine/SignatureSurvey.h"
#include "platform/CodeNumber.h"
#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace sgry {

namespace {
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

Signing SigningOf(const SignatureSurvey& survey) {
    if (survey.certified) return Signing::Certified;
    return survey.signatures > 0 ? Signing::Signed : Signing::None;
}
}  // namespace

bool GuardAllowsRun(const FileRunGuard& guard, UserPrompts& prompts) {
    if (!guard.Message().empty()) prompts.ShowMessage(guard.Message());
    return guard.MayProceed();
}

FileList::FileList(UserPrompts& prompts, AddingNotice* notice) : prompts_(prompts), notice_(notice) {}

// The file is read again with the password the user gives.
bool FileList::AskUserPassword(const std::string& refusal, Passwords& passwords) {
    if (notice_) notice_->Hide();
    const std::optional<std::string> answer =
        prompts_.AskPassword(refusal + "\r\n\r\n" + run_message::kAskUserPassword.Text());
    if (notice_) notice_->Show();
    if (!answer) return false;
    passwords.user = *answer;
    return true;
}

bool FileList::AddFileToList(const std::string& path) {
    const FileRunGuard guard(path, access_);
    lastError_ = guard.Code();
    if (!GuardAllowsRun(guard, prompts_)) return false;
    if (notice_) notice_->Show();
    JobError error = JobError::None;
    int32_t pageCount = 0;
    Signing signing = Signing::None;
    std::string refusal;
    std::string failure;
    Passwords passwords = passwords_;
    for (bool again = true; again;) {
        PdfJob job(path, passwords);
        error = job.ErrorCode();
        pageCount = job.StoredPageCount();
        if (error == JobError::None) signing = SigningOf(SurveySignatures(job));
        // An encrypted file that cannot be read says why rather than quoting
        // the code of the object it could not find.
        refusal = error != JobError::None ? SecurityRefusal(job, false, error) : std::string();
        failure = error != JobError::None ? ReadFailureMessage(job, path, list_message::kReadFailed) : std::string();
        again = error == JobError::PasswordRequired && AskUserPassword(refusal, passwords);
    }
    if (notice_) notice_->Hide();
    lastError_ = error;
    if (!refusal.empty()) {
        prompts_.ShowMessage(refusal);
        return false;
    }
    if (error != JobError::None) {
        prompts_.ShowMessage(failure);
        return false;
    }
    rows_.insert(rows_.begin(), FileListRow{fs::FileNameOf(path), pageCount, path, true, signing});
    return true;
}

std::string ReadFailureMessage(const PdfJob& job, const std::string& path, Translatable otherwise) {
    const JobError error = job.ErrorCode();
    if (job.RepairState() == Repair::NotPdf || error == JobError::NotPdf) return Format(list_message::kNotPdf, path);
    if (job.IsDamaged()) return DamageMessage(job);
    if (error == JobError::NoStartxref || job.RepairState() == Repair::Unfinished)
        return Format(list_message::kNoFileEnd, path);
    return Format(otherwise, path, CodeNumber(error));
}

void FileList::RemoveRows(const std::vector<int32_t>& indices) {
    const std::set<int32_t> doomed(indices.begin(), indices.end());
    std::vector<FileListRow> kept;
    for (int32_t i = 0; i < Count(); ++i)
        if (!doomed.contains(i)) kept.push_back(std::move(rows_[static_cast<std::size_t>(i)]));
    rows_ = std::move(kept);
}

// The list goes to a temporary file that is renamed over the list file, so
// a crash while saving leaves the old list or the new one.
bool FileList::WriteListFile(const std::string& path) const {
    std::string bytes;
    for (const FileListRow& row : rows_) bytes += row.path + "\r\n";
    if (fs::ReplaceFileContents(path, bytes)) return true;
    prompts_.ShowMessage(Format(list_message::kCannotOpen, path));
    return false;
}

// One piece at a time, as a 2048-byte line buffer reads it: at most 2047
// bytes, ending after a line feed.
bool FileList::ReadListPaths(const std::string& path, std::vector<std::string>& paths) {
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    char buffer[kListLinePieceBytes + 1];
    while (std::fgets(buffer, sizeof buffer, file.get()) != nullptr) {
        std::string piece(buffer);
        if (const std::size_t lf = piece.find('\n'); lf != std::string::npos) {
            piece.resize(lf);
            if (!piece.empty() && piece.back() == '\r') piece.pop_back();
        }
        if (!piece.empty()) paths.push_back(piece);
    }
    return true;
}

bool FileList::ReadListFile(const std::string& path) {
    std::vector<std::string> paths;
    if (!ReadListPaths(path, paths)) {
        prompts_.ShowMessage(Format(list_message::kCannotOpen, path));
        return false;
    }
    for (const std::string& listed : paths) AddFileToList(listed);
    return true;
}

}  // namespace sgry
