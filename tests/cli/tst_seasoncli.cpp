// kirrel-cli season and fit: the output lines, exit statuses and messages.
#include "core/codepage/codepage.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral(KIRREL_CLI_PATH), args);
    Run r;
    if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Stake columns (投票金) only: the market's, so the combined model finds no own columns.
QByteArray document(const QList<int> &stakes, const QString &result)
{
    QString text = QStringLiteral("縦枠,横枠,R,2024/05/06,予想,控除,投票\r\n%1,1,a,b,%2,85,1\r\n"
                                  "番,枠,名,順位,オッズ,当選金,人気,投票金\r…,…,…,…,…,…,比率→,1")
                       .arg(stakes.size())
                       .arg(result);
    for (int r = 0; r < stakes.size(); ++r)
        text += QStringLiteral("\r%1,,,,,,,%2").arg(r + 1).arg(stakes[r]);
    return Cp932::encode(text + QStringLiteral("\r\n")).bytes;
}

} // namespace

class TestSeasonCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void seasonLines();
    void eachDocumentReadAlone();
    void namesAndRepeats();
    void failures_data();
    void failures();
    void compareLines();
    void combinedWinProbabilities_data();
    void combinedWinProbabilities();

private:
    QTemporaryDir m_dir;
};

void TestSeasonCli::initTestCase()
{
    const QDir dir(m_dir.path());
    QVERIFY(dir.mkpath(QStringLiteral("one/sub")) && dir.mkpath(QStringLiteral("none")) &&
            dir.mkpath(QStringLiteral("decided")));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("one/sub/a.csv")),
                     document({520, 310, 170}, QStringLiteral("３－１－２"))));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("one/b.csv")),
                     document({1, 1}, QStringLiteral("結果"))));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("one/c.CSV")), "hello\n"));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("one/d.txt")), "ignored"));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("none/x.csv")),
                     document({5, 3, 2}, QStringLiteral("1=2-3"))));
    // Own forecasts beside the stakes.
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("own.csv")),
                     Cp932::encode(QStringLiteral("縦枠,横枠,R,2024/05/06,予想,控除,投票\r\n"
                                                  "3,2,a,b,結果,85,1\r\n番,枠,名,順位,オッズ,"
                                                  "当選金,人気,投票金,予想\r…,…,…,…,…,…,比率→,1,"
                                                  "1\r1,,,,,,,500,10\r2,,,,,,,300,30\r3,,,,,,,"
                                                  "200,60\r\n"))
                         .bytes));
    // The stakes decide every race: the larger, the earlier.
    for (int i = 0; i < 30; ++i)
        QVERIFY(writeAll(m_dir.filePath(QStringLiteral("decided/%1.csv").arg(i)),
                         document({100 + i, 300, 200 + 2 * i, 50}, QStringLiteral("2-3-1"))));
}

void TestSeasonCli::seasonLines()
{
    const QString one = m_dir.filePath(QStringLiteral("one"));
    const Run r = cli({QStringLiteral("season"), one + u'/'});
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(u'\n');
    QCOMPARE(lines.mid(0, 2),
             QStringList({one + QStringLiteral("/b.csv\t2\t-\tno result"),
                          one + QStringLiteral("/c.CSV\t0\t-\tunreadable: ") +
                              lines[1].section(QStringLiteral("unreadable: "), 1)}));
    QVERIFY(lines[1].size() > (one + QStringLiteral("/c.CSV\t0\t-\tunreadable: ")).size());
    QCOMPARE(
        lines.mid(2, 18),
        QStringList(
            {one + QStringLiteral("/sub/a.csv\t3\t3-1-2\t0.170000000\t3\t-2.239553731"), "races\t1",
             "excluded\t2", "loglik\t-2.239554", "winloglik\t-1.771957", "brier\t1.055400000",
             "favourites\t0", "marketfavourites\t0", "calibration\t0.00\t0.02\t0\t0.000000\t0",
             "calibration\t0.02\t0.05\t0\t0.000000\t0", "calibration\t0.05\t0.10\t0\t0.000000\t0",
             "calibration\t0.10\t0.15\t0\t0.000000\t0", "calibration\t0.15\t0.20\t1\t0.170000\t1",
             "calibration\t0.20\t0.30\t0\t0.000000\t0", "calibration\t0.30\t0.40\t1\t0.310000\t0",
             "calibration\t0.40\t0.60\t1\t0.520000\t0", "calibration\t0.60\t1.00\t0\t0.000000\t0",
             ""}));
    QCOMPARE(lines.size(), 20);

    const Run fit = cli({QStringLiteral("fit"), m_dir.filePath(QStringLiteral("decided")),
                         QStringLiteral("--model"), QStringLiteral("discount")});
    QCOMPARE(fit.exitCode, 1); // the stakes decide the first two places
    QCOMPARE(fit.err, QStringLiteral("kirrel-cli: separation: one column decides every race\n"));
}

// Rows that stop early, fewer runner lines than 縦枠 and an empty weights row take nothing
// from the document read before them.
void TestSeasonCli::eachDocumentReadAlone()
{
    const QDir dir(m_dir.filePath(QStringLiteral("gaps")));
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    const QString head =
        QStringLiteral("縦枠,横枠,R,2024/05/06,予想,控除,投票\r\n3,1,a,b,%1,85,1\r\n"
                       "番,枠,名,順位,オッズ,当選金,人気,投票金,予想\r");
    const QList<std::pair<QString, QString>> documents = {
        {"0.csv", head.arg("1-2-3") + "…,…,…,…,…,…,比率→,-1,1\r1,,,,,,,2.5,10\r2,,,,,,,4.1,30"
                                      "\r3,,,,,,,9.9,60"},
        {"1.csv", head.arg("3-1-2") + "…,…,…,…,…,…,比率→\r1,,,,,,,500,10\r2,,,,,,,300,30"
                                      "\r3,,,,,,,200,60"},
        {"2.csv", head.arg("1-2-3") + "…,…,…,…,…,…,比率→,1\r1,,,,,,,500\r2,,,,,,,300"},
        {"3.csv", head.arg("2-1-3") + "…,…,…,…,…,…,比率→,1\r1,,,,,,,500\r2,,,,,,,300\r3"},
        {"4.csv", head.arg("1-3-2") + "…,…,…,…,…,…,比率→,1,1\r1,,,,,,,500,10\r2,,,,,,,300,30"
                                      "\r3,,,,,,,200,60"}};
    QStringList files;
    for (const auto &[name, text] : documents) {
        files << dir.filePath(name);
        QVERIFY(writeAll(files.last(), Cp932::encode(text + QStringLiteral("\r\n")).bytes));
    }
    const auto lineOf = [](const QStringList &order, const QString &file) {
        const Run r = cli(QStringList{QStringLiteral("season")} + order);
        for (const QString &line : r.out.split(u'\n'))
            if (line.startsWith(file + u'\t'))
                return line;
        return QString();
    };
    // Read in byte order of their paths: with the ones before it, after it, and all.
    QStringList reversed = files;
    std::reverse(reversed.begin(), reversed.end());
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString alone = lineOf({files[i]}, files[i]);
        QVERIFY2(!alone.isEmpty(), qPrintable(files[i]));
        QCOMPARE(lineOf(files.mid(0, i + 1), files[i]), alone);
        QCOMPARE(lineOf(files.mid(i), files[i]), alone);
        QCOMPARE(lineOf(reversed, files[i]), alone);
    }
    QVERIFY(lineOf({files[2]}, files[2]).endsWith(QStringLiteral("\tno support")));
}

// Names that would break a line or are not UTF-8 are shown escaped, with a reason where they
// cannot be read; a document reached by two paths is read once.
void TestSeasonCli::namesAndRepeats()
{
    const QString folder = m_dir.filePath(QStringLiteral("names"));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray doc = document({520, 310, 170}, QStringLiteral("3-1-2"));
    QVERIFY(writeAll(folder + QStringLiteral("/a\tb\x1b.csv"), doc));
    // 日 in code page 932: bytes a UTF-8 name never holds.
    const QByteArray cp932 = QFile::encodeName(folder) + "/\x93\xfa.csv";
    const int fd = ::open(cp932.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0 && ::write(fd, doc.constData(), size_t(doc.size())) == doc.size());
    ::close(fd);
    const QString link = m_dir.filePath(QStringLiteral("namesz"));
    QVERIFY(QFile::link(folder, link));
    const Run r = cli(
        {QStringLiteral("season"), folder, link + u'/', folder + QStringLiteral("/a\tb\x1b.csv")});
    QCOMPARE(r.exitCode, 0);
    const QStringList lines = r.out.split(u'\n');
    QCOMPARE(lines.mid(0, 3),
             QStringList({folder + QStringLiteral("/a\\tb\\x1b.csv\t3\t3-1-2\t0.170000000\t3\t"
                                                  "-2.239553731"),
                          folder + QStringLiteral("/\\x93\\xfa.csv\t0\t-\tunreadable: the name is "
                                                  "not UTF-8"),
                          QStringLiteral("duplicates\t3")}));
}

void TestSeasonCli::failures_data()
{
    QTest::addColumn<QStringList>("args"); // "@" = the temporary folder
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err"); // its first line

    QTest::newRow("no race with a result")
        << QStringList{"season", "@/none"} << 1 << "kirrel-cli: no race with a result";
    QTest::newRow("fit without a result")
        << QStringList{"fit", "@/none"} << 1 << "kirrel-cli: no race with a result";
    QTest::newRow("a path that does not exist")
        << QStringList{"fit", "@/none", "@/missing.csv"} << 1
        << "kirrel-cli: @/missing.csv: No such file or directory";
    QTest::newRow("combined without own columns")
        << QStringList{"fit", "@/one", "--model", "combined"} << 1
        << "kirrel-cli: no race with a result and own and market shares";
    QTest::newRow("no path") << QStringList{"season", "--model", "discount"} << 2
                             << "kirrel-cli: season needs a document or a folder";
    QTest::newRow("unknown model") << QStringList{"season", "@", "--model", "combined"} << 2
                                   << "kirrel-cli: unknown model 'combined'";
    QTest::newRow("normal is no fit") << QStringList{"fit", "@", "--model", "normal"} << 2
                                      << "kirrel-cli: unknown model 'normal'";
    QTest::newRow("--lambda without discount") << QStringList{"season", "@", "--lambda", "0.9"} << 2
                                               << "kirrel-cli: --lambda applies to the "
                                                  "discount model only";
    QTest::newRow("--alpha without --combine")
        << QStringList{"season", "@", "--alpha", "1", "--gamma", "1"} << 2
        << "kirrel-cli: --alpha goes with --combine";
    QTest::newRow("--combine without its values") << QStringList{"season", "@", "--combine"} << 2
                                                  << "kirrel-cli: --combine needs --alpha and "
                                                     "--gamma";
    QTest::newRow("alpha out of range")
        << QStringList{"season", "@", "--combine", "--alpha", "5.5", "--gamma", "1"} << 2
        << "kirrel-cli: bad number '5.5' for --alpha";
    QTest::newRow("beta 0") << QStringList{"season", "@", "--beta", "0"} << 2
                            << "kirrel-cli: bad number '0' for --beta";
    QTest::newRow("holdout of everything") << QStringList{"fit", "@", "--holdout", "1"} << 2
                                           << "kirrel-cli: bad number '1' for --holdout";
    QTest::newRow("exotics: --gamma without --combine")
        << QStringList{"exotics", "@/own.csv", "--bet", "win", "--gamma", "1"} << 2
        << "kirrel-cli: --gamma goes with --combine";
    QTest::newRow("exotics: --beta with --combine")
        << QStringList{"exotics", "@/own.csv", "--bet", "win",    "--combine", "--alpha",
                       "1",       "--gamma",   "1",     "--beta", "2"}
        << 2 << "kirrel-cli: --beta does not apply with --combine (alpha and gamma take its place)";
    QTest::newRow("exotics: combined without own columns")
        << QStringList{"exotics", "@/one/sub/a.csv", "--bet", "win", "--combine", "--alpha",
                       "1",       "--gamma",         "1"}
        << 1
        << "kirrel-cli: @/one/sub/a.csv: the combined model needs own columns (a positive "
           "weight, not 投票金)";
    QTest::newRow("compare: holdout of everything")
        << QStringList{"compare", "@", "--holdout", "1"} << 2
        << "kirrel-cli: bad number '1' for --holdout";
    QTest::newRow("compare: no path") << QStringList{"compare", "--robust"} << 2
                                      << "kirrel-cli: compare needs a document or a folder";
    QTest::newRow("compare: a model") << QStringList{"compare", "@", "--model", "own"} << 2
                                      << "kirrel-cli: unknown option '--model' for compare";
    QTest::newRow("compare: one date held out")
        << QStringList{"compare", "@/decided", "--holdout", "0.2"} << 1
        << "kirrel-cli: too few races to hold some out";
    QTest::newRow("columns without own columns")
        << QStringList{"fit", "@/one", "--model", "columns"} << 1
        << "kirrel-cli: no race with a result and own, "
           "market and column shares";
    QTest::newRow("option of the other command") << QStringList{"fit", "@", "--beta", "1"} << 2
                                                 << "kirrel-cli: unknown option '--beta' for fit";
}

void TestSeasonCli::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, err);
    for (QString &a : args)
        a.replace(u'@', m_dir.path());
    const Run r = cli(args);
    QCOMPARE(r.exitCode, status);
    QCOMPARE(r.err.section(u'\n', 0, 0), err.replace(u'@', m_dir.path()));
    // Only the documents' own lines come before a failure, never a summary.
    QVERIFY(!r.out.contains(QStringLiteral("races\t")));
    if (status == 2 || err.contains(QStringLiteral("No such file")))
        QVERIFY(r.out.isEmpty());
    else if (args.contains(m_dir.path() + QStringLiteral("/none")))
        QVERIFY(r.out.contains(m_dir.path() + QStringLiteral("/none/x.csv\t")));
    else if (args.contains(QStringLiteral("combined")))
        QVERIFY(r.out.contains(QStringLiteral("/sub/a.csv\t-\tno own columns\n")));
}

void TestSeasonCli::compareLines()
{
    // Two own columns and the odds over 40 races on 8 dates; the favourite by the first column
    // wins more often than by the odds.
    const QDir dir(m_dir.filePath(QStringLiteral("columns")));
    QVERIFY(dir.mkpath(QStringLiteral(".")));
    for (int i = 0; i < 40; ++i) {
        QString text = QStringLiteral("縦枠,横枠,R,2024/06/%1,予想,控除,投票\r\n6,3,a,b,%2,85,1\r\n"
                                      "番,枠,名,順位,オッズ,当選金,人気,単勝,速さ,血統\r"
                                      "…,…,…,…,…,…,比率→,-1,1,1")
                           .arg(i % 8 + 1, 2, 10, QChar(u'0'))
                           .arg(i % 3 == 0 ? QStringLiteral("1-2-3") : QStringLiteral("2-1-4"));
        for (int r = 1; r <= 6; ++r)
            text += QStringLiteral("\r%1,,,,,,,%2,%3,%4")
                        .arg(r)
                        .arg(r + (i + r) % 4)
                        .arg((r == 2 ? 40 : 10) + i % 5)
                        .arg(5 + (i * r) % 7);
        QVERIFY(writeAll(dir.filePath(QStringLiteral("%1.csv").arg(i, 2, 10, QChar(u'0'))),
                         Cp932::encode(text + QStringLiteral("\r\n")).bytes));
    }
    const Run c = cli({QStringLiteral("compare"), dir.path(), QStringLiteral("--robust"),
                       QStringLiteral("--holdout"), QStringLiteral("0.25")});
    QCOMPARE(c.exitCode, 0);
    const QStringList lines = c.out.split(u'\n');
    QCOMPARE(lines.mid(0, 4),
             QStringList({"se\trobust", "races\t30", "excluded\t0", "undated\t0"}));
    QStringList models;
    for (const QString &line : lines.mid(4, 6)) {
        const QStringList f = line.split(u'\t');
        QCOMPARE(f.size(), 7); // with the held-out log-likelihood
        QCOMPARE(f[0], QStringLiteral("model"));
        models << f[1];
        // AIC = 2K − 2 LOGLIK
        QVERIFY(std::fabs(f[4].toDouble() - (2 * f[2].toDouble() - 2 * f[3].toDouble())) < 2e-6);
    }
    QCOMPARE(models, QStringList({"support", "discount", "market", "own", "combined", "columns"}));
    const qsizetype columnsAt =
        lines.indexOf(QRegularExpression(QStringLiteral("^param\tcolumns\t.*")));
    QCOMPARE(lines.mid(columnsAt, 3).join(u'|').count(QStringLiteral("param\tcolumns\t")), 3);
    QVERIFY(
        lines.contains(QRegularExpression(QStringLiteral("^lr\tmarket\tcolumns\t[^\t]+\t2\t.*"))));
    // fit --model columns prints the same values and errors.
    const Run f = cli({QStringLiteral("fit"), dir.path(), QStringLiteral("--model"),
                       QStringLiteral("columns"), QStringLiteral("--robust"),
                       QStringLiteral("--holdout"), QStringLiteral("0.25")});
    QCOMPARE(f.exitCode, 0);
    const QStringList fitLines = f.out.split(u'\n');
    QCOMPARE(fitLines.mid(0, 4), lines.mid(0, 4));
    for (int i = 0; i < 3; ++i) {
        QString expected = lines[columnsAt + i].section(u'\t', 2);
        if (i < 2)
            expected.prepend(QStringLiteral("column\t"));
        QCOMPARE(fitLines[4 + i], expected);
    }
}

void TestSeasonCli::combinedWinProbabilities_data()
{
    QTest::addColumn<QString>("alpha");
    QTest::addColumn<QString>("gamma");
    QTest::addColumn<QString>("lines");

    QTest::newRow("own only") << "1"
                              << "0"
                              << "3 0.600000000|2 0.300000000|1 0.100000000";
    QTest::newRow("market only") << "0"
                                 << "1"
                                 << "1 0.500000000|2 0.300000000|3 0.200000000";
    // 0.1 · 0.5^2 = 0.025, 0.3 · 0.3^2 = 0.027, 0.6 · 0.2^2 = 0.024, over 0.076.
    QTest::newRow("both") << "1"
                          << "2"
                          << "2 0.355263158|1 0.328947368|3 0.315789474";
}

void TestSeasonCli::combinedWinProbabilities()
{
    QFETCH(QString, alpha);
    QFETCH(QString, gamma);
    QFETCH(QString, lines);
    const Run r = cli({QStringLiteral("exotics"), m_dir.filePath(QStringLiteral("own.csv")),
                       QStringLiteral("--bet"), QStringLiteral("win"), QStringLiteral("--combine"),
                       QStringLiteral("--alpha"), alpha, QStringLiteral("--gamma"), gamma});
    QCOMPARE(r.exitCode, 0);
    QStringList got;
    for (const QString &line : r.out.split(u'\n', Qt::SkipEmptyParts))
        got << line.section(u'\t', 0, 1).replace(u'\t', u' ');
    QCOMPARE(got.join(u'|'), lines);
}

QTEST_GUILESS_MAIN(TestSeasonCli)
#include "tst_seasoncli.moc"
