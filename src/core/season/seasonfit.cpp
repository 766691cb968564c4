#include "core/season/seasonfit.h"

#include "core/season/conditionallogit.h"
#include "core/season/seasonmodels.h"

namespace {

constexpr FitModel AllModels[] = {FitModel::Harville, FitModel::Discount, FitModel::Combined,
                                  FitModel::Columns,  FitModel::Market,   FitModel::Own};

bool usesOwnColumns(FitModel model)
{
    return model != FitModel::Harville && model != FitModel::Discount;
}

} // namespace

QString fitModelName(FitModel model)
{
    switch (model) {
    case FitModel::Harville:
        return QStringLiteral("harville");
    case FitModel::Discount:
        return QStringLiteral("discount");
    case FitModel::Combined:
        break;
    case FitModel::Columns:
        return QStringLiteral("columns");
    case FitModel::Market:
        return QStringLiteral("market");
    case FitModel::Own:
        return QStringLiteral("own");
    }
    return QStringLiteral("combined");
}

std::optional<FitModel> fitModelFromName(QStringView name)
{
    for (const FitModel m : AllModels)
        if (name == fitModelName(m))
            return m;
    return std::nullopt;
}

QString coefficientName(Coefficient coefficient, const QString &header)
{
    switch (coefficient) {
    case Coefficient::Beta:
        return QStringLiteral("beta");
    case Coefficient::Lambda:
        return QStringLiteral("lambda");
    case Coefficient::Rho:
        return QStringLiteral("rho");
    case Coefficient::Alpha:
        return QStringLiteral("alpha");
    case Coefficient::Gamma:
        return QStringLiteral("gamma");
    case Coefficient::Column:
        break;
    }
    return header;
}

QString coefficientSymbol(Coefficient coefficient, const QString &header)
{
    switch (coefficient) {
    case Coefficient::Beta:
        return QStringLiteral("β");
    case Coefficient::Lambda:
        return QStringLiteral("λ");
    case Coefficient::Rho:
        return QStringLiteral("ρ");
    case Coefficient::Alpha:
        return QStringLiteral("α");
    case Coefficient::Gamma:
        return QStringLiteral("γ");
    case Coefficient::Column:
        break;
    }
    return header;
}

double SeasonFit::value(Coefficient coefficient) const
{
    for (const FitValue &v : values)
        if (v.coefficient == coefficient)
            return v.value;
    return 0;
}

QString SeasonFit::problemWord() const
{
    switch (problem) {
    case FitProblem::None:
        break;
    case FitProblem::NoRace:
        if (model == FitModel::Columns)
            return QStringLiteral("no race with a result and own, market and column shares");
        return usesOwnColumns(model)
                   ? QStringLiteral("no race with a result and own and market shares")
                   : QStringLiteral("no race with a result");
    case FitProblem::TooFewRaces:
        return QStringLiteral("too few races to hold some out");
    case FitProblem::NotConverged:
        return QStringLiteral("the fit did not converge in %1 Newton steps").arg(LogitMaxSteps);
    case FitProblem::Diverged:
        return QStringLiteral("separation: one column decides every race");
    case FitProblem::Singular:
        return QStringLiteral("the races do not determine %1 (no information)").arg(coefficient);
    case FitProblem::Collinear:
        return QStringLiteral("collinear: own and market shares carry the same information");
    }
    return QString();
}

QString SeasonFit::problemText() const
{
    switch (problem) {
    case FitProblem::None:
        break;
    case FitProblem::NoRace:
        if (model == FitModel::Columns)
            return QStringLiteral("結果があり自分の各列と市場の列がそろったレースがありません。");
        return usesOwnColumns(model)
                   ? QStringLiteral("結果があり自分の列と市場の列がそろったレースがありません。")
                   : QStringLiteral("結果のあるレースがありません。");
    case FitProblem::TooFewRaces:
        return QStringLiteral("検証に残すにはレースが足りません。");
    case FitProblem::NotConverged:
        return QStringLiteral("当てはめが%1回の反復で収束しませんでした。").arg(LogitMaxSteps);
    case FitProblem::Diverged:
        return QStringLiteral("分離: 一つの列がすべてのレースを決めています"
                              "（%1 が限りなく大きくなります）。")
            .arg(coefficient);
    case FitProblem::Singular:
        return QStringLiteral("レースから %1 を決められません（情報がありません）。")
            .arg(coefficient);
    case FitProblem::Collinear:
        return QStringLiteral("共線: 自分の列と市場の列が同じ情報しか持っていません。");
    }
    return QString();
}

SeasonFit fitSeason(const std::vector<SeasonRace> &races, FitModel model, const FitOptions &options)
{
    const SeasonColumns columns =
        model == FitModel::Columns ? seasonColumns(races) : SeasonColumns();
    const SeasonLogit logit = seasonLogit(races, usesOwnColumns(model), columns.used);
    const HoldoutSplit split = splitByDate(logit.dates, options.holdout);
    SeasonFit fit;
    if (!split.ok) {
        fit.model = model;
        fit.excluded = logit.excluded;
        fit.problem = logit.dates.empty() ? FitProblem::NoRace : FitProblem::TooFewRaces;
    } else {
        fit = fitSeasonModel(logit, model, split.fit, split.held, options.robust, columns.used);
    }
    fit.undated = split.undated;
    fit.unused = columns.unused;
    return fit;
}
