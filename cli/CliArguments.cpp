#include "cli/CliArguments.h"

#include "platform/Format.h"
#include "platform/Translation.h"

namespace sgry::cli {

bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& option,
               std::string& value, std::string& reason) {
    const std::string& argument = arguments[i];
    if (argument.size() > option.size() && argument[option.size()] == '=') {
        value = argument.substr(option.size() + 1);
        return true;
    }
    if (i + 1 >= arguments.size()) {
        reason = Format(Translate("%s needs a value"), option);
        return false;
    }
    value = arguments[++i];
    return true;
}

bool IsOption(const std::string& argument, const std::string& option) {
    return argument == option || argument.starts_with(option + "=");
}

namespace {

// Options that mean nothing without the one they belong to, and two tables
// that cannot share standard output.
bool CheckCombinations(const CliArguments& out, std::string& reason) {
    for (const auto& [given, name] : {std::pair{out.keepTree, "--keep-tree"}, std::pair{out.prefix, "--prefix"},
                                      std::pair{out.force, "--force"}})
        if (given && out.outputDir.empty())
            reason = Format(Translate("%s works only together with --output-dir"), name);
    if (out.report.formatGiven && out.report.path.empty())
        reason = Translate("--report-format works only together with --report");
    if (out.report.path == "-" && out.batesRecord == "-")
        reason = Translate("--report and --bates-record cannot both write to standard output (-)");
    return reason.empty();
}

}  // namespace

bool ParseArguments(const std::vector<std::string>& arguments, CliArguments& out, std::string& reason) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            out.files.push_back({FileArgument::Kind::Pdf, argument});
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (argument == "--help" || argument == "-h") {
            out.help = true;
        } else if (argument == "--version") {
            out.version = true;
        } else if (argument == "--keys") {
            out.keys = true;
        } else if (argument == "--yes" || argument == "-y") {
            out.yes = true;
        } else if (argument == "--quiet" || argument == "-q") {
            out.quiet = true;
        } else if (argument == "--no-sync") {
            out.noSync = true;
        } else if (argument == "--no-repair") {
            out.noRepair = true;
        } else if (argument == "--keep-tree") {
            out.keepTree = true;
        } else if (argument == "--prefix") {
            out.prefix = true;
        } else if (argument == "--force") {
            out.force = true;
        } else if (IsOption(argument, "--output-dir") || IsOption(argument, "-o")) {
            if (!TakeValue(arguments, i, IsOption(argument, "-o") ? "-o" : "--output-dir", out.outputDir, reason))
                return false;
            if (out.outputDir.empty()) {
                reason = Translate("--output-dir needs the output folder");
                return false;
            }
        } else if (IsReportOption(argument)) {
            if (!TakeReportOption(arguments, i, out.report, reason)) return false;
        } else if (argument == "--save-next") {
            out.saveNext = true;
        } else if (IsOption(argument, "--bates-record")) {
            if (!TakeValue(arguments, i, "--bates-record", out.batesRecord, reason)) return false;
        } else if (argument == "--allow-certified") {
            out.allowCertified = true;
        } else if (IsOption(argument, "--settings")) {
            if (!TakeValue(arguments, i, "--settings", out.settingsPath, reason)) return false;
        } else if (IsOption(argument, "--owner-password")) {
            if (!TakeValue(arguments, i, "--owner-password", out.ownerPassword.emplace(), reason)) return false;
        } else if (IsOption(argument, "--password")) {
            if (!TakeValue(arguments, i, "--password", out.password, reason)) return false;
        } else if (IsOption(argument, "--list")) {
            if (!TakeValue(arguments, i, "--list", value, reason)) return false;
            out.files.push_back({FileArgument::Kind::ListFile, value});
        } else if (IsOption(argument, "--set")) {
            SettingOverride setting;
            if (!TakeValue(arguments, i, "--set", value, reason) || !ParseOverride(value, setting, reason))
                return false;
            out.overrides.push_back(setting);
        } else {
            reason = Format(Translate("Unknown option: %s"), argument);
            return false;
        }
    }
    return CheckCombinations(out, reason);
}

std::string HelpText() {
    return "Usage: sigilry-cli [--settings FILE] [--list FILE.lst]... [--set KEY=VALUE]...\n"
           "                   [--password PW] [--owner-password PW|-]\n"
           "                   [--output-dir DIR [--keep-tree] [--prefix] [--force]]\n"
           "                   [--report FILE|- [--report-format tsv|json]]\n"
           "                   [--save-next] [--bates-record FILE|-]\n"
           "                   [--yes] [--quiet] [--no-sync] [--no-repair] [--allow-certified]\n"
           "                   [PDF...]\n"
           "       sigilry-cli [--settings FILE] [--set KEY=VALUE]... --keys\n"
           "       sigilry-cli --erase [--report FILE|- [--report-format tsv|json]] PDF...\n"
           "\n"
           "Stamps every PDF given (and every path of the list files), in the order given,\n"
           "with the stamps of the settings file, as the desktop program's run command does.\n"
           "\n"
           "  --settings FILE    settings file to read (default: the desktop program's sgry.ini);\n"
           "                     it is never written, but for --save-next\n"
           "  --list FILE.lst    add the paths of a list file, one per line\n"
           "  --set KEY=VALUE    replace one key of section OptionList1 or App for this run;\n"
           "                     VALUE is UTF-8 and is stored as Shift-JIS; a value the key\n"
           "                     does not allow is a usage error\n"
           "  --keys             list every key --set accepts, one a line, tab-separated:\n"
           "                     section, key, value in effect, allowed values, default\n"
           "  --password PW      user password of encrypted PDFs (\"-\": read a line from\n"
           "                     standard input, not echoed)\n"
           "  --owner-password PW  owner password of encrypted PDFs whose author forbids\n"
           "                     changes (\"-\": read a line from standard input, not echoed)\n"
           "  --output-dir DIR, -o DIR  write every output into DIR under the source's own\n"
           "                     name, whatever Output says; DIR is created when missing;\n"
           "                     the sources are only read, never changed\n"
           "  --keep-tree        keep the sources' folders below their common folder in DIR\n"
           "  --prefix           put \"_\" before each output's name in DIR\n"
           "  --force            replace files of the same name in DIR (without it such a\n"
           "                     file is skipped with a message)\n"
           "  --report FILE      write one line per file, in the order processed, as each\n"
           "                     file's outcome is final (\"-\": standard output), tab-separated\n"
           "                     with a header: source, output, outcome (stamped, erased,\n"
           "                     refused, failed, skipped, cancelled), code, message,\n"
           "                     pages, seconds\n"
           "  --report-format tsv|json  the report as tab-separated lines (default) or as\n"
           "                     JSON Lines\n"
           "  --save-next        with Bates numbers (StylePageType=4): write the next free\n"
           "                     number to the settings file as BatesStart, so that the\n"
           "                     next run continues the production (the one key written)\n"
           "  --bates-record FILE  with Bates numbers: write the production record, one line\n"
           "                     per file, tab-separated with a header: source, output,\n"
           "                     first, last, pages, outcome (\"-\": standard output)\n"
           "  --yes, -y          do not ask for confirmation (needed without a terminal)\n"
           "  --quiet, -q        show no progress\n"
           "  --no-sync          UNSAFE: do not wait for outputs to reach the disk; a power\n"
           "                     loss may then lose or tear them (for throw-away outputs)\n"
           "  --no-repair        refuse files whose cross-reference data are damaged instead\n"
           "                     of rebuilding them (same as --set Repair=False)\n"
           "  --allow-certified  stamp certified PDFs too, which breaks their certification\n"
           "                     (same as --set AllowCertified=True); without it they are\n"
           "                     refused. Signed PDFs are stamped: each signature stays valid\n"
           "                     for the version it signed, and readers list the stamp as a\n"
           "                     change made after signing\n"
           "  --help, -h         show this text\n"
           "  --version          show the version\n"
           "\n"
           "Messages go to standard error. Exit status: 0 every file was stamped,\n"
           "1 a file failed or was skipped, 2 a usage error or a refused watermark image.\n"
           "With output mode 1 (Output=1) each output name is read from standard input;\n"
           "an empty answer skips the file.\n"
           "\n"
           "SIGINT (Ctrl-C), SIGTERM and SIGHUP cancel the run: the file being stamped is\n"
           "finished, no further file is begun; a second signal ends the program at once.\n"
           "A file whose update was torn that way (or by a kill or a power loss) is cut\n"
           "back to its state before the update by the next run or --erase, which says so;\n"
           "a copy is never left under its output name unless it is complete.\n"
           "\n"
           "--erase removes from each PDF the last stamp written in the erasable form\n"
           "(Undo=True), when the file before it is a complete PDF; otherwise the file is\n"
           "left unchanged. Exit status: 0 every file was erased, 1 a file was refused.\n";
}

}  // namespace sgry::cli
