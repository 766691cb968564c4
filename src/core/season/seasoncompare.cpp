#include "core/season/seasoncompare.h"

#include "core/season/conditionallogit.h"
#include "core/season/seasonmodels.h"

const ComparedModel *SeasonComparison::model(const QString &name) const
{
    for (const ComparedModel &m : models)
        if (m.name == name)
            return &m;
    return nullptr;
}

const ComparedModel *SeasonComparison::best() const
{
    const ComparedModel *best = nullptr;
    for (const ComparedModel &m : models)
        if (m.fit.ok() && (!best || m.aic() < best->aic()))
            best = &m;
    return best;
}

SeasonComparison compareSeason(const std::vector<SeasonRace> &races, const FitOptions &options)
{
    SeasonComparison out;
    out.documents = int(races.size());
    out.holdout = options.holdout > 0;
    out.robust = options.robust;
    int withResult = 0;
    int split = 0;
    for (const SeasonRace &race : races) {
        if (!race.counts())
            continue;
        ++withResult;
        split += !race.own.empty() && !race.market.empty() ? 1 : 0;
    }
    const bool ownMarket = split > 0 && 2 * split >= withResult;
    const SeasonColumns columns = ownMarket ? seasonColumns(races) : SeasonColumns();
    out.unused = columns.unused;
    const SeasonLogit logit = seasonLogit(races, ownMarket, columns.used);
    const HoldoutSplit parts = splitByDate(logit.dates, options.holdout);
    out.excluded = logit.excluded;
    out.undated = parts.undated;
    if (!parts.ok) {
        out.problem = logit.dates.empty() ? FitProblem::NoRace : FitProblem::TooFewRaces;
        return out;
    }
    out.races = int(parts.fit.size());
    out.holdoutRaces = int(parts.held.size());

    std::vector<std::pair<QString, FitModel>> listed = {
        {QStringLiteral("support"), FitModel::Harville},
        {QStringLiteral("discount"), FitModel::Discount}};
    if (ownMarket) {
        listed.emplace_back(QStringLiteral("market"), FitModel::Market);
        listed.emplace_back(QStringLiteral("own"), FitModel::Own);
        listed.emplace_back(QStringLiteral("combined"), FitModel::Combined);
        if (!columns.used.empty())
            listed.emplace_back(QStringLiteral("columns"), FitModel::Columns);
    }
    for (const auto &[name, model] : listed) {
        SeasonFit fit =
            fitSeasonModel(logit, model, parts.fit, parts.held, options.robust, columns.used);
        fit.undated = parts.undated;
        out.models.push_back({name, std::move(fit)});
    }
    static const char *const pairs[4][2] = {{"support", "discount"},
                                            {"market", "combined"},
                                            {"own", "combined"},
                                            {"market", "columns"}};
    for (const auto &pair : pairs) {
        const ComparedModel *small = out.model(QString::fromLatin1(pair[0]));
        const ComparedModel *large = out.model(QString::fromLatin1(pair[1]));
        if (!small || !large || !small->fit.ok() || !large->fit.ok())
            continue;
        LikelihoodRatio lr;
        lr.small = small->name;
        lr.large = large->name;
        lr.statistic = 2 * (large->fit.after - small->fit.after);
        lr.df = large->fit.parameterCount() - small->fit.parameterCount();
        lr.p = chiSquareTail(lr.statistic, lr.df);
        out.tests.push_back(lr);
    }
    return out;
}
