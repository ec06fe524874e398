#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <clocale>
#include <climits>
#include <string>
#include <vector>

#include "platform/ExePath.h"
#include "platform/IniFile.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

using test::ScratchDir;

class IniFileTest : public ::testing::Test {
protected:
    IniFile Open(const std::string& section = "OptionList1") {
        IniFile ini(path_);
        ini.SetSection(section);
        return ini;
    }
    void Given(const std::string& bytes) { ScratchDir::Write(path_, bytes); }
    std::string Bytes() const { return ScratchDir::Read(path_); }

    ScratchDir dir_{"ini"};
    std::string path_ = dir_.File("sgry.ini");
};

TEST_F(IniFileTest, StartsInTheDefaultSection) {
    IniFile ini(path_);
    EXPECT_EQ(ini.Section(), "DefaultSection");
    EXPECT_EQ(ini.Path(), path_);
}

TEST_F(IniFileTest, MissingFileReadsAsEmptyOrTheDefault) {
    const IniFile ini = Open();
    EXPECT_EQ(ini.GetString("QRString"), "");
    EXPECT_EQ(ini.GetString("QRString", "fallback"), "fallback");
    EXPECT_FALSE(ini.HasValue("QRString"));
    EXPECT_EQ(ini.GetInt("QRVersion"), 0);
    EXPECT_FALSE(ini.GetBool("QRIsValid"));
    EXPECT_FALSE(std::filesystem::exists(path_)) << "reading must not create the file";
}

TEST_F(IniFileTest, WritingCreatesFileSectionAndKey) {
    EXPECT_TRUE(Open().PutString("bWmText", "Sample"));
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nbWmText=Sample\r\n");
    EXPECT_TRUE(Open("App").PutString("Undo", "True"));
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nbWmText=Sample\r\n[App]\r\nUndo=True\r\n");
    EXPECT_EQ(Open().GetString("bWmText"), "Sample");
    EXPECT_EQ(Open("App").GetString("Undo"), "True");
}

TEST_F(IniFileTest, NewKeyGoesAtTheEndOfItsSectionBeforeBlankLines) {
    Given("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
    EXPECT_TRUE(Open("A").PutString("z", "3"));
    EXPECT_EQ(Bytes(), "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
}

TEST_F(IniFileTest, ReplacingAValueKeepsEveryOtherLineByteForByte) {
    const std::string before =
        "; written by hand\n"
        "[Other]\r\n"
        "QRVersion=3\r\n"
        "[OptionList1]\r\n"
        "  Unknown Key = \x83\x5C\x82\xA0 kept  \r\n"
        "# comment=like\n"
        "qrversion =  7 \r"
        "WaterMarkFont=Courier\r\n"
        "no equals sign here\r\n";
    Given(before);
    EXPECT_TRUE(Open().PutInt("QRVersion", 12));
    std::string expected = before;
    expected.replace(expected.find("qrversion =  7 "), std::string("qrversion =  7 ").size(), "QRVersion=12");
    EXPECT_EQ(Bytes(), expected);
    EXPECT_EQ(Open("Other").GetInt("QRVersion"), 3);
    EXPECT_EQ(Open().GetString("Unknown Key"), "\x83\x5C\x82\xA0 kept");
}

TEST_F(IniFileTest, SectionsAndKeysMatchWithoutRegardToCase) {
    Given("[optionLIST1]\r\n  qrVERSION\t= 12 \r\n");
    EXPECT_EQ(Open().GetString("QRVersion"), "12");
    EXPECT_EQ(Open("OPTIONLIST1").GetInt("qrversion"), 12);
    EXPECT_TRUE(Open().PutInt("QRVERSION", 40));
    EXPECT_EQ(Bytes(), "[optionLIST1]\r\nQRVERSION=40\r\n");
}

TEST_F(IniFileTest, SecondByteOfATwoByteCharacterIsNotFolded) {
    // 0x83 0x41 and 0x83 0x61 are two different katakana; folding the
    // second byte as a letter would make them one name.
    Given("[\x83\x41]\r\nk=upper\r\n[\x83\x61]\r\nk=lower\r\n");
    EXPECT_EQ(Open("\x83\x41").GetString("k"), "upper");
    EXPECT_EQ(Open("\x83\x61").GetString("k"), "lower");
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWin) {
    Given("[S]\r\nk=first\r\nk=second\r\n[S]\r\nk=third\r\nonly=later\r\n");
    EXPECT_EQ(Open("S").GetString("k"), "first");
    EXPECT_EQ(Open("S").GetString("only", "none"), "none");
    EXPECT_TRUE(Open("S").PutString("k", "new"));
    EXPECT_EQ(Bytes(), "[S]\r\nk=new\r\nk=second\r\n[S]\r\nk=third\r\nonly=later\r\n");
}

TEST_F(IniFileTest, KeyOfAnotherSectionIsNotSeen) {
    Given("[App]\r\nOutput=2\r\n");
    EXPECT_FALSE(Open().HasValue("Output"));
    EXPECT_EQ(Open("App").GetInt("Output"), 2);
}

TEST_F(IniFileTest, EmptyValueCountsAsAbsent) {
    Given("[OptionList1]\r\nbWmText=\r\nMargin0=   \r\n");
    const IniFile ini = Open();
    EXPECT_FALSE(ini.HasValue("bWmText"));
    EXPECT_FALSE(ini.HasValue("Margin0"));
    EXPECT_EQ(ini.GetString("bWmText", "default"), "") << "a present key is not replaced by the default";
}

TEST_F(IniFileTest, ValuesAreTrimmedButInnerBlanksStay) {
    Given("[OptionList1]\r\nbWmText = \t a  b \t\r\n");
    EXPECT_EQ(Open().GetString("bWmText"), "a  b");
}

TEST_F(IniFileTest, ValueOnlyAfterTheFirstEqualsSign) {
    Given("[OptionList1]\r\nCustom=a=b==c\r\n");
    EXPECT_EQ(Open().GetString("Custom"), "a=b==c");
}

TEST_F(IniFileTest, LinesOfAnyLengthAreRead) {
    std::string value(200000, 'x');
    value[0] = '1';
    value.back() = '9';
    EXPECT_TRUE(Open().PutString("QRString", value));
    EXPECT_TRUE(Open().PutString("After", "tail"));
    EXPECT_EQ(Open().GetString("QRString"), value);
    EXPECT_EQ(Open().GetString("After"), "tail");
}

TEST_F(IniFileTest, FileWithoutFinalLineBreakGrowsCleanly) {
    Given("[OptionList1]\r\nA=1");
    EXPECT_TRUE(Open().PutString("B", "2"));
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nA=1\r\nB=2");
    EXPECT_TRUE(Open("App").PutString("C", "3"));
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nA=1\r\nB=2\r\n[App]\r\nC=3\r\n");
    EXPECT_EQ(Open().GetString("B"), "2");
}

TEST_F(IniFileTest, ValueWithALineBreakIsWrittenAsItStands) {
    EXPECT_TRUE(Open().PutString("QRString", "one\r\ntwo"));
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nQRString=one\r\ntwo\r\n");
    EXPECT_EQ(Open().GetString("QRString"), "one");
}

TEST_F(IniFileTest, RefusedWriteIsReported) {
    IniFile ini(dir_.File("no-such-folder/sgry.ini"));
    ini.SetSection("OptionList1");
    EXPECT_FALSE(ini.PutString("k", "v"));
    EXPECT_FALSE(Open().PutString("  ", "v")) << "an empty key cannot be written";
}

TEST_F(IniFileTest, ReadOnlyFileRefusesAChangeButNotAnUnchangedValue) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes read-only files";
    Given("[OptionList1]\r\nQRVersion=5\r\n");
    std::filesystem::permissions(path_, std::filesystem::perms::owner_read);
    EXPECT_FALSE(Open().PutInt("QRVersion", 6));
    EXPECT_TRUE(Open().PutInt("QRVersion", 5)) << "the file already says so";
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nQRVersion=5\r\n");
}

TEST_F(IniFileTest, RewritingAShorterFileLeavesNoOldTail) {
    Given("[OptionList1]\r\nQRString=a long old value that is cut away\r\n");
    EXPECT_TRUE(Open().PutString("QRString", "x"));
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nQRString=x\r\n");
}

TEST_F(IniFileTest, NumberFormsAreWrittenIndependentlyOfTheLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");  // the test stays meaningful in C if it is missing
    const IniFile ini = Open();
    EXPECT_TRUE(ini.PutInt("I", -3));
    EXPECT_TRUE(ini.PutLong("L", 0xFFFFFF));
    EXPECT_TRUE(ini.PutBool("T", true));
    EXPECT_TRUE(ini.PutBool("F", false));
    EXPECT_TRUE(ini.PutFloat("M", 10.0f));
    EXPECT_TRUE(ini.PutFloat("H", 12.5f));
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nI=-3\r\nL=16777215\r\nT=True\r\nF=False\r\nM=10.000000\r\nH=12.500000\r\n");
    EXPECT_EQ(ini.GetFloat("H"), 12.5f);
    std::setlocale(LC_ALL, saved.c_str());
}

struct BoolRow {
    const char* name;
    const char* stored;
    bool expected;
};

TEST_F(IniFileTest, OnlyTheExactTextTrueIsTrue) {
    const std::vector<BoolRow> rows = {
        {"exact", "True", true},         {"blanks trimmed", "  True\t", true},
        {"lower case", "true", false},   {"upper case", "TRUE", false},
        {"one", "1", false},             {"longer", "Truely", false},
        {"false", "False", false},       {"empty", "", false},
    };
    for (const BoolRow& row : rows) {
        Given("[OptionList1]\r\nB=" + std::string(row.stored) + "\r\n");
        EXPECT_EQ(Open().GetBool("B"), row.expected) << row.name;
    }
}

TEST_F(IniFileTest, ClampedIntegerIsPulledIntoRange) {
    Given("[OptionList1]\r\nLow=-5\r\nHigh=41\r\nIn=17\r\nText=abc\r\n");
    const IniFile ini = Open();
    EXPECT_EQ(ini.GetIntClamped("Low", 1, 40), 1);
    EXPECT_EQ(ini.GetIntClamped("High", 1, 40), 40);
    EXPECT_EQ(ini.GetIntClamped("In", 1, 40), 17);
    EXPECT_EQ(ini.GetIntClamped("Text", 1, 40), 1);
    EXPECT_EQ(ini.GetIntClamped("Missing", 1, 40), 1);
}

struct IntRow {
    const char* name;
    const char* text;
    int32_t expected;
};

TEST(LeadingNumberTest, IntegersTakeTheLeadingDecimalNumber) {
    const std::vector<IntRow> rows = {
        {"plain", "12", 12},
        {"negative", "-7", -7},
        {"plus sign", "+5", 5},
        {"trailing text", "12abc", 12},
        {"fraction cut", "10.9", 10},
        {"letters", "abc", 0},
        {"empty", "", 0},
        {"sign only", "-", 0},
        {"leading blanks", "  3", 3},
        {"too large saturates", "99999999999", INT32_MAX},
        {"too small saturates", "-99999999999", INT32_MIN},
        {"smallest", "-2147483648", INT32_MIN},
        {"largest colour", "16777215", 0xFFFFFF},
    };
    for (const IntRow& row : rows) EXPECT_EQ(LeadingInt32(row.text), row.expected) << row.name;
}

struct FloatRow {
    const char* name;
    const char* text;
    float expected;
};

TEST(LeadingNumberTest, FloatsTakeTheLeadingDecimalNumber) {
    const std::vector<FloatRow> rows = {
        {"saved form", "10.000000", 10.0f},
        {"half", "12.5", 12.5f},
        {"negative", "-0.5", -0.5f},
        {"plus sign", "+2", 2.0f},
        {"no integer part", ".25", 0.25f},
        {"exponent", "1e2", 100.0f},
        {"lone exponent mark", "3e", 3.0f},
        {"decimal comma stops", "12,5", 12.0f},
        {"letters", "abc", 0.0f},
        {"no infinity", "inf", 0.0f},
        {"no nan", "nan", 0.0f},
        {"no hex", "0x10", 0.0f},
        {"dot alone", ".", 0.0f},
        {"beyond float", "1e39", FLT_MAX},
        {"beyond double", "1e999", 0.0f},
        {"single precision", "0.1", 0.1f},
    };
    for (const FloatRow& row : rows) EXPECT_EQ(LeadingFloat(row.text), row.expected) << row.name;
}

TEST(LeadingNumberTest, FloatsIgnoreACommaLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(LeadingFloat("12.5"), 12.5f);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(ExePathTest, NamesTheRunningProgramAndItsFolder) {
    const std::string exe = ExeFilePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "test_platform");
    const std::string folder = ExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(exe.rfind(folder, 0), 0u) << "the folder is the start of the path";
    EXPECT_EQ(folder.size(), exe.rfind('/') + 1);
}

}  // namespace
}  // namespace sgry
