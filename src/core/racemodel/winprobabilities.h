#pragma once
// The runners of a race as the analysis sees them: win probabilities from the document's
// support and the bracket of every runner.

#include "core/racemodel/result.h"

#include <vector>

class OddsDocument;

struct RaceField
{
    int runnerCount = 0;      // the table's runner count, whatever their support
    std::vector<double> win;  // index 1..runnerCount; 0 = the runner takes no place
    std::vector<int> bracket; // index 1..runnerCount; 1..8, or 0 when column 1 holds none

    // Runners with a positive win probability.
    int placedRunners() const;
};

// From scores as the recalculation sums them (index 1..n): shares Score[r] / total, the
// positive ones renormalised and raised to beta (the longshot correction, beta = 1 leaves
// them), then renormalised again. Not ok when no runner is left with a positive share.
Result<RaceField> raceFieldFromScores(const std::vector<double> &scores, std::vector<int> brackets,
                                      double beta);

// The bracket of every runner (index 1..runnerCount) from column 1; 0 where it holds none.
std::vector<int> documentBrackets(const OddsDocument &doc);

// From a recalculated document: its support scores and the bracket texts of column 1.
Result<RaceField> raceFieldFromDocument(const OddsDocument &doc, double beta);
