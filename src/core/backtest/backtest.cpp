#include "core/backtest/backtest.h"

#include "core/market/stakes.h"
#include "core/racemodel/valuerounding.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// a += b, false when the sum does not fit.
bool addTo(qint64 *a, qint64 b)
{
    return !__builtin_add_overflow(*a, b, a);
}

// stake · odds rounded, false when it does not fit.
bool atOdds(qint64 stake, double odds, qint64 *out)
{
    const double v = std::round(double(stake) * odds);
    // 2^63 is exact as a double; anything below it converts exactly.
    if (!(v >= 0 && v < 9223372036854775808.0))
        return false;
    *out = qint64(v);
    return true;
}

} // namespace

std::vector<BacktestTicket> selectedTickets(const BacktestRule &rule,
                                            const std::vector<BacktestTicket> &tickets)
{
    std::vector<BacktestTicket> bought;
    for (const BacktestTicket &t : tickets) {
        const double value = rule.select == BacktestRule::Select::Ratio
                                 ? (t.estimatedOdds > 0 ? shownRatio(t.odds / t.estimatedOdds) : 0)
                                 : shownExpectedValue(t.probability * t.odds);
        if (value >= rule.threshold)
            bought.push_back(t);
    }
    return bought;
}

std::vector<BacktestTicket> stakeableTickets(const BacktestRule &rule,
                                             const std::vector<BacktestTicket> &tickets)
{
    std::vector<BacktestTicket> bought = selectedTickets(rule, tickets);
    if (!rule.kelly)
        return bought;
    std::vector<KellyCandidate> candidates;
    for (const BacktestTicket &t : bought)
        candidates.push_back({t.ticket, t.probability, t.odds});
    const Result<KellyStakes> k = kelly(std::move(candidates), 1, 1);
    std::vector<Ticket> in;
    for (const KellyStake &s : k.value.stakes)
        in.push_back(s.ticket);
    std::sort(in.begin(), in.end());
    std::vector<BacktestTicket> set;
    for (const BacktestTicket &t : bought)
        if (std::binary_search(in.begin(), in.end(), t.ticket))
            set.push_back(t);
    return set;
}

std::vector<qint64> Backtest::stakes(const std::vector<BacktestTicket> &bought) const
{
    if (!m_rule.kelly)
        return std::vector<qint64>(bought.size(), m_rule.flatStake);
    std::vector<qint64> out(bought.size(), 0);
    qint64 bankroll = m_rule.bankroll;
    if (!addTo(&bankroll, m_summary.profit))
        return out;
    std::vector<KellyCandidate> candidates;
    for (const BacktestTicket &t : bought)
        candidates.push_back({t.ticket, t.probability, t.odds});
    // A spent bankroll bets nothing more.
    const Result<KellyStakes> k = kelly(std::move(candidates), bankroll, m_rule.kellyFraction);
    if (!k.ok())
        return out;
    // Looked up by ticket; a ticket staked twice takes its last stake.
    std::vector<std::pair<Ticket, qint64>> stake;
    for (const KellyStake &s : k.value.stakes)
        stake.emplace_back(s.ticket, s.stake);
    std::stable_sort(stake.begin(), stake.end(),
                     [](const auto &x, const auto &y) { return x.first < y.first; });
    for (size_t i = 0; i < bought.size(); ++i) {
        const Ticket &t = bought[i].ticket;
        const auto after =
            std::upper_bound(stake.begin(), stake.end(), t,
                             [](const Ticket &u, const auto &x) { return u < x.first; });
        if (after != stake.begin() && (after - 1)->first == t)
            out[i] = (after - 1)->second;
    }
    return out;
}

std::vector<BacktestBand> BacktestBreakdown::bands(const std::vector<double> &starts)
{
    std::vector<BacktestBand> out;
    for (size_t i = 0; i < starts.size(); ++i) {
        BacktestBand b;
        b.low = starts[i];
        b.high = i + 1 < starts.size() ? starts[i + 1] : 0;
        out.push_back(b);
    }
    return out;
}

namespace {

// The band a value falls in: the last whose start it reaches (the first below every start).
BacktestBand &bandOf(std::vector<BacktestBand> &bands, double value)
{
    size_t i = 0;
    while (i + 1 < bands.size() && value >= bands[i + 1].low)
        ++i;
    return bands[i];
}

} // namespace

BacktestLine Backtest::add(const BacktestRace &race)
{
    BacktestLine line;
    line.file = race.file;
    const auto overflow = [&] {
        line.overflow = true;
        return line;
    };
    const std::vector<BacktestTicket> bought = selectedTickets(m_rule, race.tickets);
    const std::vector<qint64> stake = stakes(bought);
    int hits = 0;
    int fromOdds = 0;
    BacktestBreakdown breakdown = m_breakdown;
    // The model's most probable tickets, descending: ranks past the last band's start need
    // no more than that they are past it.
    constexpr size_t Ranked = 50;
    std::vector<double> byProbability;
    if (!bought.empty()) {
        for (const BacktestTicket &t : race.tickets)
            byProbability.push_back(t.probability);
        const size_t keep = std::min(Ranked, byProbability.size());
        std::partial_sort(byProbability.begin(), byProbability.begin() + ptrdiff_t(keep),
                          byProbability.end(), std::greater<>());
        byProbability.resize(keep);
    }
    for (size_t i = 0; i < bought.size(); ++i) {
        if (stake[i] <= 0)
            continue;
        ++line.tickets;
        if (!addTo(&line.staked, stake[i]))
            return overflow();
        const bool won = race.winners.contains(bought[i].ticket);
        // 1 + the tickets the model gives more (more than Ranked: Ranked + 1 will do).
        const int rank = 1 + int(std::lower_bound(byProbability.begin(), byProbability.end(),
                                                  bought[i].probability, std::greater<>()) -
                                 byProbability.begin());
        BacktestBand *bands[2] = {&bandOf(breakdown.odds, bought[i].odds),
                                  &bandOf(breakdown.ranks, rank)};
        for (BacktestBand *b : bands) {
            ++b->tickets;
            b->hits += won ? 1 : 0;
            b->expected += bought[i].probability;
            if (!addTo(&b->staked, stake[i]))
                return overflow();
        }
        if (!won)
            continue;
        ++hits;
        qint64 back = 0;
        if (const auto it = race.payouts.find(bought[i].ticket); it != race.payouts.end()) {
            if (__builtin_mul_overflow(stake[i] / 100, it->second, &back))
                return overflow();
        } else {
            if (!atOdds(stake[i], bought[i].odds, &back))
                return overflow();
            ++fromOdds;
        }
        if (!addTo(&line.returned, back))
            return overflow();
        for (BacktestBand *b : bands)
            if (!addTo(&b->returned, back))
                return overflow();
    }
    BacktestSummary s = m_summary;
    ++s.races;
    s.tickets += line.tickets;
    s.hits += hits;
    s.fromOdds += fromOdds;
    qint64 net = line.returned;
    if (!addTo(&s.staked, line.staked) || !addTo(&s.returned, line.returned) ||
        !addTo(&net, -line.staked) || !addTo(&s.profit, net))
        return overflow();
    const qint64 peak = std::max(m_peak, s.profit);
    qint64 fall = peak;
    if (!addTo(&fall, -s.profit))
        return overflow();
    line.profit = s.profit;
    s.maxDrawdown = std::max(s.maxDrawdown, fall);
    if (line.tickets > 0) {
        ++s.betRaces;
        m_losingRun = line.returned < line.staked ? m_losingRun + 1 : 0;
        s.longestLosing = std::max(s.longestLosing, m_losingRun);
    }
    m_summary = s;
    m_breakdown = std::move(breakdown);
    m_peak = peak;
    return line;
}

std::vector<size_t> dateOrder(const std::vector<DatedPath> &documents)
{
    std::vector<QByteArray> keys;
    for (const DatedPath &d : documents)
        keys.push_back(d.path.toUtf8());
    std::vector<size_t> order(documents.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const std::optional<QDate> &x = documents[a].date;
        const std::optional<QDate> &y = documents[b].date;
        if (x.has_value() != y.has_value())
            return x.has_value();
        if (x && *x != *y)
            return *x < *y;
        return keys[a] < keys[b];
    });
    return order;
}
