#include "app/FileRecord.h"

#include "engine/FileRunGuard.h"

namespace sgry {

const char* OutcomeName(FileOutcome outcome) {
    switch (outcome) {
        case FileOutcome::Stamped: return "stamped";
        case FileOutcome::Erased: return "erased";
        case FileOutcome::Refused: return "refused";
        case FileOutcome::Failed: return "failed";
        case FileOutcome::Skipped: return "skipped";
        case FileOutcome::Cancelled: return "cancelled";
    }
    return "failed";
}

FileOutcome PassedOverOutcome(JobError code) {
    return code == JobError::FileBusy ? FileOutcome::Skipped : FileOutcome::Refused;
}

double SecondsSince(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

std::string TsvLine(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& text = fields[i];
        if (i > 0) line += '\t';
        for (const char c : text) {
            if (c == '\\') line += "\\\\";
            else if (c == '\t') line += "\\t";
            else if (c == '\n') line += "\\n";
            else if (c == '\r') line += "\\r";
            else line += c;
        }
    }
    return line + "\n";
}

void AppendMessage(std::string& messages, const std::string& text) {
    if (text.empty()) return;
    if (!messages.empty()) messages += "\r\n";
    messages += text;
}

std::size_t RecordQueue::Add(FileRecord record, bool final) {
    entries_.push_back({std::move(record), final});
    return entries_.size() - 1;
}

std::vector<FileRecord> RecordQueue::All() const {
    std::vector<FileRecord> records;
    for (const Entry& entry : entries_) records.push_back(entry.record);
    return records;
}

FileRecord* RecordQueue::Unsettled(const std::string& source) {
    for (std::size_t i = next_; i < entries_.size(); ++i)
        if (!entries_[i].final && entries_[i].record.source == source) return &entries_[i].record;
    return nullptr;
}

void RecordQueue::MakeFinal(const FileRecord& record) {
    for (std::size_t i = next_; i < entries_.size(); ++i)
        if (&entries_[i].record == &record) entries_[i].final = true;
}

void RecordQueue::Flush() {
    for (; next_ < entries_.size() && entries_[next_].final; ++next_)
        if (sink_) sink_->Record(entries_[next_].record);
}

void RecordQueue::FlushAll() {
    for (std::size_t i = next_; i < entries_.size(); ++i) entries_[i].final = true;
    Flush();
}

}  // namespace sgry
