#pragma once
// A surface with fixed metrics that remembers what was drawn. A character is as wide as its
// point size x 20 twips (ASCII half that) and every line is point size x 24 twips high.

#include "core/printlayout/printlayout.h"

#include <QList>

struct DrawnText
{
    int x, y;
    QString text;
    int size;
    bool bold;
    Color color;
};
struct DrawnLine
{
    int x1, y1, x2, y2;
};

class FakeSurface : public Surface
{
public:
    FakeSurface(int width = FallbackPageGeometry.printableWidth,
                int height = FallbackPageGeometry.printableHeight)
        : width(width), height(height)
    {
    }

    static double widthAt(const QString &text, int size)
    {
        double w = 0;
        for (QChar c : text)
            w += c.unicode() < 0x80 ? size * 10 : size * 20;
        return w;
    }

    void setFontName(const QString &) override {}
    void setFontSize(int points) override { size = points; }
    void setFontBold(bool b) override { bold = b; }
    void setTextColor(Color c) override { color = c; }
    void setLineWidth(int) override {}
    double textWidth(const QString &text) override { return widthAt(text, size); }
    double textHeight(const QString &) override { return size * 24; }
    void drawText(int x, int y, const QString &text) override
    {
        texts.append({x, y, text, size, bold, color});
    }
    void drawLine(int x1, int y1, int x2, int y2, Color) override
    {
        lines.append({x1, y1, x2, y2});
    }
    void fillBox(int x1, int y1, int x2, int y2, Color) override { boxes.append({x1, y1, x2, y2}); }
    int scaleWidth() const override { return width; }
    int scaleHeight() const override { return height; }

    QList<DrawnLine> horizontalLines() const
    {
        QList<DrawnLine> out;
        for (const DrawnLine &l : lines)
            if (l.y1 == l.y2 && l.x1 != l.x2)
                out.append(l);
        return out;
    }
    void reset()
    {
        texts.clear();
        lines.clear();
        boxes.clear();
    }

    int width;
    int height;
    int size = 9;
    bool bold = false;
    Color color = 0;
    QList<DrawnText> texts;
    QList<DrawnLine> lines;
    QList<DrawnLine> boxes;
};
