#include "core/analysis/backtestrun.h"

#include "core/analysis/analysisinputs.h"
#include "core/analysis/combinedmodel.h"
#include "core/analysis/raceresult.h"
#include "core/analysis/sidecarodds.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/text/datetext.h"

#include <algorithm>

namespace {

// A ticket as an index below 37^3 (runners and brackets are at most 36).
size_t key(const Ticket &t)
{
    return (size_t(t[0]) * 37 + size_t(t[1])) * 37 + size_t(t[2]);
}

// The tickets with actual odds, each with its probability and estimated odds (0 when the
// model gives it no chance or the race cannot be modelled).
std::vector<BacktestTicket> tickets(const std::vector<std::pair<Ticket, double>> &odds,
                                    const Result<RaceModel> &model, const BacktestSettings &s)
{
    std::vector<Combination> combinations;
    if (model.ok() && availability(s.bet, model.value.field).ok())
        combinations = ticketCombinations(s.bet, model.value.order, model.value.field,
                                          s.parameters.ratio(s.bet));
    // Thousands of tickets a race: looked up by their numbers, not sorted.
    thread_local std::vector<int> at(37 * 37 * 37, -1);
    for (size_t i = 0; i < combinations.size(); ++i)
        at[key(combinations[i].runners)] = int(i);
    std::vector<BacktestTicket> tickets;
    tickets.reserve(odds.size());
    for (const auto &[ticket, value] : odds) {
        const int i = at[key(ticket)];
        if (i >= 0)
            tickets.push_back({ticket, combinations[size_t(i)].probability,
                               combinations[size_t(i)].estimatedOdds, value});
        else
            tickets.push_back({ticket, 0, 0, value});
    }
    for (const Combination &c : combinations)
        at[key(c.runners)] = -1;
    return tickets;
}

} // namespace

BacktestEntry readBacktestEntry(const QString &file, const BacktestSettings &s)
{
    BacktestEntry entry;
    entry.file = file;
    entry.race.file = file;
    OddsDocument document;
    OddsDocument *doc = &document;
    doc->startFresh(1, QDate::currentDate());
    if (!loadDocument(*doc, file).ok)
        return entry;
    doc->recalculate();
    entry.date = parseDateField(doc->titleText(1));
    const RaceResult result =
        parseRaceResult(doc->titleText(5), positiveShares(doc->supportScores()));
    if (!result.ok())
        return entry;
    const Result<BetOdds> odds = readBetOddsFile(sidecarPath(file), s.bet, s.at);
    if (!odds.ok()) {
        entry.problem = odds.error;
        return entry;
    }
    if (!odds.value.hasOdds)
        return entry;
    entry.counts = true;
    // The field and order exactly as exotics makes them under the same options.
    const Result<RaceModel> model = analyseRace(*doc, s.parameters);
    entry.race.tickets = stakeableTickets(s.rule, tickets(odds.value.odds, model, s));
    const Result<RaceField> field = raceFieldFromDocument(*doc, 1);
    const std::vector<int> order(result.places.begin(), result.places.begin() + result.placeCount);
    entry.race.winners = winningTickets(s.bet, order, std::max(doc->runnerCount, 0),
                                        field.ok() ? field.value.bracket : std::vector<int>{});
    entry.race.payouts = odds.value.payouts;
    return entry;
}

BacktestReport runBacktest(const QStringList &files, const BacktestSettings &settings,
                           const std::function<bool(int, int)> &progress)
{
    BacktestReport report;
    std::vector<BacktestEntry> counted;
    for (qsizetype i = 0; i < files.size(); ++i) {
        BacktestEntry e = readBacktestEntry(files[i], settings);
        if (!e.problem.isEmpty())
            report.problems << sidecarPath(e.file) + QStringLiteral(": ") + e.problem;
        if (e.counts)
            counted.push_back(std::move(e));
        if (progress && !progress(int(i + 1), int(files.size()))) {
            report.cancelled = true;
            return report;
        }
    }
    std::vector<DatedPath> dated;
    for (const BacktestEntry &e : counted)
        dated.push_back({e.file, e.date});
    Backtest backtest(settings.rule);
    for (const size_t i : dateOrder(dated))
        report.lines.push_back(backtest.add(counted[i].race));
    report.summary = backtest.summary();
    return report;
}
