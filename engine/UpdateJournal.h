#pragma once
// Safety of an update appended to a file in place (the overwrite mode).
//
// Before the first byte of the update is appended, the file's length is
// written to a journal beside it, "<folder>.<name>.sgry-journal", and the
// journal is synced together with its folder. When the update is complete,
// the file is synced and the journal removed (and the folder synced). A run
// that is killed, or a machine that loses power, in between leaves the
// journal behind; the next run that meets the file (adding it to the list,
// stamping it, erasing a stamp) cuts the file back to the recorded length
// first and says so, so the file is again what it was before the torn
// update, and never a file that cannot be read.
//
// Journal text: "%Sigilry-journal 1" CR LF, the length in decimal, CR LF.
// A journal that cannot be parsed was never complete, so no byte was
// appended under it: it is only removed. A file now shorter than the
// recorded length was replaced by something else: it is left alone and
// the stale journal removed.
#include <cstdint>
#include <string>

namespace sgry {

namespace recovery_message {
inline constexpr const char* kRestored =
    "前回の書き込みが途中で止まっていたため、ファイルを書き込み前の状態に戻しました\r\n%s";
inline constexpr const char* kCannotRestore =
    "途中で止まった書き込みを取り消せません\r\n%s";
}  // namespace recovery_message

std::string JournalPathOf(const std::string& path);

class UpdateJournal {
public:
    UpdateJournal() = default;
    UpdateJournal(const UpdateJournal&) = delete;
    UpdateJournal& operator=(const UpdateJournal&) = delete;

    // Records lengthBefore for the file at path, durably. False when the
    // journal cannot be written (nothing may then be appended).
    bool Begin(const std::string& path, int64_t lengthBefore);
    // The file holds its final bytes (the finished update, or the cut-back
    // source): syncs it, then removes the journal. False when either fails;
    // the journal then stays for the next run.
    bool Complete();
    // The same for a file the caller has just synced itself.
    bool CompleteSynced();
    bool Active() const { return !path_.empty(); }

private:
    std::string path_;
};

// What the recovery of one file did.
struct RecoveryOutcome {
    bool restored = false;  // the file was cut back
    bool failed = false;    // a journal was found but the file could not be cut back
    std::string message;    // "" when nothing was to be said
};

// Cuts the file back when a journal says an update was torn (see above).
RecoveryOutcome RecoverInterruptedUpdate(const std::string& path);

}  // namespace sgry
