#pragma once
// The models of a season side by side on one common set of races (those every listed model can
// take), with the likelihood-ratio tests of the nested pairs.

#include "core/season/seasonfit.h"

#include <QString>
#include <vector>

struct ComparedModel
{
    QString name; // "support", "discount", "market", "own", "combined", "columns"
    SeasonFit fit;

    double aic() const { return 2.0 * fit.parameterCount() - 2.0 * fit.after; }
};

struct LikelihoodRatio
{
    QString small;
    QString large;
    double statistic = 0; // 2 (loglik large − loglik small)
    int df = 0;
    double p = 1; // the χ² upper tail
};

struct SeasonComparison
{
    FitProblem problem = FitProblem::None;
    int documents = 0;
    int races = 0;    // the common set's fitting part
    int excluded = 0; // documents not in the common set
    int undated = 0;
    int holdoutRaces = 0;
    bool holdout = false;
    bool robust = false;
    std::vector<ComparedModel> models; // in the order above, where the documents allow
    std::vector<LikelihoodRatio> tests;
    std::vector<std::pair<QString, int>> unused; // own columns too few documents have

    bool ok() const { return problem == FitProblem::None; }
    const ComparedModel *model(const QString &name) const;
    // The fitted model with the least AIC; null when none fitted.
    const ComparedModel *best() const;
};

// The own-column models are listed when at least half of the documents with a result have own
// and market columns; the columns model when some own column is used.
SeasonComparison compareSeason(const std::vector<SeasonRace> &races, const FitOptions &options);
