#pragma once
// The start of every run on one file (each output mode, erasing a stamp,
// adding the file to the list): the file's lock is taken for the whole run
// (platform/FileLock.h), and only then a torn update of an earlier run is
// rolled back (engine/UpdateJournal.h). A file that another run holds is
// passed over at once, and so is one whose journal does not match it.
// A run that only reads the file (its output goes to another folder) locks
// it read-only and never rolls it back: a torn file is passed over.
#include <string>

#include "engine/JobError.h"
#include "engine/UpdateJournal.h"
#include "platform/FileLock.h"
#include "platform/Translation.h"

namespace sgry {

namespace run_lock_message {
inline constexpr Translatable kBusy = N_("Skipped: another run is working on this file\r\n%s");
}  // namespace run_lock_message

class FileRunGuard {
public:
    explicit FileRunGuard(const std::string& path, fs::LockAccess access = fs::LockAccess::Update);

    // False: the run must leave the file alone (Message says why).
    bool MayProceed() const { return !busy_ && !recovery_.refused; }
    bool Busy() const { return busy_; }
    // None, or why the run must leave the file alone (FileBusy, JournalRefused).
    JobError Code() const {
        return busy_ ? JobError::FileBusy : recovery_.refused ? JobError::JournalRefused : JobError::None;
    }
    // What to tell the user: why the file is passed over, or that it was
    // rolled back; "" when there is nothing to say.
    const std::string& Message() const { return message_; }
    const RecoveryOutcome& Recovery() const { return recovery_; }
    const fs::FileLock& Lock() const { return lock_; }

private:
    fs::FileLock lock_;
    bool busy_ = false;
    RecoveryOutcome recovery_;
    std::string message_;
};

}  // namespace sgry
