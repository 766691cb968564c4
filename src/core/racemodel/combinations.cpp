#include "core/racemodel/combinations.h"

#include "core/racemodel/combinedmodel.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <memory>

namespace {

// Places paid on a place ticket: three from 8 runners, two from 5 to 7.
int paidPlaces(const RaceField &field)
{
    return field.runnerCount >= 8 ? 3 : 2;
}

double quinella(const FinishingOrder &o, int a, int b)
{
    return o.two(a, b) + o.two(b, a);
}

double trio(const FinishingOrder &o, int a, int b, int c)
{
    return o.three(a, b, c) + o.three(a, c, b) + o.three(b, a, c) + o.three(b, c, a) +
           o.three(c, a, b) + o.three(c, b, a);
}

double wide(const FinishingOrder &o, int a, int b)
{
    double sum = 0;
    for (int c = 0; c < o.size(); ++c)
        if (c != a && c != b)
            sum += trio(o, a, b, c);
    return sum;
}

// P(a finishes in the first `places`); with fewer runners able to place, every one of them
// does.
double place(const FinishingOrder &o, int a, int places)
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
std::array<double, 64> bracketQuinellas(const FinishingOrder &o, const RaceField &field)
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
            sums[size_t((x - 1) * 8 + (y - 1))] += quinella(o, a, b);
        }
    }
    return sums;
}

// A ticket in one word: its numbers (0 where it has none) at 21 bits each. They are runner or
// bracket numbers, a few dozen at most.
constexpr int TicketBits = 21;
constexpr quint64 TicketMask = (quint64(1) << TicketBits) - 1;

quint64 packTicket(const Ticket &t)
{
    return quint64(t[0]) | quint64(t[1]) << TicketBits | quint64(t[2]) << 2 * TicketBits;
}

Ticket unpackTicket(quint64 packed)
{
    return {int(packed & TicketMask), int(packed >> TicketBits & TicketMask),
            int(packed >> 2 * TicketBits)};
}

// A ticket and its probability as a sort key: positive doubles order like their bit patterns,
// complemented so that the most probable comes first.
struct SortEntry
{
    quint64 key;
    quint64 ticket;
};

// The lists of the sort, kept by each thread from call to call: the lists of a large field take
// more memory than the allocator keeps at hand, and fresh pages on every call cost more than the
// sort itself.
struct SortLists
{
    // Grown without clearing: every element is written before it is read.
    std::unique_ptr<SortEntry[]> entries; // in ticket order
    size_t count = 0;
    // The upper half of a key above its index into entries, twice: the sort moves between them.
    std::unique_ptr<quint64[]> words[2];
    size_t capacity = 0;
    const quint64 *sorted = nullptr; // after sortByKey: one of the words

    void reserve(size_t n)
    {
        count = 0;
        if (n <= capacity)
            return;
        entries.reset(new SortEntry[n]);
        for (std::unique_ptr<quint64[]> &w : words)
            w.reset(new quint64[n]);
        capacity = n;
    }
};

SortLists &threadSortLists()
{
    thread_local SortLists lists;
    return lists;
}

// One stable pass of a radix sort per Bits-wide digit of the upper half of each key, the
// lowest digit first, from order on (ping-ponging with buffer); returns where the result is.
template <int Bits> quint64 *radixPasses(quint64 *order, quint64 *buffer, size_t n)
{
    constexpr int Passes = (32 + Bits - 1) / Bits;
    constexpr quint64 DigitMask = (quint64(1) << Bits) - 1;
    // Counted twice over, even and odd elements apart: neighbours often share a digit, and one
    // counter taking every increment in turn would wait for each one.
    std::array<std::array<quint32, size_t(1) << Bits>, Passes> counts{}, oddCounts{};
    const auto tally = [](auto &to, quint64 word) {
        const quint64 upper = word >> 32;
#pragma GCC unroll 4
        for (int b = 0; b < Passes; ++b)
            ++to[size_t(b)][(upper >> (Bits * b)) & DigitMask];
    };
    size_t pair = 0;
    for (; pair + 2 <= n; pair += 2) {
        tally(counts, order[pair]);
        tally(oddCounts, order[pair + 1]);
    }
    if (pair < n)
        tally(counts, order[pair]);
    for (size_t b = 0; b < Passes; ++b)
        for (size_t d = 0; d < counts[b].size(); ++d)
            counts[b][d] += oddCounts[b][d];
    for (size_t b = 0; b < Passes && n > 0; ++b) {
        const int shift = int(32 + Bits * b);
        auto &start = counts[b];
        if (start[(order[0] >> shift) & DigitMask] == n)
            continue; // every key has the same digit here
        quint32 sum = 0;
        for (quint32 &c : start) {
            const quint32 count = c;
            c = sum;
            sum += count;
        }
        for (size_t i = 0; i < n; ++i)
            buffer[start[(order[i] >> shift) & DigitMask]++] = order[i];
        std::swap(order, buffer);
    }
    return order;
}

// Points lists.sorted at the entries' indexes in the order of their keys, equal keys in ticket
// order. A radix sort on the upper half of each key with its index below (so a stable one)
// tells almost every key apart; the few runs that share an upper half are then sorted on the
// whole key. Large lists go by 11 bits at a time, one pass fewer than by bytes; small ones by
// bytes, whose counts are quicker to clear and add up.
void sortByKey(SortLists &lists)
{
    const SortEntry *const entries = lists.entries.get();
    constexpr quint64 IndexMask = 0xFFFFFFFFu;
    const size_t n = lists.count;
    quint64 *order = lists.words[0].get();
    for (size_t i = 0; i < n; ++i)
        order[i] = (entries[i].key >> 32) << 32 | i;
    order = n > 8192 ? radixPasses<11>(order, lists.words[1].get(), n)
                     : radixPasses<8>(order, lists.words[1].get(), n);
    const auto keyOf = [entries](quint64 v) { return entries[v & IndexMask].key; };
    for (size_t i = 1; i < n; ++i) {
        if (order[i] >> 32 != order[i - 1] >> 32)
            continue;
        const size_t start = i - 1;
        size_t end = i + 1;
        while (end < n && order[end] >> 32 == order[start] >> 32)
            ++end;
        std::stable_sort(order + start, order + end,
                         [&keyOf](quint64 x, quint64 y) { return keyOf(x) < keyOf(y); });
        i = end;
    }
    lists.sorted = order;
}

} // namespace

namespace {

constexpr double Pow10[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

// truncatedDecimals next to a cut point or beyond 1e12: rare, and kept out of the loops.
Q_DECL_COLD_FUNCTION double truncatedNearCut(double value, int decimals)
{
    const long double nanos = std::round(static_cast<long double>(value) * 1e9L);
    if (nanos < 9e18L) {
        const auto unit = static_cast<unsigned long long>(Pow10[9 - decimals]);
        const auto n = static_cast<unsigned long long>(nanos) / unit;
        return double(n) / Pow10[decimals];
    }
    // Beyond 9e9 a double has no digits left below the first decimal to round.
    return std::floor(value * Pow10[decimals]) / Pow10[decimals];
}

// truncatedDecimals and estimatedOdds, worked out in place in the loops over thousands of
// tickets.
Q_ALWAYS_INLINE double truncated(double value, int decimals)
{
    if (!(value > 0) || decimals < 0 || decimals > 8)
        return 0;
    // Away from the next cut point the 9-decimal rounding cannot reach it: truncate directly.
    const double scaled = value * Pow10[decimals];
    if (scaled < 1e12) {
        const double whole = double(qint64(scaled)); // the floor of a positive number
        if (scaled - whole < 1 - 1e-6)
            return whole / Pow10[decimals];
    }
    return truncatedNearCut(value, decimals);
}

Q_ALWAYS_INLINE double oddsFor(double payoutRatio, double probability)
{
    if (!(probability > 0))
        return 0;
    return std::max(1.0, truncated(payoutRatio / probability, 1));
}

} // namespace

double truncatedDecimals(double value, int decimals)
{
    return truncated(value, decimals);
}

double estimatedOdds(double payoutRatio, double probability)
{
    return oddsFor(payoutRatio, probability);
}

Result<bool> availability(BetType type, const RaceField &field)
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
    const int needed = type == BetType::Wide ? 3 : ticketSize(type);
    const int placed = field.placedRunners();
    if (placed < needed) {
        p.number = needed;
        p.high = placed;
        return refuse(Fault::TooFewSupported);
    }
    return Result<bool>::success(true);
}

double ticketProbability(BetType type, const FinishingOrder &order, const RaceField &field,
                         const Ticket &ticket)
{
    if (type == BetType::BracketQuinella) {
        const int x = ticket[0];
        const int y = ticket[1];
        if (x < 1 || x > 8 || y < 1 || y > 8 || order.size() < 2)
            return 0;
        return bracketQuinellas(order,
                                field)[size_t((std::min(x, y) - 1) * 8 + (std::max(x, y) - 1))];
    }
    int at[3] = {-1, -1, -1};
    for (int k = 0; k < ticketSize(type); ++k) {
        const int r = ticket[size_t(k)];
        if (r < 1 || r > order.runnerCount || order.indexOf[size_t(r)] < 0)
            return 0;
        at[k] = order.indexOf[size_t(r)];
    }
    const int size = ticketSize(type);
    if ((size >= 2 && at[0] == at[1]) || (size == 3 && (at[2] == at[0] || at[2] == at[1])))
        return 0;
    const bool third = !order.firstThree.empty();
    switch (type) {
    case BetType::Win:
        return order.win[size_t(at[0])];
    case BetType::Place:
        return place(order, at[0], paidPlaces(field));
    case BetType::Quinella:
        return quinella(order, at[0], at[1]);
    case BetType::Wide:
        return third ? wide(order, at[0], at[1]) : 0;
    case BetType::Exacta:
        return order.two(at[0], at[1]);
    case BetType::Trio:
        return third ? trio(order, at[0], at[1], at[2]) : 0;
    case BetType::Trifecta:
        return third ? order.three(at[0], at[1], at[2]) : 0;
    case BetType::BracketQuinella:
        break;
    }
    return 0;
}

namespace {

// The thread's sort lists with every ticket of a positive probability, in ticket order.
SortLists &listedTickets(BetType type, const FinishingOrder &order, const RaceField &field)
{
    // Tickets in ascending order, each with its probability as the sort key.
    SortLists &lists = threadSortLists();
    const int m = order.size();
    size_t most = type == BetType::BracketQuinella ? 36 : 1;
    for (int k = 0; k < ticketSize(type) && type != BetType::BracketQuinella; ++k)
        most *= size_t(m);
    lists.reserve(most);
    SortEntry *const entries = lists.entries.get();
    const auto add = [&](const Ticket &t, double p) {
        if (p > 0)
            entries[lists.count++] = {~std::bit_cast<quint64>(p), packTicket(t)};
    };
    const auto runner = [&](int a) { return order.runners[size_t(a)]; };
    const bool third = !order.firstThree.empty();
    switch (type) {
    case BetType::Win:
        for (int a = 0; a < m; ++a)
            add({runner(a)}, order.win[size_t(a)]);
        break;
    case BetType::Place: {
        const int places = paidPlaces(field);
        for (int a = 0; a < m; ++a)
            add({runner(a)}, place(order, a, places));
        break;
    }
    case BetType::BracketQuinella: {
        if (m < 2)
            break;
        const std::array<double, 64> sums = bracketQuinellas(order, field);
        for (int x = 1; x <= 8; ++x)
            for (int y = x; y <= 8; ++y)
                add({x, y}, sums[size_t((x - 1) * 8 + (y - 1))]);
        break;
    }
    case BetType::Quinella:
        for (int a = 0; a < m; ++a)
            for (int b = a + 1; b < m; ++b)
                add({runner(a), runner(b)}, quinella(order, a, b));
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
                    add({runner(a), runner(b), runner(c)}, trio(order, a, b, c));
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
    return lists;
}

// The same, sorted: the list is built in ascending ticket order, and a stable sort on the
// probability alone keeps equal probabilities in that order.
const SortLists &sortedTickets(BetType type, const FinishingOrder &order, const RaceField &field)
{
    SortLists &lists = listedTickets(type, order, field);
    sortByKey(lists);
    return lists;
}

Q_ALWAYS_INLINE Combination combinationOf(const SortEntry &e, double payoutRatio)
{
    const double p = std::bit_cast<double>(~e.key);
    return {unpackTicket(e.ticket), p, oddsFor(payoutRatio, p)};
}

Q_ALWAYS_INLINE size_t sortedIndex(const SortLists &lists, size_t i)
{
    return lists.sorted[i] & 0xFFFFFFFFu;
}

Q_ALWAYS_INLINE Combination combinationAt(const SortLists &lists, size_t i, double payoutRatio)
{
    return combinationOf(lists.entries[sortedIndex(lists, i)], payoutRatio);
}

// The lists' combinations, the i-th from entries[entryAt(i)].
template <typename EntryAt>
std::vector<Combination> combinationList(const SortLists &lists, double payoutRatio,
                                         EntryAt entryAt)
{
    std::vector<Combination> list;
    list.reserve(lists.count);
    for (size_t i = 0; i < lists.count; ++i)
        list.push_back(combinationOf(lists.entries[entryAt(i)], payoutRatio));
    return list;
}

} // namespace

std::vector<Combination> computeCombinations(BetType type, const FinishingOrder &order,
                                             const RaceField &field, double payoutRatio)
{
    const SortLists &lists = sortedTickets(type, order, field);
    return combinationList(lists, payoutRatio,
                           [&lists](size_t i) { return sortedIndex(lists, i); });
}

std::vector<Combination> ticketCombinations(BetType type, const FinishingOrder &order,
                                            const RaceField &field, double payoutRatio)
{
    return combinationList(listedTickets(type, order, field), payoutRatio,
                           [](size_t i) { return i; });
}

void visitCombinations(BetType type, const FinishingOrder &order, const RaceField &field,
                       double payoutRatio, const CombinationBatch &take)
{
    const SortLists &lists = sortedTickets(type, order, field);
    std::array<Combination, 512> batch;
    // The entries are read in the order of probability, all over a list that may not fit the
    // cache: each is asked for a few dozen reads ahead.
    constexpr size_t Ahead = 24;
    for (size_t from = 0; from < lists.count; from += batch.size()) {
        const size_t n = std::min(batch.size(), lists.count - from);
        for (size_t i = 0; i < n; ++i) {
            if (from + i + Ahead < lists.count)
                __builtin_prefetch(&lists.entries[sortedIndex(lists, from + i + Ahead)]);
            batch[i] = combinationAt(lists, from + i, payoutRatio);
        }
        if (!take(std::span<const Combination>(batch.data(), n)))
            return;
    }
}

Result<RaceModel> analyseRace(const OddsDocument &doc, const AnalysisParameters &parameters)
{
    Result<RaceField> field =
        parameters.combine ? combinedFieldFromDocument(doc, parameters.alpha, parameters.gamma)
                           : raceFieldFromDocument(doc, parameters.beta);
    if (!field.ok())
        return Result<RaceModel>::failure(field.problem);
    Result<FinishingOrder> order =
        modelOrder(field.value, parameters.model, parameters.lambda, parameters.rho);
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
        p.name = orderModelName(parameters.model);
        return Result<RaceModel>::failure(std::move(p));
    }
    return Result<RaceModel>::success({std::move(field.value), std::move(order.value)});
}

Result<std::vector<Combination>> analyseBetType(const RaceModel &race, BetType type,
                                                const AnalysisParameters &parameters)
{
    const Result<bool> offered = availability(type, race.field);
    if (!offered.ok())
        return Result<std::vector<Combination>>::failure(offered.problem);
    return Result<std::vector<Combination>>::success(
        computeCombinations(type, race.order, race.field, parameters.ratio(type)));
}
