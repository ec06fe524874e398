// A settings file with lines of a megabyte: every other key still loads,
// and loading stays linear in the size of the file.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "settings/SettingsFile.h"
#include "support/Sanitized.h"
#include "support/ScratchDir.h"

namespace sgry {
namespace {

TEST(SettingsBoundsTest, MegabyteLinesDoNotDisturbTheOtherKeys) {
    test::ScratchDir dir("settings-bounds");
    const std::string path = dir.File("sgry.ini");
    const size_t lineBytes = test::kSanitized ? 1u << 16 : 1u << 20;
    {
        std::ofstream out(path, std::ios::binary);
        out << "[OptionList1]\r\n" << std::string(lineBytes, 'j') << "\r\n";
        out << "bWmText=" << std::string(lineBytes, 'b') << "\r\n";
        out << "QRVersion=7\r\nWaterMarkDensity=400\r\n[App]\r\nOutput=2\r\n";
    }
    StampSettings stamp;
    AppSettings app;
    LoadSettings(path, stamp);
    LoadSettings(path, app);
    EXPECT_EQ(stamp.QRVersion, 7);
    EXPECT_EQ(stamp.WaterMarkDensity, 100);
    EXPECT_EQ(app.Output, OutputMode::Overwrite);
    EXPECT_FALSE(stamp.bWmText.empty());
    EXPECT_EQ(stamp.bWmText.find_first_not_of('b'), std::string::npos);
}

}  // namespace
}  // namespace sgry
