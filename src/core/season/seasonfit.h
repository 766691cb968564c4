#pragma once
// Maximum-likelihood fits of the finishing-order models to a season's first three places:
// conditional logits over races and places, solved by Newton's method.

#include "core/season/season.h"

#include <QString>
#include <optional>
#include <vector>

enum class FitModel {
    Harville, // beta: p ∝ share^beta at every place
    Discount, // beta, lambda, rho: second place by p^lambda, third by p^rho
    Combined, // alpha, gamma: p ∝ own^alpha · market^gamma at every place
};

QString fitModelName(FitModel model); // "harville", "discount", "combined"
std::optional<FitModel> fitModelFromName(QStringView name);

struct FitValue
{
    QString name; // "beta", "lambda", "rho", "alpha", "gamma"
    double value = 0;
    double error = 0; // standard error
};

enum class FitProblem {
    None,
    NoRace,       // no race the model can take
    TooFewRaces,  // the holdout leaves no race on one side
    NotConverged, // the Newton steps were not enough
    Diverged,     // separation: the likelihood rises without end as a coefficient grows
    Singular,     // the races carry no information on a coefficient
    Collinear,    // own and market shares carry the same information
};

// A value printed with a caution beside it.
struct FitWarning
{
    QString name;   // the coefficient
    QString text;   // "large standard error", ...
    QString textJa; // the same for the window
};

struct SeasonFit
{
    FitModel model = FitModel::Harville;
    FitProblem problem = FitProblem::None;
    QString coefficient; // the one that diverged
    int races = 0;       // races the fit is made on
    int excluded = 0;    // documents without a usable result, and races the model cannot take
    std::vector<FitValue> values;
    std::vector<FitWarning> warnings;
    // At the starting values (harville: beta 1; discount: also lambda 0.81, rho 0.65;
    // combined: the documents' own support at beta 1, a baseline only) and at the fit.
    double before = 0;
    double after = 0;
    // Out of sample: the latest races by date, left out of the fit.
    int holdoutRaces = 0;
    double holdoutBefore = 0;
    double holdoutAfter = 0;

    bool ok() const { return problem == FitProblem::None; }
    double value(const QString &name) const;
    // Why the fit failed: in English for kirrel-cli, in Japanese for the window.
    QString problemWord() const;
    QString problemText() const;
};

// holdout: the share (0 < F < 1) of the races, latest by date, kept out of the fit; 0 for none.
// Whether the likelihood has a finite maximum is decided from the races themselves (no
// direction of the coefficients in which it rises for ever); where it has one, Newton's steps
// go on until every coefficient moves less than 1e-10, however large the values.
SeasonFit fitSeason(const std::vector<SeasonRace> &races, FitModel model, double holdout = 0);
