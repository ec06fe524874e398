// The page range and margins page, and the common sheet behaviour: pages
// never opened store nothing, Apply follows the edits, refusals keep the
// sheet open and store nothing.
#include <gtest/gtest.h>

#include <QSpinBox>
#include <QTest>

#include "gui/CPPageMargin.h"
#include "gui/CPSheetApplicationSetting.h"
#include "gui/CPSheetStampSetting.h"
#include "SheetTestSupport.h"
#include "support/RecordingPrompts.h"

namespace sgry::test {
namespace {

class MarginPageTest : public ::testing::Test {
protected:
    void OpenSheet() {
        sheet_ = std::make_unique<CPSheetStampSetting>(settings_, prompts_);
        sheet_->show();
    }
    QWidget* Page() const { return sheet_->Page(0); }
    void SetNumber(int editId, const QString& text) {
        QLineEdit* edit = Control<QLineEdit>(Page(), editId);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    StampSettings settings_;
    RecordingPrompts prompts_;
    std::unique_ptr<CPSheetStampSetting> sheet_;
};

TEST_F(MarginPageTest, SheetHasTheFivePagesInOrder) {
    OpenSheet();
    EXPECT_EQ(sheet_->windowTitle(), QStringLiteral("書き出しの設定"));
    ASSERT_EQ(sheet_->PageCount(), 5);
    const QString titles[] = {QStringLiteral("ページ範囲と余白"), QStringLiteral("ヘッダー"), QStringLiteral("フッター"),
                              QStringLiteral("透かし"), QStringLiteral("QRコード")};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(sheet_->Page(i)->Title(), titles[i]);
    EXPECT_TRUE(sheet_->Page(0)->IsOpened());
    for (int i = 1; i < 5; ++i) EXPECT_FALSE(sheet_->Page(i)->IsOpened()) << i;
}

TEST_F(MarginPageTest, PagesFiveToThreeAreRefusedOnlyForPartOfThePages) {
    OpenSheet();
    Click(Page(), 1063);
    SetNumber(1066, QStringLiteral("5"));
    SetNumber(1064, QStringLiteral("3"));
    sheet_->OkButton()->click();
    EXPECT_TRUE(sheet_->isVisible());
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(prompts_.messages[0].text, "開始ページ≦終了ページになっていません");
    EXPECT_EQ(settings_, StampSettings{});

    Click(Page(), 1062);
    sheet_->OkButton()->click();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_TRUE(settings_.IsAllPage);
    EXPECT_EQ(settings_.StartPage, 5);
    EXPECT_EQ(settings_.EndPage, 3);
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

TEST_F(MarginPageTest, PageEditsFollowThePartRadio) {
    OpenSheet();
    EXPECT_FALSE(Enabled(Page(), 1066));
    EXPECT_FALSE(Enabled(Page(), 1064));
    Click(Page(), 1063);
    EXPECT_TRUE(Enabled(Page(), 1066));
    EXPECT_TRUE(Enabled(Page(), 1064));
    Click(Page(), 1062);
    EXPECT_FALSE(Enabled(Page(), 1067));
}

struct SelectionRow {
    const char* name;
    std::array<bool, 2> oddFlag;
    int shown;
};

TEST_F(MarginPageTest, PageSelectionShowsOddFlag) {
    const SelectionRow rows[] = {
        {"all", {true, true}, 0},
        {"odd only", {false, true}, 1},
        {"even only", {true, false}, 2},
        {"none", {false, false}, 1},
    };
    for (const SelectionRow& row : rows) {
        SCOPED_TRACE(row.name);
        settings_.OddFlag = row.oddFlag;
        OpenSheet();
        auto* combo = Control<QComboBox>(Page(), 1069);
        EXPECT_EQ(combo->currentIndex(), row.shown);
        EXPECT_EQ(combo->count(), 3);
        sheet_->CancelButton()->click();
    }
}

TEST_F(MarginPageTest, PageSelectionStoresOddFlag) {
    const SelectionRow rows[] = {
        {"all", {true, true}, 0},
        {"odd only", {false, true}, 1},
        {"even only", {true, false}, 2},
    };
    for (const SelectionRow& row : rows) {
        SCOPED_TRACE(row.name);
        settings_.OddFlag = {false, false};
        OpenSheet();
        Select(Page(), 1069, row.shown);
        sheet_->OkButton()->click();
        EXPECT_EQ(settings_.OddFlag, row.oddFlag);
    }
}

TEST_F(MarginPageTest, StoresNumbersAndMargins) {
    OpenSheet();
    Click(Page(), 1063);
    SetNumber(1066, QStringLiteral("2"));
    SetNumber(1064, QStringLiteral("999999"));
    SetNumber(1068, QStringLiteral("-65535"));
    SetNumber(1072, QStringLiteral("12.5"));
    SetNumber(1078, QStringLiteral("0"));
    SetNumber(1074, QStringLiteral("100"));
    SetNumber(1076, QStringLiteral("7.25"));
    sheet_->OkButton()->click();

    EXPECT_FALSE(settings_.IsAllPage);
    EXPECT_EQ(settings_.StartPage, 2);
    EXPECT_EQ(settings_.EndPage, 999999);
    EXPECT_EQ(settings_.StartWith, -65535);
    EXPECT_EQ(settings_.Margin, (std::array<float, 4>{12.5f, 0.0f, 100.0f, 7.25f}));
    EXPECT_TRUE(prompts_.messages.empty());
}

struct RangeRow {
    const char* name;
    int editId;
    const char* entry;
    const char* message;
};

TEST_F(MarginPageTest, NumbersOutsideTheirRangeAreRefused) {
    const RangeRow rows[] = {
        {"from page", 1066, "100000", "0 から 99999 までの整数を入力してください。"},
        {"to page", 1064, "1000000", "0 から 999999 までの整数を入力してください。"},
        {"first number high", 1068, "65536", "-65535 から 65535 までの整数を入力してください。"},
        {"first number low", 1068, "-65536", "-65535 から 65535 までの整数を入力してください。"},
        {"top margin", 1072, "100.5", "0 から 100 までの数値を入力してください。"},
        {"right margin", 1076, "-1", "0 から 100 までの数値を入力してください。"},
    };
    for (const RangeRow& row : rows) {
        SCOPED_TRACE(row.name);
        prompts_.messages.clear();
        OpenSheet();
        Click(Page(), 1063);
        SetNumber(row.editId, QString::fromUtf8(row.entry));
        sheet_->OkButton()->click();
        EXPECT_TRUE(sheet_->isVisible());
        ASSERT_EQ(prompts_.messages.size(), 1u);
        EXPECT_EQ(prompts_.messages[0].text, row.message);
        EXPECT_EQ(settings_, StampSettings{});
        sheet_->CancelButton()->click();
    }
}

TEST_F(MarginPageTest, ArrowsStepOnlyWithinTheirRange) {
    settings_.StartPage = 0;
    settings_.StartWith = 32000;
    OpenSheet();
    auto* fromPage = Control<QSpinBox>(Page(), 1067);
    fromPage->stepDown();
    EXPECT_EQ(fromPage->value(), 1);
    auto* startWith = Control<QSpinBox>(Page(), 1071);
    startWith->stepUp();
    EXPECT_EQ(startWith->value(), 32000);
    startWith->setValue(-1000);
    startWith->stepDown();
    EXPECT_EQ(startWith->value(), -1000);
    auto* top = Control<QAbstractSpinBox>(Page(), 1073);
    Control<QLineEdit>(Page(), 1072)->setText(QStringLiteral("100"));
    top->stepUp();
    EXPECT_EQ(Control<QLineEdit>(Page(), 1072)->text(), QStringLiteral("100"));
}

TEST_F(MarginPageTest, MarginsShowWithoutTrailingZeros) {
    settings_.Margin = {10.0f, 12.5f, 0.0f, 99.75f};
    OpenSheet();
    EXPECT_EQ(Control<QLineEdit>(Page(), 1072)->text(), QStringLiteral("10"));
    EXPECT_EQ(Control<QLineEdit>(Page(), 1078)->text(), QStringLiteral("12.5"));
    EXPECT_EQ(Control<QLineEdit>(Page(), 1074)->text(), QStringLiteral("0"));
    EXPECT_EQ(Control<QLineEdit>(Page(), 1076)->text(), QStringLiteral("99.75"));
}

StampSettings Unusual() {
    StampSettings s;
    s.QRIsValid = true;
    s.QRString = "HELLO";
    s.QRIsVersionAuto = false;
    s.QRVersion = 3;
    s.WaterMarkType = 18;
    s.WaterMarkDensity = 55;
    s.ImageFileName = "/tmp/a.png";
    s.Slots[kHeaderLeft].StyleType = HeaderFooterStyle::Text;
    s.Slots[kHeaderLeft].CustomText = "x";
    s.Slots[kFooterCenter].StyleType = HeaderFooterStyle::PageNumber;
    s.Slots[kFooterCenter].FontName = "HeiseiMin-W3";  // a store would make it Courier
    s.Groups[1].EdgeBorder = true;
    s.Margin = {1.5f, 2.0f, 3.0f, 4.0f};
    s.IsAllPage = false;
    s.StartPage = 2;
    s.EndPage = 9;
    return s;
}

TEST_F(MarginPageTest, PagesNeverOpenedStoreNothing) {
    settings_ = Unusual();
    OpenSheet();
    sheet_->OkButton()->click();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_, Unusual());
    EXPECT_TRUE(prompts_.messages.empty());
}

TEST_F(MarginPageTest, OpenedPagesStoreWhatTheyShow) {
    settings_ = Unusual();
    OpenSheet();
    for (int page = 0; page < sheet_->PageCount(); ++page) sheet_->SetActivePage(page);
    sheet_->OkButton()->click();
    StampSettings expected = Unusual();
    expected.Slots[kFooterCenter].FontName = "Courier";
    EXPECT_EQ(settings_, expected);
}

TEST_F(MarginPageTest, ApplyFollowsEditsAndStoresWithoutClosing) {
    OpenSheet();
    EXPECT_FALSE(sheet_->ApplyButton()->isEnabled());
    Select(Page(), 1069, 2);
    EXPECT_TRUE(sheet_->ApplyButton()->isEnabled());
    sheet_->ApplyButton()->click();
    EXPECT_FALSE(sheet_->ApplyButton()->isEnabled());
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(settings_.OddFlag, (std::array<bool, 2>{true, false}));
    sheet_->CancelButton()->click();
    EXPECT_EQ(settings_.OddFlag, (std::array<bool, 2>{true, false}));  // what Apply stored stays
}

TEST_F(MarginPageTest, ARefusalOnALaterPageStoresNoPage) {
    OpenSheet();
    Select(Page(), 1069, 1);
    sheet_->SetActivePage(1);
    Click(sheet_->Page(1), 1001);
    sheet_->SetActivePage(4);
    Click(sheet_->Page(4), 1113);  // QR watermark on, message empty
    sheet_->SetActivePage(1);
    sheet_->OkButton()->click();
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(sheet_->ActivePageIndex(), 4);  // back on the page at fault
    ASSERT_EQ(prompts_.messages.size(), 1u);
    EXPECT_EQ(settings_, StampSettings{});
}

TEST(ApplicationSheetTest, StoresOutputModeAndUndo) {
    AppSettings settings;
    RecordingPrompts prompts;
    CPSheetApplicationSetting sheet(settings, prompts);
    sheet.show();
    EXPECT_EQ(sheet.windowTitle(), QStringLiteral("環境設定"));
    ASSERT_EQ(sheet.PageCount(), 1);
    EXPECT_EQ(sheet.Page(0)->Title(), QStringLiteral("全般"));
    auto* output = Control<QComboBox>(sheet.Page(0), 1136);
    ASSERT_EQ(output->count(), 3);
    EXPECT_EQ(output->itemText(1), QStringLiteral("「別名で保存」ダイアログを表示"));
    Select(sheet.Page(0), 1136, 2);
    Click(sheet.Page(0), 1137);
    sheet.OkButton()->click();
    EXPECT_EQ(settings.Output, OutputMode::Overwrite);
    EXPECT_TRUE(settings.Undo);
    EXPECT_TRUE(prompts.messages.empty());
}

TEST(ApplicationSheetTest, ShowFunctionRunsTheSheetModallyAndCancelStoresNothing) {
    AppSettings settings;
    RecordingPrompts prompts;
    ScopedDialogRunner runner([](QDialog& dialog) {
        auto* sheet = qobject_cast<CPSheetApplicationSetting*>(&dialog);
        EXPECT_NE(sheet, nullptr);
        if (!sheet) return UnexpectedDialog(dialog);
        sheet->show();
        Select(sheet->Page(0), 1136, 1);
        sheet->CancelButton()->click();
        return sheet->result();
    });
    EXPECT_EQ(ShowApplicationSettingSheet(nullptr, settings, prompts), QDialog::Rejected);
    EXPECT_EQ(settings, AppSettings{});
}

}  // namespace
}  // namespace sgry::test
