// kirrel-cli's argument handling: the input split at NUL bytes into arguments, taken as the
// program takes them (the season and backtest commands, which walk the folders they are given,
// are left out). Documents and files are never written: "race.csv" stands for a prepared
// 18-runner document (any other name is a missing file), and "@<bet type>" ("@trio") for a
// prepared odds file with every ticket of that type.

// main.cpp keeps its parser to itself; it is compiled here under another entry point.
#define main KirrelCliMain
#include "cli/main.cpp"
#undef main

#include "fuzzinput.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

FileResult preparedDocument(OddsDocument &doc, const QString &path)
{
    static const OddsDocument race = [] {
        OddsDocument d;
        d.startFresh(1, QDate(2026, 1, 1));
        const FileResult loaded = loadDocument(d, QStringLiteral(KIRREL_FUZZ_RACE));
        if (!loaded.ok)
            qFatal("%s: %s", KIRREL_FUZZ_RACE, qPrintable(loaded.message));
        return d;
    }();
    if (path != QLatin1String("race.csv"))
        return FileResult{false, QStringLiteral("no such file")};
    doc = race;
    return FileResult{true, {}};
}

QString oddsFolder()
{
    static QTemporaryDir dir;
    static const bool written = [] {
        for (const BetType type : AllBetTypes) {
            QFile f(dir.filePath(QLatin1Char('@') + betTypeName(type)));
            if (!f.open(QIODevice::WriteOnly))
                return false;
            double odds = 1.1;
            for (const Ticket &t :
                 ticketsByNumber(type, type == BetType::BracketQuinella ? 8 : 18)) {
                f.write(
                    (ticketText(type, t) + u'\t' + QString::number(odds, 'f', 1) + u'\n').toUtf8());
                odds += 0.7;
            }
        }
        return true;
    }();
    if (!written)
        qFatal("cannot write the odds files");
    return dir.path() + QLatin1Char('/');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QStringList args;
    for (const QByteArray &arg : bytes.split('\0'))
        args << (arg.startsWith('@') ? oddsFolder() + QString::fromUtf8(arg)
                                     : QString::fromUtf8(arg));

    // The option forms are read as the program reads them: "--bet=win" is "--bet win".
    if (const CommandHelp *command = args.isEmpty() ? nullptr : findCliCommand(args.first())) {
        QStringList withValue;
        QStringList flags;
        for (const OptionHelp &o : command->options)
            (o.takesValue() ? withValue : flags) << o.name();
        if (!splitOptionValues(args, withValue, flags).isEmpty())
            return 0;
    }
    if (!args.isEmpty() && isAnalysisCommand(args.first())) {
        const CommandOutcome r = runAnalysisCommand(args, preparedDocument);
        FUZZ_CHECK(r.kind == CommandOutcome::Done || !r.reason.isEmpty());
        return 0;
    }
    Arguments a;
    parse(args, &a);
    return 0;
}
