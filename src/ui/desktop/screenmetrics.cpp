#include "ui/desktop/screenmetrics.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
double twipsPerPixel(bool horizontal)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 15.0;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}
} // namespace

double twipsPerPixelX()
{
    return twipsPerPixel(true);
}
double twipsPerPixelY()
{
    return twipsPerPixel(false);
}
