#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/racemodel/combinations.h"
#include "core/text/datetext.h"
#include "testfiles.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run cli(const QStringList &args, const std::function<void()> &inChild = {})
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
OddsDocument opened(const QString &path)
{
    OddsDocument doc;
    doc.setTitleText(0, QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    doc.buildTable();
    doc.setTitleText(1, formatDate(QDate::currentDate(), QStringLiteral("yyyy/mm/dd")));
    loadDocument(doc, path);
    return doc;
}

// The option names of a usage text: the first word of each "  -" line under "Options".
QStringList helpOptions(const QByteArray &usage)
{
    QStringList names;
    bool inOptions = false;
    for (const QString &line : QString::fromUtf8(usage).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Options")))
            inOptions = true;
        else if (inOptions && line.isEmpty())
            break;
        else if (inOptions && line.startsWith(QLatin1String("  -")))
            names << line.mid(2).section(QLatin1Char(' '), 0, 0);
    }
    return names;
}

// The options of a manual page, those of one command's section (.SS) or of OPTIONS: the bold
// word after each .TP.
QStringList manualOptions(const QString &page, const QString &command)
{
    const QStringList lines = page.split(QLatin1Char('\n'));
    const QString heading =
        command.isEmpty() ? QStringLiteral(".SH OPTIONS") : QStringLiteral(".SS ") + command;
    qsizetype i = lines.indexOf(heading);
    QStringList names;
    if (i < 0)
        return {QStringLiteral("(no section %1)").arg(heading)};
    static const QRegularExpression bold(QStringLiteral("^\\\\fB(.*?)\\\\f[RP]"));
    for (++i; i + 1 < lines.size(); ++i) {
        if (lines.at(i).startsWith(QLatin1String(".SH")) ||
            lines.at(i).startsWith(QLatin1String(".SS")))
            break;
        const QRegularExpressionMatch m = bold.match(lines.at(i + 1));
        if (lines.at(i) == QLatin1String(".TP") && m.hasMatch())
            names << m.captured(1).replace(QLatin1String("\\-"), QLatin1String("-"));
    }
    return names;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void exitStatus_data();
    void exitStatus();
    void unixConventions_data();
    void unixConventions();
    void recalc();
    void freshDocumentFields();
    void unencodableTextIsAnError();
    void fullDiskKeepsOldOutput_data();
    void fullDiskKeepsOldOutput();
    void cellsList();
    void exotics();
    void dutching();
    void kelly();
    void analysisLimits_data();
    void analysisLimits();
    void helpMatchesManual_data();
    void helpMatchesManual();

private:
    QTemporaryDir m_dir;
};

void TestCli::initTestCase()
{
    QVERIFY2(QFile::exists(QStringLiteral(KIRREL_CLI_PATH)), KIRREL_CLI_PATH " is not built");
    QVERIFY(m_dir.isValid());
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("notdoc.csv")), "hello\n"));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("old.csv")), "old"));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("nosupport.csv")),
                     Cp932::encode(QStringLiteral("番,枠,名\r\n")).bytes));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("eight.csv")),
                     Cp932::encode(QStringLiteral("縦枠,横枠,a,b,c,控除,投票\r\n8,8,d,e,f,85,1\r\n"
                                                  "番,枠,名,順位,オッズ,当選金,人気,投票金\r"
                                                  "…,…,…,…,…,…,比率→,1\r1,,,,,,,100\r"
                                                  "2,,,,,,,300\r3,,,,,,,600\r\n"))
                         .bytes));
    QVERIFY(writeAll(m_dir.filePath(QStringLiteral("bad.odds")), "1-2\t5.0\n1-2-3\t8.0\n"));
    QCOMPARE(::mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("fifo"))).constData(), 0600),
             0);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray socketPath = QFile::encodeName(m_dir.filePath(QStringLiteral("socket")));
    QVERIFY(size_t(socketPath.size()) < sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ::close(listener);
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
    QTest::newRow("not a document")
        << QStringList{"quinella", "@/notdoc.csv"} << 1 << "kirrel-cli: @/notdoc.csv: ";
    QTest::newRow("no quinella layout for 1 runner")
        << QStringList{"quinella", "%/tworunners.csv"} << 1
        << "kirrel-cli: %/tworunners.csv: 馬連表は2～18頭立て";
    QTest::newRow("output folder missing")
        << QStringList{"recalc", "%/race18.csv", "-o", "@/no/out.csv"} << 1
        << "kirrel-cli: @/no/out.csv: ";
    QTest::newRow("output over a folder")
        << QStringList{"recalc", "%/race18.csv", "-o", "@"} << 1 << "kirrel-cli: @: ";

    const QString race = QStringLiteral("%/race18.csv");
    QTest::newRow("exotics without --bet")
        << QStringList{"exotics", race} << 2 << "kirrel-cli: exotics needs --bet\n";
    QTest::newRow("unknown bet type") << QStringList{"exotics", race, "--bet", "pick6"} << 2
                                      << "kirrel-cli: unknown bet type 'pick6'\n";
    QTest::newRow("bad number") << QStringList{"exotics", race, "--bet", "win", "--beta", "1,5"}
                                << 2
                                << "kirrel-cli: bad number '1,5' for --beta (above 0, at most 5)\n";
    QTest::newRow("--lambda outside the discount model")
        << QStringList{"exotics", race, "--bet", "win", "--lambda", "0.9"} << 2
        << "kirrel-cli: --lambda applies to the discount model only\n";
    QTest::newRow("malformed pick")
        << QStringList{"stakes", race, "--bet", "exacta", "--pick", "1-2", "--budget", "1000"} << 2
        << "kirrel-cli: '1-2' is not an exacta combination (like 1>2)\n";
    QTest::newRow("pick of a runner the race does not have")
        << QStringList{"stakes", race, "--bet", "win", "--pick", "3,19", "--budget", "1000"} << 2
        << "kirrel-cli: '19' names runner 19, the race has runners 1 to 18\n";
    QTest::newRow("the same ticket twice")
        << QStringList{"stakes", race, "--bet", "quinella", "--pick", "1-2,2-1", "--budget", "500"}
        << 2 << "kirrel-cli: 1-2 picked twice\n";
    QTest::newRow("kelly for wide")
        << QStringList{"stakes", race,         "--bet", "wide",   "--kelly",
                       "1/2",    "--bankroll", "10000", "--odds", "@/bad.odds"}
        << 2 << "kirrel-cli: --kelly needs a bet type with one winning ticket";
    QTest::newRow("no support") << QStringList{"exotics", "@/nosupport.csv", "--bet", "win"} << 1
                                << "kirrel-cli: @/nosupport.csv: no runner has support\n";
    QTest::newRow("bet type not sold for the runner count")
        << QStringList{"exotics", "@/eight.csv", "--bet", "bracket-quinella"} << 1
        << "kirrel-cli: @/eight.csv: bracket-quinella is not sold with fewer than 9 runners\n";
    QTest::newRow("odds file with a line of another bet type")
        << QStringList{"exotics", race, "--bet", "quinella", "--odds", "@/bad.odds"} << 1
        << "kirrel-cli: @/bad.odds: line 2: '1-2-3' is not a quinella combination (like 1-2)\n";
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
    const Run r = cli(args);
    QCOMPARE(r.exitCode, status);
    const QString errText = QString::fromUtf8(r.err);
    QVERIFY2(err.isEmpty() ? errText.isEmpty() : errText.startsWith(expand(err)),
             qPrintable(errText));
    if (status == 0) {
        QVERIFY(r.out.startsWith("usage: kirrel-cli"));
        QVERIFY(r.err.isEmpty());
    } else {
        QVERIFY(r.out.isEmpty());
        // A usage error is its line and a hint, never the whole usage.
        QCOMPARE(errText.count(QLatin1Char('\n')), status == 2 ? 2 : 1);
        QVERIFY(status != 2 || errText.endsWith(QStringLiteral("\nTry 'kirrel-cli --help'.\n")));
    }
    QCOMPARE(readAll(m_dir.filePath(QStringLiteral("old.csv"))), QByteArray("old"));
}

void TestCli::unixConventions_data()
{
    // Shell lines: $CLI = kirrel-cli, "@" = the temporary folder, "%" = race18.csv.
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // "= LINE": what LINE prints; "...": begins with the rest
    QTest::addColumn<QString>("err");

    QTest::newRow("- reads a pipe on standard input")
        << "cat % | $CLI cells -" << 0 << "= $CLI cells %"
        << "";
    QTest::newRow("/dev/stdin, a file on standard input")
        << "$CLI recalc /dev/stdin < %" << 0 << "= $CLI recalc %"
        << "";
    QTest::newRow("a FIFO is read to its end")
        << "cat % > @/fifo & $CLI quinella @/fifo" << 0 << "= $CLI quinella %"
        << "";
    QTest::newRow("a shell's <(...)")
        << "$CLI cells --quinella <(cat %)" << 0 << "= $CLI cells --quinella %"
        << "";
    QTest::newRow("--odds -")
        << "printf '3\\t9.5\\n' | $CLI exotics % --bet win --odds -" << 0
        << "= printf '3\\t9.5\\n' > @/win.odds; $CLI exotics % --bet win --odds @/win.odds"
        << "";
    QTest::newRow("-o - writes standard output, no file named -")
        << "cd @ && $CLI recalc % -o - && test ! -e -" << 0 << "= $CLI recalc %"
        << "";
    QTest::newRow("standard input once only")
        << "$CLI stakes - --bet win --pick 1 --budget 100 --odds - < %" << 2 << ""
        << "kirrel-cli: standard input can be read once: IN and --odds are both '-'\n"
           "Try 'kirrel-cli --help'.\n";
    QTest::newRow("a device is refused") << "$CLI cells /dev/zero" << 1 << ""
                                         << "kirrel-cli: /dev/zero: 通常のファイルでもパイプでも"
                                            "ありません (デバイスまたはソケット)。\n";
    QTest::newRow("a device on standard input is refused")
        << "$CLI cells - < /dev/null" << 1 << ""
        << "kirrel-cli: standard input: 通常のファイルでもパイプでもありません (デバイスまたはソケ"
           "ット)。\n";
    QTest::newRow("a socket is refused") << "$CLI exotics % --bet win --odds @/socket" << 1 << ""
                                         << "kirrel-cli: @/socket: not a file or a pipe\n";
    QTest::newRow("a pipe beyond 64 MiB is refused")
        << "head -c 67108865 /dev/zero | $CLI recalc -" << 1 << ""
        << "kirrel-cli: standard input: オッズドキュメントとしては大きすぎるファイルです。\n";
    QTest::newRow("help of a command, after its other arguments")
        << "$CLI stakes % --bet win --help" << 0
        << "usage: kirrel-cli stakes IN --bet BET --pick COMBO[,COMBO...] --budget YEN\n"
           "                  [--model M] [--lambda L] [--rho R] [--beta B]\n"
           "                  [--combine --alpha A --gamma G] [--ratio PCT] [--odds FILE]\n"
           "       kirrel-cli stakes IN --bet BET --kelly FRACTION --bankroll YEN --odds\n"
           "                  FILE [--model M] [--lambda L] [--rho R] [--beta B]\n"
           "                  [--combine --alpha A --gamma G] [--ratio PCT]\n\n"
           "With --pick:..."
        << "";
    QTest::newRow("version") << "$CLI --version" << 0 << "kirrel-cli 0.95.0025\n"
                             << "";
    QTest::newRow("--option=value") << "$CLI exotics % --bet=trio --model=discount --lambda=0.9 "
                                       "--top=5"
                                    << 0
                                    << "= $CLI exotics % --bet trio --model discount --lambda 0.9 "
                                       "--top 5"
                                    << "";
    QTest::newRow("\"-\" after =") << "printf '3\\t9.5\\n' | $CLI exotics % --bet win --odds=-" << 0
                                   << "= printf '3\\t9.5\\n' | $CLI exotics % --bet win --odds -"
                                   << "";
    QTest::newRow("Japanese bet type")
        << "$CLI exotics % --bet 3連単 --top 30" << 0 << "= $CLI exotics % --bet trifecta --top 30"
        << "";
    QTest::newRow("Japanese bet type, full-width digit")
        << "$CLI exotics % --bet=３連複" << 0 << "= $CLI exotics % --bet trio"
        << "";
    QTest::newRow("Japanese bet type in stakes")
        << "$CLI stakes % --bet ワイド --pick 1-2,3-4 --budget=10000" << 0
        << "= $CLI stakes % --bet wide --pick 1-2,3-4 --budget 10000"
        << "";
    QTest::newRow("a flag given a value") << "$CLI cells % --quinella=yes" << 2 << ""
                                          << "kirrel-cli: --quinella takes no value\n"
                                             "Try 'kirrel-cli --help'.\n";
    QTest::newRow("an unknown Japanese bet type") << "$CLI exotics % --bet=4連単" << 2 << ""
                                                  << "kirrel-cli: unknown bet type '4連単'\n"
                                                     "Try 'kirrel-cli --help'.\n";
    QTest::newRow("an option of another command, with a value")
        << "$CLI season % --top=3" << 2 << ""
        << "kirrel-cli: unknown option '--top=3' for season\nTry 'kirrel-cli --help'.\n";
    // The desktop program answers these without a display.
    QTest::newRow("kirrel --version without a display")
        << "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $KIRREL --version" << 0
        << "kirrel 0.95.0025\n"
        << "";
    QTest::newRow("kirrel --help without a display, after a file")
        << "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM $KIRREL % -h" << 0
        << "usage: kirrel [FILE...]\n       kirrel --help | --version\n..."
        << "";
    QTest::newRow("a full standard output")
        << "$CLI recalc % > /dev/full" << 1 << ""
        << "kirrel-cli: standard output: No space left on device\n";
    // Written piece by piece: the first refused piece ends the run with one message.
    QTest::newRow("a full standard output, while exotics writes")
        << "$CLI exotics % --bet trifecta > /dev/full" << 1 << ""
        << "kirrel-cli: standard output: No space left on device\n";
}

void TestCli::unixConventions()
{
    QFETCH(QString, line);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);

    auto shell = [this](QString line) {
        line.replace(QLatin1Char('@'), m_dir.path());
        line.replace(QLatin1Char('%'), dataPath(QStringLiteral("race18.csv")));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("CLI"), QStringLiteral(KIRREL_CLI_PATH));
        env.insert(QStringLiteral("KIRREL"), QStringLiteral(KIRREL_PATH));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral("bash"), {QStringLiteral("-c"), line});
        Run r;
        if (p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit) {
            r.exitCode = p.exitCode();
            r.out = p.readAllStandardOutput();
            r.err = p.readAllStandardError();
        }
        return r;
    };
    const Run r = shell(line);
    QCOMPARE(QString::fromUtf8(r.err), QString(err).replace(QLatin1Char('@'), m_dir.path()));
    QCOMPARE(r.exitCode, status);
    if (out.startsWith(QLatin1String("= "))) {
        const Run expected = shell(out.mid(2));
        QCOMPARE(expected.exitCode, 0);
        QVERIFY(!expected.out.isEmpty());
        QCOMPARE(r.out, expected.out);
    } else if (out.endsWith(QLatin1String("..."))) {
        QVERIFY2(r.out.startsWith(out.chopped(3).toUtf8()), r.out.constData());
    } else {
        QCOMPARE(QString::fromUtf8(r.out), out);
    }
}

void TestCli::recalc()
{
    const QString in = dataPath(QStringLiteral("race18.csv"));
    OddsDocument doc = opened(in);
    doc.recalculate();
    QByteArray expected;
    QVERIFY(encodeDocument(doc, doc.runnerTable, &expected).ok);
    QVERIFY(expected != readAll(in)); // the stored odds were made up

    const Run r = cli({QStringLiteral("recalc"), in});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    QCOMPARE(r.out, expected);

    const QString out = m_dir.filePath(QStringLiteral("recalc.csv"));
    QVERIFY(writeAll(out, "previous"));
    const Run toFile = cli({QStringLiteral("recalc"), QStringLiteral("-o"), out, in});
    QCOMPARE(toFile.exitCode, 0);
    QVERIFY(toFile.out.isEmpty());
    QCOMPARE(readAll(out), expected);
}

void TestCli::freshDocumentFields()
{
    // A file of table lines only keeps the fields of the fresh document.
    const QString in = m_dir.filePath(QStringLiteral("table.csv"));
    QVERIFY(writeAll(in, Cp932::encode(QStringLiteral("番,枠,名\r\n")).bytes));
    const Run r = cli({QStringLiteral("recalc"), in});
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
    QVERIFY(writeAll(in, QByteArray("\xEF\xBB\xBF") + QStringLiteral("番,枠,A♥\r\n").toUtf8()));
    const QString out = m_dir.filePath(QStringLiteral("old.csv"));
    for (const QStringList &args : {QStringList{QStringLiteral("recalc"), in},
                                    QStringList{QStringLiteral("recalc"), in, "-o", out}}) {
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        const QString err = QString::fromUtf8(r.err);
        QVERIFY2(err.contains(QStringLiteral("「3列目」の見出し")) && err.contains(QChar(0x2665)),
                 qPrintable(err));
    }
    QCOMPARE(readAll(out), QByteArray("old"));
    // The other commands do not write code page 932 and take the text as it is.
    const Run cells = cli({QStringLiteral("cells"), in});
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
    const bool prepared = writeAll(out, "old\n");
    if (tmpfs) {
        QFile fill(dir.filePath(QStringLiteral("fill")));
        if (fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (fill.write(QByteArray(1024, 'x')) > 0) {
            }
    }
    const Run r = cli({QStringLiteral("recalc"), dataPath(QStringLiteral("race18.csv")),
                       QStringLiteral("-o"), out},
                      limit);
    const QByteArray after = readAll(out);
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
    QVERIFY(writeAll(in, Cp932::encode(QStringLiteral("縦枠,横枠,a,b,c,控除,投票\r\n"
                                                      "8,1,d,e,f,85,1\r\n"
                                                      "番,枠,名\\前\r…,…,two\nlines\r\n"))
                             .bytes));
    const Run r = cli({QStringLiteral("cells"), in});
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
    OddsDocument doc = opened(in);
    doc.recalculate();
    QVERIFY(doc.estimateQuinella());
    const Run q = cli({QStringLiteral("quinella"), in});
    QCOMPARE(q.exitCode, 0);
    QCOMPARE(QString::fromUtf8(q.out),
             doc.quinellaList.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(doc.quinellaList.size(), 8 * 7 / 2);
    QVERIFY(doc.quinellaList.first().startsWith(QStringLiteral("1-2:")));
    const Run m = cli({QStringLiteral("cells"), QStringLiteral("--quinella"), in});
    QCOMPARE(m.exitCode, 0);
    QCOMPARE(QString::fromUtf8(m.out).count(QLatin1Char('\n')),
             doc.quinellaMatrix.rows() * doc.quinellaMatrix.cols());
    QVERIFY(QString::fromUtf8(m.out).contains(QStringLiteral("\t1-2\t#e6e6e6\t")));
}

// The listing is the engine's, in its order, with printf's digits.
void TestCli::exotics()
{
    const QString in = dataPath(QStringLiteral("race18.csv"));
    OddsDocument doc = opened(in);
    doc.recalculate();
    AnalysisParameters parameters;
    parameters.model = OrderModel::Discount;
    parameters.lambda = 0.9;
    const Result<RaceModel> race = analyseRace(doc, parameters);
    QVERIFY(race.ok());
    const std::vector<Combination> trio =
        computeCombinations(BetType::Trio, race.value.order, race.value.field, 0.7);
    QCOMPARE(trio.size(), size_t(816));

    const QString odds = m_dir.filePath(QStringLiteral("trio.odds"));
    const Ticket priced = trio[5].runners;
    // Code page 932 with a name between ticket and odds under a header, CR LF, any order; the
    // same ticket twice with the same odds.
    const QString lines = QStringLiteral(
        "組番\t馬名\tオッズ\r\n%1-%2-%3\tｷﾙﾚﾙ\t25.0\r\n\r\n%3-%1-%2\tｷﾙﾚﾙ\t25.0\r\n");
    QVERIFY(
        writeAll(odds, Cp932::encode(lines.arg(priced[0]).arg(priced[1]).arg(priced[2])).bytes));
    const Run r = cli({QStringLiteral("exotics"), in, "--bet", "trio", "--model", "discount",
                       "--lambda", "0.9", "--ratio", "70", "--odds", odds, "--top", "10"});
    QCOMPARE(r.exitCode, 0);
    QCOMPARE(r.err, QByteArray());
    QByteArray expected;
    for (size_t i = 0; i < 10; ++i) {
        const Combination &c = trio[i];
        expected += ticketText(BetType::Trio, c.runners).toLatin1() +
                    QString::asprintf("\t%.9f\t%.1f", c.probability, c.estimatedOdds).toLatin1();
        if (c.runners == priced)
            expected += QString::asprintf("\t25.0\t%.3f", c.probability * 25).toLatin1();
        expected += '\n';
    }
    QCOMPARE(r.out, expected);

    // 4,896 lines, written in several pieces: every one of them, in the engine's order.
    const Run all = cli({QStringLiteral("exotics"), in, "--bet", "trifecta"});
    QCOMPARE(all.exitCode, 0);
    const Result<RaceModel> harville = analyseRace(doc, AnalysisParameters());
    QVERIFY(harville.ok());
    QByteArray listing;
    for (const Combination &c :
         computeCombinations(BetType::Trifecta, harville.value.order, harville.value.field,
                             AnalysisParameters().ratio(BetType::Trifecta)))
        listing += ticketText(BetType::Trifecta, c.runners).toLatin1() +
                   QString::asprintf("\t%.9f\t%.1f\n", c.probability, c.estimatedOdds).toLatin1();
    QCOMPARE(all.out.count('\n'), 4896);
    QVERIFY(all.out.size() > 2 * 64 * 1024);
    QCOMPARE(all.out, listing);
}

// Actual odds for every pick make the stakes independent of the model: worked by hand.
void TestCli::dutching()
{
    const QString in = dataPath(QStringLiteral("race18.csv"));
    const QString odds = m_dir.filePath(QStringLiteral("quinella.odds"));
    QVERIFY(writeAll(odds, "1-2\t3.0\n3-4\t6.0\n4-5\t2.0\n5-6\t4.0\n6-7\t4.0\n"));

    // C = 1/(1/3 + 1/6) = 2; 1000 x 2/3 = 666.7 -> 700, 1000 x 2/6 = 333.3 -> 300.
    const Run covered = cli({QStringLiteral("stakes"), in, "--bet", "quinella", "--pick", "2-1,3-4",
                             "--budget", "1000", "--odds", odds});
    QCOMPARE(covered.exitCode, 0);
    QCOMPARE(QString::fromUtf8(covered.out),
             QStringLiteral("1-2\t3.0\t700\t2100\n3-4\t6.0\t300\t1800\n合成オッズ\t2.00\n"
                            "合計\t1000\n払戻\t1800\t2100\n"));

    // C = 1/(1/2 + 1/4 + 1/4) = 1; 500, 250 -> 300, 300: 1100 staked, 1000 back at worst.
    const Run loss = cli({QStringLiteral("stakes"), in, "--bet", "quinella", "--pick",
                          "4-5,5-6,6-7", "--budget", "1000", "--odds", odds});
    QCOMPARE(loss.exitCode, 0);
    QCOMPARE(QString::fromUtf8(loss.out),
             QStringLiteral("4-5\t2.0\t500\t1000\n5-6\t4.0\t300\t1200\n6-7\t4.0\t300\t1200\n"
                            "合成オッズ\t1.00\n合計\t1100\n払戻\t1000\t1200\nトリガミ\n"));
}

// Odds of 1000 on every runner (1/O adds up to 0.018): all join, R_S = 0 and f = p, the win
// probability. Odds of 1.5 give no runner an edge.
void TestCli::kelly()
{
    const QString in = dataPath(QStringLiteral("race18.csv"));
    OddsDocument doc = opened(in);
    doc.recalculate();
    const Result<RaceField> field = raceFieldFromDocument(doc, 1);
    QVERIFY(field.ok());

    QByteArray generous;
    QByteArray mean;
    for (int r = 1; r <= 18; ++r) {
        generous += QByteArray::number(r) + "\t1000\n";
        mean += QByteArray::number(r) + "\t1.5\n";
    }
    const QString generousOdds = m_dir.filePath(QStringLiteral("generous.odds"));
    const QString meanOdds = m_dir.filePath(QStringLiteral("mean.odds"));
    QVERIFY(writeAll(generousOdds, generous) && writeAll(meanOdds, mean));
    const Run r = cli({QStringLiteral("stakes"), in, "--bet", "win", "--kelly", "1/2", "--bankroll",
                       "100000", "--odds", generousOdds});
    QCOMPARE(r.exitCode, 0);
    QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    QCOMPARE(lines.takeLast(), QString());
    QCOMPARE(lines.takeLast(), QStringLiteral("留保\t0.0000"));
    QCOMPARE(lines.size(), 18);
    for (const QString &line : lines) {
        const QStringList f = line.split(QLatin1Char('\t'));
        const double p = field.value.win[size_t(f[0].toInt())];
        QCOMPARE(f.mid(1),
                 QStringList({QString::asprintf("%.9f", p), "1000.0", QString::asprintf("%.6f", p),
                              QString::number(qint64(100000 * p / 2 / 100) * 100)}));
    }

    const Run none = cli({QStringLiteral("stakes"), in, "--bet", "win", "--kelly", "1",
                          "--bankroll", "100000", "--odds", meanOdds});
    QCOMPARE(none.exitCode, 0);
    QCOMPARE(QString::fromUtf8(none.out), QStringLiteral("留保\t1.0000\n"));
}

// Values at and beyond the limits of the analysis commands: each refused with its status and
// a bounded message, or its exact result.
void TestCli::analysisLimits_data()
{
    QTest::addColumn<QStringList>("args"); // ODDS: an odds file holding `odds`
    QTest::addColumn<QByteArray>("odds");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out"); // standard error when refused, else standard output

    const QStringList exotics{"exotics", "RACE", "--bet"};
    const QString notOdds =
        QStringLiteral(" is not odds (odds from 1.0 to 99,999,999.9 with one decimal)\n");
    QTest::newRow("λ of 1e308")
        << exotics + QStringList{"win", "--model", "discount", "--lambda", "1e308"} << QByteArray()
        << 2 << "kirrel-cli: bad number '1e308' for --lambda (above 0, at most 3)\n";
    QTest::newRow("β above 5") << exotics + QStringList{"win", "--beta", "5.01"} << QByteArray()
                               << 2
                               << "kirrel-cli: bad number '5.01' for --beta (above 0, at most 5)\n";
    QTest::newRow("user text in a pick is no template")
        << QStringList{"stakes", "RACE", "--bet", "win", "--pick", "99%1", "--budget", "100"}
        << QByteArray() << 2
        << "kirrel-cli: '99%1' names runner 99, the race has runners 1 to 18\n";
    QTest::newRow("a long option value quoted to 60 characters")
        << exotics + QStringList{"w" + QString(1000, u'x')} << QByteArray() << 2
        << "kirrel-cli: unknown bet type 'w" + QString(59, u'x') + "…'\n";
    QTest::newRow("a payout beyond 64 bits")
        << QStringList{"stakes", "RACE",     "--bet",         "win",    "--pick",
                       "1",      "--budget", "1000000000000", "--odds", "ODDS"}
        << QByteArray("1\t99999999.9\n") << 1
        << "kirrel-cli: RACE: the payout of 1 is beyond what can be counted "
           "(9,223,372,036,854,775,807 yen at most)\n";
    QTest::newRow("odds of 1e17") << QStringList{"stakes", "RACE",     "--bet", "win",    "--pick",
                                                 "1",      "--budget", "100",   "--odds", "ODDS"}
                                  << QByteArray("1\t1e17\n") << 1
                                  << "kirrel-cli: ODDS: line 1: '1e17'" + notOdds;
    QTest::newRow("a junk line of 15 MiB with NUL bytes")
        << exotics + QStringList{"win", "--odds", "ODDS"} << "1\t2.0\n" + QByteArray(15 << 20, '\0')
        << 1
        << "kirrel-cli: ODDS: line 2: '" + QStringLiteral("\\x00").repeated(60) +
               "…' is not a win combination (like 7)\n";
    QTest::newRow("one ticket, two odds")
        << exotics + QStringList{"quinella", "--odds", "ODDS"} << QByteArray("1-2 12.3\n2-1 13.0\n")
        << 1 << "kirrel-cli: ODDS: lines 1 and 2 give 1-2 different odds\n";
    QTest::newRow("the forms of an odds page")
        << exotics + QStringList{"quinella", "--odds", "ODDS", "--top", "1"}
        << QString("組番 オッズ\n１－２　3,456.7\n3 - 4\t取消\n").toUtf8() << 0
        << "1-2\t0.025819697\t30.0\t3456.7\t89.251\n"; // 0.025819697 x 3456.7 = 89.2514
}

void TestCli::analysisLimits()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArray, odds);
    QFETCH(int, status);
    QFETCH(QString, out);
    const QString race = dataPath(QStringLiteral("race18.csv"));
    const QString oddsFile = m_dir.filePath(QStringLiteral("limits.odds"));
    QVERIFY(writeAll(oddsFile, odds));
    for (QString &a : args)
        a = a == QLatin1String("RACE") ? race : a == QLatin1String("ODDS") ? oddsFile : a;
    out.replace(QStringLiteral("RACE"), race).replace(QStringLiteral("ODDS"), oddsFile);
    const Run r = cli(args);
    QCOMPARE(r.exitCode, status);
    const QByteArray shown = status == 0 ? r.out : r.err.left(r.err.indexOf('\n') + 1);
    QCOMPARE(QString::fromUtf8(shown), out);
}

// Each usage lists the options its command takes, as its manual page does, and no other.
void TestCli::helpMatchesManual_data()
{
    QTest::addColumn<QString>("command"); // empty: the desktop program
    for (const char *command : {"recalc", "quinella", "cells", "exotics", "stakes", "backtest",
                                "season", "fit", "compare"})
        QTest::newRow(command) << QString::fromLatin1(command);
    QTest::newRow("kirrel") << QString();
}

void TestCli::helpMatchesManual()
{
    QFETCH(QString, command);
    const bool cliCommand = !command.isEmpty();
    QFile manual(QStringLiteral(KIRREL_MAN_DIR) +
                 (cliCommand ? QStringLiteral("/kirrel-cli.1") : QStringLiteral("/kirrel.1")));
    QVERIFY2(manual.open(QIODevice::ReadOnly), qPrintable(manual.fileName()));
    const QString page = QString::fromUtf8(manual.readAll());

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(env);
    if (cliCommand)
        program.start(QStringLiteral(KIRREL_CLI_PATH), {command, QStringLiteral("--help")});
    else
        program.start(QStringLiteral(KIRREL_PATH), {QStringLiteral("--help")});
    QVERIFY(program.waitForFinished(30000));
    QCOMPARE(program.exitCode(), 0);
    const QByteArray usage = program.readAllStandardOutput();
    const QStringList listed = helpOptions(usage);
    QCOMPARE(listed, manualOptions(page, command));
    if (!cliCommand)
        return;
    QCOMPARE(listed.isEmpty(), command == QLatin1String("quinella"));

    // The usage lines name no option the list leaves out.
    static const QRegularExpression optionWord(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*"));
    const QString synopsis = QString::fromUtf8(usage).section(QStringLiteral("\n\n"), 0, 0);
    for (const QRegularExpressionMatch &m : optionWord.globalMatch(synopsis))
        QVERIFY2(listed.contains(m.captured()), qPrintable(m.captured()));
    // The command knows every option listed.
    for (const QString &option : listed) {
        const Run r = cli({command, option, QStringLiteral("x"), QStringLiteral("y")});
        QVERIFY(r.exitCode != 0);
        QVERIFY2(!r.err.contains("unknown option"), r.err.constData());
    }
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
