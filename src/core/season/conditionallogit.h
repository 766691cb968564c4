#pragma once
// The conditional logit of a season's finishing orders: every race × place is one stratum whose
// chosen runner is the one placed there, among the runners not yet placed. k covariates per
// runner, p ∝ exp(θ · z) at every place. Solved by Newton's method with step halving.

#include <array>
#include <vector>

// One race as the logit sees it: its runners' covariates in rows [first, first + count) and the
// rows of its places.
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

    // rows: count × k values, runner after runner.
    void add(const std::vector<double> &rows, const std::array<int, 3> &placed, int places);
    // The same races with only the covariates `keep`, in that order.
    LogitData project(const std::vector<int> &keep) const;
};

struct LogitValue
{
    double loglik = 0;
    std::vector<double> gradient; // k
    std::vector<double> hessian;  // k × k, row-major
};

// The log-likelihood of places [from, to) of the races `use`, with its gradient and Hessian in
// theta. scores, when given, receives every race's own gradient (use.size() × k).
LogitValue logitValue(const LogitData &d, const std::vector<int> &use,
                      const std::vector<double> &theta, int from, int to,
                      std::vector<double> *scores = nullptr);

// The win probabilities of one race's rows at theta (the first place's stratum).
std::vector<double> logitWin(const LogitData &d, int race, const std::vector<double> &theta);

enum class LogitProblem {
    None,
    NotConverged, // the steps did not settle
    Diverged,     // separation: the likelihood rises without end in some direction
    Singular,     // the races carry no information on a coefficient
    Collinear,    // two coefficients' covariates say the same
};

struct LogitFit
{
    LogitProblem problem = LogitProblem::None;
    int coefficient = 0; // the one that runs off, or is not determined
    std::vector<double> theta;
    std::vector<double> covariance; // the inverse information, k × k
    double loglik = 0;
};

// A finite maximum far out is reached by steps of about one unit: room for a few hundred.
constexpr int LogitMaxSteps = 1000;

// Whether the likelihood has a finite maximum is decided from the races first (for one or two
// coefficients exactly; for more, a coefficient past 50 is taken as running off). Where it has
// one, Newton's steps from start go on until every coefficient moves less than 1e-10 (relative
// to their size when large).
LogitFit fitLogit(const LogitData &d, const std::vector<int> &use, int from, int to,
                  std::vector<double> start);

// -H⁻¹ of a negative definite matrix (k × k); false when it is not negative definite, with the
// coefficient where that shows in *failed.
bool invertNegative(const std::vector<double> &h, int k, std::vector<double> *inverse,
                    int *failed = nullptr);

// The sandwich A⁻¹ (Σ_r u_r u_rᵀ) A⁻¹ with the covariance A⁻¹ and the per-race scores u_r
// (n × k): the covariance clustered by race, without a small-sample factor.
std::vector<double> sandwich(const std::vector<double> &covariance,
                             const std::vector<double> &scores, int k);

// The upper tail of the χ² distribution with df degrees of freedom.
double chiSquareTail(double statistic, int df);
