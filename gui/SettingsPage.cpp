#include "gui/SettingsPage.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace sgry {

SettingsPage::SettingsPage(const QString& title, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), title_(title), prompts_(prompts) {}

void SettingsPage::Open() {
    if (opened_) return;
    QuietChanges quiet(*this);
    FillControls();
    opened_ = true;
}

void SettingsPage::WatchControls() {
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        connect(button, &QAbstractButton::clicked, this, &SettingsPage::OnControlChanged);
    for (QComboBox* combo : findChildren<QComboBox*>())
        connect(combo, &QComboBox::currentIndexChanged, this, &SettingsPage::OnControlChanged);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textChanged, this, &SettingsPage::OnControlChanged);
    for (QPlainTextEdit* edit : findChildren<QPlainTextEdit*>())
        connect(edit, &QPlainTextEdit::textChanged, this, &SettingsPage::OnControlChanged);
    for (QAbstractSlider* slider : findChildren<QAbstractSlider*>())
        connect(slider, &QAbstractSlider::valueChanged, this, &SettingsPage::OnControlChanged);
}

bool SettingsPage::Refuse(const std::string& message, QWidget* culprit) {
    culprit_ = culprit;
    prompts_.ShowMessage(message);
    return false;
}

void SettingsPage::OnControlChanged() {
    if (!quiet_) emit modified();
}

}  // namespace sgry
