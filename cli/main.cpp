// sigilry-cli: the run command of the desktop program without a window.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/BatchRun.h"
#include "app/FileList.h"
#include "app/FileRecord.h"
#include "app/MessageLog.h"
#include "app/RunSettings.h"
#include "cli/CliArguments.h"
#include "cli/EraseCommand.h"
#include "cli/ExitStatus.h"
#include "cli/KeysText.h"
#include "cli/PasswordInput.h"
#include "cli/RunReport.h"
#include "cli/Terminal.h"
#include "engine/OutputFolder.h"
#include "platform/CodeNumber.h"
#include "platform/DurableFile.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/SjisText.h"
#include "platform/Translation.h"
#include "render/HeaderFooterItem.h"
#include "settings/IniPath.h"

namespace {

using namespace sgry;

using cli::ExitStatus;

ExitStatus UsageError(cli::ErrorStream& err, const std::string& reason) {
    err.WriteLine("sigilry-cli: " + reason);
    err.WriteLine(Translate("Run sigilry-cli --help for usage"));
    return ExitStatus::UsageError;
}

// The file arguments as the run's rows. A file that is not added is counted
// as skipped and, with a report, recorded with the messages shown for it.
class RowCollector {
public:
    RowCollector(FileList& list, MessageLog& log, FileRecordSink* sink) : list_(list), log_(log), sink_(sink) {}

    // Every file argument, list files expanded in place; the rows come back
    // in the order given.
    std::vector<BatchRow> Collect(const std::vector<cli::FileArgument>& files) {
        for (const cli::FileArgument& file : files) {
            if (file.kind == cli::FileArgument::Kind::Pdf) {
                Add(file.path);
                continue;
            }
            std::vector<std::string> paths;
            const auto started = std::chrono::steady_clock::now();
            log_.Take();
            if (!FileList::ReadListPaths(file.path, paths)) {
                log_.ShowMessage(Format(list_message::kCannotOpen, file.path));
                NotAdded(file.path, FileOutcome::Skipped, JobError::Open, started);
                continue;
            }
            for (const std::string& path : paths) Add(path);
        }
        // Every new row goes on top: the oldest row is the last.
        std::vector<BatchRow> rows;
        for (auto row = list_.Rows().rbegin(); row != list_.Rows().rend(); ++row) rows.push_back({row->path, row->checked});
        return rows;
    }
    int Skipped() const { return skipped_; }

private:
    void Add(const std::string& path) {
        const auto started = std::chrono::steady_clock::now();
        log_.Take();
        if (!list_.AddFileToList(path)) NotAdded(path, PassedOverOutcome(list_.LastError()), list_.LastError(), started);
    }

    void NotAdded(const std::string& path, FileOutcome outcome, JobError code,
                  std::chrono::steady_clock::time_point started) {
        ++skipped_;
        if (!sink_) return;
        FileRecord record;
        record.source = path;
        record.outcome = outcome;
        record.code = CodeNumber(code);
        record.message = log_.Take();
        record.seconds = SecondsSince(started);
        sink_->Record(record);
    }

    FileList& list_;
    MessageLog& log_;
    FileRecordSink* sink_;
    int skipped_ = 0;
};

ExitStatus RunStatus(const BatchOutcome& outcome, const cli::TerminalPrompts& prompts, int skipped) {
    switch (outcome.status) {
        case BatchOutcome::Status::ImageRefused:
            return ExitStatus::UsageError;
        case BatchOutcome::Status::Declined:
            return prompts.NoTerminal() ? ExitStatus::UsageError : ExitStatus::SomeNotDone;
        case BatchOutcome::Status::NoFiles:
            return ExitStatus::SomeNotDone;
        case BatchOutcome::Status::Ran:
            break;
    }
    const bool all = skipped == 0 && !outcome.cancelled && outcome.succeeded == outcome.toProcess;
    return all ? ExitStatus::AllDone : ExitStatus::SomeNotDone;
}

// After a run with Bates numbers: the next free number on standard error,
// and, when asked for, in the settings file and the production record.
// False when one of them could not be written.
bool FinishBates(const cli::CliArguments& options, const std::string& iniPath, const StampSettings& stamp,
                 const BatchRun& run, const BatchOutcome& outcome, cli::ErrorStream& err) {
    err.WriteLine(Format(bates_message::kNext, sjis::ToUtf8(BatesNumberText(stamp, outcome.batesNext))));
    bool written = true;
    if (options.saveNext) {
        IniFile ini(iniPath);
        ini.SetSection(stamp.Section);
        if (!ini.PutString("BatesStart", Format("%lld", outcome.batesNext))) {
            err.WriteLine(Format(Translate("Cannot write to the settings file: %s"), iniPath));
            written = false;
        }
    }
    if (options.batesRecord.empty()) return written;
    const std::string text = BatesRecordText(stamp, run.Records());
    if (options.batesRecord == "-") {
        std::fputs(text.c_str(), stdout);
        std::fflush(stdout);
    } else if (!fs::ReplaceFileContents(options.batesRecord, text)) {
        err.WriteLine(cli::TerminalLineBreaks(Format(bates_message::kRecordFailed, options.batesRecord)));
        written = false;
    }
    return written;
}

// The run over the files given, into the output folder when one is given,
// with a report when one is asked for.
ExitStatus StampFiles(const cli::CliArguments& options, const std::string& iniPath, const StampSettings& stamp,
                      const AppSettings& app, const Passwords& passwords, cli::ErrorStream& err) {
    std::string reason;
    cli::RunReport report;
    if (!options.report.path.empty() && !report.Open(options.report, reason)) return UsageError(err, reason);
    FileRecordSink* sink = options.report.path.empty() ? nullptr : &report;
    cli::TerminalPrompts prompts(err, stdin, ::isatty(STDIN_FILENO) == 1, options.yes);
    MessageLog log(prompts);
    cli::TerminalProgress progress(err, options.quiet);
    FileList list(log);
    list.SetPasswords(passwords);
    std::optional<OutputFolder> folder;
    if (!options.outputDir.empty()) {
        folder.emplace(OutputFolder::Options{options.outputDir, options.keepTree, options.prefix, options.force});
        list.SetLockAccess(fs::LockAccess::ReadOnly);
    }
    RowCollector collector(list, log, sink);
    const std::vector<BatchRow> rows = collector.Collect(options.files);
    BatchRun run(stamp, app, prompts, progress);
    run.SetPasswords(passwords);
    run.SetRecordSink(sink);
    if (folder) run.SetOutputFolder(&*folder);
    const BatchOutcome outcome = run.OnRun(rows);
    const ExitStatus status = RunStatus(outcome, prompts, collector.Skipped());
    if (outcome.status != BatchOutcome::Status::Ran || !outcome.bates) return status;
    return FinishBates(options, iniPath, stamp, run, outcome, err) ? status : ExitStatus::SomeNotDone;
}

ExitStatus Main(const std::vector<std::string>& arguments) {
    cli::ErrorStream err(stderr, ::isatty(STDERR_FILENO) == 1);
    if (!arguments.empty() && arguments.front() == cli::kEraseOption)
        return cli::RunEraseCommand({arguments.begin() + 1, arguments.end()}, err);
    cli::CliArguments options;
    std::string reason;
    if (!cli::ParseArguments(arguments, options, reason)) return UsageError(err, reason);
    if (options.help) {
        std::fputs(cli::HelpText().c_str(), stdout);
        return ExitStatus::AllDone;
    }
    if (options.version) {
        std::puts(cli::kVersionText);
        return ExitStatus::AllDone;
    }
    if (options.files.empty() && !options.keys) return UsageError(err, Translate("No PDF files given"));
    fs::SetSyncEnabled(!options.noSync);

    std::string iniPath = options.settingsPath.empty() ? IniPath() : options.settingsPath;
    std::error_code error;
    if (!options.settingsPath.empty() && !std::filesystem::is_regular_file(iniPath, error))
        return UsageError(err, Format(Translate("Settings file not found: %s"), iniPath));
    StampSettings stamp;
    AppSettings app;
    if (!LoadRunSettings(iniPath, options.overrides, stamp, app, reason)) return UsageError(err, reason);
    if (options.noRepair) app.Repair = false;
    if (options.allowCertified) app.AllowCertified = true;
    if (options.keys) {
        std::fputs(cli::KeysText(stamp, app).c_str(), stdout);
        return ExitStatus::AllDone;
    }
    // A combination the settings sheet never lets through would draw garbage.
    const std::string changes = ApplyAutoFontChanges(stamp);
    if (!changes.empty()) err.WriteLine(cli::TerminalLineBreaks(changes));

    Passwords passwords;
    if (!cli::ResolvePasswords(options.password, options.ownerPassword, stdin, ::isatty(STDIN_FILENO) == 1,
                               passwords))
        return UsageError(err, Translate("Could not read the password from standard input"));
    return StampFiles(options, iniPath, stamp, app, passwords, err);
}

}  // namespace

int main(int argc, char** argv) {
    // The messages speak the locale's language; the stamps never depend on it.
    sgry::UseLanguage(sgry::LanguageFromEnvironment(), sgry::CatalogueFolder());
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return CodeNumber(Main(arguments));
}
