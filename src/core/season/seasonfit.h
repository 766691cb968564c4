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
    Columns,  // one exponent per own column, and gamma for the market
    Market,   // gamma: p ∝ market^gamma
    Own,      // alpha: p ∝ own^alpha
};

// "harville", "discount", "combined", "columns", "market", "own"
QString fitModelName(FitModel model);
std::optional<FitModel> fitModelFromName(QStringView name);

// The coefficients the models fit. Column is an own column's exponent in the columns model;
// the column's header is carried beside it.
enum class Coefficient {
    Beta,
    Lambda,
    Rho,
    Alpha,
    Gamma,
    Column,
};

// "beta", "lambda", "rho", "alpha", "gamma"; header for Column.
QString coefficientName(Coefficient coefficient, const QString &header = {});
// "β", "λ", "ρ", "α", "γ"; header for Column.
QString coefficientSymbol(Coefficient coefficient, const QString &header = {});

struct FitValue
{
    Coefficient coefficient = Coefficient::Beta;
    QString header; // Column: the own column's header
    double value = 0;
    double error = 0; // standard error: model-based, or clustered by race when robust

    bool column() const { return coefficient == Coefficient::Column; }
    QString name() const { return coefficientName(coefficient, header); }
    QString symbol() const { return coefficientSymbol(coefficient, header); }
};

// How a fit is made: the share of the races held out (latest whole dates; 0 for none) and
// whether the errors are clustered by race.
struct FitOptions
{
    double holdout = 0;
    bool robust = false;
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
    Coefficient coefficient = Coefficient::Beta;
    QString header; // Column: the own column's header
    QString text;   // "large standard error", ...
    QString textJa; // the same for the window

    QString name() const { return coefficientName(coefficient, header); }
    QString symbol() const { return coefficientSymbol(coefficient, header); }
};

struct SeasonFit
{
    FitModel model = FitModel::Harville;
    FitProblem problem = FitProblem::None;
    QString coefficient; // the one that diverged
    int races = 0;       // races the fit is made on
    int excluded = 0;    // documents without a usable result, and races the model cannot take
    bool robust = false; // the errors are clustered by race
    std::vector<FitValue> values;
    std::vector<FitWarning> warnings;
    // At the starting values (harville: beta 1; discount: also lambda 0.81, rho 0.65;
    // combined and columns: the own share alone, alpha 1 and gamma 0, on the same runners;
    // market and own: the share itself) and at the fit.
    double before = 0;
    double after = 0;
    double brier = 0; // of the fitted win probabilities, per race
    // Out of sample: the latest whole dates, left out of the fit; undated races are never held
    // out (undated: those among the races the model takes).
    int holdoutRaces = 0;
    int undated = 0;
    double holdoutBefore = 0;
    double holdoutAfter = 0;
    // Columns: the own columns too few documents have, with the documents that do.
    std::vector<std::pair<QString, int>> unused;

    int parameterCount() const { return int(values.size()); }

    bool ok() const { return problem == FitProblem::None; }
    double value(Coefficient coefficient) const; // 0 when the fit has no such value
    // Why the fit failed: in English for kirrel-cli, in Japanese for the window.
    QString problemWord() const;
    QString problemText() const;
};

// holdout: the share (0 < F < 1) of the races kept out of the fit (the latest whole dates); 0
// for none. Whether the likelihood has a finite maximum is decided from the races themselves
// (no direction of the coefficients in which it rises for ever); where it has one, Newton's
// steps go on until every coefficient moves less than 1e-10, however large the values.
SeasonFit fitSeason(const std::vector<SeasonRace> &races, FitModel model,
                    const FitOptions &options = {});
inline SeasonFit fitSeason(const std::vector<SeasonRace> &races, FitModel model, double holdout)
{
    return fitSeason(races, model, FitOptions{holdout, false});
}
