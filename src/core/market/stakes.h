#pragma once
// How much to put on each ticket: dutching a budget over chosen tickets, and Kelly stakes
// over the tickets of one bet type.

#include "core/racemodel/bettypes.h"
#include "core/racemodel/result.h"

#include <QtGlobal>
#include <vector>

struct DutchingLine
{
    double odds = 0;
    qint64 stake = 0;  // yen, a multiple of 100
    qint64 payout = 0; // yen, if this ticket wins
};

struct Dutching
{
    std::vector<DutchingLine> lines; // in the order of the odds given
    double combinedOdds = 0;         // 1 / sum 1/O, truncated to two decimals
    qint64 total = 0;
    qint64 minPayout = 0;
    qint64 maxPayout = 0;
    bool loss = false; // the smallest payout is below the total staked
};

// Budgets and bankrolls: at most 10^12 yen.
inline constexpr qint64 MaxStakeYen = 1000000000000LL;

// Spreads budget yen over tickets with the given odds so that each pays about the same:
// stake = budget x C / O rounded to the nearest 100 yen (halves up), at least 100.
// Not ok without tickets, with odds that are not positive, a budget outside 1 to
// MaxStakeYen, or a payout beyond 64 bits (naming the ticket by names[i], else its place).
Result<Dutching> dutch(const std::vector<double> &odds, qint64 budget,
                       const std::vector<QString> &names = {});

struct KellyCandidate
{
    Ticket ticket{};
    double probability = 0;
    double odds = 0; // actual odds
};

struct KellyStake
{
    Ticket ticket{};
    double probability = 0;
    double odds = 0;
    double fraction = 0; // of the bankroll, at full Kelly
    qint64 stake = 0;    // yen, rounded down to 100
};

struct KellyStakes
{
    std::vector<KellyStake> stakes; // in the order they joined the set
    double reserve = 1;             // R_S: the part of the bankroll kept back, at full Kelly
};

// Smoczynski & Tomkins (2010): the optimal Kelly set over mutually exclusive outcomes.
// Candidates by expected return P x O, largest first; each joins while P x O exceeds
// R_S = (1 - sum_S P) / (1 - sum_S 1/O); then f = P - R_S / O, and the stake is
// bankroll x f x kellyFraction rounded down to 100 yen. Not ok for a bankroll outside 1 to
// MaxStakeYen, a fraction outside (0, 1], odds not positive or probabilities outside [0, 1]
// or summing above 1.
Result<KellyStakes> kelly(std::vector<KellyCandidate> candidates, qint64 bankroll,
                          double kellyFraction);
