// The font and colour dialog and the sample fonts of its list.
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>

#include "gui/FontColorDialog.h"
#include "gui/PreviewFont.h"
#include "SheetTestSupport.h"

namespace sgry::test {
namespace {

TEST(FontColorDialogTest, ListsTheTenFontsAndSelectsTheGivenOneOrTheFirst) {
    RecordingPrompts prompts;
    FontColorDialog dialog(0, "HeiseiKakuPGo-W5", false, false, 3, prompts);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("フォントと色の選択"));
    auto* fonts = Control<QComboBox>(&dialog, 1091);
    ASSERT_EQ(fonts->count(), 10);
    EXPECT_EQ(fonts->itemText(0), QStringLiteral("[英]Courier"));
    EXPECT_EQ(fonts->itemText(9), QStringLiteral("[日]小塚明朝Pro"));
    EXPECT_EQ(fonts->currentIndex(), 8);
    FontColorDialog unknown(0, "Arial", false, false, 3, prompts);
    EXPECT_EQ(Control<QComboBox>(&unknown, 1091)->currentIndex(), 0);
}

TEST(FontColorDialogTest, BoldAndItalicTravelThroughHiddenDisabledBoxes) {
    RecordingPrompts prompts;
    FontColorDialog dialog(0, "Courier", true, false, 3, prompts);
    dialog.show();
    for (int id : {1139, 1140}) {
        auto* box = Control<QCheckBox>(&dialog, id);
        EXPECT_FALSE(box->isVisible()) << id;
        EXPECT_FALSE(box->isEnabled()) << id;
    }
    EXPECT_TRUE(Control<QCheckBox>(&dialog, 1139)->isChecked());
    EXPECT_FALSE(Control<QCheckBox>(&dialog, 1140)->isChecked());
    Select(&dialog, 1091, 2);
    ASSERT_EQ(PressOk(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.FontName(), "Times-Roman");
    EXPECT_TRUE(dialog.Bold());
    EXPECT_FALSE(dialog.Italic());
}

struct AllowedRow {
    const char* name;
    int32_t allowedFonts;
    int fontRow;
    bool accepted;
};

TEST(FontColorDialogTest, AcceptsOnlyTheAllowedFontClasses) {
    const AllowedRow rows[] = {
        {"both, Latin", 3, 0, true},       {"both, Japanese", 3, 9, true},
        {"Latin only, Symbol", 1, 3, true}, {"Latin only, Japanese", 1, 5, false},
        {"Japanese only, Mincho", 2, 6, true}, {"Japanese only, Latin", 2, 4, false},
        {"none, Latin", 0, 1, false},      {"none, Japanese", 0, 7, false},
    };
    for (const AllowedRow& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingPrompts prompts;
        FontColorDialog dialog(0, "Courier", false, false, row.allowedFonts, prompts);
        Select(&dialog, 1091, row.fontRow);
        EXPECT_EQ(PressOk(dialog) == QDialog::Accepted, row.accepted);
        EXPECT_EQ(prompts.Texts(), row.accepted ? Strings{} : Strings{"そのフォントは選択できません"});
        if (!row.accepted) {
            EXPECT_EQ(dialog.FontName(), "Courier");
        }
    }
}

TEST(FontColorDialogTest, SwatchShowsTheColourAndOpensTheColourDialog) {
    RecordingPrompts prompts;
    FontColorDialog dialog(0x00FF8000, "Courier", false, false, 3, prompts);  // blue 0xFF, green 0x80
    dialog.show();
    auto* swatch = Control<ColorSwatch>(&dialog, 1092);
    const QImage before = swatch->grab().toImage();
    EXPECT_EQ(before.pixelColor(before.width() / 2, before.height() / 2), QColor(0, 0x80, 0xFF));

    int pickers = 0;
    ScopedDialogRunner runner([&](QDialog& picker) {
        auto* colors = qobject_cast<QColorDialog*>(&picker);
        if (!colors) return UnexpectedDialog(picker);
        ++pickers;
        EXPECT_EQ(colors->currentColor(), QColor(0, 0x80, 0xFF));
        colors->setCurrentColor(QColor(0x12, 0x34, 0x56));
        return PressOk(picker);
    });
    swatch->click();
    EXPECT_EQ(pickers, 1);
    EXPECT_EQ(swatch->Color(), QColor(0x12, 0x34, 0x56));
    ASSERT_EQ(PressOk(dialog), QDialog::Accepted);
    EXPECT_EQ(dialog.Color(), 0x563412);
}

TEST(FontColorDialogTest, CancelledColourDialogKeepsTheColour) {
    RecordingPrompts prompts;
    FontColorDialog dialog(0x0000FF, "Courier", false, false, 3, prompts);
    ScopedDialogRunner runner([](QDialog& picker) {
        qobject_cast<QColorDialog*>(&picker)->setCurrentColor(Qt::green);
        picker.reject();
        return picker.result();
    });
    Click(&dialog, 1092);
    EXPECT_EQ(dialog.Color(), 0x0000FF);
}

struct FaceRow {
    const char* pdfName;
    const char* desktopFace;
    const char* japaneseFallback;
};

TEST(PreviewFontTest, TableFontsHaveAPlainSampleWithTheDesktopFaceFirstThenAJapaneseFace) {
    const FaceRow rows[] = {
        {"Courier", "Courier", "Noto Sans CJK JP"},
        {"Times-Roman", "Times New Roman", "Noto Serif CJK JP"},
        {"Symbol", nullptr, nullptr},
        {"HeiseiMin-W3", "ＭＳ 明朝", "Noto Serif CJK JP"},
        {"HeiseiKakuPGo-W5", "ＭＳＰ ゴシック", "Noto Sans CJK JP"},
        {"KozMinPro-Regular", "小塚明朝", "Noto Serif CJK JP"},
    };
    for (const FaceRow& row : rows) {
        SCOPED_TRACE(row.pdfName);
        std::optional<QFont> font = MakePreviewFont(row.pdfName, 16);
        ASSERT_TRUE(font.has_value());
        EXPECT_EQ(font->pixelSize(), 16);
        EXPECT_FALSE(font->italic());
        EXPECT_EQ(font->weight(), QFont::Normal);
        if (!row.desktopFace) continue;
        const QStringList families = font->families();
        ASSERT_FALSE(families.isEmpty());
        EXPECT_EQ(families.first(), QString::fromUtf8(row.desktopFace));
        EXPECT_TRUE(families.contains(QString::fromUtf8(row.japaneseFallback)));
    }
    EXPECT_FALSE(MakePreviewFont("Arial", 16).has_value());
    EXPECT_FALSE(MakePreviewFont("", 16).has_value());
    EXPECT_EQ(MakePreviewFont("Courier", -20)->pixelSize(), 20);
}

TEST(PreviewFontTest, JapaneseSamplesResolveToAnInstalledJapaneseFace) {
    if (!QFontDatabase::hasFamily(QStringLiteral("Noto Serif CJK JP")))
        GTEST_SKIP() << "fonts-noto-cjk is not installed";
    const QFontInfo mincho(*MakePreviewFont("HeiseiMin-W3", 16));
    EXPECT_EQ(mincho.family(), QStringLiteral("Noto Serif CJK JP"));
    const QFontInfo gothic(*MakePreviewFont("HeiseiKakuPGo-W5", 16));
    EXPECT_EQ(gothic.family(), QStringLiteral("Noto Sans CJK JP"));
}

}  // namespace
}  // namespace sgry::test
