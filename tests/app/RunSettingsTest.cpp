// Settings of one run: keys replaced for the run, the settings file only read.
#include <gtest/gtest.h>

#include "app/RunSettings.h"
#include "platform/SjisText.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

TEST(RunSettingsTest, KeysAndTheirSections) {
    struct Row {
        const char* key;
        const char* section;
    };
    for (const Row& row : {Row{"WaterMarkType", "OptionList1"}, Row{"hf4_styletype", "OptionList1"},
                           Row{"Margin3", "OptionList1"}, Row{"OddFlag0", "OptionList1"}, Row{"Output", "App"},
                           Row{"Undo", "App"}, Row{"Section", ""}, Row{"Margin4", ""}, Row{"HF6_StyleType", ""},
                           Row{"", ""}, Row{"[App]", ""}}) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(SectionOfKey(row.key), row.section);
    }
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

}  // namespace
}  // namespace sgry
