#include "gui/CPPageQR.h"

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

#include "gui/CPPageWaterMark.h"
#include "gui/QrPreviewDialog.h"
#include "gui/SheetDialogRunner.h"
#include "gui/SheetText.h"
#include "platform/Format.h"

namespace sgry {

using sheets::WithId;

const char* const kQrLevelLabels[kQrEcLevelCount] = {"低(L)", "普通(M)", "高(Q)", "最高(H)"};

namespace {
constexpr int kVersionCount = 40;

QString VersionText(int version) { return QString::fromStdString(Format("%2d", version)); }
}  // namespace

CPPageQR::CPPageQR(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : PropertyPage(QStringLiteral("QRコード"), prompts, parent), settings_(settings) {
    enabled_ = WithId(new QCheckBox(QStringLiteral("QRコードの透かしを追加する(&Q)"), this), 1113);

    message_ = WithId(new QPlainTextEdit(this), 1116);
    message_->setTabChangesFocus(true);
    messageLabel_ = new QLabel(QStringLiteral("QRコードに埋め込むメッセージ(&S)："), this);
    messageLabel_->setBuddy(message_);
    clear_ = WithId(new QPushButton(QStringLiteral("クリア(E)"), this), 1114);

    position_ = WithId(new QComboBox(this), 1115);
    AddStampPositions(position_);
    positionLabel_ = new QLabel(QStringLiteral("位置(&P)："), this);
    positionLabel_->setBuddy(position_);
    margin_ = WithId(new QCheckBox(QStringLiteral("余白設定に従う(&G)"), this), 1120);

    auto* choiceBox = new QGroupBox(this);
    choiceLabel_ = new QLabel(QStringLiteral("ﾊﾞｰｼﾞｮﾝと誤り訂正ﾚﾍﾞﾙ："), choiceBox);
    automatic_ = WithId(new QRadioButton(QStringLiteral("自動(&A)"), choiceBox), 1121);
    manual_ = WithId(new QRadioButton(QStringLiteral("手動で設定(&M)"), choiceBox), 1122);
    phone_ = WithId(new QCheckBox(QStringLiteral("携帯電話で認識可能な"), choiceBox), 1128);
    phoneLabel_ = WithId(new QLabel(QStringLiteral("バージョンに制限する"), choiceBox), 1129);
    phoneLabel_->setBuddy(phone_);
    version_ = WithId(new QComboBox(choiceBox), 1123);
    for (int v = 1; v <= kVersionCount; ++v) version_->addItem(VersionText(v));
    versionLabel_ = WithId(new QLabel(QStringLiteral("バージョン："), choiceBox), 1126);
    versionLabel_->setBuddy(version_);
    level_ = WithId(new QComboBox(choiceBox), 1124);
    for (const char* label : kQrLevelLabels) level_->addItem(QString::fromUtf8(label));
    levelLabel_ = WithId(new QLabel(QStringLiteral("誤り訂正ﾚﾍﾞﾙ："), choiceBox), 1127);
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

    preview_ = WithId(new QPushButton(QStringLiteral("プレビュー(&V)"), this), 1119);

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
        connect(button, &QAbstractButton::clicked, this, &CPPageQR::UpdateEnabling);
    connect(clear_, &QPushButton::clicked, message_, &QPlainTextEdit::clear);
    connect(message_, &QPlainTextEdit::textChanged, this, &CPPageQR::LimitMessage);
    connect(preview_, &QPushButton::clicked, this, &CPPageQR::Preview);
    WatchControls();
}

void CPPageQR::FillControls() {
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

void CPPageQR::UpdateEnabling() {
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

void CPPageQR::LimitMessage() {
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

std::optional<QrPageValues> CPPageQR::CurrentValues() {
    const QString text = sheets::ToCrLf(message_->toPlainText());
    std::optional<std::string> message = sheets::ToCp932(text);
    if (!message) {
        Refuse(sheets::NoCp932Message(QStringLiteral("QRコードに埋め込むメッセージ"),
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

bool CPPageQR::ValidatePage() {
    const std::optional<QrPageValues> values = CurrentValues();
    if (!values) return false;
    if (auto refusal = QrValidationRefusal(*values)) return Refuse(*refusal, message_);
    return true;
}

void CPPageQR::Preview() {
    const std::optional<QrPageValues> values = CurrentValues();
    if (!values) return;
    if (auto refusal = QrPreviewRefusal(*values)) {
        Refuse(*refusal, message_);
        return;
    }
    QrPreviewDialog dialog(values->message, values->versionAuto, values->version, values->level, Prompts(), this);
    sheets::RunDialog(dialog);
}

void CPPageQR::StorePage() { StoreInto(settings_); }

void CPPageQR::StoreInto(StampSettings& target) const {
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
