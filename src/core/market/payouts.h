#pragma once
// The official payouts (払戻金) of a race: what each winning ticket paid per 100 yen, read from
// the text a results page gives and checked against the race's finishing order.

#include "core/racemodel/bettypes.h"
#include "core/racemodel/result.h"

#include <QString>
#include <map>
#include <set>
#include <utility>
#include <vector>

// Yen per 100 yen staked, by bet type and ticket.
using Payouts = std::map<std::pair<BetType, Ticket>, qint64>;

// Lines as results pages give them: "単勝 7 350円", "複勝 7 150円 3 210円 12 380円",
// "馬連 3-7 1,230円 5番人気", "3連単 3→7→12 45,670円"; full-width forms, "円", thousands commas
// and a popularity after each amount are optional. A line that starts with a ticket continues
// the bet type of the line above. Runners (brackets for 枠連) from 1 to highest. All or
// nothing: not ok at the first line that cannot be read, naming it.
Result<Payouts> parsePayoutText(const QString &text, int highest);

// "quinella 3-7" and the amount: one line of the analysis file's payout section.
QString payoutKeyText(BetType type, const Ticket &ticket);
// The key back (runners up to 36, brackets up to 8); not ok naming what is wrong.
Result<std::pair<BetType, Ticket>> parsePayoutKey(const QString &key);

// The tickets of the type that a finishing order wins (runner numbers, first place first;
// places past the order's end are unknown): place takes the first two places below 8 runners,
// else three; wide every pair of them; the bracket quinella needs the brackets of the first
// two (index by runner number, 0 = unknown) and has no winner without them. Empty when the
// order is too short to decide.
std::set<Ticket> winningTickets(BetType type, const std::vector<int> &order, int runnerCount,
                                const std::vector<int> &brackets);

// Empty when every payout names a ticket the order wins; else a message naming the payout
// and the result. Types the order is too short to decide are not checked.
QString payoutContradiction(const Payouts &payouts, const std::vector<int> &order, int runnerCount,
                            const std::vector<int> &brackets);

// One line per payout as the window shows them and parsePayoutText reads them back:
// "馬連 3-7 1,230円", in the order of the bet types, then of the tickets.
QString payoutLinesText(const Payouts &payouts);

// What the window enters: the payouts of the text (parsePayoutText), refused whole when one
// contradicts the race's result (payoutContradiction) or cannot be read; the reason in Japanese.
Result<Payouts> readRacePayouts(const QString &text, int runnerCount, const std::vector<int> &order,
                                const std::vector<int> &brackets);
