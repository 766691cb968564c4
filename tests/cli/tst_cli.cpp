#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/text/text.h"
#include "testfiles.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run Cli(const QStringList &args, const std::function<void()> &inChild = {})
{
    QProcess p;
    if (inChild)
        p.setChildProcessModifier(inChild);
    p.start(QStringLiteral(KIRREL_CLI_PATH), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// What the program does on opening a file: a fresh untitled document, then the file.
OddsDocument Opened(const QString &path)
{
    OddsDocument doc;
    doc.setTitleText(0, QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    doc.buildTable();
    doc.setTitleText(1, FormatDate(QDate::currentDate(), QStringLiteral("yyyy/mm/dd")));
    loadDocument(doc, path);
    return doc;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void exitStatus_data();
    void exitStatus();
    void recalc();
    void freshDocumentFields();
    void unencodableTextIsAnError();
    void fullDiskKeepsOldOutput_data();
    void fullDiskKeepsOldOutput();
    void cellsList();

private:
    QTemporaryDir m_dir;
};

void TestCli::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral(KIRREL_CLI_PATH)), KIRREL_CLI_PATH " is not built");
    QVERIFY(m_dir.isValid());
    QVERIFY(WriteAll(m_dir.filePath(QStringLiteral("notdoc.csv")), "hello\n"));
    QVERIFY(WriteAll(m_dir.filePath(QStringLiteral("old.csv")), "old"));
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo"))).constData(), 0600),
             0);
}

void TestCli::exitStatus_data()
{
    QTest::addColumn<QStringList>("args"); // "@" = the temporary folder, "%" = the test data
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err"); // start of standard error

    QTest::newRow("help") << QStringList{"--help"} << 0 << "";
    QTest::newRow("no arguments") << QStringList{} << 2 << "kirrel-cli: no command";
    QTest::newRow("unknown command")
        << QStringList{"print", "%/race18.csv"} << 2 << "kirrel-cli: unknown command";
    QTest::newRow("missing input") << QStringList{"recalc"} << 2 << "kirrel-cli: recalc takes";
    QTest::newRow("two inputs") << QStringList{"cells", "%/race18.csv", "%/race18.csv"} << 2
                                << "kirrel-cli: cells takes";
    QTest::newRow("-o without a name")
        << QStringList{"recalc", "%/race18.csv", "-o"} << 2 << "kirrel-cli: -o needs";
    QTest::newRow("option of another command")
        << QStringList{"quinella", "%/race18.csv", "--quinella"} << 2
        << "kirrel-cli: unknown option";
    QTest::newRow("missing file") << QStringList{"recalc", "@/none.csv"} << 1
                                  << "kirrel-cli: @/none.csv: ";
    QTest::newRow("a folder") << QStringList{"cells", "@"} << 1 << "kirrel-cli: @: ";
    QTest::newRow("a FIFO is refused, not waited on")
        << QStringList{"recalc", "@/fifo"} << 1 << "kirrel-cli: @/fifo: ";
    QTest::newRow("not a document")
        << QStringList{"quinella", "@/notdoc.csv"} << 1 << "kirrel-cli: @/notdoc.csv: ";
    QTest::newRow("no quinella layout for 1 runner")
        << QStringList{"quinella", "%/tworunners.csv"} << 1
        << "kirrel-cli: %/tworunners.csv: no quinella layout";
    QTest::newRow("output folder missing")
        << QStringList{"recalc", "%/race18.csv", "-o", "@/no/out.csv"} << 1
        << "kirrel-cli: @/no/out.csv: ";
    QTest::newRow("output over a folder")
        << QStringList{"recalc", "%/race18.csv", "-o", "@"} << 1 << "kirrel-cli: @: ";
}

void TestCli::exitStatus()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, err);

    auto expand = [this](QString s) {
        s.replace(QLatin1Char('@'), m_dir.path());
        s.replace(QLatin1Char('%'), QStringLiteral(KIRREL_TEST_DATA "/files"));
        return s;
    };
    for (QString &a : args)
        a = expand(a);
    const Run r = Cli(args);
    QCOMPARE(r.exitCode, status);
    const QString errText = QString::fromUtf8(r.err);
    QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.startsWith(expand(err)),
             qPrintable(errText));
    if (status == 0) {
        QVERIFY(r.out.startsWith("usage: kirrel-cli"));
        QVERIFY(r.err.isEmpty());
    } else {
        QVERIFY(r.out.isEmpty());
        QCOMPARE(errText.count(QLatin1Char('\n')) == 1, status == 1);
    }
    QCOMPARE(ReadAll(m_dir.filePath(QStringLiteral("old.csv"))), QByteArray("old"));
}

void TestCli::recalc()
{
    const QString in = DataPath(QStringLiteral("race18.csv"));
    OddsDocument doc = Opened(in);
    doc.recalculate();
    QByteArray expected;
    QVERIFY(EncodeDocument(doc, doc.runnerTable, &expected).ok);
    QVERIFY(expected != ReadAll(in)); // the stored odds were made up

    const Run r = Cli({QStringLiteral("recalc"), in});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, expected);

    const QString out = m_dir.filePath(QStringLiteral("recalc.csv"));
    QVERIFY(WriteAll(out, "previous"));
    const Run toFile = Cli({QStringLiteral("recalc"), QStringLiteral("-o"), out, in});
    QCOMPARE(toFile.exitCode, 0);
    QVERIFY(toFile.out.isEmpty());
    QCOMPARE(ReadAll(out), expected);
}

void TestCli::freshDocumentFields()
{
    // A file of table lines only keeps the fields of the fresh document.
    const QString in = m_dir.filePath(QStringLiteral("table.csv"));
    QVERIFY(WriteAll(in, Cp932::encode(QStringLiteral("番,枠,名\r\n")).bytes));
    const Run r = Cli({QStringLiteral("recalc"), in});
    QCOMPARE(r.exitCode, 0);
    const QString text = Cp932::decode(r.out);
    const QString today = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    QCOMPARE(text.section(QStringLiteral("\r\n"), 0, 0),
             QStringLiteral("縦枠,横枠,新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1,%1,予想,控除,投票").arg(today));
    QCOMPARE(text.section(QStringLiteral("\r\n"), 1, 1).section(QLatin1Char(','), 0, 1),
             QStringLiteral("18,8"));
    QVERIFY(text.section(QStringLiteral("\r\n"), 2, 2).startsWith(QStringLiteral("番,枠,名,順位")));
}

void TestCli::unencodableTextIsAnError()
{
    const QString in = m_dir.filePath(QStringLiteral("utf8.csv"));
    QVERIFY(WriteAll(in, QByteArray("\xEF\xBB\xBF") + QStringLiteral("番,枠,A♥\r\n").toUtf8()));
    const QString out = m_dir.filePath(QStringLiteral("old.csv"));
    for (const QStringList &args : {QStringList{QStringLiteral("recalc"), in},
                                    QStringList{QStringLiteral("recalc"), in, "-o", out}}) {
        const Run r = Cli(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        const QString err = QString::fromUtf8(r.err);
        QVERIFY2(err.contains(QStringLiteral("行 0, 列 2")) && err.contains(QChar(0x2665)),
                 qPrintable(err));
    }
    QCOMPARE(ReadAll(out), QByteArray("old"));
    // The other commands do not write code page 932 and take the text as it is.
    const Run cells = Cli({QStringLiteral("cells"), in});
    QCOMPARE(cells.exitCode, 0);
    QVERIFY(QString::fromUtf8(cells.out).contains(QStringLiteral("0\t2\tA♥\t")));
}

void TestCli::fullDiskKeepsOldOutput_data()
{
    QTest::addColumn<bool>("tmpfs"); // else a file size limit, which needs no root
    QTest::newRow("file size limit") << false;
    QTest::newRow("full file system") << true;
}

void TestCli::fullDiskKeepsOldOutput()
{
    QFETCH(bool, tmpfs);
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    std::function<void()> limit;
    if (tmpfs) {
        if (::geteuid() != 0)
            QSKIP("mounting a small file system needs root");
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("this system does not let the test mount a file system");
    } else {
        limit = [] {
            std::signal(SIGXFSZ, SIG_IGN);
            const struct rlimit small = {100, 100};
            ::setrlimit(RLIMIT_FSIZE, &small);
        };
    }
    const QString out = dir.filePath(QStringLiteral("out.csv"));
    const bool prepared = WriteAll(out, "old\n");
    if (tmpfs) {
        QFile fill(dir.filePath(QStringLiteral("fill")));
        if (fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (fill.write(QByteArray(1024, 'x')) > 0) {
            }
    }
    const Run r = Cli({QStringLiteral("recalc"), DataPath(QStringLiteral("race18.csv")),
                       QStringLiteral("-o"), out},
                      limit);
    const QByteArray after = ReadAll(out);
    const QStringList entries = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    if (tmpfs)
        ::umount(mountPoint.constData());
    QVERIFY(prepared);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.startsWith(QFile::encodeName(QStringLiteral("kirrel-cli: ") + out)),
             r.err.constData());
    QCOMPARE(after, QByteArray("old\n"));
    QCOMPARE(entries, tmpfs ? QStringList({"fill", "out.csv"}) : QStringList{"out.csv"});
}

void TestCli::cellsList()
{
    const QString in = m_dir.filePath(QStringLiteral("cells.csv"));
    QVERIFY(WriteAll(in, Cp932::encode(QStringLiteral("縦枠,横枠,a,b,c,控除,投票\r\n"
                                                      "8,1,d,e,f,85,1\r\n"
                                                      "番,枠,名\\前\r…,…,two\nlines\r\n"))
                             .bytes));
    const Run r = Cli({QStringLiteral("cells"), in});
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 10 * 8 + 1);
    QCOMPARE(lines.at(0), QStringLiteral("0\t0\t番\t#ffffff\t#000000"));
    QCOMPARE(lines.at(2), QStringLiteral("0\t2\t名\\前\t#ffffff\t#000000"));
    QCOMPARE(lines.at(8), QStringLiteral("1\t0\t…\t#505050\t#c8c8c8"));
    QCOMPARE(lines.at(10), QStringLiteral("1\t2\ttwo\\nlines\t#505050\t#c8c8c8"));
    // Runner 1 in bracket 1: white on white; its odds cell green.
    QCOMPARE(lines.at(2 * 8 + 1), QStringLiteral("2\t1\t1\t#ffffff\t#000000"));
    QVERIFY(lines.at(2 * 8 + 4).endsWith(QStringLiteral("\t#c8ffc8\t#000000")));

    // The quinella commands show the estimates made from the recalculated odds.
    OddsDocument doc = Opened(in);
    doc.recalculate();
    QVERIFY(doc.estimateQuinella());
    const Run q = Cli({QStringLiteral("quinella"), in});
    QCOMPARE(q.exitCode, 0);
    QCOMPARE(QString::fromUtf8(q.out),
             doc.quinellaList.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(doc.quinellaList.size(), 8 * 7 / 2);
    QVERIFY(doc.quinellaList.first().startsWith(QStringLiteral("1-2:")));
    const Run m = Cli({QStringLiteral("cells"), QStringLiteral("--quinella"), in});
    QCOMPARE(m.exitCode, 0);
    QCOMPARE(QString::fromUtf8(m.out).count(QLatin1Char('\n')),
             doc.quinellaMatrix.rows() * doc.quinellaMatrix.cols());
    QVERIFY(QString::fromUtf8(m.out).contains(QStringLiteral("\t1-2\t#e6e6e6\t")));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
