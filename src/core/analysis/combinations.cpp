#include "core/analysis/combinations.h"

#include "core/analysis/combinedmodel.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Places paid on a place ticket: three from 8 runners, two from 5 to 7.
int PaidPlaces(const RaceField &field)
{
    return field.runnerCount >= 8 ? 3 : 2;
}

double Quinella(const FinishingOrder &o, int a, int b)
{
    return o.two(a, b) + o.two(b, a);
}

double Trio(const FinishingOrder &o, int a, int b, int c)
{
    return o.three(a, b, c) + o.three(a, c, b) + o.three(b, a, c) + o.three(b, c, a) +
           o.three(c, a, b) + o.three(c, b, a);
}

double Wide(const FinishingOrder &o, int a, int b)
{
    double sum = 0;
    for (int c = 0; c < o.size(); ++c)
        if (c != a && c != b)
            sum += Trio(o, a, b, c);
    return sum;
}

// P(a finishes in the first `places`); with fewer runners able to place, every one of them
// does.
double Place(const FinishingOrder &o, int a, int places)
{
    const int m = o.size();
    double sum = o.win[size_t(a)];
    if (places >= 2 && m >= 2)
        for (int b = 0; b < m; ++b)
            sum += o.two(b, a);
    if (places >= 3 && m >= 3)
        for (int b = 0; b < m; ++b)
            for (int c = 0; c < m; ++c)
                sum += o.three(b, c, a);
    return sum;
}

// Bracket-pair probabilities: the quinella probabilities of all runner pairs across (or
// within) the two brackets, at (x - 1) * 8 + (y - 1) for x <= y.
std::array<double, 64> BracketQuinellas(const FinishingOrder &o, const RaceField &field)
{
    std::array<double, 64> sums{};
    for (int a = 0; a < o.size(); ++a) {
        for (int b = a + 1; b < o.size(); ++b) {
            int x = field.bracket[size_t(o.runners[size_t(a)])];
            int y = field.bracket[size_t(o.runners[size_t(b)])];
            if (x < 1 || y < 1)
                continue;
            if (x > y)
                std::swap(x, y);
            sums[size_t((x - 1) * 8 + (y - 1))] += Quinella(o, a, b);
        }
    }
    return sums;
}

} // namespace

double TruncatedDecimals(double value, int decimals)
{
    static constexpr double pow10[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (!(value > 0) || decimals < 0 || decimals > 8)
        return 0;
    // Away from the next cut point the 9-decimal rounding cannot reach it: truncate directly.
    const double scaled = value * pow10[decimals];
    const double whole = std::floor(scaled);
    if (scaled < 1e12 && scaled - whole < 1 - 1e-6)
        return whole / pow10[decimals];
    const long double nanos = std::round(static_cast<long double>(value) * 1e9L);
    if (nanos < 9e18L) {
        const auto unit = static_cast<unsigned long long>(pow10[9 - decimals]);
        const auto n = static_cast<unsigned long long>(nanos) / unit;
        return double(n) / pow10[decimals];
    }
    // Beyond 9e9 a double has no digits left below the first decimal to round.
    return std::floor(value * pow10[decimals]) / pow10[decimals];
}

double EstimatedOdds(double payoutRatio, double probability)
{
    if (!(probability > 0))
        return 0;
    return std::max(1.0, TruncatedDecimals(payoutRatio / probability, 1));
}

Result<bool> Availability(BetType type, const RaceField &field)
{
    Problem p;
    p.betType = int(type);
    const auto refuse = [&](Fault fault) {
        p.fault = fault;
        return Result<bool>::failure(p);
    };
    if (type == BetType::Place && field.runnerCount < 5)
        return refuse(Fault::PlaceTooFew);
    if (type == BetType::BracketQuinella) {
        if (field.runnerCount < 9)
            return refuse(Fault::BracketTooFew);
        for (int r = 1; r <= field.runnerCount; ++r)
            if (field.win[size_t(r)] > 0 && field.bracket[size_t(r)] == 0) {
                p.number = r;
                return refuse(Fault::NoBracket);
            }
    }
    const int needed = type == BetType::Wide ? 3 : TicketSize(type);
    const int placed = field.placedRunners();
    if (placed < needed) {
        p.number = needed;
        p.high = placed;
        return refuse(Fault::TooFewSupported);
    }
    return Result<bool>::success(true);
}

double TicketProbability(BetType type, const FinishingOrder &order, const RaceField &field,
                         const Ticket &ticket)
{
    if (type == BetType::BracketQuinella) {
        const int x = ticket[0];
        const int y = ticket[1];
        if (x < 1 || x > 8 || y < 1 || y > 8 || order.size() < 2)
            return 0;
        return BracketQuinellas(order,
                                field)[size_t((std::min(x, y) - 1) * 8 + (std::max(x, y) - 1))];
    }
    int at[3] = {-1, -1, -1};
    for (int k = 0; k < TicketSize(type); ++k) {
        const int r = ticket[size_t(k)];
        if (r < 1 || r > order.runnerCount || order.indexOf[size_t(r)] < 0)
            return 0;
        at[k] = order.indexOf[size_t(r)];
    }
    const int size = TicketSize(type);
    if ((size >= 2 && at[0] == at[1]) || (size == 3 && (at[2] == at[0] || at[2] == at[1])))
        return 0;
    const bool third = !order.firstThree.empty();
    switch (type) {
    case BetType::Win:
        return order.win[size_t(at[0])];
    case BetType::Place:
        return Place(order, at[0], PaidPlaces(field));
    case BetType::Quinella:
        return Quinella(order, at[0], at[1]);
    case BetType::Wide:
        return third ? Wide(order, at[0], at[1]) : 0;
    case BetType::Exacta:
        return order.two(at[0], at[1]);
    case BetType::Trio:
        return third ? Trio(order, at[0], at[1], at[2]) : 0;
    case BetType::Trifecta:
        return third ? order.three(at[0], at[1], at[2]) : 0;
    case BetType::BracketQuinella:
        break;
    }
    return 0;
}

std::vector<Combination> Combinations(BetType type, const FinishingOrder &order,
                                      const RaceField &field, double payoutRatio)
{
    std::vector<Combination> out;
    const int m = order.size();
    size_t most = type == BetType::BracketQuinella ? 36 : 1;
    for (int k = 0; k < TicketSize(type) && type != BetType::BracketQuinella; ++k)
        most *= size_t(m);
    out.reserve(most);
    const auto add = [&](Ticket t, double p) {
        if (p > 0)
            out.push_back({t, p, 0});
    };
    const auto runner = [&](int a) { return order.runners[size_t(a)]; };
    const bool third = !order.firstThree.empty();
    switch (type) {
    case BetType::Win:
        for (int a = 0; a < m; ++a)
            add({runner(a)}, order.win[size_t(a)]);
        break;
    case BetType::Place: {
        const int places = PaidPlaces(field);
        for (int a = 0; a < m; ++a)
            add({runner(a)}, Place(order, a, places));
        break;
    }
    case BetType::BracketQuinella: {
        if (m < 2)
            break;
        const std::array<double, 64> sums = BracketQuinellas(order, field);
        for (int x = 1; x <= 8; ++x)
            for (int y = x; y <= 8; ++y)
                add({x, y}, sums[size_t((x - 1) * 8 + (y - 1))]);
        break;
    }
    case BetType::Quinella:
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b)
                add({runner(a), runner(b)}, Quinella(order, a, b));
        break;
    case BetType::Exacta:
        for (int a = 0; a < m; ++a)
            for (int b = 0; b < m; ++b)
                if (a != b)
                    add({runner(a), runner(b)}, order.two(a, b));
        break;
    case BetType::Wide: {
        if (!third)
            break;
        // Each ordered triple puts its three pairs in the first three.
        std::vector<double> pair(size_t(m * m), 0.0);
        for (int a = 0; a < m; ++a)
            for (int b = 0; b < m; ++b)
                for (int c = 0; c < m; ++c) {
                    const double p = order.three(a, b, c);
                    pair[size_t(std::min(a, b) * m + std::max(a, b))] += p;
                    pair[size_t(std::min(a, c) * m + std::max(a, c))] += p;
                    pair[size_t(std::min(b, c) * m + std::max(b, c))] += p;
                }
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b)
                add({runner(a), runner(b)}, pair[size_t(a * m + b)]);
        break;
    }
    case BetType::Trio:
        if (!third)
            break;
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b)
                for (int c = b + 1; c < m; ++c)
                    add({runner(a), runner(b), runner(c)}, Trio(order, a, b, c));
        break;
    case BetType::Trifecta:
        if (!third)
            break;
        for (int a = 0; a < m; ++a)
            for (int b = 0; b < m; ++b)
                for (int c = 0; c < m; ++c)
                    if (a != b && a != c && b != c)
                        add({runner(a), runner(b), runner(c)}, order.three(a, b, c));
        break;
    }
    // The list is built in ascending ticket order; a stable sort on the probability alone
    // keeps equal probabilities in that order. Positive doubles order like their bit patterns,
    // so a byte-wise radix sort does it in a few passes over thousands of tickets.
    std::vector<std::pair<quint64, quint32>> keys(out.size());
    for (size_t i = 0; i < out.size(); ++i)
        keys[i] = {~std::bit_cast<quint64>(out[i].probability), quint32(i)};
    std::vector<std::pair<quint64, quint32>> buffer(keys.size());
    for (int shift = 0; shift < 64; shift += 8) {
        std::array<size_t, 257> start{};
        for (const auto &k : keys)
            ++start[((k.first >> shift) & 0xff) + 1];
        if (start[((keys.empty() ? 0 : keys[0].first >> shift) & 0xff) + 1] == keys.size())
            continue; // every key has the same byte here
        for (size_t b = 1; b < start.size(); ++b)
            start[b] += start[b - 1];
        for (const auto &k : keys)
            buffer[start[(k.first >> shift) & 0xff]++] = k;
        keys.swap(buffer);
    }
    std::vector<Combination> sorted(out.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        sorted[i] = out[keys[i].second];
        sorted[i].estimatedOdds = EstimatedOdds(payoutRatio, sorted[i].probability);
    }
    return sorted;
}

Result<RaceModel> AnalyseRace(const OddsDocument &doc, const AnalysisParameters &parameters)
{
    Result<RaceField> field =
        parameters.combine ? CombinedFieldFromDocument(doc, parameters.alpha, parameters.gamma)
                           : RaceFieldFromDocument(doc, parameters.beta);
    if (!field.ok())
        return Result<RaceModel>::failure(field.problem);
    Result<FinishingOrder> order =
        ModelOrder(field.value, parameters.model, parameters.lambda, parameters.rho);
    if (!order.ok())
        return Result<RaceModel>::failure(order.problem);
    // Parameters far outside their ranges turn probabilities into NaN: an error, never a
    // table with those tickets silently left out.
    const auto finite = [](const std::vector<double> &values) {
        return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
    };
    const FinishingOrder &o = order.value;
    if (!finite(field.value.win) || !finite(o.win) || !finite(o.firstTwo) ||
        !finite(o.firstThree)) {
        Problem p;
        p.fault = Fault::NotFinite;
        p.name = OrderModelName(parameters.model);
        return Result<RaceModel>::failure(std::move(p));
    }
    return Result<RaceModel>::success({std::move(field.value), std::move(order.value)});
}

Result<std::vector<Combination>> AnalyseBetType(const RaceModel &race, BetType type,
                                                const AnalysisParameters &parameters)
{
    const Result<bool> offered = Availability(type, race.field);
    if (!offered.ok())
        return Result<std::vector<Combination>>::failure(offered.problem);
    return Result<std::vector<Combination>>::success(
        Combinations(type, race.order, race.field, parameters.ratio(type)));
}
