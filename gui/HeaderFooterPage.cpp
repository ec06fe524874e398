#include "gui/HeaderFooterPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>
#include <vector>

#include "app/AutoFontChange.h"
#include "gui/FontColorDialog.h"
#include "gui/SheetDialogRunner.h"
#include "gui/SheetText.h"

namespace sgry {

using sheets::WithId;

namespace {

struct ColumnIds {
    const char* caption;
    std::array<const char*, kHeaderFooterStyleCount> styleLabels;
    std::array<int, kHeaderFooterStyleCount> styleIds;
    int pageCombo;
    int dateCombo;
    int text;
    int font;
    const char* fontLabel;
    int pageLabel;
    int dateLabel;
    int nameCombo;
    int nameLabel;
};

const ColumnIds kColumns[3] = {
    {QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "&Left"), {QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "N&one"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "&Page number"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "&Date and time"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "&Text"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "File na&me")},
     {1000, 1001, 1003, 1005, 1150}, 1024, 1025, 1006, 1007, QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "&Font and Colour..."), 1002, 1027, 1153, 1156},
    {QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "C&entre"), {QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "No&ne"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "P&age number"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Date and t&ime"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Te&xt"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Fi&le name")},
     {1008, 1009, 1011, 1013, 1151}, 1010, 1012, 1014, 1015, QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Fo&nt and Colour..."), 1004, 1028, 1154, 1157},
    {QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "&Right"), {QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "None"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Pa&ge number"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Date and ti&me"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Tex&t"), QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Fil&e name")},
     {1016, 1017, 1019, 1021, 1152}, 1018, 1020, 1022, 1023, QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Font and &Colour..."), 1026, 1029, 1155, 1158},
};

// Ids of the Bates number box.
constexpr int kBatesStartId = 1160;
constexpr int kBatesDigitsId = 1161;
constexpr int kBatesPrefixId = 1162;
constexpr int kBatesSuffixId = 1163;

const char* const kPageNumberLabels[kPageNumberFormatCount] = {"1", "-1-", "1/n", "-1/n-",
                                                              QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Bates number")};
const char* const kNameLabels[kFileNameFormatCount] = {QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "With extension"),
                                                        QT_TRANSLATE_NOOP("sgry::HeaderFooterPage", "Without extension")};
const char* const kDateLabels[kDateFormatCount] = {"YYYY/MM/DD", "hh:mm", "YYYY/MM/DD hh:mm"};

}  // namespace

HeaderFooterPage::HeaderFooterPage(const QString& title, int32_t group, StampSettings& settings, UserPrompts& prompts,
                           QWidget* parent)
    : SettingsPage(title, prompts, parent), settings_(settings), group_(group == 1 ? 1 : 0) {
    auto* columnsRow = new QHBoxLayout;
    for (int c = 0; c < 3; ++c) columnsRow->addWidget(BuildColumn(c));

    QWidget* batesBox = BuildBatesBox();
    auto* generalBox = new QGroupBox(tr("General"), this);
    edgeBorder_ = WithId(new QCheckBox(tr("Draw a line between it and the page body"), generalBox), 1132);
    auto* generalLayout = new QVBoxLayout(generalBox);
    generalLayout->addWidget(edgeBorder_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columnsRow);
    layout->addWidget(batesBox);
    layout->addWidget(generalBox);
    layout->addStretch(1);
    WatchControls();
}

QWidget* HeaderFooterPage::BuildColumn(int c) {
    const ColumnIds& ids = kColumns[c];
    Column& column = columns_[static_cast<std::size_t>(c)];
    auto* box = new QGroupBox(tr(ids.caption), this);
    auto* radios = new QButtonGroup(box);
    for (std::size_t s = 0; s < column.styles.size(); ++s) {
        column.styles[s] = WithId(new QRadioButton(tr(ids.styleLabels[s]), box), ids.styleIds[s]);
        radios->addButton(column.styles[s]);
        connect(column.styles[s], &QRadioButton::clicked, this, [this, c] { UpdateEnabling(c); });
    }
    column.pageFormat = WithId(new QComboBox(box), ids.pageCombo);
    for (const char* label : kPageNumberLabels) column.pageFormat->addItem(tr(label));
    column.dateFormat = WithId(new QComboBox(box), ids.dateCombo);
    for (const char* label : kDateLabels) column.dateFormat->addItem(QString::fromUtf8(label));
    column.pageLabel = WithId(new QLabel(tr("Format:"), box), ids.pageLabel);
    column.pageLabel->setBuddy(column.pageFormat);
    column.dateLabel = WithId(new QLabel(tr("Format:"), box), ids.dateLabel);
    column.dateLabel->setBuddy(column.dateFormat);
    column.nameFormat = WithId(new QComboBox(box), ids.nameCombo);
    for (const char* label : kNameLabels) column.nameFormat->addItem(tr(label));
    column.nameLabel = WithId(new QLabel(tr("Format:"), box), ids.nameLabel);
    column.nameLabel->setBuddy(column.nameFormat);
    column.text = WithId(new QLineEdit(box), ids.text);
    column.text->setMaxLength(kCustomTextMaxBytes);
    column.font = WithId(new QPushButton(tr(ids.fontLabel), box), ids.font);
    connect(column.font, &QPushButton::clicked, this, [this, c] { ChooseFont(c); });

    // Each format and the text sit indented under their own radio button.
    auto* grid = new QGridLayout(box);
    grid->setColumnMinimumWidth(0, 16);
    grid->addWidget(column.styles[0], 0, 0, 1, 3);
    grid->addWidget(column.styles[1], 1, 0, 1, 3);
    grid->addWidget(column.pageLabel, 2, 1);
    grid->addWidget(column.pageFormat, 2, 2);
    grid->addWidget(column.styles[2], 3, 0, 1, 3);
    grid->addWidget(column.dateLabel, 4, 1);
    grid->addWidget(column.dateFormat, 4, 2);
    grid->addWidget(column.styles[3], 5, 0, 1, 3);
    grid->addWidget(column.text, 6, 1, 1, 2);
    grid->addWidget(column.styles[4], 7, 0, 1, 3);
    grid->addWidget(column.nameLabel, 8, 1);
    grid->addWidget(column.nameFormat, 8, 2);
    grid->setRowMinimumHeight(9, 8);
    grid->addWidget(column.font, 10, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(11, 1);
    return box;
}

// One numbering for the whole run, shared by the header and the footer page:
// each page stores it only when its own fields were changed.
QWidget* HeaderFooterPage::BuildBatesBox() {
    auto* box = new QGroupBox(tr("Bates number (counted across the files)"), this);
    batesStart_ = WithId(new QLineEdit(box), kBatesStartId);
    batesStart_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{1,12}")), box));
    batesDigits_ = WithId(new QSpinBox(box), kBatesDigitsId);
    batesDigits_->setRange(kBatesMinDigits, kBatesMaxDigits);
    batesPrefix_ = WithId(new QLineEdit(box), kBatesPrefixId);
    batesPrefix_->setMaxLength(kCustomTextMaxBytes);
    batesSuffix_ = WithId(new QLineEdit(box), kBatesSuffixId);
    batesSuffix_->setMaxLength(kCustomTextMaxBytes);
    auto* grid = new QGridLayout(box);
    const std::array<std::pair<QString, QWidget*>, 4> fields = {{{tr("Start n&umber:"), batesStart_},
                                                                 {tr("Digit&s:"), batesDigits_},
                                                                 {tr("Text &before:"), batesPrefix_},
                                                                 {tr("Text &after:"), batesSuffix_}}};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        auto* label = new QLabel(fields[i].first, box);
        label->setBuddy(fields[i].second);
        const int row = static_cast<int>(i / 2), column = static_cast<int>(i % 2) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(fields[i].second, row, column + 1);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

HeaderFooterSlot& HeaderFooterPage::SlotOf(int column) {
    return settings_.Slots[static_cast<std::size_t>(group_ * 3 + column)];
}

HeaderFooterStyle HeaderFooterPage::StyleOf(int c) const {
    const Column& column = columns_[static_cast<std::size_t>(c)];
    for (std::size_t s = 0; s < column.styles.size(); ++s)
        if (column.styles[s]->isChecked()) return static_cast<HeaderFooterStyle>(s);
    return HeaderFooterStyle::None;
}

void HeaderFooterPage::FillControls() {
    for (int c = 0; c < 3; ++c) {
        Column& column = columns_[static_cast<std::size_t>(c)];
        const HeaderFooterSlot& slot = SlotOf(c);
        const auto style = static_cast<std::size_t>(slot.StyleType);
        if (style < column.styles.size()) column.styles[style]->setChecked(true);
        column.pageFormat->setCurrentIndex(static_cast<int>(slot.StylePageType));
        column.dateFormat->setCurrentIndex(static_cast<int>(slot.StyleDateType));
        column.nameFormat->setCurrentIndex(static_cast<int>(slot.StyleNameType));
        column.text->setText(sheets::FromCp932(slot.CustomText));
        column.text->setCursorPosition(0);
        UpdateEnabling(c);
    }
    edgeBorder_->setChecked(settings_.Groups[static_cast<std::size_t>(group_)].EdgeBorder);
    batesStart_->setText(QString::number(settings_.BatesStart));
    batesDigits_->setValue(settings_.BatesDigits);
    batesPrefix_->setText(sheets::FromCp932(settings_.BatesPrefix));
    batesSuffix_->setText(sheets::FromCp932(settings_.BatesSuffix));
    shownBates_ = BatesShown();
}

HeaderFooterPage::BatesFields HeaderFooterPage::BatesShown() const {
    return {batesStart_->text(), batesDigits_->value(), batesPrefix_->text(), batesSuffix_->text()};
}

void HeaderFooterPage::UpdateEnabling(int c) {
    Column& column = columns_[static_cast<std::size_t>(c)];
    const HeaderFooterStyle style = StyleOf(c);
    const bool pageNumber = style == HeaderFooterStyle::PageNumber;
    const bool date = style == HeaderFooterStyle::DateTime;
    column.pageLabel->setEnabled(pageNumber);
    column.pageFormat->setEnabled(pageNumber);
    column.dateLabel->setEnabled(date);
    column.dateFormat->setEnabled(date);
    column.nameLabel->setEnabled(style == HeaderFooterStyle::FileName);
    column.nameFormat->setEnabled(style == HeaderFooterStyle::FileName);
    column.text->setEnabled(style == HeaderFooterStyle::Text);
    column.font->setEnabled(style != HeaderFooterStyle::None);
}

void HeaderFooterPage::ChooseFont(int c) {
    HeaderFooterSlot& slot = SlotOf(c);
    FontColorDialog dialog(slot.StyleColor, slot.FontName, slot.FontIsBold, slot.FontIsItalic,
                           kAllowLatinFonts | kAllowJapaneseFonts, Prompts(), this);
    if (sheets::RunDialog(dialog) != QDialog::Accepted) return;
    // Written at once: the choice stays even when the sheet is cancelled.
    slot.StyleColor = dialog.Color();
    slot.FontName = dialog.FontName();
    slot.FontIsBold = dialog.Bold();
    slot.FontIsItalic = dialog.Italic();
}

bool HeaderFooterPage::ValidatePage() {
    std::vector<QLineEdit*> edits{batesPrefix_, batesSuffix_};
    for (const Column& column : columns_) edits.push_back(column.text);
    for (QLineEdit* edit : edits) {
        const QString missing = sheets::CharactersWithoutCp932(edit->text());
        if (!missing.isEmpty()) {
            const auto* box = qobject_cast<QGroupBox*>(edit->parentWidget());
            QString field = box ? box->title() : QString();
            // The column's title without its accelerator: "右側(&R)", "&Right".
            field.remove(QRegularExpression(QStringLiteral("\\(&\\w\\)"))).remove(QLatin1Char('&'));
            return Refuse(sheets::NoCp932Message(tr("%1: %2").arg(Title(), field), missing), edit);
        }
    }
    return true;
}

void HeaderFooterPage::StorePage() {
    changeFlags_ = StoreInto(settings_);
    shownBates_ = BatesShown();
    // The edits show what is stored, full-width conversion included.
    QuietChanges quiet(*this);
    for (int c = 0; c < 3; ++c) {
        QLineEdit* edit = columns_[static_cast<std::size_t>(c)].text;
        const QString shown = sheets::FromCp932(SlotOf(c).CustomText);
        if (edit->text() != shown) edit->setText(shown);
    }
}

// Fields left as they were shown do not overwrite what the other page stores.
void HeaderFooterPage::StoreBates(StampSettings& target) const {
    const BatesFields now = BatesShown();
    if (now.start != shownBates_.start && !now.start.isEmpty()) target.BatesStart = now.start.toLongLong();
    if (now.digits != shownBates_.digits) target.BatesDigits = now.digits;
    // Validation has refused text without a CP932 form.
    if (now.prefix != shownBates_.prefix) target.BatesPrefix = sheets::ToCp932(now.prefix).value_or(std::string());
    if (now.suffix != shownBates_.suffix) target.BatesSuffix = sheets::ToCp932(now.suffix).value_or(std::string());
}

int32_t HeaderFooterPage::StoreInto(StampSettings& target) const {
    StoreBates(target);
    std::array<HeaderFooterColumn, 3> values;
    for (int c = 0; c < 3; ++c) {
        auto& value = values[static_cast<std::size_t>(c)];
        value.style = StyleOf(c);
        value.bates = value.style == HeaderFooterStyle::PageNumber &&
                      columns_[static_cast<std::size_t>(c)].pageFormat->currentIndex() ==
                          static_cast<int>(PageNumberFormat::Bates);
        // Validation has refused text without a CP932 form.
        value.text = sheets::ToCp932(columns_[static_cast<std::size_t>(c)].text->text()).value_or(std::string());
    }
    const int32_t flags = AutoFontChangeHeaderFooter(target, group_, values);
    for (int c = 0; c < 3; ++c) {
        const auto& value = values[static_cast<std::size_t>(c)];
        const Column& column = columns_[static_cast<std::size_t>(c)];
        HeaderFooterSlot& slot = target.Slots[static_cast<std::size_t>(group_ * 3 + c)];
        slot.StyleType = value.style;
        slot.StylePageType = static_cast<PageNumberFormat>(std::max(0, column.pageFormat->currentIndex()));
        slot.StyleDateType = static_cast<DateFormat>(std::max(0, column.dateFormat->currentIndex()));
        slot.StyleNameType = static_cast<FileNameFormat>(std::max(0, column.nameFormat->currentIndex()));
        slot.CustomText = value.text;
    }
    target.Groups[static_cast<std::size_t>(group_)].EdgeBorder = edgeBorder_->isChecked();
    return flags;
}

}  // namespace sgry
