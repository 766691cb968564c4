// Pieces of argument reading that the subcommands share.
#pragma once

#include <QStringList>

#include <optional>

// A finite number written as the C locale writes one; nothing for any other text.
std::optional<double> finiteNumber(const QString &text);
// The same, or a fraction "1/2" of two such numbers.
std::optional<double> fraction(const QString &text);

// Takes args[i] into paths when it is not an option ("-" is a path) and, at "--", every
// argument after it, moving i to the last argument taken; false leaves an option to the caller.
bool takePaths(const QStringList &args, qsizetype &i, QStringList *paths);
