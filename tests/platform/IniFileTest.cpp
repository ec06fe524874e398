#include <gtest/gtest.h>
#include <unistd.h>

#include <clocale>
#include <string>
#include <vector>

#include "platform/IniFile.h"
#include "support/Manifest.h"
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

TEST_F(IniFileTest, LinesOfAnyLengthAreRead) {
    std::string value(200000, 'x');
    value[0] = '1';
    value.back() = '9';
    EXPECT_TRUE(Open().PutString("QRString", value));
    EXPECT_TRUE(Open().PutString("After", "tail"));
    EXPECT_EQ(Open().GetString("QRString"), value);
    EXPECT_EQ(Open().GetString("After"), "tail");
}

// Held reads see the file as it was until a write (a committed batch too);
// held writes see themselves; held values are looked up per section.
TEST_F(IniFileTest, HeldBytesAreReadUntilTheyChange) {
    Given("[OptionList1]\r\nk=old\r\n[App]\r\nk=app\r\n");
    IniFile ini = Open();
    ini.HoldReads();
    Given("[OptionList1]\r\nk=changed\r\n");
    EXPECT_EQ(ini.GetString("k"), "old");
    ini.SetSection("App");
    EXPECT_EQ(ini.GetString("k"), "app");
    ini.SetSection("OptionList1");
    EXPECT_TRUE(ini.PutString("j", "new"));
    EXPECT_EQ(ini.GetString("k"), "changed");
    EXPECT_EQ(ini.GetString("j"), "new");

    ini.HoldReads();
    ini.HoldWrites();
    EXPECT_EQ(ini.GetString("k"), "changed");
    EXPECT_TRUE(ini.PutString("k", "batched"));
    EXPECT_EQ(ini.GetString("k"), "batched");
    EXPECT_TRUE(ini.CommitWrites());
    EXPECT_EQ(ini.GetString("k"), "batched");
}

// A file that cannot be written is SettingsFileTest's.
TEST_F(IniFileTest, EmptyKeyIsRefused) { EXPECT_FALSE(Open().PutString("  ", "v")) << "an empty key cannot be written"; }

TEST_F(IniFileTest, ReadOnlyFileRefusesAChangeButNotAnUnchangedValue) {
    if (geteuid() == 0) GTEST_SKIP() << "the superuser writes read-only files";
    Given("[OptionList1]\r\nQRVersion=5\r\n");
    std::filesystem::permissions(path_, std::filesystem::perms::owner_read);
    EXPECT_FALSE(Open().PutInt("QRVersion", 6));
    EXPECT_TRUE(Open().PutInt("QRVersion", 5)) << "the file already says so";
    EXPECT_EQ(Bytes(), "[OptionList1]\r\nQRVersion=5\r\n");
}

// The rows of tests/data/platform/ini.tsv: reading, writing and number forms.
// The forms written under a comma locale are SettingsFileTest's.
TEST_F(IniFileTest, EveryManifestRowReadsOrWritesAsListed) {
    const std::vector<test::ManifestRow> rows = test::ReadManifest("platform/ini.tsv");
    ASSERT_GT(rows.size(), 60u);
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    for (const test::ManifestRow& row : rows) {
        SCOPED_TRACE("ini.tsv line " + std::to_string(row.line) + " " + row.cells.back());
        const std::string& kind = row[0];
        std::filesystem::remove(path_);
        if (kind == "read") {
            Given(row[1]);
            const IniFile ini = Open(row[2]);
            EXPECT_EQ(ini.HasValue(row[3]), row[4] == "yes");
            EXPECT_EQ(ini.GetString(row[3], "default"), row[5]);
        } else if (kind == "write") {
            if (row[1] != "!none") Given(row[1]);
            EXPECT_TRUE(Open(row[2]).PutString(row[3], row[4]));
            EXPECT_EQ(Bytes(), row[5]);
        } else if (kind == "bool" || kind == "clamp") {
            Given(row[1] == "!none" ? "[OptionList1]\r\n" : "[OptionList1]\r\nK=" + row[1] + "\r\n");
            const std::string value = kind == "bool" ? (Open().GetBool("K") ? "yes" : "no")
                                                     : std::to_string(Open().GetIntClamped("K", 1, 40));
            EXPECT_EQ(value, row[2]);
        } else if (kind == "int") {
            EXPECT_EQ(std::to_string(LeadingInt32(row[1])), row[2]);
        } else {
            ASSERT_EQ(kind, "float");
            const float expected = std::strtof(row[2].c_str(), nullptr);  // read while the locale is "C"
            for (const char* locale : {"de_DE.UTF-8", "C"}) {
                std::setlocale(LC_ALL, locale);
                EXPECT_EQ(LeadingFloat(row[1]), expected) << locale;
            }
        }
    }
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
}  // namespace sgry
