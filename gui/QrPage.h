#pragma once
// "QRコード": the QR-code watermark, its message, position, margins and the
// version and error-correction choice, with a fit check and a preview.
#include "app/QrPageCheck.h"
#include "gui/SettingsPage.h"
#include "settings/StampSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace sgry {

class QrPage : public SettingsPage {
    Q_OBJECT

public:
    // `settings` (not owned) is the live instance the page edits.
    QrPage(StampSettings& settings, UserPrompts& prompts, QWidget* parent = nullptr);

    // Refuses a message CP932 cannot hold, an empty message while the QR
    // watermark is on, and a message that does not fit the chosen symbol.
    bool ValidatePage() override;
    void StorePage() override;
    // The same store into another settings object (the sheet's pending
    // values).
    void StoreInto(StampSettings& target) const;

protected:
    void FillControls() override;

private:
    void UpdateEnabling();
    void LimitMessage();
    void Preview();
    // The controls' values; nothing (after the refusal) when the message
    // holds a character CP932 cannot hold.
    std::optional<QrPageValues> CurrentValues();

    StampSettings& settings_;
    QCheckBox* enabled_ = nullptr;         // 1113
    QLabel* messageLabel_ = nullptr;
    QPlainTextEdit* message_ = nullptr;    // 1116
    QPushButton* clear_ = nullptr;         // 1114
    QLabel* positionLabel_ = nullptr;
    QComboBox* position_ = nullptr;        // 1115
    QCheckBox* margin_ = nullptr;          // 1120
    QLabel* choiceLabel_ = nullptr;
    QRadioButton* automatic_ = nullptr;    // 1121
    QRadioButton* manual_ = nullptr;       // 1122
    QCheckBox* phone_ = nullptr;           // 1128
    QLabel* phoneLabel_ = nullptr;         // 1129
    QLabel* versionLabel_ = nullptr;       // 1126
    QComboBox* version_ = nullptr;         // 1123
    QLabel* levelLabel_ = nullptr;         // 1127
    QComboBox* level_ = nullptr;           // 1124
    QPushButton* preview_ = nullptr;       // 1119
};

// The labels of QrEcLevel in value order.
extern const char* const kQrLevelLabels[kQrEcLevelCount];

}  // namespace sgry
