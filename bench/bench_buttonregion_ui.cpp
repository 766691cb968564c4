// Building a button's window shape from region data: parsing plus the chunked union.
#include "core/skinbutton/buttonlogic.h"
#include "ui/controls/skinbutton.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {
// A disc-like shape of one rectangle per row, as exported shapes usually are.
QList<QRect> discRows(int rows)
{
    QList<QRect> rects;
    const double r = rows / 2.0;
    for (int y = 0; y < rows; ++y) {
        const double dy = y + 0.5 - r;
        const int half = int(std::sqrt(std::max(0.0, r * r - dy * dy)));
        rects.append(QRect(int(r) - half, y, 2 * half + 1, 1));
    }
    return rects;
}

// Scattered, overlapping rectangles: the worst case for a union.
QList<QRect> scattered(int n)
{
    QList<QRect> rects;
    quint32 seed = 12345;
    auto next = [&seed] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    for (int i = 0; i < n; ++i)
        rects.append(QRect(int(next() % 2000), int(next() % 2000), 1 + int(next() % 40),
                           1 + int(next() % 40)));
    return rects;
}

void BM_ParseRegionData(benchmark::State &state)
{
    const QByteArray data = makeRegionData(discRows(int(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(parseRegionData(data));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseRegionData)->Arg(1000)->Arg(10000);

void BM_RegionFromRowRects(benchmark::State &state)
{
    const QList<QRect> rects = discRows(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(regionFromRects(rects));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegionFromRowRects)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_RegionFromScattered(benchmark::State &state)
{
    const QList<QRect> rects = scattered(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(regionFromRects(rects));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RegionFromScattered)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

void BM_RoundedCorners(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(regionFromRects(roundRectRows(64, 50, 20)));
}
BENCHMARK(BM_RoundedCorners)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
