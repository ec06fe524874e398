// The header and footer pages: what their store step does to fonts and
// texts, the report when the sheet closes, the enabling of each column, and
// the font button that stores at once.
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

TEST_F(HeaderPageTest, ApplyShowsTheConvertedTextAndReportsAtTheLaterOk) {
    settings_.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    OpenSheet();
    Type(Page(), 1006, QStringLiteral("社A"));
    sheet_->ApplyButton()->click();
    EXPECT_EQ(settings_.Slots[kHeaderLeft].FontName, "HeiseiMin-W3");
    EXPECT_EQ(settings_.Slots[kHeaderLeft].CustomText, Cp932("社A"));  // converted only at the next store
    EXPECT_TRUE(prompts_.messages.empty());
    EXPECT_FALSE(sheet_->ApplyButton()->isEnabled());

    Ok();
    EXPECT_EQ(settings_.Slots[kHeaderLeft].CustomText, Cp932("社Ａ"));
    EXPECT_EQ(Control<QLineEdit>(Page(), 1006)->text(), QStringLiteral("社Ａ"));
    EXPECT_EQ(prompts_.Texts(), Strings{kHeaderReport});
}

TEST_F(HeaderPageTest, FooterPageEditsSlotsThreeToFiveAndItsBorder) {
    OpenSheet(kFooterPage);
    EXPECT_EQ(sheet_->FooterPage()->Title(), QStringLiteral("フッター"));
    Click(Page(kFooterPage), 1011);  // centre: date and time
    Select(Page(kFooterPage), 1012, 2);
    Click(Page(kFooterPage), 1017);  // right: page number
    Select(Page(kFooterPage), 1018, 3);
    Click(Page(kFooterPage), 1132);
    Ok();

    EXPECT_EQ(settings_.Slots[kFooterCenter].StyleType, HeaderFooterStyle::DateTime);
    EXPECT_EQ(settings_.Slots[kFooterCenter].StyleDateType, DateFormat::DateTime);
    EXPECT_EQ(settings_.Slots[kFooterRight].StyleType, HeaderFooterStyle::PageNumber);
    EXPECT_EQ(settings_.Slots[kFooterRight].StylePageType, PageNumberFormat::DashedOfTotal);
    EXPECT_TRUE(settings_.Groups[1].EdgeBorder);
    EXPECT_FALSE(settings_.Groups[0].EdgeBorder);
    EXPECT_EQ(settings_.Slots[kHeaderCenter], HeaderFooterSlot{});  // the header page was never opened
}

struct ColumnControls {
    const char* name;
    std::array<int, 4> radios;
    int pageLabel, pageCombo, dateLabel, dateCombo, text, font;
};

TEST_F(HeaderPageTest, OpeningShowsTheSettingsAndEachStyleEnablesOnlyItsOwnControls) {
    const ColumnControls columns[] = {
        {"left", {1000, 1001, 1003, 1005}, 1002, 1024, 1027, 1025, 1006, 1007},
        {"centre", {1008, 1009, 1011, 1013}, 1004, 1010, 1028, 1012, 1014, 1015},
        {"right", {1016, 1017, 1019, 1021}, 1026, 1018, 1029, 1020, 1022, 1023},
    };
    settings_.Slots[kHeaderRight].StyleType = HeaderFooterStyle::DateTime;
    settings_.Slots[kHeaderRight].StyleDateType = DateFormat::Time;
    settings_.Slots[kHeaderLeft].CustomText = Cp932("部外秘");
    OpenSheet();
    const QWidget* page = Page();
    EXPECT_TRUE(Control<QAbstractButton>(page, 1019)->isChecked());
    EXPECT_EQ(Control<QComboBox>(page, 1020)->currentIndex(), 1);
    EXPECT_TRUE(Enabled(page, 1020));
    EXPECT_FALSE(Enabled(page, 1018));
    EXPECT_TRUE(Control<QAbstractButton>(page, 1000)->isChecked());
    EXPECT_EQ(Control<QLineEdit>(page, 1006)->text(), QStringLiteral("部外秘"));
    EXPECT_FALSE(Enabled(page, 1006));
    EXPECT_FALSE(sheet_->ApplyButton()->isEnabled());  // filling is no edit
    for (const ColumnControls& column : columns) {
        for (int style = 0; style < 4; ++style) {
            SCOPED_TRACE(std::string(column.name) + " style " + std::to_string(style));
            Click(page, column.radios[static_cast<std::size_t>(style)]);
            EXPECT_EQ(Enabled(page, column.pageLabel), style == 1);
            EXPECT_EQ(Enabled(page, column.pageCombo), style == 1);
            EXPECT_EQ(Enabled(page, column.dateLabel), style == 2);
            EXPECT_EQ(Enabled(page, column.dateCombo), style == 2);
            EXPECT_EQ(Enabled(page, column.text), style == 3);
            EXPECT_EQ(Enabled(page, column.font), style != 0);
        }
    }
}

TEST_F(HeaderPageTest, ColourChosenWithTheFontButtonSurvivesCancel) {
    settings_.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::PageNumber;
    OpenSheet();
    int fontDialogs = 0;
    ScopedDialogRunner runner([&](QDialog& dialog) {
        if (auto* picker = qobject_cast<QColorDialog*>(&dialog)) {
            EXPECT_EQ(picker->currentColor(), QColor(0, 0, 0));
            picker->setCurrentColor(QColor(255, 0, 0));
            return PressOk(dialog);
        }
        if (qobject_cast<FontColorDialog*>(&dialog)) {
            ++fontDialogs;
            EXPECT_EQ(Control<QComboBox>(&dialog, 1091)->currentIndex(), 0);
            Click(&dialog, 1092);  // the swatch opens the colour dialog
            Select(&dialog, 1091, 1);  // Helvetica
            return PressOk(dialog);
        }
        return UnexpectedDialog(dialog);
    });
    Click(Page(), 1007);
    EXPECT_EQ(fontDialogs, 1);
    EXPECT_EQ(settings_.Slots[kHeaderLeft].StyleColor, 0x0000FF);  // red in the lowest byte
    EXPECT_EQ(settings_.Slots[kHeaderLeft].FontName, "Helvetica");
    EXPECT_TRUE(sheet_->ApplyButton()->isEnabled());

    Click(Page(), 1003);  // changed but cancelled below
    sheet_->CancelButton()->click();
    EXPECT_EQ(sheet_->result(), QDialog::Rejected);
    EXPECT_EQ(settings_.Slots[kHeaderLeft].StyleColor, 0x0000FF);
    EXPECT_EQ(settings_.Slots[kHeaderLeft].FontName, "Helvetica");
    EXPECT_EQ(settings_.Slots[kHeaderLeft].StyleType, HeaderFooterStyle::PageNumber);
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(HeaderPageTest, CancelledFontDialogChangesNothing) {
    settings_.Slots[kHeaderCenter].StyleType = HeaderFooterStyle::Text;
    OpenSheet();
    ScopedDialogRunner runner([](QDialog& dialog) {
        Select(&dialog, 1091, 7);
        dialog.reject();
        return dialog.result();
    });
    Click(Page(), 1015);
    EXPECT_EQ(settings_.Slots[kHeaderCenter].FontName, "Courier");
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

TEST_F(HeaderPageTest, CancelWithoutChangesLeavesEverythingAndReportsNothing) {
    settings_.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    settings_.Slots[kHeaderLeft].CustomText = "abc";
    settings_.Slots[kHeaderLeft].FontName = "HeiseiMin-W3";  // would be converted by a store
    const StampSettings before = settings_;
    OpenSheet(0);
    for (int page = 0; page < sheet_->PageCount(); ++page) sheet_->SetActivePage(page);
    sheet_->CancelButton()->click();
    EXPECT_EQ(settings_, before);
    EXPECT_TRUE(prompts_.messages.empty());
}

}  // namespace
}  // namespace sgry::test
