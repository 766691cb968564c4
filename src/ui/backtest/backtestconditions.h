#pragma once
// What a back-test was run with, in words: the bet type, the rule, the stakes, the model with
// its values and the folder. Two runs with the same text have the same conditions.

#include "core/backtest/backtestrun.h"

#include <QString>

QString backtestConditionsText(const BacktestSettings &settings, const QString &folder);
