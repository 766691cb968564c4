// kirrel-cli: the document operations of the program without a window, for scripts.

#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/text/text.h"

#include <QCoreApplication>
#include <QDate>
#include <QStringList>
#include <cstdio>

namespace {

enum ExitCode { ExitOk = 0, ExitBadInput = 1, ExitUsage = 2 };

const char Usage[] =
    "usage: kirrel-cli recalc IN [-o OUT]\n"
    "       kirrel-cli quinella IN\n"
    "       kirrel-cli cells IN [--quinella]\n"
    "       kirrel-cli --help\n"
    "\n"
    "  recalc    load IN, recalculate as the \"集計\" button does and write the document\n"
    "            (to OUT, or to standard output) in the document format, code page 932\n"
    "  quinella  load, recalculate and estimate the quinella odds; print one pair a line\n"
    "            (1-2:4.3), UTF-8\n"
    "  cells     load and recalculate [and estimate]; print every cell of the runner table\n"
    "            [or of the quinella matrix] row by row as\n"
    "            row TAB column TAB text TAB background TAB text colour (#rrggbb), UTF-8;\n"
    "            a TAB, CR or LF in a text is written as \\t, \\r or \\n\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be read or written, 2 wrong usage.\n";

bool WriteOut(const QByteArray &bytes)
{
    if (!bytes.isEmpty() &&
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()))
        return false;
    return std::fflush(stdout) == 0;
}

void Complain(const QString &file, const QString &reason)
{
    const QByteArray line = QStringLiteral("kirrel-cli: %1: %2\n").arg(file, reason).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

int UsageError(const QString &why)
{
    const QByteArray line = QStringLiteral("kirrel-cli: %1\n").arg(why).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fputs(Usage, stderr);
    return ExitUsage;
}

// A fresh document as the main window makes one when no template exists, then the file.
FileResult LoadFresh(OddsDocument &doc, const QString &path)
{
    doc.setTitleText(0, QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    doc.buildTable();
    doc.setTitleText(1, FormatDate(QDate::currentDate(), QStringLiteral("yyyy/mm/dd")));
    return loadDocument(doc, path);
}

QString Escaped(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text;
}

QString CellLines(const Grid &grid)
{
    QString out;
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            out += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                       .arg(r)
                       .arg(c)
                       .arg(Escaped(grid.text(r, c)), ColorName(grid.effectiveBackColor(r, c)),
                            ColorName(grid.effectiveForeColor(r, c)));
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
QString Parse(const QStringList &args, Arguments *a)
{
    if (args.isEmpty())
        return QStringLiteral("no command given");
    a->command = args.first();
    if (a->command != QLatin1String("recalc") && a->command != QLatin1String("quinella") &&
        a->command != QLatin1String("cells"))
        return QStringLiteral("unknown command '%1'").arg(a->command);
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

int Run(const Arguments &a)
{
    OddsDocument doc;
    const FileResult loaded = LoadFresh(doc, a.in);
    if (!loaded.ok) {
        Complain(a.in, loaded.message);
        return ExitBadInput;
    }
    doc.recalculate();

    if (a.command == QLatin1String("recalc")) {
        if (!a.out.isEmpty()) {
            const FileResult saved = writeDocument(doc, doc.runnerTable, a.out);
            if (!saved.ok) {
                Complain(a.out, saved.message);
                return ExitBadInput;
            }
            return ExitOk;
        }
        QByteArray bytes;
        const FileResult encoded = EncodeDocument(doc, doc.runnerTable, &bytes);
        if (!encoded.ok) {
            Complain(a.in, encoded.message);
            return ExitBadInput;
        }
        if (!WriteOut(bytes)) {
            Complain(QStringLiteral("standard output"), QStringLiteral("write failed"));
            return ExitBadInput;
        }
        return ExitOk;
    }

    const bool wantQuinella = a.command == QLatin1String("quinella") || a.quinella;
    if (wantQuinella && !doc.estimateQuinella()) {
        Complain(
            a.in,
            QStringLiteral("no quinella layout for the runner count %1").arg(doc.countText(0)));
        return ExitBadInput;
    }
    QString text;
    if (a.command == QLatin1String("quinella")) {
        for (const QString &item : doc.quinellaList)
            text += item + QLatin1Char('\n');
    } else {
        text = CellLines(a.quinella ? doc.quinellaMatrix : doc.runnerTable);
    }
    if (!WriteOut(text.toUtf8())) {
        Complain(QStringLiteral("standard output"), QStringLiteral("write failed"));
        return ExitBadInput;
    }
    return ExitOk;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 1 &&
        (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h"))) {
        std::fputs(Usage, stdout);
        return ExitOk;
    }
    Arguments a;
    const QString problem = Parse(args, &a);
    if (!problem.isEmpty())
        return UsageError(problem);
    return Run(a);
}
