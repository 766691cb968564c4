// The comparison of models and the fit of own columns over a generated year of 3,456 races of
// 18 runners with five own columns (two informative, one weak, two noise) beside the odds:
// reading every document and fitting, and the fits alone on races already read.
// `bench_compare --write FOLDER N` writes N such documents.

#include "core/season/seasoncompare.h"
#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstring>
#include <random>

namespace {

constexpr int Runners = 18;
constexpr int YearOfRaces = 3456;
// The noise of each own column around the runner's strength; 0 for pure noise.
constexpr double ColumnNoise[5] = {0.6, 0.9, 2.0, 0, 0};

QByteArray raceDocument(int index, std::mt19937 &rng)
{
    std::normal_distribution<double> normal;
    double strength[Runners], market[Runners], column[5][Runners];
    double marketTotal = 0;
    for (int r = 0; r < Runners; ++r) {
        strength[r] = normal(rng);
        market[r] = std::exp(strength[r] + 0.6 * normal(rng));
        marketTotal += market[r];
        for (int c = 0; c < 5; ++c)
            column[c][r] = ColumnNoise[c] > 0 ? std::exp(strength[r] + ColumnNoise[c] * normal(rng))
                                              : std::exp(normal(rng));
    }
    int placed[3] = {-1, -1, -1};
    for (int k = 0; k < 3; ++k) {
        std::vector<double> w(Runners);
        for (int r = 0; r < Runners; ++r)
            w[size_t(r)] = (r == placed[0] || r == placed[1]) ? 0 : std::exp(strength[r]);
        placed[k] = std::discrete_distribution<int>(w.begin(), w.end())(rng);
    }
    const QDate day = QDate(2023, 1, 1).addDays(index / 24);
    QString text =
        QStringLiteral("縦枠,横枠,第%1レース,%2,予想,控除,投票\r\n"
                       "%3,6,備考,備考,%4-%5-%6,85,100000\r\n"
                       "番,枠,名前,順位,オッズ,当選金,人気,単勝,調教,血統,距離,馬場,気配\r"
                       "…,…,……,……,………,………,比率→,-1,1,1,1,1,1")
            .arg(index + 1)
            .arg(day.toString(QStringLiteral("yyyy/MM/dd")))
            .arg(Runners)
            .arg(placed[0] + 1)
            .arg(placed[1] + 1)
            .arg(placed[2] + 1);
    for (int r = 0; r < Runners; ++r) {
        text += QStringLiteral("\r%1,%2,ｷﾙﾚﾙ%1号,,,,,%3")
                    .arg(r + 1)
                    .arg(r / 2 + 1)
                    .arg(std::max(1.0, 0.8 * marketTotal / market[r]), 0, 'f', 1);
        for (int c = 0; c < 5; ++c)
            text += QStringLiteral(",%1").arg(10 * column[c][r], 0, 'f', 2);
    }
    return Cp932::encode(text + QStringLiteral("\r\n")).bytes;
}

bool writeSeason(const QString &folder, int races)
{
    std::mt19937 rng(20240615);
    QDir().mkpath(folder);
    for (int i = 0; i < races; ++i) {
        const QString month = QStringLiteral("%1/%2").arg(folder).arg(i / 288, 3, 10, QChar(u'0'));
        QDir().mkpath(month);
        QFile f(QStringLiteral("%1/race%2.csv").arg(month).arg(i, 5, 10, QChar(u'0')));
        const QByteArray bytes = raceDocument(i, rng);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

const QString &year()
{
    static QTemporaryDir dir;
    static const bool written = writeSeason(dir.path(), YearOfRaces);
    static const QString folder = written ? dir.path() : QString();
    return folder;
}

std::vector<SeasonRace> readYear()
{
    std::vector<SeasonRace> races;
    for (const QString &file : seasonFiles({year()}))
        races.push_back(readSeasonRace(file, true, true));
    return races;
}

// What kirrel-cli compare does: every document read with its columns, then every model fitted.
void BM_Compare(benchmark::State &state)
{
    const FitOptions options{state.range(0) ? 0.2 : 0.0, state.range(1) != 0};
    for (auto _ : state) {
        const SeasonComparison c = compareSeason(readYear(), options);
        if (!c.ok() || c.models.size() != 6)
            state.SkipWithError("the comparison failed");
    }
}
BENCHMARK(BM_Compare)->Args({0, 0})->Args({1, 1})->Unit(benchmark::kMillisecond)->Iterations(1);

// What kirrel-cli fit --model columns does.
void BM_FitColumns(benchmark::State &state)
{
    for (auto _ : state) {
        const SeasonFit fit = fitSeason(readYear(), FitModel::Columns);
        if (!fit.ok() || fit.values.size() != 6)
            state.SkipWithError("the fit failed");
    }
}
BENCHMARK(BM_FitColumns)->Unit(benchmark::kMillisecond)->Iterations(1);

// The fits alone, on races already read.
void BM_CompareOnly(benchmark::State &state)
{
    const std::vector<SeasonRace> races = readYear();
    for (auto _ : state)
        benchmark::DoNotOptimize(compareSeason(races, {}).races);
}
BENCHMARK(BM_CompareOnly)->Unit(benchmark::kMillisecond);

void BM_ReadOnly(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(readYear().size());
}
BENCHMARK(BM_ReadOnly)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--write") == 0)
        return writeSeason(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3])) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
