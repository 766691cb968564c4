// The models side by side: the fit of own columns against a direct search of its likelihood,
// errors clustered by race against the sandwich worked out by hand, the likelihood-ratio tests,
// the common set of races and the holdout by whole dates.
#include "core/season/calibrationinterval.h"
#include "core/season/conditionallogit.h"
#include "core/season/seasoncompare.h"
#include "core/season/seasonmodels.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <random>

namespace {

std::vector<double> indexed(const std::vector<double> &values)
{
    std::vector<double> v = {0};
    v.insert(v.end(), values.begin(), values.end());
    return v;
}

// 12 runners; own columns: informative (noise 0.6), weak (noise 2) and noise; the market with
// noise 0.8; the first three drawn from the strengths.
std::vector<SeasonRace> columnSeason(int races, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal;
    std::vector<SeasonRace> season;
    for (int i = 0; i < races; ++i) {
        constexpr int n = 12;
        std::vector<double> strength(n), market(n), columns[3], own(n, 0.0);
        for (auto &c : columns)
            c.resize(n);
        for (int r = 0; r < n; ++r) {
            strength[size_t(r)] = normal(rng);
            market[size_t(r)] = std::exp(strength[size_t(r)] + 0.8 * normal(rng));
            columns[0][size_t(r)] = std::exp(strength[size_t(r)] + 0.6 * normal(rng));
            columns[1][size_t(r)] = std::exp(strength[size_t(r)] + 2.0 * normal(rng));
            columns[2][size_t(r)] = std::exp(normal(rng));
            for (const auto &c : columns)
                own[size_t(r)] += c[size_t(r)];
        }
        SeasonRace race;
        race.runnerCount = n;
        race.result.placeCount = 3;
        std::vector<double> w(n);
        for (int k = 0; k < 3; ++k) {
            for (int r = 0; r < n; ++r) {
                bool taken = false;
                for (int q = 0; q < k; ++q)
                    taken = taken || race.result.places[size_t(q)] == r + 1;
                w[size_t(r)] = taken ? 0.0 : std::exp(strength[size_t(r)]);
            }
            race.result.places[size_t(k)] =
                std::discrete_distribution<int>(w.begin(), w.end())(rng) + 1;
        }
        race.scores = indexed(own);
        race.own = indexed(own);
        race.market = indexed(market);
        const char *const names[3] = {"informative", "weak", "noise"};
        for (int c = 0; c < 3; ++c)
            race.columns.push_back({QString::fromLatin1(names[c]), indexed(columns[c])});
        race.date = QDate(2024, 1, 1).addDays(i / 10);
        season.push_back(std::move(race));
    }
    return season;
}

// log P(first three) under p ∝ Π share_c^a_c · market^γ, straight from the shares.
double columnsLoglik(const std::vector<SeasonRace> &season, const std::vector<double> &x)
{
    double sum = 0;
    for (const SeasonRace &race : season) {
        const int n = race.runnerCount;
        std::vector<double> w(size_t(n) + 1);
        const auto share = [](const std::vector<double> &s, int r) {
            double total = 0;
            for (size_t i = 1; i < s.size(); ++i)
                total += s[i];
            return s[size_t(r)] / total;
        };
        for (int r = 1; r <= n; ++r) {
            double logW = x[3] * std::log(share(race.market, r));
            for (int c = 0; c < 3; ++c)
                logW += x[size_t(c)] * std::log(share(race.columns[size_t(c)].scores, r));
            w[size_t(r)] = std::exp(logW);
        }
        for (int k = 0; k < 3; ++k) {
            double total = 0;
            for (int r = 1; r <= n; ++r)
                total += w[size_t(r)];
            const int placed = race.result.places[size_t(k)];
            sum += std::log(w[size_t(placed)] / total);
            w[size_t(placed)] = 0;
        }
    }
    return sum;
}

const FitValue *valueOf(const SeasonFit &fit, const QString &name)
{
    for (const FitValue &v : fit.values)
        if (v.name() == name)
            return &v;
    return nullptr;
}

} // namespace

class TestSeasonCompare : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void columnsFitIsTheMaximum();
    void columnHeadersNamedLikeCoefficients();
    void robustErrorsAreTheSandwich_data();
    void robustErrorsAreTheSandwich();
    void chiSquareTail_data();
    void chiSquareTail();
    void commonRaceSet();
    void wilsonInterval_data();
    void wilsonInterval();
    void holdoutByWholeDates_data();
    void holdoutByWholeDates();
};

void TestSeasonCompare::columnsFitIsTheMaximum()
{
    const std::vector<SeasonRace> season = columnSeason(1500, 17);
    const SeasonFit fit = fitSeason(season, FitModel::Columns);
    QVERIFY2(fit.ok(), qPrintable(fit.problemWord()));
    QCOMPARE(fit.values.size(), size_t(4));
    // Newton's steps on the likelihood above with derivatives by central differences.
    std::vector<double> x = {0.3, 0.3, 0.3, 0.3};
    const double h = 1e-4;
    const auto at = [&](std::vector<double> y, size_t i, double di, size_t j, double dj) {
        y[i] += di;
        y[j] += dj;
        return columnsLoglik(season, y);
    };
    for (int step = 0; step < 30; ++step) {
        double g[4], a[4][5];
        for (size_t i = 0; i < 4; ++i) {
            g[i] = (at(x, i, h, i, 0) - at(x, i, -h, i, 0)) / (2 * h);
            for (size_t j = 0; j < 4; ++j)
                a[i][j] = -(at(x, i, h, j, h) - at(x, i, h, j, -h) - at(x, i, -h, j, h) +
                            at(x, i, -h, j, -h)) /
                          (4 * h * h);
            a[i][4] = g[i];
        }
        for (size_t i = 0; i < 4; ++i) // Gauss-Jordan on (−H | g)
            for (size_t r = 0; r < 4; ++r)
                if (r != i) {
                    const double f = a[r][i] / a[i][i];
                    for (size_t c = i; c < 5; ++c)
                        a[r][c] -= f * a[i][c];
                }
        double moved = 0;
        for (size_t i = 0; i < 4; ++i) {
            x[i] += a[i][4] / a[i][i];
            moved = std::max(moved, std::fabs(a[i][4] / a[i][i]));
        }
        if (moved < 1e-9)
            break;
    }
    const char *const names[4] = {"informative", "weak", "noise", "gamma"};
    for (size_t j = 0; j < 4; ++j) {
        const FitValue *v = valueOf(fit, QString::fromLatin1(names[j]));
        QVERIFY(v);
        QVERIFY2(std::fabs(v->value - x[j]) < 1e-5,
                 qPrintable(QStringLiteral("%1 %2 vs %3").arg(names[j]).arg(v->value).arg(x[j])));
        QCOMPARE(v->column(), j < 3);
    }
    QVERIFY(std::fabs(fit.after - columnsLoglik(season, x)) < 1e-6);
    QVERIFY(std::fabs(valueOf(fit, QStringLiteral("noise"))->value) <
            3 * valueOf(fit, QStringLiteral("noise"))->error);
    QVERIFY(valueOf(fit, QStringLiteral("informative"))->value >
            3 * valueOf(fit, QStringLiteral("informative"))->error);
    QVERIFY(valueOf(fit, QStringLiteral("informative"))->value >
            valueOf(fit, QStringLiteral("weak"))->value);
}

// Own columns whose headers are the coefficients' names are still columns: the market's gamma,
// the warnings and the printed names are the same as with any other headers.
void TestSeasonCompare::columnHeadersNamedLikeCoefficients()
{
    std::vector<SeasonRace> season = columnSeason(300, 5);
    // The noise column first: its exponent's interval covers 0.
    for (SeasonRace &race : season)
        std::rotate(race.columns.begin(), race.columns.begin() + 2, race.columns.end());
    const SeasonFit plain = fitSeason(season, FitModel::Columns);
    const QString headers[3] = {QStringLiteral("gamma"), QStringLiteral("lambda"),
                                QStringLiteral("beta")};
    for (SeasonRace &race : season)
        for (size_t c = 0; c < 3; ++c)
            race.columns[c].header = headers[c];
    const SeasonFit fit = fitSeason(season, FitModel::Columns);
    QVERIFY2(fit.ok(), qPrintable(fit.problemWord()));
    QCOMPARE(fit.values.size(), plain.values.size());
    for (size_t j = 0; j < fit.values.size(); ++j) {
        QCOMPARE(fit.values[j].value, plain.values[j].value);
        QCOMPARE(fit.values[j].coefficient, plain.values[j].coefficient);
        QCOMPARE(fit.values[j].symbol(), j < 3 ? headers[j] : QStringLiteral("γ"));
    }
    QCOMPARE(fit.value(Coefficient::Gamma), fit.values.back().value);
    QCOMPARE(fit.warnings.size(), plain.warnings.size());
    for (size_t j = 0; j < fit.warnings.size(); ++j) {
        QCOMPARE(fit.warnings[j].coefficient, plain.warnings[j].coefficient);
        QCOMPARE(fit.warnings[j].text, plain.warnings[j].text);
    }
}

void TestSeasonCompare::robustErrorsAreTheSandwich_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("harville") << int(FitModel::Harville);
    QTest::newRow("combined") << int(FitModel::Combined);
}

void TestSeasonCompare::robustErrorsAreTheSandwich()
{
    QFETCH(int, model);
    const bool combined = FitModel(model) == FitModel::Combined;
    const std::vector<SeasonRace> season = columnSeason(8, 5);
    const SeasonFit plain = fitSeason(season, FitModel(model));
    const SeasonFit robust = fitSeason(season, FitModel(model), FitOptions{0, true});
    QVERIFY2(plain.ok() && robust.ok(), qPrintable(plain.problemWord()));
    QVERIFY(robust.robust);
    // By hand: per race the score u = Σ_places (z_chosen − z̄) and the information
    // A = Σ Σ (E zzᵀ − z̄ z̄ᵀ), with z = (log own, log market) or log support.
    const double t0 = plain.values[0].value;
    const double t1 = combined ? plain.values[1].value : 0;
    double a[2][2] = {{0, 0}, {0, 0}}, b[2][2] = {{0, 0}, {0, 0}};
    for (const SeasonRace &race : season) {
        const auto log = [&](const std::vector<double> &s, int r) {
            double total = 0;
            for (size_t i = 1; i < s.size(); ++i)
                total += s[i];
            return std::log(s[size_t(r)] / total);
        };
        bool taken[13] = {};
        double u[2] = {0, 0};
        for (int k = 0; k < 3; ++k) {
            double sum = 0, mean[2] = {0, 0}, second[2][2] = {{0, 0}, {0, 0}};
            for (int r = 1; r <= race.runnerCount; ++r) {
                if (taken[r])
                    continue;
                const double z[2] = {log(combined ? race.own : race.scores, r),
                                     combined ? log(race.market, r) : 0};
                const double w = std::exp(t0 * z[0] + t1 * z[1]);
                sum += w;
                for (int i = 0; i < 2; ++i) {
                    mean[i] += w * z[i];
                    for (int j = 0; j < 2; ++j)
                        second[i][j] += w * z[i] * z[j];
                }
            }
            const int c = race.result.places[size_t(k)];
            const double chosen[2] = {log(combined ? race.own : race.scores, c),
                                      combined ? log(race.market, c) : 0};
            for (int i = 0; i < 2; ++i) {
                u[i] += chosen[i] - mean[i] / sum;
                for (int j = 0; j < 2; ++j)
                    a[i][j] += second[i][j] / sum - mean[i] * mean[j] / (sum * sum);
            }
            taken[c] = true;
        }
        for (int i = 0; i < 2; ++i)
            for (int j = 0; j < 2; ++j)
                b[i][j] += u[i] * u[j];
    }
    double expected[2];
    if (!combined) {
        expected[0] = std::sqrt(b[0][0]) / a[0][0];
    } else {
        const double det = a[0][0] * a[1][1] - a[0][1] * a[1][0];
        const double inv[2][2] = {{a[1][1] / det, -a[0][1] / det}, {-a[1][0] / det, a[0][0] / det}};
        for (int i = 0; i < 2; ++i) {
            double v = 0;
            for (int p = 0; p < 2; ++p)
                for (int q = 0; q < 2; ++q)
                    v += inv[i][p] * b[p][q] * inv[q][i];
            expected[i] = std::sqrt(v);
        }
        QVERIFY(std::fabs(plain.values[1].error - std::sqrt(inv[1][1])) < 1e-9);
    }
    for (size_t i = 0; i < robust.values.size(); ++i) {
        QCOMPARE(robust.values[i].value, plain.values[i].value);
        QVERIFY2(
            std::fabs(robust.values[i].error - expected[i]) < 1e-9 * expected[i],
            qPrintable(QStringLiteral("%1 vs %2").arg(robust.values[i].error).arg(expected[i])));
    }
}

void TestSeasonCompare::chiSquareTail_data()
{
    QTest::addColumn<double>("statistic");
    QTest::addColumn<int>("df");
    QTest::addColumn<double>("p");
    QTest::newRow("5 % at 1") << 3.841458820694124 << 1 << 0.05;
    QTest::newRow("5 % at 2") << 5.991464547107979 << 2 << 0.05;
    QTest::newRow("5 % at 5") << 11.070497693516351 << 5 << 0.05;
    QTest::newRow("small at 1") << 0.1 << 1 << 0.7518296340458492;
    QTest::newRow("far in the tail") << 100.0 << 3 << 1.5541594313896051e-21;
    QTest::newRow("nothing gained") << 0.0 << 2 << 1.0;
    QTest::newRow("rounding below zero") << -1e-9 << 1 << 1.0;
}

void TestSeasonCompare::chiSquareTail()
{
    QFETCH(double, statistic);
    QFETCH(int, df);
    QFETCH(double, p);
    const double got = ::chiSquareTail(statistic, df);
    QVERIFY2(std::fabs(got - p) <= 1e-9 * p, qPrintable(QString::number(got, 'g', 17)));
}

void TestSeasonCompare::commonRaceSet()
{
    std::vector<SeasonRace> season = columnSeason(300, 23);
    // No own columns at all (the own models cannot take it), and a winner without an own share:
    // both are left out of every model, though the support models alone could take them.
    season[10].own.clear();
    season[10].columns.clear();
    season[20].own[size_t(season[20].result.places[0])] = 0;
    // A column only a few documents have is not fitted.
    for (int i = 0; i < 5; ++i)
        season[size_t(i)].columns.push_back({QStringLiteral("rare"), season[size_t(i)].own});
    const SeasonComparison c = compareSeason(season, {});
    QVERIFY2(c.ok(), qPrintable(QString::number(int(c.problem))));
    QCOMPARE(c.races, 298);
    QCOMPARE(c.excluded, 2);
    QCOMPARE(c.unused, (std::vector<std::pair<QString, int>>{{QStringLiteral("rare"), 5}}));
    const QStringList names = {"support", "discount", "market", "own", "combined", "columns"};
    QCOMPARE(int(c.models.size()), names.size());
    for (int i = 0; i < names.size(); ++i) {
        const ComparedModel &m = c.models[size_t(i)];
        QCOMPARE(m.name, names[i]);
        QVERIFY(m.fit.ok());
        QCOMPARE(m.fit.races, 298);
    }
    QCOMPARE(fitSeason(season, FitModel::Harville).races, 300);
    // The nested pairs, on the same races and runners.
    QCOMPARE(c.tests.size(), size_t(4));
    for (const LikelihoodRatio &lr : c.tests) {
        const SeasonFit &small = c.model(lr.small)->fit;
        const SeasonFit &large = c.model(lr.large)->fit;
        QCOMPARE(lr.statistic, 2 * (large.after - small.after));
        QCOMPARE(lr.df, int(large.values.size() - small.values.size()));
        QVERIFY(lr.statistic > -1e-6);
        QCOMPARE(lr.p, ::chiSquareTail(lr.statistic, lr.df));
    }
    QCOMPARE(c.model(QStringLiteral("market"))->fit.values.size(), size_t(1));
    QCOMPARE(c.model(QStringLiteral("columns"))->fit.values.size(), size_t(4));
    // The market model is the combined one at alpha 0 on the same runners.
    QVERIFY(c.model(QStringLiteral("combined"))->fit.after >=
            c.model(QStringLiteral("market"))->fit.after);
    QCOMPARE(c.best()->aic(),
             std::min_element(c.models.begin(), c.models.end(), [](auto &x, auto &y) {
                 return x.aic() < y.aic();
             })->aic());
}

void TestSeasonCompare::wilsonInterval_data()
{
    QTest::addColumn<int>("wins");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::newRow("no winner") << 0 << 10 << 0.0 << 0.2775327998628892;
    QTest::newRow("half") << 5 << 10 << 0.236593090512564 << 0.7634069094874361;
    QTest::newRow("a long shot's bin") << 1 << 200 << 0.0008831687156009797 << 0.02777370439789293;
    QTest::newRow("empty bin") << 0 << 0 << 0.0 << 0.0;
}

void TestSeasonCompare::wilsonInterval()
{
    QFETCH(int, wins);
    QFETCH(int, count);
    QFETCH(double, low);
    QFETCH(double, high);
    const auto [l, h] = ::wilsonInterval(wins, count);
    QVERIFY(std::fabs(l - low) < 1e-12 && std::fabs(h - high) < 1e-12);
}

void TestSeasonCompare::holdoutByWholeDates_data()
{
    QTest::addColumn<QStringList>("dates"); // "" undated
    QTest::addColumn<double>("fraction");
    QTest::addColumn<QList<int>>("held");
    QTest::addColumn<int>("undated");
    QTest::addColumn<bool>("ok");

    const QStringList mixed = {"2024-05-02", "", "2024-05-01", "2024-05-03",
                               "2024-05-03", "", "2024-05-02", "2024-05-01"};
    QTest::newRow("undated never held") << mixed << 0.3 << QList<int>{3, 4} << 2 << true;
    QTest::newRow("boundary date wholly held")
        << mixed << 0.4 << QList<int>{0, 3, 4, 6} << 2 << true;
    QTest::newRow("a little holds the latest date")
        << mixed << 0.01 << QList<int>{3, 4} << 2 << true;
    QTest::newRow("every dated race, the undated fit")
        << mixed << 0.9 << QList<int>{0, 2, 3, 4, 6, 7} << 2 << true;
    QTest::newRow("one date: nothing left to fit")
        << QStringList{"2024-05-01", "2024-05-01"} << 0.5 << QList<int>{0, 1} << 0 << false;
    QTest::newRow("no date: nothing to hold out")
        << QStringList{"", ""} << 0.5 << QList<int>{} << 2 << false;
    QTest::newRow("no holdout") << mixed << 0.0 << QList<int>{} << 2 << true;
}

void TestSeasonCompare::holdoutByWholeDates()
{
    QFETCH(QStringList, dates);
    QFETCH(double, fraction);
    QFETCH(QList<int>, held);
    QFETCH(int, undated);
    QFETCH(bool, ok);
    std::vector<QDate> d;
    for (const QString &t : dates)
        d.push_back(QDate::fromString(t, Qt::ISODate));
    const HoldoutSplit split = splitByDate(d, fraction);
    QCOMPARE(QList<int>(split.held.begin(), split.held.end()), held);
    QCOMPARE(int(split.fit.size() + split.held.size()), dates.size());
    QCOMPARE(split.undated, undated);
    QCOMPARE(split.ok, ok);
}

QTEST_GUILESS_MAIN(TestSeasonCompare)
#include "tst_seasoncompare.moc"
