#include "core/racemodel/normalmodel.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

Problem normalFitProblem()
{
    Problem p;
    p.fault = Fault::NormalFit;
    return p;
}

// row[i] += w * x[i] for i < n, two at a time where the processor has SSE2 and four where it
// has AVX: each element gets the same product and the same sum as one at a time (never a fused
// multiply-add), so the results are the same to the bit on every processor.
#if defined(__x86_64__) && defined(__GNUC__)
#define KIRREL_AVX_SUMS 1
__attribute__((target("avx"))) void addScaledAvx(double *row, const double *x, double w, int n)
{
    int i = 0;
    const __m256d wide = _mm256_set1_pd(w);
    for (; i + 4 <= n; i += 4)
        _mm256_storeu_pd(row + i, _mm256_add_pd(_mm256_loadu_pd(row + i),
                                                _mm256_mul_pd(wide, _mm256_loadu_pd(x + i))));
    for (; i < n; ++i)
        row[i] += w * x[i];
}

const bool HasAvx = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
}();
#endif

void addScaled(double *row, const double *x, double w, int n)
{
#ifdef KIRREL_AVX_SUMS
    if (HasAvx)
        return addScaledAvx(row, x, w, n);
#endif
    int i = 0;
#ifdef __SSE2__
    const __m128d wide = _mm_set1_pd(w);
    for (; i + 2 <= n; i += 2)
        _mm_storeu_pd(row + i,
                      _mm_add_pd(_mm_loadu_pd(row + i), _mm_mul_pd(wide, _mm_loadu_pd(x + i))));
#endif
    for (; i < n; ++i)
        row[i] += w * x[i];
}

// Trapezoid steps over the time axis. The integrands are entire functions decaying like a
// Gaussian, for which the trapezoid rule converges geometrically: at 0.2 its error is far
// below 1e-12 even for the sharp order statistics of 36 runners.
constexpr double Step = 0.2;
// A normal time this many standard deviations away has no weight worth counting (1e-19).
constexpr double Reach = 9.0;
const double LogSqrt2Pi = 0.5 * std::log(2 * std::numbers::pi);

// log P(Z > x), exact in the far tail where erfc underflows.
double logSurvival(double x)
{
    if (x < 25)
        return std::log(0.5 * std::erfc(x * std::numbers::sqrt2 / 2));
    const double y = 1 / (x * x);
    return -0.5 * x * x - std::log(x) - LogSqrt2Pi + std::log1p(y * (-1 + y * (3 - 15 * y)));
}

double logDensity(double x)
{
    return -0.5 * x * x - LogSqrt2Pi;
}

double normalCdf(double x)
{
    return 0.5 * std::erfc(-x * std::numbers::sqrt2 / 2);
}

// Nodes from the fastest mean minus Reach to the `places`-th fastest plus Reach: later, the
// `places` fastest runners would all still be running, which has no weight while the first
// `places` - 1 places are decided.
struct TimeGrid
{
    double low = 0;
    int nodes = 0;
    double at(int k) const { return low + k * Step; }
    double weight(int k) const { return (k == 0 || k == nodes - 1) ? Step / 2 : Step; }
};

TimeGrid gridFor(const std::vector<double> &theta, int places)
{
    std::vector<double> sorted = theta;
    std::sort(sorted.begin(), sorted.end());
    const double high = sorted[size_t(std::min<int>(places, int(sorted.size())) - 1)] + Reach;
    TimeGrid grid;
    grid.low = sorted.front() - Reach;
    grid.nodes = int(std::ceil((high - grid.low) / Step)) + 1;
    return grid;
}

// At every node: log survival and hazard of each runner, and the weighted probability that
// no runner has finished yet.
struct NodeTables
{
    int m = 0;
    std::vector<double> logSurvival; // k * m + a
    std::vector<double> hazard;      // k * m + a
    std::vector<double> logNone;     // k
};

// Fills in the nodes of the grid that t does not have yet: a table made on a grid with the same
// low end and fewer nodes is the beginning of this one, to the bit.
void extendTable(NodeTables &t, const std::vector<double> &theta, const TimeGrid &grid)
{
    const int from = int(t.logNone.size());
    t.m = int(theta.size());
    t.logSurvival.resize(size_t(grid.nodes * t.m));
    t.hazard.resize(size_t(grid.nodes * t.m));
    t.logNone.resize(size_t(grid.nodes));
    for (int k = from; k < grid.nodes; ++k) {
        double sum = 0;
        for (int a = 0; a < t.m; ++a) {
            const double x = grid.at(k) - theta[size_t(a)];
            const double ls = logSurvival(x);
            t.logSurvival[size_t(k * t.m + a)] = ls;
            t.hazard[size_t(k * t.m + a)] = std::exp(logDensity(x) - ls);
            sum += ls;
        }
        t.logNone[size_t(k)] = sum;
    }
}

NodeTables tabulate(const std::vector<double> &theta, const TimeGrid &grid)
{
    NodeTables t;
    extendTable(t, theta, grid);
    return t;
}

std::vector<double> firstThreeFrom(const std::vector<double> &theta, const TimeGrid &grid,
                                   const NodeTables &t);

// P(a wins) = integral of f_a(t) prod_{b != a} S_b(t) = integral of hazard_a(t) prod_b S_b(t).
std::vector<double> winProbabilities(const NodeTables &t, const TimeGrid &grid)
{
    std::vector<double> win(size_t(t.m), 0.0);
    for (int k = 0; k < grid.nodes; ++k) {
        const double none = grid.weight(k) * std::exp(t.logNone[size_t(k)]);
        for (int a = 0; a < t.m; ++a)
            win[size_t(a)] += none * t.hazard[size_t(k * t.m + a)];
    }
    return win;
}

// 4-point Gauss-Legendre nodes and weights on [-1, 1].
constexpr double glx[4] = {-0.8611363115940526, -0.3399810435848563, 0.3399810435848563,
                           0.8611363115940526};
constexpr double glw[4] = {0.3478548451374538, 0.6521451548625461, 0.6521451548625461,
                           0.3478548451374538};

// Solves A x = b (n x n, row-major) by elimination with partial pivoting; false if singular.
bool solve(std::vector<double> &a, std::vector<double> &b, int n)
{
    for (int col = 0; col < n; ++col) {
        int pivot = col;
        for (int r = col + 1; r < n; ++r)
            if (std::fabs(a[size_t(r * n + col)]) > std::fabs(a[size_t(pivot * n + col)]))
                pivot = r;
        if (!(std::fabs(a[size_t(pivot * n + col)]) > 0))
            return false;
        if (pivot != col) {
            for (int c = 0; c < n; ++c)
                std::swap(a[size_t(col * n + c)], a[size_t(pivot * n + c)]);
            std::swap(b[size_t(col)], b[size_t(pivot)]);
        }
        for (int r = col + 1; r < n; ++r) {
            const double f = a[size_t(r * n + col)] / a[size_t(col * n + col)];
            for (int c = col; c < n; ++c)
                a[size_t(r * n + c)] -= f * a[size_t(col * n + c)];
            b[size_t(r)] -= f * b[size_t(col)];
        }
    }
    for (int r = n - 1; r >= 0; --r) {
        double s = b[size_t(r)];
        for (int c = r + 1; c < n; ++c)
            s -= a[size_t(r * n + c)] * b[size_t(c)];
        b[size_t(r)] = s / a[size_t(r * n + r)];
    }
    return true;
}

} // namespace

std::vector<double> normalWinProbabilities(const std::vector<double> &theta)
{
    const TimeGrid grid = gridFor(theta, 2);
    return winProbabilities(tabulate(theta, grid), grid);
}

Result<NormalFit> fitNormalModel(const std::vector<double> &p, std::vector<double> *firstThree)
{
    const int m = int(p.size());
    NormalFit fit;
    fit.theta.assign(size_t(m), 0.0);
    if (m <= 1) {
        if (firstThree)
            firstThree->clear();
        return Result<NormalFit>::success(fit);
    }

    const int favourite = int(std::max_element(p.begin(), p.end()) - p.begin());
    // A start in the right order and of about the right spread; Newton does the rest.
    for (int a = 0; a < m; ++a)
        fit.theta[size_t(a)] = 0.4 * std::log(p[size_t(favourite)] / p[size_t(a)]);

    // Newton on log W_a(theta) = log p_a with the favourite's mean held at 0 (a common shift
    // changes nothing). dW_a/dtheta_b = integral of f_a f_b prod_{c != a, b} S_c for b != a,
    // and the row sums to 0.
    const int n = m - 1;
    std::vector<int> free;
    for (int a = 0; a < m; ++a)
        if (a != favourite)
            free.push_back(a);
    for (fit.iterations = 1; fit.iterations <= 100; ++fit.iterations) {
        const TimeGrid grid = gridFor(fit.theta, 2);
        NodeTables t = tabulate(fit.theta, grid);
        const std::vector<double> win = winProbabilities(t, grid);
        double worst = 0;
        for (int a = 0; a < m; ++a) {
            if (!(win[size_t(a)] > 0) || !std::isfinite(win[size_t(a)]))
                return Result<NormalFit>::failure(normalFitProblem());
            worst = std::max(worst, std::fabs(std::log(win[size_t(a)] / p[size_t(a)])));
        }
        if (worst < 1e-10) {
            if (firstThree && m >= 3) {
                // The grid for four places starts where this one does: its table goes on
                // from this one's.
                const TimeGrid wider = gridFor(fit.theta, 4);
                extendTable(t, fit.theta, wider);
                *firstThree = firstThreeFrom(fit.theta, wider, t);
            } else if (firstThree) {
                firstThree->clear();
            }
            return Result<NormalFit>::success(fit);
        }

        std::vector<double> J(size_t(m * m), 0.0);
        for (int k = 0; k < grid.nodes; ++k) {
            const double none = grid.weight(k) * std::exp(t.logNone[size_t(k)]);
            if (none == 0)
                continue;
            const double *h = &t.hazard[size_t(k * m)];
            for (int a = 0; a < m; ++a) {
                const double ha = none * h[a];
                for (int b = a + 1; b < m; ++b)
                    J[size_t(a * m + b)] += ha * h[b];
            }
        }
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b)
                J[size_t(b * m + a)] = J[size_t(a * m + b)];
        for (int a = 0; a < m; ++a) {
            double s = 0;
            for (int b = 0; b < m; ++b)
                if (b != a)
                    s += J[size_t(a * m + b)];
            J[size_t(a * m + a)] = -s;
        }
        std::vector<double> A(size_t(n * n));
        std::vector<double> rhs(static_cast<size_t>(n));
        for (int r = 0; r < n; ++r) {
            const int a = free[size_t(r)];
            rhs[size_t(r)] = std::log(p[size_t(a)] / win[size_t(a)]);
            for (int c = 0; c < n; ++c)
                A[size_t(r * n + c)] = J[size_t(a * m + free[size_t(c)])] / win[size_t(a)];
        }
        if (!solve(A, rhs, n))
            break;
        double largest = 0;
        for (const double d : rhs)
            largest = std::max(largest, std::fabs(d));
        const double scale = largest > 1 ? 1 / largest : 1;
        for (int r = 0; r < n; ++r)
            fit.theta[size_t(free[size_t(r)])] += scale * rhs[size_t(r)];
    }
    return Result<NormalFit>::failure(normalFitProblem());
}

namespace {

// normalFirstThree with the table of the grid for four places.
std::vector<double> firstThreeFrom(const std::vector<double> &theta, const TimeGrid &grid,
                                   const NodeTables &t)
{
    const int m = int(theta.size());
    const int K = grid.nodes;

    // G_ab(v) = P(T_a < T_b <= v) = integral up to v of Phi(u - theta_a) phi(u - theta_b),
    // accumulated panel by panel with 4-point Gauss-Legendre.
    std::vector<double> G(size_t(K * m * m), 0.0);
    std::vector<double> cdf(size_t(4 * m));
    std::vector<double> dens(size_t(4 * m));
    for (int k = 1; k < K; ++k) {
        const double mid = grid.at(k) - Step / 2;
        for (int q = 0; q < 4; ++q) {
            const double u = mid + Step / 2 * glx[q];
            for (int a = 0; a < m; ++a) {
                const double x = u - theta[size_t(a)];
                cdf[size_t(q * m + a)] = normalCdf(x);
                dens[size_t(q * m + a)] = Step / 2 * glw[q] * std::exp(logDensity(x));
            }
        }
        const double *previous = &G[size_t((k - 1) * m * m)];
        double *current = &G[size_t(k * m * m)];
        // current[a * m + b] = previous[a * m + b] + the four products, added in q order.
        for (int a = 0; a < m; ++a) {
            std::copy(previous + a * m, previous + (a + 1) * m, current + a * m);
            for (int q = 0; q < 4; ++q)
                addScaled(current + a * m, &dens[size_t(q * m)], cdf[size_t(q * m + a)], m);
        }
    }

    // P(a, b, c) = integral of G_ab(v) f_c(v) prod_{d not a, b, c} S_d(v)
    //            = integral of G_ab(v) Q_ab(v) hazard_c(v), Q_ab = prod_{d != a, b} S_d.
    std::vector<double> survival(t.logSurvival.size());
    for (size_t i = 0; i < survival.size(); ++i)
        survival[i] = std::exp(t.logSurvival[i]);
    std::vector<double> noneProb(static_cast<size_t>(K));
    for (int k = 0; k < K; ++k)
        noneProb[size_t(k)] = std::exp(t.logNone[size_t(k)]);
    std::vector<double> out(size_t(m * m * m), 0.0);
    std::vector<double> weighted(static_cast<size_t>(K));
    for (int a = 0; a < m; ++a) {
        for (int b = 0; b < m; ++b) {
            if (a == b)
                continue;
            for (int k = 0; k < K; ++k) {
                const size_t at = size_t(k * m);
                const double none = t.logNone[size_t(k)];
                // Far in the tail the product of all survivals underflows: go through logs.
                const double q =
                    none > -600 ? noneProb[size_t(k)] / (survival[at + a] * survival[at + b])
                                : std::exp(none - t.logSurvival[at + a] - t.logSurvival[at + b]);
                weighted[size_t(k)] = grid.weight(k) * G[size_t(k * m * m + a * m + b)] * q;
            }
            double *row = &out[size_t((a * m + b) * m)];
            for (int k = 0; k < K; ++k) {
                const double w = weighted[size_t(k)];
                if (w == 0)
                    continue;
                addScaled(row, &t.hazard[size_t(k * m)], w, m);
            }
            row[a] = 0;
            row[b] = 0;
        }
    }
    return out;
}

} // namespace

std::vector<double> normalFirstThree(const std::vector<double> &theta)
{
    const TimeGrid grid = gridFor(theta, 4);
    return firstThreeFrom(theta, grid, tabulate(theta, grid));
}

double normalOrderProbability(const std::vector<double> &theta, int a, int b, int c)
{
    const int m = int(theta.size());
    const TimeGrid grid = gridFor(theta, 4);
    const NodeTables t = tabulate(theta, grid);
    // normalFirstThree's integral for this one order: G_ab accumulated along the way.
    double g = 0;
    double sum = 0;
    for (int k = 0; k < grid.nodes; ++k) {
        if (k > 0) {
            const double mid = grid.at(k) - Step / 2;
            for (int q = 0; q < 4; ++q) {
                const double u = mid + Step / 2 * glx[q];
                g += normalCdf(u - theta[size_t(a)]) *
                     (Step / 2 * glw[q] * std::exp(logDensity(u - theta[size_t(b)])));
            }
        }
        const size_t at = size_t(k * m);
        const double none = t.logNone[size_t(k)];
        const double others =
            none > -600 ? std::exp(none) /
                              (std::exp(t.logSurvival[at + a]) * std::exp(t.logSurvival[at + b]))
                        : std::exp(none - t.logSurvival[at + a] - t.logSurvival[at + b]);
        sum += grid.weight(k) * g * others * t.hazard[at + c];
    }
    return sum;
}
