#pragma once
// Benter's combination of the user's own columns with the market: per runner an own share and
// a market share, and win probabilities p ∝ own^alpha · market^gamma.

#include "core/racemodel/result.h"
#include "core/racemodel/winprobabilities.h"

#include <QString>
#include <vector>

class OddsDocument;

// Scores as the recalculation sums them (index 1..n) when only some columns keep their weights:
// market = the columns of odds (negative weight) and those whose header holds 投票金; own = the
// other weighted columns. A side without any weighted column has no scores (empty).
struct SplitScores
{
    std::vector<double> own;
    std::vector<double> market;
};
// doc: recalculated, so that its pool is the one the odds columns are read against.
SplitScores ownAndMarketScores(const OddsDocument &doc);

// One own column's scores when only it keeps its weight (own columns of the same header, after
// trimming spaces, count as one), in the order of the columns.
struct ColumnScores
{
    QString header;
    std::vector<double> scores;
};
std::vector<ColumnScores> ownColumnScores(const OddsDocument &doc);

// Runners with a positive own and a positive market share take part; the others get 0. Not ok
// when a side has no scores (the document lacks own or market columns) or no runner is left.
Result<RaceField> combinedFieldFromScores(const SplitScores &scores, std::vector<int> brackets,
                                          double alpha, double gamma);

// From a recalculated document, with the brackets of column 1.
Result<RaceField> combinedFieldFromDocument(const OddsDocument &doc, double alpha, double gamma);

// Shares score / total of the positive scores, the others 0 (index 1..n).
std::vector<double> positiveShares(const std::vector<double> &scores);
