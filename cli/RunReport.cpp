#include "cli/RunReport.h"

#include "cli/CliArguments.h"
#include "cli/Terminal.h"
#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry::cli {

namespace {

constexpr const char* kColumns[] = {"source", "output", "outcome", "code", "message", "pages", "seconds"};

// The length of the UTF-8 sequence at text[i], or 0 when the bytes there
// are not one (a path in another encoding).
std::size_t Utf8Length(const std::string& text, std::size_t i) {
    const unsigned char lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    if (lead < 0x80) length = 1;
    else if (lead >= 0xC2 && lead < 0xE0) length = 2;
    else if (lead >= 0xE0 && lead < 0xF0) length = 3;
    else if (lead >= 0xF0 && lead < 0xF5) length = 4;
    if (length == 0 || i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return 0;
    return length;
}

// A JSON string; bytes that are not UTF-8 become U+FFFD, as JSON must be.
std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8Length(text, i);
        if (length == 0) json += "\uFFFD";
        else if (c == '"' || c == '\\') json += std::string("\\") + static_cast<char>(c);
        else if (c == '\n') json += "\\n";
        else if (c == '\t') json += "\\t";
        else if (c < 0x20) json += Format("\\u%04X", c);
        else json += text.substr(i, length);
        i += length == 0 ? 1 : length;
    }
    return json + "\"";
}

std::vector<std::string> Fields(const FileRecord& record) {
    return {record.source, record.output, OutcomeName(record.outcome), std::to_string(record.code),
            TerminalLineBreaks(record.message), std::to_string(record.pages), Format("%.3f", record.seconds)};
}

// Numbers stay numbers; every other field is a string.
std::string JsonLine(const std::vector<std::string>& fields) {
    std::string line = "{";
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool number = i == 3 || i == 5 || i == 6;
        line += (i == 0 ? "" : ",") + JsonString(kColumns[i]) + ":" + (number ? fields[i] : JsonString(fields[i]));
    }
    return line + "}\n";
}

}  // namespace

bool IsReportOption(const std::string& argument) {
    return IsOption(argument, "--report") || IsOption(argument, "--report-format");
}

bool TakeReportOption(const std::vector<std::string>& arguments, std::size_t& i, ReportOptions& report,
                      std::string& reason) {
    if (IsOption(arguments[i], "--report")) return TakeValue(arguments, i, "--report", report.path, reason);
    std::string format;
    if (!TakeValue(arguments, i, "--report-format", format, reason)) return false;
    report.formatGiven = true;
    if (format == "tsv") {
        report.format = ReportOptions::Format::Tsv;
    } else if (format == "json") {
        report.format = ReportOptions::Format::JsonLines;
    } else {
        reason = Format(Translate("--report-format takes tsv or json: %s"), format);
        return false;
    }
    return true;
}

bool RunReport::Open(const ReportOptions& options, std::string& reason) {
    format_ = options.format;
    if (options.path == "-") {
        out_ = stdout;
    } else {
        own_.reset(std::fopen(options.path.c_str(), "wb"));
        out_ = own_.get();
    }
    if (!out_) {
        reason = Format(Translate("Cannot create the report file: %s"), options.path);
        return false;
    }
    if (format_ == ReportOptions::Format::Tsv) Write(TsvLine({std::begin(kColumns), std::end(kColumns)}));
    return true;
}

void RunReport::Record(const FileRecord& record) {
    Write(format_ == ReportOptions::Format::Tsv ? TsvLine(Fields(record)) : JsonLine(Fields(record)));
}

// Each line reaches the file before the run goes on, so that a run that is
// killed leaves the lines of the files it finished.
void RunReport::Write(const std::string& line) {
    if (!out_) return;
    std::fwrite(line.data(), 1, line.size(), out_);
    std::fflush(out_);
}

}  // namespace sgry::cli
