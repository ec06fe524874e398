// Settings of one run: keys replaced for the run, the settings file only read.
#include <gtest/gtest.h>

#include "app/RunSettings.h"
#include "platform/SjisText.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

TEST(RunSettingsTest, KeysAndTheirSections) {
    for (const char* key : {"WaterMarkType", "hf4_styletype", "Margin3", "OddFlag0"})
        EXPECT_EQ(SectionOfKey(key), "OptionList1") << key;
    for (const char* key : {"Output", "Undo"}) EXPECT_EQ(SectionOfKey(key), "App") << key;
    for (const char* key : {"Section", "Margin4", "HF6_StyleType", "", "[App]"})
        EXPECT_EQ(SectionOfKey(key), "") << key;
}

TEST(RunSettingsTest, ParsingOverrides) {
    SettingOverride setting;
    std::string reason;
    ASSERT_TRUE(ParseOverride("HF1_CustomText=社外秘 (draft)", setting, reason));
    EXPECT_EQ(setting.key, "HF1_CustomText");
    EXPECT_EQ(setting.value, sjis::FromUtf8("社外秘 (draft)").value());
    EXPECT_TRUE(ParseOverride("QRString=", setting, reason));
    EXPECT_EQ(setting.value, "");
    EXPECT_FALSE(ParseOverride("NoSuchKey=1", setting, reason));
    EXPECT_NE(reason.find("NoSuchKey"), std::string::npos);
    EXPECT_FALSE(ParseOverride("Output", setting, reason));
    EXPECT_FALSE(ParseOverride("HF1_CustomText=\xF0\x9F\x98\x80", setting, reason));  // no CP932 form
}

TEST(RunSettingsTest, OverridesAreReadLikeTheFileAndTheFileStaysAsItIs) {
    ScratchDir dir("runsettings");
    const std::string ini = dir.File("sgry.ini");
    const std::string original = "[OptionList1]\r\nWaterMarkType=3\r\nHF0_StyleType=1\r\n[App]\r\nOutput=2\r\n";
    ScratchDir::Write(ini, original);
    std::vector<SettingOverride> overrides = {{"WaterMarkType", "18"},
                                              {"hf2_customtext", sjis::FromUtf8("見本\nline").value()},
                                              {"Output", "9"},
                                              {"Undo", "True"},
                                              {"WaterMarkType", "16"}};
    StampSettings stamp;
    AppSettings app;
    std::string reason;
    ASSERT_TRUE(LoadRunSettings(ini, overrides, stamp, app, reason)) << reason;
    EXPECT_EQ(stamp.WaterMarkType, 16);
    EXPECT_EQ(stamp.Slots[0].StyleType, HeaderFooterStyle::PageNumber);
    EXPECT_EQ(stamp.Slots[2].CustomText, sjis::FromUtf8("見本\nline").value());
    EXPECT_EQ(app.Output, OutputMode::Overwrite);  // 9 is pulled into range like a stored 9
    EXPECT_TRUE(app.Undo);
    EXPECT_EQ(ScratchDir::Read(ini), original);
}

TEST(RunSettingsTest, MissingFileGivesTheDefaultsWithTheOverrides) {
    ScratchDir dir("runsettings");
    StampSettings stamp;
    AppSettings app;
    std::string reason;
    ASSERT_TRUE(LoadRunSettings(dir.File("none.ini"), {{"bWmNeed", "True"}}, stamp, app, reason));
    StampSettings expected;
    expected.bWmNeed = true;
    EXPECT_EQ(stamp, expected);
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.ini")));
}

// Settings that reach a run without the settings sheet get the sheet's
// automatic changes: every slot of both groups and the text watermark.
TEST(RunSettingsTest, AutomaticFontChangesOfTheSheet) {
    const std::string japanese = sjis::FromUtf8("社外秘").value();
    StampSettings stamp;
    stamp.Slots[0] = {};  // header left: Japanese text in a Latin font
    stamp.Slots[0].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[0].CustomText = japanese;
    stamp.Slots[4].StyleType = HeaderFooterStyle::Text;  // footer centre: Latin text in a Japanese font
    stamp.Slots[4].CustomText = "A1";
    stamp.Slots[4].FontName = "HeiseiKakuGo-W5";
    stamp.Slots[5].StyleType = HeaderFooterStyle::PageNumber;  // footer right: page number in a Japanese font
    stamp.Slots[5].FontName = "HeiseiMin-W3";
    stamp.Slots[1].StyleType = HeaderFooterStyle::Text;  // header centre: nothing to change
    stamp.Slots[1].CustomText = "plain";
    stamp.WaterMarkType = 1;  // 社外秘, Japanese fonts only, with the default Courier

    const std::string report = ApplyAutoFontChanges(stamp);
    EXPECT_EQ(report,
              "設定の一部を以下のように自動変更しました\r\n\r\n"
              "・ヘッダ・フッタ文字列のうち全角文字が含まれているものを、日本語フォントに変更しました\r\n"
              "・文字透かしのフォントを全角フォントに変更しました\r\n");
    EXPECT_EQ(stamp.Slots[0].FontName, "HeiseiMin-W3");
    EXPECT_EQ(stamp.Slots[0].CustomText, japanese);
    EXPECT_EQ(stamp.Slots[4].CustomText, sjis::FromUtf8("Ａ１").value());
    EXPECT_EQ(stamp.Slots[4].FontName, "HeiseiKakuGo-W5");
    EXPECT_EQ(stamp.Slots[5].FontName, "Courier");
    EXPECT_EQ(stamp.Slots[1].FontName, "Courier");
    EXPECT_EQ(stamp.Slots[1].CustomText, "plain");
    EXPECT_EQ(stamp.WaterMarkFont, "HeiseiPMin-W3");

    // Settings the sheet would let through unchanged give no report, and a
    // second application changes nothing more.
    const StampSettings corrected = stamp;
    EXPECT_EQ(ApplyAutoFontChanges(stamp), "");
    EXPECT_EQ(stamp, corrected);
    StampSettings defaults;
    EXPECT_EQ(ApplyAutoFontChanges(defaults), "");
    EXPECT_EQ(defaults.WaterMarkFont, "Courier");
}

}  // namespace
}  // namespace sgry
