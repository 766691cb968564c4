// The analysis table over a document, odds pasted into it and the sidecar file.
#include "core/analysis/analysistable.h"
#include "core/document/oddsdocument.h"
#include "core/editing/clipboardrange.h"
#include "core/file/documentfile.h"
#include "core/market/oddspaste.h"
#include "testfiles.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

OddsDocument race18()
{
    OddsDocument doc;
    const FileResult loaded = loadDocument(doc, dataPath(QStringLiteral("race18.csv")));
    if (!loaded.ok)
        qFatal("race18.csv: %s", qPrintable(loaded.message));
    return doc;
}

// The quinella view of n runners with odds 2.0, 3.0, ... as the grid copies it.
QString matrixText(int n, QStringList *estimates)
{
    OddsDocument d;
    d.setCountText(0, QString::number(n));
    d.buildTable();
    for (int r = 1; r <= n; ++r)
        d.runnerTable.setText(r + 1, ColOdds, QString::number(r + 1) + QStringLiteral(".0"));
    d.estimateQuinella();
    *estimates = d.quinellaList;
    Grid &g = d.quinellaMatrix;
    g.setCurrent(0, 0);
    g.setSelection(g.rows() - 1, g.cols() - 1);
    return copyRange(g, false);
}

QStringList listed(BetType type, const ActualOdds &odds, const std::set<Ticket> &scratched = {})
{
    QStringList out;
    for (const auto &[ticket, value] : odds)
        out << ticketText(type, ticket) + u':' + QString::number(value.odds, 'f', 1) +
                   (value.upper > 0 ? u'-' + QString::number(value.upper, 'f', 1) : QString());
    for (const Ticket &ticket : scratched)
        out << ticketText(type, ticket) + QStringLiteral(":取消");
    return out;
}

const std::vector<Ticket> Pairs = {{1, 2, 0}, {1, 3, 0}, {2, 3, 0}};

} // namespace

class TestAnalysisInputs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableFollowsDocumentOnly();
    void probabilitiesThatAreNoNumbers();
    void matrixLandsOnItsPairs_data();
    void matrixLandsOnItsPairs();
    void pastedLayouts_data();
    void pastedLayouts();
    void unplaceableRefusedWhole_data();
    void unplaceableRefusedWhole();
    void sidecarRoundTrip();
    void everyAcceptedOddsReadsBack();
    void sidecarVersions_data();
    void sidecarVersions();
    void snapshots();
    void hostileSidecar_data();
    void hostileSidecar();
    void failedSidecarWriteKeepsOld();
};

void TestAnalysisInputs::tableFollowsDocumentOnly()
{
    OddsDocument doc = race18();
    const QString supportBefore = doc.runnerTable.text(3, ColSupport);
    AnalysisInputs in;
    in.betType = BetType::Win;
    const AnalysisTable before = buildAnalysisTable(analyseDocument(doc, {}), in);
    QCOMPARE(before.rows.size(), size_t(18));

    // Runners 1 and 18 swap their data: the copy is recalculated, the document is not.
    Grid &g = doc.runnerTable;
    for (int c = FirstDataCol; c < g.cols(); ++c) {
        const QString first = g.text(2, c);
        g.setText(2, c, g.text(19, c));
        g.setText(19, c, first);
    }
    const AnalysedRace race = analyseDocument(doc, {});
    const AnalysisTable after = buildAnalysisTable(race, in);
    QCOMPARE(after.rows.front().ticket[0], 18);
    QCOMPARE_NE(before.rows.front().ticket[0], 18);
    QCOMPARE(doc.runnerTable.text(3, ColSupport), supportBefore);
    QCOMPARE(race.runners[17].name, doc.runnerTable.text(19, ColName).trimmed());
    QVERIFY(race.runners[17].supportPercent > race.runners[0].supportPercent);
}

// Parameters far outside their ranges: an error naming the model, never an empty table.
void TestAnalysisInputs::probabilitiesThatAreNoNumbers()
{
    AnalysisParameters parameters;
    parameters.model = OrderModel::Discount;
    parameters.lambda = 1e308;
    const Result<RaceModel> race = analyseRace(race18(), parameters);
    QCOMPARE(race.error,
             QStringLiteral("the discount model gives probabilities that are not finite numbers"));
    parameters.lambda = MaxLambda;
    parameters.rho = MaxLambda;
    parameters.beta = MaxBeta;
    QVERIFY(analyseRace(race18(), parameters).ok());
}

void TestAnalysisInputs::matrixLandsOnItsPairs_data()
{
    QTest::addColumn<int>("runners");
    QTest::newRow("two, one block") << 2;
    QTest::newRow("five, a folded block") << 5;
    QTest::newRow("eighteen, 153 pairs") << 18;
}

void TestAnalysisInputs::matrixLandsOnItsPairs()
{
    QFETCH(int, runners);
    QStringList estimates;
    const QString text = matrixText(runners, &estimates);
    const Result<OddsLines> odds = parsePastedOdds(text, BetType::Quinella, runners, {});
    QVERIFY2(odds.ok(), qPrintable(odds.error));
    QCOMPARE(listed(BetType::Quinella, odds.value.odds), estimates);
}

void TestAnalysisInputs::pastedLayouts_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    const int quinella = int(BetType::Quinella);
    QTest::newRow("column in runner order") << quinella << "4.5\r\n6\r\n7.5\r\n"
                                            << QStringList{"1-2:4.5", "1-3:6.0", "2-3:7.5"};
    QTest::newRow("combo lines, any order") << quinella << "2-3\t7.5\n1-3\t6\n"
                                            << QStringList{"1-3:6.0", "2-3:7.5"};
    QTest::newRow("blocks without labels count rows")
        << quinella << "■1■\t\t■2■\n4.5\t\t7.5\n6\n"
        << QStringList{"1-2:4.5", "1-3:6.0", "2-3:7.5"};
    QTest::newRow("blocks with second runners as labels") << int(BetType::Wide) << "\t■1■\n3\t2.5\n"
                                                          << QStringList{"1-3:2.5"};
    QTest::newRow("a pair without odds is skipped") << quinella << "\t■1■\n1-2\t\n1-3\t6\n"
                                                    << QStringList{"1-3:6.0"};
    // The forms odds pages and people paste.
    const QStringList twelve{"1-2:12.3"};
    QTest::newRow("blank as the separator") << quinella << "1-2 12.3" << twelve;
    QTest::newRow("blanks around the dash") << quinella << "1 - 2\t12.3" << twelve;
    QTest::newRow("blanks around the dash, blank separated") << quinella << " 2 - 1   12.3 \r\n"
                                                             << twelve;
    QTest::newRow("full-width forms") << quinella << "１－２　１２．３" << twelve;
    QTest::newRow("thousands commas") << quinella << "1-2\t1,234.5\n1-3 12,345,678.9"
                                      << QStringList{"1-2:1234.5", "1-3:12345678.9"};
    QTest::newRow("arrows of an exacta")
        << int(BetType::Exacta) << "2→1 5.5\n1 → 2 4.5" << QStringList{"1>2:4.5", "2>1:5.5"};
    QTest::newRow("header line without a digit") << quinella << "組番\tオッズ\n1-2\t12.3" << twelve;
    QTest::newRow("scratched lines") << quinella << "1-2\t12.3\n1-3\t取消\n2-3 ---"
                                     << QStringList{"1-2:12.3", "1-3:取消", "2-3:取消"};
    QTest::newRow("scratched in a column")
        << quinella << "4.5\n除外\n7.5" << QStringList{"1-2:4.5", "2-3:7.5", "1-3:取消"};
    QTest::newRow("ranges of wide odds") << int(BetType::Wide) << "1-2\t3.4-4.1\n1-3 1.0 - 1.2"
                                         << QStringList{"1-2:3.4-4.1", "1-3:1.0-1.2"};
    QTest::newRow("ranges of place odds")
        << int(BetType::Place) << "3 １．１－１．５" << QStringList{"3:1.1-1.5"};
    QTest::newRow("the table copy takes 実オッズ")
        << quinella
        << "買い目\t馬名\t確率%\t推定オッズ\t実オッズ\t実÷推定\t期待値\t馬連表の推定\r\n"
           "1-2\tA・B\t12.345\t6.3\t12.3\t1.95\t1.518\t6.1\r\n"
           "1-3\tA・C\t10.000\t7.8\t\t\t\t7.0\r\n"
        << twelve;
    QTest::newRow("the same ticket twice with the same odds")
        << quinella << "1-2 12.3\n2-1 12.3" << twelve;
}

void TestAnalysisInputs::pastedLayouts()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const std::vector<Ticket> byNumber = {{1, 2, 0}, {1, 3, 0}, {2, 3, 0}};
    const Result<OddsLines> odds = parsePastedOdds(text, BetType(type), 3, byNumber);
    QVERIFY2(odds.ok(), qPrintable(odds.error));
    QCOMPARE(listed(BetType(type), odds.value.odds, odds.value.scratched), expected);
}

void TestAnalysisInputs::unplaceableRefusedWhole_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    const int quinella = int(BetType::Quinella);
    QTest::newRow("column too short") << quinella << "4.5\n6\n"
                                      << "2 odds for 3 tickets";
    QTest::newRow("column too long") << quinella << "1\n2\n3\n4\n"
                                     << "line 4:";
    QTest::newRow("word in a column") << quinella << "4.5\n取り消し\n7.5\n"
                                      << "line 2:";
    // Hostile odds: none of these may reach the table, each is named where it is refused.
    const QString notOdds =
        QStringLiteral(" is not odds (odds from 1.0 to 99,999,999.9 with one decimal)");
    QTest::newRow("1e10") << quinella << "1-2\t1e10"
                          << "line 1: '1e10'" + notOdds;
    QTest::newRow("just beyond") << quinella << "1-2\t100,000,000.0"
                                 << "line 1: '100,000,000.0'" + notOdds;
    QTest::newRow("below 1.0") << quinella << "1-2\t0.9"
                               << "line 1: '0.9'" + notOdds;
    QTest::newRow("two decimals") << quinella << "1-2\t12.34"
                                  << "line 1: '12.34'" + notOdds;
    QTest::newRow("comma as a decimal point") << quinella << "1-2\t12,5"
                                              << "line 1: '12,5'" + notOdds;
    QTest::newRow("inf in a column") << quinella << "4.5\ninf\n7.5"
                                     << "line 2: 'inf'" + notOdds;
    QTest::newRow("range of a quinella")
        << quinella << "1-2\t3.4-4.1"
        << "line 1: '3.4-4.1' is a range of odds: only place and wide odds are ranges";
    QTest::newRow("range upside down") << int(BetType::Wide) << "1-2\t4.1-3.4"
                                       << "line 1: '4.1-3.4'" + notOdds;
    QTest::newRow("three fields, no header")
        << quinella << "1-2\t12.3\n1-3\tname\t6.0"
        << "line 2: 3 fields and no header line naming the odds column";
    QTest::newRow("header naming no odds column") << quinella << "組番\t馬名\t人気\n1-2\tA\t3"
                                                  << "line 2: 3 fields";
    QTest::newRow("one ticket, two odds") << quinella << "1-2 12.3\n\n2-1 13.0"
                                          << "lines 1 and 3 give 1-2 different odds";
    QTest::newRow("one ticket, odds and scratched") << quinella << "1-2 12.3\n1-2 取消"
                                                    << "lines 1 and 2 give 1-2 different odds";
    QTest::newRow("a ticket without odds") << quinella << "1-2"
                                           << "line 1: no odds after '1-2'";
    QTest::newRow("control characters escaped") << quinella
                                                << QStringLiteral("1-2\t1") + QChar(0) +
                                                       QStringLiteral("\x1b"
                                                                      "2")
                                                << "line 1: '1\\x00\\x1b2'" + notOdds;
    QTest::newRow("a long line quoted to 60 characters")
        << quinella << "1-2\t" + QString(100000, u'9')
        << "line 1: '" + QString(60, u'9') + "…'" + notOdds;
    QTest::newRow("user text is no template") << quinella << "1-2\t%1%2"
                                              << "line 1: '%1%2'" + notOdds;
    QTest::newRow("runner past the field") << quinella << "1-2\t3\n1-4\t5\n"
                                           << "line 2:";
    QTest::newRow("cell outside every block") << quinella << "■1■\n4.5\n6\n\n\t9.9\n"
                                              << "line 5:";
    QTest::newRow("label of another runner") << quinella << "\t■1■\n2-3\t4.5\n"
                                             << "line 2:";
    QTest::newRow("block longer than the field") << quinella << "■2■\n4\n5\n"
                                                 << "line 3:";
    QTest::newRow("matrix for a trio") << int(BetType::Trio) << "■1■\n4\n"
                                       << "quinella and wide only";
}

void TestAnalysisInputs::unplaceableRefusedWhole()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QString, error);
    const std::vector<Ticket> byNumber = {{1, 2, 0}, {1, 3, 0}, {2, 3, 0}};
    const Result<OddsLines> odds = parsePastedOdds(text, BetType(type), 3, byNumber);
    QVERIFY2(odds.error.contains(error), qPrintable(odds.error));
    QVERIFY(odds.error.size() < 200);
    QVERIFY(odds.value.odds.empty());
    // The window says the same in Japanese.
    QVERIFY(!japaneseText(odds.problem).contains(QStringLiteral(" is ")));
}

void TestAnalysisInputs::sidecarRoundTrip()
{
    AnalysisInputs in;
    in.betType = BetType::Trifecta;
    in.parameters.model = OrderModel::Discount;
    in.parameters.lambda = 0.76;
    in.parameters.beta = 1.1;
    in.parameters.combine = true;
    in.parameters.alpha = -0.25;
    in.parameters.gamma = 4.5;
    in.parameters.setRatio(BetType::Wide, 0.7);
    in.highRatio = 1.5;
    in.budget = 3000;
    in.kelly = true;
    in.kellyFraction = 0.25;
    in.actualOf(BetType::Trifecta)[{18, 1, 2}] = 1234.5; // kept for a larger field
    in.actualOf(BetType::BracketQuinella)[{8, 8, 0}] = 99999999.9;
    in.actualOf(BetType::Wide)[{3, 4, 0}] = QuotedOdds(3.4, 4.1);
    in.picksOf(BetType::Exacta) = {{2, 1, 0}, {1, 2, 0}};

    QTemporaryDir dir;
    const QString path = sidecarPath(dir.filePath(QStringLiteral("race.csv")));
    QCOMPARE(path, dir.filePath(QStringLiteral("race.csv.analysis")));
    QCOMPARE(writeSidecar(path, in), QString());
    const Result<AnalysisInputs> back = readSidecar(path);
    QVERIFY2(back.ok(), qPrintable(back.error));
    QVERIFY(back.value == in);
    QCOMPARE(readAll(path).count("\r\n"), sidecarText(in).count(QStringLiteral("\r\n")));
    QVERIFY(readSidecar(dir.filePath(QStringLiteral("none.analysis"))).value == AnalysisInputs{});

    writeAll(path, "[Analysis]\r\nBeta=x\r\n");
    QCOMPARE(readSidecar(path).error, QStringLiteral("line 2: bad Beta 'x'"));
    // The first version, without the combined model, is still read; a later one is not.
    writeAll(path, "[Analysis]\r\nVersion=1\r\nBeta=1.5\r\n");
    QVERIFY(readSidecar(path).ok() && !readSidecar(path).value.parameters.combine);
    writeAll(path, "[Analysis]\r\nVersion=4\r\n");
    QCOMPARE(readSidecar(path).error, QStringLiteral("line 2: bad Version '4'"));
}

// Whatever the window takes as odds is what the analysis file gives back, to the bit.
void TestAnalysisInputs::everyAcceptedOddsReadsBack()
{
    std::vector<qint64> tenths;
    for (qint64 t = 10; t <= 20000; ++t)
        tenths.push_back(t);
    for (qint64 t = 999999999, step = 1; t > 20000; t -= step, step = step * 3 / 2 + 7)
        tenths.push_back(t);
    AnalysisInputs in;
    ActualOdds &trifecta = in.actualOf(BetType::Trifecta);
    size_t next = 0;
    for (int a = 1; a <= 36 && next < tenths.size(); ++a)
        for (int b = 1; b <= 36 && next < tenths.size(); ++b)
            for (int c = 1; c <= 36 && next < tenths.size(); ++c) {
                if (a == b || b == c || a == c)
                    continue;
                const qint64 t = tenths[next++];
                // As typed: "12.3", and with thousands commas.
                const QString typed = QLocale(QLocale::English).toString(double(t) / 10, 'f', 1);
                const Result<QuotedOdds> read = parseOdds(typed, BetType::Trifecta);
                QVERIFY2(read.ok(), qPrintable(typed));
                QCOMPARE(read.value.odds,
                         (QString::number(t / 10) + u'.' + QString::number(t % 10)).toDouble());
                trifecta[{a, b, c}] = read.value;
            }
    QCOMPARE(next, tenths.size());
    in.actualOf(BetType::Place)[{1, 0, 0}] = parseOdds(u"1.0-99,999,999.9", BetType::Place).value;
    const Result<AnalysisInputs> back = parseSidecar(sidecarText(in));
    QVERIFY2(back.ok(), qPrintable(back.error));
    QVERIFY(back.value == in);
}

void TestAnalysisInputs::sidecarVersions_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("read"); // the place odds and payouts of what was read, by snapshot

    QTest::newRow("version 1") << QByteArray("[Analysis]\nVersion=1\nBetType=place\n[place]\n"
                                             "Ratio=0.8\nPicks=3\n3=2.1\n7=1.5\n")
                               << " 3=2.1 7=1.5 |";
    QTest::newRow("version 2") << QByteArray("[Analysis]\r\nVersion=2\r\n[place]\r\n3=2.1\r\n")
                               << " 3=2.1 |";
    QTest::newRow("version 3: the latest with its time, earlier ones newest first, one "
                  "without a time, payouts")
        << QByteArray("[Analysis]\r\nVersion=3\r\n[place]\r\nRatio=0.8\r\n"
                      "Time=2026-12-12 14:05:00\r\n3=1.5-2.0\r\n"
                      "[place@2026-12-12 13:30:00]\r\n3=2.5-3.0\r\n[place@]\r\n7=9.9\r\n"
                      "[Payouts]\r\nquinella 3-7=1230\r\nplace 3=150\r\n")
        << "2026-12-12 14:05:00 3=1.5-2.0 |2026-12-12 13:30:00 3=2.5-3.0 | 7=9.9 | place 3=150 "
           "quinella 3-7=1230";
    QTest::newRow("a later version")
        << QByteArray("[Analysis]\nVersion=4\n") << "line 2: bad Version '4'";
    QTest::newRow("a bad snapshot time")
        << QByteArray("[place@12:00]\n3=2.1\n") << "line 1: unknown section [place@12:00]";
    QTest::newRow("a bad latest time")
        << QByteArray("[place]\nTime=2026-12-12\n") << "line 2: bad Time '2026-12-12'";
    QTest::newRow("a payout of no bet type")
        << QByteArray("[Payouts]\npick6 1=100\n") << "line 2: unknown bet type 'pick6'";
}

void TestAnalysisInputs::sidecarVersions()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, read);
    const Result<AnalysisInputs> in = parseSidecarBytes(file);
    if (!in.ok()) {
        QCOMPARE(in.error, read);
        return;
    }
    QString got;
    for (int k = 0; k < snapshotCount(in.value, BetType::Place); ++k) {
        got += snapshotTimeOf(in.value, BetType::Place, k);
        for (const auto &[ticket, odds] : snapshotOdds(in.value, BetType::Place, k))
            got += QStringLiteral(" %1=%2").arg(ticket[0]).arg(oddsText(odds));
        got += QStringLiteral(" |");
    }
    for (const auto &[key, yen] : in.value.payouts)
        got += QStringLiteral(" %1=%2").arg(payoutKeyText(key.first, key.second)).arg(yen);
    QCOMPARE(got, read);
    // Written as version 3, in the same order, and read back equal.
    const QByteArray written = sidecarBytes(in.value);
    QVERIFY(written.contains("Version=3\r\n"));
    QVERIFY(parseSidecarBytes(written).value == in.value);
}

// Each paste a snapshot: the previous latest odds with the pasted ones merged in.
void TestAnalysisInputs::snapshots()
{
    AnalysisInputs in;
    const BetType q = BetType::Quinella;
    QCOMPARE(pasteSnapshot(&in, q, {{{1, 2}, 12.3}, {{1, 3}, 20.0}}, "2026-12-12 13:00:00"), 0);
    QCOMPARE(pasteSnapshot(&in, q, {{{1, 2}, 11.0}}, "2026-12-12 13:05:00"), 0);
    QCOMPARE(in.actualOf(q), (ActualOdds{{{1, 2}, 11.0}, {{1, 3}, 20.0}}));
    QCOMPARE(snapshotOdds(in, q, 1), (ActualOdds{{{1, 2}, 12.3}, {{1, 3}, 20.0}}));
    QVERIFY(sidecarText(in).contains("Time=2026-12-12 13:05:00\r\n1-2=11.0\r\n1-3=20.0\r\n"
                                     "[quinella@2026-12-12 13:00:00]\r\n1-2=12.3\r\n1-3=20.0\r\n"
                                     "[wide]"));
    for (int k = 2; k < MaxSnapshots; ++k)
        QCOMPARE(pasteSnapshot(&in, q, {}, QString()), 0);
    QCOMPARE(snapshotCount(in, q), MaxSnapshots);
    // The 201st: the first goes, the second is now the oldest.
    QCOMPARE(pasteSnapshot(&in, q, {{{1, 2}, 9.9}}, "2026-12-12 15:00:00"), 1);
    QCOMPARE(snapshotCount(in, q), MaxSnapshots);
    QCOMPARE(snapshotTimeOf(in, q, MaxSnapshots - 1), QStringLiteral("2026-12-12 13:05:00"));
    // Deleting the latest makes the next one the latest.
    deleteSnapshot(&in, q, 0);
    QCOMPARE(in.actualOf(q), (ActualOdds{{{1, 2}, 11.0}, {{1, 3}, 20.0}}));
    QCOMPARE(snapshotCount(in, q), MaxSnapshots - 1);
}

void TestAnalysisInputs::hostileSidecar_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("error"); // after "line 2: "; empty when it is read
    QTest::newRow("λ at its largest") << "[Analysis]\nLambda=3"
                                      << "";
    QTest::newRow("λ of 0") << "[Analysis]\nLambda=0"
                            << "bad Lambda '0'";
    QTest::newRow("λ of 1e308") << "[Analysis]\nLambda=1e308"
                                << "bad Lambda '1e308'";
    QTest::newRow("β above 5") << "[Analysis]\nBeta=5.5"
                               << "bad Beta '5.5'";
    QTest::newRow("budget above 10^12") << "[Analysis]\nBudget=1000000000001"
                                        << "bad Budget '1000000000001'";
    QTest::newRow("odds of 1e10") << "[win]\n1=1e+10"
                                  << "'1e+10' is not odds (odds from 1.0 to 99,999,999.9 with one "
                                     "decimal)";
    QTest::newRow("largest odds") << "[win]\n1=99999999.9"
                                  << "";
    QTest::newRow("a range of wide odds") << "[wide]\n1-2=3.4-4.1"
                                          << "";
    QTest::newRow("a range of quinella odds") << "[quinella]\n1-2=3.4-4.1"
                                              << "'3.4-4.1' is a range";
    QTest::newRow("a runner no file holds")
        << "[quinella]\n1-99=5"
        << "'1-99' names runner 99, an analysis file holds runners 1 to 36";
}

void TestAnalysisInputs::hostileSidecar()
{
    QFETCH(QString, line);
    QFETCH(QString, error);
    const Result<AnalysisInputs> read = parseSidecar(line);
    QVERIFY2(error.isEmpty() ? read.ok() : read.error.startsWith("line 2: " + error),
             qPrintable(read.error));
}

void TestAnalysisInputs::failedSidecarWriteKeepsOld()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("race.csv.analysis"));
    AnalysisInputs old;
    old.budget = 700;
    QCOMPARE(writeSidecar(path, old), QString());
    const QByteArray oldBytes = readAll(path);

    AnalysisInputs bigger = old;
    for (int a = 1; a <= 18; ++a)
        bigger.actualOf(BetType::Win)[{a, 0, 0}] = a;
    // A file-size limit below the new text makes the write itself fail (a full disk would).
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(oldBytes.size());
    setrlimit(RLIMIT_FSIZE, &limited);
    const QString error = writeSidecar(path, bigger);
    setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(!error.isEmpty());
    QCOMPARE(readAll(path), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"race.csv.analysis"});
}

QTEST_GUILESS_MAIN(TestAnalysisInputs)
#include "tst_analysisinputs.moc"
