#pragma once
// The actual odds and payouts of one bet type read straight from the bytes of an analysis
// file, as the back-test needs them: only the sections of that type and the payouts are
// read, and only the chosen snapshot's lines are parsed.

#include "core/analysis/bettypes.h"
#include "core/analysis/result.h"

#include <QByteArray>
#include <QString>
#include <QTime>
#include <map>
#include <optional>
#include <utility>
#include <vector>

// A ticket as parseTicket reads it, from ASCII bytes: false for any text it refuses.
bool readTicketBytes(BetType type, const char *begin, const char *end, int highest, Ticket *ticket);
// Odds "12.3" or a range "3.4-4.1", each from 1.0 to 99,999,999.9, the lower end first.
// upper is 0 for a single value.
bool readOddsBytes(const char *begin, const char *end, double *odds, double *upper);

struct BetOdds
{
    bool hasOdds = false;                        // a snapshot was chosen and holds odds
    std::vector<std::pair<Ticket, double>> odds; // ascending tickets; a range's lower end
    std::map<Ticket, qint64> payouts;            // yen per 100 yen
};

// From the bytes of an analysis file of version 1 to 3: the latest snapshot of the bet type,
// or with `at` the one snapshotAt chooses, and the payouts of the type. Not ok, naming the
// line, when a line it reads is malformed or the file is of a later version.
Result<BetOdds> readBetOdds(const QByteArray &bytes, BetType type, std::optional<QTime> at);

// The same from a file; a missing file has no odds.
Result<BetOdds> readBetOddsFile(const QString &path, BetType type, std::optional<QTime> at);
