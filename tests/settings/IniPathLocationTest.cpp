// Where the settings file goes when the program's own folder cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "settings/IniPath.h"
#include "settings/SettingsFile.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

struct LocationRow {
    const char* name;
    bool besideWritable;
    const char* xdg;
    const char* home;
    const char* expected;
};

TEST(IniPathLocationTest, BesideTheProgramWhenWritableElseTheUsersFolder) {
    const LocationRow rows[] = {
        {"writable program folder", true, "/x/config", "/home/u", "/opt/app/sgry.ini"},
        {"installed, XDG set", false, "/x/config", "/home/u", "/x/config/sigilry/sgry.ini"},
        {"installed, XDG with slash", false, "/x/config/", "/home/u", "/x/config/sigilry/sgry.ini"},
        {"installed, XDG unset", false, "", "/home/u", "/home/u/.config/sigilry/sgry.ini"},
        {"installed, XDG relative", false, "config", "/home/u", "/home/u/.config/sigilry/sgry.ini"},
        {"installed, home is root", false, "", "/", "/.config/sigilry/sgry.ini"},
        {"installed, no folder known", false, "", "", "/opt/app/sgry.ini"},
    };
    for (const LocationRow& row : rows) {
        std::string probed;
        IniEnvironment environment{[&](const std::string& path) {
                                       probed = path;
                                       return row.besideWritable;
                                   },
                                   row.xdg, row.home};
        EXPECT_EQ(IniPathFor("/opt/app/", environment), row.expected) << row.name;
        EXPECT_EQ(probed, "/opt/app/sgry.ini") << row.name;
    }
    // A packaged program (as root, its folder is writable) keeps no file beside itself.
    const IniEnvironment writable{[](const std::string&) { return true; }, "", "/root"};
    EXPECT_EQ(IniPathFor("/usr/bin/", writable), "/root/.config/sigilry/sgry.ini");
}

// The real checks on the file system: a read-only folder, a read-only file.
TEST(IniPathLocationTest, SystemProbeSeesReadOnlyFoldersAndFiles) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes everywhere";
    test::ScratchDir dir("inipath");
    const std::string program = dir.File("bin") + "/";
    std::filesystem::create_directories(program);
    IniEnvironment environment = IniEnvironment::System();
    environment.xdgConfigHome = dir.File("config");

    EXPECT_EQ(IniPathFor(program, environment), program + "sgry.ini");
    test::ScratchDir::Write(program + "sgry.ini", "[App]\r\n");
    chmod((program + "sgry.ini").c_str(), 0444);
    EXPECT_EQ(IniPathFor(program, environment), dir.File("config") + "/sigilry/sgry.ini");
    chmod((program + "sgry.ini").c_str(), 0644);
    std::filesystem::remove(program + "sgry.ini");
    chmod(program.c_str(), 0555);
    EXPECT_EQ(IniPathFor(program, environment), dir.File("config") + "/sigilry/sgry.ini");
    chmod(program.c_str(), 0755);
}

TEST(IniPathLocationTest, SettingsSurviveInTheUsersFolderCreatedOnFirstSave) {
    test::ScratchDir dir("inipath");
    IniEnvironment environment{[](const std::string&) { return false; }, dir.File("config"), ""};
    const std::string path = IniPathFor("/opt/app/", environment);
    ASSERT_EQ(path, dir.File("config") + "/sigilry/sgry.ini");
    ASSERT_FALSE(std::filesystem::exists(dir.File("config")));

    ASSERT_TRUE(PrepareIniFolder(path));
    AppSettings saved;
    saved.Output = OutputMode::Overwrite;
    ASSERT_TRUE(SaveSettings(path, saved));
    AppSettings loaded;
    LoadSettings(path, loaded);
    EXPECT_EQ(loaded.Output, OutputMode::Overwrite);
    EXPECT_TRUE(PrepareIniFolder("sgry.ini"));  // the current folder needs nothing
}

TEST(IniPathLocationTest, RunningProgramInAWritableFolderKeepsItsFileBesideIt) {
    // The test program lives in the build folder, which can be written.
    EXPECT_EQ(IniPath(),
              IniPathFor(std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/"));
}

}  // namespace
}  // namespace sgry
