#include "gui/FontColorDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/PreviewFont.h"
#include "gui/SheetDialogRunner.h"
#include "gui/SheetText.h"
#include "pdf/FontTable.h"
#include "settings/WatermarkWordTable.h"

namespace sgry {

using sheets::WithId;

ColorSwatch::ColorSwatch(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ColorSwatch::SetColor(const QColor& color) {
    color_ = color;
    update();
}

QSize ColorSwatch::sizeHint() const { return QSize(80, 22); }

void ColorSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect().adjusted(1, 1, -1, -1), color_);
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

FontColorDialog::FontColorDialog(int32_t color, const std::string& fontName, bool bold, bool italic,
                                 int32_t allowedFonts, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent),
      prompts_(prompts),
      color_(color),
      fontName_(fontName),
      bold_(bold),
      italic_(italic),
      allowedFonts_(allowedFonts) {
    setWindowTitle(tr("Font and Colour"));
    sheets::PreferJapaneseFace(this);

    fonts_ = WithId(new QComboBox(this), 1091);
    for (const FontTableRow& row : FontTable)
        fonts_->addItem(QString::fromUtf8(row.displayName.data(), static_cast<qsizetype>(row.displayName.size())));
    fonts_->setCurrentIndex(FindFont(fontName));

    // The chosen font's look, drawn with its sample font. The list itself
    // stays in the dialog's font: a symbol font would make its name unreadable.
    sample_ = new QLabel(this);
    sample_->setObjectName(QStringLiteral("FontSample"));
    sample_->setFrameShape(QFrame::StyledPanel);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(2 * fontMetrics().height() + 8);
    ShowSample();

    boldBox_ = WithId(new QCheckBox(tr("Bold"), this), 1139);
    italicBox_ = WithId(new QCheckBox(tr("Italic"), this), 1140);
    boldBox_->setChecked(bold);
    italicBox_->setChecked(italic);
    for (QCheckBox* box : {boldBox_, italicBox_}) {
        box->setEnabled(false);
        box->setVisible(false);
    }

    swatch_ = WithId(new ColorSwatch(this), 1092);
    swatch_->SetColor(sheets::ToQColor(color));
    swatch_->setToolTip(tr("Click to choose the colour"));

    auto* fontLabel = new QLabel(tr("Font:"), this);
    fontLabel->setBuddy(fonts_);
    auto* colorLabel = new QLabel(tr("Colour:"), this);
    colorLabel->setBuddy(swatch_);
    auto* grid = new QGridLayout;
    grid->addWidget(fontLabel, 0, 0);
    grid->addWidget(fonts_, 0, 1);
    grid->addWidget(sample_, 1, 1);
    grid->addWidget(colorLabel, 2, 0);
    grid->addWidget(swatch_, 2, 1);
    grid->setColumnMinimumWidth(1, 220);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &FontColorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &FontColorDialog::reject);
    connect(swatch_, &ColorSwatch::clicked, this, &FontColorDialog::ChooseColor);
    connect(fonts_, &QComboBox::currentIndexChanged, this, &FontColorDialog::ShowSample);
}

void FontColorDialog::ShowSample() {
    const int index = fonts_->currentIndex();
    if (index < 0 || index >= static_cast<int>(FontTable.size())) return;
    const FontTableRow& row = FontTable[static_cast<std::size_t>(index)];
    sample_->setText(row.kind == FontKind::Japanese ? QStringLiteral("あア亜 AaBb 123") : QStringLiteral("AaBbYyZz 123"));
    sample_->setFont(MakePreviewFont(row.pdfName, fontMetrics().height() + 4).value_or(font()));
}

void FontColorDialog::ChooseColor() {
    QColorDialog picker(sheets::ToQColor(color_), this);
    picker.setWindowTitle(tr("Colour"));
    if (sheets::RunDialog(picker) != QDialog::Accepted) return;
    const QColor chosen = picker.selectedColor().isValid() ? picker.selectedColor() : picker.currentColor();
    color_ = sheets::FromQColor(chosen);
    swatch_->SetColor(chosen);
}

void FontColorDialog::accept() {
    const int index = fonts_->currentIndex();
    if (index < 0 || index >= static_cast<int>(FontTable.size())) {
        prompts_.ShowMessage(tr(kFontRefusedMessage).toStdString());
        return;
    }
    const FontTableRow& row = FontTable[static_cast<std::size_t>(index)];
    const bool allowed = row.kind == FontKind::Japanese ? (allowedFonts_ & kAllowJapaneseFonts) != 0
                                                         : (allowedFonts_ & kAllowLatinFonts) != 0;
    if (!allowed) {
        prompts_.ShowMessage(tr(kFontRefusedMessage).toStdString());
        return;
    }
    fontName_ = std::string(row.pdfName);
    bold_ = boldBox_->isChecked();
    italic_ = italicBox_->isChecked();
    QDialog::accept();
}

}  // namespace sgry
