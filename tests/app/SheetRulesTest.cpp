// The settings pages' rules without widgets: automatic font changes, the
// closing report, the page-selection mapping, number ranges and the QR
// page's checks; and the settings of one run: keys replaced for the run, the
// settings file only read, the sheet's automatic changes made.
#include <gtest/gtest.h>

#include "app/AutoFontChange.h"
#include "app/PageRangeRules.h"
#include "app/QrPageCheck.h"
#include "app/RunSettings.h"
#include "platform/SjisText.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

std::string Sjis(const char* utf8) { return sjis::FromUtf8(utf8).value(); }

struct TextRow { const char* name; std::string text; bool singleByte; bool doubleByte; };

TEST(SheetRulesTest, SingleAndDoubleByteCharacters) {
    const TextRow rows[] = {
        {"empty", "", false, false},
        {"ascii", "ABC", true, false},
        {"kanji", Sjis("社外秘"), false, true},
        {"kanji then ascii", Sjis("社外") + "1", true, true},
        {"ascii then kanji", "1" + Sjis("社"), true, true},
        {"half-width kana", "\xB1\xB2", true, false},
        {"trail byte in the lead range", "\x88\x9F", false, true},  // 院: both bytes look like leads
        {"lone lead byte at the end", Sjis("社") + "\x81", false, true},
    };
    for (const TextRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ContainsSingleByte(row.text), row.singleByte);
        EXPECT_EQ(ContainsDoubleByte(row.text), row.doubleByte);
    }
}

struct ColumnCase {
    const char* name;
    HeaderFooterStyle style;
    std::string font, text, wantFont, wantText;
    int32_t wantFlags;
};

TEST(SheetRulesTest, HeaderFooterPassesOneColumnAtATime) {
    using S = HeaderFooterStyle;
    const ColumnCase cases[] = {
        {"Latin text with kanji", S::Text, "Courier", Sjis("社外"), "HeiseiMin-W3", Sjis("社外"),
         kHeaderTextToJapaneseFont},
        {"Latin text with kanji and ascii stays half-width", S::Text, "Times-Roman", Sjis("社") + "A", "HeiseiMin-W3",
         Sjis("社") + "A", kHeaderTextToJapaneseFont},
        {"Japanese text with ascii", S::Text, "HeiseiKakuGo-W5", "ABC", "HeiseiKakuGo-W5", Sjis("ＡＢＣ"),
         kHeaderTextMadeFullWidth},
        {"Japanese text already full-width", S::Text, "HeiseiMin-W3", Sjis("ＡＢＣ"), "HeiseiMin-W3", Sjis("ＡＢＣ"), 0},
        {"Latin text in ascii", S::Text, "Helvetica", "Page", "Helvetica", "Page", 0},
        {"unknown font counts as Latin", S::Text, "Arial", Sjis("秘"), "HeiseiMin-W3", Sjis("秘"),
         kHeaderTextToJapaneseFont},
        {"page number in Japanese font", S::PageNumber, "HeiseiKakuGo-W5", "", "Courier", "", kHeaderNumberToLatinFont},
        {"date in Japanese font", S::DateTime, "KozMinPro-Regular", Sjis("ｱ"), "Courier", Sjis("ｱ"),
         kHeaderNumberToLatinFont},
        {"page number in Latin font", S::PageNumber, "Symbol", "", "Symbol", "", 0},
        {"none keeps everything", S::None, "HeiseiMin-W3", "abc", "HeiseiMin-W3", "abc", 0},
        {"half-width kana in a Japanese font", S::Text, "HeiseiMin-W3", "\xB1", "HeiseiMin-W3", Sjis("ア"),
         kHeaderTextMadeFullWidth},
    };
    for (int group = 0; group < 2; ++group) {
        for (int column = 0; column < 3; ++column) {
            for (const ColumnCase& c : cases) {
                SCOPED_TRACE(std::string(c.name) + " group " + std::to_string(group) + " column " +
                             std::to_string(column));
                StampSettings settings;
                const auto slot = static_cast<std::size_t>(group * 3 + column);
                settings.Slots[slot].FontName = c.font;
                std::array<HeaderFooterColumn, 3> columns;
                columns[static_cast<std::size_t>(column)] = {c.style, c.text};
                EXPECT_EQ(AutoFontChangeHeaderFooter(settings, group, columns), c.wantFlags);
                EXPECT_EQ(settings.Slots[slot].FontName, c.wantFont);
                EXPECT_EQ(columns[static_cast<std::size_t>(column)].text, c.wantText);
                for (std::size_t other = 0; other < kSlotCount; ++other) {
                    if (other != slot) {
                        EXPECT_EQ(settings.Slots[other].FontName, "Courier");
                    }
                }
            }
        }
    }
}

TEST(SheetRulesTest, HeaderFooterFlagsOfAllColumnsCombine) {
    StampSettings settings;
    settings.Slots[kFooterLeft].FontName = "HeiseiMin-W3";
    settings.Slots[kFooterRight].FontName = "HeiseiKakuPGo-W5";
    std::array<HeaderFooterColumn, 3> columns{{{HeaderFooterStyle::Text, "x"},
                                               {HeaderFooterStyle::Text, Sjis("秘")},
                                               {HeaderFooterStyle::DateTime, ""}}};
    EXPECT_EQ(AutoFontChangeHeaderFooter(settings, 1, columns),
              kHeaderTextMadeFullWidth | kHeaderTextToJapaneseFont | kHeaderNumberToLatinFont);
    EXPECT_EQ(columns[0].text, Sjis("ｘ"));
    EXPECT_EQ(settings.Slots[kFooterCenter].FontName, "HeiseiMin-W3");
    EXPECT_EQ(settings.Slots[kFooterRight].FontName, "Courier");
    EXPECT_EQ(AutoFontChangeHeaderFooter(settings, 2, columns), 0);  // no such group
}

TEST(SheetRulesTest, WatermarkFontFollowsTheWordsAllowedFonts) {
    for (int32_t row = 0; row < kWatermarkWordCount; ++row) {
        SCOPED_TRACE(row);
        const int32_t allowed = WatermarkWordTable[static_cast<std::size_t>(row)].AllowedFonts;
        std::string latin = "Helvetica";
        std::string japanese = "HeiseiKakuGo-W5";
        const int32_t latinFlags = AutoFontChangeWatermark(row, latin);
        const int32_t japaneseFlags = AutoFontChangeWatermark(row, japanese);
        if (allowed == kAllowJapaneseFonts) {
            EXPECT_EQ(latinFlags, kWatermarkToJapaneseFont);
            EXPECT_EQ(latin, "HeiseiPMin-W3");
        } else {
            EXPECT_EQ(latinFlags, 0);
            EXPECT_EQ(latin, "Helvetica");
        }
        EXPECT_EQ(japaneseFlags, 0);  // no word of the table is Latin-only
        EXPECT_EQ(japanese, "HeiseiKakuGo-W5");
    }
}

// The lines of the closing report.
const std::string kReportHead = "Some settings were changed automatically:\r\n\r\n";
const std::string kReportHeader = "- Header and footer texts that contain full-width characters now use a Japanese font\r\n";
const std::string kReportToJapanese = "- The text watermark now uses a full-width (Japanese) font\r\n";
const std::string kReportToLatin = "- The text watermark now uses a half-width (Latin) font\r\n";

TEST(SheetRulesTest, ClosingReportListsItsLinesInOrder) {
    EXPECT_EQ(AutoChangeReport(0, 0, 0), "");
    EXPECT_EQ(AutoChangeReport(kHeaderNumberToLatinFont | kHeaderTextMadeFullWidth, kHeaderNumberToLatinFont, 0), "");
    EXPECT_EQ(AutoChangeReport(kHeaderTextToJapaneseFont, 0, 0), kReportHead + kReportHeader);
    EXPECT_EQ(AutoChangeReport(0, kHeaderTextToJapaneseFont, 0), kReportHead + kReportHeader);
    EXPECT_EQ(AutoChangeReport(kHeaderTextToJapaneseFont, kHeaderTextToJapaneseFont, 0), kReportHead + kReportHeader);
    EXPECT_EQ(AutoChangeReport(0, 0, kWatermarkToJapaneseFont), kReportHead + kReportToJapanese);
    EXPECT_EQ(AutoChangeReport(0, 0, kWatermarkToLatinFont), kReportHead + kReportToLatin);
    EXPECT_EQ(AutoChangeReport(0, kHeaderTextToJapaneseFont, kWatermarkToJapaneseFont | kWatermarkToLatinFont),
              kReportHead + kReportHeader + kReportToJapanese + kReportToLatin);
}

TEST(SheetRulesTest, PageSelectionAndOddFlag) {
    const std::pair<std::array<bool, 2>, int> rows[] = {
        {{true, true}, 0}, {{false, true}, 1}, {{true, false}, 2}, {{false, false}, 1}};
    for (const auto& [flags, index] : rows) EXPECT_EQ(PageSelectionIndex(flags), index) << index;
    for (int index = 0; index < 3; ++index) EXPECT_EQ(OddFlagForSelection(index), rows[index].first) << index;
}

TEST(SheetRulesTest, PageOrderAndRanges) {
    EXPECT_EQ(PageOrderRefusal(false, 5, 3), std::optional<std::string>("The first page must not be after the last page."));
    EXPECT_EQ(PageOrderRefusal(true, 5, 3), std::nullopt);
    EXPECT_EQ(PageOrderRefusal(false, 3, 3), std::nullopt);
    EXPECT_EQ(PageOrderRefusal(false, 0, 0), std::nullopt);
    EXPECT_TRUE(kStartPageAccepted.Contains(0));
    EXPECT_TRUE(kStartPageAccepted.Contains(99999));
    EXPECT_FALSE(kStartPageAccepted.Contains(100000));
    EXPECT_FALSE(kStartWithAccepted.Contains(-65536));
    EXPECT_TRUE(kMarginAccepted.Contains(100.0));
    EXPECT_FALSE(kMarginAccepted.Contains(100.001));
    EXPECT_EQ(IntegerRangeMessage(kStartWithAccepted), "Please enter a whole number from -65535 to 65535.");
    EXPECT_EQ(DecimalRangeMessage(kMarginAccepted), "Please enter a number from 0 to 100.");
}

struct QrRow { const char* name; QrPageValues values; std::optional<std::string> validation, preview; };

TEST(SheetRulesTest, QrPageChecks) {
    const std::string auto10 = std::string(271, 'a');  // 10-L holds 271 bytes
    const QrRow rows[] = {
        {"off and empty", {false, "", true, true, 10, 3}, std::nullopt, qr_page_message::kEmptyForPreview},
        {"on and empty", {true, "", true, true, 10, 3}, qr_page_message::kEmptyWhileOn, qr_page_message::kEmptyForPreview},
        {"7089 digits at 1-H", {true, std::string(7089, '1'), false, true, 1, 3}, qr_page_message::kTooLongManual,
         qr_page_message::kTooLongManual},
        {"7089 digits at 40-L", {true, std::string(7089, '1'), false, true, 40, 0}, std::nullopt, std::nullopt},
        {"7089 digits automatic", {true, std::string(7089, '1'), true, false, 1, 3}, std::nullopt, std::nullopt},
        {"7090 digits automatic", {true, std::string(7090, '1'), true, false, 1, 3}, qr_page_message::kTooLongAuto,
         qr_page_message::kTooLongAuto},
        {"271 bytes, phone", {true, auto10, true, true, 1, 3}, std::nullopt, std::nullopt},
        {"272 bytes, phone", {true, auto10 + "a", true, true, 1, 3}, qr_page_message::kTooLongAuto,
         qr_page_message::kTooLongAuto},
        {"272 bytes, no phone", {true, auto10 + "a", true, false, 1, 3}, std::nullopt, std::nullopt},
        {"too long while off", {false, std::string(18, '1'), false, true, 1, 3}, qr_page_message::kTooLongManual,
         qr_page_message::kTooLongManual},
    };
    for (const QrRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(QrValidationRefusal(row.values), row.validation);
        EXPECT_EQ(QrPreviewRefusal(row.values), row.preview);
    }
}

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
    EXPECT_EQ(setting.value, Sjis("社外秘 (draft)"));
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
    const std::vector<SettingOverride> overrides = {
        {"WaterMarkType", "18"}, {"hf2_customtext", Sjis("見本\nline")}, {"Output", "9"}, {"Undo", "True"},
        {"WaterMarkType", "16"}};
    StampSettings stamp;
    AppSettings app;
    std::string reason;
    ASSERT_TRUE(LoadRunSettings(ini, overrides, stamp, app, reason)) << reason;
    EXPECT_EQ(stamp.WaterMarkType, 16);
    EXPECT_EQ(stamp.Slots[0].StyleType, HeaderFooterStyle::PageNumber);
    EXPECT_EQ(stamp.Slots[2].CustomText, Sjis("見本\nline"));
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
    const std::string japanese = Sjis("社外秘");
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

    EXPECT_EQ(ApplyAutoFontChanges(stamp), kReportHead + kReportHeader + kReportToJapanese);
    EXPECT_EQ(stamp.Slots[0].FontName, "HeiseiMin-W3");
    EXPECT_EQ(stamp.Slots[0].CustomText, japanese);
    EXPECT_EQ(stamp.Slots[4].CustomText, Sjis("Ａ１"));
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
