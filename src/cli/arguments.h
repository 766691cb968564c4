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

// GNU long-option forms: "--name=value" becomes "--name" "value" for a name in withValue; a flag
// given a value is refused (the text says why). Anything else, and every argument after "--" or
// in the place of an option's value, is left as it is for the command to judge. args[0] is the
// command.
QString splitOptionValues(QStringList &args, const QStringList &withValue,
                          const QStringList &flags);
