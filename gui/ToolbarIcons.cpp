#include "gui/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace sgry {

namespace {

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kSeal(200, 30, 30);
const QColor kGreen(30, 140, 60);
const QColor kFolder(230, 180, 60);
const QColor kBlue(40, 90, 170);

// A page with a folded corner inside the rectangle.
void DrawPage(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.3;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kPaper);
    p.drawPath(page);
    p.drawLine(QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold));
    p.drawLine(QPointF(r.right() - fold, r.top() + fold), QPointF(r.right(), r.top() + fold));
    p.setPen(QPen(QColor(150, 150, 150), 1));
    for (qreal y = r.top() + fold + 3; y < r.bottom() - 3; y += 4)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

void DrawBadge(QPainter& p, const QPointF& centre, const QColor& colour, bool plus) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(centre, 7.5, 7.5);
    p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(-4, 0), centre + QPointF(4, 0));
    if (plus) p.drawLine(centre + QPointF(0, -4), centre + QPointF(0, 4));
}

void DrawFolder(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kFolder);
    QPainterPath folder;
    folder.moveTo(3, 9);
    folder.lineTo(12, 9);
    folder.lineTo(15, 12);
    folder.lineTo(30, 12);
    folder.lineTo(30, 29);
    folder.lineTo(3, 29);
    folder.closeSubpath();
    p.drawPath(folder);
    DrawPage(p, QRectF(9, 4, 15, 17));
    p.setBrush(kFolder.lighter(115));
    p.setPen(QPen(kInk, 1.5));
    p.drawRect(QRectF(3, 16, 27, 13));
}

void DrawDisk(QPainter& p) {
    p.setPen(QPen(kInk, 1.5));
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(4, 4, 26, 26), 3, 3);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 4, 16, 10));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(9, 19, 16, 11));
    p.setBrush(kInk);
    p.drawRect(QRectF(20, 6, 3, 6));
}

void DrawSettings(QPainter& p) {
    p.setPen(QPen(kInk, 2));
    for (int i = 0; i < 3; ++i) {
        const qreal y = 8 + i * 9;
        p.drawLine(QPointF(5, y), QPointF(29, y));
        const qreal x = 10 + ((i * 7) % 15);
        p.setBrush(i == 1 ? kSeal : kFolder);
        p.drawRect(QRectF(x, y - 3.5, 7, 7));
    }
}

void DrawStamp(QPainter& p) {
    DrawPage(p, QRectF(4, 3, 20, 27));
    p.setPen(QPen(kSeal, 2));
    p.setBrush(QColor(255, 255, 255, 180));
    p.drawEllipse(QPointF(23, 22), 8.5, 8.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    QPainterPath arrow;
    arrow.moveTo(20, 17.5);
    arrow.lineTo(27.5, 22);
    arrow.lineTo(20, 26.5);
    arrow.closeSubpath();
    p.drawPath(arrow);
}

// A page under a magnifying glass.
void DrawPreview(QPainter& p) {
    DrawPage(p, QRectF(4, 3, 20, 27));
    p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(24, 24), QPointF(30, 30));
    p.setPen(QPen(kBlue, 2.5));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(19, 19), 6.5, 6.5);
}

QPixmap BlankImage(int size) {
    QPixmap image(size, size);
    image.fill(Qt::transparent);
    return image;
}

}  // namespace

QIcon ToolbarIcon(ToolbarImage which) {
    QPixmap image = BlankImage(kToolbarImageSize);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
        case ToolbarImage::AddFiles:
            DrawPage(p, QRectF(5, 3, 20, 27));
            DrawBadge(p, QPointF(24, 24), kGreen, true);
            break;
        case ToolbarImage::RemoveFiles:
            DrawPage(p, QRectF(5, 3, 20, 27));
            DrawBadge(p, QPointF(24, 24), kSeal, false);
            break;
        case ToolbarImage::OpenList:
            DrawFolder(p);
            break;
        case ToolbarImage::SaveList:
            DrawDisk(p);
            break;
        case ToolbarImage::StampSettings:
            DrawSettings(p);
            break;
        case ToolbarImage::Run:
            DrawStamp(p);
            break;
        case ToolbarImage::Preview:
            DrawPreview(p);
            break;
        case ToolbarImage::None:
            return QIcon();
    }
    p.end();
    return QIcon(image);
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) {
        QPixmap image = BlankImage(size);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 34.0, size / 34.0);
        DrawPage(p, QRectF(5, 2, 22, 30));
        p.setPen(QPen(kSeal, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(21, 22), 8, 8);
        p.end();
        icon.addPixmap(image);
    }
    return icon;
}

}  // namespace sgry
