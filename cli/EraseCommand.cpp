#include "cli/EraseCommand.h"

#include "engine/EraseStamp.h"
#include <unistd.h>

#include <cstdio>

#include "cli/CliArguments.h"
#include "cli/PasswordInput.h"
#include "engine/FileRunGuard.h"

namespace sgry::cli {

namespace {
constexpr int kAllErased = 0;
constexpr int kSomeRefused = 1;
constexpr int kUsageError = 2;


// The files, and the password options in any place among them ("--" ends
// the options).
bool ParseEraseArguments(const std::vector<std::string>& arguments, std::vector<std::string>& files,
                         std::string& password, std::optional<std::string>& owner, std::string& reason) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || !argument.starts_with("--")) {
            files.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (IsOption(argument, "--owner-password")) {
            if (!TakeValue(arguments, i, "--owner-password", owner.emplace(), reason)) return false;
        } else if (IsOption(argument, "--password")) {
            if (!TakeValue(arguments, i, "--password", password, reason)) return false;
        } else {
            reason = "--erase と一緒に使えないオプションです: " + argument;
            return false;
        }
    }
    if (files.empty()) reason = "PDFファイルが指定されていません";
    return !files.empty();
}

}  // namespace

int RunEraseCommand(const std::vector<std::string>& arguments, ErrorStream& err) {
    std::vector<std::string> files;
    std::string password;
    std::optional<std::string> owner;
    std::string reason;
    Passwords passwords;
    if (!ParseEraseArguments(arguments, files, password, owner, reason)) {
        err.WriteLine("sigilry-cli: " + reason);
        return kUsageError;
    }
    if (!ResolvePasswords(password, owner, stdin, ::isatty(STDIN_FILENO) == 1, passwords)) {
        err.WriteLine("sigilry-cli: パスワードを標準入力から読めません");
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
        const EraseOutcome outcome = EraseLastStamp(file, passwords);
        err.WriteLine(TerminalLineBreaks(outcome.message));
        if (outcome.code != erase_result::kErased) status = kSomeRefused;
    }
    return status;
}

}  // namespace sgry::cli
