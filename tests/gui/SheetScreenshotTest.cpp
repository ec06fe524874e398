// Pictures of every settings page and dialog for a reader to look at: run
// with SIGILRY_SCREENSHOT_DIR=<folder> to get one PNG each (skipped without).
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QImage>
#include <QPlainTextEdit>
#include <QSet>
#include <cstdlib>
#include <filesystem>

#include "gui/CPSheetApplicationSetting.h"
#include "gui/PropertyPage.h"
#include "gui/CPSheetStampSetting.h"
#include "gui/FontColorDialog.h"
#include "gui/QrPreviewDialog.h"
#include "SheetTestSupport.h"
#include "support/RecordingPrompts.h"

namespace sgry::test {
namespace {

class SheetScreenshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dir = std::getenv("SIGILRY_SCREENSHOT_DIR");
        if (!dir || !*dir) GTEST_SKIP() << "set SIGILRY_SCREENSHOT_DIR to save screenshots";
        dir_ = dir;
        std::filesystem::create_directories(dir_);
    }

    // Saves the widget's picture and checks that it holds more than one colour.
    void Save(QWidget& widget, const std::string& name) {
        const std::string path = (dir_ / (name + ".png")).string();
        const QImage image = widget.grab().toImage();
        ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG")) << path;
        EXPECT_TRUE(std::filesystem::file_size(path) > 1000) << path;
        QSet<QRgb> colours;
        for (int y = 0; y < image.height(); y += 3)
            for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
        EXPECT_GT(colours.size(), 2) << path;  // text and frames, not one flat colour
    }

    std::filesystem::path dir_;
    RecordingPrompts prompts_;
};

StampSettings Sample() {
    StampSettings s;
    s.IsAllPage = false;
    s.StartPage = 3;
    s.EndPage = 12;
    s.Margin = {12.5f, 10.0f, 15.0f, 15.0f};
    s.OddFlag = {false, true};
    s.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    s.Slots[kHeaderLeft].CustomText = Cp932("社外秘・第２版");
    s.Slots[kHeaderLeft].FontName = "HeiseiMin-W3";
    s.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::DateTime;
    s.Slots[kHeaderCenter].StyleDateType = DateFormat::DateTime;
    s.Slots[kHeaderRight].StyleType = HeaderFooterStyle::PageNumber;
    s.Slots[kHeaderRight].StylePageType = PageNumberFormat::DashedOfTotal;
    s.Groups[0].EdgeBorder = true;
    s.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
    s.WaterMarkType = 1;
    s.WaterMarkFont = "HeiseiPMin-W3";
    s.WaterMarkPosition = StampPosition::Center;
    s.WawterMarkDiagonal = true;
    s.ImageFileName = "/home/user/画像/社印.png";
    s.QRIsValid = true;
    s.QRString = Cp932("https://example.com/書類/0001\r\n社外秘");
    return s;
}

TEST_F(SheetScreenshotTest, StampSettingPages) {
    StampSettings settings = Sample();
    CPSheetStampSetting sheet(settings, prompts_);
    sheet.show();
    const char* names[] = {"sheet-1-margin", "sheet-2-header", "sheet-3-footer", "sheet-4-watermark", "sheet-5-qr"};
    for (int page = 0; page < sheet.PageCount(); ++page) {
        sheet.SetActivePage(page);
        Save(sheet, names[page]);
    }
    Click(sheet.Page(4), 1122);  // the manual choice enabled
    Save(sheet, "sheet-5-qr-manual");
}

TEST_F(SheetScreenshotTest, ApplicationSettingPage) {
    AppSettings settings;
    settings.Undo = true;
    CPSheetApplicationSetting sheet(settings, prompts_);
    sheet.show();
    Save(sheet, "sheet-app-general");
}

TEST_F(SheetScreenshotTest, FontColorDialog) {
    FontColorDialog dialog(0x2040C0, "HeiseiKakuGo-W5", false, false, 3, prompts_);
    dialog.show();
    Save(dialog, "font-color-dialog");
    auto* fonts = Control<QComboBox>(&dialog, 1091);
    fonts->showPopup();
    if (QWidget* popup = fonts->view()->window()) Save(*popup, "font-color-dialog-list");
    fonts->hidePopup();
    Select(&dialog, 1091, 3);  // Symbol: the sample shows its glyphs
    Save(dialog, "font-color-dialog-symbol");
}

TEST_F(SheetScreenshotTest, QrPreview) {
    QrPreviewDialog dialog(Cp932("https://example.com/書類/0001 社外秘"), true, 0, 0, prompts_);
    dialog.show();
    Save(dialog, "qr-preview");
}

}  // namespace
}  // namespace sgry::test
