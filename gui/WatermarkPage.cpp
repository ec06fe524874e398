#include "gui/WatermarkPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "app/AutoFontChange.h"
#include "gui/FontColorDialog.h"
#include "gui/SheetDialogRunner.h"
#include "gui/SheetText.h"

namespace sgry {

using sheets::WithId;

namespace {

const char* const kPositionLabels[kStampPositionCount] = {QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Top / Left"), QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Top / Centre"), QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Top / Right"),
                                                          QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Middle / Left"), QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Middle / Centre"), QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Middle / Right"),
                                                          QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Bottom / Left"), QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Bottom / Centre"), QT_TRANSLATE_NOOP("sgry::WatermarkPage", "Bottom / Right")};

QSlider* DensitySlider(int id, QWidget* parent) {
    auto* slider = WithId(new QSlider(Qt::Horizontal, parent), id);
    slider->setRange(0, 100);
    slider->setTickInterval(10);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setPageStep(10);
    return slider;
}

// "濃度：" with the slider between its ends "0%" and "100%".
void AddDensityRow(QGridLayout* grid, int row, const QString& label, QSlider* slider, QWidget* parent) {
    auto* caption = new QLabel(label, parent);
    caption->setBuddy(slider);
    auto* line = new QHBoxLayout;
    line->addWidget(new QLabel(QStringLiteral("0%"), parent));
    line->addWidget(slider, 1);
    line->addWidget(new QLabel(QStringLiteral("100%"), parent));
    grid->addWidget(caption, row, 0);
    grid->addLayout(line, row, 1, 1, 2);
}

QLabel* Caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

// "label(patterns)|patterns|..." to the file dialog's name filters: the
// patterns in the label's parentheses separated by blanks, as the dialog
// reads them ("JPEGﾌｧｲﾙ(*.jpg *.jpeg)").
QStringList NameFilters(const QString& filter) {
    const QStringList parts = filter.split(QChar(u'|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        QString label = parts[i];
        const QString patterns = parts[i + 1];
        const QString shown = QStringLiteral("(") + patterns + QStringLiteral(")");
        if (label.endsWith(shown)) label.chop(shown.size());
        filters << label + QStringLiteral("(") + QString(patterns).replace(QChar(u';'), QChar(u' ')) + QStringLiteral(")");
    }
    return filters;
}

}  // namespace

void AddStampPositions(QComboBox* combo) {
    for (const char* label : kPositionLabels) combo->addItem(QCoreApplication::translate("sgry::WatermarkPage", label));
}

WatermarkPage::WatermarkPage(StampSettings& settings, UserPrompts& prompts, QWidget* parent)
    : SettingsPage(tr("Watermark"), prompts, parent), settings_(settings) {
    // Text watermark
    auto* textBox = new QGroupBox(tr("Text Watermark"), this);
    word_ = WithId(new QComboBox(textBox), 1081);
    for (const WatermarkWord& row : WatermarkWordTable) word_->addItem(sheets::FromCp932(row.Label));
    word_->setMaxVisibleItems(kWatermarkWordCount);
    wordPosition_ = WithId(new QComboBox(textBox), 1083);
    AddStampPositions(wordPosition_);
    diagonal_ = WithId(new QCheckBox(tr("&Diagonal"), textBox), 1140);
    wordMargin_ = WithId(new QCheckBox(tr("Follow the &margins"), textBox), 1121);
    font_ = WithId(new QPushButton(tr("Fo&nt and Colour..."), textBox), 1141);
    wordDensity_ = DensitySlider(1084, textBox);

    auto* textGrid = new QGridLayout(textBox);
    textGrid->addWidget(Caption(tr("&Type:"), word_, textBox), 0, 0);
    textGrid->addWidget(word_, 0, 1);
    textGrid->addWidget(font_, 0, 2);
    textGrid->addWidget(Caption(tr("&Position:"), wordPosition_, textBox), 1, 0);
    textGrid->addWidget(wordPosition_, 1, 1);
    textGrid->addWidget(diagonal_, 1, 2);
    textGrid->addWidget(wordMargin_, 2, 1, 1, 2);
    AddDensityRow(textGrid, 3, tr("&Intensity:"), wordDensity_, textBox);
    textGrid->setColumnStretch(1, 1);

    // Image watermark
    auto* imageBox = new QGroupBox(tr("Image Watermark"), this);
    imageFile_ = WithId(new QLineEdit(imageBox), 1085);
    imageFile_->setMaxLength(kImageFileNameMaxBytes);
    browse_ = WithId(new QPushButton(tr("B&rowse..."), imageBox), 1088);
    imagePosition_ = WithId(new QComboBox(imageBox), 1086);
    AddStampPositions(imagePosition_);
    imageMargin_ = WithId(new QCheckBox(tr("Follow the mar&gins"), imageBox), 1138);
    imageDensity_ = DensitySlider(1087, imageBox);

    auto* imageGrid = new QGridLayout(imageBox);
    imageGrid->addWidget(Caption(tr("&File:"), imageFile_, imageBox), 0, 0);
    imageGrid->addWidget(imageFile_, 0, 1);
    imageGrid->addWidget(browse_, 0, 2);
    imageGrid->addWidget(Caption(tr("Posi&tion:"), imagePosition_, imageBox), 1, 0);
    imageGrid->addWidget(imagePosition_, 1, 1);
    imageGrid->addWidget(imageMargin_, 2, 1, 1, 2);
    AddDensityRow(imageGrid, 3, tr("Inten&sity:"), imageDensity_, imageBox);
    imageGrid->setColumnStretch(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textBox);
    layout->addWidget(imageBox);
    layout->addStretch(1);

    connect(wordPosition_, &QComboBox::currentIndexChanged, this, &WatermarkPage::UpdateEnabling);
    connect(font_, &QPushButton::clicked, this, &WatermarkPage::ChooseFont);
    connect(browse_, &QPushButton::clicked, this, &WatermarkPage::BrowseImage);
    WatchControls();
}

void WatermarkPage::FillControls() {
    word_->setCurrentIndex(FindWordRow(settings_.WaterMarkType));
    wordPosition_->setCurrentIndex(static_cast<int>(settings_.WaterMarkPosition));
    diagonal_->setChecked(settings_.WawterMarkDiagonal);
    wordMargin_->setChecked(settings_.WaterMarkMargin);
    wordDensity_->setValue(settings_.WaterMarkDensity);
    // A path is native bytes, never CP932.
    imageFile_->setText(QFile::decodeName(QByteArray::fromStdString(settings_.ImageFileName)));
    imagePosition_->setCurrentIndex(static_cast<int>(settings_.ImagePosition));
    imageMargin_->setChecked(settings_.ImageMargin);
    imageDensity_->setValue(settings_.ImageDensity);
    UpdateEnabling();
}

void WatermarkPage::UpdateEnabling() {
    diagonal_->setEnabled(wordPosition_->currentIndex() == static_cast<int>(StampPosition::Center));
}

void WatermarkPage::ChooseFont() {
    const int row = std::max(0, word_->currentIndex());
    FontColorDialog dialog(settings_.WaterMarkColor, settings_.WaterMarkFont, false, false,
                           WatermarkWordTable[static_cast<std::size_t>(row)].AllowedFonts, Prompts(), this);
    if (sheets::RunDialog(dialog) != QDialog::Accepted) return;
    // Written at once: the choice stays even when the sheet is cancelled.
    settings_.WaterMarkColor = dialog.Color();
    settings_.WaterMarkFont = dialog.FontName();
}

void WatermarkPage::BrowseImage() {
    QFileDialog dialog(this, tr(kImageDialogTitle));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(NameFilters(tr(kImageDialogFilter)));
    const QFileInfo current(imageFile_->text());
    if (!imageFile_->text().isEmpty() && current.dir().exists()) dialog.setDirectory(current.dir());
    if (sheets::RunDialog(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    imageFile_->setText(dialog.selectedFiles().first());
}

void WatermarkPage::StorePage() { changeFlags_ = StoreInto(settings_); }

int32_t WatermarkPage::StoreInto(StampSettings& target) const {
    const int row = std::max(0, word_->currentIndex());
    const int32_t flags = AutoFontChangeWatermark(row, target.WaterMarkFont);
    target.ImageDensity = imageDensity_->value();
    target.ImageFileName = QFile::encodeName(imageFile_->text()).toStdString();
    target.ImagePosition = static_cast<StampPosition>(std::max(0, imagePosition_->currentIndex()));
    target.ImageMargin = imageMargin_->isChecked();
    target.WaterMarkDensity = wordDensity_->value();
    target.WaterMarkPosition = static_cast<StampPosition>(std::max(0, wordPosition_->currentIndex()));
    target.WaterMarkMargin = wordMargin_->isChecked();
    target.WaterMarkType = WatermarkWordTable[static_cast<std::size_t>(row)].Id;
    target.WawterMarkDiagonal = diagonal_->isChecked();
    return flags;
}

}  // namespace sgry
