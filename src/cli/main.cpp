// kirrel-cli: the document operations of the program without a window, for scripts.

#include "cli/analysiscommands.h"
#include "cli/backtestcommands.h"
#include "cli/seasoncommands.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/system/systemtools.h"

#include <QCoreApplication>
#include <QDate>
#include <QStringList>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum ExitCode { ExitOk = 0, ExitBadInput = 1, ExitUsage = 2 };

struct CommandHelp
{
    const char *name;
    // Each line of the synopsis without "kirrel-cli ".
    const char *synopsis;
    const char *description;
    bool analysis; // takes BET, MODEL OPTIONS, --ratio and --odds
};

const CommandHelp Commands[] = {
    {"recalc", "recalc IN [-o OUT]",
     "  recalc    load IN, recalculate as the \"集計\" button does and write the document\n"
     "            (to OUT, or to standard output) in the document format, code page 932\n",
     false},
    {"quinella", "quinella IN",
     "  quinella  load, recalculate and estimate the quinella odds; print one pair a line\n"
     "            (1-2:4.3), UTF-8\n",
     false},
    {"cells", "cells IN [--quinella]",
     "  cells     load and recalculate [and estimate]; print every cell of the runner table\n"
     "            [or of the quinella matrix] row by row as\n"
     "            row TAB column TAB text TAB background TAB text colour (#rrggbb), UTF-8;\n"
     "            a TAB, CR or LF in a text is written as \\t, \\r or \\n\n",
     false},
    {"exotics", "exotics IN --bet BET [MODEL OPTIONS] [--ratio PCT] [--odds FILE] [--top N]",
     "  exotics   load and recalculate; print every combination of the bet type that has a\n"
     "            probability, most probable first, as COMBO TAB PROBABILITY TAB ODDS\n"
     "            (probability with 9 decimals, estimated odds with 1); with --odds, the\n"
     "            combinations that have actual odds add TAB ACTUAL TAB EV (EV = probability x\n"
     "            actual odds, 3 decimals); --top N prints the first N only. UTF-8\n",
     true},
    {"stakes",
     "stakes IN --bet BET --pick COMBO[,COMBO...] --budget YEN [MODEL OPTIONS]\n"
     "                  [--ratio PCT] [--odds FILE]\n"
     "stakes IN --bet BET --kelly FRACTION --bankroll YEN --odds FILE\n"
     "                  [MODEL OPTIONS] [--ratio PCT]",
     "  stakes    with --pick: spread YEN over the combinations so that each pays about the\n"
     "            same (dutching), stakes rounded to 100 yen, at least 100; a line per pick\n"
     "            COMBO TAB ODDS TAB STAKE TAB PAYOUT, then 合成オッズ TAB combined odds,\n"
     "            合計 TAB total, 払戻 TAB smallest TAB largest payout, and トリガミ when the\n"
     "            smallest payout is below the total. Odds are the actual ones when --odds\n"
     "            has them, else the estimated ones.\n"
     "            with --kelly: Kelly stakes over the combinations of the odds file, a line\n"
     "            per combination staked COMBO TAB PROBABILITY TAB ODDS TAB FRACTION (of the\n"
     "            bankroll at full Kelly) TAB STAKE (YEN x FRACTION x the Kelly fraction,\n"
     "            rounded down to 100 yen), then 留保 TAB the part kept back. FRACTION of\n"
     "            Kelly: above 0 and at most 1, as 0.5 or 1/2. Not for place and wide.\n",
     true},
    {"backtest",
     "backtest PATH... --bet BET [MODEL OPTIONS] [--ratio PCT]\n"
     "                  [--combine --alpha A --gamma G] [--min-ratio X | --min-ev E]\n"
     "                  [--flat YEN | --kelly FRACTION --bankroll YEN] [--at HH:MM]",
     "  backtest  play a betting rule over documents (PATH: files, or folders searched for\n"
     "            *.csv) in the order of their date field, then their paths; a race counts\n"
     "            with a result and actual odds of BET in its analysis file (the latest\n"
     "            snapshot, or the last one at or before --at). Bought: every ticket whose\n"
     "            actual / estimated odds (2 decimals, halves up) is at least X (default\n"
     "            1.2), or whose probability x actual odds (3 decimals) is at least E;\n"
     "            stakes YEN each (a multiple of 100, default 100) or Kelly stakes on the\n"
     "            bankroll as it stands. A winning ticket returns its payout from the\n"
     "            analysis file, else stake x odds (counted under fromodds). A line per race\n"
     "            FILE TAB TICKETS TAB STAKED TAB RETURNED TAB PROFIT (cumulative), then\n"
     "            races, bet, tickets, hits, staked, returned, recovery, profit,\n"
     "            maxdrawdown, longestlosing and fromodds, each NAME TAB VALUE. UTF-8\n",
     true},
    {"season",
     "season PATH... [--model harville|discount|normal] [--lambda L] [--rho R]\n"
     "                  [--beta B] [--combine --alpha A --gamma G]",
     "  season    load every document of the PATHs (files, or folders searched for *.csv),\n"
     "            read its result field (結果, \"3-7-12\") as the finishing order and evaluate\n"
     "            the model on it: a line per document FILE TAB RUNNERS TAB RESULT TAB PWIN\n"
     "            (the winner's probability) TAB WINRANK (its rank by probability) TAB LOGLIK\n"
     "            (log P of the first three in order), or FILE TAB RUNNERS TAB - TAB REASON for\n"
     "            one left out; then races, excluded, loglik, winloglik, brier, favourites and\n"
     "            nine calibration lines LO TAB HI TAB COUNT TAB MEANP TAB WINS. UTF-8\n"
     "            --combine: win probabilities own^A x market^G, own = the weighted columns\n"
     "            other than odds and 投票金, market = those; A and G from -5 to 5\n",
     false},
    {"fit", "fit PATH... [--model harville|discount|combined|columns] [--holdout F] [--robust]",
     "  fit       fit the model to the results by maximum likelihood: races, excluded, a line\n"
     "            per parameter NAME TAB VALUE TAB STANDARD ERROR (harville beta; discount\n"
     "            beta, lambda, rho; combined alpha, gamma), loglik TAB BEFORE TAB AFTER;\n"
     "            columns: one exponent per own column (by its header; a column fewer than\n"
     "            half of the documents have is listed unused TAB NAME TAB N), column TAB\n"
     "            NAME TAB VALUE TAB SE lines, then gamma for the market;\n"
     "            --holdout F (0 < F < 1) holds out the latest whole dates until they reach F\n"
     "            of the dated races (undated races are never held out: undated TAB N) and\n"
     "            adds holdout TAB N TAB BEFORE TAB AFTER; --robust: errors clustered by\n"
     "            race (first line se TAB robust)\n",
     false},
    {"compare", "compare PATH... [--holdout F] [--robust]",
     "  compare   fit every model the documents allow on the races all of them can take:\n"
     "            races, excluded, then model TAB NAME TAB K TAB LOGLIK TAB AIC TAB BRIER\n"
     "            (with --holdout also the held-out LOGLIK) for support, discount, market,\n"
     "            own, combined and columns, a line param TAB MODEL TAB NAME TAB VALUE TAB\n"
     "            SE per parameter, and likelihood-ratio tests lr TAB SMALL TAB LARGE TAB\n"
     "            STAT TAB DF TAB P of the nested pairs\n",
     false},
};

const char AnalysisOptions[] =
    "  BET        win (単勝) 7, place (複勝) 7, bracket-quinella (枠連) 3-5,\n"
    "             quinella (馬連) 1-2, wide (ワイド) 1-2, exacta (馬単) 1>2,\n"
    "             trio (3連複) 1-2-3, trifecta (3連単) 1>2>3; runner or bracket numbers,\n"
    "             any order for \"-\" combinations\n"
    "  MODEL OPTIONS\n"
    "    --model harville|discount|normal   finishing-order model (default harville)\n"
    "    --lambda L, --rho R   discount model: second place by p^L (default 0.81), third by\n"
    "                          p^R (default 0.65); above 0, at most 3\n"
    "    --beta B              win probabilities p^B, renormalised (default 1); above 0, at\n"
    "                          most 5\n"
    "    --combine --alpha A --gamma G   win probabilities own^A x market^G instead of\n"
    "                          p^B: market = the odds columns and those headed 投票金, own =\n"
    "                          the other weighted columns; A and G from -5 to 5\n"
    "  --ratio PCT  payout ratio of the bet type in percent (default: win and place 80,\n"
    "               bracket-quinella, quinella and wide 77.5, exacta and trio 75,\n"
    "               trifecta 72.5); estimated odds = ratio / probability, truncated to one\n"
    "               decimal, at least 1.0\n"
    "  --odds FILE  actual odds, UTF-8 or code page 932: each line COMBO TAB ODDS (or blank-\n"
    "               separated); a first line without a digit is a header naming the odds\n"
    "               column; ODDS 1.0 to 99999999.9, one decimal; 取消, 除外 or --- for none\n";

const char Closing[] =
    "IN, or the FILE of --odds, can be \"-\" for standard input (one of them); pipes and\n"
    "FIFOs are read like files, to their end (a document up to 64 MiB). \"-o -\" writes to\n"
    "standard output.\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written or the document cannot be\n"
    "analysed for the bet type (season, fit: no race has a result, or the fit fails),\n"
    "2 wrong usage.\n"
    "Messages: usage errors are English. A failure with a file is reported as\n"
    "\"kirrel-cli: FILE: reason\": a reason about a document (reading, writing, the\n"
    "quinella layout) is the Japanese text the program's windows show; the analysis\n"
    "commands' reasons and those about standard output are English.\n";

// The whole usage, or that of one command.
QByteArray usageText(const CommandHelp *only = nullptr)
{
    QByteArray synopsis;
    QByteArray descriptions;
    bool analysis = false;
    for (const CommandHelp &c : Commands) {
        if (only && only != &c)
            continue;
        for (const QByteArray &line : QByteArray(c.synopsis).split('\n')) {
            const bool continued = line.startsWith(' ');
            synopsis += continued            ? QByteArray()
                        : synopsis.isEmpty() ? QByteArray("usage: kirrel-cli ")
                                             : QByteArray("       kirrel-cli ");
            synopsis += line + '\n';
        }
        descriptions += c.description;
        analysis = analysis || c.analysis;
    }
    if (!only)
        synopsis += "       kirrel-cli COMMAND --help\n"
                    "       kirrel-cli --help | --version\n";
    QByteArray text = synopsis + '\n' + descriptions;
    if (analysis)
        text += QByteArray("\n") + AnalysisOptions;
    return text + '\n' + Closing;
}

const CommandHelp *findCommand(const QString &name)
{
    for (const CommandHelp &c : Commands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

// --help or -h among the options asks for the command's usage instead.
bool asksForHelp(const QStringList &args)
{
    for (const QString &arg : args) {
        if (arg == QLatin1String("--"))
            return false;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h"))
            return true;
    }
    return false;
}

// 0, or errno of the failure.
int writeOut(const QByteArray &bytes)
{
    errno = 0;
    if (!bytes.isEmpty() &&
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        return errno ? errno : EIO;
    if (std::fflush(stdout) != 0)
        return errno ? errno : EIO;
    // Redirected into a file, the last bytes can still fail on their way to the disk.
    struct stat st;
    if (::fstat(STDOUT_FILENO, &st) == 0 && S_ISREG(st.st_mode) && ::fsync(STDOUT_FILENO) != 0)
        return errno;
    return 0;
}

void complain(const QString &file, const QString &reason)
{
    // Without a file the reason is about the whole run ("no race with a result").
    const QString name = file == QLatin1String("-") ? QStringLiteral("standard input") : file;
    const QString where = name.isEmpty() ? QString() : name + QStringLiteral(": ");
    const QByteArray line = QStringLiteral("kirrel-cli: %1%2\n").arg(where, reason).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

int usageError(const QString &why)
{
    const QByteArray line = QStringLiteral("kirrel-cli: %1\n").arg(why).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fputs("Try 'kirrel-cli --help'.\n", stderr);
    return ExitUsage;
}

// Writes to standard output; a failure is reported with its cause.
int emit(const QByteArray &bytes)
{
    const int error = writeOut(bytes);
    if (error == 0)
        return ExitOk;
    complain(QStringLiteral("standard output"), QString::fromUtf8(strerrordesc_np(error)));
    return ExitBadInput;
}

// A fresh document as the main window makes one when no template exists, then the input.
FileResult loadFresh(OddsDocument &doc, const QString &path)
{
    doc.startFresh(1, QDate::currentDate());
    return loadDocumentInput(doc, path);
}

QString escaped(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

QString cellLines(const Grid &grid)
{
    QString out;
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            out += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                       .arg(r)
                       .arg(c)
                       .arg(escaped(grid.text(r, c)), colorName(grid.effectiveBackColor(r, c)),
                            colorName(grid.effectiveForeColor(r, c)));
    return out;
}

struct Arguments
{
    QString command;
    QString in;
    QString out;
    bool quinella = false;
};

// Empty text = the arguments are fine.
QString parse(const QStringList &args, Arguments *a)
{
    if (args.isEmpty())
        return QStringLiteral("no command given");
    a->command = args.first();
    QStringList positional;
    bool haveOut = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        if (arg == QLatin1String("-o") && a->command == QLatin1String("recalc")) {
            if (haveOut)
                return QStringLiteral("-o given twice");
            if (++i >= args.size())
                return QStringLiteral("-o needs a file name");
            a->out = args.at(i);
            haveOut = true;
        } else if (arg == QLatin1String("--quinella") && a->command == QLatin1String("cells")) {
            a->quinella = true;
        } else if (arg == QLatin1String("--")) {
            positional << args.mid(i + 1);
            break;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return QStringLiteral("unknown option '%1' for %2").arg(arg, a->command);
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 1)
        return QStringLiteral("%1 takes exactly one input file").arg(a->command);
    a->in = positional.first();
    if (haveOut && a->out.isEmpty())
        return QStringLiteral("-o needs a file name");
    return QString();
}

int run(const Arguments &a)
{
    OddsDocument doc;
    const FileResult loaded = loadFresh(doc, a.in);
    if (!loaded.ok) {
        complain(a.in, loaded.message);
        return ExitBadInput;
    }
    doc.recalculate();

    if (a.command == QLatin1String("recalc")) {
        if (!a.out.isEmpty() && a.out != QLatin1String("-")) {
            const FileResult saved = writeDocument(doc, doc.runnerTable, a.out);
            if (!saved.ok) {
                complain(a.out, saved.message);
                return ExitBadInput;
            }
            return ExitOk;
        }
        QByteArray bytes;
        const FileResult encoded = encodeDocument(doc, doc.runnerTable, &bytes);
        if (!encoded.ok) {
            complain(a.in, encoded.message);
            return ExitBadInput;
        }
        return emit(bytes);
    }

    const bool wantQuinella = a.command == QLatin1String("quinella") || a.quinella;
    if (wantQuinella && !doc.estimateQuinella()) {
        complain(a.in, QStringLiteral("馬連表は2～18頭立てのときに作れます（縦枠 %1）。")
                           .arg(doc.countText(0)));
        return ExitBadInput;
    }
    QString text;
    if (a.command == QLatin1String("quinella")) {
        for (const QString &item : doc.quinellaList)
            text += item + QLatin1Char('\n');
    } else {
        text = cellLines(a.quinella ? doc.quinellaMatrix : doc.runnerTable);
    }
    return emit(text.toUtf8());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString &first = args.first();
    if (first == QLatin1String("--version"))
        return emit(QStringLiteral("kirrel-cli %1\n").arg(versionText()).toUtf8());
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return emit(usageText());
    const CommandHelp *command = findCommand(first);
    if (!command)
        return usageError(first.startsWith(QLatin1Char('-'))
                              ? QStringLiteral("unknown option '%1'").arg(first)
                              : QStringLiteral("unknown command '%1'").arg(first));
    if (asksForHelp(args.mid(1)))
        return emit(usageText(command));
    if (isAnalysisCommand(first) || isSeasonCommand(first) || isBacktestCommand(first)) {
        // Output handed over in pieces goes out at once; the first failure stops it.
        int pieceError = 0;
        const auto writePiece = [&pieceError](QByteArrayView piece) {
            errno = 0;
            if (std::fwrite(piece.data(), 1, size_t(piece.size()), stdout) == size_t(piece.size()))
                return true;
            pieceError = errno ? errno : EIO;
            return false;
        };
        const CommandOutcome r =
            isSeasonCommand(first) ? runSeasonCommand(args)
            : isBacktestCommand(first)
                ? runBacktestCommand(args, [](const QString &why) { complain(QString(), why); })
                : runAnalysisCommand(args, loadFresh, writePiece);
        if (r.kind == CommandOutcome::Usage)
            return usageError(r.reason);
        if (r.kind == CommandOutcome::BadInput) {
            // The lines before the failure (season's documents and their reasons) first.
            if (!r.output.isEmpty())
                (void)emit(r.output);
            complain(r.file, r.reason);
            return ExitBadInput;
        }
        if (pieceError != 0) {
            complain(QStringLiteral("standard output"),
                     QString::fromUtf8(strerrordesc_np(pieceError)));
            return ExitBadInput;
        }
        return emit(r.output);
    }
    Arguments a;
    const QString problem = parse(args, &a);
    if (!problem.isEmpty())
        return usageError(problem);
    return run(a);
}
