#include "engine/OutputGroup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "engine/JobRunner.h"
#include "engine/OutputNaming.h"
#include "engine/TestStopPoint.h"
#include "platform/DurableFile.h"

namespace sgry {

struct OutputGroup::Member {
    enum class State { Prepared, Finished, Ended };
    std::string sourcePath;
    std::unique_ptr<FileRunGuard> guard;
    UpdateJournal journal;
    State state = State::Prepared;
    PendingOutput output;
};

OutputGroup::OutputGroup() = default;

OutputGroup::~OutputGroup() {
    Close();
    Release();
}

OutputGroup::Member* OutputGroup::Find(const std::string& path) {
    for (const auto& member : members_)
        if (member->sourcePath == path) return member.get();
    return nullptr;
}

const OutputGroup::Member* OutputGroup::Find(const std::string& path) const {
    return const_cast<OutputGroup*>(this)->Find(path);
}

bool OutputGroup::Holds(const std::string& path) const { return Find(path) != nullptr; }

const FileRunGuard* OutputGroup::GuardOf(const std::string& path) const {
    const Member* member = Find(path);
    return member && member->state == Member::State::Prepared ? member->guard.get() : nullptr;
}

UpdateJournal* OutputGroup::JournalOf(const std::string& path) {
    Member* member = Find(path);
    if (!member || member->state != Member::State::Prepared || member->journal.Path().empty()) return nullptr;
    return &member->journal;
}

void OutputGroup::Prepare(const std::vector<std::string>& paths) {
    std::vector<Member*> journaled;
    for (const std::string& path : paths) {
        if (members_.size() >= kMaxFiles || Holds(path)) break;
        auto member = std::make_unique<Member>();
        member->sourcePath = path;
        member->guard = std::make_unique<FileRunGuard>(path);
        struct stat info {};
        const fs::FileLock& lock = member->guard->Lock();
        if (member->guard->MayProceed() && lock.Held() && lock.Writable() && ::fstat(lock.Fd(), &info) == 0 &&
            member->journal.Write(path, static_cast<int64_t>(info.st_size)))
            journaled.push_back(member.get());
        members_.push_back(std::move(member));
    }
    Publish(journaled);
}

// The journals written: flushed together, renamed into place, their folders
// synced. One that fails is left to its run, which begins its own.
void OutputGroup::Publish(std::vector<Member*>& members) {
    if (members.empty()) return;
    std::vector<std::string> temps;
    for (const Member* member : members) temps.push_back(member->journal.TempPath());
    const std::vector<int> errors = fs::SyncFiles(temps);
    std::vector<std::string> published;
    for (std::size_t i = 0; i < members.size(); ++i) {
        UpdateJournal& journal = members[i]->journal;
        if (errors[i] == 0 && journal.Publish()) {
            published.push_back(JournalPathOf(journal.Path()));
        } else {
            std::remove(temps[i].c_str());
            journal = UpdateJournal();
        }
    }
    if (fs::SyncFoldersOf(published) != 0)
        for (Member* member : members) member->journal.Remove();
    StopHereForTest("journaled");
}

void OutputGroup::Finished(const std::string& sourcePath, PendingOutput output, std::unique_ptr<FileRunGuard> guard) {
    Member* member = Find(sourcePath);
    if (!member) {
        members_.push_back(std::make_unique<Member>());
        member = members_.back().get();
        member->sourcePath = sourcePath;
    }
    if (guard) member->guard = std::move(guard);
    if (!output.journal.Path().empty()) member->journal = std::move(output.journal);
    member->output = std::move(output);
    member->state = Member::State::Finished;
}

void OutputGroup::Ended(const std::string& sourcePath) {
    if (Member* member = Find(sourcePath)) member->state = Member::State::Ended;
}

bool OutputGroup::Due() const {
    std::size_t finished = 0;
    for (const auto& member : members_)
        if (member->state != Member::State::Prepared) ++finished;
    return finished >= kMaxFiles || (finished > 0 && std::chrono::steady_clock::now() - opened_ >= kMaxAge);
}

namespace {

// A finished file that could not be made durable goes back to what it was:
// the copy is removed, the file stamped in place cut back to its length.
void Undo(PendingOutput& output, UpdateJournal& journal) {
    if (output.copy) {
        std::remove(output.workPath.c_str());
        return;
    }
    if (::truncate(output.workPath.c_str(), static_cast<off_t>(journal.LengthBefore())) == 0) journal.Complete();
}

// Removes the journals of files that were never appended to (their runs
// ended before, or never came), and syncs their folders. A file that is
// longer than its journal says keeps the journal: its run could not cut it
// back, and the next run must.
void ClearUntouchedJournals(const std::vector<UpdateJournal*>& journals) {
    std::vector<std::string> removed;
    for (UpdateJournal* journal : journals) {
        struct stat info {};
        if (journal->Path().empty() || ::stat(journal->Path().c_str(), &info) != 0 ||
            info.st_size != journal->LengthBefore())
            continue;
        const std::string path = JournalPathOf(journal->Path());
        if (journal->Remove()) removed.push_back(path);
    }
    fs::SyncFoldersOf(removed);
}

}  // namespace

std::vector<GroupedOutput> OutputGroup::Close() {
    std::vector<Member*> finished;
    for (const auto& member : members_)
        if (member->state == Member::State::Finished) finished.push_back(member.get());
    std::vector<std::string> files;
    for (const Member* member : finished) files.push_back(member->output.workPath);
    const std::vector<int> errors = fs::SyncFiles(files);
    if (!finished.empty()) StopHereForTest("synced");

    std::vector<GroupedOutput> outcomes;
    std::vector<std::string> renamed, unjournaled;
    for (std::size_t i = 0; i < finished.size(); ++i) {
        Member& member = *finished[i];
        GroupedOutput outcome{member.sourcePath, member.output.outputPath};
        int error = errors[i];
        const char* step = run_message::kStepSync.Text();
        if (error == 0 && member.output.copy) {
            step = run_message::kStepRename.Text();
            if (!RenameToOutput(member.output.workPath, member.output.outputPath, member.output.replace)) error = errno;
        } else if (error == 0) {
            step = run_message::kStepJournalDone.Text();
            const std::string journal = JournalPathOf(member.journal.Path());
            if (member.journal.Remove()) unjournaled.push_back(journal);
            else error = errno;
        }
        outcome.committed = error == 0;
        if (!outcome.committed) {
            outcome.failedStep = step;
            outcome.error = error;
            Undo(member.output, member.journal);
        } else if (member.output.copy) {
            renamed.push_back(member.output.outputPath);
        }
        outcomes.push_back(outcome);
    }
    // A folder that cannot be synced leaves a complete file: it counts as
    // stamped, with a warning (after a power loss, a copy's name may be
    // gone, or a journal back, which the next run then takes at its word).
    const bool copiesSynced = fs::SyncFoldersOf(renamed) == 0;
    const bool journalsSynced = fs::SyncFoldersOf(unjournaled) == 0;
    for (std::size_t i = 0; i < outcomes.size(); ++i)
        if (outcomes[i].committed) outcomes[i].folderNotSynced = finished[i]->output.copy ? !copiesSynced : !journalsSynced;
    std::vector<UpdateJournal*> ended;
    for (const auto& member : members_)
        if (member->state == Member::State::Ended) ended.push_back(&member->journal);
    ClearUntouchedJournals(ended);
    std::erase_if(members_, [](const auto& member) { return member->state != Member::State::Prepared; });
    opened_ = std::chrono::steady_clock::now();
    return outcomes;
}

void OutputGroup::Release() {
    std::vector<UpdateJournal*> journals;
    for (const auto& member : members_) journals.push_back(&member->journal);
    ClearUntouchedJournals(journals);
    members_.clear();
}

}  // namespace sgry
