#include "core/analysis/seasonfit.h"

#include "core/analysis/combinedmodel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace {

constexpr int MaxSteps = 100;
constexpr double StepTolerance = 1e-10;
// Far past any exponent a season supports: share^50 already hands every race to the favourite.
constexpr double Runaway = 50;

// One race as the logit sees it: its runners' covariates (k per runner) in rows
// [first, first + count) and the rows of its places.
struct LogitRace
{
    int first = 0;
    int count = 0;
    int places = 0;
    std::array<int, 3> placed{};
};

struct LogitData
{
    int k = 1;
    std::vector<double> z; // row-major, k per row
    std::vector<LogitRace> races;

    void add(const std::vector<std::array<double, 2>> &rows, const std::array<int, 3> &placed,
             int places)
    {
        LogitRace race;
        race.first = int(z.size()) / k;
        race.count = int(rows.size());
        race.places = places;
        race.placed = placed;
        for (const auto &row : rows)
            for (int j = 0; j < k; ++j)
                z.push_back(row[size_t(j)]);
        races.push_back(race);
    }
};

struct LogitValue
{
    double loglik = 0;
    std::array<double, 2> gradient{};
    std::array<double, 4> hessian{}; // row-major k x k
};

// The conditional-logit log-likelihood of places [from, to) of the chosen races, with its
// gradient and Hessian in theta.
LogitValue evaluate(const LogitData &d, const std::vector<int> &use,
                    const std::array<double, 2> &theta, int from, int to)
{
    LogitValue v;
    const int k = d.k;
    std::vector<double> eta;
    for (const int index : use) {
        const LogitRace &race = d.races[size_t(index)];
        const double *z = &d.z[size_t(race.first * k)];
        eta.resize(size_t(race.count));
        for (int i = 0; i < race.count; ++i) {
            double e = 0;
            for (int j = 0; j < k; ++j)
                e += theta[size_t(j)] * z[i * k + j];
            eta[size_t(i)] = e;
        }
        for (int place = from; place < std::min(to, race.places); ++place) {
            const auto taken = [&](int i) {
                for (int q = 0; q < place; ++q)
                    if (race.placed[size_t(q)] == i)
                        return true;
                return false;
            };
            double largest = -INFINITY;
            for (int i = 0; i < race.count; ++i)
                if (!taken(i))
                    largest = std::max(largest, eta[size_t(i)]);
            double sum = 0;
            double mean[2] = {0, 0};
            double second[4] = {0, 0, 0, 0};
            for (int i = 0; i < race.count; ++i) {
                if (taken(i))
                    continue;
                const double w = std::exp(eta[size_t(i)] - largest);
                sum += w;
                for (int a = 0; a < k; ++a) {
                    mean[a] += w * z[i * k + a];
                    for (int b = 0; b < k; ++b)
                        second[a * k + b] += w * z[i * k + a] * z[i * k + b];
                }
            }
            const int chosen = race.placed[size_t(place)];
            v.loglik += eta[size_t(chosen)] - largest - std::log(sum);
            for (int a = 0; a < k; ++a)
                mean[a] /= sum;
            for (int a = 0; a < k; ++a) {
                v.gradient[size_t(a)] += z[chosen * k + a] - mean[a];
                for (int b = 0; b < k; ++b)
                    v.hessian[size_t(a * k + b)] -= second[a * k + b] / sum - mean[a] * mean[b];
            }
        }
    }
    return v;
}

// The inverse of a negative definite k x k matrix; false when it is not negative definite.
bool invertNegative(const std::array<double, 4> &h, int k, std::array<double, 4> *inverse)
{
    if (k == 1) {
        if (!(h[0] < 0) || !std::isfinite(h[0]))
            return false;
        (*inverse)[0] = 1 / h[0];
        return true;
    }
    const double det = h[0] * h[3] - h[1] * h[2];
    // Relative to the diagonal: an information matrix this near to singular tells the two
    // coefficients apart no better than rounding does.
    if (!(h[0] < 0) || !(det > 1e-12 * h[0] * h[3]) || !std::isfinite(det))
        return false;
    *inverse = {h[3] / det, -h[1] / det, -h[2] / det, h[0] / det};
    return true;
}

struct NewtonOutcome
{
    FitProblem problem = FitProblem::None;
    int coefficient = 0; // the one that ran off
    std::array<double, 2> theta{};
    std::array<double, 4> covariance{};
};

NewtonOutcome newton(const LogitData &d, const std::vector<int> &use, int from, int to,
                     std::array<double, 2> theta)
{
    NewtonOutcome out;
    const int k = d.k;
    const auto runaway = [&] {
        for (int j = 0; j < k; ++j)
            if (!(std::fabs(theta[size_t(j)]) <= Runaway)) {
                out.problem = FitProblem::Diverged;
                out.coefficient = j;
                return true;
            }
        return false;
    };
    LogitValue v = evaluate(d, use, theta, from, to);
    for (int step = 0; step < MaxSteps; ++step) {
        std::array<double, 4> inverse{};
        if (!invertNegative(v.hessian, k, &inverse)) {
            // The information vanishes where the likelihood keeps rising toward a bound.
            int far = 0;
            for (int j = 1; j < k; ++j)
                if (std::fabs(theta[size_t(j)]) > std::fabs(theta[size_t(far)]))
                    far = j;
            out.problem =
                std::fabs(theta[size_t(far)]) > 10 ? FitProblem::Diverged : FitProblem::Singular;
            out.coefficient = far;
            return out;
        }
        std::array<double, 2> move{};
        for (int a = 0; a < k; ++a)
            for (int b = 0; b < k; ++b)
                move[size_t(a)] -= inverse[size_t(a * k + b)] * v.gradient[size_t(b)];
        double largest = 0;
        for (int j = 0; j < k; ++j)
            largest = std::max(largest, std::fabs(move[size_t(j)]));
        // The log-likelihood is concave, so a full step can only overshoot: halve until it
        // does not lose ground. Steps this small are taken as they are, below rounding.
        std::array<double, 2> next = theta;
        LogitValue nextValue;
        for (int halving = 0;; ++halving) {
            for (int j = 0; j < k; ++j)
                next[size_t(j)] = theta[size_t(j)] + move[size_t(j)];
            nextValue = evaluate(d, use, next, from, to);
            if (largest < 1e-6 || halving == 40 || nextValue.loglik >= v.loglik)
                break;
            for (int j = 0; j < k; ++j)
                move[size_t(j)] /= 2;
            largest /= 2;
        }
        theta = next;
        v = nextValue;
        if (runaway())
            return out;
        if (largest < StepTolerance) {
            if (!invertNegative(v.hessian, k, &inverse)) {
                out.problem = FitProblem::Singular;
                return out;
            }
            out.theta = theta;
            for (int j = 0; j < k * k; ++j)
                out.covariance[size_t(j)] = -inverse[size_t(j)];
            return out;
        }
    }
    out.problem = FitProblem::NotConverged;
    return out;
}

std::vector<std::array<double, 2>> rows(const std::vector<double> &first,
                                        const std::vector<double> *second, std::vector<int> *rowOf)
{
    std::vector<std::array<double, 2>> rows;
    rowOf->assign(first.size(), -1);
    for (size_t r = 1; r < first.size(); ++r) {
        if (!(first[r] > 0) || (second && !((*second)[r] > 0)))
            continue;
        (*rowOf)[r] = int(rows.size());
        rows.push_back({std::log(first[r]), second ? std::log((*second)[r]) : 0.0});
    }
    return rows;
}

// Adds the race when every placed runner has a row.
bool addRace(LogitData *d, const std::vector<std::array<double, 2>> &rows,
             const std::vector<int> &rowOf, const RaceResult &result)
{
    std::array<int, 3> placed{};
    for (int q = 0; q < result.placeCount; ++q) {
        const int row = rowOf[size_t(result.places[size_t(q)])];
        if (row < 0)
            return false;
        placed[size_t(q)] = row;
    }
    d->add(rows, placed, result.placeCount);
    return true;
}

double squareRoot(double variance)
{
    return std::sqrt(std::max(variance, 0.0));
}

const char *const CoefficientNames[2][3] = {{"beta", "lambda", "rho"}, {"alpha", "gamma", ""}};

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
    }
    return QStringLiteral("combined");
}

std::optional<FitModel> fitModelFromName(QStringView name)
{
    for (const FitModel m : {FitModel::Harville, FitModel::Discount, FitModel::Combined})
        if (name == fitModelName(m))
            return m;
    return std::nullopt;
}

double SeasonFit::value(const QString &name) const
{
    for (const FitValue &v : values)
        if (v.name == name)
            return v.value;
    return 0;
}

QString SeasonFit::problemWord() const
{
    switch (problem) {
    case FitProblem::None:
        break;
    case FitProblem::NoRace:
        return model == FitModel::Combined
                   ? QStringLiteral("no race with a result and own and market shares")
                   : QStringLiteral("no race with a result");
    case FitProblem::TooFewRaces:
        return QStringLiteral("too few races to hold some out");
    case FitProblem::NotConverged:
        return QStringLiteral("the fit did not converge in %1 Newton steps").arg(MaxSteps);
    case FitProblem::Diverged:
        return QStringLiteral("the fit diverges: %1 runs off to infinity (one column decides "
                              "every race)")
            .arg(coefficient);
    case FitProblem::Singular:
        return QStringLiteral("the races do not determine the coefficients (no information, "
                              "or own and market shares say the same)");
    }
    return QString();
}

QString SeasonFit::problemText() const
{
    switch (problem) {
    case FitProblem::None:
        break;
    case FitProblem::NoRace:
        return model == FitModel::Combined
                   ? QStringLiteral("結果があり自分の列と市場の列がそろったレースがありません。")
                   : QStringLiteral("結果のあるレースがありません。");
    case FitProblem::TooFewRaces:
        return QStringLiteral("検証に残すにはレースが足りません。");
    case FitProblem::NotConverged:
        return QStringLiteral("当てはめが%1回の反復で収束しませんでした。").arg(MaxSteps);
    case FitProblem::Diverged:
        return QStringLiteral("当てはめが発散しました: %1 が無限大に向かいます"
                              "（一つの列がすべてのレースを決めています）。")
            .arg(coefficient);
    case FitProblem::Singular:
        return QStringLiteral("レースから係数を決められません（情報がないか、自分の列と市場の"
                              "列が同じことを言っています）。");
    }
    return QString();
}

SeasonFit fitSeason(const std::vector<SeasonRace> &races, FitModel model, double holdout)
{
    SeasonFit fit;
    fit.model = model;
    const bool combined = model == FitModel::Combined;
    // The model's data, and for the combined model the support at beta 1 as a baseline.
    LogitData data;
    data.k = combined ? 2 : 1;
    LogitData support;
    std::vector<int> source; // the season's race of every logit race
    for (size_t i = 0; i < races.size(); ++i) {
        const SeasonRace &race = races[i];
        if (!race.counts()) {
            ++fit.excluded;
            continue;
        }
        std::vector<int> rowOf;
        const std::vector<double> shares = positiveShares(race.scores);
        if (combined) {
            if (race.own.empty() || race.market.empty()) {
                ++fit.excluded;
                continue;
            }
            const std::vector<double> own = positiveShares(race.own);
            const std::vector<double> market = positiveShares(race.market);
            if (!addRace(&data, rows(own, &market, &rowOf), rowOf, race.result)) {
                ++fit.excluded;
                continue;
            }
            addRace(&support, rows(shares, nullptr, &rowOf), rowOf, race.result);
        } else {
            addRace(&data, rows(shares, nullptr, &rowOf), rowOf, race.result);
        }
        source.push_back(int(i));
    }
    const LogitData &baseline = combined ? support : data;

    // The fit takes the earliest races by date; undated ones count as the latest.
    std::vector<int> use(source.size());
    std::iota(use.begin(), use.end(), 0);
    std::stable_sort(use.begin(), use.end(), [&](int a, int b) {
        const QDate &x = races[size_t(source[size_t(a)])].date;
        const QDate &y = races[size_t(source[size_t(b)])].date;
        if (x.isValid() != y.isValid())
            return x.isValid();
        return x < y;
    });
    std::vector<int> held;
    if (holdout > 0) {
        const int hold = int(std::lround(holdout * double(use.size())));
        if (hold < 1 || hold >= int(use.size())) {
            fit.problem = use.empty() ? FitProblem::NoRace : FitProblem::TooFewRaces;
            return fit;
        }
        held.assign(use.end() - hold, use.end());
        use.resize(use.size() - size_t(hold));
    }
    fit.races = int(use.size());
    fit.holdoutRaces = int(held.size());
    if (use.empty()) {
        fit.problem = FitProblem::NoRace;
        return fit;
    }

    const auto fail = [&](const NewtonOutcome &o, int place) {
        fit.problem = o.problem;
        fit.coefficient = QString::fromLatin1(
            CoefficientNames[combined ? 1 : 0][combined ? o.coefficient : place]);
        return fit;
    };
    // The log-likelihood of races under per-place exponents (harville and discount), or the
    // combined coefficients at every place.
    std::array<double, 3> exponents{};
    std::array<double, 2> coefficients{};
    const auto loglik = [&](const LogitData &d, const std::vector<int> &which,
                            const std::array<double, 3> &perPlace) {
        double sum = 0;
        for (int place = 0; place < 3; ++place)
            sum += evaluate(d, which, {perPlace[size_t(place)], 0}, place, place + 1).loglik;
        return sum;
    };
    if (model == FitModel::Harville) {
        const NewtonOutcome o = newton(data, use, 0, 3, {1, 0});
        if (o.problem != FitProblem::None)
            return fail(o, 0);
        exponents = {o.theta[0], o.theta[0], o.theta[0]};
        fit.values = {{QStringLiteral("beta"), o.theta[0], squareRoot(o.covariance[0])}};
        fit.before = loglik(data, use, {1, 1, 1});
    } else if (model == FitModel::Discount) {
        // First place fixes beta, second lambda * beta, third rho * beta: three independent
        // logits, so the information of theta is diagonal.
        std::array<double, 3> theta{};
        std::array<double, 3> variance{};
        const std::array<double, 3> start = {1, 0.81, 0.65};
        for (int place = 0; place < 3; ++place) {
            const NewtonOutcome o = newton(data, use, place, place + 1, {start[size_t(place)], 0});
            if (o.problem != FitProblem::None)
                return fail(o, place);
            theta[size_t(place)] = o.theta[0];
            variance[size_t(place)] = o.covariance[0];
        }
        exponents = theta;
        const double b = theta[0];
        const auto ratioError = [&](int place) {
            const double t = theta[size_t(place)];
            return squareRoot(t * t / (b * b * b * b) * variance[0] +
                              variance[size_t(place)] / (b * b));
        };
        fit.values = {{QStringLiteral("beta"), b, squareRoot(variance[0])},
                      {QStringLiteral("lambda"), theta[1] / b, ratioError(1)},
                      {QStringLiteral("rho"), theta[2] / b, ratioError(2)}};
        fit.before = loglik(data, use, start);
    } else {
        const NewtonOutcome o = newton(data, use, 0, 3, {0.5, 0.5});
        if (o.problem != FitProblem::None)
            return fail(o, 0);
        coefficients = o.theta;
        fit.values = {{QStringLiteral("alpha"), o.theta[0], squareRoot(o.covariance[0])},
                      {QStringLiteral("gamma"), o.theta[1], squareRoot(o.covariance[3])}};
        fit.before = loglik(baseline, use, {1, 1, 1});
    }
    const auto fitted = [&](const std::vector<int> &which) {
        return combined ? evaluate(data, which, coefficients, 0, 3).loglik
                        : loglik(data, which, exponents);
    };
    fit.after = fitted(use);
    if (!held.empty()) {
        const std::array<double, 3> start = model == FitModel::Discount
                                                ? std::array<double, 3>{1, 0.81, 0.65}
                                                : std::array<double, 3>{1, 1, 1};
        fit.holdoutBefore = loglik(baseline, held, start);
        fit.holdoutAfter = fitted(held);
    }
    return fit;
}
