#include "gui/QrPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>

#include "gui/WatermarkPage.h"
#include "gui/QrPreviewDialog.h"
#include "gui/SheetDialogRunner.h"
#include "gui/SheetText.h"
#include "platform/Format.h"

namespace sgry {

using sheets::WithId;

const char* const kQrLevelLabels[kQrEcLevelCount] = {
    QT_TRANSLATE_NOOP("sgry::QrPage", "Low (L)"), QT_TRANSLATE_NOOP("sgry::QrPage", "Medium (M)"),
    QT_TRANSLATE_NOOP("sgry::QrPage", "High (Q)"), QT_TRANSLATE_NOOP("sgry::QrPage", "Highest (H)")};

namespace {
constexpr int kVersionCount = 40;

QString VersionText(int version) { return QString::fromStdString(Format("%2d", version)); }
}  // namespace

QrPage::QrPage(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : SettingsPage(tr("QR Code"), prompts, parent), settings_(settings) {
    enabled_ = WithId(new QCheckBox(tr("Add a &QR code watermark"), this), 1113);

    message_ = WithId(new QPlainTextEdit(this), 1116);
    message_->setTabChangesFocus(true);
    messageLabel_ = new QLabel(tr("Me&ssage for the QR code:"), this);
    messageLabel_->setBuddy(message_);
    clear_ = WithId(new QPushButton(tr("Cl&ear"), this), 1114);

    position_ = WithId(new QComboBox(this), 1115);
    AddStampPositions(position_);
    positionLabel_ = new QLabel(tr("&Position:"), this);
    positionLabel_->setBuddy(position_);
    margin_ = WithId(new QCheckBox(tr("Follow the mar&gins"), this), 1120);

    auto* choiceBox = new QGroupBox(this);
    choiceLabel_ = new QLabel(tr("Version and error correction level:"), choiceBox);
    automatic_ = WithId(new QRadioButton(tr("&Automatic"), choiceBox), 1121);
    manual_ = WithId(new QRadioButton(tr("&Manual"), choiceBox), 1122);
    phone_ = WithId(new QCheckBox(tr("Limit to mobile-readable"), choiceBox), 1128);
    phoneLabel_ = WithId(new QLabel(tr("versions only"), choiceBox), 1129);
    phoneLabel_->setBuddy(phone_);
    version_ = WithId(new QComboBox(choiceBox), 1123);
    for (int v = 1; v <= kVersionCount; ++v) version_->addItem(VersionText(v));
    versionLabel_ = WithId(new QLabel(tr("Version:"), choiceBox), 1126);
    versionLabel_->setBuddy(version_);
    level_ = WithId(new QComboBox(choiceBox), 1124);
    for (const char* label : kQrLevelLabels) level_->addItem(tr(label));
    levelLabel_ = WithId(new QLabel(tr("Error correction level:"), choiceBox), 1127);
    levelLabel_->setBuddy(level_);

    // The phone limit belongs to the automatic choice, the version and level
    // to the manual one: each sits indented under its radio button.
    auto* choiceGrid = new QGridLayout(choiceBox);
    choiceGrid->setColumnMinimumWidth(0, 16);
    choiceGrid->addWidget(choiceLabel_, 0, 0, 1, 3);
    choiceGrid->addWidget(automatic_, 1, 0, 1, 3);
    choiceGrid->addWidget(phone_, 2, 1, 1, 2);
    auto* phoneIndent = new QHBoxLayout;
    phoneIndent->addSpacing(phone_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6);
    phoneIndent->addWidget(phoneLabel_);
    choiceGrid->addLayout(phoneIndent, 3, 1, 1, 2);
    choiceGrid->addWidget(manual_, 4, 0, 1, 3);
    choiceGrid->addWidget(versionLabel_, 5, 1);
    choiceGrid->addWidget(version_, 5, 2);
    choiceGrid->addWidget(levelLabel_, 6, 1);
    choiceGrid->addWidget(level_, 6, 2);
    choiceGrid->setColumnStretch(3, 1);

    preview_ = WithId(new QPushButton(tr("Pre&view"), this), 1119);

    auto* messageHead = new QHBoxLayout;
    messageHead->addWidget(messageLabel_);
    messageHead->addStretch(1);
    messageHead->addWidget(clear_);
    auto* positionRow = new QHBoxLayout;
    positionRow->addWidget(positionLabel_);
    positionRow->addWidget(position_);
    positionRow->addSpacing(12);
    positionRow->addWidget(margin_);
    positionRow->addStretch(1);
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(choiceBox);
    bottomRow->addStretch(1);
    bottomRow->addWidget(preview_, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabled_);
    layout->addLayout(messageHead);
    layout->addWidget(message_, 1);
    layout->addLayout(positionRow);
    layout->addLayout(bottomRow);

    for (QAbstractButton* button : {static_cast<QAbstractButton*>(enabled_), static_cast<QAbstractButton*>(automatic_),
                                    static_cast<QAbstractButton*>(manual_)})
        connect(button, &QAbstractButton::clicked, this, &QrPage::UpdateEnabling);
    connect(clear_, &QPushButton::clicked, message_, &QPlainTextEdit::clear);
    connect(message_, &QPlainTextEdit::textChanged, this, &QrPage::LimitMessage);
    connect(preview_, &QPushButton::clicked, this, &QrPage::Preview);
    WatchControls();
}

void QrPage::FillControls() {
    enabled_->setChecked(settings_.QRIsValid);
    message_->setPlainText(sheets::FromCrLf(sheets::FromCp932(settings_.QRString)));
    position_->setCurrentIndex(static_cast<int>(settings_.QRPosition));
    margin_->setChecked(settings_.QRMarginValid);
    automatic_->setChecked(settings_.QRIsVersionAuto);
    manual_->setChecked(!settings_.QRIsVersionAuto);
    phone_->setChecked(settings_.QRPhone);
    version_->setCurrentIndex(version_->findText(VersionText(std::clamp(settings_.QRVersion, 1, kVersionCount))));
    level_->setCurrentIndex(static_cast<int>(settings_.QRECLevel));
    UpdateEnabling();
}

void QrPage::UpdateEnabling() {
    const bool on = enabled_->isChecked();
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (control != enabled_) control->setEnabled(on);
    // The group box holding the choice follows the check as a whole; inside
    // it the manual and automatic parts follow their radio buttons.
    for (QWidget* control : {static_cast<QWidget*>(versionLabel_), static_cast<QWidget*>(version_),
                             static_cast<QWidget*>(levelLabel_), static_cast<QWidget*>(level_)})
        control->setEnabled(on && manual_->isChecked());
    for (QWidget* control : {static_cast<QWidget*>(phone_), static_cast<QWidget*>(phoneLabel_)})
        control->setEnabled(on && automatic_->isChecked());
}

void QrPage::LimitMessage() {
    // The limit counts characters as stored, a line break as CR LF.
    const QString text = message_->toPlainText();
    qsizetype stored = 0;
    qsizetype keep = 0;
    for (; keep < text.size(); ++keep) {
        stored += text[keep] == QChar(u'\n') ? 2 : 1;
        if (stored > kQrStringMaxBytes) break;
    }
    if (keep == text.size()) return;
    QuietChanges quiet(*this);
    message_->setPlainText(text.left(keep));
    message_->moveCursor(QTextCursor::End);
}

std::optional<QrPageValues> QrPage::CurrentValues() {
    const QString text = sheets::ToCrLf(message_->toPlainText());
    std::optional<std::string> message = sheets::ToCp932(text);
    if (!message) {
        Refuse(sheets::NoCp932Message(tr("Message for the QR code"),
                                      sheets::CharactersWithoutCp932(text)),
               message_);
        return std::nullopt;
    }
    QrPageValues values;
    values.isValid = enabled_->isChecked();
    values.message = std::move(*message);
    values.versionAuto = automatic_->isChecked();
    values.phone = phone_->isChecked();
    values.version = version_->currentIndex() + 1;
    values.level = std::max(0, level_->currentIndex());
    return values;
}

bool QrPage::ValidatePage() {
    const std::optional<QrPageValues> values = CurrentValues();
    if (!values) return false;
    if (auto refusal = QrValidationRefusal(*values)) return Refuse(*refusal, message_);
    return true;
}

void QrPage::Preview() {
    const std::optional<QrPageValues> values = CurrentValues();
    if (!values) return;
    if (auto refusal = QrPreviewRefusal(*values)) {
        Refuse(*refusal, message_);
        return;
    }
    QrPreviewDialog dialog(values->message, values->versionAuto, values->version, values->level, Prompts(), this);
    sheets::RunDialog(dialog);
}

void QrPage::StorePage() { StoreInto(settings_); }

void QrPage::StoreInto(StampSettings& target) const {
    // Validation has refused a message without a CP932 form.
    target.QRIsValid = enabled_->isChecked();
    target.QRString = sheets::ToCp932(sheets::ToCrLf(message_->toPlainText())).value_or(std::string());
    target.QRPosition = static_cast<StampPosition>(std::max(0, position_->currentIndex()));
    target.QRMarginValid = margin_->isChecked();
    target.QRIsVersionAuto = automatic_->isChecked();
    target.QRPhone = phone_->isChecked();
    target.QRVersion = version_->currentIndex() + 1;
    target.QRECLevel = static_cast<QrEcLevel>(std::max(0, level_->currentIndex()));
}

}  // namespace sgry
