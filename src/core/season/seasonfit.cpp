#include "core/season/seasonfit.h"

#include "core/racemodel/combinations.h"
#include "core/racemodel/combinedmodel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace {

// A finite maximum far out is reached by steps of about one unit: room for a few hundred.
constexpr int MaxSteps = 1000;
constexpr double StepTolerance = 1e-10;

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

// How the log-likelihood of places [from, to) behaves far out. It is a sum over the places of
// eta(chosen) - log sum exp(eta(left)), with eta = theta . z: along a direction d it rises for
// ever exactly when every chosen runner's z . d is at least every other left runner's, and at
// least once more (separation); it stays flat when they are all equal (a direction the races
// say nothing about). Otherwise it falls far out in every direction and has a finite maximum.
struct Shape
{
    FitProblem problem = FitProblem::None;
    int coefficient = 0;
};

Shape likelihoodShape(const LogitData &d, const std::vector<int> &use, int from, int to)
{
    const int k = d.k;
    // The differences chosen - other, each as a direction's test.
    std::vector<std::array<double, 2>> v;
    for (const int index : use) {
        const LogitRace &race = d.races[size_t(index)];
        const double *z = &d.z[size_t(race.first * k)];
        for (int place = from; place < std::min(to, race.places); ++place) {
            const int chosen = race.placed[size_t(place)];
            for (int i = 0; i < race.count; ++i) {
                bool taken = false;
                for (int q = 0; q <= place; ++q)
                    taken = taken || race.placed[size_t(q)] == i;
                if (taken)
                    continue;
                std::array<double, 2> diff{};
                for (int j = 0; j < k; ++j)
                    diff[size_t(j)] = z[chosen * k + j] - z[i * k + j];
                if (diff[0] != 0 || diff[1] != 0)
                    v.push_back(diff);
            }
        }
    }
    if (v.empty())
        return {FitProblem::Singular, 0};
    if (k == 1) {
        const bool up = std::all_of(v.begin(), v.end(), [](const auto &x) { return x[0] > 0; });
        const bool down = std::all_of(v.begin(), v.end(), [](const auto &x) { return x[0] < 0; });
        return up || down ? Shape{FitProblem::Diverged, 0} : Shape{};
    }
    // Two coefficients: the differences all on one line leave the direction across it flat;
    // all in one closed half-plane (the widest angle between neighbours at least a half turn)
    // give a direction of separation.
    const auto length = [](const std::array<double, 2> &x) { return std::hypot(x[0], x[1]); };
    const std::array<double, 2> &first = v.front();
    const bool oneLine = std::all_of(v.begin(), v.end(), [&](const auto &x) {
        return std::fabs(x[0] * first[1] - x[1] * first[0]) <= 1e-9 * length(x) * length(first);
    });
    if (oneLine)
        return {FitProblem::Collinear, 0};
    std::vector<double> angles;
    angles.reserve(v.size());
    for (const auto &x : v)
        angles.push_back(std::atan2(x[1], x[0]));
    std::sort(angles.begin(), angles.end());
    double widest = angles.front() + 2 * M_PI - angles.back();
    size_t after = 0; // the widest gap ends at angles[after]
    for (size_t i = 1; i < angles.size(); ++i)
        if (angles[i] - angles[i - 1] > widest) {
            widest = angles[i] - angles[i - 1];
            after = i;
        }
    if (widest < M_PI - 1e-12)
        return {};
    // The direction of separation lies across the gap, a quarter turn on from its start; the
    // coefficient it moves most is the one named.
    const double start = after == 0 ? angles.back() : angles[after - 1];
    const double direction = start + M_PI / 2 + (widest - M_PI) / 2;
    return {FitProblem::Diverged,
            std::fabs(std::sin(direction)) > std::fabs(std::cos(direction)) ? 1 : 0};
}

// Newton's method from theta, on a likelihood with a finite maximum (see likelihoodShape).
NewtonOutcome newton(const LogitData &d, const std::vector<int> &use, int from, int to,
                     std::array<double, 2> theta)
{
    NewtonOutcome out;
    const Shape shape = likelihoodShape(d, use, from, to);
    if (shape.problem != FitProblem::None) {
        out.problem = shape.problem;
        out.coefficient = shape.coefficient;
        return out;
    }
    const int k = d.k;
    const FitProblem flat = k == 2 ? FitProblem::Collinear : FitProblem::Singular;
    LogitValue v = evaluate(d, use, theta, from, to);
    for (int step = 0; step < MaxSteps; ++step) {
        std::array<double, 4> inverse{};
        if (!invertNegative(v.hessian, k, &inverse)) {
            out.problem = flat;
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
        if (!std::isfinite(v.loglik)) {
            out.problem = FitProblem::NotConverged;
            return out;
        }
        if (largest < StepTolerance * std::max(1.0, std::fabs(theta[0]) + std::fabs(theta[1]))) {
            if (!invertNegative(v.hessian, k, &inverse)) {
                out.problem = flat;
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
        return model == FitModel::Combined
                   ? QStringLiteral("結果があり自分の列と市場の列がそろったレースがありません。")
                   : QStringLiteral("結果のあるレースがありません。");
    case FitProblem::TooFewRaces:
        return QStringLiteral("検証に残すにはレースが足りません。");
    case FitProblem::NotConverged:
        return QStringLiteral("当てはめが%1回の反復で収束しませんでした。").arg(MaxSteps);
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
    // Cautions beside the values: a standard error larger than the value, ratios to a beta
    // that may be 0, and values season and the window do not take.
    for (const FitValue &v : fit.values) {
        if (v.error > std::fabs(v.value))
            fit.warnings.push_back({v.name, QStringLiteral("large standard error"),
                                    QStringLiteral("標準誤差が値より大きい")});
        if ((v.name == QLatin1String("lambda") || v.name == QLatin1String("rho")) &&
            std::fabs(fit.values[0].value) <= 1.96 * fit.values[0].error)
            fit.warnings.push_back({v.name, QStringLiteral("beta's 95% interval covers 0"),
                                    QStringLiteral("β の 95% 区間が 0 を含む（比に意味が薄い）")});
        const bool exponent = v.name == QLatin1String("lambda") || v.name == QLatin1String("rho");
        const bool inRange = combined ? std::fabs(v.value) <= MaxCombine
                                      : v.value > 0 && v.value <= (exponent ? MaxLambda : MaxBeta);
        if (!inRange)
            fit.warnings.push_back(
                {v.name,
                 combined   ? QStringLiteral("outside what season takes (-5 to 5)")
                 : exponent ? QStringLiteral("outside what season takes (above 0 to 3)")
                            : QStringLiteral("outside what season takes (above 0 to 5)"),
                 QStringLiteral("成績の計算と既定値に使える範囲の外")});
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
