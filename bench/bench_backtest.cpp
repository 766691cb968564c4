// The back-test's reading of actual odds: a 3連単 analysis file of three snapshots.
#include "core/analysis/sidecarodds.h"

#include <benchmark/benchmark.h>

namespace {

// Every trifecta ticket of 18 runners (4,896) with odds, in three snapshots, and a payout.
QByteArray TrifectaFile()
{
    QByteArray out = "[Analysis]\r\nVersion=3\r\nBetType=trifecta\r\n";
    const char *headers[] = {"[trifecta]\r\nRatio=0.725\r\nTime=2026-12-12 15:20:00\r\n",
                             "[trifecta@2026-12-12 14:05:00]\r\n",
                             "[trifecta@2026-12-12 13:30:00]\r\n"};
    for (int s = 0; s < 3; ++s) {
        out += headers[s];
        for (int a = 1; a <= 18; ++a)
            for (int b = 1; b <= 18; ++b)
                for (int c = 1; c <= 18; ++c)
                    if (a != b && b != c && a != c)
                        out += QByteArray::number(a) + '>' + QByteArray::number(b) + '>' +
                               QByteArray::number(c) + '=' +
                               QByteArray::number(10 + (a * 37 + b * 11 + c + s) % 9000, 'f', 1) +
                               "\r\n";
    }
    out += "[Payouts]\r\ntrifecta 3>7>12=45670\r\n";
    return out;
}

void BM_ReadTrifectaSnapshot(benchmark::State &state)
{
    const QByteArray bytes = TrifectaFile();
    const std::optional<QTime> at =
        state.range(0) ? std::optional<QTime>(QTime(13, 45)) : std::nullopt;
    for (auto _ : state) {
        const Result<BetOdds> read = ReadBetOdds(bytes, BetType::Trifecta, at);
        if (read.value.odds.size() != 4896)
            state.SkipWithError("not every ticket read");
        benchmark::DoNotOptimize(read.value.odds.data());
    }
}
// 0: the latest, 1: the oldest (every section passed over first).
BENCHMARK(BM_ReadTrifectaSnapshot)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
