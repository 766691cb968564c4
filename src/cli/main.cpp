// kirrel-cli: the document operations of the program without a window, for scripts.

#include "cli/analysiscommands.h"
#include "cli/arguments.h"
#include "cli/backtestcommands.h"
#include "cli/helptext.h"
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
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString first = args.first();
    if (first == QLatin1String("--version"))
        return emit(QStringLiteral("kirrel-cli %1\n").arg(versionText()).toUtf8());
    if (first == QLatin1String("--help") || first == QLatin1String("-h"))
        return emit(cliUsage().toUtf8());
    const CommandHelp *command = findCliCommand(first);
    if (!command)
        return usageError(first.startsWith(QLatin1Char('-'))
                              ? QStringLiteral("unknown option '%1'").arg(first)
                              : QStringLiteral("unknown command '%1'").arg(first));
    if (asksForHelp(args.mid(1)))
        return emit(cliUsage(*command).toUtf8());
    // "--bet=win" is "--bet win" for every option the command lists with a value.
    QStringList withValue;
    QStringList flags;
    for (const OptionHelp &o : command->options)
        (o.takesValue() ? withValue : flags) << o.name();
    const QString formProblem = splitOptionValues(args, withValue, flags);
    if (!formProblem.isEmpty())
        return usageError(formProblem);
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
