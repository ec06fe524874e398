#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "settings/IniPath.h"
#include "settings/SettingsFile.h"
#include "support/Manifest.h"
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
    // Every field away from its default, read from tests/data/settings/changed.ini.
    StampSettings Changed() {
        Given(Data("changed.ini"));
        return LoadedStamp();
    }

    ScratchDir dir_{"settings"};
    std::string path_ = dir_.File("sgry.ini");
};

TEST_F(SettingsFileTest, FreshStartWithoutFileKeepsTheDefaults) {
    StampSettings stamp;
    AppSettings app;
    LoadSettings(path_, stamp);
    LoadSettings(path_, app);
    EXPECT_EQ(stamp, StampSettings());
    EXPECT_EQ(app, AppSettings());
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
    AppSettings app;
    LoadSettings(path_, app);
    EXPECT_TRUE(app.Undo);
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
        StampSettings stamp;
        AppSettings app;
        LoadSettings(path_, stamp);
        LoadSettings(path_, app);
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

TEST(IniPathTest, SettingsFileBesideTheExecutable) {
    EXPECT_EQ(IniPathFor("/opt/tools/"), "/opt/tools/sgry.ini");
    EXPECT_EQ(IniPathFor("/"), "/sgry.ini");
    EXPECT_EQ(IniPathFor(""), "sgry.ini") << "an unknown folder gives the current one";
}

}  // namespace
}  // namespace sgry
