#pragma once
// The actual odds and payouts of one bet type of an analysis file, as the back-test needs them,
// read by the analysis window's own reader: a file the window refuses is refused here too.

#include "core/racemodel/bettypes.h"
#include "core/racemodel/result.h"

#include <QByteArray>
#include <QString>
#include <QTime>
#include <map>
#include <optional>
#include <utility>
#include <vector>

struct BetOdds
{
    bool hasOdds = false;                        // a snapshot was chosen and holds odds
    std::vector<std::pair<Ticket, double>> odds; // ascending tickets; a range's lower end
    std::map<Ticket, qint64> payouts;            // yen per 100 yen
};

// From the bytes of an analysis file of version 1 to 3: the latest snapshot of the bet type,
// or with `at` the one snapshotAt chooses, and the payouts of the type. Not ok, as
// parseSidecarBytes, when the file cannot be read.
Result<BetOdds> readBetOdds(const QByteArray &bytes, BetType type, std::optional<QTime> at);

// The same from a file, as readSidecar reads it; a missing file has no odds.
Result<BetOdds> readBetOddsFile(const QString &path, BetType type, std::optional<QTime> at);
