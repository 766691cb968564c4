#pragma once
// The one conversion from the core's Color to the widgets' QColor.

#include "core/document/grid.h"

#include <QColor>

inline QColor ToQColor(Color c)
{
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}
