#include "core/racemodel/normalmodel.h"
#include "core/racemodel/orderingmodels.h"

#include <QTest>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

RaceField fieldOf(const QList<double> &shares)
{
    std::vector<double> scores{0};
    scores.insert(scores.end(), shares.begin(), shares.end());
    return raceFieldFromScores(scores, {}, 1).value;
}

QList<double> falling(int n)
{
    QList<double> s;
    for (int r = 1; r <= n; ++r)
        s << 1.0 / r;
    return s;
}

// P(first three = a, b, c) from every full order, each a product of Harville's conditional
// wins: the definition itself, not the model's closed form.
double harvillePermutations(const std::vector<double> &p, int a, int b, int c)
{
    std::vector<int> order(p.size());
    std::iota(order.begin(), order.end(), 0);
    double total = 0;
    do {
        if (order[0] != a || order[1] != b || order[2] != c)
            continue;
        double prob = 1;
        double left = 1;
        for (const int r : order) {
            prob *= p[size_t(r)] / left;
            left -= p[size_t(r)];
        }
        total += prob;
    } while (std::next_permutation(order.begin(), order.end()));
    return total;
}

double normalCdf(double x)
{
    return 0.5 * std::erfc(-x / std::sqrt(2.0));
}

double phi(double x)
{
    return std::exp(-0.5 * x * x) / std::sqrt(2 * M_PI);
}

// P(a, b, c first three) of normal times by a plain nested sum on a fine grid: v is c's time,
// u < v is b's, a is before u.
double normalByGrid(const std::vector<double> &theta, int a, int b, int c)
{
    const double h = 0.002;
    double inner = 0; // integral up to v of phi(u - theta_b) normalCdf(u - theta_a)
    double total = 0;
    for (double v = -12; v < 14; v += h) {
        const double mid = v + h / 2;
        inner += h * phi(mid - theta[size_t(b)]) * normalCdf(mid - theta[size_t(a)]);
        double rest = phi(mid - theta[size_t(c)]);
        for (int d = 0; d < int(theta.size()); ++d)
            if (d != a && d != b && d != c)
                rest *= 1 - normalCdf(mid - theta[size_t(d)]);
        total += h *
                 (inner - h / 2 * phi(mid - theta[size_t(b)]) * normalCdf(mid - theta[size_t(a)])) *
                 rest;
    }
    return total;
}

} // namespace

class TestOrderingModels : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void sumsAndMarginals_data();
    void sumsAndMarginals();
    void againstFullOrders_data();
    void againstFullOrders();
    void normalReproducesWinProbabilities_data();
    void normalReproducesWinProbabilities();
    void normalAgainstDirectIntegration();
};

void TestOrderingModels::sumsAndMarginals_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QList<double>>("shares");
    QTest::addColumn<double>("tolerance");

    const int harville = int(OrderModel::Harville);
    const int discount = int(OrderModel::Discount);
    const int normal = int(OrderModel::Normal);
    QTest::newRow("harville, 18 falling shares") << harville << falling(18) << 1e-13;
    QTest::newRow("discount, 18 falling shares") << discount << falling(18) << 1e-13;
    QTest::newRow("normal, 18 falling shares") << normal << falling(18) << 1e-9;
    QTest::newRow("normal, 36 equal shares") << normal << QList<double>(36, 1.0) << 1e-9;
    QTest::newRow("normal, a 0.97 favourite among 8")
        << normal << QList<double>{97, 0.5, 0.5, 0.5, 0.5, 0.5, 0.4, 0.1} << 1e-9;
    QTest::newRow("normal, a 1e-7 longshot among 10")
        << normal << (QList<double>(9, 1.0) << 9e-7) << 1e-9;
    QTest::newRow("discount, a 1e-15 longshot and a 0.999 favourite")
        << discount << QList<double>{999, 1e-12, 0.3, 0.3, 0.4} << 1e-13;
}

// Each first place splits over the seconds, each first two over the thirds, and the firsts
// are the win probabilities: so the top-k marginals add up to k.
void TestOrderingModels::sumsAndMarginals()
{
    QFETCH(int, model);
    QFETCH(QList<double>, shares);
    QFETCH(double, tolerance);

    const RaceField field = fieldOf(shares);
    const Result<FinishingOrder> result = modelOrder(field, OrderModel(model), 0.81, 0.65);
    QVERIFY2(result.ok(), qPrintable(result.error));
    const FinishingOrder &o = result.value;
    const int m = o.size();
    QCOMPARE(m, shares.size());
    double all = 0;
    double inTopThree = 0;
    for (int a = 0; a < m; ++a) {
        double seconds = 0;
        double aThird = 0;
        for (int b = 0; b < m; ++b) {
            double thirds = 0;
            for (int c = 0; c < m; ++c) {
                QVERIFY(o.three(a, b, c) >= 0);
                thirds += o.three(a, b, c);
                aThird += o.three(b, c, a);
            }
            QVERIFY2(std::fabs(thirds - o.two(a, b)) <= tolerance,
                     qPrintable(QStringLiteral("%1 then %2").arg(a).arg(b)));
            seconds += o.two(a, b);
        }
        QVERIFY2(std::fabs(seconds - field.win[size_t(a + 1)]) <= tolerance,
                 qPrintable(QString::number(a)));
        all += seconds;
        inTopThree += aThird;
    }
    QVERIFY(std::fabs(all - 1) <= tolerance);
    QVERIFY(std::fabs(inTopThree - 1) <= tolerance * m);
}

void TestOrderingModels::againstFullOrders_data()
{
    QTest::addColumn<QList<double>>("shares");
    QTest::newRow("4 runners") << QList<double>{0.4, 0.3, 0.2, 0.1};
    QTest::newRow("6 runners, one far ahead") << QList<double>{0.9, 0.05, 0.02, 0.02, 0.005, 0.005};
    QTest::newRow("5 equal runners") << QList<double>(5, 0.2);
}

// Harville's formula against the sum over every full finishing order; the discount model with
// lambda = rho = 1 is the same model.
void TestOrderingModels::againstFullOrders()
{
    QFETCH(QList<double>, shares);
    const RaceField field = fieldOf(shares);
    const FinishingOrder harville = harvilleOrder(field);
    const FinishingOrder discount = discountOrder(field, 1, 1);
    const std::vector<double> p(field.win.begin() + 1, field.win.end());
    const int m = int(p.size());
    for (int a = 0; a < m; ++a)
        for (int b = 0; b < m; ++b)
            for (int c = 0; c < m; ++c) {
                if (a == b || a == c || b == c)
                    continue;
                const double expected = harvillePermutations(p, a, b, c);
                QVERIFY(std::fabs(harville.three(a, b, c) - expected) <= 1e-12 * expected);
                QCOMPARE(discount.three(a, b, c), harville.three(a, b, c));
            }
}

void TestOrderingModels::normalReproducesWinProbabilities_data()
{
    QTest::addColumn<QList<double>>("shares");
    QTest::newRow("2 runners") << QList<double>{0.7, 0.3};
    QTest::newRow("18 falling") << falling(18);
    QTest::newRow("a 0.99 favourite") << QList<double>{0.99, 0.004, 0.003, 0.002, 0.001};
    QTest::newRow("a 1e-9 longshot") << QList<double>{0.5, 0.3, 0.2 - 1e-9, 1e-9};
}

// The fitted means, integrated here independently on a plain fine grid, give the win
// probabilities back to 1e-7.
void TestOrderingModels::normalReproducesWinProbabilities()
{
    QFETCH(QList<double>, shares);
    const RaceField field = fieldOf(shares);
    const std::vector<double> p(field.win.begin() + 1, field.win.end());
    const Result<NormalFit> fit = fitNormalModel(p);
    QVERIFY2(fit.ok(), qPrintable(fit.error));
    const std::vector<double> &theta = fit.value.theta;
    const auto [lo, hi] = std::minmax_element(theta.begin(), theta.end());
    for (size_t a = 0; a < p.size(); ++a) {
        double win = 0;
        const double h = 0.001;
        for (double t = *lo - 10; t < *hi + 10; t += h) {
            double w = phi(t + h / 2 - theta[a]);
            for (size_t b = 0; b < p.size(); ++b)
                if (b != a)
                    w *= 1 - normalCdf(t + h / 2 - theta[b]);
            win += h * w;
        }
        QVERIFY2(std::fabs(win - p[a]) < 1e-7, QByteArray::number(win - p[a]).constData());
    }
    // The first three that the fit hands on are normalFirstThree's own, to the bit.
    std::vector<double> three{-1.0};
    QVERIFY(fitNormalModel(p, &three).ok());
    const std::vector<double> expected =
        p.size() >= 3 ? normalFirstThree(theta) : std::vector<double>();
    const auto bytes = [](const std::vector<double> &v) {
        return QByteArray(reinterpret_cast<const char *>(v.data()),
                          qsizetype(v.size() * sizeof(double)));
    };
    QCOMPARE(three.size(), expected.size());
    QCOMPARE(bytes(three), bytes(expected));
}

void TestOrderingModels::normalAgainstDirectIntegration()
{
    const std::vector<double> theta = {0.0, 0.3, 0.8, 1.5, 0.4};
    const std::vector<double> three = normalFirstThree(theta);
    const int m = int(theta.size());
    for (int a = 0; a < m; ++a)
        for (int b = 0; b < m; ++b)
            for (int c = 0; c < m; ++c) {
                if (a == b || a == c || b == c)
                    continue;
                const double got = three[size_t((a * m + b) * m + c)];
                const double expected = normalByGrid(theta, a, b, c);
                QVERIFY2(std::fabs(got - expected) < 1e-6,
                         QByteArray::number(got - expected).constData());
            }
}

QTEST_GUILESS_MAIN(TestOrderingModels)
#include "tst_analysis_orderingmodels.moc"
