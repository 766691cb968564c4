#include "core/document/oddsdocument.h"
#include "core/racemodel/combinations.h"

#include <QTest>
#include <algorithm>
#include <bit>
#include <cmath>

namespace {

// Runners 1..n with falling (or equal) shares, those from `first` to `last` without support,
// brackets as the table allocates them.
RaceField fieldOf(int n, int first = 99, int last = 99, bool equal = false)
{
    std::vector<double> scores(size_t(n) + 1, 0.0);
    for (int r = 1; r <= n; ++r)
        scores[size_t(r)] = r >= first && r <= last ? 0 : equal ? 1.0 : 10.0 / (r + 2);
    std::vector<int> brackets(size_t(n) + 1, 0);
    const QStringList table = bracketTable(n);
    for (int r = 1; r <= n && r <= table.size(); ++r)
        brackets[size_t(r)] = table[r - 1].toInt();
    return raceFieldFromScores(scores, brackets, 1).value;
}

} // namespace

class TestCombinations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void totals_data();
    void totals();
    void zeroShareRunnerAppearsNowhere_data();
    void zeroShareRunnerAppearsNowhere();
    void bracketsAreSumsOfRunnerPairs();
    void estimatedOddsCases_data();
    void estimatedOddsCases();
    void availabilityCases_data();
    void availabilityCases();
    void tickets_data();
    void tickets();
};

void TestCombinations::totals_data()
{
    QTest::addColumn<int>("bet");
    QTest::addColumn<int>("runners");
    QTest::addColumn<int>("model");
    QTest::addColumn<double>("total");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("equal"); // equal shares: probabilities equal or a rounding apart

    const int discount = int(OrderModel::Discount);
    const int normal = int(OrderModel::Normal);
    QTest::newRow("win") << int(BetType::Win) << 18 << discount << 1.0 << 18 << false;
    QTest::newRow("place pays 3 from 8 runners")
        << int(BetType::Place) << 8 << discount << 3.0 << 8 << false;
    QTest::newRow("place pays 2 with 7 runners")
        << int(BetType::Place) << 7 << normal << 2.0 << 7 << false;
    QTest::newRow("bracket quinella, 18 runners: 8 x 9 / 2 pairs, 8-8 has 3 runners")
        << int(BetType::BracketQuinella) << 18 << discount << 1.0 << 36 << false;
    QTest::newRow("quinella") << int(BetType::Quinella) << 18 << normal << 1.0 << 153 << false;
    QTest::newRow("wide: 3 pairs in every top three")
        << int(BetType::Wide) << 18 << discount << 3.0 << 153 << false;
    QTest::newRow("trio") << int(BetType::Trio) << 18 << discount << 1.0 << 816 << false;
    QTest::newRow("trifecta") << int(BetType::Trifecta) << 18 << normal << 1.0 << 4896 << false;
    QTest::newRow("trifecta, equal shares, 36 runners")
        << int(BetType::Trifecta) << 36 << discount << 1.0 << 42840 << true;
    QTest::newRow("trio, equal shares") << int(BetType::Trio) << 18 << normal << 1.0 << 816 << true;
    QTest::newRow("wide, equal shares")
        << int(BetType::Wide) << 18 << discount << 3.0 << 153 << true;
}

// Every race has one outcome per ticket kind (three paid places, three wide pairs), the list
// is in order, and looking one ticket up gives what the list has.
void TestCombinations::totals()
{
    QFETCH(int, bet);
    QFETCH(int, runners);
    QFETCH(int, model);
    QFETCH(double, total);
    QFETCH(int, count);
    QFETCH(bool, equal);

    const BetType type = BetType(bet);
    const RaceField field = fieldOf(runners, 99, 99, equal);
    const Result<FinishingOrder> order = modelOrder(field, OrderModel(model), 0.81, 0.65);
    QVERIFY(order.ok());
    const std::vector<Combination> list = computeCombinations(type, order.value, field, 0.75);
    QCOMPARE(int(list.size()), count);
    double sum = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        const Combination &c = list[i];
        sum += c.probability;
        QCOMPARE(ticketProbability(type, order.value, field, c.runners), c.probability);
        QCOMPARE(c.estimatedOdds, estimatedOdds(0.75, c.probability));
        if (i > 0)
            QVERIFY(list[i - 1].probability > c.probability ||
                    (list[i - 1].probability == c.probability && list[i - 1].runners < c.runners));
    }
    QVERIFY2(std::fabs(sum - total) < 1e-9, qPrintable(QString::number(sum, 'g', 17)));
    // By their numbers, the same combinations to the bit.
    std::vector<Combination> byNumbers = list;
    std::sort(byNumbers.begin(), byNumbers.end(),
              [](const Combination &x, const Combination &y) { return x.runners < y.runners; });
    const std::vector<Combination> listed = ticketCombinations(type, order.value, field, 0.75);
    QCOMPARE(listed.size(), byNumbers.size());
    for (size_t i = 0; i < listed.size(); ++i) {
        QCOMPARE(listed[i].runners, byNumbers[i].runners);
        QCOMPARE(std::bit_cast<quint64>(listed[i].probability),
                 std::bit_cast<quint64>(byNumbers[i].probability));
        QCOMPARE(listed[i].estimatedOdds, byNumbers[i].estimatedOdds);
    }
}

void TestCombinations::zeroShareRunnerAppearsNowhere_data()
{
    QTest::addColumn<int>("model");
    QTest::newRow("harville") << int(OrderModel::Harville);
    QTest::newRow("discount") << int(OrderModel::Discount);
    QTest::newRow("normal") << int(OrderModel::Normal);
}

void TestCombinations::zeroShareRunnerAppearsNowhere()
{
    QFETCH(int, model);
    const RaceField field = fieldOf(10, 4, 4);
    const Result<FinishingOrder> order = modelOrder(field, OrderModel(model), 0.81, 0.65);
    QVERIFY(order.ok());
    for (const BetType type : AllBetTypes) {
        if (type == BetType::BracketQuinella)
            continue;
        double sum = 0;
        for (const Combination &c : computeCombinations(type, order.value, field, 0.8)) {
            QVERIFY2(!std::count(c.runners.begin(), c.runners.end(), 4),
                     qPrintable(ticketText(type, c.runners)));
            sum += c.probability;
        }
        QVERIFY(sum > 0.999);
        QCOMPARE(ticketProbability(type, order.value, field, {4, 1, 2}), 0.0);
    }
}

void TestCombinations::bracketsAreSumsOfRunnerPairs()
{
    const RaceField field = fieldOf(18, 5, 5);
    const FinishingOrder order = discountOrder(field, 0.81, 0.65);
    std::array<double, 64> expected{};
    for (const Combination &c : computeCombinations(BetType::Quinella, order, field, 1)) {
        int x = field.bracket[size_t(c.runners[0])];
        int y = field.bracket[size_t(c.runners[1])];
        if (x > y)
            std::swap(x, y);
        expected[size_t((x - 1) * 8 + y - 1)] += c.probability;
    }
    int pairs = 0;
    for (const Combination &c : computeCombinations(BetType::BracketQuinella, order, field, 1)) {
        QVERIFY(std::fabs(c.probability -
                          expected[size_t((c.runners[0] - 1) * 8 + c.runners[1] - 1)]) < 1e-15);
        ++pairs;
    }
    QCOMPARE(pairs, 35); // 3-3 has no pair left: runner 5 has no support, runner 6 is alone
}

void TestCombinations::estimatedOddsCases_data()
{
    QTest::addColumn<double>("ratio");
    QTest::addColumn<double>("probability");
    QTest::addColumn<double>("odds");

    QTest::newRow("0.725 / 0.1 = 7.25, truncated to 7.2") << 0.725 << 0.1 << 7.2;
    QTest::newRow("0.73 / 0.1 is 7.2999999999999998 in doubles: 7.3") << 0.73 << 0.1 << 7.3;
    QTest::newRow("0.8 / 0.6 = 1.333 -> 1.3") << 0.8 << 0.6 << 1.3;
    QTest::newRow("0.8 / 0.9 = 0.89 is below 1.0: 1.0") << 0.8 << 0.9 << 1.0;
    QTest::newRow("0.775 / 1e-5 = 77500.0, no cap") << 0.775 << 1e-5 << 77500.0;
    QTest::newRow("0.75 / 0.000123 = 6097.560975... -> 6097.5") << 0.75 << 0.000123 << 6097.5;
    QTest::newRow("probability 0: no odds") << 0.8 << 0.0 << 0.0;
}

void TestCombinations::estimatedOddsCases()
{
    QFETCH(double, ratio);
    QFETCH(double, probability);
    QFETCH(double, odds);
    QCOMPARE(estimatedOdds(ratio, probability), odds);
}

void TestCombinations::availabilityCases_data()
{
    QTest::addColumn<int>("bet");
    QTest::addColumn<int>("runners");
    QTest::addColumn<int>("unsupported"); // runners without support, from the last
    QTest::addColumn<QString>("reason");  // empty: offered

    QTest::newRow("place, 4 runners")
        << int(BetType::Place) << 4 << 0 << "place is not sold with fewer than 5 runners";
    QTest::newRow("bracket quinella, 8 runners")
        << int(BetType::BracketQuinella) << 8 << 0
        << "bracket-quinella is not sold with fewer than 9 runners";
    QTest::newRow("bracket quinella, 25 runners: column 1 has no brackets")
        << int(BetType::BracketQuinella) << 25 << 0 << "runner 1 has no bracket number (1 to 8)";
    QTest::newRow("wide, 2 of 6 supported")
        << int(BetType::Wide) << 6 << 4 << "wide needs 3 runners with support, the race has 2";
    QTest::newRow("exacta, 1 of 6 supported")
        << int(BetType::Exacta) << 6 << 5 << "exacta needs 2 runners with support, the race has 1";
}

void TestCombinations::availabilityCases()
{
    QFETCH(int, bet);
    QFETCH(int, runners);
    QFETCH(int, unsupported);
    QFETCH(QString, reason);
    QCOMPARE(availability(BetType(bet), fieldOf(runners, runners - unsupported + 1)).error, reason);
}

void TestCombinations::tickets_data()
{
    QTest::addColumn<int>("bet");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("read"); // the ticket written back, or the start of the error

    QTest::newRow("unordered, any order") << int(BetType::Trio) << "12-3-7"
                                          << "3-7-12";
    QTest::newRow("ordered keeps the order") << int(BetType::Trifecta) << "12>3>7"
                                             << "12>3>7";
    QTest::newRow("bracket within one bracket") << int(BetType::BracketQuinella) << "8-8"
                                                << "8-8";
    QTest::newRow("runner 19 of 18") << int(BetType::Win) << "19"
                                     << "'19' names runner 19, the race has runners 1 to 18";
    QTest::newRow("user text is no template") << int(BetType::Win) << "99%1"
                                              << "'99%1' names runner 99, the race has runners "
                                                 "1 to 18";
    QTest::newRow("same runner twice") << int(BetType::Quinella) << "3-3"
                                       << "'3-3' is not a";
    QTest::newRow("leading zero") << int(BetType::Quinella) << "01-2"
                                  << "'01-2' is not a";
    QTest::newRow("too many runners") << int(BetType::Quinella) << "1-2-3"
                                      << "'1-2-3' is not";
    QTest::newRow("full-width digits, dash and blanks") << int(BetType::Quinella) << "１２　－　７"
                                                        << "7-12";
    QTest::newRow("blanks around the dash") << int(BetType::Trio) << " 3 - 1 -2 "
                                            << "1-2-3";
    QTest::newRow("arrows of an exacta") << int(BetType::Exacta) << "2→1"
                                         << "2>1";
    QTest::newRow("arrows of a trifecta") << int(BetType::Trifecta) << "3 → 2 ＞ 1"
                                          << "3>2>1";
    QTest::newRow("arrow for a set") << int(BetType::Quinella) << "1→2"
                                     << "'1→2' is not a quinella combination (like 1-2)";
    QTest::newRow("an exacta, not a exacta") << int(BetType::Exacta) << "1-2"
                                             << "'1-2' is not an exacta";
    QTest::newRow("bracket beyond 8") << int(BetType::BracketQuinella) << "1-9"
                                      << "'1-9' names bracket 9, the race has brackets 1 to 8";
}

void TestCombinations::tickets()
{
    QFETCH(int, bet);
    QFETCH(QString, text);
    QFETCH(QString, read);
    const Result<Ticket> t =
        parseTicket(BetType(bet), text, BetType(bet) == BetType::BracketQuinella ? 8 : 18);
    const QString got = t.ok() ? ticketText(BetType(bet), t.value) : t.error;
    QVERIFY2(t.ok() ? got == read : got.startsWith(read), qPrintable(got));
}

QTEST_GUILESS_MAIN(TestCombinations)
#include "tst_analysis_combinations.moc"
