#include "core/analysisfile/sidecarodds.h"

#include "core/analysisfile/analysisinputs.h"
#include "core/market/oddssnapshots.h"
#include "core/market/payouts.h"

namespace {

// The chosen snapshot's odds and the payouts of the type, from inputs the analysis window's
// reader gave.
Result<BetOdds> betOdds(const Result<AnalysisInputs> &read, BetType type, std::optional<QTime> at)
{
    if (!read.ok()) {
        Result<BetOdds> failed;
        failed.error = read.error;
        failed.problem = read.problem;
        return failed;
    }
    const AnalysisInputs &in = read.value;
    BetOdds out;
    for (const auto &[key, yen] : in.payouts)
        if (key.first == type)
            out.payouts[key.second] = yen;
    // A bet type without a latest section has no snapshot at all.
    OddsHistory history;
    if (!in.actualOf(type).empty() || !in.latestTime[size_t(type)].isEmpty() ||
        !in.earlierOf(type).empty()) {
        history.push_back({in.latestTime[size_t(type)], {}});
        for (const OddsSnapshot &s : in.earlierOf(type))
            history.push_back({s.time, {}});
    }
    const int chosen = snapshotAt(history, at);
    if (chosen < 0)
        return Result<BetOdds>::success(std::move(out));
    const ActualOdds &odds = snapshotOdds(in, type, chosen);
    out.odds.reserve(odds.size());
    for (const auto &[ticket, value] : odds)
        out.odds.emplace_back(ticket, value.odds);
    out.hasOdds = !out.odds.empty();
    return Result<BetOdds>::success(std::move(out));
}

} // namespace

Result<BetOdds> readBetOdds(const QByteArray &bytes, BetType type, std::optional<QTime> at)
{
    return betOdds(parseSidecarBytes(bytes, {type, !at.has_value()}), type, at);
}

Result<BetOdds> readBetOddsFile(const QString &path, BetType type, std::optional<QTime> at)
{
    return betOdds(readSidecar(path, {type, !at.has_value()}), type, at);
}
