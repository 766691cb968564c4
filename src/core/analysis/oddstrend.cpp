#include "core/analysis/oddstrend.h"

#include <algorithm>
#include <optional>

std::vector<int> snapshotsInTimeOrder(const AnalysisInputs &in, BetType type)
{
    const int count = snapshotCount(in, type);
    // Oldest first, as taken; the timed ones are then sorted within the places they hold, so
    // that a time corrected by hand moves its snapshot while one without a time stays put.
    std::vector<int> order;
    std::vector<size_t> timedPlaces;
    std::vector<std::pair<QDateTime, int>> timed;
    for (int index = count - 1; index >= 0; --index) {
        const QString time = snapshotTimeOf(in, type, index);
        if (index == 0 && time.isEmpty() && snapshotOdds(in, type, 0).empty())
            continue;
        if (const std::optional<QDateTime> t = parseSnapshotTime(time)) {
            timedPlaces.push_back(order.size());
            timed.emplace_back(*t, index);
        }
        order.push_back(index);
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (size_t k = 0; k < timed.size(); ++k)
        order[timedPlaces[k]] = timed[k].second;
    return order;
}

std::vector<QString> snapshotLabels(const std::vector<QString> &times)
{
    std::vector<std::optional<QDateTime>> parsed;
    bool seconds = false;
    QDate firstDay;
    bool severalDays = false;
    for (const QString &text : times) {
        parsed.push_back(parseSnapshotTime(text));
        if (!parsed.back())
            continue;
        const QDateTime &t = *parsed.back();
        seconds = seconds || t.time().second() != 0;
        if (!firstDay.isValid())
            firstDay = t.date();
        severalDays = severalDays || t.date() != firstDay;
    }
    const QString format = QString(severalDays ? QStringLiteral("M/d ") : QString()) +
                           (seconds ? QStringLiteral("HH:mm:ss") : QStringLiteral("HH:mm"));
    std::vector<QString> labels;
    for (const std::optional<QDateTime> &t : parsed)
        labels.push_back(t ? t->toString(format) : QStringLiteral("時刻なし"));
    return labels;
}

OddsTrend winOddsTrend(const AnalysisInputs &in, int runnerCount)
{
    OddsTrend trend;
    trend.snapshots = snapshotsInTimeOrder(in, BetType::Win);
    trend.odds.assign(size_t(std::max(runnerCount, 0)),
                      std::vector<double>(trend.snapshots.size(), 0.0));
    for (size_t k = 0; k < trend.snapshots.size(); ++k) {
        const int index = trend.snapshots[k];
        trend.times.push_back(snapshotTimeOf(in, BetType::Win, index));
        // Odds of runners the race no longer has are kept in the snapshot, not shown.
        for (const auto &[ticket, quoted] : snapshotOdds(in, BetType::Win, index))
            if (ticket[0] >= 1 && ticket[0] <= runnerCount)
                trend.odds[size_t(ticket[0] - 1)][k] = quoted.odds;
    }
    trend.labels = snapshotLabels(trend.times);
    return trend;
}
