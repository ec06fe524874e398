#pragma once
// sigilry-cli --report FILE ("-": standard output): one line per file in the
// order processed, written and flushed as each file's outcome becomes final
// (app/FileRecord.h). Tab-separated with a header line by default; with
// --report-format json, the same fields as JSON Lines. The columns:
//   source  output  outcome  code  message  pages  seconds
// In the tab-separated form a backslash, tab, line feed and carriage return
// inside a field are written \\ \t \n \r, so that a line stays one line.
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/FileRecord.h"

namespace sgry::cli {

struct ReportOptions {
    enum class Format { Tsv, JsonLines };
    std::string path;  // "" = no report
    Format format = Format::Tsv;
    bool formatGiven = false;
};

bool IsReportOption(const std::string& argument);
// Takes --report or --report-format at arguments[i]; false with a reason
// for a missing or unknown value.
bool TakeReportOption(const std::vector<std::string>& arguments, std::size_t& i, ReportOptions& report,
                      std::string& reason);

class RunReport : public FileRecordSink {
public:
    // Creates the report (an existing file is replaced) and writes its
    // header; false with a reason when it cannot be created.
    bool Open(const ReportOptions& options, std::string& reason);
    // One line, flushed; nothing when no report was opened.
    void Record(const FileRecord& record) override;

private:
    void Write(const std::string& line);

    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, Closer> own_;
    std::FILE* out_ = nullptr;
    ReportOptions::Format format_ = ReportOptions::Format::Tsv;
};

}  // namespace sgry::cli
