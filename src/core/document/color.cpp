#include "core/document/color.h"

QString colorName(Color c)
{
    return QStringLiteral("#%1").arg(c & 0xffffff, 6, 16, QLatin1Char('0'));
}
