#include "core/analysis/stakes.h"

#include "core/analysis/combinations.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Yen amounts are whole hundreds: the value in hundreds is first rounded to 6 decimals, so
// that 150 yen computed as 149.99999999 is still a half.
double HundredsRounded(double yen)
{
    return std::round(yen / 100 * 1e6) / 1e6;
}

} // namespace

Result<Dutching> Dutch(const std::vector<double> &odds, qint64 budget)
{
    if (odds.empty())
        return Result<Dutching>::failure(QStringLiteral("no tickets to spread the budget over"));
    if (budget < 1)
        return Result<Dutching>::failure(QStringLiteral("the budget must be at least 1 yen"));
    double inverseSum = 0;
    for (const double o : odds) {
        if (!(o > 0) || !std::isfinite(o))
            return Result<Dutching>::failure(QStringLiteral("odds must be positive"));
        inverseSum += 1 / o;
    }
    const double combined = 1 / inverseSum;
    Dutching d;
    d.combinedOdds = TruncatedDecimals(combined, 2);
    d.minPayout = std::numeric_limits<qint64>::max();
    for (const double o : odds) {
        const double hundreds = std::floor(HundredsRounded(double(budget) * combined / o) + 0.5);
        const qint64 stake = std::max<qint64>(1, qint64(hundreds)) * 100;
        const qint64 payout = std::llround(double(stake) * o);
        d.lines.push_back({o, stake, payout});
        d.total += stake;
        d.minPayout = std::min(d.minPayout, payout);
        d.maxPayout = std::max(d.maxPayout, payout);
    }
    d.loss = d.minPayout < d.total;
    return Result<Dutching>::success(std::move(d));
}

Result<KellyStakes> Kelly(std::vector<KellyCandidate> candidates, qint64 bankroll,
                          double kellyFraction)
{
    if (bankroll < 1)
        return Result<KellyStakes>::failure(QStringLiteral("the bankroll must be at least 1 yen"));
    if (!(kellyFraction > 0 && kellyFraction <= 1))
        return Result<KellyStakes>::failure(
            QStringLiteral("the Kelly fraction must be above 0 and at most 1"));
    double total = 0;
    for (const KellyCandidate &c : candidates) {
        if (!(c.odds > 0) || !std::isfinite(c.odds))
            return Result<KellyStakes>::failure(QStringLiteral("odds must be positive"));
        if (!(c.probability >= 0 && c.probability <= 1))
            return Result<KellyStakes>::failure(QStringLiteral("a probability is outside 0 to 1"));
        total += c.probability;
    }
    if (total > 1 + 1e-9)
        return Result<KellyStakes>::failure(
            QStringLiteral("the probabilities add up to more than 1"));

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
        const double hundreds = std::floor(HundredsRounded(double(bankroll) * f * kellyFraction));
        out.stakes.push_back(
            {c.ticket, c.probability, c.odds, f, std::max<qint64>(0, qint64(hundreds)) * 100});
    }
    return Result<KellyStakes>::success(std::move(out));
}
