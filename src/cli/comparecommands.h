#pragma once
// kirrel-cli compare's lines: the season's models fitted side by side on one common set of
// races, with AIC, Brier score and the likelihood-ratio tests of the nested pairs.

#include "core/season/seasoncompare.h"

#include <QByteArray>

// head: the lines of the documents left out, after se robust and before races.
QByteArray comparisonText(const SeasonComparison &comparison, const QByteArray &head);
