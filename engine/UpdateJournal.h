#pragma once
// Safety of an update appended to a file in place (the overwrite mode).
//
// Before the first byte of the update is appended, a journal is written
// beside the file (beside the real file when the name given is a symbolic
// link), "<folder>.<name>.sgry-journal", and synced together with its
// folder. When the update is complete, the file is synced and the journal
// removed (and the folder synced). A run that is killed, or a machine that
// loses power, in between leaves the journal behind; the next run that meets
// the file (adding it to the list, stamping it, erasing a stamp) cuts the
// file back first and says so, so the file is again what it was before the
// torn update, and never a file that cannot be read.
//
// The journal binds itself to its file, so that it never cuts another one:
//   "%Sigilry-journal 2" CR LF
//   "device=<n>" CR LF "inode=<n>" CR LF     the file's identity
//   "length=<n>" CR LF                       its length before the update
//   "tail=<count> <crc32, 8 hex digits>" CR LF
// where the tail is the <count> bytes before the length (up to 4096, so
// that it holds the original's "%%EOF"). Recovery runs under the file's lock
// (platform/FileLock.h), so no other run is writing it, and cuts only when
// the file is the journal's file, is longer than the length and still has
// that tail. A file of exactly that length only loses the journal (the run
// stopped before appending, or after cutting back). Anything else — another
// file under the name, a shorter file, another tail, a journal that cannot
// be read or is a symbolic link — leaves the file and the journal as they
// are, says why, and the file is refused until someone looks at it.
//
// A file with more than one name is found from a journal written under
// another of its names in the same folder, by its identity.
#include <cstdint>
#include <optional>
#include <string>

#include "platform/FileLock.h"
#include "platform/Translation.h"

namespace sgry {

namespace recovery_message {
inline constexpr Translatable kRestored =
    N_("The previous write stopped halfway; the file was restored to its state before that write\r\n%s");
inline constexpr Translatable kCannotRestore = N_("Cannot undo the write that stopped halfway\r\n%s");
// The reason, the journal's path, the file's path.
inline constexpr Translatable kJournalMismatch =
    N_("The journal of a write that stopped halfway does not match this file, so the run stopped without "
       "changing the file or the journal (%s)\r\n"
       "Check it and delete the journal if it is not needed: %s\r\n%s");
inline constexpr Translatable kJournalIsLink = N_("the journal is a symbolic link");
inline constexpr Translatable kJournalUnreadable =
    N_("the journal cannot be read or is not in the journal format");
inline constexpr Translatable kOtherFile =
    N_("the file was replaced by another file after the journal was written");
inline constexpr Translatable kShorter = N_("the file is shorter than the journal records");
inline constexpr Translatable kTailChanged =
    N_("the end of the file before the write differs from the journal");
// A torn file met by a run that may only read it (its output goes to another folder).
inline constexpr Translatable kTornLeftAsIs =
    N_("Not processed: a write to this file stopped halfway (a run with an output folder does not restore "
       "the source file to its state before the write)\r\n"
       "%s");
}  // namespace recovery_message

std::string JournalPathOf(const std::string& path);

class UpdateJournal {
public:
    UpdateJournal() = default;
    UpdateJournal(const UpdateJournal&) = delete;
    UpdateJournal& operator=(const UpdateJournal&) = delete;
    UpdateJournal(UpdateJournal&&) = default;
    UpdateJournal& operator=(UpdateJournal&&) = default;

    // Records the file at path as it is now (lengthBefore bytes), durably.
    // False when the journal cannot be written (nothing may then be appended).
    bool Begin(const std::string& path, int64_t lengthBefore);
    // Begin in two halves, for journals published together: the record
    // written under a temporary name (TempPath), not synced; then, once the
    // caller has synced it, renamed to the journal's name (the caller syncs
    // the folder). The journal is active only after Publish.
    bool Write(const std::string& path, int64_t lengthBefore);
    std::string TempPath() const;
    bool Publish();
    // The length of the file that Begin or Write recorded.
    int64_t LengthBefore() const { return lengthBefore_; }
    // The file whose update it guards ("" when none is active).
    const std::string& Path() const { return path_; }
    // Removes the journal without syncing its folder (the caller syncs the
    // folders of several at once). False when it could not be removed.
    bool Remove();
    // The file holds its final bytes (the finished update, or the cut-back
    // source): syncs it, then removes the journal. False when either fails;
    // the journal then stays for the next run.
    bool Complete();
    // The same for a file the caller has just synced itself.
    bool CompleteSynced();
    bool Active() const { return !path_.empty(); }

private:
    std::optional<std::string> Record(const std::string& path, int64_t lengthBefore);

    std::string path_;
    std::string written_;  // the file of a journal written but not yet published
    int64_t lengthBefore_ = -1;
};

// What the recovery of one file did.
struct RecoveryOutcome {
    bool restored = false;  // the file was cut back
    bool refused = false;   // a journal was found and the file must not be touched
    std::string message;    // "" when nothing was to be said
};

// Cuts the file back when its journal says an update was torn (see above).
// `lock` is the caller's lock on the file at path.
RecoveryOutcome RecoverInterruptedUpdate(const std::string& path, const fs::FileLock& lock);
// The same checks for a run that must not change the file or its folder: a
// torn update is refused (kTornLeftAsIs) instead of cut back, a journal that
// does not match is refused as above, and a journal whose file was never
// appended to is left where it is.
RecoveryOutcome CheckInterruptedUpdate(const std::string& path, const fs::FileLock& lock);

}  // namespace sgry
