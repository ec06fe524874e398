#pragma once
// Bates numbers across a run: the counter that gives each file's stamped
// pages the next numbers once its output reached the disk, and the record of
// the production, one tab-separated line per file of the run:
//   source  output  first  last  pages  outcome
// after a header line with these names. first and last are the printed
// numbers (prefix and suffix included, UTF-8), empty for a file that got
// none; pages are the pages numbered. Fields are escaped as by TsvLine.
#include <cstdint>
#include <string>
#include <vector>

#include "app/FileRecord.h"
#include "platform/Translation.h"
#include "settings/StampSettings.h"

namespace sgry {

class BatesCounter {
public:
    // Off unless a slot shows the Bates number; counts from BatesStart.
    explicit BatesCounter(const StampSettings& stamp);

    bool On() const { return on_; }
    // The number the next file's first stamped page gets.
    int64_t Next() const { return next_; }
    // A file whose output reached the disk takes its pages' numbers; a
    // record without pages, or with the counter off, takes none.
    void Take(FileRecord& record);

private:
    bool on_;
    int64_t next_;
};

// The record's text for the records of a run, in their order.
std::string BatesRecordText(const StampSettings& stamp, const std::vector<FileRecord>& records);

// Where the desktop program writes the record: beside the first output
// written (else beside the first source), named after the run's first
// number, "ABC000041.tsv" (a "/" of the prefix or suffix becomes "_").
std::string BatesRecordPath(const StampSettings& stamp, const std::vector<FileRecord>& records);

// Messages about the record (UTF-8).
namespace bates_message {
inline constexpr Translatable kNext = N_("Next Bates number: %s");
inline constexpr Translatable kRecordFailed = N_("Could not write the Bates number record\r\n%s");
inline constexpr Translatable kOpenRecord =
    N_("The Bates number record was written. Open it?\r\n%s\r\n\r\nNext Bates number: %s");
}  // namespace bates_message

}  // namespace sgry
