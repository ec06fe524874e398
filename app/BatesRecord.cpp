#include "app/BatesRecord.h"

#include "platform/DurableFile.h"
#include "platform/SjisText.h"
#include "render/HeaderFooterItem.h"

namespace sgry {

BatesCounter::BatesCounter(const StampSettings& stamp) : on_(UsesBatesNumbers(stamp)), next_(stamp.BatesStart) {}

void BatesCounter::Take(FileRecord& record) {
    if (!on_ || record.pages <= 0) return;
    record.batesFirst = next_;
    next_ += record.pages;
}

std::string BatesRecordText(const StampSettings& stamp, const std::vector<FileRecord>& records) {
    std::string text = TsvLine({"source", "output", "first", "last", "pages", "outcome"});
    for (const FileRecord& record : records) {
        std::string first, last;
        int32_t pages = 0;
        if (record.batesFirst) {
            pages = record.pages;
            first = sjis::ToUtf8(BatesNumberText(stamp, *record.batesFirst));
            last = sjis::ToUtf8(BatesNumberText(stamp, *record.batesFirst + pages - 1));
        }
        text += TsvLine({record.source, record.output, first, last, std::to_string(pages), OutcomeName(record.outcome)});
    }
    return text;
}

std::string BatesRecordPath(const StampSettings& stamp, const std::vector<FileRecord>& records) {
    std::string beside = records.empty() ? std::string() : records.front().source;
    for (const FileRecord& record : records) {
        if (record.output.empty()) continue;
        beside = record.output;
        break;
    }
    std::string name = sjis::ToUtf8(BatesNumberText(stamp, stamp.BatesStart)) + ".tsv";
    for (char& c : name)
        if (c == '/') c = '_';
    return fs::FolderOf(beside) + name;
}

}  // namespace sgry
