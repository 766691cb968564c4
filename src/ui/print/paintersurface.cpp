#include "ui/print/paintersurface.h"

#include "ui/desktop/fonts.h"
#include "ui/desktop/uicolor.h"

#include <QPaintDevice>
#include <QPainter>

namespace {
constexpr int TwipsPerPoint = 20;
} // namespace

PainterSurface::PainterSurface(int widthTwips, int heightTwips)
    : m_width(widthTwips), m_height(heightTwips)
{
    m_font.setPixelSize(9 * TwipsPerPoint);
    // Hinting at twenty times the size would distort the widths once scaled down.
    m_font.setHintingPreference(QFont::PreferNoHinting);
    // Texts are measured character by character: draw them the same way.
    m_font.setKerning(false);
}

void PainterSurface::begin(QPainter *painter)
{
    m_painter = painter;
    m_painterFontStale = true;
}

void PainterSurface::end()
{
    m_painter = nullptr;
}

void PainterSurface::setSize(int widthTwips, int heightTwips)
{
    m_width = widthTwips;
    m_height = heightTwips;
}

void PainterSurface::setError(int number, const QString &description)
{
    m_errorNumber = number;
    m_errorDescription = description;
}

void PainterSurface::clearError()
{
    setError(0, QString());
}

void PainterSurface::applyTwipsTransform(QPainter &painter, const QPaintDevice &device)
{
    painter.scale(device.logicalDpiX() / 1440.0, device.logicalDpiY() / 1440.0);
}

void PainterSurface::setFontName(const QString &name)
{
    // A grid without a font of its own is shown, and so printed, in the grid view's face.
    const QString family = name.isEmpty() ? defaultFontFamily() : name;
    if (m_font.family() == family)
        return;
    m_font.setFamily(family);
    m_metrics.reset();
    m_painterFontStale = true;
}

void PainterSurface::setFontSize(int points)
{
    const int pixels = std::max(1, points * TwipsPerPoint);
    if (m_font.pixelSize() == pixels)
        return;
    m_font.setPixelSize(pixels);
    m_metrics.reset();
    m_painterFontStale = true;
}

void PainterSurface::setFontBold(bool bold)
{
    if (m_font.bold() == bold)
        return;
    m_font.setBold(bold);
    m_metrics.reset();
    m_painterFontStale = true;
}

void PainterSurface::setTextColor(Color c)
{
    m_textColor = toQColor(c);
}

void PainterSurface::setLineWidth(int width)
{
    m_lineWidth = std::max(width, 0);
}

const QFontMetricsF &PainterSurface::metrics()
{
    if (!m_metrics) {
        m_metrics.emplace(m_font);
        m_advances = &m_advanceCache[m_font.key()];
    }
    return *m_metrics;
}

void PainterSurface::applyFont()
{
    if (m_painterFontStale && m_painter) {
        m_painter->setFont(m_font);
        m_painterFontStale = false;
    }
}

double PainterSurface::textWidth(const QString &text)
{
    const QFontMetricsF &fm = metrics();
    qreal width = 0;
    for (QChar c : text) {
        // Pairs and marks combine with their neighbours: measure such a text as a whole.
        if (c.isSurrogate() || c.isMark())
            return fm.horizontalAdvance(text);
        auto it = m_advances->constFind(c.unicode());
        if (it == m_advances->constEnd())
            it = m_advances->insert(c.unicode(), fm.horizontalAdvance(c));
        width += it.value();
    }
    return width;
}

double PainterSurface::textHeight(const QString &)
{
    return metrics().height();
}

void PainterSurface::drawText(int x, int y, const QString &text)
{
    if (!m_painter)
        return;
    applyFont();
    m_painter->setPen(m_textColor);
    m_painter->drawText(QPointF(x, y + metrics().ascent()), text);
}

void PainterSurface::drawLine(int x1, int y1, int x2, int y2, Color c)
{
    if (!m_painter)
        return;
    // Line widths count device pixels, as a one-pixel rule on any device.
    QPen pen(toQColor(c));
    pen.setCosmetic(true);
    pen.setWidth(m_lineWidth);
    m_painter->setPen(pen);
    m_painter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void PainterSurface::fillBox(int x1, int y1, int x2, int y2, Color c)
{
    if (!m_painter)
        return;
    m_painter->fillRect(QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized(), toQColor(c));
}
