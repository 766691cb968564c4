#pragma once
// kirrel-cli backtest: a betting rule played over a season of documents with their analysis
// files' actual odds and payouts.

#include "cli/analysiscommands.h"

#include <QStringList>
#include <functional>

bool isBacktestCommand(const QString &command);

// args: the command name and its arguments. Problems with single analysis files (the race
// then does not count) are reported through warn, one "FILE: reason" each.
CommandOutcome runBacktestCommand(const QStringList &args,
                                  const std::function<void(const QString &)> &warn);
