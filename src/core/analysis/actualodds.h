#pragma once
// Odds the market shows, read from a text file, and what they are worth under the model.

#include "core/analysis/bettypes.h"
#include "core/analysis/result.h"

#include <QByteArray>
#include <QString>
#include <map>

using ActualOdds = std::map<Ticket, double>;

// Text of an odds file: UTF-8 (with or without byte-order mark) when the bytes are valid
// UTF-8, else code page 932.
QString DecodeOddsText(const QByteArray &bytes);

// Every non-empty line: its first TAB-separated field a ticket of the type (runners or
// brackets 1 to highest), its last field positive odds; a later line for the same ticket
// wins. Not ok at the first line that is not such a line, naming it ("line 3: ...").
Result<ActualOdds> ParseActualOdds(const QString &text, BetType type, int highest);

// The same from a file or a pipe, "-" for standard input (at most 16 MB; a folder, device or
// socket is refused).
Result<ActualOdds> ReadActualOdds(const QString &path, BetType type, int highest);

struct OddsValue
{
    double expectedValue = 0; // probability x actual odds: the return per yen staked
    double ratio = 0;         // actual / estimated odds; 0 without estimated odds
};
OddsValue ValueOf(double probability, double actualOdds, double estimatedOdds);
