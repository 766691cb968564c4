// The race analysis on a full 18-runner field: finishing-order models and every bet type.
#include "core/analysis/combinations.h"

#include <benchmark/benchmark.h>

namespace {

// Win odds from 2.3 to 31.2 as a market would show them, brackets as the table gives them.
RaceField Field18()
{
    std::vector<double> scores(19, 0.0);
    std::vector<int> brackets(19, 0);
    for (int r = 1; r <= 18; ++r) {
        scores[size_t(r)] = 1 / (2.3 + 1.7 * (r - 1));
        brackets[size_t(r)] = r <= 12 ? (r + 1) / 2 : 7 + (r - 13) / 3;
    }
    return RaceFieldFromScores(scores, brackets, 1).value;
}

void BM_TrifectaHarville(benchmark::State &state)
{
    const RaceField field = Field18();
    for (auto _ : state)
        benchmark::DoNotOptimize(HarvilleOrder(field).firstThree.data());
}
BENCHMARK(BM_TrifectaHarville)->Unit(benchmark::kMicrosecond);

void BM_TrifectaDiscount(benchmark::State &state)
{
    const RaceField field = Field18();
    for (auto _ : state)
        benchmark::DoNotOptimize(DiscountOrder(field, 0.81, 0.65).firstThree.data());
}
BENCHMARK(BM_TrifectaDiscount)->Unit(benchmark::kMicrosecond);

void BM_NormalFitAndTrifecta(benchmark::State &state)
{
    const RaceField field = Field18();
    for (auto _ : state)
        benchmark::DoNotOptimize(NormalOrder(field).value.firstThree.data());
}
BENCHMARK(BM_NormalFitAndTrifecta)->Unit(benchmark::kMillisecond);

// The model once, then the sorted list of every bet type with its estimated odds.
void BM_EveryBetType(benchmark::State &state)
{
    const RaceField field = Field18();
    const OrderModel model = OrderModel(state.range(0));
    const AnalysisParameters parameters;
    for (auto _ : state) {
        const FinishingOrder order = ModelOrder(field, model, 0.81, 0.65).value;
        for (const BetType type : AllBetTypes)
            benchmark::DoNotOptimize(
                Combinations(type, order, field, parameters.ratio(type)).data());
    }
}
BENCHMARK(BM_EveryBetType)
    ->Arg(int(OrderModel::Harville))
    ->Arg(int(OrderModel::Discount))
    ->Arg(int(OrderModel::Normal))
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
