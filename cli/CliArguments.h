#pragma once
// The command line of sigilry-cli:
//   sigilry-cli [--settings FILE] [--list FILE.lst]... [--set KEY=VALUE]...
//               [--password PW] [--owner-password PW|-]
//               [--output-dir DIR [--keep-tree] [--prefix] [--force]]
//               [--report FILE|- [--report-format tsv|json]]
//               [--save-next] [--bates-record FILE|-]
//               [--yes] [--quiet] [--no-sync] [--no-repair] [--allow-certified] [PDF...]
//   sigilry-cli [--settings FILE] [--set KEY=VALUE]... --keys
//   sigilry-cli --help | --version
#include <string>
#include <vector>

#include "app/RunSettings.h"
#include "cli/RunReport.h"

namespace sgry::cli {

// A PDF path or a list file, in the order given.
struct FileArgument {
    enum class Kind { Pdf, ListFile };
    Kind kind;
    std::string path;
};

struct CliArguments {
    bool help = false;
    bool version = false;
    bool keys = false;  // list the settings keys instead of stamping
    bool yes = false;
    bool quiet = false;
    bool noSync = false;  // outputs are not synced to the disk (unsafe)
    bool noRepair = false;  // files whose cross-reference data must be rebuilt are refused
    bool allowCertified = false;  // certified files are stamped, breaking their certification
    std::string settingsPath;  // "" = the desktop program's settings file
    std::string password;       // user password of encrypted files ("-": read from standard input)
    std::optional<std::string> ownerPassword;  // of encrypted files ("-": read from standard input; "" counts)
    std::vector<SettingOverride> overrides;
    std::vector<FileArgument> files;
    // Every output a copy in this folder, whatever the output mode ("" = the
    // output mode's); the three switches only go with it.
    std::string outputDir;
    bool keepTree = false;  // the sources' folders below their common folder
    bool prefix = false;    // "_" before each output's name
    bool force = false;     // files of the folder may be replaced
    ReportOptions report;
    // With Bates numbers: the next free number is written to the settings
    // file as BatesStart (the only key ever written), and the production
    // record to this path ("" none, "-" standard output).
    bool saveNext = false;
    std::string batesRecord;
};

// False with a reason (UTF-8) for a usage error.
// "--option VALUE" or "--option=VALUE" at arguments[i] (i moves past the
// value); false with reason when the value is missing.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& option,
               std::string& value, std::string& reason);
bool IsOption(const std::string& argument, const std::string& option);

bool ParseArguments(const std::vector<std::string>& arguments, CliArguments& out, std::string& reason);

// The text of --help.
std::string HelpText();

inline constexpr const char* kVersionText = "Sigilry ver1.08";

}  // namespace sgry::cli
