// The page range and margins page, and the common sheet behaviour: pages
// never opened store nothing, Apply follows the edits, refusals keep the
// sheet open and store nothing.
#include <QSpinBox>
#include <QTest>

#include "gui/CPPageMargin.h"
#include "gui/CPSheetApplicationSetting.h"
#include "SheetTestSupport.h"

namespace sgry::test {
namespace {

class MarginPageTest : public SheetTest<0> {
protected:
    void SetNumber(int editId, const QString& text) {
        QLineEdit* edit = Control<QLineEdit>(Page(), editId);
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
};

TEST_F(MarginPageTest, SheetHasTheFivePagesInOrderAndOnlyTheFirstIsOpened) {
    OpenSheet();
    EXPECT_EQ(sheet_->windowTitle(), QStringLiteral("書き出しの設定"));
    ASSERT_EQ(sheet_->PageCount(), 5);
    const QString titles[] = {QStringLiteral("ページ範囲と余白"), QStringLiteral("ヘッダー"), QStringLiteral("フッター"),
                              QStringLiteral("透かし"), QStringLiteral("QRコード")};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(Page(i)->Title(), titles[i]);
        EXPECT_EQ(Page(i)->IsOpened(), i == 0) << i;
    }
}

TEST_F(MarginPageTest, PagesFiveToThreeAreRefusedOnlyForPartOfThePages) {
    OpenSheet();
    EXPECT_FALSE(Enabled(Page(), 1066));
    EXPECT_FALSE(Enabled(Page(), 1064));
    Click(Page(), 1063);
    EXPECT_TRUE(Enabled(Page(), 1066));
    EXPECT_TRUE(Enabled(Page(), 1064));
    SetNumber(1066, QStringLiteral("5"));
    SetNumber(1064, QStringLiteral("3"));
    Ok();
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(prompts_.Texts(), Strings{"開始ページ≦終了ページになっていません"});
    EXPECT_EQ(settings_, StampSettings{});

    Click(Page(), 1062);
    EXPECT_FALSE(Enabled(Page(), 1067));
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_TRUE(settings_.IsAllPage);
    EXPECT_EQ(settings_.StartPage, 5);
    EXPECT_EQ(settings_.EndPage, 3);
    EXPECT_EQ(prompts_.messages.size(), 1u);
}

struct SelectionRow {
    const char* name;
    std::array<bool, 2> oddFlag;
    int shown;
    std::array<bool, 2> stored;
};

TEST_F(MarginPageTest, PageSelectionShowsAndStoresOddFlag) {
    const SelectionRow rows[] = {
        {"all", {true, true}, 0, {true, true}},
        {"odd only", {false, true}, 1, {false, true}},
        {"even only", {true, false}, 2, {true, false}},
        {"none", {false, false}, 1, {false, true}},
    };
    for (const SelectionRow& row : rows) {
        SCOPED_TRACE(row.name);
        settings_.OddFlag = row.oddFlag;
        OpenSheet();
        auto* combo = Control<QComboBox>(Page(), 1069);
        EXPECT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->currentIndex(), row.shown);
        settings_.OddFlag = {false, false};
        Select(Page(), 1069, (row.shown + 1) % 3);  // an edit, then back to the shown entry
        Select(Page(), 1069, row.shown);
        Ok();
        EXPECT_EQ(settings_.OddFlag, row.stored);
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
    Ok();

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
        Ok();
        EXPECT_TRUE(sheet_->isVisible());
        EXPECT_EQ(prompts_.Texts(), Strings{row.message});
        EXPECT_EQ(settings_, StampSettings{});
        sheet_->CancelButton()->click();
    }
}

TEST_F(MarginPageTest, ArrowsStepOnlyWithinTheirRangeAndMarginsShowWithoutTrailingZeros) {
    settings_.StartPage = 0;
    settings_.StartWith = 32000;
    settings_.Margin = {100.0f, 12.5f, 0.0f, 99.75f};
    OpenSheet();
    const QString margins[] = {QStringLiteral("100"), QStringLiteral("12.5"), QStringLiteral("0"),
                               QStringLiteral("99.75")};
    const int marginIds[] = {1072, 1078, 1074, 1076};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Control<QLineEdit>(Page(), marginIds[i])->text(), margins[i]);

    auto* fromPage = Control<QSpinBox>(Page(), 1067);
    fromPage->stepDown();
    EXPECT_EQ(fromPage->value(), 1);
    auto* startWith = Control<QSpinBox>(Page(), 1071);
    startWith->stepUp();
    EXPECT_EQ(startWith->value(), 32000);
    startWith->setValue(-1000);
    startWith->stepDown();
    EXPECT_EQ(startWith->value(), -1000);
    Control<QAbstractSpinBox>(Page(), 1073)->stepUp();
    EXPECT_EQ(Control<QLineEdit>(Page(), 1072)->text(), QStringLiteral("100"));
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

TEST_F(MarginPageTest, PagesNeverOpenedStoreNothingAndOpenedPagesStoreWhatTheyShow) {
    settings_ = Unusual();
    OpenSheet();
    Ok();
    EXPECT_EQ(sheet_->result(), QDialog::Accepted);
    EXPECT_EQ(settings_, Unusual());
    EXPECT_TRUE(prompts_.messages.empty());

    OpenSheet();
    for (int page = 0; page < sheet_->PageCount(); ++page) sheet_->SetActivePage(page);
    Ok();
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
    Click(Page(1), 1001);
    sheet_->SetActivePage(4);
    Click(Page(4), 1113);  // QR watermark on, message empty
    sheet_->SetActivePage(1);
    Ok();
    EXPECT_TRUE(sheet_->isVisible());
    EXPECT_EQ(sheet_->ActivePageIndex(), 4);  // back on the page at fault
    EXPECT_EQ(prompts_.messages.size(), 1u);
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
