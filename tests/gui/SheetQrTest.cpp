// The QR page: the fit check and its messages, the empty-message refusals,
// and the preview dialog judged by a real reader.
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
