// The analysis table over a document, odds pasted into it and the sidecar file.
#include "core/analysis/analysistable.h"
#include "core/analysis/oddspaste.h"
#include "core/document/oddsdocument.h"
#include "core/editing/clipboardrange.h"
#include "core/file/documentfile.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>

namespace {

OddsDocument Race18()
{
    OddsDocument doc;
    const FileResult loaded = loadDocument(doc, DataPath(QStringLiteral("race18.csv")));
    if (!loaded.ok)
        qFatal("race18.csv: %s", qPrintable(loaded.message));
    return doc;
}

// The quinella view of n runners with odds 2.0, 3.0, ... as the grid copies it.
QString MatrixText(int n, QStringList *estimates)
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

QStringList Listed(BetType type, const ActualOdds &odds)
{
    QStringList out;
    for (const auto &[ticket, value] : odds)
        out << TicketText(type, ticket) + u':' + QString::number(value, 'f', 1);
    return out;
}

} // namespace

class TestAnalysisInputs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tableFollowsDocumentOnly();
    void matrixLandsOnItsPairs_data();
    void matrixLandsOnItsPairs();
    void pastedLayouts_data();
    void pastedLayouts();
    void unplaceableRefusedWhole_data();
    void unplaceableRefusedWhole();
    void sidecarRoundTrip();
    void failedSidecarWriteKeepsOld();
};

void TestAnalysisInputs::tableFollowsDocumentOnly()
{
    OddsDocument doc = Race18();
    const QString supportBefore = doc.runnerTable.text(3, ColSupport);
    AnalysisInputs in;
    in.betType = BetType::Win;
    const AnalysisTable before = BuildAnalysisTable(AnalyseDocument(doc, {}), in);
    QCOMPARE(before.rows.size(), size_t(18));

    // Runners 1 and 18 swap their data: the copy is recalculated, the document is not.
    Grid &g = doc.runnerTable;
    for (int c = FirstDataCol; c < g.cols(); ++c) {
        const QString first = g.text(2, c);
        g.setText(2, c, g.text(19, c));
        g.setText(19, c, first);
    }
    const AnalysedRace race = AnalyseDocument(doc, {});
    const AnalysisTable after = BuildAnalysisTable(race, in);
    QCOMPARE(after.rows.front().ticket[0], 18);
    QCOMPARE_NE(before.rows.front().ticket[0], 18);
    QCOMPARE(doc.runnerTable.text(3, ColSupport), supportBefore);
    QCOMPARE(race.runners[17].name, doc.runnerTable.text(19, ColName).trimmed());
    QVERIFY(race.runners[17].supportPercent > race.runners[0].supportPercent);
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
    const QString text = MatrixText(runners, &estimates);
    const Result<ActualOdds> odds = ParsePastedOdds(text, BetType::Quinella, runners, {});
    QVERIFY2(odds.ok(), qPrintable(odds.error));
    QCOMPARE(Listed(BetType::Quinella, odds.value), estimates);
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
}

void TestAnalysisInputs::pastedLayouts()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    const std::vector<Ticket> byNumber = {{1, 2, 0}, {1, 3, 0}, {2, 3, 0}};
    const Result<ActualOdds> odds = ParsePastedOdds(text, BetType(type), 3, byNumber);
    QVERIFY2(odds.ok(), qPrintable(odds.error));
    QCOMPARE(Listed(BetType(type), odds.value), expected);
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
    QTest::newRow("word in a column") << quinella << "4.5\n取消\n7.5\n"
                                      << "line 2:";
    QTest::newRow("runner past the field") << quinella << "1-2\t3\n1-4\t5\n"
                                           << "line 2:";
    QTest::newRow("cell outside every block") << quinella << "■1■\n4.5\n6\n\n\t9.9\n"
                                              << "line 5:";
    QTest::newRow("label of another runner") << quinella << "\t■1■\n2-3\t4.5\n"
                                             << "line 2:";
    QTest::newRow("block longer than the field") << quinella << "■2■\n4\n5\n"
                                                 << "line 3:";
    QTest::newRow("matrix for a trio") << int(BetType::Trio) << "■1■\n4\n"
                                       << "馬連 and ワイド";
}

void TestAnalysisInputs::unplaceableRefusedWhole()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QString, error);
    const std::vector<Ticket> byNumber = {{1, 2, 0}, {1, 3, 0}, {2, 3, 0}};
    const Result<ActualOdds> odds = ParsePastedOdds(text, BetType(type), 3, byNumber);
    QVERIFY2(odds.error.contains(error), qPrintable(odds.error));
    QVERIFY(odds.value.empty());
}

void TestAnalysisInputs::sidecarRoundTrip()
{
    AnalysisInputs in;
    in.betType = BetType::Trifecta;
    in.parameters.model = OrderModel::Discount;
    in.parameters.lambda = 0.76;
    in.parameters.beta = 1.1;
    in.parameters.setRatio(BetType::Wide, 0.7);
    in.highRatio = 1.5;
    in.budget = 3000;
    in.kelly = true;
    in.kellyFraction = 0.25;
    in.actualOf(BetType::Trifecta)[{18, 1, 2}] = 1234.5; // kept for a larger field
    in.actualOf(BetType::BracketQuinella)[{8, 8, 0}] = 0.1 + 0.2;
    in.picksOf(BetType::Exacta) = {{2, 1, 0}, {1, 2, 0}};

    QTemporaryDir dir;
    const QString path = SidecarPath(dir.filePath(QStringLiteral("race.csv")));
    QCOMPARE(path, dir.filePath(QStringLiteral("race.csv.analysis")));
    QCOMPARE(WriteSidecar(path, in), QString());
    const Result<AnalysisInputs> back = ReadSidecar(path);
    QVERIFY2(back.ok(), qPrintable(back.error));
    QVERIFY(back.value == in);
    QCOMPARE(ReadAll(path).count("\r\n"), SidecarText(in).count(QStringLiteral("\r\n")));
    QVERIFY(ReadSidecar(dir.filePath(QStringLiteral("none.analysis"))).value == AnalysisInputs{});

    WriteAll(path, "[Analysis]\r\nBeta=x\r\n");
    QCOMPARE(ReadSidecar(path).error, QStringLiteral("line 2: bad Beta 'x'"));
}

void TestAnalysisInputs::failedSidecarWriteKeepsOld()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("race.csv.analysis"));
    AnalysisInputs old;
    old.budget = 700;
    QCOMPARE(WriteSidecar(path, old), QString());
    const QByteArray oldBytes = ReadAll(path);

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
    const QString error = WriteSidecar(path, bigger);
    setrlimit(RLIMIT_FSIZE, &saved);

    QVERIFY(!error.isEmpty());
    QCOMPARE(ReadAll(path), oldBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"race.csv.analysis"});
}

QTEST_GUILESS_MAIN(TestAnalysisInputs)
#include "tst_analysisinputs.moc"
