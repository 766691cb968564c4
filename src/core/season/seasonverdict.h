#pragma once
// The comparison of a season's models told in words: which model the AIC prefers, what each
// likelihood-ratio test says, whether the fits hold on the held-out races, and cautions where
// the evidence is thin.

#include "core/season/seasoncompare.h"

#include <QString>
#include <QStringList>

// The model's name on screen: "Harville (β)", "割引 (β, λ, ρ)", "市場 (γ)", ...
QString comparedModelTitle(const QString &name);

// One sentence per finding, in Japanese.
QStringList comparisonVerdicts(const SeasonComparison &comparison);

// p as the sentences write it: two decimals, four below 0.01, "< 0.0001" below that.
QString pValueText(double p);
