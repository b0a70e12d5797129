#include "QtScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace tw::platform {

namespace {

float perPixel(qreal dpi)
{
    return dpi > 0 ? static_cast<float>(1440.0 / dpi) : 15.0f;
}

} // namespace

float QtScreenMetrics::twipsPerPixelX() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? perPixel(s->logicalDotsPerInchX()) : 15.0f;
}

float QtScreenMetrics::twipsPerPixelY() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? perPixel(s->logicalDotsPerInchY()) : 15.0f;
}

int QtScreenMetrics::widthPixels() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
}

int QtScreenMetrics::heightPixels() const
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
}

int twipsToPixels(double twips, float twipsPerPixel)
{
    return static_cast<int>(std::lround(twips / static_cast<double>(twipsPerPixel)));
}

} // namespace tw::platform
