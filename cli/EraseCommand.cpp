#include "cli/EraseCommand.h"

#include "engine/EraseStamp.h"
#include "engine/FileRunGuard.h"

namespace sgry::cli {

namespace {
constexpr int kAllErased = 0;
constexpr int kSomeRefused = 1;
constexpr int kUsageError = 2;
}  // namespace

int RunEraseCommand(const std::vector<std::string>& files, ErrorStream& err) {
    if (files.empty()) {
        err.WriteLine("sigilry-cli: PDFファイルが指定されていません");
        return kUsageError;
    }
    int status = kAllErased;
    for (const std::string& file : files) {
        const FileRunGuard guard(file);
        if (!guard.Message().empty()) err.WriteLine(TerminalLineBreaks(guard.Message()));
        if (!guard.MayProceed()) {
            status = kSomeRefused;
            continue;
        }
        const EraseOutcome outcome = EraseLastStamp(file);
        err.WriteLine(TerminalLineBreaks(outcome.message));
        if (outcome.code != erase_result::kErased) status = kSomeRefused;
    }
    return status;
}

}  // namespace sgry::cli
