// sigilry-cli --keys against the settings file the writer produces, and
// values outside the allowed ones refused before anything is stamped.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "platform/SjisText.h"
#include "settings/SettingsFile.h"
#include "tests/engine/TestPdf.h"
#include "tests/support/SamplePdfs.h"
#include "tests/support/ScratchDir.h"

namespace sgry {
namespace {

using test::Quoted;
using test::ScratchDir;

// Section, key and value (UTF-8) of each line, in file order.
std::vector<std::string> Entries(const std::string& text, char separator) {
    std::vector<std::string> entries;
    std::istringstream lines(text);
    std::string section;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (separator == '=' && line.starts_with("[")) {
            section = line.substr(1, line.size() - 2);
        } else if (separator == '=') {
            const std::size_t equals = line.find('=');
            entries.push_back(section + '\t' + line.substr(0, equals) + '\t' + sjis::ToUtf8(line.substr(equals + 1)));
        } else {
            std::size_t third = 0;
            for (int tab = 0; tab < 3; ++tab) third = line.find('\t', third) + 1;
            entries.push_back(line.substr(0, third - 1));
        }
    }
    return entries;
}

TEST(KeysTest, ListsExactlyTheKeysTheSettingsWriterWritesWithTheirValues) {
    ScratchDir dir("keys");
    const std::string ini = dir.File("sgry.ini");
    StampSettings stamp;
    stamp.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::Text;
    stamp.Slots[kHeaderCenter].CustomText = sjis::FromUtf8("社外秘").value();
    stamp.Margin[kMarginLeft] = 12.5f;
    AppSettings app;
    app.Output = OutputMode::Overwrite;
    ASSERT_TRUE(SaveSettings(ini, stamp));
    ASSERT_TRUE(SaveSettings(ini, app));

    std::string listed;
    ASSERT_EQ(test::RunShell(Quoted(SIGILRY_CLI_PATH) + " --keys --settings " + Quoted(ini), &listed), 0);
    const std::vector<std::string> written = Entries(ScratchDir::Read(ini), '=');
    EXPECT_EQ(Entries(listed, '\t'), written);
    EXPECT_EQ(written.size(), 38u + 2u + 6u * 9u + 2u);  // stamp keys, edge borders, slots, App
    EXPECT_NE(listed.find("OptionList1\tHF1_StyleType\t3\t0-3 (0 none, 1 page number, 2 date and time, 3 text)\t0\n"),
              std::string::npos)
        << listed;
    EXPECT_NE(listed.find("\tWaterMarkType\t0\t0-26 (0 none, 1 社外秘, "), std::string::npos);
}

TEST(KeysTest, ValuesOutsideTheAllowedOnesAreUsageErrorsAndStampNothing) {
    ScratchDir dir("keys-range");
    const std::string pdf = dir.File("a.pdf");
    ScratchDir::Write(pdf, test::FlatPdf({"/MediaBox [0 0 595 842] /Resources << >>"}));
    const std::string err = dir.File("stderr.txt");
    struct Row {
        const char* setting;
        const char* allowed;
    };
    const Row rows[] = {
        {"HF1_StyleType=9", "0-3 (0 none, 1 page number"},
        {"Margin0=-5", "0-100 (decimal)"},
        {"WaterMarkType=27", "0-26 (0 none"},
        {"Output=3", "2 overwrite the source)"},
        {"Undo=1", "True|False"},
        {"QRVersion=0", "1-40"},
        {"bWmBarColor=16777216", "0-16777215"},
        {"StartPage=first", "0-99999"},
        {"hf4_stylepagetype=2x", "0-3 (0 1, 1 -1-"},
        {"bWmFont=Helvetika", "Courier|Helvetica|Times-Roman|"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.setting);
        const int status = test::RunShell(Quoted(SIGILRY_CLI_PATH) + " --yes --set " + Quoted(row.setting) + " " +
                                          Quoted(pdf) + " 2>" + Quoted(err));
        EXPECT_EQ(status, 2);
        const std::string message = ScratchDir::Read(err);
        EXPECT_NE(message.find(row.setting), std::string::npos) << message;
        EXPECT_NE(message.find(row.allowed), std::string::npos) << message;
        EXPECT_FALSE(std::filesystem::exists(dir.File("_a.pdf")));
    }
}

}  // namespace
}  // namespace sgry
