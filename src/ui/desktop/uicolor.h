#pragma once
// The one conversion from the core's Color to the widgets' QColor.

#include "core/document/color.h"

#include <QColor>

inline QColor toQColor(Color c)
{
    return QColor(colorRed(c), colorGreen(c), colorBlue(c));
}
