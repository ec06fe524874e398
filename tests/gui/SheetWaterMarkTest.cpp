// The watermark page: the word list, the font button with the word's allowed
// fonts, the automatic font change, the diagonal rule and the image fields.
#include <QCheckBox>
#include <QFileDialog>
#include <QSlider>

#include "app/AutoFontChange.h"
#include "gui/CPPageWaterMark.h"
#include "gui/FontColorDialog.h"
#include "SheetTestSupport.h"
#include "support/ScratchDir.h"

namespace sgry::test {
namespace {

constexpr int kRowSecret = 4;       // 秘密
constexpr int kRowShagaihi = 3;     // 社外秘
constexpr int kRowTopSecret = 25;   // TOP SECRET

class WaterMarkPageTest : public SheetTest<3> {
protected:
    // Presses the font button, picks font row `fontRow` and OK; whether the
    // dialog closed with OK.
    bool ChooseFont(int fontRow) {
        bool accepted = false;
        ScopedDialogRunner runner([&](QDialog& dialog) {
            Select(&dialog, 1091, fontRow);
            accepted = PressOk(dialog) == QDialog::Accepted;
            return dialog.result();
        });
        Click(Page(), 1141);
        return accepted;
    }
};

struct WordFontRow {
    const char* name;
    int wordRow;
    int fontRow;
    bool accepted;
    const char* stored;
};

TEST_F(WaterMarkPageTest, KindListInTableOrderAndTheFontButtonAcceptsOnlyTheWordsFontClasses) {
    OpenSheet();
    auto* kinds = Control<QComboBox>(Page(), 1081);
    ASSERT_EQ(kinds->count(), kWatermarkWordCount);
    EXPECT_EQ(kinds->itemText(0), QStringLiteral("(なし)"));
    EXPECT_EQ(kinds->itemText(kRowTopSecret), QStringLiteral("TOP SECRET"));
    EXPECT_EQ(kinds->itemText(26), QStringLiteral("紙の無駄"));

    const WordFontRow rows[] = {
        {"English word, Japanese font", kRowTopSecret, 5, true, "HeiseiMin-W3"},
        {"Japanese word, Latin font", kRowSecret, 0, false, "HeiseiKakuGo-W5"},
        {"no word, Latin font", 0, 0, false, "HeiseiKakuGo-W5"},
        {"no word, Japanese font", 0, 5, false, "HeiseiKakuGo-W5"},
    };
    for (const WordFontRow& row : rows) {
        SCOPED_TRACE(row.name);
        settings_.WaterMarkFont = "HeiseiKakuGo-W5";
        prompts_.messages.clear();
        OpenSheet();
        Select(Page(), 1081, row.wordRow);
        EXPECT_EQ(ChooseFont(row.fontRow), row.accepted);
        EXPECT_EQ(settings_.WaterMarkFont, row.stored);
        EXPECT_EQ(prompts_.Texts(), row.accepted ? Strings{} : Strings{"そのフォントは選択できません"});
    }
}

TEST_F(WaterMarkPageTest, FontButtonHandsInColourAndFontAndStoresAtOnce) {
    settings_.WaterMarkColor = 0x336699;
    settings_.WaterMarkFont = "HeiseiKakuPGo-W5";
    OpenSheet();
    Select(Page(), 1081, kRowShagaihi);
    ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* fonts = qobject_cast<FontColorDialog*>(&dialog);
        if (!fonts) return UnexpectedDialog(dialog);
        EXPECT_EQ(Control<QComboBox>(&dialog, 1091)->currentIndex(), 8);
        EXPECT_EQ(fonts->Color(), 0x336699);
        Select(&dialog, 1091, 9);
        return PressOk(dialog);
    });
    Click(Page(), 1141);
    EXPECT_EQ(settings_.WaterMarkFont, "KozMinPro-Regular");
    EXPECT_EQ(settings_.WaterMarkType, 0);  // the word waits for OK
    sheet_->CancelButton()->click();
    EXPECT_EQ(settings_.WaterMarkFont, "KozMinPro-Regular");
}

TEST_F(WaterMarkPageTest, JapaneseWordWithCourierGetsAProportionalMinchoAndTheReport) {
    OpenSheet();
    Select(Page(), 1081, kRowShagaihi);
    Ok();
    EXPECT_EQ(settings_.WaterMarkType, 1);
    EXPECT_EQ(settings_.WaterMarkFont, "HeiseiPMin-W3");
    EXPECT_EQ(prompts_.Texts(), Strings{"設定の一部を以下のように自動変更しました\r\n\r\n"
                                        "・文字透かしのフォントを全角フォントに変更しました\r\n"});
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
}

TEST_F(WaterMarkPageTest, DiagonalOnlyAtTheCentreAndStoredWithItsStateWhileDisabled) {
    settings_.WawterMarkDiagonal = true;
    OpenSheet();
    auto* position = Control<QComboBox>(Page(), 1083);
    for (int index = 0; index < kStampPositionCount; ++index) {
        position->setCurrentIndex(index);
        EXPECT_EQ(Enabled(Page(), 1140), index == 4) << index;
    }
    Ok();
    EXPECT_EQ(settings_.WaterMarkPosition, StampPosition::BottomRight);
    EXPECT_TRUE(settings_.WawterMarkDiagonal);
}

TEST_F(WaterMarkPageTest, DensitySlidersRunFromZeroToHundredInTensAndEveryFieldIsStored) {
    OpenSheet();
    for (int id : {1084, 1087}) {
        auto* slider = Control<QSlider>(Page(), id);
        EXPECT_EQ(slider->minimum(), 0);
        EXPECT_EQ(slider->maximum(), 100);
        EXPECT_EQ(slider->tickInterval(), 10);
        EXPECT_EQ(slider->value(), 30);
    }
    Select(Page(), 1081, 15);  // COPY
    Select(Page(), 1083, 4);
    Click(Page(), 1140);
    Click(Page(), 1121);
    Control<QSlider>(Page(), 1084)->setValue(70);
    Type(Page(), 1085, QStringLiteral("/tmp/画像/stamp.png"));
    Select(Page(), 1086, 2);
    Click(Page(), 1138);
    Control<QSlider>(Page(), 1087)->setValue(100);
    Ok();

    EXPECT_EQ(settings_.WaterMarkType, 13);
    EXPECT_EQ(settings_.WaterMarkPosition, StampPosition::Center);
    EXPECT_TRUE(settings_.WawterMarkDiagonal);
    EXPECT_FALSE(settings_.WaterMarkMargin);
    EXPECT_EQ(settings_.WaterMarkDensity, 70);
    EXPECT_EQ(settings_.ImageFileName, "/tmp/\xE7\x94\xBB\xE5\x83\x8F/stamp.png");  // native (UTF-8) bytes
    EXPECT_EQ(settings_.ImagePosition, StampPosition::TopRight);
    EXPECT_FALSE(settings_.ImageMargin);
    EXPECT_EQ(settings_.ImageDensity, 100);
    EXPECT_EQ(settings_.WaterMarkFont, "Courier");  // COPY allows both font classes
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(WaterMarkPageTest, BrowseOffersTheImageTypesAndTakesTheChosenFile) {
    ScratchDir dir("browse");
    const std::string image = dir.File("seal.jpg");
    ScratchDir::Write(image, "\xFF\xD8\xFF");
    OpenSheet();
    ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files) return UnexpectedDialog(dialog);
        EXPECT_EQ(files->windowTitle(), QStringLiteral("画像ファイルを選択して下さい"));
        EXPECT_EQ(files->fileMode(), QFileDialog::ExistingFile);
        const QStringList filters = files->nameFilters();
        EXPECT_EQ(filters.size(), 5);
        EXPECT_EQ(filters.value(0), QStringLiteral("対応形式(*.jpg *.jpeg *.bmp *.png)"));
        EXPECT_EQ(filters.value(1), QStringLiteral("JPEGﾌｧｲﾙ(*.jpg *.jpeg)"));
        EXPECT_EQ(filters.value(4), QStringLiteral("すべてのﾌｧｲﾙ(*.*)"));
        files->selectFile(QString::fromStdString(image));
        return PressOk(dialog);
    });
    Click(Page(), 1088);
    EXPECT_EQ(Control<QLineEdit>(Page(), 1085)->text(), QString::fromStdString(image));
}

}  // namespace
}  // namespace sgry::test
