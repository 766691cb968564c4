#pragma once
// The eight JRA bet types: names, payout ratios and the text of a ticket.

#include "core/racemodel/result.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

enum class BetType { Win, Place, BracketQuinella, Quinella, Wide, Exacta, Trio, Trifecta };

inline constexpr std::array<BetType, 8> AllBetTypes = {
    BetType::Win,    BetType::Place, BetType::BracketQuinella, BetType::Quinella, BetType::Wide,
    BetType::Exacta, BetType::Trio,  BetType::Trifecta};

// "単勝", "複勝", ... as the tickets say.
QString betTypeLabel(BetType type);
// "win", "place", "bracket-quinella", ...: the name on the command line.
QString betTypeName(BetType type);
std::optional<BetType> betTypeFromName(QStringView name);
// What a user may type for a bet type: its name or its label, the label's digits half- or
// full-width ("3連単", "３連単").
std::optional<BetType> betTypeFromUserText(QStringView text);

// Runners (brackets for the bracket quinella) a ticket names: 1, 2 or 3.
int ticketSize(BetType type);
// Whether the ticket names a finishing order ("1>2") rather than a set ("1-2").
bool isOrdered(BetType type);
// Whether exactly one ticket of the type wins a race (Kelly staking needs that).
bool hasSingleWinner(BetType type);
// JRA payout ratios since 7 June 2014: win and place 0.80, bracket quinella, quinella and
// wide 0.775, exacta and trio 0.75, trifecta 0.725.
double defaultPayoutRatio(BetType type);

// Runner (or bracket) numbers of one ticket: in finishing order for ordered types, ascending
// for the others; slots past ticketSize are 0.
using Ticket = std::array<int, 3>;

// "7", "1-2", "1>2>3". Unordered tickets are written ascending.
QString ticketText(BetType type, const Ticket &ticket);
// "7", "1-2", "1>2>3": a ticket of the type as examples show it.
QString ticketExample(BetType type);

// Full-width forms as their ASCII ones (NFKC), every dash or minus sign as "-".
QString normalizedOddsText(QStringView text);

// Reads a ticket of the type: numbers without leading zeros from 1 to highest (full-width
// forms read), joined by "-" (unordered, any order) or by ">" or "→" (ordered), blanks allowed
// around them. Repeated runners are refused, except a bracket quinella's two runners of one
// bracket ("8-8").
Result<Ticket> parseTicket(BetType type, QStringView text, int highest);
