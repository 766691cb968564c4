// The back-test: reading the actual odds of a 3連単 analysis file of three snapshots, and a
// season of 3,456 such races of 18 runners.
#include "core/analysisfile/analysisinputs.h"
#include "core/analysisfile/sidecarodds.h"
#include "core/backtest/backtestrun.h"
#include "core/codepage/codepage.h"
#include "core/season/season.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Every trifecta ticket of 18 runners (4,896) with odds, in three snapshots, and a payout.
QByteArray trifectaFile(int race = 0, int snapshots = 3)
{
    QByteArray out = "[Analysis]\r\nVersion=3\r\nBetType=trifecta\r\n";
    const char *headers[] = {"[trifecta]\r\nRatio=0.725\r\nTime=2026-12-12 15:20:00\r\n",
                             "[trifecta@2026-12-12 14:05:00]\r\n",
                             "[trifecta@2026-12-12 13:30:00]\r\n"};
    for (int s = 0; s < snapshots; ++s) {
        out += headers[s];
        for (int a = 1; a <= 18; ++a)
            for (int b = 1; b <= 18; ++b)
                for (int c = 1; c <= 18; ++c)
                    if (a != b && b != c && a != c)
                        out += QByteArray::number(a) + '>' + QByteArray::number(b) + '>' +
                               QByteArray::number(c) + '=' +
                               QByteArray::number(10 + (a * 37 + b * 11 + c + s + race) % 9000, 'f',
                                                  1) +
                               "\r\n";
    }
    out += "[Payouts]\r\ntrifecta 3>7>12=45670\r\n";
    return out;
}

void BM_ReadTrifectaSnapshot(benchmark::State &state)
{
    const QByteArray bytes = trifectaFile();
    const std::optional<QTime> at =
        state.range(0) ? std::optional<QTime>(QTime(13, 45)) : std::nullopt;
    for (auto _ : state) {
        const Result<BetOdds> read = readBetOdds(bytes, BetType::Trifecta, at);
        if (read.value.odds.size() != 4896)
            state.SkipWithError("not every ticket read");
        benchmark::DoNotOptimize(read.value.odds.data());
    }
}
// 0: the latest, 1: the oldest (every section passed over first).
BENCHMARK(BM_ReadTrifectaSnapshot)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The window's reader: the whole file into the analysis inputs, one snapshot of 4,896 lines.
void BM_ParseTrifectaFile(benchmark::State &state)
{
    const QByteArray bytes = trifectaFile(0, int(state.range(0)));
    for (auto _ : state) {
        const Result<AnalysisInputs> read = parseSidecarBytes(bytes);
        if (read.value.actualOf(BetType::Trifecta).size() != 4896)
            state.SkipWithError(qPrintable(read.error));
        benchmark::DoNotOptimize(read.value.payouts.size());
    }
}
BENCHMARK(BM_ParseTrifectaFile)->Arg(1)->Arg(3)->Unit(benchmark::kMicrosecond);

// Hostile files for the one reader: n latest sections of win repeated (each a line of odds),
// and n sections of earlier snapshots, of which the 201st is refused.
QByteArray repeatedSections(int n)
{
    QByteArray out = "[Analysis]\r\nVersion=3\r\n";
    out.reserve(out.size() + qsizetype(n) * 16);
    for (int i = 0; i < n; ++i)
        out += "[win]\r\n" + QByteArray::number(i % 18 + 1) + "=2.0\r\n";
    return out;
}

QByteArray snapshotSections(int n)
{
    QByteArray out = "[Analysis]\r\nVersion=3\r\n[win]\r\nTime=2026-12-12 15:20:00\r\n1=2.0\r\n";
    out.reserve(out.size() + qsizetype(n) * 40);
    for (int i = 0; i < n; ++i)
        out += "[win@2026-12-12 13:30:00]\r\n1=2.0\r\n";
    return out;
}

// Time per byte stays the same as the file grows: linear.
void BM_ReadRepeatedSections(benchmark::State &state)
{
    const QByteArray bytes = repeatedSections(int(state.range(0)));
    for (auto _ : state) {
        const Result<BetOdds> read = readBetOdds(bytes, BetType::Win, std::nullopt);
        if (!read.ok() || read.value.odds.size() != 18)
            state.SkipWithError("not read");
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.SetLabel(std::to_string(bytes.size() / 1024) + " KiB");
}
BENCHMARK(BM_ReadRepeatedSections)
    ->Arg(20000)
    ->Arg(80000)
    ->Arg(200000)
    ->Unit(benchmark::kMillisecond);

// 199 earlier snapshots and the latest are read; 10^6 are refused at the 201st, whatever
// follows.
void BM_ReadTooManySnapshots(benchmark::State &state)
{
    const QByteArray bytes = snapshotSections(int(state.range(0)));
    for (auto _ : state) {
        const Result<BetOdds> read = readBetOdds(bytes, BetType::Win, QTime(14, 0));
        if (read.ok() != (1 + state.range(0) <= MaxSnapshots))
            state.SkipWithError("200 snapshots are read, more refused");
    }
    state.SetLabel(std::to_string(bytes.size() / 1024) + " KiB");
}
BENCHMARK(BM_ReadTooManySnapshots)->Arg(199)->Arg(1000000)->Unit(benchmark::kMicrosecond);

// Saving it again.
void BM_WriteTrifectaFile(benchmark::State &state)
{
    const AnalysisInputs in = parseSidecarBytes(trifectaFile(0, 1)).value;
    for (auto _ : state)
        benchmark::DoNotOptimize(sidecarBytes(in).size());
}
BENCHMARK(BM_WriteTrifectaFile)->Unit(benchmark::kMicrosecond);

// Race k: stakes 300 to 2,000 yen by runner, shifted with k; a date a day after another.
QByteArray document(int k)
{
    QString text =
        QStringLiteral("縦枠,横枠,第%1レース,%2,予想,控除,投票\r\n18,1,,,%3,85,100000\r\n"
                       "番,枠,名前,順位,オッズ,当選金,人気,投票金\r…,…,…,…,…,…,比率→,1")
            .arg(k)
            .arg(QDate(2026, 1, 1).addDays(k % 365).toString(QStringLiteral("yyyy/MM/dd")))
            .arg(QStringLiteral("%1-%2-%3")
                     .arg(k % 18 + 1)
                     .arg((k + 5) % 18 + 1)
                     .arg((k + 11) % 18 + 1));
    for (int r = 1; r <= 18; ++r)
        text += QStringLiteral("\r%1,%2,,,,,,%3")
                    .arg(r)
                    .arg(r <= 12 ? (r + 1) / 2 : 7 + (r - 13) / 3)
                    .arg(300 + 100 * ((r + k) % 18));
    return Cp932::encode(text + QStringLiteral("\r\n")).bytes;
}

// A season written once per run of the program.
QString seasonFolder()
{
    static QTemporaryDir dir;
    static bool written = false;
    if (!written) {
        written = true;
        for (int k = 0; k < 3456; ++k) {
            const QString path =
                dir.filePath(QStringLiteral("r%1.csv").arg(k, 4, 10, QLatin1Char('0')));
            QFile doc(path);
            QFile analysis(path + QStringLiteral(".analysis"));
            if (!doc.open(QIODevice::WriteOnly) || doc.write(document(k)) < 0 ||
                !analysis.open(QIODevice::WriteOnly) || analysis.write(trifectaFile(k)) < 0)
                break;
        }
    }
    return dir.path();
}

// 0: flat stakes at a ratio of 1.2; 1: Kelly stakes at an expected value of 1.1.
void BM_BacktestSeason(benchmark::State &state)
{
    BacktestSettings settings;
    settings.bet = BetType::Trifecta;
    if (state.range(0) == 1) {
        settings.rule.select = BacktestRule::Select::ExpectedValue;
        settings.rule.threshold = 1.1;
        settings.rule.kelly = true;
        settings.rule.kellyFraction = 0.5;
    }
    const QString folder = seasonFolder();
    for (auto _ : state) {
        const BacktestReport report = runBacktest(seasonFiles({folder}), settings);
        if (report.summary.races != 3456)
            state.SkipWithError("not every race counted");
        benchmark::DoNotOptimize(report.summary.profit);
    }
}
BENCHMARK(BM_BacktestSeason)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
