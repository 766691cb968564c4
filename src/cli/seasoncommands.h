#pragma once
// kirrel-cli's season commands: season (every document of some folders evaluated against its
// result) and fit (the model's parameters fitted to those results by maximum likelihood).

#include "cli/analysiscommands.h"

bool isSeasonCommand(const QString &command);

// args: the command name and its arguments. A BadInput without a file is about the season as
// a whole ("no race with a result").
CommandOutcome runSeasonCommand(const QStringList &args);
