#pragma once
// What became of each file of a run, for a report that a program reads
// (sigilry-cli --report): one record per file, handed on in the order the
// files were processed, each once its outcome is final. A stamped file's
// outcome is final when its output group has closed (engine/OutputGroup.h),
// so a run that is killed has handed on as stamped only complete outputs.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/JobError.h"

namespace sgry {

enum class FileOutcome {
    Stamped,    // the output is complete under its name
    Erased,     // the last erasable stamp was removed
    Refused,    // not stamped because of what the file is
    Failed,     // a system call failed while the output was written
    Skipped,    // passed over: its output exists, another run holds it, unchecked
    Cancelled,  // never begun: the run was cancelled first
};

// "stamped", "erased", "refused", "failed", "skipped", "cancelled".
const char* OutcomeName(FileOutcome outcome);

// A file the run let alone before reading it, by the code of why:
// one that another run holds is skipped, the others are refused.
FileOutcome PassedOverOutcome(JobError code);

struct FileRecord {
    std::string source;
    std::string output;  // the file written; "" when none was
    FileOutcome outcome = FileOutcome::Cancelled;
    // The number the report writes (platform/CodeNumber.h): the job's error
    // code (JobError::None when stamped) or why it was passed over; for an
    // erase, the EraseResult.
    int code = 0;
    std::string message;  // the messages shown for the file (CR LF between them)
    int32_t pages = 0;    // pages stamped
    double seconds = 0;
    // With Bates numbers: the number of the first stamped page, once the
    // output reached the disk; the pages carry batesFirst .. batesFirst + pages - 1.
    std::optional<int64_t> batesFirst;
};

// One tab-separated line of fields, ended by "\n". A backslash, tab, line
// feed and carriage return inside a field are written \\ \t \n \r, so that
// a line stays one line.
std::string TsvLine(const std::vector<std::string>& fields);

// The seconds a record gives the time since started.
double SecondsSince(std::chrono::steady_clock::time_point started);

// Adds a message shown to those kept before it (CR LF between them).
void AppendMessage(std::string& messages, const std::string& text);

class FileRecordSink {
public:
    virtual ~FileRecordSink() = default;
    virtual void Record(const FileRecord& record) = 0;
};

// The records of a run in processing order. A record is handed on once it
// and every record before it are final; without a sink they are only kept.
class RecordQueue {
public:
    explicit RecordQueue(FileRecordSink* sink = nullptr) : sink_(sink) {}

    // Adds a record; its index.
    std::size_t Add(FileRecord record, bool final);
    FileRecord& At(std::size_t index) { return entries_.at(index).record; }
    std::vector<FileRecord> All() const;
    // The first record of source that is not final yet, or nullptr.
    FileRecord* Unsettled(const std::string& source);
    void MakeFinal(const FileRecord& record);
    void MakeFinal(std::size_t index) { entries_.at(index).final = true; }
    // Hands on every final record that has no unsettled one before it.
    void Flush();
    // Every record is final as it stands: hands them all on.
    void FlushAll();

private:
    struct Entry {
        FileRecord record;
        bool final = false;
    };
    FileRecordSink* sink_;
    std::vector<Entry> entries_;
    std::size_t next_ = 0;  // the first record not yet handed on
};

}  // namespace sgry
