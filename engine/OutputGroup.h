#pragma once
// The outputs of a batch made durable together, a group of files at a time,
// so that a batch pays one flush per group instead of two to four per file.
// The promise stays that of a single file: an output takes its name only
// complete and on the disk, and a file stamped in place loses its journal
// only then.
//
// A group's in-place files are locked and journaled before any of them is
// appended to: the journals are written, flushed together and renamed into
// place, and their folders synced once (Prepare). Each run then writes its
// update (or its temporary copy) without syncing and hands it over
// (Finished). Close flushes the finished files together, renames the copies
// to their names or removes the journals, and syncs each folder touched
// once; only then are the files unlocked. A kill at any moment leaves every
// file complete or as it was: a copy not yet renamed is a temporary file
// the next run removes, and an in-place file whose journal is still there is
// cut back by the next run that meets it (engine/UpdateJournal.h).
//
// A group closes after kMaxFiles files or kMaxAge, whichever comes first,
// so that a long batch shows its outputs as it goes.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/FileRunGuard.h"
#include "engine/UpdateJournal.h"

namespace sgry {

// A run's finished output whose flush is left to its group.
struct PendingOutput {
    std::string workPath;    // the complete file: a temporary copy, or the source itself
    std::string outputPath;  // the name it takes (the source, in place)
    bool copy = false;
    UpdateJournal journal;   // in place: the journal the run began itself, if it did
    bool replace = true;     // a copy may replace a file under its name
};

// What became of one finished file when its group closed.
struct GroupedOutput {
    std::string sourcePath;
    std::string outputPath;
    bool committed = false;
    const char* failedStep = nullptr;  // run_message::kStep*, when not committed
    int error = 0;                     // the errno of that step
    bool folderNotSynced = false;      // committed, but its folder could not be synced
};

class OutputGroup {
public:
    static constexpr std::size_t kMaxFiles = 32;
    static constexpr std::chrono::milliseconds kMaxAge{250};

    OutputGroup();
    OutputGroup(const OutputGroup&) = delete;
    OutputGroup& operator=(const OutputGroup&) = delete;
    // Whatever is still open is closed (Close, then Release).
    ~OutputGroup();

    // For the in-place files to come (in the batch's order): locks as many
    // as the group still takes and publishes their journals together. A file
    // that cannot be locked or journaled is left to its own run, which then
    // says why.
    void Prepare(const std::vector<std::string>& paths);
    // The lock Prepare took for path, or nullptr.
    const FileRunGuard* GuardOf(const std::string& path) const;
    // The journal Prepare published for path, taken over by its run (which
    // hands it back with Finished or completes it itself); nullptr when none.
    UpdateJournal* JournalOf(const std::string& path);

    // A run's finished output, not yet synced: a copy is renamed to its name
    // on Close, a file stamped in place loses its journal. guard: the file's
    // lock when its run took it itself (nullptr for a prepared file).
    void Finished(const std::string& sourcePath, PendingOutput output, std::unique_ptr<FileRunGuard> guard);
    // The run of a prepared file ended without an output.
    void Ended(const std::string& sourcePath);

    bool Holds(const std::string& path) const;
    // Whether the group should close now.
    bool Due() const;
    // Makes every finished file durable and unlocks it and the files whose
    // runs ended; the files prepared for runs still to come stay locked and
    // journaled. The finished files' outcomes, in the order they finished.
    std::vector<GroupedOutput> Close();
    // Unlocks the prepared files whose runs never came, removing their journals.
    void Release();

private:
    struct Member;
    Member* Find(const std::string& path);
    const Member* Find(const std::string& path) const;
    void Publish(std::vector<Member*>& members);

    std::vector<std::unique_ptr<Member>> members_;
    std::chrono::steady_clock::time_point opened_ = std::chrono::steady_clock::now();
};

}  // namespace sgry
