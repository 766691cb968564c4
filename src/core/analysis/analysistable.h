#pragma once
// The rows the analysis window shows: a document's race analysed from a recalculated copy (the
// document itself is never changed), and every ticket of one bet type with its estimated and
// actual odds.

#include "core/analysisfile/analysisinputs.h"
#include "core/document/grid.h"

#include <QString>
#include <map>
#include <vector>

class OddsDocument;

struct RunnerInfo
{
    int number = 0;
    QString name;
    int bracket = 0;              // 0 when column 1 holds none
    Color bracketColor = NoColor; // as the document paints column 1
    double supportPercent = 0;    // the support column after recalculation
    double estimatedWinOdds = 0;  // 0 for a runner who takes no place
};

struct AnalysedRace
{
    QString error; // why the race cannot be analysed, in Japanese; empty when it can
    RaceModel model;
    std::vector<RunnerInfo> runners; // runners 1..n at 0..n-1
    // The document's own quinella estimates ("i-j:estimate" of its quinella view).
    std::map<Ticket, double> documentQuinella;
    // The first places of the document's result field; empty when it holds no usable result.
    std::vector<int> finishingOrder;

    int runnerCount() const { return int(runners.size()); }
    // Runners for most tickets, brackets for the bracket quinella.
    int highest(BetType type) const { return type == BetType::BracketQuinella ? 8 : runnerCount(); }
};

// Recalculates a copy of doc as 集計 would and analyses it under the parameters.
AnalysedRace analyseDocument(const OddsDocument &doc, const AnalysisParameters &parameters);

struct AnalysisRow
{
    Ticket ticket{};
    double probability = 0;
    double estimatedOdds = 0;
    double actualOdds = 0;       // 0 when none is entered
    double actualUpper = 0;      // the upper end of a range of place or wide odds; else 0
    double ratio = 0;            // actual / estimated; 0 without actual odds
    double expectedValue = 0;    // probability x actual odds; 0 without actual odds
    double documentEstimate = 0; // quinella only: the document's own estimate; 0 when none
    bool hit = false;            // the ticket won, by the document's result
};

struct AnalysisTable
{
    BetType type = BetType::Quinella;
    QString error; // why there are no rows (the type is not sold, the race has no support), in
                   // Japanese
    std::vector<AnalysisRow> rows; // most probable first
    bool hasResult = false;        // the document has a result: the rows say which won
};

AnalysisTable buildAnalysisTable(const AnalysedRace &race, const AnalysisInputs &inputs);
// Only the actual odds and what follows from them: pasting or typing needs no new analysis.
void applyActualOdds(AnalysisTable *table, const ActualOdds &actual);

// The table's tickets ordered by their runner numbers: the order a bare column of odds is read.
std::vector<Ticket> ticketsByNumber(const AnalysisTable &table);

// "name・name" of the ticket's runners; brackets for the bracket quinella ("1枠・3枠").
QString ticketNames(const AnalysedRace &race, BetType type, const Ticket &ticket);

enum class RatioBand { None, Overlooked, Neutral, OverBet };
RatioBand bandOf(double ratio, const AnalysisInputs &inputs);
