#pragma once
// Odds the market shows, read from text, and what they are worth under the model.

#include "core/racemodel/bettypes.h"
#include "core/racemodel/result.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <set>

// 1.0 to 99,999,999.9 with one decimal: every entry point takes these and no others, so that
// whatever is entered can be written to an analysis file and read back equal.
inline constexpr double LowestOdds = 1.0;
inline constexpr double HighestOdds = 99999999.9;

// One ticket's odds: a value, or for place and wide the range the market shows ("3.4-4.1"),
// whose lower end is the value used for expected values and stakes.
struct QuotedOdds
{
    double odds = 0;  // the value used; the lower end of a range
    double upper = 0; // the upper end of a range; 0 for a single value

    QuotedOdds() = default;
    QuotedOdds(double value, double upperEnd = 0) : odds(value), upper(upperEnd) {}
    bool operator==(const QuotedOdds &) const = default;
};

using ActualOdds = std::map<Ticket, QuotedOdds>;

// "12.3", "12.0", "3.4-4.1": one decimal, as odds are quoted.
QString oddsText(const QuotedOdds &odds);

// A field of odds: digits with at most one decimal (more only as trailing zeros), thousands
// commas in groups of three, full-width forms; a range "low-high" for place and wide. Not ok
// outside 1.0 to 99,999,999.9 (Fault::NotOdds) or for a range of another bet type.
Result<QuotedOdds> parseOdds(QStringView text, BetType type);

// "取消", "除外" or "---" in the odds field: the runner is scratched, the ticket has no odds.
bool isScratched(QStringView text);

struct OddsLines
{
    ActualOdds odds;
    std::set<Ticket> scratched; // tickets whose line says they have no odds
};

// Text of an odds file: UTF-8 (with or without byte-order mark) when the bytes are valid
// UTF-8, else code page 932.
QString decodeOddsText(const QByteArray &bytes);

// Lines "TICKET ODDS": the fields TAB-separated, or without a TAB separated by blanks (blanks
// around "-", ">" and "→" join). A first line without a digit is a header: the field named
// 実オッズ (else the one naming オッズ, not 推定オッズ) is the odds column, the first the ticket;
// without such a header a line holds exactly two fields. An empty odds field under a header
// and a scratched mark leave the ticket without odds. Two lines giving one ticket different
// odds are refused, naming both. All or nothing: not ok at the first line that cannot be
// read, naming it. highest: the highest runner (bracket) number of the race.
Result<OddsLines> parseActualOdds(const QString &text, BetType type, int highest);

// The same from a file or a pipe, "-" for standard input (at most 16 MB; a folder, device or
// socket is refused).
Result<OddsLines> readActualOdds(const QString &path, BetType type, int highest);

struct OddsValue
{
    double expectedValue = 0; // probability x actual odds: the return per yen staked
    double ratio = 0;         // actual / estimated odds; 0 without estimated odds
};
OddsValue valueOf(double probability, double actualOdds, double estimatedOdds);
