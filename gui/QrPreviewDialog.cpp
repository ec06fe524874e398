#include "gui/QrPreviewDialog.h"

#include <QDialogButtonBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "gui/QrPage.h"
#include "gui/SheetText.h"
#include "platform/Format.h"

namespace sgry {

QrPreviewCanvas::QrPreviewCanvas(const QrMatrix& matrix, int version, int level, bool failed, QWidget* parent)
    : QWidget(parent), matrix_(matrix), version_(version), level_(level), failed_(failed) {
    setFixedSize(kSide, kSide);
}

QString QrPreviewCanvas::Caption() const {
    const int level = level_ >= 0 && level_ < kQrEcLevelCount ? level_ : 0;
    return tr("Version:%1  Error correction level:%2")
        .arg(version_)
        .arg(QCoreApplication::translate("sgry::QrPage", kQrLevelLabels[level]));
}

void QrPreviewCanvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(QRect(0, 0, kSide, kSide), Qt::white);
    if (failed_ || !matrix_.modules) return;

    const int n = QrEncoder::SideWithQuietZone(version_);
    const int origin = kSide / 2 - n;  // centres n modules of 2 pixels
    for (int row = 0; row < n; ++row)
        for (int column = 0; column < n; ++column)
            if (matrix_.modules[static_cast<std::size_t>(row * n + column)])
                painter.fillRect(origin + column * kModulePixels, origin + row * kModulePixels, kModulePixels,
                                 kModulePixels, Qt::black);

    const QString caption = Caption();
    const QRect captionArea(0, kCaptionTop, kSide, kSide - kCaptionTop);
    painter.setPen(Qt::red);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.drawText(captionArea, Qt::AlignHCenter | Qt::AlignTop, caption);
}

QrPreviewDialog::QrPreviewDialog(const std::string& message, bool automatic, int version, int level,
                                 UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
    setWindowTitle(tr("QR Code Preview"));
    sheets::PreferJapaneseFace(this);

    // About 50 KB of working storage: on the heap, and gone right after.
    auto encoder = std::make_unique<QrEncoder>();
    if (automatic) {
        failed_ = !encoder->EncodeAuto(message, matrix_, version_, level_);
    } else {
        version_ = version;
        level_ = level;
        failed_ = !encoder->EncodeFixed(message, version, level, matrix_);
    }
    encoder.reset();
    if (failed_) matrix_ = QrMatrix{};
    else modulesPerRow_ = QrEncoder::SideWithQuietZone(version_);

    auto* canvas = new QrPreviewCanvas(matrix_, version_, level_, failed_, this);
    canvas->setObjectName(QStringLiteral("QrPreviewCanvas"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(canvas, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void QrPreviewDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Told once, after the dialog is up; painting shows the white area only.
    if (failed_ && !errorShown_) {
        errorShown_ = true;
        QTimer::singleShot(0, this, [this] { prompts_.ShowMessage(tr(kQrPreviewErrorMessage).toStdString()); });
    }
}

}  // namespace sgry
