#include "core/backtest/backtestrun.h"

#include "core/analysisfile/analysisinputs.h"
#include "core/analysisfile/sidecarodds.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/racemodel/combinedmodel.h"
#include "core/racemodel/raceresult.h"
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
    const FileResult loaded = loadDocument(*doc, file);
    if (!loaded.ok) {
        entry.reason = QStringLiteral("unreadable: ") + loaded.message;
        entry.reasonText = QStringLiteral("読めない: ") + loaded.message;
        return entry;
    }
    doc->recalculate();
    entry.date = parseDateField(doc->titleText(1));
    const RaceResult result =
        parseRaceResult(doc->titleText(5), positiveShares(doc->supportScores()));
    if (!result.ok()) {
        entry.reason = exclusionWord(result.exclusion, result);
        entry.reasonText = exclusionText(result.exclusion, result);
        return entry;
    }
    const QString sidecar = sidecarPath(file);
    const Result<BetOdds> odds = readBetOddsFile(sidecar, s.bet, s.at);
    if (!odds.ok()) {
        entry.problem = odds.error;
        entry.reason = QStringLiteral("unreadable analysis file: ") + odds.error;
        entry.reasonText = QStringLiteral("読めない分析ファイル: ") + japaneseText(odds.problem);
        return entry;
    }
    if (!odds.value.hasOdds) {
        entry.reason = QStringLiteral("no actual %1 odds").arg(betTypeName(s.bet));
        entry.reasonText = QStringLiteral("%1の実オッズがない").arg(betTypeLabel(s.bet));
        return entry;
    }
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

BacktestReport runBacktest(const SeasonFiles &files, const BacktestSettings &settings,
                           const std::function<bool(int, int)> &progress)
{
    BacktestReport report;
    report.duplicates = files.duplicates;
    std::vector<BacktestEntry> counted;
    const qsizetype total = files.files.size();
    for (qsizetype i = 0; i < total; ++i) {
        const QString &file = files.files[i];
        BacktestEntry e;
        if (const QString why = files.refusal(file); !why.isEmpty()) {
            e.file = file;
            e.reason = QStringLiteral("unreadable: ") + why;
            e.reasonText =
                QStringLiteral("読めない: ") + (why.startsWith(QLatin1String("the name"))
                                                    ? QStringLiteral("名前が UTF-8 ではありません")
                                                    : why);
        } else {
            e = readBacktestEntry(file, settings);
        }
        if (!e.problem.isEmpty())
            report.problems << sidecarPath(e.file) + QStringLiteral(": ") + e.problem;
        if (e.counts)
            counted.push_back(std::move(e));
        else
            report.excluded.push_back({e.file, e.reason, e.reasonText});
        if (progress && !progress(int(i + 1), int(total))) {
            report.cancelled = true;
            return report;
        }
    }
    std::vector<DatedPath> dated;
    for (const BacktestEntry &e : counted)
        dated.push_back({e.file, e.date});
    Backtest backtest(settings.rule);
    for (const size_t i : dateOrder(dated)) {
        BacktestLine line = backtest.add(counted[i].race);
        line.date = counted[i].date;
        if (line.overflow) {
            report.overflow = line.file;
            break;
        }
        report.lines.push_back(std::move(line));
    }
    report.summary = backtest.summary();
    report.breakdown = backtest.breakdown();
    return report;
}

BacktestReport runBacktest(const QStringList &files, const BacktestSettings &settings,
                           const std::function<bool(int, int)> &progress)
{
    SeasonFiles given;
    given.files = files;
    return runBacktest(given, settings, progress);
}
