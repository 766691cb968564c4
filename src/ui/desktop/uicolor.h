#pragma once
// The one conversion from the core's Color to the widgets' QColor, and the colours that carry a
// meaning (割安, 過剰人気, 急落, errors), chosen for the palette in use so that they stay readable
// in a light and a dark palette alike.

#include "core/document/color.h"

#include <QColor>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <initializer_list>

inline QColor toQColor(Color c)
{
    return QColor(colorRed(c), colorGreen(c), colorBlue(c));
}

// Relative luminance and contrast ratio as accessibility guidelines define them (1 to 21).
inline double relativeLuminance(const QColor &c)
{
    const auto channel = [](double v) {
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

inline double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

inline constexpr double ReadableContrast = 4.5;

// A dark palette: text lighter than the background it is written on.
inline bool isDarkPalette(const QPalette &palette)
{
    return relativeLuminance(palette.color(QPalette::Base)) <
           relativeLuminance(palette.color(QPalette::Text));
}

// colour moved towards `towards` in small steps until it reads at ReadableContrast against every
// one of against (or cannot move further).
inline QColor movedUntilReadable(QColor colour, const QColor &towards,
                                 std::initializer_list<QColor> against)
{
    const auto worst = [&](const QColor &c) {
        double least = 21;
        for (const QColor &other : against)
            least = std::min(least, contrastRatio(c, other));
        return least;
    };
    for (int step = 0; step < 20 && worst(colour) < ReadableContrast; ++step) {
        colour = QColor::fromRgbF(colour.redF() + (towards.redF() - colour.redF()) * 0.15f,
                                  colour.greenF() + (towards.greenF() - colour.greenF()) * 0.15f,
                                  colour.blueF() + (towards.blueF() - colour.blueF()) * 0.15f);
    }
    return colour;
}

struct MeaningColors
{
    QColor overlooked; // background of 割安 rows
    QColor overBet;    // background of 過剰人気 rows
    QColor drop;       // text of 急落
    QColor error;      // text of error messages
};

// For paper and the light palettes the program was designed with.
inline MeaningColors lightMeaningColors()
{
    return {QColor(255, 200, 140), QColor(160, 195, 255), QColor(150, 0, 0), QColor(160, 0, 0)};
}

// For the palette in use: the designed light colours, or deep ones behind the light text of a
// dark palette; each adjusted further where the palette's own colours would not read on it.
inline MeaningColors meaningColors(const QPalette &palette)
{
    const bool dark = isDarkPalette(palette);
    MeaningColors m = dark ? MeaningColors{QColor(80, 40, 0), QColor(0, 30, 90),
                                           QColor(255, 130, 130), QColor(255, 120, 120)}
                           : lightMeaningColors();
    const QColor text = palette.color(QPalette::Text);
    const QColor base = palette.color(QPalette::Base);
    const QColor away = dark ? QColor(0, 0, 0) : QColor(255, 255, 255);   // for backgrounds
    const QColor strong = dark ? QColor(255, 255, 255) : QColor(0, 0, 0); // for texts
    m.overlooked = movedUntilReadable(m.overlooked, away, {text});
    m.overBet = movedUntilReadable(m.overBet, away, {text});
    m.drop = movedUntilReadable(
        m.drop, strong, {base, palette.color(QPalette::AlternateBase), m.overlooked, m.overBet});
    m.error = movedUntilReadable(m.error, strong, {base, palette.color(QPalette::Window)});
    return m;
}
