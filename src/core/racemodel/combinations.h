#pragma once
// Every ticket of a bet type with its probability under a finishing-order model and the
// odds a pool bet in proportion to the model would pay.

#include "core/racemodel/bettypes.h"
#include "core/racemodel/orderingmodels.h"
#include "core/racemodel/result.h"
#include "core/racemodel/winprobabilities.h"

#include <array>
#include <functional>
#include <span>
#include <vector>

class OddsDocument;

// λ and ρ in (0, MaxLambda], β in (0, MaxBeta]: inside these every probability is a number.
inline constexpr double MaxLambda = 3;
inline constexpr double MaxBeta = 5;
inline constexpr double MaxCombine = 5; // |alpha|, |gamma|

struct AnalysisParameters
{
    OrderModel model = OrderModel::Harville;
    // Benter's (1994) maximum-likelihood fit on 3,198 Hong Kong races.
    double lambda = 0.81;
    double rho = 0.65;
    // Longshot correction of the win probabilities; 1 leaves them as the support has them.
    double beta = 1.0;
    // Benter's combination in place of the support^beta: p ∝ own^alpha · market^gamma, the
    // columns split as ownAndMarketScores splits them; alpha and gamma in [-5, 5].
    bool combine = false;
    double alpha = 1.0;
    double gamma = 1.0;
    std::array<double, 8> payoutRatio = {defaultPayoutRatio(BetType::Win),
                                         defaultPayoutRatio(BetType::Place),
                                         defaultPayoutRatio(BetType::BracketQuinella),
                                         defaultPayoutRatio(BetType::Quinella),
                                         defaultPayoutRatio(BetType::Wide),
                                         defaultPayoutRatio(BetType::Exacta),
                                         defaultPayoutRatio(BetType::Trio),
                                         defaultPayoutRatio(BetType::Trifecta)};

    double ratio(BetType type) const { return payoutRatio[size_t(type)]; }
    void setRatio(BetType type, double ratio) { payoutRatio[size_t(type)] = ratio; }
};

struct Combination
{
    Ticket runners{}; // or brackets, for the bracket quinella
    double probability = 0;
    double estimatedOdds = 0;
};

// payoutRatio / probability, rounded to 9 decimals and then truncated to one, at least 1.0;
// 0 when the probability is not positive (no odds).
double estimatedOdds(double payoutRatio, double probability);
// value >= 0 rounded to 9 decimals, then truncated toward zero to `decimals` (0 to 8): the
// rounding keeps 7.2999999999, which is 7.3 computed, at 7.3.
double truncatedDecimals(double value, int decimals);

// Whether the bet type is sold for the race; when not, why (for a message after the file).
Result<bool> availability(BetType type, const RaceField &field);

// P(ticket wins) under the order: 0 for a ticket naming a runner who takes no place.
double ticketProbability(BetType type, const FinishingOrder &order, const RaceField &field,
                         const Ticket &ticket);

// Every ticket with a positive probability, most probable first; equal probabilities by
// their numbers, first number first.
std::vector<Combination> computeCombinations(BetType type, const FinishingOrder &order,
                                             const RaceField &field, double payoutRatio);

// The same combinations by their numbers (first number first) instead of by probability: for
// looking tickets up, without the sort.
std::vector<Combination> ticketCombinations(BetType type, const FinishingOrder &order,
                                            const RaceField &field, double payoutRatio);

// The same combinations in the same order as computeCombinations, handed to `take` a few hundred at
// a time instead of in one list: for output that is written as it is made. take returns false to
// stop; it must not work out combinations itself, whose sorting uses the same lists of the thread.
using CombinationBatch = std::function<bool(std::span<const Combination>)>;
void visitCombinations(BetType type, const FinishingOrder &order, const RaceField &field,
                       double payoutRatio, const CombinationBatch &take);

// The field and the finishing order of a recalculated document under the parameters.
struct RaceModel
{
    RaceField field;
    FinishingOrder order;
};
Result<RaceModel> analyseRace(const OddsDocument &doc, const AnalysisParameters &parameters);

// One bet type of an analysed race; not ok when the type is not offered for it.
Result<std::vector<Combination>> analyseBetType(const RaceModel &race, BetType type,
                                                const AnalysisParameters &parameters);
