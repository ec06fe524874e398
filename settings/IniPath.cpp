#include "settings/IniPath.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/ExePath.h"
#include "platform/FileSystem.h"

namespace sgry {

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

bool IsAbsolute(const std::string& path) { return !path.empty() && path.front() == '/'; }

// An existing file must be writable itself; a missing one needs a writable
// folder to be created in.
bool SystemCanWrite(const std::string& iniPath) {
    if (access(iniPath.c_str(), F_OK) == 0) return access(iniPath.c_str(), W_OK) == 0;
    const std::string folder = fs::SplitPath(iniPath).folder;
    return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

// A program installed by the system's package manager lives under /usr; a
// settings file written beside it (as root can) would belong to no package.
bool IsInstalledBySystem(const std::string& exeFolder) { return exeFolder.rfind("/usr/", 0) == 0; }

}  // namespace

std::string IniPathFor(const std::string& exeFolder) { return exeFolder + kIniFileName; }

IniEnvironment IniEnvironment::System() {
    return IniEnvironment{SystemCanWrite, EnvironmentValue("XDG_CONFIG_HOME"), EnvironmentValue("HOME")};
}

std::string UserIniPath(const IniEnvironment& environment) {
    // The base directory rules ask to ignore a relative XDG_CONFIG_HOME.
    std::string config;
    if (IsAbsolute(environment.xdgConfigHome))
        config = environment.xdgConfigHome;
    else if (IsAbsolute(environment.home))
        config = environment.home + (environment.home.back() == '/' ? ".config" : "/.config");
    else
        return std::string();
    if (config.back() != '/') config += '/';
    return config + kUserIniFolderName + "/" + kIniFileName;
}

std::string IniPathFor(const std::string& exeFolder, const IniEnvironment& environment) {
    const std::string beside = IniPathFor(exeFolder);
    if (!IsInstalledBySystem(exeFolder) && environment.canWrite && environment.canWrite(beside)) return beside;
    const std::string user = UserIniPath(environment);
    return user.empty() ? beside : user;
}

std::string IniPath() { return IniPathFor(ExeFolder(), IniEnvironment::System()); }

bool PrepareIniFolder(const std::string& iniPath) {
    const std::string folder = fs::SplitPath(iniPath).folder;
    if (folder.empty()) return true;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    return !error && std::filesystem::is_directory(folder, error);
}

}  // namespace sgry
