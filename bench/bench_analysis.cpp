// The race analysis on a full 18-runner field: finishing-order models and every bet type.
#include "core/analysisfile/analysisinputs.h"
#include "core/market/oddspaste.h"
#include "core/racemodel/combinations.h"
#include "core/text/fixedtext.h"

#include <QLocale>
#include <benchmark/benchmark.h>

namespace {

// Win odds from 2.3 to 31.2 as a market would show them, brackets as the table gives them.
RaceField field18()
{
    std::vector<double> scores(19, 0.0);
    std::vector<int> brackets(19, 0);
    for (int r = 1; r <= 18; ++r) {
        scores[size_t(r)] = 1 / (2.3 + 1.7 * (r - 1));
        brackets[size_t(r)] = r <= 12 ? (r + 1) / 2 : 7 + (r - 13) / 3;
    }
    return raceFieldFromScores(scores, brackets, 1).value;
}

void BM_TrifectaHarville(benchmark::State &state)
{
    const RaceField field = field18();
    for (auto _ : state)
        benchmark::DoNotOptimize(harvilleOrder(field).firstThree.data());
}
BENCHMARK(BM_TrifectaHarville)->Unit(benchmark::kMicrosecond);

void BM_TrifectaDiscount(benchmark::State &state)
{
    const RaceField field = field18();
    for (auto _ : state)
        benchmark::DoNotOptimize(discountOrder(field, 0.81, 0.65).firstThree.data());
}
BENCHMARK(BM_TrifectaDiscount)->Unit(benchmark::kMicrosecond);

void BM_NormalFitAndTrifecta(benchmark::State &state)
{
    const RaceField field = field18();
    for (auto _ : state)
        benchmark::DoNotOptimize(normalOrder(field).value.firstThree.data());
}
BENCHMARK(BM_NormalFitAndTrifecta)->Unit(benchmark::kMillisecond);

// The model once, then the sorted list of every bet type with its estimated odds.
void BM_EveryBetType(benchmark::State &state)
{
    const RaceField field = field18();
    const OrderModel model = OrderModel(state.range(0));
    const AnalysisParameters parameters;
    for (auto _ : state) {
        const FinishingOrder order = modelOrder(field, model, 0.81, 0.65).value;
        for (const BetType type : AllBetTypes)
            benchmark::DoNotOptimize(
                computeCombinations(type, order, field, parameters.ratio(type)).data());
    }
}
BENCHMARK(BM_EveryBetType)
    ->Arg(int(OrderModel::Harville))
    ->Arg(int(OrderModel::Discount))
    ->Arg(int(OrderModel::Normal))
    ->Unit(benchmark::kMicrosecond);

// The 42,840 trifecta tickets of 36 runners, most probable first, written as kirrel-cli exotics
// writes them: the sorted visit and the text, without the start of a process.
void BM_TrifectaListing36(benchmark::State &state)
{
    std::vector<double> scores(37, 0.0);
    std::vector<int> brackets(37, 0);
    for (int r = 1; r <= 36; ++r)
        scores[size_t(r)] = 1 / (2.3 + 0.9 * (r - 1));
    const RaceField field = raceFieldFromScores(scores, brackets, 1).value;
    const FinishingOrder order = harvilleOrder(field);
    std::vector<char> text(64 * 1024 + 4096);
    for (auto _ : state) {
        size_t written = 0;
        visitCombinations(BetType::Trifecta, order, field, 0.725,
                          [&](std::span<const Combination> batch) {
                              char *p = text.data();
                              for (const Combination &c : batch) {
                                  for (int k = 0; k < 3; ++k) {
                                      p = writeDecimal(p, quint64(c.runners[size_t(k)]));
                                      *p++ = k < 2 ? '>' : '\t';
                                  }
                                  p = writeFixed(p, c.probability, 9);
                                  *p++ = '\t';
                                  p = writeFixed(p, c.estimatedOdds, 1);
                                  *p++ = '\n';
                              }
                              written += size_t(p - text.data());
                              return true;
                          });
        benchmark::DoNotOptimize(written);
    }
}
BENCHMARK(BM_TrifectaListing36)->Unit(benchmark::kMicrosecond);

// Every 3連単 ticket of 18 runners (4,896 lines) pasted as an odds page writes them, and the
// same odds read back from an analysis file.
QString trifectaOddsPage()
{
    QString text = QStringLiteral("組番\tオッズ\n");
    int k = 0;
    for (int a = 1; a <= 18; ++a)
        for (int b = 1; b <= 18; ++b)
            for (int c = 1; c <= 18; ++c)
                if (a != b && b != c && a != c) {
                    const QString odds = QLocale(QLocale::English).toString(10 + k * 37);
                    text += QStringLiteral("%1 → %2 → %3\t%4.%5\n")
                                .arg(a)
                                .arg(b)
                                .arg(c)
                                .arg(odds)
                                .arg(k % 10);
                    ++k;
                }
    return text;
}

void BM_PasteTrifectaPage(benchmark::State &state)
{
    const QString text = trifectaOddsPage();
    for (auto _ : state)
        benchmark::DoNotOptimize(parsePastedOdds(text, BetType::Trifecta, 18, {}));
}
BENCHMARK(BM_PasteTrifectaPage)->Unit(benchmark::kMillisecond);

void BM_ReadTrifectaAnalysisFile(benchmark::State &state)
{
    AnalysisInputs in;
    in.actualOf(BetType::Trifecta) =
        parsePastedOdds(trifectaOddsPage(), BetType::Trifecta, 18, {}).value.odds;
    const QString text = sidecarText(in);
    for (auto _ : state)
        benchmark::DoNotOptimize(parseSidecar(text));
}
BENCHMARK(BM_ReadTrifectaAnalysisFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
