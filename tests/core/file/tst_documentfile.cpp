#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

QByteArray cp(const QString &text)
{
    return Cp932::encode(text).bytes;
}

// Every field and cell, the shape and the cursor.
QString snapshot(const OddsDocument &doc)
{
    const Grid &g = doc.runnerTable;
    return documentText(doc, g) + QStringLiteral("|%1x%2 at %3,%4-%5,%6")
                                      .arg(g.rows())
                                      .arg(g.cols())
                                      .arg(g.row())
                                      .arg(g.col())
                                      .arg(g.rowSel())
                                      .arg(g.colSel());
}

// "title0", "kazu1", "koujyo", "haitou", "rows", "cols" or "R C" (a cell).
QString probeValue(const OddsDocument &doc, const QString &what)
{
    if (what.startsWith(QLatin1String("title")))
        return doc.titleText(what.mid(5).toInt());
    if (what.startsWith(QLatin1String("kazu")))
        return doc.countText(what.mid(4).toInt());
    if (what == QLatin1String("koujyo"))
        return doc.payoutRatioText();
    if (what == QLatin1String("haitou"))
        return doc.poolText();
    if (what == QLatin1String("rows"))
        return QString::number(doc.runnerTable.rows());
    if (what == QLatin1String("cols"))
        return QString::number(doc.runnerTable.cols());
    return doc.runnerTable.text(what.section(QLatin1Char(' '), 0, 0).toInt(),
                                what.section(QLatin1Char(' '), 1, 1).toInt());
}

// Takes a number of bytes, then fails like a full disk.
class FailDevice : public QIODevice
{
public:
    explicit FailDevice(qint64 capacity) : m_room(capacity) { open(QIODevice::WriteOnly); }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 len) override
    {
        if (m_room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = std::min(m_room, len);
        m_room -= n;
        return n;
    }

private:
    qint64 m_room;
};

} // namespace

class TestDocumentFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenRoundTrip_data();
    void goldenRoundTrip();
    void read_data();
    void read();
    void loadFailureKeepsTableAndList();
    void saveFailureKeepsOldFile_data();
    void saveFailureKeepsOldFile();
    void writerReportsDeviceFailure();
    void loadDefault();
};

void TestDocumentFile::goldenRoundTrip_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("18 runners, code page 932 specials") << "race18.csv";
    QTest::newRow("2 runners, no data columns") << "tworunners.csv";
}

void TestDocumentFile::goldenRoundTrip()
{
    QFETCH(QString, file);
    OddsDocument doc;
    doc.buildTable();
    doc.runnerTable.setCurrent(2, 3);
    doc.runnerTable.setSelection(3, 5);
    const FileResult loaded = loadDocument(doc, dataPath(file));
    QVERIFY2(loaded.ok, qPrintable(loaded.message));
    QCOMPARE(QList<int>({doc.runnerTable.row(), doc.runnerTable.col(), doc.runnerTable.rowSel(),
                         doc.runnerTable.colSel()}),
             QList<int>({2, 3, 3, 5}));

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    QVERIFY(writeAll(out, "previous contents"));
    const QString before = snapshot(doc);
    const FileResult saved = saveDocument(doc, out);
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(readAll(out), readAll(dataPath(file)));
    QCOMPARE(snapshot(doc), before);
}

void TestDocumentFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("ok");             // 1 loads, 0 refused, -1 either (only: no crash)
    QTest::addColumn<QStringList>("expect"); // "probe=value"

    const QByteArray head = cp(QStringLiteral("縦枠,横枠,T0,T1,T2,控除,投票\r\n"));
    const QByteArray values = cp(QStringLiteral("5,1,T3,T4,T5,80,500\r\n"));
    QTest::newRow("header, values, table: fields set, table rebuilt and filled")
        << head + values + cp(QStringLiteral("番,枠,名前\rH0,H1,H2\r1,,Ann\r\n")) << 1
        << QStringList{"title0=T0", "title2=T2", "title5=T5", "kazu0=5", "koujyo=80", "haitou=500",
                       "rows=7",    "cols=8",    "2 2=Ann",   "1 0=H0",  "2 1="};
    QTest::newRow("first line a table line: fields and shape stay")
        << cp(QStringLiteral("番，枠,X\r1,,Bob\r\n")) << 1
        << QStringList{"title0=タイトル", "kazu0=18", "rows=20", "0 1=枠",
                       "0 2=X",           "1 2=Bob",  "0 3=順位"};
    QTest::newRow("second line a table line: titles set, counts stay")
        << head + cp(QStringLiteral("番,枠,Z\r\n")) << 1
        << QStringList{"title1=T1", "kazu0=18", "0 2=Z"};
    QTest::newRow("lone CR ends a line, lone LF is text")
        << head + cp(QStringLiteral("2,0,a,b,c,85,1\r番,枠,N\nM\r\n")) << 1
        << QStringList{"title3=a", "0 2=N\nM", "rows=4"};
    QTest::newRow("full-width comma separates fields")
        << cp(QStringLiteral("縦枠，横枠，甲，乙，丙，控除，投票\r\n2，1，丁，戊，己，90，7\r\n"))
        << 1 << QStringList{"title0=甲", "title2=丙", "kazu1=1", "title5=己", "koujyo=90"};
    QTest::newRow("leading empty lines dropped, later ones keep their row")
        << head + values + cp(QStringLiteral("\r\n\r番,枠,A\r\r1,,C\r\n")) << 1
        << QStringList{"0 2=A", "1 2=……", "2 2=C"};
    QTest::newRow("extra fields and lines are ignored, missing ones keep cells")
        << head + cp(QStringLiteral("2,0,a,b,c,85,1\r\na,b,c,d,e,f,g,h\r1\r2\r3\r4\r\n")) << 1
        << QStringList{"cols=7", "rows=4", "0 6=g", "3 0=3", "1 1=…"};
    QTest::newRow("counts go through the change rules")
        << head + cp(QStringLiteral("40,2.6,a,b,c,150,1\r\n")) << 1
        << QStringList{"kazu0=36", "kazu1=3", "koujyo=100", "rows=38", "cols=10"};
    QTest::newRow("title with a comma shifts the fields")
        << cp(QStringLiteral("縦枠,横枠,A,B,2003/12/15,x,控除,投票\r\n")) + values << 1
        << QStringList{"title0=A", "title1=B", "title2=2003/12/15"};
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF") + QStringLiteral("番,枠,♥\r\n").toUtf8() << 1
        << QStringList{"0 2=♥"};
    QTest::newRow("NEC-selected IBM extension reads like the IBM one")
        << cp(QStringLiteral("番,枠,")) + QByteArray("\xEE\xE0,\xFB\xFC") << 1
        << QStringList{"0 2=髙", "0 3=髙"};
    QTest::newRow("header with 4 fields: two titles, no table fill")
        << cp(QStringLiteral("縦枠,横枠,A,B\r\n2,0,x,y,z,85,1\r\n番,枠,Q\r\n")) << 0
        << QStringList{"title0=A", "title1=B", "title2=予想", "kazu0=2",
                       "title3=x", "rows=4",   "0 2=名前"};
    QTest::newRow("short values line: what was read stays, no table fill")
        << head + cp(QStringLiteral("3,0,x\r\n番,枠,Q\r\n")) << 0
        << QStringList{"kazu0=3", "title3=x", "title4=備考", "rows=5", "0 2=名前"};
    QTest::newRow("only a header line") << head << 0 << QStringList{"title0=T0", "rows=20"};
    QTest::newRow("empty file") << QByteArray() << 0 << QStringList{"title0=タイトル"};
    QTest::newRow("nothing but line ends") << QByteArray("\r\n\r\n\r") << 0 << QStringList{};

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 151 + 17) & 0xff));
    QTest::newRow("binary garbage") << garbage << -1 << QStringList{};
    QTest::newRow("bytes code page 932 does not define")
        << QByteArray("\x94\xd4,\x98\x67,\x81\r\n\xff\xfe,\xa0\x80\x85\r\n") << 1
        << QStringList{"0 2=\uFFFD"};
    QTest::newRow("huge numbers") << head + QByteArray("1e308,-1e400,x,y,z,9e99999,1e999\r\n") << 1
                                  << QStringList{"kazu0=36", "kazu1=0", "koujyo=100"};
    QTest::newRow("overlong line of commas")
        << cp(QStringLiteral("番,枠,")) + QByteArray(2'000'000, ',') + "\r\n"
        << 1 << QStringList{"0 2="};
    QTest::newRow("LF-only file reads like CR LF")
        << cp(QStringLiteral("縦枠,横枠,T0,T1,T2,控除,投票\n2,0,a,b,c,85,1\n番,枠,N\n1,,M\n")) << 1
        << QStringList{"title2=T2", "title3=a", "rows=4", "0 2=N", "1 2=M", "2 2="};
    QTest::newRow("UTF-8 without byte-order mark")
        << QStringLiteral("縦枠,横枠,題,日,予,控除,投票\r\n2,0,備,備,結,85,1\r\n番,枠,馬\r\n")
               .toUtf8()
        << 1 << QStringList{"title0=題", "title5=結", "0 2=馬"};
    QTest::newRow("ASCII only is code page 932, half-width katakana too")
        << QByteArray("\x94\xd4,\x98\x67,\xc2\xa1\r\n") << 1 << QStringList{"0 2=ﾂ｡"};
    QTest::newRow("cell over the cap refused, naming it")
        << head + values + cp(QStringLiteral("番,枠,")) + QByteArray(MaxCellText + 1, 'x') << 0
        << QStringList{"0 2=名前"};
    QTest::newRow("cell at the cap, and a long one past the last column")
        << head + cp(QStringLiteral("2,0,a,b,c,85,1\r\n番,枠,")) + QByteArray(MaxCellText, 'x') +
               ",,,,," + QByteArray(MaxCellText * 4, 'y')
        << 1 << QStringList{"0 3=", "cols=7"};
    QTest::newRow("title over the cap refused")
        << cp(QStringLiteral("縦枠,横枠,")) + QByteArray(MaxCellText + 1, 'x') + ",b,c" << 0
        << QStringList{"title0=タイトル"};
    QTest::newRow("NUL bytes") << QByteArray("\x94\xd4,\x98\x67\0\0,x\r\n", 12) << 1
                               << QStringList{"0 1=枠" + QString(2, QChar(0))};
}

void TestDocumentFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, ok);
    QFETCH(QStringList, expect);

    OddsDocument doc;
    doc.buildTable();
    const FileResult r = loadDocumentBytes(doc, bytes);
    if (ok >= 0) {
        QCOMPARE(r.ok, ok == 1);
        QCOMPARE(r.message.isEmpty(), ok == 1);
    }
    if (QByteArray(QTest::currentDataTag()).contains("over the cap"))
        QVERIFY2(r.message.contains(QStringLiteral("長すぎます (上限 1024文字")),
                 qPrintable(r.message));
    for (const QString &e : expect) {
        const QString probe = e.section(QLatin1Char('='), 0, 0);
        QCOMPARE(probe + QLatin1Char('=') + probeValue(doc, probe), e);
    }
    // Whatever was read can be recalculated and written without a fault of its own.
    doc.recalculate();
    QByteArray out;
    encodeDocument(doc, doc.runnerTable, &out);
}

void TestDocumentFile::loadFailureKeepsTableAndList()
{
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.csv"));
    QVERIFY(writeAll(bad, cp(QStringLiteral("縦枠,横枠,A\r\n18,8\r\n番,枠,X\r\n"))));
    OddsDocument doc;
    doc.buildTable();
    doc.runnerTable.setText(2, 2, QStringLiteral("keep"));
    const QString table = tableText(doc.runnerTable, QLatin1Char(','), QLatin1Char('\r'));
    for (const QString &path : {bad, dir.filePath(QStringLiteral("missing.csv")), dir.path()}) {
        const FileResult r = loadDocument(doc, path);
        QVERIFY2(!r.ok && !r.message.isEmpty(), qPrintable(path));
        QCOMPARE(tableText(doc.runnerTable, QLatin1Char(','), QLatin1Char('\r')), table);
    }
}

void TestDocumentFile::saveFailureKeepsOldFile_data()
{
    QTest::addColumn<QString>("target"); // relative to a temporary folder
    QTest::addColumn<QString>("bad");    // "R C text" or "tN text": text put into the document
    QTest::addColumn<QString>("cause");  // part of the message

    QTest::newRow("missing folder") << "nofolder/out.csv"
                                    << ""
                                    << "フォルダー「";
    QTest::newRow("folder in the path is a file") << "old.csv/out.csv"
                                                  << ""
                                                  << "ファイルです";
    QTest::newRow("a folder at the path") << "sub"
                                          << ""
                                          << "フォルダーがあります";
    QTest::newRow("read-only file") << "readonly.csv"
                                    << ""
                                    << "読み取り専用";
    QTest::newRow("a pipe at the path stays a pipe") << "pipe"
                                                     << ""
                                                     << "通常のファイル";
    QTest::newRow("empty path") << ""
                                << ""
                                << "ファイル名";
    QTest::newRow("unencodable cell: row, column, character") << "old.csv"
                                                              << "5 2 Ａ♥Ｂ"
                                                              << "「4番の名前」の文字「♥」(U+2665)";
    QTest::newRow("unencodable title") << "old.csv"
                                       << "t4 😀"
                                       << "「備考2」欄の文字「😀」";
    QTest::newRow("comma in a cell") << "old.csv"
                                     << "5 2 A,B"
                                     << "「4番の名前」の文字「,」";
    QTest::newRow("full-width comma in a title") << "old.csv"
                                                 << "t0 A，B"
                                                 << "「タイトル」欄の文字「，」";
    QTest::newRow("line feed in a cell") << "old.csv"
                                         << "3 8 A\nB"
                                         << "「2番の単勝」の文字改行 (U+000A)";
    QTest::newRow("result field") << "old.csv"
                                  << "t5 7♥14"
                                  << "「結果」欄の文字「♥」";
    QTest::newRow("character read back as another")
        << "old.csv"
        << "2 2 1〜2"
        << "「〜」(U+301C)はコードページ932で保存すると「～」";
    QTest::newRow("cell over the cap")
        << "old.csv"
        << "4 2 " + QString(MaxCellText + 1, u'x') << "「3番の名前」が長すぎます";
}

void TestDocumentFile::saveFailureKeepsOldFile()
{
    QFETCH(QString, target);
    QFETCH(QString, bad);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    const QByteArray old("old contents\r\n");
    QVERIFY(writeAll(dir.filePath(QStringLiteral("old.csv")), old));
    QVERIFY(writeAll(dir.filePath(QStringLiteral("readonly.csv")), old));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("readonly.csv")),
                                  QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    QCOMPARE(mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0644), 0);
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::System;
    const QStringList files = QDir(dir.path()).entryList(all);

    OddsDocument doc;
    doc.buildTable();
    if (!bad.isEmpty())
        doc.runnerTable.setText(9, 9, QStringLiteral("ü")); // later in the file than the probe
    if (bad.startsWith(QLatin1Char('t')))
        doc.setTitleText(bad.mid(1, 1).toInt(), bad.section(QLatin1Char(' '), 1));
    else if (!bad.isEmpty())
        doc.runnerTable.setText(bad.section(QLatin1Char(' '), 0, 0).toInt(),
                                bad.section(QLatin1Char(' '), 1, 1).toInt(),
                                bad.section(QLatin1Char(' '), 2));
    doc.runnerTable.setCurrent(3, 4);
    doc.runnerTable.setSelection(6, 8);
    const QString before = snapshot(doc);
    const QString path = target.isEmpty() ? QString() : dir.filePath(target);
    const FileResult r = saveDocument(doc, path);

    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(cause), qPrintable(r.message));
    QCOMPARE(readAll(dir.filePath(QStringLiteral("old.csv"))), old);
    QCOMPARE(readAll(dir.filePath(QStringLiteral("readonly.csv"))), old);
    QCOMPARE(QDir(dir.path()).entryList(all), files); // no temporary file left
    QVERIFY(!QFileInfo(dir.filePath(QStringLiteral("pipe"))).isFile());
    QCOMPARE(snapshot(doc), before);
}

void TestDocumentFile::writerReportsDeviceFailure()
{
    OddsDocument doc;
    doc.buildTable();
    QByteArray full;
    QVERIFY(encodeDocument(doc, doc.runnerTable, &full).ok);
    FailDevice ample(full.size());
    QVERIFY(writeDocument(doc, doc.runnerTable, ample).ok);

    FailDevice small(100);
    const FileResult r = writeDocument(doc, doc.runnerTable, small);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("No space left")), qPrintable(r.message));
}

void TestDocumentFile::loadDefault()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    OddsDocument doc;
    doc.buildTable();
    const QString before = snapshot(doc);
    QVERIFY(!loadTemplate(doc, folder).exists);
    QCOMPARE(snapshot(doc), before);

    QVERIFY(QFile::copy(dataPath(QStringLiteral("tworunners.csv")), folder + "Default.def"));
    const DefaultResult loaded = loadTemplate(doc, folder);
    QVERIFY(loaded.exists && loaded.load.ok);
    QCOMPARE(loaded.path, folder + QStringLiteral("Default.def"));
    QCOMPARE(doc.runnerTable.rows(), 4);
}

QTEST_GUILESS_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
