#include "cli/seasonoutput.h"

#include <charconv>

void appendFixed(QByteArray &out, double value, int decimals)
{
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.append(buffer, r.ptr - buffer);
}

void appendGeneral(QByteArray &out, double value, int precision)
{
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    out.append(buffer, r.ptr - buffer);
}

void appendFitNumber(QByteArray &out, double value)
{
    appendGeneral(out, value, 9);
}

QByteArray lineField(const QString &text)
{
    return escapedName(text).toUtf8();
}
