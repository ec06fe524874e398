// The QR page: enabling, the fit check and its messages, the empty-message
// refusals, storing, and the preview dialog judged by a real reader.
#include <gtest/gtest.h>

#include <QImage>
#include <QPlainTextEdit>

#include "app/QrPageCheck.h"
#include "gui/CPPageQR.h"
#include "gui/CPSheetStampSetting.h"
#include "gui/QrPreviewDialog.h"
#include "SheetTestSupport.h"
#include "support/RecordingPrompts.h"
#include "support/ScratchDir.h"
#include "support/SymbolImages.h"

namespace sgry::test {
namespace {

constexpr int kQrPage = 4;

class QrPageTest : public ::testing::Test {
protected:
    void OpenSheet() {
        sheet_ = std::make_unique<CPSheetStampSetting>(settings_, prompts_);
        sheet_->show();
        sheet_->SetActivePage(kQrPage);
    }
    QWidget* Page() const { return sheet_->Page(kQrPage); }
    void SetMessage(const QString& text) { Control<QPlainTextEdit>(Page(), 1116)->setPlainText(text); }

    StampSettings settings_;
    RecordingPrompts prompts_;
    std::unique_ptr<CPSheetStampSetting> sheet_;
};

TEST_F(QrPageTest, EverythingFollowsTheQrCheckAndTheChoiceFollowsItsRadio) {
    OpenSheet();
    const int choiceIds[] = {1126, 1123, 1127, 1124};
    const int phoneIds[] = {1128, 1129};
    const int otherIds[] = {1116, 1114, 1115, 1120, 1121, 1122, 1119};

    // Off (the default): everything but the check is disabled.
    EXPECT_TRUE(Enabled(Page(), 1113));
    for (int id : otherIds) EXPECT_FALSE(Enabled(Page(), id)) << id;
    for (int id : choiceIds) EXPECT_FALSE(Enabled(Page(), id)) << id;
    for (int id : phoneIds) EXPECT_FALSE(Enabled(Page(), id)) << id;

    Click(Page(), 1113);  // on, automatic
    for (int id : otherIds) EXPECT_TRUE(Enabled(Page(), id)) << id;
    for (int id : choiceIds) EXPECT_FALSE(Enabled(Page(), id)) << id;
    for (int id : phoneIds) EXPECT_TRUE(Enabled(Page(), id)) << id;

    Click(Page(), 1122);  // manual
    for (int id : choiceIds) EXPECT_TRUE(Enabled(Page(), id)) << id;
    for (int id : phoneIds) EXPECT_FALSE(Enabled(Page(), id)) << id;

    Click(Page(), 1113);  // off again
    for (int id : choiceIds) EXPECT_FALSE(Enabled(Page(), id)) << id;
    for (int id : otherIds) EXPECT_FALSE(Enabled(Page(), id)) << id;
}

TEST_F(QrPageTest, VersionListHoldsFortyPaddedNumbers) {
    settings_.QRVersion = 7;
    OpenSheet();
    auto* versions = Control<QComboBox>(Page(), 1123);
    ASSERT_EQ(versions->count(), 40);
    EXPECT_EQ(versions->itemText(0), QStringLiteral(" 1"));
    EXPECT_EQ(versions->itemText(39), QStringLiteral("40"));
    EXPECT_EQ(versions->currentIndex(), 6);
    auto* levels = Control<QComboBox>(Page(), 1124);
    ASSERT_EQ(levels->count(), 4);
    EXPECT_EQ(levels->itemText(3), QStringLiteral("最高(H)"));
    EXPECT_EQ(levels->currentIndex(), 3);
}

TEST_F(QrPageTest, SevenThousandEightyNineDigitsAtManualVersionOneGetTheFourPartMessage) {
    OpenSheet();
    Click(Page(), 1113);
    Click(Page(), 1122);
    Select(Page(), 1123, 0);
    SetMessage(QString(7089, QChar(u'7')));
    sheet_->OkButton()->click();

    EXPECT_TRUE(sheet_->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text,
              "QRコードに埋め込むメッセージが長すぎます。以下を試して下さい\r\n"
              "・バージョンを上げる\r\n・エラー訂正レベルを下げる\r\n・メッセージを短くする\r\n");
    EXPECT_EQ(settings_, StampSettings{});

    Select(Page(), 1123, 39);
    Select(Page(), 1124, 0);  // 40-L holds 7089 digits
    sheet_->OkButton()->click();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_.QRString, std::string(7089, '7'));
    EXPECT_EQ(settings_.QRVersion, 40);
    EXPECT_EQ(settings_.QRECLevel, QrEcLevel::L);
    EXPECT_FALSE(settings_.QRIsVersionAuto);
}

TEST_F(QrPageTest, AutomaticModeWithThePhoneLimitRefusesWhatVersionTenCannotHold) {
    OpenSheet();
    Click(Page(), 1113);
    SetMessage(QString(700, QChar(u'a')));  // more than 10-L holds in bytes (271)
    sheet_->OkButton()->click();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text,
              "QRコードに埋め込むメッセージが長すぎます\r\nメッセージを短くして下さい");

    Click(Page(), 1128);  // phone limit off: up to 40
    sheet_->OkButton()->click();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_FALSE(settings_.QRPhone);
    EXPECT_TRUE(settings_.QRIsValid);
}

TEST_F(QrPageTest, FitCheckRunsEvenWithTheWatermarkOff) {
    OpenSheet();
    Click(Page(), 1113);
    Click(Page(), 1122);
    Select(Page(), 1123, 0);
    SetMessage(QString(100, QChar(u'9')));
    Click(Page(), 1113);  // off again; the values stay
    sheet_->OkButton()->click();
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

TEST_F(QrPageTest, EmptyMessageIsRefusedOnlyWhileTheWatermarkIsOn) {
    OpenSheet();
    Click(Page(), 1113);
    sheet_->OkButton()->click();
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text,
              "QRコードに埋め込むメッセージが設定されていません\r\n"
              "メッセージを入力するか、QRコード透かしを無効にして下さい");
    EXPECT_FALSE(settings_.QRIsValid);

    Click(Page(), 1113);
    sheet_->OkButton()->click();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

TEST_F(QrPageTest, StoresEveryFieldWithLineBreaksAsCrLf) {
    OpenSheet();
    Click(Page(), 1113);
    SetMessage(QStringLiteral("社外秘\nline 2"));
    Select(Page(), 1115, 0);
    Click(Page(), 1120);
    Click(Page(), 1128);
    sheet_->OkButton()->click();
    EXPECT_TRUE(settings_.QRIsValid);
    EXPECT_EQ(settings_.QRString, Cp932("社外秘") + "\r\nline 2");
    EXPECT_EQ(settings_.QRPosition, StampPosition::TopLeft);
    EXPECT_FALSE(settings_.QRMarginValid);
    EXPECT_FALSE(settings_.QRPhone);
    EXPECT_TRUE(settings_.QRIsVersionAuto);
    EXPECT_EQ(settings_.QRVersion, 10);
}

TEST_F(QrPageTest, ShowsAStoredMessageWithItsLineBreaks) {
    settings_.QRString = Cp932("一行目") + "\r\nB";
    OpenSheet();
    EXPECT_EQ(Control<QPlainTextEdit>(Page(), 1116)->toPlainText(), QStringLiteral("一行目\nB"));
}

TEST_F(QrPageTest, ClearEmptiesTheMessage) {
    settings_.QRIsValid = true;
    settings_.QRString = "abc";
    OpenSheet();
    Click(Page(), 1114);
    EXPECT_TRUE(Control<QPlainTextEdit>(Page(), 1116)->toPlainText().isEmpty());
}

TEST_F(QrPageTest, MessageIsLimitedToItsStoredLength) {
    OpenSheet();
    Click(Page(), 1113);
    SetMessage(QString(7100, QChar(u'1')));
    EXPECT_EQ(Control<QPlainTextEdit>(Page(), 1116)->toPlainText().size(), 7089);
}

TEST_F(QrPageTest, MessageWithoutAShiftJisFormIsRefused) {
    OpenSheet();
    Click(Page(), 1113);
    SetMessage(QStringLiteral("price 5€"));
    sheet_->OkButton()->click();
    EXPECT_TRUE(sheet_->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("€"), std::string::npos);
    EXPECT_EQ(settings_, StampSettings{});
}

TEST_F(QrPageTest, PreviewRefusesAnEmptyMessageAndATooLongOne) {
    OpenSheet();
    Click(Page(), 1113);
    ScopedDialogRunner runner(UnexpectedDialog);
    Click(Page(), 1119);
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "QRコードに埋め込むメッセージを入力して下さい");
    SetMessage(QString(400, QChar(u'x')));
    Click(Page(), 1119);
    ASSERT_EQ(prompts_.messages.size(), 2u);
    EXPECT_EQ(prompts_.messages[1].text, qr_page_message::kTooLongAuto);
}

TEST_F(QrPageTest, PreviewHandsTheChoiceToTheDialog) {
    OpenSheet();
    Click(Page(), 1113);
    Click(Page(), 1122);
    Select(Page(), 1123, 4);
    Select(Page(), 1124, 1);
    SetMessage(QStringLiteral("01234567"));
    int previews = 0;
    ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* preview = qobject_cast<QrPreviewDialog*>(&dialog);
        EXPECT_NE(preview, nullptr);
        if (!preview) return UnexpectedDialog(dialog);
        ++previews;
        EXPECT_EQ(preview->windowTitle(), QStringLiteral("ＱＲコードのプレビュー"));
        EXPECT_FALSE(preview->Failed());
        EXPECT_EQ(preview->Version(), 5);
        EXPECT_EQ(preview->Level(), 1);
        EXPECT_EQ(preview->ModulesPerRow(), 17 + 4 * 5 + 8);
        return PressOk(dialog);
    });
    Click(Page(), 1119);
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(prompts_.messages.empty());
}

// Grabs the dialog as the user sees it and lets zbarimg read the symbol's
// exact bytes.
std::string ReadWithZbar(QWidget& widget) {
    ScratchDir dir("qr-preview");
    const std::string png = dir.File("preview.png");
    EXPECT_TRUE(widget.grab().save(QString::fromStdString(png), "PNG"));
    return ZbarDecodeBinary({png});
}

TEST(QrPreviewDialogTest, PaintsASymbolThatAReaderDecodes) {
    if (!HaveTool("zbarimg")) GTEST_SKIP() << "zbarimg is not installed";
    RecordingPrompts prompts;
    const std::string message = "Sigilry preview 0123456789 ABCDEF";
    QrPreviewDialog dialog(message, true, 0, 0, prompts);
    dialog.show();
    ASSERT_FALSE(dialog.Failed());
    EXPECT_EQ(ReadWithZbar(dialog), message);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(QrPreviewDialogTest, PaintsAKanjiSymbolAtAFixedVersion) {
    if (!HaveTool("zbarimg")) GTEST_SKIP() << "zbarimg is not installed";
    RecordingPrompts prompts;
    QrPreviewDialog dialog(Cp932("社外秘の書類"), false, 12, 3, prompts);
    dialog.show();
    ASSERT_FALSE(dialog.Failed());
    EXPECT_EQ(dialog.ModulesPerRow(), 17 + 4 * 12 + 8);
    EXPECT_EQ(ReadWithZbar(dialog), Cp932("社外秘の書類"));
}

TEST(QrPreviewDialogTest, ModulesAreTwoPixelsCentredInTheWhiteArea) {
    RecordingPrompts prompts;
    QrPreviewDialog dialog("HELLO", false, 1, 0, prompts);
    dialog.show();
    auto* canvas = dialog.findChild<QrPreviewCanvas*>();
    ASSERT_NE(canvas, nullptr);
    const QImage image = canvas->grab().toImage();
    ASSERT_EQ(image.size(), QSize(390, 390));
    const int n = 17 + 4 + 8;   // 29 modules with the quiet zone
    const int origin = 195 - n;  // 166
    // The quiet zone and the area around it are white, the finder pattern's
    // corner module is black: 2 x 2 pixels at the origin plus 4 modules.
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(origin + 7, origin + 7), QColor(Qt::white));
    for (int dx = 0; dx < 2; ++dx)
        for (int dy = 0; dy < 2; ++dy)
            EXPECT_EQ(image.pixelColor(origin + 8 + dx, origin + 8 + dy), QColor(Qt::black));
    // The finder pattern's outer ring is 7 modules = 14 pixels wide: its
    // last black pixel and the white separator after it.
    EXPECT_EQ(image.pixelColor(origin + 8 + 13, origin + 8), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(origin + 8 + 14, origin + 8), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(390 - origin - 9, origin + 8), QColor(Qt::black));  // top-right finder
    EXPECT_EQ(image.pixelColor(390 - origin - 8, origin + 8), QColor(Qt::white));

    // The caption below the symbol is red on white.
    int red = 0;
    for (int y = 372; y < 390; ++y)
        for (int x = 0; x < 390; ++x)
            if (image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).green() < 80) ++red;
    EXPECT_GT(red, 20);
    EXPECT_EQ(canvas->Caption(), QStringLiteral("バージョン:1  誤り訂正レベル:低(L)"));
}

TEST(QrPreviewDialogTest, AutomaticChoiceShowsTheChosenVersionAndLevel) {
    RecordingPrompts prompts;
    QrPreviewDialog dialog("01234567", true, 30, 0, prompts);
    EXPECT_EQ(dialog.Version(), 1);
    EXPECT_EQ(dialog.Level(), 3);
    EXPECT_EQ(dialog.findChild<QrPreviewCanvas*>()->Caption(), QStringLiteral("バージョン:1  誤り訂正レベル:最高(H)"));
}

TEST(QrPreviewDialogTest, EncodingFailureIsToldOnceAndPaintsOnlyWhite) {
    RecordingPrompts prompts;
    QrPreviewDialog dialog(std::string(30, '1'), false, 1, 3, prompts);  // 1-H holds 17 digits
    EXPECT_TRUE(dialog.Failed());
    dialog.show();
    QApplication::processEvents();
    dialog.update();
    QApplication::processEvents();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0].text, "ＱＲコード作成中にエラーが発生しました");
    const QImage image = dialog.findChild<QrPreviewCanvas*>()->grab().toImage();
    for (int y = 0; y < 390; y += 7)
        for (int x = 0; x < 390; x += 7) ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}

}  // namespace
}  // namespace sgry::test
