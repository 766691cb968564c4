#pragma once
// kirrel-cli compare: the season's models fitted side by side on one common set of races, with
// AIC, Brier score and the likelihood-ratio tests of the nested pairs.

#include "cli/analysiscommands.h"

// args: "compare" and its arguments.
CommandOutcome runCompareCommand(const QStringList &args);
