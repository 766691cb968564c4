#include "core/season/seasonmodels.h"

#include "core/racemodel/combinations.h"
#include "core/racemodel/combinedmodel.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

namespace {

const ColumnScores *findColumn(const SeasonRace &race, const QString &name)
{
    for (const ColumnScores &c : race.columns)
        if (c.header == name)
            return &c;
    return nullptr;
}

// The rows of the result's places; false when a placed runner has none.
bool placedRows(const std::vector<int> &rowOf, const RaceResult &result, std::array<int, 3> *placed)
{
    for (int q = 0; q < result.placeCount; ++q) {
        const size_t runner = size_t(result.places[size_t(q)]);
        const int row = runner < rowOf.size() ? rowOf[runner] : -1;
        if (row < 0)
            return false;
        (*placed)[size_t(q)] = row;
    }
    return true;
}

double squareRoot(double variance)
{
    return std::sqrt(std::max(variance, 0.0));
}

FitProblem problemOf(LogitProblem p)
{
    switch (p) {
    case LogitProblem::None:
        break;
    case LogitProblem::NotConverged:
        return FitProblem::NotConverged;
    case LogitProblem::Diverged:
        return FitProblem::Diverged;
    case LogitProblem::Singular:
        return FitProblem::Singular;
    case LogitProblem::Collinear:
        return FitProblem::Collinear;
    }
    return FitProblem::None;
}

// Σ over the races of Σ_runners (p − won)² of the first place's probabilities.
double brierSum(const LogitData &d, const std::vector<int> &use, const std::vector<double> &theta)
{
    double sum = 0;
    for (const int index : use) {
        const std::vector<double> p = logitWin(d, index, theta);
        const int winner = d.races[size_t(index)].placed[0];
        for (size_t i = 0; i < p.size(); ++i) {
            const double won = int(i) == winner ? 1.0 : 0.0;
            sum += (p[i] - won) * (p[i] - won);
        }
    }
    return sum;
}

// Cautions beside the values: a standard error larger than the value, ratios to a beta that
// may be 0, and values season and the window do not take.
void addWarnings(SeasonFit *fit)
{
    const bool shares = fit->model != FitModel::Harville && fit->model != FitModel::Discount;
    for (const FitValue &v : fit->values) {
        if (v.error > std::fabs(v.value))
            fit->warnings.push_back({v.coefficient, v.header,
                                     QStringLiteral("large standard error"),
                                     QStringLiteral("標準誤差が値より大きい")});
        const bool exponent =
            v.coefficient == Coefficient::Lambda || v.coefficient == Coefficient::Rho;
        if (exponent && std::fabs(fit->values[0].value) <= 1.96 * fit->values[0].error)
            fit->warnings.push_back({v.coefficient, v.header,
                                     QStringLiteral("beta's 95% interval covers 0"),
                                     QStringLiteral("β の 95% 区間が 0 を含む（比に意味が薄い）")});
        if (v.column())
            continue;
        const bool inRange = shares ? std::fabs(v.value) <= MaxCombine
                                    : v.value > 0 && v.value <= (exponent ? MaxLambda : MaxBeta);
        if (!inRange)
            fit->warnings.push_back(
                {v.coefficient, v.header,
                 shares     ? QStringLiteral("outside what season takes (-5 to 5)")
                 : exponent ? QStringLiteral("outside what season takes (above 0 to 3)")
                            : QStringLiteral("outside what season takes (above 0 to 5)"),
                 QStringLiteral("成績の計算と既定値に使える範囲の外")});
    }
}

} // namespace

SeasonColumns seasonColumns(const std::vector<SeasonRace> &races)
{
    std::vector<QString> order;
    std::map<QString, int> have;
    int withResult = 0;
    for (const SeasonRace &race : races) {
        if (!race.counts())
            continue;
        ++withResult;
        for (const ColumnScores &c : race.columns) {
            if (have[c.header]++ == 0)
                order.push_back(c.header);
        }
    }
    SeasonColumns out;
    for (const QString &name : order) {
        const int n = have[name];
        if (2 * n >= withResult)
            out.used.push_back(name);
        else
            out.unused.emplace_back(name, n);
    }
    return out;
}

HoldoutSplit splitByDate(const std::vector<QDate> &dates, double fraction)
{
    HoldoutSplit split;
    std::vector<QDate> dated;
    for (const QDate &d : dates) {
        if (d.isValid())
            dated.push_back(d);
        else
            ++split.undated;
    }
    std::sort(dated.begin(), dated.end());
    QDate boundary; // the earliest date held out
    if (fraction > 0 && !dated.empty()) {
        const double want = fraction * double(dated.size());
        size_t held = 0;
        size_t at = dated.size();
        while (at > 0 && double(held) < want) {
            const QDate day = dated[at - 1];
            while (at > 0 && dated[at - 1] == day) {
                --at;
                ++held;
            }
            boundary = day;
        }
    }
    for (int i = 0; i < int(dates.size()); ++i) {
        const QDate &d = dates[size_t(i)];
        (boundary.isValid() && d.isValid() && d >= boundary ? split.held : split.fit).push_back(i);
    }
    split.ok = !split.fit.empty() && (fraction <= 0 || !split.held.empty());
    return split;
}

SeasonLogit seasonLogit(const std::vector<SeasonRace> &races, bool ownMarket,
                        const std::vector<QString> &columns)
{
    SeasonLogit out;
    out.ownMarket.k = int(columns.size()) + 2;
    out.columns = int(columns.size());
    std::vector<int> rowOf;
    std::vector<double> supportRows;
    std::vector<double> ownMarketRows;
    std::array<int, 3> supportPlaced{};
    std::array<int, 3> ownMarketPlaced{};
    std::vector<std::vector<double>> columnShares(columns.size());
    for (size_t i = 0; i < races.size(); ++i) {
        const SeasonRace &race = races[i];
        if (!race.counts()) {
            ++out.excluded;
            continue;
        }
        const std::vector<double> shares = positiveShares(race.scores);
        supportRows.clear();
        rowOf.assign(shares.size(), -1);
        for (size_t r = 1; r < shares.size(); ++r) {
            if (!(shares[r] > 0))
                continue;
            rowOf[r] = int(supportRows.size());
            supportRows.push_back(std::log(shares[r]));
        }
        bool fine = placedRows(rowOf, race.result, &supportPlaced);
        if (fine && ownMarket) {
            fine = !race.own.empty() && !race.market.empty();
            for (size_t c = 0; c < columns.size() && fine; ++c) {
                const ColumnScores *found = findColumn(race, columns[c]);
                fine = found != nullptr;
                if (found)
                    columnShares[c] = positiveShares(found->scores);
            }
        }
        if (fine && ownMarket) {
            const std::vector<double> own = positiveShares(race.own);
            const std::vector<double> market = positiveShares(race.market);
            ownMarketRows.clear();
            rowOf.assign(own.size(), -1);
            int count = 0;
            for (size_t r = 1; r < own.size(); ++r) {
                bool positive = own[r] > 0 && r < market.size() && market[r] > 0;
                for (const auto &c : columnShares)
                    positive = positive && r < c.size() && c[r] > 0;
                if (!positive)
                    continue;
                rowOf[r] = count++;
                for (const auto &c : columnShares)
                    ownMarketRows.push_back(std::log(c[r]));
                ownMarketRows.push_back(std::log(own[r]));
                ownMarketRows.push_back(std::log(market[r]));
            }
            fine = placedRows(rowOf, race.result, &ownMarketPlaced);
        }
        if (!fine) {
            ++out.excluded;
            continue;
        }
        out.support.add(supportRows, supportPlaced, race.result.placeCount);
        if (ownMarket)
            out.ownMarket.add(ownMarketRows, ownMarketPlaced, race.result.placeCount);
        out.source.push_back(int(i));
        out.dates.push_back(race.date);
    }
    return out;
}

SeasonFit fitSeasonModel(const SeasonLogit &logit, FitModel model, const std::vector<int> &use,
                         const std::vector<int> &held, bool robust,
                         const std::vector<QString> &columns)
{
    SeasonFit fit;
    fit.model = model;
    fit.robust = robust;
    fit.races = int(use.size());
    fit.holdoutRaces = int(held.size());
    fit.excluded = logit.excluded;
    const int c = logit.columns;
    if (use.empty() || (model == FitModel::Columns && c == 0)) {
        fit.problem = FitProblem::NoRace;
        return fit;
    }
    const auto failed = [&](const LogitFit &o, const QString &coefficient) {
        fit.problem = problemOf(o.problem);
        fit.coefficient = coefficient;
        fit.values.clear();
        return fit;
    };

    if (model == FitModel::Harville || model == FitModel::Discount) {
        // First place fixes beta, second lambda · beta, third rho · beta: three independent
        // logits for the discount model, one over the three places for harville.
        const LogitData &d = logit.support;
        const bool discount = model == FitModel::Discount;
        const std::array<double, 3> start =
            discount ? std::array<double, 3>{1, 0.81, 0.65} : std::array<double, 3>{1, 1, 1};
        static constexpr Coefficient names[3] = {Coefficient::Beta, Coefficient::Lambda,
                                                 Coefficient::Rho};
        std::array<double, 3> theta{};
        std::vector<double> covariance(9, 0.0);
        std::vector<double> scores(use.size() * 3, 0.0);
        std::vector<double> raceScores;
        const int fits = discount ? 3 : 1;
        for (int place = 0; place < fits; ++place) {
            const int from = discount ? place : 0;
            const int to = discount ? place + 1 : 3;
            const LogitFit o = fitLogit(d, use, from, to, {start[size_t(place)]});
            if (o.problem != LogitProblem::None)
                return failed(o, coefficientName(names[place]));
            theta[size_t(place)] = o.theta[0];
            covariance[size_t(place * 4)] = o.covariance[0];
            if (robust) {
                logitValue(d, use, o.theta, from, to, &raceScores);
                for (size_t r = 0; r < use.size(); ++r)
                    scores[r * 3 + size_t(place)] = raceScores[r];
            }
        }
        if (!discount)
            theta = {theta[0], theta[0], theta[0]};
        if (!discount) {
            double variance = covariance[0];
            if (robust) {
                std::vector<double> one(use.size());
                for (size_t r = 0; r < use.size(); ++r)
                    one[r] = scores[r * 3];
                variance = sandwich({covariance[0]}, one, 1)[0];
            }
            fit.values = {{Coefficient::Beta, {}, theta[0], squareRoot(variance)}};
        } else {
            const std::vector<double> v = robust ? sandwich(covariance, scores, 3) : covariance;
            // (beta, lambda, rho) = (t1, t2 / t1, t3 / t1) by the delta method.
            const double b = theta[0];
            const double jacobian[3][3] = {
                {1, 0, 0}, {-theta[1] / (b * b), 1 / b, 0}, {-theta[2] / (b * b), 0, 1 / b}};
            double w[3] = {0, 0, 0};
            for (int i = 0; i < 3; ++i)
                for (int a = 0; a < 3; ++a)
                    for (int q = 0; q < 3; ++q)
                        w[i] += jacobian[i][a] * v[size_t(a * 3 + q)] * jacobian[i][q];
            fit.values = {{Coefficient::Beta, {}, b, squareRoot(w[0])},
                          {Coefficient::Lambda, {}, theta[1] / b, squareRoot(w[1])},
                          {Coefficient::Rho, {}, theta[2] / b, squareRoot(w[2])}};
        }
        const auto loglik = [&](const std::vector<int> &which, const std::array<double, 3> &t) {
            double sum = 0;
            for (int place = 0; place < 3; ++place)
                sum += logitValue(d, which, {t[size_t(place)]}, place, place + 1).loglik;
            return sum;
        };
        fit.before = loglik(use, start);
        fit.after = loglik(use, theta);
        fit.brier = brierSum(d, use, {theta[0]}) / double(use.size());
        if (!held.empty()) {
            fit.holdoutBefore = loglik(held, start);
            fit.holdoutAfter = loglik(held, theta);
        }
        addWarnings(&fit);
        return fit;
    }

    std::vector<int> keep;
    std::vector<std::pair<Coefficient, QString>> coefficients; // with a column's header
    std::vector<double> start;
    switch (model) {
    case FitModel::Market:
        keep = {c + 1};
        coefficients = {{Coefficient::Gamma, {}}};
        start = {1};
        break;
    case FitModel::Own:
        keep = {c};
        coefficients = {{Coefficient::Alpha, {}}};
        start = {1};
        break;
    case FitModel::Columns:
        for (int j = 0; j < c; ++j) {
            keep.push_back(j);
            coefficients.push_back({Coefficient::Column, columns[size_t(j)]});
            start.push_back(0.5 / c);
        }
        keep.push_back(c + 1);
        coefficients.push_back({Coefficient::Gamma, {}});
        start.push_back(0.5);
        break;
    default:
        keep = {c, c + 1};
        coefficients = {{Coefficient::Alpha, {}}, {Coefficient::Gamma, {}}};
        start = {0.5, 0.5};
        break;
    }
    const LogitData d = logit.ownMarket.project(keep);
    const int k = d.k;
    const LogitFit o = fitLogit(d, use, 0, 3, start);
    if (o.problem != LogitProblem::None) {
        const auto &[coefficient, header] = coefficients[size_t(o.coefficient)];
        return failed(o, coefficientName(coefficient, header));
    }
    std::vector<double> covariance = o.covariance;
    if (robust) {
        std::vector<double> scores;
        logitValue(d, use, o.theta, 0, 3, &scores);
        covariance = sandwich(o.covariance, scores, k);
    }
    for (int j = 0; j < k; ++j) {
        const auto &[coefficient, header] = coefficients[size_t(j)];
        fit.values.push_back(
            {coefficient, header, o.theta[size_t(j)], squareRoot(covariance[size_t(j * k + j)])});
    }
    // The baseline: the share itself for market and own; the own share alone (alpha 1,
    // gamma 0) on the same runners for combined and columns.
    const LogitData own = logit.ownMarket.project({model == FitModel::Market ? c + 1 : c});
    fit.before = logitValue(own, use, {1}, 0, 3).loglik;
    fit.after = logitValue(d, use, o.theta, 0, 3).loglik;
    fit.brier = brierSum(d, use, o.theta) / double(use.size());
    if (!held.empty()) {
        fit.holdoutBefore = logitValue(own, held, {1}, 0, 3).loglik;
        fit.holdoutAfter = logitValue(d, held, o.theta, 0, 3).loglik;
    }
    addWarnings(&fit);
    return fit;
}
