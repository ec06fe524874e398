#include "gui/PropertyPage.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace sgry {

PropertyPage::PropertyPage(const QString& title, UserPrompts& prompts, QWidget* parent)
    : QWidget(parent), title_(title), prompts_(prompts) {}

void PropertyPage::Open() {
    if (opened_) return;
    QuietChanges quiet(*this);
    FillControls();
    opened_ = true;
}

void PropertyPage::WatchControls() {
    for (QAbstractButton* button : findChildren<QAbstractButton*>())
        connect(button, &QAbstractButton::clicked, this, &PropertyPage::OnControlChanged);
    for (QComboBox* combo : findChildren<QComboBox*>())
        connect(combo, &QComboBox::currentIndexChanged, this, &PropertyPage::OnControlChanged);
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        connect(edit, &QLineEdit::textChanged, this, &PropertyPage::OnControlChanged);
    for (QPlainTextEdit* edit : findChildren<QPlainTextEdit*>())
        connect(edit, &QPlainTextEdit::textChanged, this, &PropertyPage::OnControlChanged);
    for (QAbstractSlider* slider : findChildren<QAbstractSlider*>())
        connect(slider, &QAbstractSlider::valueChanged, this, &PropertyPage::OnControlChanged);
}

bool PropertyPage::Refuse(const std::string& message, QWidget* culprit) {
    culprit_ = culprit;
    prompts_.ShowMessage(message);
    return false;
}

void PropertyPage::OnControlChanged() {
    if (!quiet_) emit modified();
}

}  // namespace sgry
