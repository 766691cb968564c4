#include "cli/arguments.h"

#include <cmath>

std::optional<double> finiteNumber(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<double> fraction(const QString &text)
{
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return finiteNumber(text);
    const std::optional<double> a = finiteNumber(text.left(slash));
    const std::optional<double> b = finiteNumber(text.mid(slash + 1));
    if (!a || !b || *b == 0)
        return std::nullopt;
    return *a / *b;
}

bool takePaths(const QStringList &args, qsizetype &i, QStringList *paths)
{
    const QString &arg = args.at(i);
    if (arg == QLatin1String("--")) {
        *paths << args.mid(i + 1);
        i = args.size() - 1;
        return true;
    }
    if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1)
        return false;
    *paths << arg;
    return true;
}
