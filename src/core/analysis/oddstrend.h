#pragma once
// How each runner's win odds moved over the win snapshots, shaped for a chart.

#include "core/analysisfile/analysisinputs.h"

#include <QString>
#include <vector>

struct OddsTrend
{
    // The snapshots shown, oldest first: their index (0 the latest, as snapshotOdds takes it),
    // time ("yyyy-mm-dd hh:mm:ss", empty when unknown) and axis label.
    std::vector<int> snapshots;
    std::vector<QString> times;
    std::vector<QString> labels;
    // odds[r][k]: the win odds of runner r + 1 in snapshots[k]; 0 where it has none.
    std::vector<std::vector<double>> odds;

    bool operator==(const OddsTrend &) const = default;
};

// The snapshots of a bet type in the order they are shown: snapshots with a time in the order of
// their times (equal times as taken), each snapshot without one where it was taken among the
// others; an empty latest snapshot without a time (nothing entered yet) is left out.
std::vector<int> snapshotsInTimeOrder(const AnalysisInputs &in, BetType type);

// Axis labels for snapshot times: "hh:mm", "hh:mm:ss" when a time has seconds, "M/d hh:mm" when
// the times span more than one day; "時刻なし" for a snapshot without a time.
std::vector<QString> snapshotLabels(const std::vector<QString> &times);

// The win odds of runners 1 to runnerCount over the win snapshots.
OddsTrend winOddsTrend(const AnalysisInputs &in, int runnerCount);
