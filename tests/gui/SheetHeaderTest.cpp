// The header page: what its store step does to fonts and texts with the
// report when the sheet closes, and the refusal of a text without a
// Shift-JIS form.
#include <QColorDialog>
#include <QLineEdit>

#include "app/AutoFontChange.h"
#include "gui/CPPageHeader.h"
#include "gui/FontColorDialog.h"
#include "SheetTestSupport.h"

namespace sgry::test {
namespace {

constexpr int kHeaderPage = 1;
constexpr int kFooterPage = 2;

const std::string kHeaderReport =
    "設定の一部を以下のように自動変更しました\r\n\r\n"
    "・ヘッダ・フッタ文字列のうち全角文字が含まれているものを、日本語フォントに変更しました\r\n";

using HeaderPageTest = SheetTest<kHeaderPage>;

TEST_F(HeaderPageTest, CourierTextWithKanjiGetsMinchoAndTheClosingReport) {
    OpenSheet();
    Click(Page(), 1005);  // left column: text
    Type(Page(), 1006, QStringLiteral("社外"));
    Ok();

    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_.Slots[kHeaderLeft].FontName, "HeiseiMin-W3");
    EXPECT_EQ(settings_.Slots[kHeaderLeft].CustomText, Cp932("社外"));
    EXPECT_EQ(settings_.Slots[kHeaderLeft].StyleType, HeaderFooterStyle::Text);
    EXPECT_EQ(prompts_.Texts(), Strings{kHeaderReport});
    EXPECT_EQ(prompts_.messages[0].icon, MessageIcon::Information);
}

TEST_F(HeaderPageTest, TextWithoutAShiftJisFormIsRefusedNamingTheCharacter) {
    OpenSheet();
    Click(Page(), 1021);
    Type(Page(), 1022, QStringLiteral("Café №1 é"));
    Ok();

    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(settings_.Slots[kHeaderRight], HeaderFooterSlot{});
    ASSERT_EQ(prompts_.messages.size(), 1u);
    const QString message = QString::fromStdString(prompts_.messages[0].text);
    EXPECT_TRUE(message.contains(QStringLiteral("ヘッダー・右側")));
    EXPECT_TRUE(message.contains(QStringLiteral("\r\né\r\n"))) << message.toStdString();  // № is CP932, é is not
}

}  // namespace
}  // namespace sgry::test
