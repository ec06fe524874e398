#include <gtest/gtest.h>
#include <unistd.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <optional>
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

TEST_F(IniFileTest, MissingFileReadsAsEmptyOrTheDefault) {
    EXPECT_EQ(IniFile(path_).Section(), "DefaultSection");
    const IniFile ini = Open();
    EXPECT_EQ(ini.GetString("QRString"), "");
    EXPECT_EQ(ini.GetString("QRString", "fallback"), "fallback");
    EXPECT_FALSE(ini.HasValue("QRString"));
    EXPECT_EQ(ini.GetInt("QRVersion"), 0);
    EXPECT_FALSE(ini.GetBool("QRIsValid"));
    EXPECT_FALSE(std::filesystem::exists(path_)) << "reading must not create the file";
}

struct ReadRow {
    const char* name;
    std::string file;
    const char* section;
    const char* key;
    bool present;
    std::string value;  // what GetString returns with the default "default"
};

TEST_F(IniFileTest, ReadingFindsTheFirstMatchingSectionAndKey) {
    const std::string twice = "[S]\r\nk=first\r\nk=second\r\n[S]\r\nk=third\r\nonly=later\r\n";
    const ReadRow rows[] = {
        {"case of section and key ignored", "[optionLIST1]\r\n  qrVERSION\t= 12 \r\n", "OPTIONLIST1",
         "QRVersion", true, "12"},
        // 0x83 0x41 and 0x83 0x61 are two katakana; folding the second byte would make them one name.
        {"trail byte not folded, upper", "[\x83\x41]\r\nk=upper\r\n[\x83\x61]\r\nk=lower\r\n", "\x83\x41",
         "k", true, "upper"},
        {"trail byte not folded, lower", "[\x83\x41]\r\nk=upper\r\n[\x83\x61]\r\nk=lower\r\n", "\x83\x61",
         "k", true, "lower"},
        {"first key wins", twice, "S", "k", true, "first"},
        {"second section never read", twice, "S", "only", false, "default"},
        {"other section not seen", "[App]\r\nOutput=2\r\n", "OptionList1", "Output", false, "default"},
        // An empty value counts as absent, yet is not replaced by the default.
        {"empty value is absent", "[OptionList1]\r\nbWmText=\r\n", "OptionList1", "bWmText", false, ""},
        {"blank value is absent", "[OptionList1]\r\nMargin0=   \r\n", "OptionList1", "Margin0", false, ""},
        {"trimmed, inner blanks kept", "[OptionList1]\r\nbWmText = \t a  b \t\r\n", "OptionList1", "bWmText",
         true, "a  b"},
        {"value after the first equals sign", "[OptionList1]\r\nCustom=a=b==c\r\n", "OptionList1", "Custom",
         true, "a=b==c"},
        {"two-byte text kept", "[O]\r\n  Unknown Key = \x83\x5C\x82\xA0 kept  \r\n", "O", "Unknown Key", true,
         "\x83\x5C\x82\xA0 kept"},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(row.name);
        Given(row.file);
        const IniFile ini = Open(row.section);
        EXPECT_EQ(ini.HasValue(row.key), row.present);
        EXPECT_EQ(ini.GetString(row.key, "default"), row.value);
    }
}

struct WriteRow {
    const char* name;
    std::optional<std::string> before;  // nullopt: no file yet
    const char* section;
    const char* key;
    std::string value;
    std::string after;
};

TEST_F(IniFileTest, WritingChangesOnlyItsOwnLine) {
    const std::string handWritten =
        "; written by hand\n[Other]\r\nQRVersion=3\r\n[OptionList1]\r\n  Unknown Key = \x83\x5C\x82\xA0 kept "
        " \r\n"
        "# comment=like\nqrversion =  7 \rWaterMarkFont=Courier\r\nno equals sign here\r\n";
    std::string handWrittenAfter = handWritten;
    handWrittenAfter.replace(handWritten.find("qrversion =  7 "), 15, "QRVersion=12");
    const WriteRow rows[] = {
        {"new file", std::nullopt, "OptionList1", "bWmText", "Sample", "[OptionList1]\r\nbWmText=Sample\r\n"},
        {"new section at the end", "[OptionList1]\r\nbWmText=Sample\r\n", "App", "Undo", "True",
         "[OptionList1]\r\nbWmText=Sample\r\n[App]\r\nUndo=True\r\n"},
        {"new key before blank lines", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "A", "z", "3",
         "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
        {"replacement keeps every other byte", handWritten, "OptionList1", "QRVersion", "12",
         handWrittenAfter},
        {"case-blind names, new spelling", "[optionLIST1]\r\n  qrVERSION\t= 12 \r\n", "OptionList1",
         "QRVERSION", "40", "[optionLIST1]\r\nQRVERSION=40\r\n"},
        {"first of two keys and sections", "[S]\r\nk=first\r\nk=second\r\n[S]\r\nk=third\r\n", "S", "k",
         "new", "[S]\r\nk=new\r\nk=second\r\n[S]\r\nk=third\r\n"},
        {"no final line break, same section", "[OptionList1]\r\nA=1", "OptionList1", "B", "2",
         "[OptionList1]\r\nA=1\r\nB=2"},
        {"no final line break, new section", "[OptionList1]\r\nA=1", "App", "C", "3",
         "[OptionList1]\r\nA=1\r\n[App]\r\nC=3\r\n"},
        {"line break written as it stands", std::nullopt, "OptionList1", "QRString", "one\r\ntwo",
         "[OptionList1]\r\nQRString=one\r\ntwo\r\n"},
        {"shorter file leaves no old tail", "[OptionList1]\r\nQRString=a long old value that is cut away\r\n",
         "OptionList1", "QRString", "x", "[OptionList1]\r\nQRString=x\r\n"},
    };
    for (const WriteRow& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(path_);
        if (row.before) Given(*row.before);
        EXPECT_TRUE(Open(row.section).PutString(row.key, row.value));
        EXPECT_EQ(Bytes(), row.after);
    }
    EXPECT_EQ(Open().GetString("QRString"), "x");
    Given("[OptionList1]\r\nQRString=one\r\ntwo\r\n");
    EXPECT_EQ(Open().GetString("QRString"), "one");
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
    EXPECT_EQ(Bytes(),
              "[OptionList1]\r\nI=-3\r\nL=16777215\r\nT=True\r\nF=False\r\nM=10.000000\r\nH=12.500000\r\n");
    EXPECT_EQ(ini.GetFloat("H"), 12.5f);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST_F(IniFileTest, OnlyTheExactTextTrueIsTrue) {
    const std::pair<const char*, bool> rows[] = {
        {"True", true}, {"  True\t", true}, {"true", false},  {"TRUE", false},
        {"1", false},   {"Truely", false},  {"False", false}, {"", false},
    };
    for (const auto& [stored, expected] : rows) {
        Given("[OptionList1]\r\nB=" + std::string(stored) + "\r\n");
        EXPECT_EQ(Open().GetBool("B"), expected) << stored;
    }
}

TEST_F(IniFileTest, ClampedIntegerIsPulledIntoRange) {
    Given("[OptionList1]\r\nLow=-5\r\nHigh=41\r\nIn=17\r\nText=abc\r\n");
    const IniFile ini = Open();
    for (const auto& [key, expected] : std::vector<std::pair<const char*, int>>{
             {"Low", 1}, {"High", 40}, {"In", 17}, {"Text", 1}, {"Missing", 1}})
        EXPECT_EQ(ini.GetIntClamped(key, 1, 40), expected) << key;
}

TEST(LeadingNumberTest, IntegersTakeTheLeadingDecimalNumber) {
    const std::pair<const char*, int32_t> rows[] = {
        {"12", 12},
        {"-7", -7},
        {"+5", 5},
        {"12abc", 12},
        {"10.9", 10},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"  3", 3},
        {"99999999999", INT32_MAX},
        {"-99999999999", INT32_MIN},
        {"-2147483648", INT32_MIN},
        {"16777215", 0xFFFFFF},
    };
    for (const auto& [text, expected] : rows) EXPECT_EQ(LeadingInt32(text), expected) << text;
}

TEST(LeadingNumberTest, FloatsTakeTheLeadingDecimalNumberWhateverTheLocale) {
    const std::pair<const char*, float> rows[] = {
        {"10.000000", 10.0f}, {"12.5", 12.5f},   {"-0.5", -0.5f}, {"+2", 2.0f},
        {".25", 0.25f},       {"1e2", 100.0f},   {"3e", 3.0f},    {"12,5", 12.0f},
        {"abc", 0.0f},        {"inf", 0.0f},     {"nan", 0.0f},   {"0x10", 0.0f},
        {".", 0.0f},          {"1e39", FLT_MAX}, {"1e999", 0.0f}, {"0.1", 0.1f},
    };
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        std::setlocale(LC_ALL, locale);
        for (const auto& [text, expected] : rows)
            EXPECT_EQ(LeadingFloat(text), expected) << text << " in " << locale;
    }
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(ExePathTest, NamesTheRunningProgramAndItsFolder) {
    const std::string exe = ExeFilePath();
    ASSERT_FALSE(exe.empty());
    EXPECT_EQ(exe.substr(exe.rfind('/') + 1), "test_platform");
    const std::string folder = ExeFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder, exe.substr(0, exe.rfind('/') + 1));
}

}  // namespace
}  // namespace sgry
