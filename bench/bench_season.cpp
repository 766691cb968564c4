// The season over a generated year of 3,456 races of 18 runners: reading and evaluating every
// document, and the discount fit. `bench_season --write FOLDER N` writes N such documents (for
// measuring kirrel-cli's time and peak memory on ten years).

#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/season/seasonfit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

namespace {

constexpr int Runners = 18;
constexpr int YearOfRaces = 3456;

// A race with win odds (the market) and a forecast in percent of one's own, both noisy views
// of the runners' strengths; the first three drawn from the strengths by the discount model.
QByteArray raceDocument(int index, std::mt19937 &rng)
{
    std::normal_distribution<double> normal;
    double strength[Runners], market[Runners], own[Runners];
    double marketTotal = 0, ownTotal = 0;
    for (int r = 0; r < Runners; ++r) {
        strength[r] = normal(rng);
        market[r] = std::exp(strength[r] + 0.5 * normal(rng));
        own[r] = std::exp(strength[r] + 0.7 * normal(rng));
        marketTotal += market[r];
        ownTotal += own[r];
    }
    int placed[3] = {-1, -1, -1};
    const double exponent[3] = {1, 0.85, 0.7};
    for (int k = 0; k < 3; ++k) {
        std::vector<double> w(Runners);
        for (int r = 0; r < Runners; ++r)
            w[size_t(r)] =
                (r == placed[0] || r == placed[1]) ? 0 : std::exp(exponent[k] * strength[r]);
        placed[k] = std::discrete_distribution<int>(w.begin(), w.end())(rng);
    }
    const QDate day = QDate(2023, 1, 1).addDays(index / 24);
    QString text = QStringLiteral("縦枠,横枠,第%1レース,%2,予想,控除,投票\r\n"
                                  "%3,2,備考,備考,%4-%5-%6,85,100000\r\n"
                                  "番,枠,名前,順位,オッズ,当選金,人気,単勝,予想%\r"
                                  "…,…,……,……,………,………,比率→,-1,1")
                       .arg(index + 1)
                       .arg(day.toString(QStringLiteral("yyyy/MM/dd")))
                       .arg(Runners)
                       .arg(placed[0] + 1)
                       .arg(placed[1] + 1)
                       .arg(placed[2] + 1);
    for (int r = 0; r < Runners; ++r)
        text += QStringLiteral("\r%1,%2,ｷﾙﾚﾙ%1号,,,,,%3,%4")
                    .arg(r + 1)
                    .arg(r / 2 + 1)
                    .arg(std::max(1.0, 0.8 * marketTotal / market[r]), 0, 'f', 1)
                    .arg(100 * own[r] / ownTotal, 0, 'f', 2);
    return Cp932::encode(text + QStringLiteral("\r\n")).bytes;
}

bool writeSeason(const QString &folder, int races)
{
    std::mt19937 rng(20240101);
    QDir().mkpath(folder);
    for (int i = 0; i < races; ++i) {
        // A folder per month, as a user keeps them.
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

void BM_Season(benchmark::State &state)
{
    SeasonModel model;
    model.order = OrderModel(state.range(0));
    const QString folder = year();
    for (auto _ : state) {
        SeasonEvaluator evaluator(model);
        for (const QString &file : seasonFiles({folder}))
            evaluator.add(readSeasonRace(file, false));
        if (evaluator.summary().races != YearOfRaces)
            state.SkipWithError("not every race counted");
    }
    state.SetLabel(orderModelName(model.order).toStdString());
}
BENCHMARK(BM_Season)
    ->Arg(int(OrderModel::Harville))
    ->Arg(int(OrderModel::Discount))
    ->Arg(int(OrderModel::Normal))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_Fit(benchmark::State &state)
{
    const FitModel model = FitModel(state.range(0));
    const QString folder = year();
    for (auto _ : state) {
        std::vector<SeasonRace> races;
        for (const QString &file : seasonFiles({folder}))
            races.push_back(readSeasonRace(file, model == FitModel::Combined));
        if (!fitSeason(races, model).ok())
            state.SkipWithError("the fit failed");
    }
    state.SetLabel(fitModelName(model).toStdString());
}
BENCHMARK(BM_Fit)
    ->Arg(int(FitModel::Discount))
    ->Arg(int(FitModel::Combined))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// The fit alone, on races already read.
void BM_FitOnly(benchmark::State &state)
{
    std::vector<SeasonRace> races;
    for (const QString &file : seasonFiles({year()}))
        races.push_back(readSeasonRace(file, false));
    for (auto _ : state)
        benchmark::DoNotOptimize(fitSeason(races, FitModel::Discount).after);
}
BENCHMARK(BM_FitOnly)->Unit(benchmark::kMillisecond);

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
