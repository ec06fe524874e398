#pragma once
// "ページ範囲と余白": page range, first page number, odd/even selection and
// the four page margins in millimetres.
#include "gui/SettingsPage.h"
#include "settings/StampSettings.h"

class QComboBox;
class QLabel;
class QRadioButton;

namespace sgry {
namespace sheets {
class RangedSpinBox;
class MillimetreSpinBox;
}  // namespace sheets

class MarginPage : public SettingsPage {
    Q_OBJECT

public:
    // `settings` (not owned) is the live instance the page edits.
    MarginPage(StampSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    // Refuses out-of-range numbers, then a to-page before the from-page while
    // only part of the pages is selected.
    bool ValidatePage() override;
    void StorePage() override;
    // The same store into another settings object (the sheet's pending
    // values).
    void StoreInto(StampSettings& target) const;

protected:
    void FillControls() override;

private:
    void UpdateEnabling();

    StampSettings& settings_;
    QRadioButton* allPages_ = nullptr;   // 1062
    QRadioButton* somePages_ = nullptr;  // 1063
    sheets::RangedSpinBox* startPage_ = nullptr;  // 1066 / 1067
    sheets::RangedSpinBox* endPage_ = nullptr;    // 1064 / 1065
    QLabel* startPageLabel_ = nullptr;
    QLabel* endPageLabel_ = nullptr;
    sheets::RangedSpinBox* startWith_ = nullptr;  // 1068 / 1071
    QComboBox* pageSelection_ = nullptr;          // 1069
    sheets::MillimetreSpinBox* margins_[kMarginCount] = {};  // top, bottom, left, right
};

}  // namespace sgry
