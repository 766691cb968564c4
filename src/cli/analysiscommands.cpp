#include "cli/analysiscommands.h"

#include "cli/arguments.h"

#include "core/document/oddsdocument.h"
#include "core/market/actualodds.h"
#include "core/market/stakes.h"
#include "core/racemodel/combinations.h"
#include "core/text/fixedtext.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace {

CommandOutcome usageMistake(const QString &why)
{
    return {CommandOutcome::Usage, {}, {}, why};
}

CommandOutcome badFile(const QString &file, const QString &why)
{
    return {CommandOutcome::BadInput, {}, file, why};
}

// printf's rounding of the exact binary value, as the output format promises.
QString printf(const char *format, double value)
{
    const int size = std::snprintf(nullptr, 0, format, value);
    std::vector<char> buffer(size_t(std::max(size, 0)) + 1);
    std::snprintf(buffer.data(), buffer.size(), format, value);
    return QString::fromLatin1(buffer.data());
}

struct Options
{
    QString command;
    QString in;
    std::optional<BetType> bet;
    AnalysisParameters parameters;
    bool lambdaGiven = false;
    bool rhoGiven = false;
    std::optional<double> ratio;
    std::optional<QString> oddsFile;
    std::optional<int> top;
    std::optional<QStringList> picks;
    std::optional<qint64> budget;
    std::optional<double> kelly;
    std::optional<qint64> bankroll;
};

// Whole yen from 1 to 10^12.
std::optional<qint64> yen(const QString &text)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v < 1 || v > 1000000000000LL)
        return std::nullopt;
    return v;
}

// Empty text = the arguments are fine.
QString parse(const QStringList &args, Options *o)
{
    o->command = args.first();
    const bool stakes = o->command == QLatin1String("stakes");
    QStringList positional;
    std::set<QString> seen;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (takePaths(args, i, &positional))
            continue;
        const QString &arg = args.at(i);
        static const QStringList common = {"--bet",   "--model", "--lambda",  "--rho",   "--beta",
                                           "--ratio", "--odds",  "--combine", "--alpha", "--gamma"};
        static const QStringList forExotics = {"--top"};
        static const QStringList forStakes = {"--pick", "--budget", "--kelly", "--bankroll"};
        if (!common.contains(arg) && !(stakes ? forStakes : forExotics).contains(arg))
            return QStringLiteral("unknown option '") + quotedText(arg) + QStringLiteral("' for ") +
                   o->command;
        if (!seen.insert(arg).second)
            return arg + QStringLiteral(" given twice");
        if (arg == QLatin1String("--combine")) {
            o->parameters.combine = true;
            continue;
        }
        if (++i >= args.size())
            return arg + QStringLiteral(" needs a value");
        const QString &value = args.at(i);
        const QString badNumber =
            QStringLiteral("bad number '") + quotedText(value) + QStringLiteral("' for ") + arg;
        if (arg == QLatin1String("--bet")) {
            o->bet = betTypeFromUserText(value);
            if (!o->bet)
                return QStringLiteral("unknown bet type '") + quotedText(value) + QLatin1Char('\'');
        } else if (arg == QLatin1String("--model")) {
            const std::optional<OrderModel> model = orderModelFromName(value);
            if (!model)
                return QStringLiteral("unknown model '") + quotedText(value) + QLatin1Char('\'');
            o->parameters.model = *model;
        } else if (arg == QLatin1String("--lambda") || arg == QLatin1String("--rho")) {
            const std::optional<double> v = finiteNumber(value);
            if (!v || !(*v > 0 && *v <= MaxLambda))
                return badNumber + QStringLiteral(" (above 0, at most 3)");
            const bool lambda = arg == QLatin1String("--lambda");
            (lambda ? o->parameters.lambda : o->parameters.rho) = *v;
            (lambda ? o->lambdaGiven : o->rhoGiven) = true;
        } else if (arg == QLatin1String("--beta")) {
            const std::optional<double> v = finiteNumber(value);
            if (!v || !(*v > 0 && *v <= MaxBeta))
                return badNumber + QStringLiteral(" (above 0, at most 5)");
            o->parameters.beta = *v;
        } else if (arg == QLatin1String("--alpha") || arg == QLatin1String("--gamma")) {
            const std::optional<double> v = finiteNumber(value);
            if (!v || !(*v >= -MaxCombine && *v <= MaxCombine))
                return badNumber + QStringLiteral(" (-5 to 5)");
            (arg == QLatin1String("--alpha") ? o->parameters.alpha : o->parameters.gamma) = *v;
        } else if (arg == QLatin1String("--ratio")) {
            const std::optional<double> v = finiteNumber(value);
            if (!v || *v <= 0 || *v > 100)
                return badNumber;
            o->ratio = *v / 100;
        } else if (arg == QLatin1String("--odds")) {
            if (value.isEmpty())
                return QStringLiteral("--odds needs a file name");
            o->oddsFile = value;
        } else if (arg == QLatin1String("--top")) {
            bool ok = false;
            const int v = value.toInt(&ok);
            if (!ok || v < 1)
                return badNumber;
            o->top = v;
        } else if (arg == QLatin1String("--pick")) {
            o->picks = value.split(QLatin1Char(','));
        } else if (arg == QLatin1String("--budget") || arg == QLatin1String("--bankroll")) {
            const std::optional<qint64> v = yen(value);
            if (!v)
                return badNumber;
            (arg == QLatin1String("--budget") ? o->budget : o->bankroll) = *v;
        } else if (arg == QLatin1String("--kelly")) {
            o->kelly = fraction(value);
            if (!o->kelly || !(*o->kelly > 0 && *o->kelly <= 1))
                return badNumber;
        }
    }
    if (positional.size() != 1)
        return o->command + QStringLiteral(" takes exactly one input file");
    o->in = positional.first();
    if (o->in == QLatin1String("-") && o->oddsFile == QLatin1String("-"))
        return QStringLiteral("standard input can be read once: IN and --odds are both '-'");
    if (!o->bet)
        return o->command + QStringLiteral(" needs --bet");
    if ((o->lambdaGiven || o->rhoGiven) && o->parameters.model != OrderModel::Discount)
        return (o->lambdaGiven ? QStringLiteral("--lambda") : QStringLiteral("--rho")) +
               QStringLiteral(" applies to the discount model only");
    for (const char *option : {"--alpha", "--gamma"})
        if (seen.count(QLatin1String(option)) && !o->parameters.combine)
            return QLatin1String(option) + QStringLiteral(" goes with --combine");
    if (o->parameters.combine &&
        (!seen.count(QStringLiteral("--alpha")) || !seen.count(QStringLiteral("--gamma"))))
        return QStringLiteral("--combine needs --alpha and --gamma");
    if (o->parameters.combine && seen.count(QStringLiteral("--beta")))
        return QStringLiteral("--beta does not apply with --combine (alpha and gamma take its "
                              "place)");
    if (o->ratio)
        o->parameters.setRatio(*o->bet, *o->ratio);
    if (!stakes)
        return QString();
    if (o->picks.has_value() == o->kelly.has_value())
        return QStringLiteral("stakes needs either --pick or --kelly");
    if (o->picks && !o->budget)
        return QStringLiteral("--pick needs --budget");
    if (o->kelly && !o->bankroll)
        return QStringLiteral("--kelly needs --bankroll");
    if (o->kelly && !o->oddsFile)
        return QStringLiteral("--kelly needs --odds");
    if (o->budget && !o->picks)
        return QStringLiteral("--budget goes with --pick");
    if (o->bankroll && !o->kelly)
        return QStringLiteral("--bankroll goes with --kelly");
    if (o->kelly && !hasSingleWinner(*o->bet))
        return QStringLiteral("--kelly needs a bet type with one winning ticket; several ") +
               betTypeName(*o->bet) + QStringLiteral(" tickets win together");
    return QString();
}

QString line(const QStringList &fields)
{
    return fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
}

Q_ALWAYS_INLINE char *writeNumber(char *p, int n)
{
    if (n < 0)
        *p++ = '-';
    return writeDecimal(p, quint64(std::abs(qint64(n))));
}

// Writes the lines of exotics to put in pieces of about 64 KB, as the sorted tickets come: tens
// of thousands of lines, never held whole. Numbers are written in place, the ticket text being
// ASCII. False when put refused a piece.
bool exotics(const Options &o, const RaceModel &race, const ActualOdds &actual,
             const OutputSink &put)
{
    const BetType bet = *o.bet;
    constexpr qsizetype PieceSize = 64 * 1024;
    // Before each line the buffer has room for the longest one.
    constexpr qsizetype LineRoom = 4 * FixedTextRoom + 3 * 21 + 8;
    const std::unique_ptr<char[]> buffer(new char[PieceSize + LineRoom]);
    char *p = buffer.get();
    const char separator = isOrdered(bet) ? '>' : '-';
    const int ticketLength = ticketSize(bet);
    size_t left = o.top ? size_t(*o.top) : std::numeric_limits<size_t>::max();
    bool written = true;
    const auto flush = [&] {
        written = put(QByteArrayView(buffer.get(), p - buffer.get()));
        p = buffer.get();
        return written;
    };
    visitCombinations(
        bet, race.order, race.field, o.parameters.ratio(bet),
        [&](std::span<const Combination> batch) {
            for (const Combination &c : batch) {
                if (left == 0)
                    return false;
                --left;
                p = writeNumber(p, c.runners[0]);
                for (int k = 1; k < ticketLength; ++k) {
                    *p++ = separator;
                    p = writeNumber(p, c.runners[size_t(k)]);
                }
                *p++ = '\t';
                p = writeFixed(p, c.probability, 9);
                *p++ = '\t';
                p = writeFixed(p, c.estimatedOdds, 1);
                if (!actual.empty()) {
                    if (const auto it = actual.find(c.runners); it != actual.end()) {
                        const double odds = it->second.odds;
                        *p++ = '\t';
                        p = writeFixed(p, odds, 1);
                        *p++ = '\t';
                        p = writeFixed(
                            p, valueOf(c.probability, odds, c.estimatedOdds).expectedValue, 3);
                    }
                }
                *p++ = '\n';
                if (p - buffer.get() >= PieceSize && !flush())
                    return false;
            }
            return left > 0;
        });
    return written && (p == buffer.get() || flush());
}

CommandOutcome dutchingCommand(const Options &o, const RaceModel &race,
                               const std::vector<Ticket> &picks, const ActualOdds &actual)
{
    const BetType bet = *o.bet;
    std::vector<double> odds;
    std::vector<QString> names;
    for (const Ticket &t : picks) {
        names.push_back(ticketText(bet, t));
        if (const auto it = actual.find(t); it != actual.end()) {
            odds.push_back(it->second.odds);
            continue;
        }
        const double p = ticketProbability(bet, race.order, race.field, t);
        if (!(p > 0))
            return badFile(o.in,
                           ticketText(bet, t) +
                               QStringLiteral(" has no estimated odds: its probability is 0"));
        odds.push_back(estimatedOdds(o.parameters.ratio(bet), p));
    }
    const Result<Dutching> d = dutch(odds, *o.budget, names);
    if (!d.ok())
        return badFile(o.in, d.error);
    QString out;
    for (size_t i = 0; i < picks.size(); ++i) {
        const DutchingLine &l = d.value.lines[i];
        out += line({ticketText(bet, picks[i]), printf("%.1f", l.odds), QString::number(l.stake),
                     QString::number(l.payout)});
    }
    out += line({QStringLiteral("合成オッズ"), printf("%.2f", d.value.combinedOdds)});
    out += line({QStringLiteral("合計"), QString::number(d.value.total)});
    out += line({QStringLiteral("払戻"), QString::number(d.value.minPayout),
                 QString::number(d.value.maxPayout)});
    if (d.value.loss)
        out += line({QStringLiteral("トリガミ")});
    return {CommandOutcome::Done, out.toUtf8(), {}, {}};
}

CommandOutcome kellyCommand(const Options &o, const RaceModel &race, const ActualOdds &actual)
{
    const BetType bet = *o.bet;
    std::vector<KellyCandidate> candidates;
    for (const auto &[ticket, odds] : actual)
        candidates.push_back(
            {ticket, ticketProbability(bet, race.order, race.field, ticket), odds.odds});
    const Result<KellyStakes> k = kelly(std::move(candidates), *o.bankroll, *o.kelly);
    if (!k.ok())
        return badFile(*o.oddsFile, k.error);
    QString out;
    for (const KellyStake &s : k.value.stakes)
        out += line({ticketText(bet, s.ticket), printf("%.9f", s.probability),
                     printf("%.1f", s.odds), printf("%.6f", s.fraction), QString::number(s.stake)});
    out += line({QStringLiteral("留保"), printf("%.4f", k.value.reserve)});
    return {CommandOutcome::Done, out.toUtf8(), {}, {}};
}

} // namespace

bool isAnalysisCommand(const QString &command)
{
    return command == QLatin1String("exotics") || command == QLatin1String("stakes");
}

CommandOutcome runAnalysisCommand(const QStringList &args, DocumentLoader load,
                                  const OutputSink &sink)
{
    Options o;
    const QString problem = parse(args, &o);
    if (!problem.isEmpty())
        return usageMistake(problem);
    const BetType bet = *o.bet;

    OddsDocument doc;
    const FileResult loaded = load(doc, o.in);
    if (!loaded.ok)
        return badFile(o.in, loaded.message);
    doc.recalculate();

    const int highest = bet == BetType::BracketQuinella ? 8 : doc.runnerCount;
    std::vector<Ticket> picks;
    if (o.picks) {
        for (const QString &text : *o.picks) {
            const Result<Ticket> t = parseTicket(bet, text, highest);
            if (!t.ok())
                return usageMistake(t.error);
            if (std::find(picks.begin(), picks.end(), t.value) != picks.end())
                return usageMistake(ticketText(bet, t.value) + QStringLiteral(" picked twice"));
            picks.push_back(t.value);
        }
    }

    const Result<RaceModel> race = analyseRace(doc, o.parameters);
    if (!race.ok())
        return badFile(o.in, race.error);
    const Result<bool> offered = availability(bet, race.value.field);
    if (!offered.ok())
        return badFile(o.in, offered.error);

    ActualOdds actual;
    if (o.oddsFile) {
        Result<OddsLines> read = readActualOdds(*o.oddsFile, bet, highest);
        if (!read.ok())
            return badFile(*o.oddsFile, read.error);
        actual = std::move(read.value.odds);
    }

    if (o.command == QLatin1String("exotics")) {
        // A sink that refuses a piece knows why; exotics only stops.
        CommandOutcome done;
        const OutputSink keep = [&done](QByteArrayView piece) {
            done.output.append(piece);
            return true;
        };
        exotics(o, race.value, actual, sink ? sink : keep);
        return done;
    }
    if (o.kelly)
        return kellyCommand(o, race.value, actual);
    return dutchingCommand(o, race.value, picks, actual);
}
