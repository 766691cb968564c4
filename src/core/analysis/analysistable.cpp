#include "core/analysis/analysistable.h"

#include "core/document/oddsdocument.h"
#include "core/market/payouts.h"
#include "core/racemodel/combinedmodel.h"
#include "core/racemodel/raceresult.h"
#include "core/racemodel/valuerounding.h"
#include "core/text/numbertext.h"

#include <algorithm>

namespace {

std::map<Ticket, double> documentQuinella(const OddsDocument &copy)
{
    std::map<Ticket, double> out;
    for (const QString &item : copy.quinellaList) {
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        const QString estimate = colon < 0 ? QString() : item.mid(colon + 1).trimmed();
        if (estimate.isEmpty())
            continue;
        const QStringList ij = item.left(colon).split(QLatin1Char('-'));
        bool okI = false, okJ = false;
        const int i = ij.value(0).toInt(&okI);
        const int j = ij.value(1).toInt(&okJ);
        const double value = textToNumber(estimate);
        if (okI && okJ && value > 0)
            out[{std::min(i, j), std::max(i, j), 0}] = value;
    }
    return out;
}

} // namespace

AnalysedRace analyseDocument(const OddsDocument &doc, const AnalysisParameters &parameters)
{
    AnalysedRace race;
    OddsDocument copy = doc;
    copy.setMeasurer(nullptr);
    copy.recalculate();
    const RaceResult result =
        parseRaceResult(copy.titleText(5), positiveShares(copy.supportScores()));
    if (result.ok())
        race.finishingOrder.assign(result.places.begin(),
                                   result.places.begin() + result.placeCount);
    // The quinella view is built from the recalculated win odds, as its button does.
    if (copy.estimateQuinella())
        race.documentQuinella = documentQuinella(copy);

    const int n = std::max(copy.runnerCount, 0);
    race.runners.resize(size_t(n));
    const Grid &g = copy.runnerTable;
    for (int r = 1; r <= n; ++r) {
        RunnerInfo &info = race.runners[size_t(r - 1)];
        info.number = r;
        info.name = g.text(r + 1, ColName).trimmed();
        bool ok = false;
        const int bracket = g.text(r + 1, ColBracket).trimmed().toInt(&ok);
        info.bracket = ok && bracket >= 1 && bracket <= 8 ? bracket : 0;
        info.bracketColor = g.cellBackColor(r + 1, ColBracket);
        info.supportPercent = textToNumber(g.text(r + 1, ColSupport));
    }

    Result<RaceModel> model = analyseRace(copy, parameters);
    if (!model.ok()) {
        race.error = japaneseText(model.problem);
        return race;
    }
    race.model = std::move(model.value);
    const double ratio = parameters.ratio(BetType::Win);
    for (RunnerInfo &info : race.runners)
        if (size_t(info.number) < race.model.field.win.size())
            info.estimatedWinOdds = estimatedOdds(ratio, race.model.field.win[size_t(info.number)]);
    return race;
}

AnalysisTable buildAnalysisTable(const AnalysedRace &race, const AnalysisInputs &inputs)
{
    AnalysisTable table;
    table.type = inputs.betType;
    if (!race.error.isEmpty()) {
        table.error = race.error;
        return table;
    }
    const Result<std::vector<Combination>> combinations =
        analyseBetType(race.model, inputs.betType, inputs.parameters);
    if (!combinations.ok()) {
        table.error = japaneseText(combinations.problem);
        return table;
    }
    const bool quinella = inputs.betType == BetType::Quinella;
    table.rows.reserve(combinations.value.size());
    for (const Combination &c : combinations.value) {
        AnalysisRow row;
        row.ticket = c.runners;
        row.probability = c.probability;
        row.estimatedOdds = c.estimatedOdds;
        if (quinella) {
            const auto it = race.documentQuinella.find(c.runners);
            row.documentEstimate = it == race.documentQuinella.end() ? 0.0 : it->second;
        }
        table.rows.push_back(row);
    }
    if (!race.finishingOrder.empty()) {
        table.hasResult = true;
        const std::set<Ticket> winners = winningTickets(
            inputs.betType, race.finishingOrder, race.runnerCount(), race.model.field.bracket);
        for (AnalysisRow &row : table.rows)
            row.hit = winners.count(row.ticket) > 0;
    }
    applyActualOdds(&table, inputs.actualOf(inputs.betType));
    return table;
}

void applyActualOdds(AnalysisTable *table, const ActualOdds &actual)
{
    for (AnalysisRow &row : table->rows) {
        const auto it = actual.find(row.ticket);
        const QuotedOdds odds = it == actual.end() ? QuotedOdds() : it->second;
        row.actualOdds = odds.odds;
        row.actualUpper = odds.upper;
        const OddsValue value = row.actualOdds > 0
                                    ? valueOf(row.probability, row.actualOdds, row.estimatedOdds)
                                    : OddsValue{};
        row.ratio = value.ratio;
        row.expectedValue = value.expectedValue;
    }
}

std::vector<Ticket> ticketsByNumber(const AnalysisTable &table)
{
    std::vector<Ticket> out;
    out.reserve(table.rows.size());
    for (const AnalysisRow &row : table.rows)
        out.push_back(row.ticket);
    std::sort(out.begin(), out.end());
    return out;
}

QString ticketNames(const AnalysedRace &race, BetType type, const Ticket &ticket)
{
    QStringList names;
    for (int k = 0; k < ticketSize(type); ++k) {
        const int number = ticket[size_t(k)];
        if (type == BetType::BracketQuinella)
            names << QString::number(number) + QStringLiteral("枠");
        else if (number >= 1 && number <= race.runnerCount())
            names << race.runners[size_t(number - 1)].name;
    }
    return names.join(QStringLiteral("・"));
}

RatioBand bandOf(double ratio, const AnalysisInputs &inputs)
{
    if (!(ratio > 0))
        return RatioBand::None;
    // The thresholds are met by the ratio as shown.
    const double shown = shownRatio(ratio);
    if (shown >= roundedHalfUp(inputs.highRatio, 2))
        return RatioBand::Overlooked;
    if (shown <= roundedHalfUp(inputs.lowRatio, 2))
        return RatioBand::OverBet;
    return RatioBand::Neutral;
}
