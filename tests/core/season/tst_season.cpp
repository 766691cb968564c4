// The result field read as a finishing order, the documents of a season and their evaluation.
#include "core/analysis/analysistable.h"
#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/season/season.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

namespace {

// A document of stake columns (投票金) with the given stakes and result text.
QByteArray document(const QList<int> &stakes, const QString &result, const QString &date)
{
    QString text = QStringLiteral("縦枠,横枠,レース,%1,予想,控除,投票\r\n%2,1,備考,備考,%3,85,1\r\n"
                                  "番,枠,名,順位,オッズ,当選金,人気,投票金\r…,…,…,…,…,…,比率→,1")
                       .arg(date)
                       .arg(stakes.size())
                       .arg(result);
    for (int r = 0; r < stakes.size(); ++r)
        text += QStringLiteral("\r%1,,,,,,,%2").arg(r + 1).arg(stakes[r]);
    return Cp932::encode(text + QStringLiteral("\r\n")).bytes;
}

SeasonRace race(const std::vector<double> &shares, const QString &result)
{
    SeasonRace race;
    race.runnerCount = int(shares.size());
    race.scores = {0};
    race.scores.insert(race.scores.end(), shares.begin(), shares.end());
    std::vector<double> win = race.scores;
    race.result = parseRaceResult(result, win);
    return race;
}

} // namespace

class TestSeason : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void resultText_data();
    void resultText();
    void foldersAndFiles();
    void evaluation_data();
    void evaluation();
    void summary();
    void calibrationEdges();
    void winningTicketsOfTheResult_data();
    void winningTicketsOfTheResult();
};

void TestSeason::resultText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("support");  // share of runners 1.. (0 = none)
    QTest::addColumn<QString>("expected"); // normalised result or the exclusion word

    const QString twelve = QStringLiteral("1 1 1 1 1 1 1 1 1 1 1 1");
    QTest::newRow("hyphens") << "3-7-12" << twelve << "3-7-12";
    QTest::newRow("full-width") << "３－７－１２" << twelve << "3-7-12";
    QTest::newRow("spaces, half and full") << " 3 7\u300012 " << twelve << "3-7-12";
    QTest::newRow("arrows") << "3→7→12" << twelve << "3-7-12";
    QTest::newRow("every other separator")
        << "3\u22127\u201012\u30fc1>2\uff1e4\u30015\u30fb6/8" << twelve << "3-7-12";
    QTest::newRow("only three places count") << "1-2-3-99-1" << twelve << "1-2-3";
    QTest::newRow("leading zeros") << "03-07-12" << twelve << "3-7-12";
    QTest::newRow("two runners with support, two places") << "2-1"
                                                          << "1 1 0"
                                                          << "2-1";
    QTest::newRow("empty") << "" << twelve << "no result";
    QTest::newRow("the default text") << "結果" << twelve << "no result";
    QTest::newRow("words") << "1着3番" << twelve << "unreadable result '1着3番'";
    QTest::newRow("words alone") << "未確定" << twelve << "no result";
    QTest::newRow("a decimal") << "3.5-7-12" << twelve << "unreadable result '3.5-7-12'";
    QTest::newRow("a letter") << "7-14-x" << twelve << "unreadable result '7-14-x'";
    QTest::newRow("tabs") << "7\t14\t6" << twelve << "unreadable result '7\\x0914\\x096'";
    QTest::newRow("separators only") << "- -" << twelve << "no result";
    QTest::newRow("dead heat") << "3=7-12" << twelve << "dead heat";
    QTest::newRow("full-width dead heat") << "3-7＝12" << twelve << "dead heat";
    QTest::newRow("dead heat beside words") << "3=7 同着" << twelve << "dead heat";
    QTest::newRow("runner 0") << "0-7-12" << twelve << "not runners";
    QTest::newRow("past the table") << "3-7-13" << twelve << "not runners";
    QTest::newRow("huge number") << "3-7-99999999999999999999" << twelve << "not runners";
    QTest::newRow("repeated") << "3-7-3" << twelve << "repeated runner";
    QTest::newRow("two places of twelve") << "3-7" << twelve << "too few places";
    QTest::newRow("one place of two supported") << "1"
                                                << "1 1 0"
                                                << "too few places";
    QTest::newRow("placed without support") << "1-3-2"
                                            << "1 1 0 1"
                                            << "no support";
}

void TestSeason::resultText()
{
    QFETCH(QString, text);
    QFETCH(QString, support);
    QFETCH(QString, expected);
    std::vector<double> win{0};
    for (const QString &s : support.split(u' '))
        win.push_back(s.toDouble());
    const RaceResult r = parseRaceResult(text, win);
    QCOMPARE(r.ok() ? r.text() : exclusionWord(r.exclusion, r), expected);
}

void TestSeason::foldersAndFiles()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("season/b")));
    const QString season = dir.filePath(QStringLiteral("season"));
    QVERIFY(writeAll(season + QStringLiteral("/b/race.csv"),
                     document({500, 300, 200}, QStringLiteral("３－１－２"),
                              QStringLiteral("2024年05月06日(月)"))));
    QVERIFY(writeAll(season + QStringLiteral("/A.CSV"),
                     document({1, 1}, QStringLiteral("結果"), QStringLiteral("2024/01/01"))));
    QVERIFY(writeAll(season + QStringLiteral("/broken.csv"), "hello\n"));
    QVERIFY(writeAll(season + QStringLiteral("/notes.txt"), "not a document"));

    // Byte order: "A" < "b/" < "broken"; a file given directly is taken whatever its name.
    const QString notes = season + QStringLiteral("/notes.txt");
    const QStringList files = seasonFiles({season + u'/', notes});
    QCOMPARE(files,
             QStringList({season + QStringLiteral("/A.CSV"), season + QStringLiteral("/b/race.csv"),
                          season + QStringLiteral("/broken.csv"), notes}));

    QStringList seen;
    for (const QString &f : files) {
        const SeasonRace race = readSeasonRace(f, true);
        seen << QStringLiteral("%1 %2 %3 %4")
                    .arg(race.runnerCount)
                    .arg(race.counts() ? race.result.text() : exclusionWord(race.result.exclusion))
                    .arg(race.date.toString(Qt::ISODate))
                    .arg(race.unreadable.isEmpty() ? 0 : 1);
    }
    QCOMPARE(seen, QStringList({"2 no result 2024-01-01 0", "3 3-1-2 2024-05-06 0",
                                "0 unreadable  1", "0 unreadable  1"}));
    // Stake columns are the market's: without own columns the combined model has nothing.
    const SeasonRace race = readSeasonRace(files[1], true);
    QVERIFY(race.own.empty());
    QCOMPARE(race.market, race.scores);
}

void TestSeason::evaluation_data()
{
    QTest::addColumn<int>("order");
    QTest::addColumn<double>("loglik");

    // Second place among 0.3 and 0.2 by p^lambda; the third is the one left.
    const auto discount = [](double l) {
        return l * std::log(0.3) - std::log(std::pow(0.3, l) + std::pow(0.2, l));
    };
    QTest::newRow("harville") << int(OrderModel::Harville) << std::log(0.3);
    QTest::newRow("discount") << int(OrderModel::Discount) << std::log(0.5) + discount(0.81);
    RaceField field = raceFieldFromScores({0, 50, 30, 20}, {}, 1).value;
    QTest::newRow("normal") << int(OrderModel::Normal)
                            << std::log(normalOrder(field).value.three(0, 1, 2));
}

void TestSeason::evaluation()
{
    QFETCH(int, order);
    QFETCH(double, loglik);
    SeasonModel model;
    model.order = OrderModel(order);
    SeasonEvaluator evaluator(model);
    const RaceEvaluation e = evaluator.add(race({50, 30, 20}, QStringLiteral("1-2-3")));
    QCOMPARE(e.exclusion, Exclusion::None);
    QCOMPARE(e.pwin, 0.5);
    QCOMPARE(e.winRank, 1);
    QVERIFY2(std::fabs(e.loglik - loglik) < 1e-12, qPrintable(QString::number(e.loglik)));
}

void TestSeason::summary()
{
    SeasonEvaluator evaluator({});
    evaluator.add(race({55, 28, 17}, QStringLiteral("1-2-3")));
    // Equal shares share the better rank; a runner without support counts p = 0 in the score.
    const RaceEvaluation tie = evaluator.add(race({44, 44, 12, 0}, QStringLiteral("2-3-1")));
    QCOMPARE(tie.winRank, 1);
    evaluator.add(race({40, 40, 20}, QStringLiteral("3=1-2")));
    const RaceEvaluation third = evaluator.add(race({65, 23, 12}, QStringLiteral("3-1-2")));
    QCOMPARE(third.winRank, 3);

    const SeasonSummary &s = evaluator.summary();
    QCOMPARE(s.races, 3);
    QCOMPARE(s.excluded, 1);
    QCOMPARE(s.favourites, 2);
    QVERIFY(std::fabs(s.winLoglik - std::log(0.55 * 0.44 * 0.12)) < 1e-12);
    QVERIFY(std::fabs(s.brier() - (0.3098 + 0.5216 + 1.2498) / 3) < 1e-12);
    QList<int> counts, wins;
    for (const CalibrationBin &b : s.bins)
        counts << b.count, wins << b.wins;
    QCOMPARE(counts, QList<int>({0, 0, 0, 2, 1, 2, 0, 3, 1}));
    QCOMPARE(wins, QList<int>({0, 0, 0, 1, 0, 0, 0, 2, 0}));
    QVERIFY(std::fabs(s.bins[7].meanP() - (0.55 + 0.44 + 0.44) / 3) < 1e-12);
}

// A share that is a bin's edge in hundredths falls in the bin it starts, however the field's
// division rounds it; a share just below stays in the bin before.
void TestSeason::calibrationEdges()
{
    const std::array<CalibrationBin, 9> bins = SeasonSummary::emptyBins();
    QStringList wrong;
    for (size_t b = 1; b < bins.size(); ++b) {
        const int k = int(std::lround(bins[b].low * 100));
        for (const double scale : {1.0, 3.0, 7.0, 0.01, 0.07, 1e-5}) {
            for (const int parts : {1, 2, 3, 7}) {
                std::vector<double> scores{0, k * scale};
                for (int i = 0; i < parts; ++i)
                    scores.push_back((100 - k) * scale / parts);
                const double p = raceFieldFromScores(scores, {}, 1).value.win[1];
                if (SeasonSummary::binOf(p) != b)
                    wrong << QStringLiteral("%1/100 x%2 in %3 parts: %4")
                                 .arg(k)
                                 .arg(scale)
                                 .arg(parts)
                                 .arg(p, 0, 'g', 17);
            }
        }
        if (SeasonSummary::binOf(bins[b].low - 1e-9) != b - 1)
            wrong << QStringLiteral("below %1").arg(bins[b].low);
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(u'\n')));
    QCOMPARE(SeasonSummary::binOf(1.0), bins.size() - 1);
    QCOMPARE(SeasonSummary::binOf(1e-300), size_t(0));
}

void TestSeason::winningTicketsOfTheResult_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("hits");

    QTest::newRow("win") << int(BetType::Win) << "３－１－２"
                         << "3";
    QTest::newRow("quinella") << int(BetType::Quinella) << "3-1-2"
                              << "1-3";
    QTest::newRow("trifecta") << int(BetType::Trifecta) << "3-1-2"
                              << "3>1>2";
    QTest::newRow("no result") << int(BetType::Win) << "結果"
                               << "none";
}

void TestSeason::winningTicketsOfTheResult()
{
    QFETCH(int, type);
    QFETCH(QString, result);
    QFETCH(QString, hits);
    OddsDocument doc;
    doc.buildTable();
    QVERIFY(
        loadDocumentBytes(doc, document({500, 300, 200}, result, QStringLiteral("2024/01/01"))).ok);
    AnalysisInputs inputs;
    inputs.betType = BetType(type);
    const AnalysisTable table = buildAnalysisTable(analyseDocument(doc, {}), inputs);
    QStringList won;
    for (const AnalysisRow &row : table.rows)
        if (row.hit)
            won << ticketText(table.type, row.ticket);
    QCOMPARE(table.hasResult ? won.join(u',') : QStringLiteral("none"), hits);
}

QTEST_GUILESS_MAIN(TestSeason)
#include "tst_season.moc"
