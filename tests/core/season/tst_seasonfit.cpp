// The fits recover the parameters a season was drawn with, and refuse seasons that have none.
#include "core/season/seasonfit.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>

namespace {

// Draws the first three of a race from weights w (index 0..n-1) raised to a per-place exponent.
std::array<int, 3> drawOrder(const std::vector<double> &logW, const double exponent[3],
                             std::mt19937 &rng)
{
    std::array<int, 3> placed{-1, -1, -1};
    for (int k = 0; k < 3; ++k) {
        std::vector<double> w(logW.size());
        for (size_t i = 0; i < w.size(); ++i) {
            const bool taken = int(i) == placed[0] || int(i) == placed[1];
            w[i] = taken ? 0.0 : std::exp(exponent[k] * logW[i]);
        }
        placed[size_t(k)] = std::discrete_distribution<int>(w.begin(), w.end())(rng);
    }
    return placed;
}

SeasonRace makeRace(const std::vector<double> &scores, const std::array<int, 3> &placed)
{
    SeasonRace race;
    race.runnerCount = int(scores.size());
    race.scores = {0};
    race.scores.insert(race.scores.end(), scores.begin(), scores.end());
    race.result.placeCount = 3;
    for (int k = 0; k < 3; ++k)
        race.result.places[size_t(k)] = placed[size_t(k)] + 1;
    return race;
}

// Shares exp(N(0, 1)) over 14 runners; the order from share^beta, then p^lambda, p^rho.
std::vector<SeasonRace> discountSeason(int races, double beta, double lambda, double rho,
                                       unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal;
    std::vector<SeasonRace> season;
    const double exponent[3] = {beta, lambda * beta, rho * beta};
    for (int i = 0; i < races; ++i) {
        std::vector<double> logShare(14), scores(14);
        for (size_t r = 0; r < 14; ++r) {
            logShare[r] = normal(rng);
            scores[r] = std::exp(logShare[r]);
        }
        season.push_back(makeRace(scores, drawOrder(logShare, exponent, rng)));
    }
    return season;
}

// Own and market shares with independent noise around a common strength; the order from
// own^alpha · market^gamma at every place.
std::vector<SeasonRace> combinedSeason(int races, double alpha, double gamma, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> normal;
    std::vector<SeasonRace> season;
    const double one[3] = {1, 1, 1};
    for (int i = 0; i < races; ++i) {
        std::vector<double> own(14), market(14), logP(14), total(14);
        for (size_t r = 0; r < 14; ++r) {
            const double strength = normal(rng);
            const double u = strength + 0.7 * normal(rng);
            const double v = strength + 0.7 * normal(rng);
            own[r] = std::exp(u);
            market[r] = std::exp(v);
            total[r] = own[r] + market[r];
            logP[r] = alpha * u + gamma * v;
        }
        SeasonRace race = makeRace(total, drawOrder(logP, one, rng));
        race.own = {0};
        race.own.insert(race.own.end(), own.begin(), own.end());
        race.market = {0};
        race.market.insert(race.market.end(), market.begin(), market.end());
        season.push_back(std::move(race));
    }
    return season;
}

double harvilleLoglik(const std::vector<SeasonRace> &season, double beta)
{
    SeasonModel model;
    model.beta = beta;
    SeasonEvaluator evaluator(model);
    for (const SeasonRace &race : season)
        evaluator.add(race);
    return evaluator.summary().loglik;
}

QString within(const SeasonFit &fit, const QString &name, double truth)
{
    for (const FitValue &v : fit.values)
        if (v.name() == name)
            return std::fabs(v.value - truth) <= 4 * v.error && v.error > 0 && v.error < 0.2
                       ? QString()
                       : QStringLiteral("%1 = %2 ± %3, drawn with %4")
                             .arg(name)
                             .arg(v.value)
                             .arg(v.error)
                             .arg(truth);
    return name + QStringLiteral(" missing");
}

} // namespace

class TestSeasonFit : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void discountRecovered();
    void harvilleIsTheLikelihoodMaximum();
    void combinedRecovered();
    void holdoutKeepsTheLatest();
    void refused_data();
    void refused();
    void finiteMaximaWithCautions_data();
    void finiteMaximaWithCautions();
};

void TestSeasonFit::discountRecovered()
{
    const SeasonFit fit = fitSeason(discountSeason(6000, 1.3, 0.75, 0.55, 7), FitModel::Discount);
    QVERIFY2(fit.ok(), qPrintable(fit.problemWord()));
    QCOMPARE(fit.races, 6000);
    for (const auto &[name, truth] : {std::pair{"beta", 1.3}, {"lambda", 0.75}, {"rho", 0.55}}) {
        const QString off = within(fit, QString::fromLatin1(name), truth);
        QVERIFY2(off.isEmpty(), qPrintable(off));
    }
    QVERIFY(fit.after > fit.before);
}

void TestSeasonFit::harvilleIsTheLikelihoodMaximum()
{
    const std::vector<SeasonRace> season = discountSeason(500, 1.1, 0.8, 0.7, 11);
    const SeasonFit fit = fitSeason(season, FitModel::Harville);
    QVERIFY2(fit.ok(), qPrintable(fit.problemWord()));
    // Golden-section search of the evaluation's own log-likelihood.
    double a = 0.2, b = 3;
    const double g = (std::sqrt(5.0) - 1) / 2;
    while (b - a > 1e-9) {
        const double c = b - g * (b - a), d = a + g * (b - a);
        if (harvilleLoglik(season, c) > harvilleLoglik(season, d))
            b = d;
        else
            a = c;
    }
    QVERIFY2(std::fabs(fit.values[0].value - (a + b) / 2) < 1e-6,
             qPrintable(QString::number(fit.values[0].value, 'g', 12)));
    QVERIFY(std::fabs(fit.before - harvilleLoglik(season, 1)) < 1e-8);
    QVERIFY(std::fabs(fit.after - harvilleLoglik(season, fit.values[0].value)) < 1e-8);
}

void TestSeasonFit::combinedRecovered()
{
    const SeasonFit fit = fitSeason(combinedSeason(3000, 0.4, 0.8, 5), FitModel::Combined);
    QVERIFY2(fit.ok(), qPrintable(fit.problemWord()));
    for (const auto &[name, truth] : {std::pair{"alpha", 0.4}, {"gamma", 0.8}}) {
        const QString off = within(fit, QString::fromLatin1(name), truth);
        QVERIFY2(off.isEmpty(), qPrintable(off));
    }
}

void TestSeasonFit::holdoutKeepsTheLatest()
{
    // The later half by date was drawn with another beta and comes first in the list.
    std::vector<SeasonRace> season = discountSeason(1000, 0.6, 1, 1, 3);
    std::vector<SeasonRace> early = discountSeason(1000, 1.6, 1, 1, 4);
    for (size_t i = 0; i < season.size(); ++i) {
        season[i].date = QDate(2024, 1, 1).addDays(qint64(i));
        early[i].date = QDate(2020, 1, 1).addDays(qint64(i));
    }
    season.insert(season.end(), early.begin(), early.end());
    const SeasonFit fit = fitSeason(season, FitModel::Harville, 0.5);
    QVERIFY2(fit.ok(), qPrintable(fit.problemWord()));
    QCOMPARE(fit.races, 1000);
    QCOMPARE(fit.holdoutRaces, 1000);
    QVERIFY(within(fit, QStringLiteral("beta"), 1.6).isEmpty());
    // beta 1 is nearer the held-out races' 0.6 than the fitted 1.6 is.
    QVERIFY(fit.holdoutBefore > fit.holdoutAfter);
}

void TestSeasonFit::refused_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("problem");

    QTest::newRow("no result") << int(FitModel::Harville) << int(FitProblem::NoRace);
    QTest::newRow("one column decides every race")
        << int(FitModel::Harville) << int(FitProblem::Diverged);
    QTest::newRow("deciding third place") << int(FitModel::Discount) << int(FitProblem::Diverged);
    QTest::newRow("own and market the same")
        << int(FitModel::Combined) << int(FitProblem::Collinear);
    QTest::newRow("no own columns") << int(FitModel::Combined) << int(FitProblem::NoRace);
}

void TestSeasonFit::refused()
{
    QFETCH(int, model);
    QFETCH(int, problem);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    std::vector<SeasonRace> season = discountSeason(200, 1, 1, 1, 9);
    for (SeasonRace &race : season) {
        std::vector<int> byShare(14);
        std::iota(byShare.begin(), byShare.end(), 1);
        std::sort(byShare.begin(), byShare.end(),
                  [&](int a, int b) { return race.scores[size_t(a)] > race.scores[size_t(b)]; });
        if (row == QLatin1String("no result"))
            race.result.exclusion = Exclusion::NoResult;
        if (row == QLatin1String("one column decides every race"))
            race.result.places = {byShare[0], byShare[1], byShare[2]};
        if (row == QLatin1String("deciding third place")) { // the least of those left is third
            const auto &p = race.result.places;
            race.result.places[2] = *std::find_if(byShare.rbegin(), byShare.rend(),
                                                  [&](int r) { return r != p[0] && r != p[1]; });
        }
        race.own = row == QLatin1String("no own columns") ? std::vector<double>() : race.scores;
        race.market = race.scores;
    }
    const SeasonFit fit = fitSeason(season, FitModel(model));
    QCOMPARE(int(fit.problem), problem);
    QVERIFY(!fit.problemWord().isEmpty());
}

// Seasons whose likelihood has a maximum however far out or poorly determined it is: the fit
// gives it, with the cautions that go with it.
void TestSeasonFit::finiteMaximaWithCautions_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("warnings"); // "name: text|..."

    QTest::newRow("one race of 300 not decided by the column")
        << int(FitModel::Harville) << "beta: outside what season takes (above 0 to 5)";
    QTest::newRow("orders unrelated to the shares")
        << int(FitModel::Discount)
        << "beta: large standard error|lambda: large standard error|lambda: beta's 95% interval "
           "covers 0|lambda: outside what season takes (above 0 to 3)|rho: large standard "
           "error|rho: beta's 95% interval covers 0|rho: outside what season takes (above 0 to 3)";
    QTest::newRow("own and market nearly the same")
        << int(FitModel::Combined) << "alpha: large standard error|gamma: large standard error";
}

void TestSeasonFit::finiteMaximaWithCautions()
{
    QFETCH(int, model);
    QFETCH(QString, warnings);
    const QString row = QString::fromLatin1(QTest::currentDataTag());
    std::vector<SeasonRace> season;
    if (FitModel(model) == FitModel::Harville) {
        season = discountSeason(300, 1, 1, 1, 5);
        for (size_t i = 0; i < season.size(); ++i) {
            SeasonRace &race = season[i];
            std::vector<int> byShare(14);
            std::iota(byShare.begin(), byShare.end(), 1);
            std::sort(byShare.begin(), byShare.end(), [&](int a, int b) {
                return race.scores[size_t(a)] > race.scores[size_t(b)];
            });
            race.result.places = {byShare[i == 0 ? 1 : 0], byShare[i == 0 ? 0 : 1], byShare[2]};
        }
    } else if (FitModel(model) == FitModel::Discount) {
        season = discountSeason(60, 0, 1, 1, 3);
    } else {
        season = combinedSeason(300, 1, 1, 4);
        std::mt19937 rng(8);
        std::normal_distribution<double> noise(0, 1e-3);
        for (SeasonRace &race : season)
            for (size_t r = 1; r < race.own.size(); ++r)
                race.own[r] = race.market[r] * std::exp(noise(rng));
    }
    const SeasonFit fit = fitSeason(season, FitModel(model));
    QVERIFY2(fit.ok(), qPrintable(fit.problemWord()));
    QStringList got;
    for (const FitWarning &w : fit.warnings)
        got << w.name() + QStringLiteral(": ") + w.text;
    QCOMPARE(got.join(u'|'), warnings);
    if (FitModel(model) == FitModel::Harville) { // a maximum, not a point on the way up
        const double beta = fit.values[0].value;
        QVERIFY(std::isfinite(beta) && beta > 5);
        QVERIFY(harvilleLoglik(season, beta) > harvilleLoglik(season, beta * 1.01));
        QVERIFY(harvilleLoglik(season, beta) > harvilleLoglik(season, beta * 0.99));
    }
}

QTEST_GUILESS_MAIN(TestSeasonFit)
#include "tst_seasonfit.moc"
