#pragma once
// A betting rule played over a season of races in order: which tickets it buys, what it stakes
// and what comes back, with the running profit, its worst fall and the longest losing run.

#include "core/market/payouts.h"
#include "core/racemodel/bettypes.h"

#include <QDate>
#include <QString>
#include <map>
#include <optional>
#include <set>
#include <vector>

struct BacktestTicket
{
    Ticket ticket{};
    double probability = 0;
    double estimatedOdds = 0; // 0 when the model gives the ticket no chance
    double odds = 0;          // actual odds (the lower end of a range)
};

// One race as the rule sees it: its tickets with actual odds, the tickets that won and the
// official payouts of the bet type.
struct BacktestRace
{
    QString file;
    std::vector<BacktestTicket> tickets;
    std::set<Ticket> winners;
    std::map<Ticket, qint64> payouts; // yen per 100 yen
};

struct BacktestRule
{
    enum class Select { Ratio, ExpectedValue };
    Select select = Select::Ratio;
    // actual / estimated rounded to two decimals, or P x actual rounded to three, at least this.
    double threshold = 1.2;
    bool kelly = false;
    qint64 flatStake = 100;   // yen on each ticket bought
    double kellyFraction = 1; // with kelly: stakes as kelly() gives them
    qint64 bankroll = 100000; // with kelly: the bankroll before the first race
};

struct BacktestLine
{
    QString file;
    int tickets = 0;
    qint64 staked = 0;
    qint64 returned = 0;
    qint64 profit = 0;         // cumulative, after this race
    std::optional<QDate> date; // the race's date field, when it holds one
    // A sum of yen past 64 bits: the race is not played and the back-test stops.
    bool overflow = false;
};

struct BacktestSummary
{
    int races = 0;    // counted
    int betRaces = 0; // with a ticket bought
    int tickets = 0;
    int hits = 0;
    qint64 staked = 0;
    qint64 returned = 0;
    qint64 profit = 0;
    qint64 maxDrawdown = 0; // largest fall of the profit from its highest point, which starts at 0
    int longestLosing = 0;  // bet races returning less than staked, in a row
    int fromOdds = 0;       // winning tickets paid at their odds for want of a payout

    double recovery() const { return staked > 0 ? double(returned) / double(staked) : 0.0; }
};

// The tickets bought, by band of actual odds and by the model's rank of the ticket in its race
// (1 = the most probable): tickets, hits, expected hits (Σ probability), stake and return.
struct BacktestBand
{
    double low = 0;  // odds from, or the first rank
    double high = 0; // odds below, or the last rank (0: no end)
    int tickets = 0;
    int hits = 0;
    double expected = 0;
    qint64 staked = 0;
    qint64 returned = 0;

    double recovery() const { return staked > 0 ? double(returned) / double(staked) : 0.0; }
};

struct BacktestBreakdown
{
    // Odds 1–2, 2–5, 5–10, 10–20, 20–50, 50–100, 100 and above.
    std::vector<BacktestBand> odds = bands({1, 2, 5, 10, 20, 50, 100});
    // Ranks 1, 2, 3, 4–5, 6–10, 11–20, 21–50, 51 and below.
    std::vector<BacktestBand> ranks = bands({1, 2, 3, 4, 6, 11, 21, 51});

    // Bands from each start to the next (the last without an end); for ranks the end is the
    // next start less one.
    static std::vector<BacktestBand> bands(const std::vector<double> &starts);
};

// The tickets the rule's threshold buys, in the order given.
std::vector<BacktestTicket> selectedTickets(const BacktestRule &rule,
                                            const std::vector<BacktestTicket> &tickets);
// Of those, the ones a stake can fall on: with Kelly stakes only the Kelly set, which does not
// depend on the bankroll. A race can be kept with these alone.
std::vector<BacktestTicket> stakeableTickets(const BacktestRule &rule,
                                             const std::vector<BacktestTicket> &tickets);

class Backtest
{
public:
    explicit Backtest(const BacktestRule &rule) : m_rule(rule) {}

    // Plays the next race. Every sum of yen is checked: one past 64 bits leaves the summary
    // as it was and returns a line marked overflow.
    BacktestLine add(const BacktestRace &race);
    const BacktestSummary &summary() const { return m_summary; }
    const BacktestBreakdown &breakdown() const { return m_breakdown; }

private:
    // Stakes on the bought tickets, 0 for none.
    std::vector<qint64> stakes(const std::vector<BacktestTicket> &bought) const;

    BacktestRule m_rule;
    BacktestSummary m_summary;
    BacktestBreakdown m_breakdown;
    qint64 m_peak = 0;
    int m_losingRun = 0;
};

// A season's documents in the order they are played: by date, unreadable dates last, then in
// byte order of their paths.
struct DatedPath
{
    QString path;
    std::optional<QDate> date;
};
// The indices of the documents in that order.
std::vector<size_t> dateOrder(const std::vector<DatedPath> &documents);
