#pragma once

#include <QString>
#include <QtGlobal>

// A colour as 0xRRGGBB.
using Color = quint32;
constexpr Color rgb(int r, int g, int b)
{
    return (Color(r & 0xff) << 16) | (Color(g & 0xff) << 8) | Color(b & 0xff);
}
constexpr int colorRed(Color c)
{
    return int((c >> 16) & 0xff);
}
constexpr int colorGreen(Color c)
{
    return int((c >> 8) & 0xff);
}
constexpr int colorBlue(Color c)
{
    return int(c & 0xff);
}
// A cell colour that was never set: the cell shows the grid's own colour.
constexpr Color NoColor = 0xffffffffu;
QString colorName(Color c); // "#rrggbb"
