// sigilry-cli: the run command of the desktop program without a window.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/BatchRun.h"
#include "app/FileList.h"
#include "app/RunSettings.h"
#include "cli/CliArguments.h"
#include "cli/EraseCommand.h"
#include "cli/KeysText.h"
#include "cli/PasswordInput.h"
#include "cli/Terminal.h"
#include "platform/DurableFile.h"
#include "platform/Format.h"
#include "settings/IniPath.h"

namespace {

using namespace sgry;

constexpr int kAllStamped = 0;
constexpr int kSomeNotStamped = 1;
constexpr int kUsageError = 2;

int UsageError(cli::ErrorStream& err, const std::string& reason) {
    err.WriteLine("sigilry-cli: " + reason);
    err.WriteLine("使い方は sigilry-cli --help で表示されます");
    return kUsageError;
}

// Adds every file argument, list files expanded in place, to the list; the
// rows come back in the order given. Counts the files that were skipped.
std::vector<BatchRow> CollectRows(const std::vector<cli::FileArgument>& files, const Passwords& passwords,
                                  UserPrompts& prompts, int& skipped) {
    FileList list(prompts);
    list.SetPasswords(passwords);
    const auto add = [&](const std::string& path) {
        if (!list.AddFileToList(path)) ++skipped;
    };
    for (const cli::FileArgument& file : files) {
        if (file.kind == cli::FileArgument::Kind::Pdf) {
            add(file.path);
            continue;
        }
        std::vector<std::string> paths;
        if (!FileList::ReadListPaths(file.path, paths)) {
            prompts.ShowMessage(Format(list_message::kCannotOpen, file.path));
            ++skipped;
            continue;
        }
        for (const std::string& path : paths) add(path);
    }
    // Every new row goes on top: the oldest row is the last.
    std::vector<BatchRow> rows;
    for (auto row = list.Rows().rbegin(); row != list.Rows().rend(); ++row) rows.push_back({row->path, row->checked});
    return rows;
}

int ExitStatus(const BatchOutcome& outcome, const cli::TerminalPrompts& prompts, int skipped) {
    switch (outcome.status) {
        case BatchOutcome::Status::ImageRefused:
            return kUsageError;
        case BatchOutcome::Status::Declined:
            return prompts.NoTerminal() ? kUsageError : kSomeNotStamped;
        case BatchOutcome::Status::NoFiles:
            return kSomeNotStamped;
        case BatchOutcome::Status::Ran:
            break;
    }
    const bool all = skipped == 0 && !outcome.cancelled && outcome.succeeded == outcome.toProcess;
    return all ? kAllStamped : kSomeNotStamped;
}

int Main(const std::vector<std::string>& arguments) {
    cli::ErrorStream err(stderr, ::isatty(STDERR_FILENO) == 1);
    if (!arguments.empty() && arguments.front() == cli::kEraseOption)
        return cli::RunEraseCommand({arguments.begin() + 1, arguments.end()}, err);
    cli::CliArguments options;
    std::string reason;
    if (!cli::ParseArguments(arguments, options, reason)) return UsageError(err, reason);
    if (options.help) {
        std::fputs(cli::HelpText().c_str(), stdout);
        return kAllStamped;
    }
    if (options.version) {
        std::puts(cli::kVersionText);
        return kAllStamped;
    }
    if (options.files.empty() && !options.keys) return UsageError(err, "PDFファイルが指定されていません");
    fs::SetSyncEnabled(!options.noSync);

    std::string iniPath = options.settingsPath.empty() ? IniPath() : options.settingsPath;
    std::error_code error;
    if (!options.settingsPath.empty() && !std::filesystem::is_regular_file(iniPath, error))
        return UsageError(err, "設定ファイルがありません: " + iniPath);
    StampSettings stamp;
    AppSettings app;
    if (!LoadRunSettings(iniPath, options.overrides, stamp, app, reason)) return UsageError(err, reason);
    if (options.noRepair) app.Repair = false;
    if (options.allowCertified) app.AllowCertified = true;
    if (options.keys) {
        std::fputs(cli::KeysText(stamp, app).c_str(), stdout);
        return kAllStamped;
    }
    // A combination the settings sheet never lets through would draw garbage.
    const std::string changes = ApplyAutoFontChanges(stamp);
    if (!changes.empty()) err.WriteLine(cli::TerminalLineBreaks(changes));

    Passwords passwords;
    if (!cli::ResolvePasswords(options.password, options.ownerPassword, stdin, ::isatty(STDIN_FILENO) == 1,
                               passwords))
        return UsageError(err, "パスワードを標準入力から読めませんでした");
    cli::TerminalPrompts prompts(err, stdin, ::isatty(STDIN_FILENO) == 1, options.yes);
    cli::TerminalProgress progress(err, options.quiet);
    int skipped = 0;
    const std::vector<BatchRow> rows = CollectRows(options.files, passwords, prompts, skipped);
    BatchRun run(stamp, app, prompts, progress);
    run.SetPasswords(passwords);
    const BatchOutcome outcome = run.OnRun(rows);
    return ExitStatus(outcome, prompts, skipped);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return Main(arguments);
}
