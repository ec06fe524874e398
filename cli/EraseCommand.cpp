#include "cli/EraseCommand.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "app/FileRecord.h"
#include "cli/CliArguments.h"
#include "cli/PasswordInput.h"
#include "cli/RunReport.h"
#include "engine/EraseStamp.h"
#include "engine/FileRunGuard.h"
#include "platform/CodeNumber.h"
#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry::cli {

namespace {

// The files, and the password and report options in any place among them
// ("--" ends the options).
bool ParseEraseArguments(const std::vector<std::string>& arguments, std::vector<std::string>& files,
                         std::string& password, std::optional<std::string>& owner, ReportOptions& report,
                         std::string& reason) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with("-") || argument == "-") {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (IsOption(argument, "--owner-password")) {
            if (!TakeValue(arguments, i, "--owner-password", owner.emplace(), reason)) return false;
        } else if (IsOption(argument, "--password")) {
            if (!TakeValue(arguments, i, "--password", password, reason)) return false;
        } else if (IsReportOption(argument)) {
            if (!TakeReportOption(arguments, i, report, reason)) return false;
        } else {
            reason = Format(Translate("This option cannot be used with --erase: %s"), argument);
            return false;
        }
    }
    if (files.empty()) reason = Translate("No PDF files given");
    return !files.empty();
}

FileOutcome OutcomeOfErase(EraseResult code) {
    if (code == EraseResult::Erased) return FileOutcome::Erased;
    return code == EraseResult::CannotWrite ? FileOutcome::Failed : FileOutcome::Refused;
}

// One file's erase, its messages shown as they come.
FileRecord EraseFile(const std::string& file, const Passwords& passwords, ErrorStream& err) {
    const auto started = std::chrono::steady_clock::now();
    FileRecord record;
    record.source = file;
    const FileRunGuard guard(file);
    if (!guard.Message().empty()) err.WriteLine(TerminalLineBreaks(guard.Message()));
    record.message = guard.Message();
    if (guard.MayProceed()) {
        const EraseOutcome outcome = EraseLastStamp(file, passwords);
        err.WriteLine(TerminalLineBreaks(outcome.message));
        AppendMessage(record.message, outcome.message);
        record.outcome = OutcomeOfErase(outcome.code);
        record.code = CodeNumber(outcome.code);
        if (outcome.code == EraseResult::Erased) record.output = file;
    } else {
        record.outcome = PassedOverOutcome(guard.Code());
        record.code = CodeNumber(guard.Code());
    }
    record.seconds = SecondsSince(started);
    return record;
}

}  // namespace

ExitStatus RunEraseCommand(const std::vector<std::string>& arguments, ErrorStream& err) {
    std::vector<std::string> files;
    std::string password;
    std::optional<std::string> owner;
    ReportOptions reportOptions;
    std::string reason;
    Passwords passwords;
    RunReport report;
    if (!ParseEraseArguments(arguments, files, password, owner, reportOptions, reason) ||
        (!reportOptions.path.empty() && !report.Open(reportOptions, reason))) {
        err.WriteLine("sigilry-cli: " + reason);
        return ExitStatus::UsageError;
    }
    if (!ResolvePasswords(password, owner, stdin, ::isatty(STDIN_FILENO) == 1, passwords)) {
        err.WriteLine(std::string("sigilry-cli: ") +
                      Translate("Cannot read the password from standard input"));
        return ExitStatus::UsageError;
    }
    ExitStatus status = ExitStatus::AllDone;
    for (const std::string& file : files) {
        const FileRecord record = EraseFile(file, passwords, err);
        report.Record(record);
        if (record.outcome != FileOutcome::Erased) status = ExitStatus::SomeNotDone;
    }
    return status;
}

}  // namespace sgry::cli
