#pragma once
// Surface over a QPainter whose coordinates are twips. Fonts are sized in twips too (20 per
// point), so a page measures the same on the screen, the printer and a PDF file.

#include "core/printlayout/printlayout.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <optional>

class QPainter;
class QPaintDevice;

class PainterSurface : public Surface
{
public:
    PainterSurface(int widthTwips, int heightTwips);

    // Drawing needs an active painter; measuring works without one.
    void begin(QPainter *painter);
    void end();
    QPainter *painter() const { return m_painter; }
    void setSize(int widthTwips, int heightTwips);
    void setError(int number, const QString &description);
    void clearError();

    // Sets up a painter on a device so that one unit is one twip.
    static void applyTwipsTransform(QPainter &painter, const QPaintDevice &device);

    void setFontName(const QString &name) override;
    void setFontSize(int points) override;
    void setFontBold(bool bold) override;
    void setTextColor(Color c) override;
    void setLineWidth(int width) override;
    double textWidth(const QString &text) override;
    double textHeight(const QString &text) override;
    void drawText(int x, int y, const QString &text) override;
    void drawLine(int x1, int y1, int x2, int y2, Color c) override;
    void fillBox(int x1, int y1, int x2, int y2, Color c) override;
    int scaleWidth() const override { return m_width; }
    int scaleHeight() const override { return m_height; }
    int errorNumber() const override { return m_errorNumber; }
    QString errorDescription() const override { return m_errorDescription; }

private:
    const QFontMetricsF &metrics();
    void applyFont();

    QPainter *m_painter = nullptr;
    int m_width;
    int m_height;
    QFont m_font;
    std::optional<QFontMetricsF> m_metrics;
    // Character advances of the current font; a page measures thousands of short texts.
    QHash<QString, QHash<char16_t, qreal>> m_advanceCache;
    QHash<char16_t, qreal> *m_advances = nullptr;
    bool m_painterFontStale = true;
    QColor m_textColor = Qt::black;
    int m_lineWidth = 1;
    int m_errorNumber = 0;
    QString m_errorDescription;
};
