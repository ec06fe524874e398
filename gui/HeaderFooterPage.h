#pragma once
// The header page (group 0, slots 0-2) or the footer page (group 1, slots
// 3-5): per column what the slot shows, its page-number, date or file-name
// format, its text and its font and colour; the Bates numbering of the run;
// and the border line of the group.
#include <array>
#include <cstdint>

#include "gui/SettingsPage.h"
#include "settings/StampSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace sgry {

class HeaderFooterPage : public SettingsPage {
    Q_OBJECT

public:
    // `title` is "ヘッダー" or "フッター"; `group` 0 header, 1 footer.
    // `settings` (not owned) is the live instance the page edits.
    HeaderFooterPage(const QString& title, int32_t group, StampSettings& settings, UserPrompts& prompts,
                 QWidget* parent = nullptr);

    int32_t Group() const { return group_; }
    // ChangeFlags of the last store (kHeader... bits of app/AutoFontChange.h).
    int32_t ChangeFlags() const { return changeFlags_; }

    // Refuses a text that CP932 cannot hold.
    bool ValidatePage() override;
    // The automatic font changes first, then the styles, formats, texts and
    // the border line.
    void StorePage() override;
    // The same store into another settings object (the sheet's pending
    // values); the controls and ChangeFlags stay as they are. Returns the
    // ChangeFlags this store would give.
    int32_t StoreInto(StampSettings& target) const;

protected:
    void FillControls() override;

private:
    struct Column {
        std::array<QRadioButton*, kHeaderFooterStyleCount> styles{};  // none, page number, date, text, file name
        QLabel* pageLabel = nullptr;
        QComboBox* pageFormat = nullptr;
        QLabel* dateLabel = nullptr;
        QComboBox* dateFormat = nullptr;
        QLineEdit* text = nullptr;
        QLabel* nameLabel = nullptr;
        QComboBox* nameFormat = nullptr;
        QPushButton* font = nullptr;
    };
    struct BatesFields {
        QString start;
        int digits = 0;
        QString prefix;
        QString suffix;
    };

    QWidget* BuildColumn(int column);
    QWidget* BuildBatesBox();
    BatesFields BatesShown() const;
    void StoreBates(StampSettings& target) const;
    HeaderFooterStyle StyleOf(int column) const;
    void UpdateEnabling(int column);
    void ChooseFont(int column);
    HeaderFooterSlot& SlotOf(int column);

    StampSettings& settings_;
    int32_t group_;
    int32_t changeFlags_ = 0;
    std::array<Column, 3> columns_;
    QCheckBox* edgeBorder_ = nullptr;  // 1132
    QLineEdit* batesStart_ = nullptr;   // 1160
    QSpinBox* batesDigits_ = nullptr;   // 1161
    QLineEdit* batesPrefix_ = nullptr;  // 1162
    QLineEdit* batesSuffix_ = nullptr;  // 1163
    BatesFields shownBates_;            // as FillControls showed them
};

}  // namespace sgry
