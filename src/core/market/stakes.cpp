#include "core/market/stakes.h"

#include "core/racemodel/combinations.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Yen amounts are whole hundreds: the value in hundreds is first rounded to 6 decimals, so
// that 150 yen computed as 149.99999999 is still a half.
double hundredsRounded(double yen)
{
    return std::round(yen / 100 * 1e6) / 1e6;
}

template <typename T> Result<T> refused(Fault fault)
{
    Problem p;
    p.fault = fault;
    return Result<T>::failure(std::move(p));
}

} // namespace

Result<Dutching> dutch(const std::vector<double> &odds, qint64 budget,
                       const std::vector<QString> &names)
{
    if (odds.empty())
        return refused<Dutching>(Fault::NoTickets);
    if (budget < 1 || budget > MaxStakeYen)
        return refused<Dutching>(Fault::BudgetRange);
    double inverseSum = 0;
    for (const double o : odds) {
        if (!(o > 0) || !std::isfinite(o))
            return refused<Dutching>(Fault::OddsNotPositive);
        inverseSum += 1 / o;
    }
    const double combined = 1 / inverseSum;
    Dutching d;
    d.combinedOdds = truncatedDecimals(combined, 2);
    d.minPayout = std::numeric_limits<qint64>::max();
    for (size_t i = 0; i < odds.size(); ++i) {
        const double o = odds[i];
        const double hundreds = std::floor(hundredsRounded(double(budget) * combined / o) + 0.5);
        const qint64 stake = std::max<qint64>(1, qint64(hundreds)) * 100;
        // 2^63: the first payout a 64-bit count of yen cannot hold.
        const double exact = double(stake) * o;
        if (!(exact < 9223372036854775808.0)) {
            Problem p;
            p.fault = Fault::PayoutOverflow;
            p.name = i < names.size() ? names[i] : QString::number(i + 1);
            p.number = std::numeric_limits<qint64>::max();
            return Result<Dutching>::failure(std::move(p));
        }
        const qint64 payout = std::llround(exact);
        d.lines.push_back({o, stake, payout});
        d.total += stake;
        d.minPayout = std::min(d.minPayout, payout);
        d.maxPayout = std::max(d.maxPayout, payout);
    }
    d.loss = d.minPayout < d.total;
    return Result<Dutching>::success(std::move(d));
}

Result<KellyStakes> kelly(std::vector<KellyCandidate> candidates, qint64 bankroll,
                          double kellyFraction)
{
    if (bankroll < 1 || bankroll > MaxStakeYen)
        return refused<KellyStakes>(Fault::BankrollRange);
    if (!(kellyFraction > 0 && kellyFraction <= 1))
        return refused<KellyStakes>(Fault::KellyFraction);
    double total = 0;
    for (const KellyCandidate &c : candidates) {
        if (!(c.odds > 0) || !std::isfinite(c.odds))
            return refused<KellyStakes>(Fault::OddsNotPositive);
        if (!(c.probability >= 0 && c.probability <= 1))
            return refused<KellyStakes>(Fault::ProbabilityRange);
        total += c.probability;
    }
    if (total > 1 + 1e-9)
        return refused<KellyStakes>(Fault::ProbabilitySum);

    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const KellyCandidate &a, const KellyCandidate &b) {
                         return a.probability * a.odds > b.probability * b.odds;
                     });
    KellyStakes out;
    double probabilityIn = 0;
    double inverseOddsIn = 0;
    size_t taken = 0;
    for (; taken < candidates.size(); ++taken) {
        const KellyCandidate &c = candidates[taken];
        if (!(c.probability * c.odds > out.reserve))
            break;
        probabilityIn += c.probability;
        inverseOddsIn += 1 / c.odds;
        // Joining keeps sum 1/O below 1 while the probabilities add up to at most 1; rounding
        // must not turn that into a division by zero.
        if (!(inverseOddsIn < 1)) {
            probabilityIn -= c.probability;
            inverseOddsIn -= 1 / c.odds;
            break;
        }
        out.reserve = std::max(0.0, 1 - probabilityIn) / (1 - inverseOddsIn);
    }
    for (size_t k = 0; k < taken; ++k) {
        const KellyCandidate &c = candidates[k];
        const double f = c.probability - out.reserve / c.odds;
        const double hundreds = std::floor(hundredsRounded(double(bankroll) * f * kellyFraction));
        out.stakes.push_back(
            {c.ticket, c.probability, c.odds, f, std::max<qint64>(0, qint64(hundreds)) * 100});
    }
    return Result<KellyStakes>::success(std::move(out));
}
