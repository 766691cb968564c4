#include "files/documentfile.h"
#include "model/oddsdocument.h"
#include "platform/codepage.h"
#include "shell/saikin.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString DataPath(const QString &name)
{
    return QStringLiteral(KIRREL_TEST_DATA "/files/") + name;
}

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray Cp(const QString &text)
{
    return Cp932::encode(text).bytes;
}

// A document as a new window has it: default counts, table built.
void Fresh(OddsDocument &doc)
{
    doc.InitForm();
}

// Every field and cell, for comparing whole documents.
QString Snapshot(const OddsDocument &doc)
{
    return DocumentText(doc, doc.MSFlex) +
           QStringLiteral("|%1x%2").arg(doc.MSFlex.rows()).arg(doc.MSFlex.cols());
}

// Fails after a number of bytes, like a full disk.
class FailDevice : public QIODevice
{
public:
    explicit FailDevice(qint64 capacity) : m_capacity(capacity) { open(QIODevice::WriteOnly); }
    QByteArray written;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 len) override
    {
        const qint64 room = m_capacity - written.size();
        if (room <= 0) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        const qint64 n = std::min(room, len);
        written.append(data, n);
        return n;
    }

private:
    qint64 m_capacity;
};

// Answers one probe of the loaded document: "title0", "kazu1", "koujyo", "haitou",
// "cell R C", "rows", "cols".
QString Probe(const OddsDocument &doc, const QString &what)
{
    const QStringList p = what.split(QLatin1Char(' '));
    if (p[0] == QLatin1String("cell"))
        return doc.MSFlex.text(p[1].toInt(), p[2].toInt());
    if (p[0].startsWith(QLatin1String("title")))
        return doc.txtTitle(p[0].mid(5).toInt());
    if (p[0].startsWith(QLatin1String("kazu")))
        return doc.txtKazu(p[0].mid(4).toInt());
    if (p[0] == QLatin1String("koujyo"))
        return doc.txtKoujyo();
    if (p[0] == QLatin1String("haitou"))
        return doc.txtHaitou();
    if (p[0] == QLatin1String("rows"))
        return QString::number(doc.MSFlex.rows());
    if (p[0] == QLatin1String("cols"))
        return QString::number(doc.MSFlex.cols());
    return QStringLiteral("?") + what;
}

} // namespace

class TestDocumentFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void goldenRoundTrip_data();
    void goldenRoundTrip();
    void writtenLayout();
    void read_data();
    void read();
    void readFailureKeepsTable();
    void fillKeepsCurrentCellAndSelection();
    void malformedInputIsSafe_data();
    void malformedInputIsSafe();
    void saveFailureKeepsOldFile_data();
    void saveFailureKeepsOldFile();
    void unencodableNamesPlace_data();
    void unencodableNamesPlace();
    void writerReportsDeviceFailure();
    void saveUpdatesRecentListAndKeepsSelection();
    void loadAddsToRecentOnlyOnSuccess();
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
    const QByteArray golden = ReadAll(DataPath(file));
    QVERIFY(!golden.isEmpty());

    OddsDocument doc;
    Fresh(doc);
    const FileResult loaded = LoadCSV(doc, DataPath(file), nullptr);
    QVERIFY2(loaded.ok, qPrintable(loaded.message));

    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    const FileResult saved = CsvFileSave(doc, doc.MSFlex, out);
    QVERIFY2(saved.ok, qPrintable(saved.message));
    QCOMPARE(ReadAll(out), golden);
}

void TestDocumentFile::writtenLayout()
{
    OddsDocument doc;
    Fresh(doc);
    const FileResult loaded = LoadCSV(doc, DataPath(QStringLiteral("race18.csv")), nullptr);
    QVERIFY(loaded.ok);
    QCOMPARE(doc.txtTitle(0), QStringLiteral("第11回 ｷﾙﾚﾙ記念 (Ｇ１)"));
    QCOMPARE(doc.txtTitle(2), QStringLiteral("本命は①"));
    QCOMPARE(doc.txtTitle(3), QStringLiteral("備考～あり"));
    QCOMPARE(doc.MSFlex.text(3, 2), QStringLiteral("サクラ①"));
    QCOMPARE(doc.MSFlex.text(4, 2), QStringLiteral("髙嶺ノ花"));
    QCOMPARE(doc.MSFlex.text(10, 2), QStringLiteral("C:\\path"));
    QCOMPARE(doc.MSFlex.text(12, 7), QString());
    QCOMPARE(doc.MSFlex.rows(), 20);
    QCOMPARE(doc.MSFlex.cols(), 15);

    // Header and values lines end in CR LF, table rows are joined by a lone CR.
    const QString text = DocumentText(doc, doc.MSFlex);
    const QStringList parts = text.split(QStringLiteral("\r\n"));
    QCOMPARE(parts.size(), 4);
    QVERIFY(parts[0].startsWith(QStringLiteral("縦枠,横枠,")));
    QVERIFY(parts[0].endsWith(QStringLiteral(",控除,投票")));
    QCOMPARE(parts[1], QStringLiteral("18,8,備考～あり,備考,結果,85,100000"));
    const QStringList rows = parts[2].split(QLatin1Char('\r'));
    QCOMPARE(rows.size(), 20);
    for (const QString &row : rows)
        QCOMPARE(row.count(QLatin1Char(',')), 14);
    QCOMPARE(parts[3], QString());
}

void TestDocumentFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QStringList>("expect"); // "probe=value"

    const QByteArray head = Cp(QStringLiteral("縦枠,横枠,T0,T1,T2,控除,投票\r\n"));
    const QByteArray values = Cp(QStringLiteral("5,1,T3,T4,T5,80,500\r\n"));

    QTest::newRow("header, values, table: fields set, table rebuilt and filled")
        << head + values + Cp(QStringLiteral("番,枠,名前\rH0,H1,H2\r1,,Ann\r\n")) << true
        << QStringList{"title0=T0",    "title2=T2",   "title5=T5", "kazu0=5",
                       "koujyo=80",    "haitou=500",  "rows=7",    "cols=8",
                       "cell 2 2=Ann", "cell 1 0=H0", "cell 2 1="};
    QTest::newRow("first line is a table line: fields and shape stay")
        << Cp(QStringLiteral("番,枠,X\r1,,Bob\r\n")) << true
        << QStringList{"title0=タイトル", "kazu0=18",     "rows=20",
                       "cell 0 2=X",      "cell 1 2=Bob", "cell 0 3=順位"};
    QTest::newRow("table line as text: full-width comma")
        << Cp(QStringLiteral("番，枠，Y\r\n")) << true
        << QStringList{"cell 0 0=番", "cell 0 1=枠", "cell 0 2=Y", "title0=タイトル"};
    QTest::newRow("second line is a table line: titles set, counts stay")
        << head + Cp(QStringLiteral("番,枠,Z\r\n")) << true
        << QStringList{"title1=T1", "kazu0=18", "cell 0 2=Z"};
    QTest::newRow("lone CR ends a line, lone LF is text")
        << head + Cp(QStringLiteral("2,0,a,b,c,85,1\r番,枠,N\nM\r\n")) << true
        << QStringList{"title3=a", "cell 0 2=N\nM", "rows=4"};
    QTest::newRow("full-width comma separates fields")
        << Cp(QStringLiteral("縦枠，横枠，甲，乙，丙，控除，投票\r\n2，1，丁，戊，己，90，7\r\n"))
        << true
        << QStringList{"title0=甲", "title2=丙", "kazu1=1", "title5=己", "koujyo=90", "cols=8"};
    QTest::newRow("leading empty lines dropped, later empty line keeps its row")
        << head + values + Cp(QStringLiteral("\r\n\r番,枠,A\r\r1,,C\r\n")) << true
        << QStringList{"cell 0 2=A", "cell 1 2=……", "cell 2 2=C"};
    QTest::newRow("short rows keep the other cells")
        << head + values + Cp(QStringLiteral("番,枠\r\n")) << true << QStringList{"cell 0 2=名前"};
    QTest::newRow("extra fields and lines are ignored")
        << head + Cp(QStringLiteral("2,0,a,b,c,85,1\r\n")) +
               Cp(QStringLiteral("a,b,c,d,e,f,g,h,i\r1\r2\r3\r4\r5\r6\r\n"))
        << true << QStringList{"cols=7", "rows=4", "cell 0 6=g", "cell 3 0=3"};
    QTest::newRow("counts go through the change rules")
        << head + Cp(QStringLiteral("40,2.6,a,b,c,150,1\r\n")) << true
        << QStringList{"kazu0=36", "kazu1=3", "koujyo=100", "rows=38", "cols=10"};
    QTest::newRow("UTF-8 with byte-order mark")
        << QByteArray("\xEF\xBB\xBF") + QStringLiteral("縦枠,横枠,♥,b,c,控除,投票\r\n").toUtf8() +
               QByteArray("2,0,d,e,f,85,1\r\n")
        << true << QStringList{"title0=♥", "title3=d"};
    QTest::newRow("UTF-8 without mark is read as code page 932")
        << Cp(QStringLiteral("番,枠,")) + QStringLiteral("é").toUtf8() << true
        << QStringList{"cell 0 2=" + Cp932::decode(QStringLiteral("é").toUtf8())};
    QTest::newRow("NEC-selected IBM extension reads like the IBM one")
        << Cp(QStringLiteral("番,枠,")) + QByteArray("\xEE\xE0,\xFB\xFC") << true
        << QStringList{"cell 0 2=髙", "cell 0 3=髙"};
    QTest::newRow("header with 4 fields: two titles, no table fill")
        << Cp(QStringLiteral("縦枠,横枠,A,B\r\n2,0,x,y,z,85,1\r\n番,枠,Q\r\n")) << false
        << QStringList{"title0=A", "title1=B", "title2=予想",  "kazu0=2",
                       "title3=x", "rows=4",   "cell 0 2=名前"};
    QTest::newRow("values line short: counts and titles read so far stay")
        << head + Cp(QStringLiteral("3,0,x\r\n番,枠,Q\r\n")) << false
        << QStringList{"kazu0=3", "title3=x", "title4=備考", "rows=5", "cell 0 2=名前"};
    QTest::newRow("only a header line")
        << head << false << QStringList{"title0=T0", "kazu0=18", "rows=20"};
    QTest::newRow("title with a comma shifts the fields")
        << Cp(QStringLiteral("縦枠,横枠,A,B,2003/12/15,x,控除,投票\r\n")) + values << true
        << QStringList{"title0=A", "title1=B", "title2=2003/12/15"};
}

void TestDocumentFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, ok);
    QFETCH(QStringList, expect);

    OddsDocument doc;
    Fresh(doc);
    const FileResult r = LoadDocumentBytes(doc, bytes);
    QCOMPARE(r.ok, ok);
    QCOMPARE(r.message.isEmpty(), ok);
    for (const QString &e : expect) {
        const qsizetype eq = e.indexOf(QLatin1Char('='));
        QCOMPARE(e.left(eq) + QLatin1Char('=') + Probe(doc, e.left(eq)), e);
    }
}

void TestDocumentFile::readFailureKeepsTable()
{
    OddsDocument doc;
    Fresh(doc);
    doc.MSFlex.setText(2, 2, QStringLiteral("keep"));
    const QString before = TableText(doc.MSFlex, QLatin1Char(','), QLatin1Char('\r'));

    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.csv"));
    QVERIFY(WriteAll(bad, Cp(QStringLiteral("縦枠,横枠,A\r\n18,8\r\n番,枠,X\r\n"))));
    const QStringList cases{bad, dir.filePath(QStringLiteral("missing.csv")), dir.path()};
    for (const QString &path : cases) {
        const FileResult r = LoadCSV(doc, path, nullptr);
        QVERIFY2(!r.ok, qPrintable(path));
        QVERIFY(!r.message.isEmpty());
        QCOMPARE(TableText(doc.MSFlex, QLatin1Char(','), QLatin1Char('\r')), before);
    }
}

void TestDocumentFile::fillKeepsCurrentCellAndSelection()
{
    OddsDocument doc;
    Fresh(doc);
    doc.MSFlex.setCurrent(5, 3);
    doc.MSFlex.setSelection(8, 9);
    const FileResult r = LoadCSV(doc, DataPath(QStringLiteral("race18.csv")), nullptr);
    QVERIFY(r.ok);
    QCOMPARE(doc.MSFlex.row(), 5);
    QCOMPARE(doc.MSFlex.col(), 3);
    QCOMPARE(doc.MSFlex.rowSel(), 8);
    QCOMPARE(doc.MSFlex.colSel(), 9);
}

void TestDocumentFile::malformedInputIsSafe_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("ok"); // 1 loads, 0 refused, -1 either

    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 151 + 17) & 0xff));
    QTest::newRow("empty file is not a document") << QByteArray() << 0;
    QTest::newRow("binary garbage") << garbage << -1;
    QTest::newRow("invalid code page 932 bytes in a table")
        << QByteArray("\x94\xd4,\x98\x67,\x81\r\n\xff\xfe,\xa0\x80\x85\r\n") << 1;
    QTest::newRow("huge counts and numbers")
        << Cp(QStringLiteral("縦枠,横枠,a,b,c,控除,投票\r\n1e308,-1e400,x,y,z,9e99999,1e999\r\n"))
        << 1;
    QTest::newRow("overlong line of commas")
        << Cp(QStringLiteral("番,枠,")) + QByteArray(2'000'000, ',') + "\r\n"
        << 1;
    QTest::newRow("nothing but line ends") << QByteArray("\r\n\r\n\r\r\n") << 0;
    QTest::newRow("NUL bytes") << QByteArray("\x94\xd4,\x98\x67\0\0\0,x\r\n", 13) << 1;
}

void TestDocumentFile::malformedInputIsSafe()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, ok);
    OddsDocument doc;
    Fresh(doc);
    const FileResult r = LoadDocumentBytes(doc, bytes);
    if (ok >= 0)
        QCOMPARE(r.ok, ok == 1);
    QVERIFY(doc.MSFlex.rows() >= 4 && doc.MSFlex.rows() <= 38);
    QVERIFY(doc.MSFlex.cols() >= 7 && doc.MSFlex.cols() <= 43);
    // Whatever was read can be written again without a fault of its own.
    doc.Syukei();
    QByteArray out;
    EncodeDocument(doc, doc.MSFlex, &out);
}

void TestDocumentFile::saveFailureKeepsOldFile_data()
{
    QTest::addColumn<QString>("target"); // relative to a temporary folder
    QTest::addColumn<QString>("cause");  // part of the message

    QTest::newRow("missing folder") << "nofolder/out.csv"
                                    << "フォルダー「";
    QTest::newRow("folder in the path is a file") << "old.csv/out.csv"
                                                  << "ファイルです";
    QTest::newRow("a folder at the path") << "sub"
                                          << "フォルダーがあります";
    QTest::newRow("read-only file") << "readonly.csv"
                                    << "読み取り専用";
    QTest::newRow("empty path") << ""
                                << "ファイル名";
}

void TestDocumentFile::saveFailureKeepsOldFile()
{
    QFETCH(QString, target);
    QFETCH(QString, cause);

    QTemporaryDir dir;
    const QByteArray old("old contents\r\n");
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("old.csv")), old));
    QVERIFY(WriteAll(dir.filePath(QStringLiteral("readonly.csv")), old));
    QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("readonly.csv")),
                                  QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden);

    OddsDocument doc;
    Fresh(doc);
    doc.MSFlex.setCurrent(3, 4);
    doc.MSFlex.setSelection(6, 8);
    const QString docBefore = Snapshot(doc);
    RecentFileList recent;
    const QString path = target.isEmpty() ? QString() : dir.filePath(target);
    const FileResult r = SaveCSV(doc, path, &recent);

    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(cause), qPrintable(r.message));
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("old.csv"))), old);
    QCOMPARE(ReadAll(dir.filePath(QStringLiteral("readonly.csv"))), old);
    // No temporary file is left behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
    QCOMPARE(Snapshot(doc), docBefore);
    QCOMPARE(doc.MSFlex.rowSel(), 6);
    // The list is updated first, as for a save that works; an empty path is a blank entry.
    QCOMPARE(recent.entries(), path.isEmpty() ? QStringList() : QStringList{path});
}

void TestDocumentFile::unencodableNamesPlace_data()
{
    QTest::addColumn<int>("row"); // -1: a title field
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("where");

    QTest::newRow("cell names row and column") << 5 << 2 << "Ａ♥Ｂ"
                                               << "行 5, 列 2";
    QTest::newRow("title field") << -1 << 4 << "😀"
                                 << "タイトル5";
    QTest::newRow("first of two bad cells") << 2 << 7 << "é"
                                            << "行 2, 列 7";
}

void TestDocumentFile::unencodableNamesPlace()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(QString, where);

    OddsDocument doc;
    Fresh(doc);
    if (row < 0)
        doc.setTxtTitle(col, text);
    else
        doc.MSFlex.setText(row, col, text);
    doc.MSFlex.setText(9, 9, QStringLiteral("ü")); // later in the file than every probe

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.csv"));
    QVERIFY(WriteAll(path, "old"));
    const FileResult r = CsvFileSave(doc, doc.MSFlex, path);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(where), qPrintable(r.message));
    const char32_t bad = text.toUcs4().at(text.startsWith(QChar(0xFF21)) ? 1 : 0);
    QVERIFY2(r.message.contains(QString::fromUcs4(&bad, 1)), qPrintable(r.message));
    QCOMPARE(ReadAll(path), QByteArray("old"));
}

void TestDocumentFile::writerReportsDeviceFailure()
{
    OddsDocument doc;
    Fresh(doc);
    QByteArray full;
    QVERIFY(EncodeDocument(doc, doc.MSFlex, &full).ok);

    FailDevice ample(full.size());
    QVERIFY(WriteDocument(doc, doc.MSFlex, ample).ok);
    QCOMPARE(ample.written, full);

    FailDevice small(100);
    const FileResult r = WriteDocument(doc, doc.MSFlex, small);
    QVERIFY(!r.ok);
    QVERIFY2(r.message.contains(QStringLiteral("No space left")), qPrintable(r.message));
}

void TestDocumentFile::saveUpdatesRecentListAndKeepsSelection()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.csv"));
    OddsDocument doc;
    Fresh(doc);
    doc.MSFlex.setCurrent(4, 9);
    doc.MSFlex.setSelection(2, 7);
    RecentFileList recent;
    recent.addItem(QStringLiteral("/z/older.csv"));

    const FileResult r = SaveCSV(doc, path, &recent);
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(recent.entries(), (QStringList{path, QStringLiteral("/z/older.csv")}));
    QCOMPARE(doc.MSFlex.row(), 4);
    QCOMPARE(doc.MSFlex.col(), 9);
    QCOMPARE(doc.MSFlex.rowSel(), 2);
    QCOMPARE(doc.MSFlex.colSel(), 7);

    // Overwriting an existing file replaces it.
    doc.setTxtTitle(0, QStringLiteral("second"));
    QVERIFY(SaveCSV(doc, path, &recent).ok);
    OddsDocument back;
    Fresh(back);
    QVERIFY(LoadCSV(back, path, nullptr).ok);
    QCOMPARE(back.txtTitle(0), QStringLiteral("second"));
    QCOMPARE(Snapshot(back), Snapshot(doc));
}

void TestDocumentFile::loadAddsToRecentOnlyOnSuccess()
{
    QTemporaryDir dir;
    const QString bad = dir.filePath(QStringLiteral("bad.csv"));
    QVERIFY(WriteAll(bad, "x,y\r\n"));
    OddsDocument doc;
    Fresh(doc);
    RecentFileList recent;
    QVERIFY(!LoadCSV(doc, bad, &recent).ok);
    QCOMPARE(recent.count(), 0);
    QVERIFY(LoadCSV(doc, DataPath(QStringLiteral("tworunners.csv")), &recent).ok);
    QCOMPARE(recent.entries(), QStringList{DataPath(QStringLiteral("tworunners.csv"))});
}

void TestDocumentFile::loadDefault()
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    OddsDocument doc;
    Fresh(doc);
    const QString before = Snapshot(doc);
    RecentFileList recent;

    DefaultResult none = LoadDefault(doc, folder, &recent);
    QVERIFY(!none.exists);
    QCOMPARE(Snapshot(doc), before);
    QCOMPARE(recent.count(), 0);

    QVERIFY(QFile::copy(DataPath(QStringLiteral("tworunners.csv")), folder + "Default.def"));
    DefaultResult loaded = LoadDefault(doc, folder, &recent);
    QVERIFY(loaded.exists);
    QVERIFY(loaded.load.ok);
    QCOMPARE(loaded.path, folder + QStringLiteral("Default.def"));
    QCOMPARE(doc.MSFlex.rows(), 4);
    QCOMPARE(recent.entries(), QStringList{loaded.path});
}

QTEST_GUILESS_MAIN(TestDocumentFile)
#include "tst_documentfile.moc"
