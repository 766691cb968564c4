#pragma once
// The actual odds of one bet type as they moved: snapshots taken at each paste, newest first.

#include "core/market/actualodds.h"

#include <QDateTime>
#include <QString>
#include <QTime>
#include <optional>
#include <vector>

struct OddsSnapshot
{
    QString time; // "yyyy-mm-dd hh:mm:ss" local time; empty when unknown
    ActualOdds odds;

    bool operator==(const OddsSnapshot &) const = default;
};

// Newest first: the first is the latest, the one the analysis uses.
using OddsHistory = std::vector<OddsSnapshot>;

// Older ones go first beyond this many per bet type.
inline constexpr int MaxSnapshots = 200;

// "yyyy-mm-dd hh:mm:ss".
QString snapshotTimeText(const QDateTime &time);
// The time of such a text; nothing for any other text.
std::optional<QDateTime> parseSnapshotTime(const QString &text);

// The snapshot in effect at a time of day: the latest without one, else the last one taken at
// or before that time on the day of the newest snapshot (an earlier place in the history wins
// a tie). A snapshot without a time counts as the latest only. -1 when none is.
int snapshotAt(const OddsHistory &history, std::optional<QTime> at);

// "HH:MM" from 00:00 to 23:59; nothing for any other text.
std::optional<QTime> parseTimeOfDay(const QString &text);

// How a ticket's odds moved since the previous snapshot.
struct OddsMove
{
    double changePercent = 0; // (now - previous) / previous in percent, one decimal, halves up
    bool suddenDrop = false;  // fell by at least the threshold (急落)
};
// A fall of (previous - now) / previous >= thresholdPercent / 100 is sudden; compared as the
// percentage shown, so a row showing -30.0 % is flagged at 30.
OddsMove moveOf(double previous, double now, double thresholdPercent);

// The 急落 threshold in percent while the settings hold none.
inline constexpr double DefaultDropThreshold = 30;
// DropThreshold in [Analysis] of the settings file, above 0 up to 100 percent; the default
// for a missing or unreadable value.
double loadDropThreshold(const QString &settingsFile);
bool saveDropThreshold(const QString &settingsFile, double percent);
