// The page range and margins page: its refusals keep the sheet open, name
// the wrong entry and store nothing, on any page of the sheet.
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

}  // namespace
}  // namespace sgry::test
