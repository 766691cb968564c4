#include "core/season/conditionallogit.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double StepTolerance = 1e-10;
// With more than two coefficients, far past any exponent a season supports: share^50 already
// hands every race to the favourite.
constexpr double Runaway = 50;

struct Shape
{
    LogitProblem problem = LogitProblem::None;
    int coefficient = 0;
};

// How the log-likelihood of places [from, to) behaves far out. It is a sum over the places of
// eta(chosen) - log sum exp(eta(left)), with eta = theta . z: along a direction d it rises for
// ever exactly when every chosen runner's z . d is at least every other left runner's, and at
// least once more (separation); it stays flat when they are all equal (a direction the races
// say nothing about). Otherwise it falls far out in every direction and has a finite maximum.
// Decided here for one and two coefficients.
Shape likelihoodShape(const LogitData &d, const std::vector<int> &use, int from, int to)
{
    const int k = d.k;
    if (k > 2)
        return {};
    // The differences chosen - other, each as a direction's test.
    std::vector<std::array<double, 2>> v;
    for (const int index : use) {
        const LogitRace &race = d.races[size_t(index)];
        const double *z = &d.z[size_t(race.first) * size_t(k)];
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
        return {LogitProblem::Singular, 0};
    if (k == 1) {
        const bool up = std::all_of(v.begin(), v.end(), [](const auto &x) { return x[0] > 0; });
        const bool down = std::all_of(v.begin(), v.end(), [](const auto &x) { return x[0] < 0; });
        return up || down ? Shape{LogitProblem::Diverged, 0} : Shape{};
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
        return {LogitProblem::Collinear, 0};
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
    return {LogitProblem::Diverged,
            std::fabs(std::sin(direction)) > std::fabs(std::cos(direction)) ? 1 : 0};
}

// The regularised lower incomplete gamma P(a, x) by its series (x < a + 1) and the upper
// Q(a, x) by Lentz's continued fraction otherwise.
double lowerGammaSeries(double a, double x)
{
    double term = 1 / a;
    double sum = term;
    for (int n = 1; n < 1000; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * 1e-16)
            break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

double upperGammaFraction(double a, double x)
{
    constexpr double Tiny = 1e-300;
    double b = x + 1 - a;
    double c = 1 / Tiny;
    double d = 1 / b;
    double h = d;
    for (int i = 1; i < 1000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < Tiny)
            d = Tiny;
        c = b + an / c;
        if (std::fabs(c) < Tiny)
            c = Tiny;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < 1e-16)
            break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

} // namespace

void LogitData::add(const std::vector<double> &rows, const std::array<int, 3> &placed, int places)
{
    LogitRace race;
    race.first = int(z.size()) / k;
    race.count = int(rows.size()) / k;
    race.places = places;
    race.placed = placed;
    z.insert(z.end(), rows.begin(), rows.end());
    races.push_back(race);
}

LogitData LogitData::project(const std::vector<int> &keep) const
{
    LogitData p;
    p.k = int(keep.size());
    p.races = races;
    const size_t rowCount = z.size() / size_t(k);
    p.z.reserve(rowCount * keep.size());
    for (size_t row = 0; row < rowCount; ++row)
        for (const int j : keep)
            p.z.push_back(z[row * size_t(k) + size_t(j)]);
    return p;
}

LogitValue logitValue(const LogitData &d, const std::vector<int> &use,
                      const std::vector<double> &theta, int from, int to,
                      std::vector<double> *scores)
{
    const int k = d.k;
    LogitValue v;
    v.gradient.assign(size_t(k), 0.0);
    v.hessian.assign(size_t(k * k), 0.0);
    if (scores)
        scores->assign(use.size() * size_t(k), 0.0);
    std::vector<double> eta;
    std::vector<double> mean(static_cast<size_t>(k));
    std::vector<double> second(static_cast<size_t>(k * k));
    for (size_t u = 0; u < use.size(); ++u) {
        const LogitRace &race = d.races[size_t(use[u])];
        const double *z = &d.z[size_t(race.first) * size_t(k)];
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
            std::fill(mean.begin(), mean.end(), 0.0);
            std::fill(second.begin(), second.end(), 0.0);
            for (int i = 0; i < race.count; ++i) {
                if (taken(i))
                    continue;
                const double w = std::exp(eta[size_t(i)] - largest);
                const double *row = z + i * k;
                sum += w;
                for (int a = 0; a < k; ++a) {
                    mean[size_t(a)] += w * row[a];
                    for (int b = 0; b <= a; ++b)
                        second[size_t(a * k + b)] += w * row[a] * row[b];
                }
            }
            const int chosen = race.placed[size_t(place)];
            v.loglik += eta[size_t(chosen)] - largest - std::log(sum);
            for (int a = 0; a < k; ++a)
                mean[size_t(a)] /= sum;
            for (int a = 0; a < k; ++a) {
                const double g = z[chosen * k + a] - mean[size_t(a)];
                v.gradient[size_t(a)] += g;
                if (scores)
                    (*scores)[u * size_t(k) + size_t(a)] += g;
                for (int b = 0; b <= a; ++b) {
                    const double h =
                        second[size_t(a * k + b)] / sum - mean[size_t(a)] * mean[size_t(b)];
                    v.hessian[size_t(a * k + b)] -= h;
                    if (b != a)
                        v.hessian[size_t(b * k + a)] -= h;
                }
            }
        }
    }
    return v;
}

std::vector<double> logitWin(const LogitData &d, int index, const std::vector<double> &theta)
{
    const LogitRace &race = d.races[size_t(index)];
    const int k = d.k;
    const double *z = &d.z[size_t(race.first) * size_t(k)];
    std::vector<double> p(size_t(race.count));
    double largest = -INFINITY;
    for (int i = 0; i < race.count; ++i) {
        double e = 0;
        for (int j = 0; j < k; ++j)
            e += theta[size_t(j)] * z[i * k + j];
        p[size_t(i)] = e;
        largest = std::max(largest, e);
    }
    double sum = 0;
    for (double &x : p) {
        x = std::exp(x - largest);
        sum += x;
    }
    for (double &x : p)
        x /= sum;
    return p;
}

bool invertNegative(const std::vector<double> &h, int k, std::vector<double> *inverse, int *failed)
{
    // Cholesky of A = -H. A pivot this small relative to its diagonal tells the coefficients
    // apart no better than rounding does.
    std::vector<double> l(size_t(k * k), 0.0);
    for (int j = 0; j < k; ++j) {
        const double diagonal = -h[size_t(j * k + j)];
        double pivot = diagonal;
        for (int q = 0; q < j; ++q)
            pivot -= l[size_t(j * k + q)] * l[size_t(j * k + q)];
        if (!(diagonal > 0) || !std::isfinite(diagonal) || !(pivot > 1e-12 * diagonal) ||
            !std::isfinite(pivot)) {
            if (failed)
                *failed = j;
            return false;
        }
        l[size_t(j * k + j)] = std::sqrt(pivot);
        for (int i = j + 1; i < k; ++i) {
            double s = -h[size_t(i * k + j)];
            for (int q = 0; q < j; ++q)
                s -= l[size_t(i * k + q)] * l[size_t(j * k + q)];
            l[size_t(i * k + j)] = s / l[size_t(j * k + j)];
        }
    }
    // A⁻¹ column by column from L Lᵀ x = e.
    inverse->assign(size_t(k * k), 0.0);
    std::vector<double> y(static_cast<size_t>(k));
    for (int c = 0; c < k; ++c) {
        for (int i = 0; i < k; ++i) {
            double s = i == c ? 1.0 : 0.0;
            for (int q = 0; q < i; ++q)
                s -= l[size_t(i * k + q)] * y[size_t(q)];
            y[size_t(i)] = s / l[size_t(i * k + i)];
        }
        for (int i = k - 1; i >= 0; --i) {
            double s = y[size_t(i)];
            for (int q = i + 1; q < k; ++q)
                s -= l[size_t(q * k + i)] * (*inverse)[size_t(q * k + c)];
            (*inverse)[size_t(i * k + c)] = s / l[size_t(i * k + i)];
        }
    }
    return true;
}

LogitFit fitLogit(const LogitData &d, const std::vector<int> &use, int from, int to,
                  std::vector<double> theta)
{
    LogitFit out;
    const int k = d.k;
    const Shape shape = likelihoodShape(d, use, from, to);
    if (shape.problem != LogitProblem::None) {
        out.problem = shape.problem;
        out.coefficient = shape.coefficient;
        return out;
    }
    const LogitProblem flat = k == 2 ? LogitProblem::Collinear : LogitProblem::Singular;
    const auto farthest = [&] {
        int far = 0;
        for (int j = 1; j < k; ++j)
            if (std::fabs(theta[size_t(j)]) > std::fabs(theta[size_t(far)]))
                far = j;
        return far;
    };
    // Without the exact test, a coefficient far out where the information vanishes runs off.
    const auto notDetermined = [&](int failed) {
        out.coefficient = failed;
        out.problem = flat;
        if (k > 2 && std::fabs(theta[size_t(farthest())]) > 10) {
            out.problem = LogitProblem::Diverged;
            out.coefficient = farthest();
        }
        return out;
    };
    LogitValue v = logitValue(d, use, theta, from, to);
    std::vector<double> covariance;
    std::vector<double> move(static_cast<size_t>(k));
    std::vector<double> next(static_cast<size_t>(k));
    int failed = 0;
    for (int step = 0; step < LogitMaxSteps; ++step) {
        if (!invertNegative(v.hessian, k, &covariance, &failed))
            return notDetermined(failed);
        double largest = 0;
        for (int a = 0; a < k; ++a) {
            move[size_t(a)] = 0;
            for (int b = 0; b < k; ++b)
                move[size_t(a)] += covariance[size_t(a * k + b)] * v.gradient[size_t(b)];
            largest = std::max(largest, std::fabs(move[size_t(a)]));
        }
        // The log-likelihood is concave, so a full step can only overshoot: halve until it
        // does not lose ground. Steps this small are taken as they are, below rounding.
        LogitValue nextValue;
        for (int halving = 0;; ++halving) {
            for (int j = 0; j < k; ++j)
                next[size_t(j)] = theta[size_t(j)] + move[size_t(j)];
            nextValue = logitValue(d, use, next, from, to);
            if (largest < 1e-6 || halving == 40 || nextValue.loglik >= v.loglik)
                break;
            for (double &m : move)
                m /= 2;
            largest /= 2;
        }
        theta = next;
        v = std::move(nextValue);
        if (!std::isfinite(v.loglik)) {
            out.problem = LogitProblem::NotConverged;
            return out;
        }
        if (k > 2)
            for (int j = 0; j < k; ++j)
                if (!(std::fabs(theta[size_t(j)]) <= Runaway)) {
                    out.problem = LogitProblem::Diverged;
                    out.coefficient = j;
                    return out;
                }
        double size = 0;
        for (const double t : theta)
            size += std::fabs(t);
        if (largest < StepTolerance * std::max(1.0, size)) {
            if (!invertNegative(v.hessian, k, &covariance, &failed))
                return notDetermined(failed);
            out.theta = theta;
            out.covariance = std::move(covariance);
            out.loglik = v.loglik;
            return out;
        }
    }
    out.problem = LogitProblem::NotConverged;
    return out;
}

std::vector<double> sandwich(const std::vector<double> &covariance,
                             const std::vector<double> &scores, int k)
{
    std::vector<double> meat(size_t(k * k), 0.0);
    const size_t n = scores.size() / size_t(k);
    for (size_t r = 0; r < n; ++r)
        for (int a = 0; a < k; ++a)
            for (int b = 0; b < k; ++b)
                meat[size_t(a * k + b)] +=
                    scores[r * size_t(k) + size_t(a)] * scores[r * size_t(k) + size_t(b)];
    std::vector<double> half(size_t(k * k), 0.0); // A⁻¹ B
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b)
            for (int q = 0; q < k; ++q)
                half[size_t(a * k + b)] += covariance[size_t(a * k + q)] * meat[size_t(q * k + b)];
    std::vector<double> out(size_t(k * k), 0.0);
    for (int a = 0; a < k; ++a)
        for (int b = 0; b < k; ++b)
            for (int q = 0; q < k; ++q)
                out[size_t(a * k + b)] += half[size_t(a * k + q)] * covariance[size_t(q * k + b)];
    return out;
}

double chiSquareTail(double statistic, int df)
{
    if (!(statistic > 0))
        return 1;
    if (!std::isfinite(statistic))
        return 0;
    const double a = df / 2.0;
    const double x = statistic / 2;
    return x < a + 1 ? std::max(0.0, 1 - lowerGammaSeries(a, x)) : upperGammaFraction(a, x);
}
