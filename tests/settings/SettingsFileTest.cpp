// The settings file: every key loaded and saved, values read into range and
// escaped; and where the file goes when the program's own folder cannot be
// written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "settings/IniPath.h"
#include "settings/SettingsFile.h"
#include "settings/ValueEscape.h"
#include "support/Manifest.h"
#include "support/Sanitized.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

std::string Data(const std::string& name) {
    return ScratchDir::Read(std::string(SIGILRY_SOURCE_DIR) + "/tests/data/settings/" + name);
}

class SettingsFileTest : public ::testing::Test {
protected:
    void Given(const std::string& bytes) { ScratchDir::Write(path_, bytes); }
    std::string Bytes() const { return ScratchDir::Read(path_); }
    StampSettings LoadedStamp() const {
        StampSettings s;
        LoadSettings(path_, s);
        return s;
    }
    AppSettings LoadedApp() const {
        AppSettings app;
        LoadSettings(path_, app);
        return app;
    }
    // Every field away from its default, read from tests/data/settings/changed.ini.
    StampSettings Changed() {
        Given(Data("changed.ini"));
        return LoadedStamp();
    }

    ScratchDir dir_{"settings"};
    std::string path_ = dir_.File("sgry.ini");
};

TEST_F(SettingsFileTest, FreshStartWithoutFileKeepsTheDefaults) {
    const StampSettings stamp = LoadedStamp();
    const AppSettings app = LoadedApp();
    EXPECT_EQ(stamp, StampSettings());
    EXPECT_EQ(app, AppSettings());
    // A margin index outside the four is no margin.
    EXPECT_EQ(MarginPoints(stamp, -1), 0.0f);
    EXPECT_EQ(MarginPoints(stamp, kMarginCount), 0.0f);
    EXPECT_GT(MarginPoints(stamp, kMarginTop), 0.0f);
}

TEST_F(SettingsFileTest, SavingTheDefaultsWritesEveryKeyInOrder) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_TRUE(SaveSettings(path_, StampSettings()));
    EXPECT_TRUE(SaveSettings(path_, AppSettings()));
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(Bytes(), Data("defaults.ini"));
}

TEST_F(SettingsFileTest, EveryFieldSurvivesLoadAndSave) {
    const StampSettings changed = Changed();
    const AppSettings app = LoadedApp();
    EXPECT_TRUE(app.Undo);
    EXPECT_FALSE(app.Repair);
    EXPECT_EQ(app.Language, UiLanguage::Japanese);
    std::filesystem::remove(path_);
    ASSERT_TRUE(SaveSettings(path_, changed));
    ASSERT_TRUE(SaveSettings(path_, app));
    EXPECT_EQ(Bytes(), Data("changed.ini"));
}

TEST_F(SettingsFileTest, SavingAgainReplacesValuesInPlace) {
    const StampSettings changed = Changed();
    Given("; kept\r\n[OptionList1]\r\nUnknown=kept too\r\nQRVersion=3\r\n");
    ASSERT_TRUE(SaveSettings(path_, StampSettings()));
    ASSERT_TRUE(SaveSettings(path_, changed));
    const std::string bytes = Bytes();
    EXPECT_EQ(bytes.rfind("; kept\r\n[OptionList1]\r\nUnknown=kept too\r\nQRVersion=40\r\n", 0), 0u);
    EXPECT_EQ(bytes.find("QRVersion=", bytes.find("QRVersion=") + 1), std::string::npos) << "no second copy";
    EXPECT_EQ(LoadedStamp(), changed);
}

// The rows of tests/data/settings/load-save.tsv: forms and ranges of values.
TEST_F(SettingsFileTest, ValuesAreReadIntoRangeAndSavedAsListed) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("settings/load-save.tsv");
    ASSERT_GT(rows.size(), 40u);
    for (const test::ManifestRow& row : rows) {
        Given(row[0].starts_with("[") ? row[0] + "\r\n" : "[OptionList1]\r\n" + row[0] + "\r\n");
        const StampSettings stamp = LoadedStamp();
        const AppSettings app = LoadedApp();
        std::filesystem::remove(path_);
        ASSERT_TRUE(SaveSettings(path_, stamp) && SaveSettings(path_, app));
        EXPECT_NE(Bytes().find("\r\n" + row[1] + "\r\n"), std::string::npos)
            << "load-save.tsv line " << row.line << ": " << row[1];
    }
}

TEST_F(SettingsFileTest, EmptyValueKeepsWhatTheFieldHolds) {
    const StampSettings changed = Changed();
    Given("[OptionList1]\r\nbWmText=\r\nMargin0=\r\nQRString=\r\n");
    StampSettings s = changed;
    LoadSettings(path_, s);
    EXPECT_EQ(s, changed);
}

TEST_F(SettingsFileTest, ClearedTextReturnsToItsDefaultAtTheNextStart) {
    StampSettings s;
    s.bWmText.clear();
    ASSERT_TRUE(SaveSettings(path_, s));
    EXPECT_NE(Bytes().find("\r\nbWmText=\r\n"), std::string::npos);
    EXPECT_EQ(LoadedStamp().bWmText, "Sample");
}

TEST_F(SettingsFileTest, MultiLineQrMessageSurvivesSaveAndLoad) {
    StampSettings s;
    s.QRString = "BEGIN:VCARD\r\nFN:\x8E\x52\x93\x63\r\nNOTE:a\nb\rc\r\n\r\nEND:VCARD\r\n";  // 山田
    ASSERT_TRUE(SaveSettings(path_, s));
    const std::string bytes = Bytes();
    EXPECT_NE(bytes.find("\r\nQRString=BEGIN:VCARD\xFFr\xFFnFN:"), std::string::npos);
    EXPECT_NE(bytes.find("END:VCARD\xFFr\xFFn\r\nQRPosition=8\r\n"), std::string::npos)
        << "the message stays on its own line";
    EXPECT_EQ(LoadedStamp().QRString, s.QRString);
}

TEST_F(SettingsFileTest, RefusedWriteIsReportedAndHarmless) {
    const std::string missing = dir_.File("no-such-folder/sgry.ini");
    EXPECT_FALSE(SaveSettings(missing, StampSettings()));
    EXPECT_FALSE(SaveSettings(missing, AppSettings()));
}

// Lines of a megabyte: every other key still loads, and loading stays
// linear in the size of the file.
TEST_F(SettingsFileTest, MegabyteLinesDoNotDisturbTheOtherKeys) {
    const size_t lineBytes = test::kSanitized ? 1u << 16 : 1u << 20;
    Given("[OptionList1]\r\n" + std::string(lineBytes, 'j') + "\r\nbWmText=" + std::string(lineBytes, 'b') +
          "\r\nQRVersion=7\r\nWaterMarkDensity=400\r\n[App]\r\nOutput=2\r\n");
    const StampSettings stamp = LoadedStamp();
    const AppSettings app = LoadedApp();
    EXPECT_EQ(stamp.QRVersion, 7);
    EXPECT_EQ(stamp.WaterMarkDensity, 100);
    EXPECT_EQ(app.Output, OutputMode::Overwrite);
    EXPECT_EQ(stamp.bWmText, std::string(lineBytes, 'b'));
}

// The rows of tests/data/settings/escape.tsv: only what a plain line would
// change is escaped.
TEST(ValueEscapeTest, EscapesOnlyWhatAPlainLineWouldChange) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("settings/escape.tsv");
    ASSERT_GT(rows.size(), 10u);
    for (const test::ManifestRow& row : rows) {
        EXPECT_EQ(EscapeValue(row[1]), row[2]) << row[0];
        EXPECT_EQ(UnescapeValue(row[2]), row[1]) << row[0];
    }
}

TEST(ValueEscapeTest, EveryByteSurvivesTheRoundTripAndStrayEscapesReadAsTheyStand) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(UnescapeValue(EscapeValue(all)), all);
    EXPECT_EQ(UnescapeValue(EscapeValue(all + all)), all + all);
    EXPECT_EQ(UnescapeValue("a\xFFq"), "a\xFFq");
    EXPECT_EQ(UnescapeValue("end\xFF"), "end\xFF");
    EXPECT_EQ(UnescapeValue("\xFFx\xFFn"), "\xFFx\n");
}

struct LocationRow { const char* name; bool besideWritable; const char* xdg, *home, *expected; };

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
    // Beside the program, wherever it is.
    EXPECT_EQ(IniPathFor("/opt/tools/"), "/opt/tools/sgry.ini");
    EXPECT_EQ(IniPathFor("/"), "/sgry.ini");
    EXPECT_EQ(IniPathFor(""), "sgry.ini") << "an unknown folder gives the current one";
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
    // The test program lives in the build folder, which can be written; the
    // program's folder is found through /proc/self/exe.
    EXPECT_EQ(IniPath(),
              IniPathFor(std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/"));
}

}  // namespace
}  // namespace sgry
