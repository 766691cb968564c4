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
