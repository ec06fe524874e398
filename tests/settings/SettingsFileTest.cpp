#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "settings/IniPath.h"
#include "settings/SettingsFile.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

std::string SlotLines(int index, const char* customText = "") {
    const std::string p = "HF" + std::to_string(index) + "_";
    return p + "StyleColor=0\r\n" + p + "StylePointSize=105\r\n" + p + "CustomText=" + customText + "\r\n" +
           p + "StyleDateType=0\r\n" + p + "StylePageType=0\r\n" + p + "StyleType=0\r\n" + p +
           "FontName=Courier\r\n" + p + "FontIsBold=False\r\n" + p + "FontIsItalic=False\r\n";
}

// The settings file that a fresh start writes at exit, key by key.
std::string DefaultFile() {
    return "[OptionList1]\r\n"
           "WaterMarkType=0\r\nWaterMarkPosition=4\r\nWaterMarkColor=0\r\nWaterMarkDensity=30\r\n"
           "WaterMarkMargin=True\r\nWaterMarkFont=Courier\r\nWawterMarkDiagonal=False\r\n"
           "ImageFileName=\r\nImagePosition=4\r\nImageDensity=30\r\nImageMargin=True\r\n"
           "QRIsValid=False\r\nQRString=\r\nQRPosition=8\r\nQRIsVersionAuto=True\r\nQRVersion=10\r\n"
           "QRECLevel=3\r\nQRPhone=True\r\nQRMarginValid=True\r\n"
           "bWmYPos=50\r\nbWmThick=2\r\nbWmTextColor=16777215\r\nbWmBarColor=0\r\nbWmDensity=30\r\n"
           "bWmText=Sample\r\nbWmIsRepeat=True\r\nbWmFont=Courier\r\nbWmNeed=False\r\n"
           "Margin0=10.000000\r\nMargin1=10.000000\r\nMargin2=10.000000\r\nMargin3=10.000000\r\n"
           "OddFlag0=True\r\nOddFlag1=True\r\n"
           "StartWith=1\r\nEndPage=1\r\nStartPage=1\r\nIsAllPage=True\r\n"
           "HF0_EdgeBorder=False\r\n" +
           SlotLines(0) + SlotLines(1) + SlotLines(2) + "HF1_EdgeBorder=False\r\n" + SlotLines(3) +
           SlotLines(4) + SlotLines(5) + "[App]\r\nUndo=False\r\nOutput=0\r\n";
}

// Every field away from its default.
StampSettings Changed() {
    StampSettings s;
    s.QRIsValid = true;
    s.QRString = "https://example.org/?q=1";
    s.QRPosition = StampPosition::TopLeft;
    s.QRMarginValid = false;
    s.QRIsVersionAuto = false;
    s.QRVersion = 40;
    s.QRECLevel = QrEcLevel::M;
    s.QRPhone = false;
    s.WaterMarkType = 26;
    s.WaterMarkPosition = StampPosition::MiddleRight;
    s.WaterMarkColor = 0x123456;
    s.WaterMarkDensity = 100;
    s.WaterMarkMargin = false;
    s.WaterMarkFont = "HeiseiMin-W3";
    s.WawterMarkDiagonal = true;
    s.bWmNeed = true;
    s.bWmYPos = 0;
    s.bWmThick = BandThickness::ExtraThin;
    s.bWmTextColor = 0x00FF00;
    s.bWmBarColor = 0xABCDEF;
    s.bWmDensity = 0;
    s.bWmText = "\x94\xE9\x96\xA7 band";  // 秘密 band
    s.bWmIsRepeat = false;
    s.bWmFont = "Times-Bold";
    s.ImageFileName = "/home/user/\x83\x5C\x83\x74\x83\x67/logo.png";  // ソフト: 0x5C trail bytes
    s.ImagePosition = StampPosition::BottomLeft;
    s.ImageDensity = 55;
    s.ImageMargin = false;
    s.Margin = {0.0f, 12.5f, 33.3f, 100.0f};
    s.OddFlag = {false, true};
    s.StartWith = -65535;
    s.EndPage = 999999;
    s.StartPage = 0;
    s.IsAllPage = false;
    for (int32_t i = 0; i < kSlotCount; ++i) {
        HeaderFooterSlot& slot = s.Slots[static_cast<size_t>(i)];
        slot.FontName = "Helvetica";
        slot.FontIsBold = i % 2 == 0;
        slot.FontIsItalic = i % 2 == 1;
        slot.StyleColor = 0x010203 * (i + 1);
        slot.StylePointSize = 90 + i;
        slot.CustomText = "slot " + std::to_string(i);
        slot.StyleDateType = static_cast<DateFormat>(i % kDateFormatCount);
        slot.StylePageType = static_cast<PageNumberFormat>(i % kPageNumberFormatCount);
        slot.StyleType = static_cast<HeaderFooterStyle>(i % kHeaderFooterStyleCount);
    }
    s.Groups[0].EdgeBorder = true;
    s.Groups[1].EdgeBorder = true;
    return s;
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
    EXPECT_EQ(Bytes(), DefaultFile());
}

TEST_F(SettingsFileTest, EveryFieldSurvivesSaveAndLoad) {
    const StampSettings changed = Changed();
    AppSettings app;
    app.Undo = true;
    app.Output = OutputMode::Overwrite;
    ASSERT_TRUE(SaveSettings(path_, changed));
    ASSERT_TRUE(SaveSettings(path_, app));
    EXPECT_EQ(LoadedStamp(), changed);
    AppSettings loadedApp;
    LoadSettings(path_, loadedApp);
    EXPECT_EQ(loadedApp, app);
}

TEST_F(SettingsFileTest, SavingAgainReplacesValuesInPlace) {
    Given("; kept\r\n[OptionList1]\r\nUnknown=kept too\r\nQRVersion=3\r\n");
    ASSERT_TRUE(SaveSettings(path_, StampSettings()));
    ASSERT_TRUE(SaveSettings(path_, Changed()));
    const std::string bytes = Bytes();
    EXPECT_EQ(bytes.rfind("; kept\r\n[OptionList1]\r\nUnknown=kept too\r\nQRVersion=40\r\n", 0), 0u);
    EXPECT_EQ(bytes.find("QRVersion=", bytes.find("QRVersion=") + 1), std::string::npos) << "no second copy";
    EXPECT_EQ(LoadedStamp(), Changed());
}

struct LoadRow {
    const char* line;  // one entry of section OptionList1
    std::function<bool(const StampSettings&)> holds;
};

TEST_F(SettingsFileTest, TextFormsAndRangesOnLoad) {
    const std::vector<LoadRow> rows = {
        {"Margin0=12.5", [](auto& s) { return s.Margin[0] == 12.5f; }},
        {"Margin3=7.250000", [](auto& s) { return s.Margin[3] == 7.25f; }},
        {"Margin1=", [](auto& s) { return s.Margin[1] == 10.0f; }},
        {"Margin2=1e30", [](auto& s) { return s.Margin[2] == 100.0f; }},
        {"Margin2=-3", [](auto& s) { return s.Margin[2] == 0.0f; }},
        {"QRVersion=abc", [](auto& s) { return s.QRVersion == 1; }},
        {"QRVersion=0", [](auto& s) { return s.QRVersion == 1; }},
        {"QRVersion=41", [](auto& s) { return s.QRVersion == 40; }},
        {"QRVersion=25", [](auto& s) { return s.QRVersion == 25; }},
        {"QRECLevel=9", [](auto& s) { return s.QRECLevel == QrEcLevel::H; }},
        {"QRECLevel=-1", [](auto& s) { return s.QRECLevel == QrEcLevel::L; }},
        {"WaterMarkType=27", [](auto& s) { return s.WaterMarkType == 26; }},
        {"WaterMarkType=-4", [](auto& s) { return s.WaterMarkType == 0; }},
        {"QRPosition=9", [](auto& s) { return s.QRPosition == StampPosition::BottomRight; }},
        {"WaterMarkPosition=2", [](auto& s) { return s.WaterMarkPosition == StampPosition::TopRight; }},
        {"ImagePosition=-2", [](auto& s) { return s.ImagePosition == StampPosition::TopLeft; }},
        {"WaterMarkDensity=101", [](auto& s) { return s.WaterMarkDensity == 100; }},
        {"ImageDensity=-1", [](auto& s) { return s.ImageDensity == 0; }},
        {"bWmDensity=250", [](auto& s) { return s.bWmDensity == 100; }},
        {"bWmYPos=120", [](auto& s) { return s.bWmYPos == 100; }},
        {"bWmThick=5", [](auto& s) { return s.bWmThick == BandThickness::ExtraThin; }},
        {"WaterMarkColor=255", [](auto& s) { return s.WaterMarkColor == 0x0000FF; }},
        {"bWmTextColor=abc", [](auto& s) { return s.bWmTextColor == 0; }},
        {"bWmNeed=True", [](auto& s) { return s.bWmNeed; }},
        {"QRPhone=yes", [](auto& s) { return !s.QRPhone; }},
        {"StartWith=-70000", [](auto& s) { return s.StartWith == -70000; }},
        {"EndPage=1000000", [](auto& s) { return s.EndPage == 1000000; }},
        {"StartPage=-5", [](auto& s) { return s.StartPage == -5; }},
        {"OddFlag0=False", [](auto& s) { return !s.OddFlag[0] && s.OddFlag[1]; }},
        {"HF2_StylePointSize=10000", [](auto& s) { return s.Slots[2].StylePointSize == 9999; }},
        {"HF2_StylePointSize=-1", [](auto& s) { return s.Slots[2].StylePointSize == 0; }},
        {"HF5_StyleType=4", [](auto& s) { return s.Slots[5].StyleType == HeaderFooterStyle::Text; }},
        {"HF0_StylePageType=7",
         [](auto& s) { return s.Slots[0].StylePageType == PageNumberFormat::DashedOfTotal; }},
        {"HF3_StyleDateType=3", [](auto& s) { return s.Slots[3].StyleDateType == DateFormat::DateTime; }},
        {"HF1_EdgeBorder=True", [](auto& s) { return s.Groups[1].EdgeBorder && !s.Groups[0].EdgeBorder; }},
        {"HF4_CustomText=page", [](auto& s) { return s.Slots[4].CustomText == "page"; }},
        {"hf1_fontname=Symbol", [](auto& s) { return s.Slots[1].FontName == "Symbol"; }},
        {"bWmText=", [](auto& s) { return s.bWmText == "Sample"; }},
        {"bWmText=   ", [](auto& s) { return s.bWmText == "Sample"; }},
        {"bWmTextColor=", [](auto& s) { return s.bWmTextColor == 0xFFFFFF; }},
        {"IsAllPage=", [](auto& s) { return s.IsAllPage; }},
    };
    for (const LoadRow& row : rows) {
        Given(std::string("[OptionList1]\r\n") + row.line + "\r\n");
        EXPECT_TRUE(row.holds(LoadedStamp())) << row.line;
    }
}

TEST_F(SettingsFileTest, AppSectionIsReadOnItsOwnAndPulledIntoRange) {
    const std::pair<std::string, OutputMode> rows[] = {
        {"[App]\r\nOutput=3\r\nUndo=True\r\n", OutputMode::Overwrite},
        {"[App]\r\nOutput=-1\r\nUndo=True\r\n", OutputMode::PrefixedCopy},
        {"[App]\r\nOutput=1\r\nUndo=True\r\n", OutputMode::SaveAsDialog},
        {"[App]\r\nQRVersion=20\r\n[OptionList1]\r\nOutput=2\r\n", OutputMode::PrefixedCopy},
    };
    for (const auto& [file, expected] : rows) {
        Given(file);
        AppSettings app;
        LoadSettings(path_, app);
        EXPECT_EQ(app.Output, expected) << file;
        EXPECT_EQ(app.Undo, file.find("Undo") != std::string::npos) << file;
    }
    EXPECT_EQ(LoadedStamp().QRVersion, 10) << "the App section's key is not the stamp's";
}

TEST_F(SettingsFileTest, EmptyValueKeepsWhatTheFieldHolds) {
    Given("[OptionList1]\r\nbWmText=\r\nMargin0=\r\nQRString=\r\n");
    StampSettings s = Changed();
    LoadSettings(path_, s);
    EXPECT_EQ(s, Changed());
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

TEST_F(SettingsFileTest, TextsThatAPlainLineWouldChangeSurvive) {
    const std::vector<std::pair<const char*, std::string>> rows = {
        {"blanks at both ends", "  padded message \t"},
        {"only blanks", "   "},
        {"escape byte itself",
         "a\xFF"
         "b\xFFn"},
        {"break at the end", "line\n"},
    };
    for (const auto& [name, value] : rows) {
        StampSettings s;
        s.QRString = value;
        s.Slots[4].CustomText = value;
        ASSERT_TRUE(SaveSettings(path_, s));
        const StampSettings loaded = LoadedStamp();
        EXPECT_EQ(loaded.QRString, value) << name;
        EXPECT_EQ(loaded.Slots[4].CustomText, value) << name;
    }
}

TEST_F(SettingsFileTest, SingleLineTextsAreStoredAsTheyStand) {
    StampSettings s;
    s.ImageFileName = "C:\\tools\\new\\\x83\x5C\x83\x74\x83\x67.png";  // backslashes and 0x5C trail bytes
    s.QRString = "a b\tc \\n \\r";
    ASSERT_TRUE(SaveSettings(path_, s));
    EXPECT_NE(Bytes().find("\r\nImageFileName=" + s.ImageFileName + "\r\n"), std::string::npos);
    EXPECT_NE(Bytes().find("\r\nQRString=" + s.QRString + "\r\n"), std::string::npos);
    EXPECT_EQ(LoadedStamp().ImageFileName, s.ImageFileName);
    EXPECT_EQ(LoadedStamp().QRString, s.QRString);
}

TEST_F(SettingsFileTest, OldFileWithARawLineBreakReadsAsBefore) {
    // An old program wrote the breaks as they were: only the first line was ever read back.
    Given("[OptionList1]\r\nQRString=first\r\nsecond line\r\nQRVersion=12\r\n");
    const StampSettings s = LoadedStamp();
    EXPECT_EQ(s.QRString, "first");
    EXPECT_EQ(s.QRVersion, 12);
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
