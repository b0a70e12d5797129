#include "ImageStrip.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tw::platform {

ImageStrip::ImageStrip(QImage image, QWidget* parent) : QWidget(parent), m_image(std::move(image))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ImageStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), m_image);
}

void ImageStrip::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    emit pressed();
}

void ImageStrip::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit moved();
}

void ImageStrip::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    emit released();
}

namespace {

void drawArrow(QPainter& p, qreal x)
{
    QPainterPath arrow;
    arrow.moveTo(x, 3);
    arrow.lineTo(x + 6, 10);
    arrow.lineTo(x + 2.5, 10);
    arrow.lineTo(x + 2.5, 17);
    arrow.lineTo(x - 2.5, 17);
    arrow.lineTo(x - 2.5, 10);
    arrow.lineTo(x - 6, 10);
    arrow.closeSubpath();
    p.fillPath(arrow, QColor(40, 40, 40));
}

} // namespace

QImage ImageStrip::drawBar(const QString& caption, const QString& left, const QString& right)
{
    QImage image(1024, 20, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 20);
    gradient.setColorAt(0, QColor(235, 235, 235));
    gradient.setColorAt(0.5, QColor(200, 200, 200));
    gradient.setColorAt(1, QColor(160, 160, 160));
    p.fillRect(image.rect(), gradient);
    p.setPen(QColor(110, 110, 110));
    p.drawLine(0, 19, 1023, 19);
    p.setPen(QColor(250, 250, 250));
    p.drawLine(0, 0, 1023, 0);

    QFont font = p.font();
    font.setPixelSize(13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::black);
    const QFontMetrics metrics(font);
    const int captionWidth = metrics.horizontalAdvance(caption);
    p.drawText(QRect(0, 0, 1024, 20), Qt::AlignCenter, caption);
    drawArrow(p, 512 - captionWidth / 2 - 20);
    drawArrow(p, 512 + captionWidth / 2 + 20);
    if (!left.isEmpty())
        p.drawText(QRect(0, 0, 512 - captionWidth / 2 - 40, 20), Qt::AlignCenter, left);
    if (!right.isEmpty())
        p.drawText(QRect(512 + captionWidth / 2 + 40, 0, 512 - captionWidth / 2 - 40, 20), Qt::AlignCenter, right);
    return image;
}

} // namespace tw::platform
