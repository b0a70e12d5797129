#include "ProgramIcon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <algorithm>

namespace tw::platform {

namespace {

const QColor kOutline(0x2f, 0x3e, 0x4f);
const QColor kBack(0xcf, 0xdc, 0xea);
const QColor kFront(0xff, 0xff, 0xff);
const QColor kLines(0x8c, 0x99, 0xa8);
const QColor kArrow(0xe0, 0x6c, 0x00);

// A sheet with a folded top right corner, in the 64 by 64 grid the emblem is drawn on.
QPainterPath sheet(qreal x, qreal y, qreal w, qreal h, qreal fold)
{
    QPainterPath p;
    p.moveTo(x, y);
    p.lineTo(x + w - fold, y);
    p.lineTo(x + w, y + fold);
    p.lineTo(x + w, y + h);
    p.lineTo(x, y + h);
    p.closeSubpath();
    return p;
}

void drawSheet(QPainter& painter, qreal x, qreal y, const QColor& fill, qreal line)
{
    constexpr qreal w = 30, h = 40, fold = 9;
    painter.setPen(QPen(kOutline, line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(fill);
    painter.drawPath(sheet(x, y, w, h, fold));
    QPainterPath corner;
    corner.moveTo(x + w - fold, y);
    corner.lineTo(x + w - fold, y + fold);
    corner.lineTo(x + w, y + fold);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(corner);
}

} // namespace

QImage programIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal scale = size / 64.0;
    painter.scale(scale, scale);
    // Lines keep at least one pixel, so the small sizes stay crisp.
    const qreal line = std::max(2.5, 1.0 / scale);

    drawSheet(painter, 6, 4, kBack, line);
    drawSheet(painter, 26, 18, kFront, line);
    if (size >= 32) {
        painter.setPen(QPen(kLines, line, Qt::SolidLine, Qt::FlatCap));
        for (const qreal y : {34.0, 41.0, 48.0})
            painter.drawLine(QPointF(34, y), QPointF(49, y));
    }

    // The arrow from the old name to the new one.
    QPainterPath arrow;
    arrow.moveTo(3, 44);
    arrow.lineTo(20, 44);
    arrow.lineTo(20, 36);
    arrow.lineTo(35, 49);
    arrow.lineTo(20, 62);
    arrow.lineTo(20, 54);
    arrow.lineTo(3, 54);
    arrow.closeSubpath();
    painter.setPen(QPen(Qt::white, line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(kArrow);
    painter.drawPath(arrow);
    painter.end();
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}

} // namespace tw::platform
