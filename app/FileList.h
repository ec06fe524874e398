#pragma once
// The list of PDF files a batch run stamps, without any window: rows of file
// name, page count and full path with a check box, the newest row on top.
// The desktop view shows these rows; the command line fills them from its
// arguments. Messages go through UserPrompts (UTF-8).
//
// List files (".lst"): one full path per line in list order from the top
// row, each line ended by CR LF; paths are native bytes, never converted.
// Reading accepts LF alone, drops a CR before the LF, skips empty lines, and
// reads a line longer than 2047 bytes in pieces of 2047 bytes, each piece
// tried as a path of its own.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/FileRunGuard.h"
#include "engine/PdfJob.h"
#include "pdf/SecurityHandler.h"
#include "platform/Translation.h"
#include "platform/UserPrompts.h"

namespace sgry {

namespace list_message {
inline constexpr Translatable kNotPdf = N_("Not a PDF file\r\n%s");
inline constexpr Translatable kReadFailed =
    N_("An error occurred while reading the PDF file\n\r%s\r\nError number=%d");
inline constexpr Translatable kNoFiles = N_("No PDF files to process.");
inline constexpr Translatable kCannotOpen = N_("Could not open the file\r\n%s");
// A file without "startxref" near its end (JobError::NoStartxref): most often one whose
// update was cut off, seen through a name whose journal is elsewhere.
inline constexpr Translatable kNoFileEnd =
    N_("The end of the PDF file (startxref) is missing. The file may have been left half-written\r\n%s");
}  // namespace list_message

// Bytes of one list-file line read at a time (the buffer holds one more).
inline constexpr std::size_t kListLinePieceBytes = 2047;

// Why a source could not be read (job.ErrorCode() is not None): not a PDF,
// damaged (and what a rebuild of its table found), its end missing, or
// otherwise (a format with %s for the path and %d for the code).
std::string ReadFailureMessage(const PdfJob& job, const std::string& path, Translatable otherwise);

// Shows what the guard taken before a file is read or written has to say
// (engine/FileRunGuard.h): another run holds the file, its torn update was
// rolled back, or its journal does not match it. True when the run may go on.
bool GuardAllowsRun(const FileRunGuard& guard, UserPrompts& prompts);

// What the list shows of a file's signatures (engine/SignatureSurvey.h).
enum class Signing { None, Signed, Certified };

struct FileListRow {
    std::string fileName;  // name and extension of the path
    int32_t pageCount = 0;
    std::string path;      // as it was given
    bool checked = true;
    Signing signing = Signing::None;
};

// Shown while a file is read to learn its page count (the desktop program's
// "リストへPDFファイルを追加中…" notice). The default shows nothing.
class AddingNotice {
public:
    virtual ~AddingNotice() = default;
    virtual void Show() {}
    virtual void Hide() {}
};

class FileList {
public:
    // The prompts (and the notice, when given) must outlive the list.
    explicit FileList(UserPrompts& prompts, AddingNotice* notice = nullptr);

    // Reads the file to learn its page count and inserts a checked row at
    // index 0. On a reading failure shows "PDFファイルではありません" (not a
    // PDF) or "PDFファイルの読み込みでエラーが発生しました" with the job's
    // code (or, for an encrypted file that could not be read, the refusal
    // of encrypted files), adds nothing and returns false.
    bool AddFileToList(const std::string& path);
    // Deletes the rows at these indices (any order, duplicates and indices
    // outside the list ignored); the other rows keep their order.
    void RemoveRows(const std::vector<int32_t>& indices);
    void Clear() { rows_.clear(); }
    // Passwords tried on encrypted files (none by default: the empty user password).
    void SetPasswords(const Passwords& passwords) { passwords_ = passwords; }
    // How files are locked while they are read (fs::LockAccess::ReadOnly: a
    // torn file is passed over, never rolled back).
    void SetLockAccess(fs::LockAccess access) { access_ = access; }
    // Why the last AddFileToList added nothing: the job's error code, or the
    // guard's (engine/FileRunGuard.h); None when it added the file.
    JobError LastError() const { return lastError_; }

    // Writes every row's path, checked or not, top row first. False with
    // "ファイルが開けませんでした" when the file cannot be created.
    bool WriteListFile(const std::string& path) const;
    // Adds every path of the file with AddFileToList (so the last line ends
    // up on top). False with "ファイルが開けませんでした" when it cannot be
    // opened. The list is not cleared first.
    bool ReadListFile(const std::string& path);
    // The paths of a list file in file order, without adding them; false
    // when the file cannot be opened (nothing is shown).
    static bool ReadListPaths(const std::string& path, std::vector<std::string>& paths);

    int32_t Count() const { return static_cast<int32_t>(rows_.size()); }
    const FileListRow& Row(int32_t index) const { return rows_.at(static_cast<std::size_t>(index)); }
    const std::vector<FileListRow>& Rows() const { return rows_; }
    void SetChecked(int32_t index, bool checked) { rows_.at(static_cast<std::size_t>(index)).checked = checked; }

private:
    bool AskUserPassword(const std::string& refusal, Passwords& passwords);

    UserPrompts& prompts_;
    AddingNotice* notice_;
    Passwords passwords_;
    fs::LockAccess access_ = fs::LockAccess::Update;
    JobError lastError_ = JobError::None;
    std::vector<FileListRow> rows_;
};

}  // namespace sgry
