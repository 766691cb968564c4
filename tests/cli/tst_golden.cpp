// Golden documents: each tests/data/golden/NAME.in.csv (UTF-8, one file line per line) goes
// through kirrel-cli; what it prints or writes is compared with NAME.out.KIND beside it:
//   .out.csv       recalc: the document as written (decoded from code page 932)
//   .out.cells     cells: every cell of the runner table with its colours
//   .out.quinella  quinella: the estimate of every pair
//   .out.matrix    cells --quinella: every cell of the quinella matrix with its colours
// Each name says which rule of the calculation the pair pins. KIRREL_WRITE_GOLDEN=1 writes the
// outputs instead: only from a build known to be right, and read every changed line.
#include "core/codepage/codepage.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString GoldenDir = QStringLiteral(KIRREL_TEST_DATA "/golden/");

QStringList lines(const QString &text)
{
    QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// "line 7, field 4: got "2着", expected "3着"" for the first difference, or "".
QString firstDifference(const QStringList &actual, const QStringList &expected, bool fields)
{
    for (qsizetype i = 0; i < std::max(actual.size(), expected.size()); ++i) {
        const QString got = i < actual.size() ? actual[i] : QStringLiteral("(no line)");
        const QString want = i < expected.size() ? expected[i] : QStringLiteral("(no line)");
        if (got == want)
            continue;
        QString where = QStringLiteral("line %1").arg(i + 1);
        if (fields) {
            const QStringList g = got.split(u','), w = want.split(u',');
            for (qsizetype f = 0; f < std::max(g.size(), w.size()); ++f) {
                if (g.value(f) != w.value(f)) {
                    where += QStringLiteral(", field %1: got \"%2\", expected \"%3\"")
                                 .arg(f)
                                 .arg(g.value(f), w.value(f));
                    break;
                }
            }
            return where;
        }
        return where + QStringLiteral(": got \"%1\", expected \"%2\"").arg(got, want);
    }
    return QString();
}

} // namespace

class TestGolden : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void matches_data();
    void matches();

private:
    QTemporaryDir m_dir;
};

void TestGolden::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral(KIRREL_CLI_PATH)), KIRREL_CLI_PATH " is not built");
    QVERIFY(m_dir.isValid());
}

void TestGolden::matches_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    const QStringList outputs = QDir(GoldenDir).entryList({QStringLiteral("*.out.*")}, QDir::Files);
    QVERIFY2(outputs.size() >= 10, qPrintable(GoldenDir));
    for (const QString &file : outputs) {
        const qsizetype dot = file.indexOf(QStringLiteral(".out."));
        const QString name = file.left(dot);
        const QString kind = file.mid(dot + 5);
        QTest::newRow(qPrintable(file)) << name << kind;
    }
}

void TestGolden::matches()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    const QString input = QString::fromUtf8(readAll(GoldenDir + name + QStringLiteral(".in.csv")));
    QVERIFY2(!input.isEmpty(), qPrintable(name + QStringLiteral(".in.csv")));
    const Cp932::Encoded in =
        Cp932::encode(lines(input).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    QVERIFY(in.ok);
    const QString inPath = m_dir.filePath(name + QStringLiteral(".csv"));
    QVERIFY(writeAll(inPath, in.bytes));

    QStringList args;
    const QString outPath = m_dir.filePath(name + QStringLiteral(".out.csv"));
    if (kind == QLatin1String("csv"))
        args = {QStringLiteral("recalc"), inPath, QStringLiteral("-o"), outPath};
    else if (kind == QLatin1String("cells"))
        args = {QStringLiteral("cells"), inPath};
    else if (kind == QLatin1String("quinella"))
        args = {QStringLiteral("quinella"), inPath};
    else if (kind == QLatin1String("matrix"))
        args = {QStringLiteral("cells"), QStringLiteral("--quinella"), inPath};
    else
        QFAIL(qPrintable(QStringLiteral("unknown output kind ") + kind));
    QProcess cli;
    cli.start(QStringLiteral(KIRREL_CLI_PATH), args);
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    const QString actual = kind == QLatin1String("csv")
                               ? Cp932::decode(readAll(outPath))
                               : QString::fromUtf8(cli.readAllStandardOutput());

    const QString expectedPath = GoldenDir + name + QStringLiteral(".out.") + kind;
    if (qEnvironmentVariable("KIRREL_WRITE_GOLDEN") == QLatin1String("1")) {
        QVERIFY(writeAll(expectedPath, (lines(actual).join(u'\n') + u'\n').toUtf8()));
        QSKIP("golden output written");
    }
    const QString difference = firstDifference(
        lines(actual), lines(QString::fromUtf8(readAll(expectedPath))), kind == "csv");
    QVERIFY2(difference.isEmpty(),
             qPrintable(name + QStringLiteral(".out.") + kind + u' ' + difference));
}

QTEST_GUILESS_MAIN(TestGolden)
#include "tst_golden.moc"
