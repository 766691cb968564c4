// Recalculation and quinella estimates on the largest tables a document can hold.
#include "core/document/oddsdocument.h"
#include "core/editing/undoring.h"

#include <benchmark/benchmark.h>

namespace {

// 36 runners x 36 data columns: stakes, odds and fractions under positive and negative weights.
void fillLargest(OddsDocument &d)
{
    d.setCountText(0, QStringLiteral("36"));
    d.setCountText(1, QStringLiteral("36"));
    d.buildTable();
    for (int c = FirstDataCol; c < d.runnerTable.cols(); ++c) {
        const int kind = (c - FirstDataCol) % 3;
        d.runnerTable.setText(RatioRow, c, kind == 1 ? QStringLiteral("-1") : QStringLiteral("1"));
        for (int r = 1; r <= d.runnerCount; ++r) {
            QString cell;
            if (kind == 0)
                cell = QString::number(100 * ((r * 37 + c) % 50 + 1));
            else if (kind == 1)
                cell = QString::number(1.0 + ((r * 13 + c) % 200) / 10.0);
            else
                cell = QStringLiteral("%1/%2").arg((r + c) % 9 + 1).arg(r % 4 + 1);
            d.runnerTable.setText(r + 1, c, cell);
        }
    }
}

void BM_RecalculateLargest(benchmark::State &state)
{
    OddsDocument d;
    fillLargest(d);
    for (auto _ : state) {
        d.recalculate();
        benchmark::DoNotOptimize(d.runnerTable.text(2, ColOdds));
    }
}
BENCHMARK(BM_RecalculateLargest)->Unit(benchmark::kMicrosecond);

void BM_ComputeValuesLargest(benchmark::State &state)
{
    OddsDocument d;
    fillLargest(d);
    for (auto _ : state) {
        d.computeValues();
        benchmark::DoNotOptimize(d.runnerTable.text(2, ColOdds));
    }
}
BENCHMARK(BM_ComputeValuesLargest)->Unit(benchmark::kMicrosecond);

// Column widths alone, by the built-in estimate (no window measures text here).
void BM_FitColumnWidthsLargest(benchmark::State &state)
{
    OddsDocument d;
    fillLargest(d);
    for (auto _ : state) {
        d.fitColumnWidths();
        benchmark::DoNotOptimize(d.runnerTable.colWidth(FirstDataCol));
    }
}
BENCHMARK(BM_FitColumnWidthsLargest)->Unit(benchmark::kMicrosecond);

void BM_Quinella18(benchmark::State &state)
{
    OddsDocument d;
    d.buildTable();
    for (int r = 1; r <= 18; ++r)
        d.runnerTable.setText(r + 1, FirstDataCol, QString::number(100 * r));
    d.recalculate();
    for (auto _ : state) {
        benchmark::DoNotOptimize(d.estimateQuinella());
    }
}
BENCHMARK(BM_Quinella18)->Unit(benchmark::kMicrosecond);

} // namespace

// A snapshot of the largest table and its restore after a change of shape, as Enter in a count
// box and Undo do.
void BM_UndoCountChangeLargest(benchmark::State &state)
{
    OddsDocument d;
    fillLargest(d);
    d.recalculate();
    UndoRing ring;
    for (auto _ : state) {
        ring.pushUndo(d);
        d.setCountText(1, QStringLiteral("2"));
        d.buildTable();
        ring.undo(d);
        benchmark::DoNotOptimize(d.runnerTable.cols());
    }
}
BENCHMARK(BM_UndoCountChangeLargest)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
