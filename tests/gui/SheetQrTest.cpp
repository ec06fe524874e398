// The QR page: enabling, the fit check and its messages, the empty-message
// refusals, storing, and the preview dialog judged by a real reader.
#include <QImage>
#include <QPlainTextEdit>

#include "app/QrPageCheck.h"
#include "gui/CPPageQR.h"
#include "gui/QrPreviewDialog.h"
#include "SheetTestSupport.h"
#include "support/ScratchDir.h"
#include "support/SymbolImages.h"

namespace sgry::test {
namespace {

class QrPageTest : public SheetTest<4> {
protected:
    QPlainTextEdit* Message() const { return Control<QPlainTextEdit>(Page(), 1116); }
    void SetMessage(const QString& text) { Message()->setPlainText(text); }
    // Turns the QR watermark on, with the manual choice when asked.
    void OpenSwitchedOn(bool manual = false) {
        OpenSheet();
        Click(Page(), 1113);
        if (manual) Click(Page(), 1122);
    }
    void ExpectEnabled(std::initializer_list<int> ids, bool enabled) const {
        for (int id : ids) EXPECT_EQ(Enabled(Page(), id), enabled) << id;
    }
};

TEST_F(QrPageTest, EverythingFollowsTheQrCheckAndTheChoiceFollowsItsRadio) {
    const auto choice = {1126, 1123, 1127, 1124};
    const auto phone = {1128, 1129};
    const auto others = {1116, 1114, 1115, 1120, 1121, 1122, 1119};
    OpenSheet();
    EXPECT_TRUE(Enabled(Page(), 1113));
    for (const auto& ids : {choice, phone, others}) ExpectEnabled(ids, false);

    Click(Page(), 1113);  // on, automatic
    ExpectEnabled(others, true);
    ExpectEnabled(choice, false);
    ExpectEnabled(phone, true);

    Click(Page(), 1122);  // manual
    ExpectEnabled(choice, true);
    ExpectEnabled(phone, false);

    Click(Page(), 1113);  // off again
    ExpectEnabled(choice, false);
    ExpectEnabled(others, false);
}

TEST_F(QrPageTest, SevenThousandEightyNineDigitsAtManualVersionOneGetTheFourPartMessage) {
    settings_.QRVersion = 7;
    const StampSettings before = settings_;
    OpenSwitchedOn(true);
    auto* versions = Control<QComboBox>(Page(), 1123);
    ASSERT_EQ(versions->count(), 40);
    EXPECT_EQ(versions->itemText(0), QStringLiteral(" 1"));
    EXPECT_EQ(versions->currentIndex(), 6);
    EXPECT_EQ(Control<QComboBox>(Page(), 1124)->currentIndex(), 3);
    Select(Page(), 1123, 0);
    SetMessage(QString(7089, QChar(u'7')));
    Ok();

    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(prompts_.Texts(), Strings{"QRコードに埋め込むメッセージが長すぎます。以下を試して下さい\r\n"
                                        "・バージョンを上げる\r\n・エラー訂正レベルを下げる\r\n・メッセージを短くする\r\n"});
    EXPECT_EQ(settings_, before);

    Select(Page(), 1123, 39);
    Select(Page(), 1124, 0);  // 40-L holds 7089 digits
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_.QRString, std::string(7089, '7'));
    EXPECT_EQ(settings_.QRVersion, 40);
    EXPECT_EQ(settings_.QRECLevel, QrEcLevel::L);
    EXPECT_FALSE(settings_.QRIsVersionAuto);
}

TEST_F(QrPageTest, AutomaticModeWithThePhoneLimitRefusesWhatVersionTenCannotHold) {
    OpenSwitchedOn();
    SetMessage(QString(700, QChar(u'a')));  // more than 10-L holds in bytes (271)
    Ok();
    EXPECT_EQ(prompts_.Texts(), Strings{"QRコードに埋め込むメッセージが長すぎます\r\nメッセージを短くして下さい"});

    Click(Page(), 1128);  // phone limit off: up to 40
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_FALSE(settings_.QRPhone);
    EXPECT_TRUE(settings_.QRIsValid);
}

TEST_F(QrPageTest, EmptyMessageIsRefusedOnlyWhileTheWatermarkIsOn) {
    OpenSwitchedOn();
    Ok();
    EXPECT_EQ(prompts_.Texts(), Strings{"QRコードに埋め込むメッセージが設定されていません\r\n"
                                        "メッセージを入力するか、QRコード透かしを無効にして下さい"});
    EXPECT_FALSE(settings_.QRIsValid);

    Click(Page(), 1113);
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

TEST_F(QrPageTest, ShowsAndStoresEveryFieldWithLineBreaksAsCrLf) {
    settings_.QRString = Cp932("一行目") + "\r\nB";
    OpenSwitchedOn();
    EXPECT_EQ(Message()->toPlainText(), QStringLiteral("一行目\nB"));
    SetMessage(QStringLiteral("社外秘\nline 2"));
    Select(Page(), 1115, 0);
    Click(Page(), 1120);
    Click(Page(), 1128);
    Ok();
    EXPECT_TRUE(settings_.QRIsValid);
    EXPECT_EQ(settings_.QRString, Cp932("社外秘") + "\r\nline 2");
    EXPECT_EQ(settings_.QRPosition, StampPosition::TopLeft);
    EXPECT_FALSE(settings_.QRMarginValid);
    EXPECT_FALSE(settings_.QRPhone);
    EXPECT_TRUE(settings_.QRIsVersionAuto);
    EXPECT_EQ(settings_.QRVersion, 10);
}

TEST_F(QrPageTest, MessageIsLimitedToItsStoredLengthAndClearEmptiesIt) {
    OpenSwitchedOn();
    SetMessage(QString(7100, QChar(u'1')));
    EXPECT_EQ(Message()->toPlainText().size(), 7089);
    Click(Page(), 1114);
    EXPECT_TRUE(Message()->toPlainText().isEmpty());
}

TEST_F(QrPageTest, MessageWithoutAShiftJisFormIsRefused) {
    OpenSwitchedOn();
    SetMessage(QStringLiteral("price 5€"));
    Ok();
    EXPECT_TRUE(sheet_->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_NE(prompts_.messages[0].text.find("€"), std::string::npos);
    EXPECT_EQ(settings_, StampSettings{});
}

TEST_F(QrPageTest, PreviewRefusesAnEmptyMessageAndATooLongOne) {
    OpenSwitchedOn();
    ScopedDialogRunner runner(UnexpectedDialog);
    Click(Page(), 1119);
    SetMessage(QString(400, QChar(u'x')));
    Click(Page(), 1119);
    EXPECT_EQ(prompts_.Texts(),
              (Strings{"QRコードに埋め込むメッセージを入力して下さい", qr_page_message::kTooLongAuto}));
}

TEST_F(QrPageTest, PreviewHandsTheChoiceToTheDialog) {
    OpenSwitchedOn(true);
    Select(Page(), 1123, 4);
    Select(Page(), 1124, 1);
    SetMessage(QStringLiteral("01234567"));
    int previews = 0;
    ScopedDialogRunner runner([&](QDialog& dialog) {
        auto* preview = qobject_cast<QrPreviewDialog*>(&dialog);
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

struct PreviewRow {
    const char* name;
    std::string message;
    bool automatic;
    int version;
    int level;
    int modulesPerRow;
};

TEST(QrPreviewDialogTest, PaintsASymbolThatAReaderDecodes) {
    if (!HaveTool("zbarimg")) GTEST_SKIP() << "zbarimg is not installed";
    const PreviewRow rows[] = {
        {"automatic", "Sigilry preview 0123456789 ABCDEF", true, 0, 0, 0},
        {"kanji at version 12", Cp932("社外秘の書類"), false, 12, 3, 17 + 4 * 12 + 8},
    };
    ScratchDir dir("qr-preview");
    for (const PreviewRow& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingPrompts prompts;
        QrPreviewDialog dialog(row.message, row.automatic, row.version, row.level, prompts);
        dialog.show();
        ASSERT_FALSE(dialog.Failed());
        if (row.modulesPerRow) {
            EXPECT_EQ(dialog.ModulesPerRow(), row.modulesPerRow);
        }
        const std::string png = dir.File("preview.png");
        ASSERT_TRUE(dialog.grab().save(QString::fromStdString(png), "PNG"));
        EXPECT_EQ(ZbarDecodeBinary({png}), row.message);
        EXPECT_TRUE(prompts.messages.empty());
    }
}

TEST(QrPreviewDialogTest, ModulesAreTwoPixelsCentredInTheWhiteArea) {
    RecordingPrompts prompts;
    QrPreviewDialog dialog("HELLO", false, 1, 0, prompts);
    dialog.show();
    auto* canvas = dialog.findChild<QrPreviewCanvas*>();
    ASSERT_NE(canvas, nullptr);
    const QImage image = canvas->grab().toImage();
    ASSERT_EQ(image.size(), QSize(390, 390));
    const int origin = 195 - (17 + 4 + 8);  // 29 modules with the quiet zone, 2 pixels each
    const QColor white(Qt::white), black(Qt::black);
    EXPECT_EQ(image.pixelColor(0, 0), white);
    EXPECT_EQ(image.pixelColor(origin + 7, origin + 7), white);  // quiet zone
    for (int dx = 0; dx < 2; ++dx)
        for (int dy = 0; dy < 2; ++dy) EXPECT_EQ(image.pixelColor(origin + 8 + dx, origin + 8 + dy), black);
    // The finder's outer ring is 7 modules = 14 pixels wide, then the white separator.
    EXPECT_EQ(image.pixelColor(origin + 8 + 13, origin + 8), black);
    EXPECT_EQ(image.pixelColor(origin + 8 + 14, origin + 8), white);
    EXPECT_EQ(image.pixelColor(390 - origin - 9, origin + 8), black);  // top-right finder
    EXPECT_EQ(image.pixelColor(390 - origin - 8, origin + 8), white);

    int red = 0;  // the caption below the symbol is red on white
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
    EXPECT_EQ(prompts.Texts(), Strings{"ＱＲコード作成中にエラーが発生しました"});
    const QImage image = dialog.findChild<QrPreviewCanvas*>()->grab().toImage();
    for (int y = 0; y < 390; y += 7)
        for (int x = 0; x < 390; x += 7) ASSERT_EQ(image.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
}

}  // namespace
}  // namespace sgry::test
