#include "cli/backtestcommands.h"

#include "cli/arguments.h"

#include "core/backtest/backtestrun.h"
#include "core/market/oddssnapshots.h"
#include "core/season/season.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <set>

namespace {

CommandOutcome usageMistake(const QString &why)
{
    return {CommandOutcome::Usage, {}, {}, why};
}

struct Options
{
    QStringList paths;
    std::optional<BetType> bet;
    BacktestSettings settings;
    bool lambdaGiven = false;
    bool rhoGiven = false;
    std::optional<double> ratio;
    bool alphaGiven = false;
    bool gammaGiven = false;
    std::optional<double> minRatio;
    std::optional<double> minEv;
    std::optional<qint64> flat;
    std::optional<double> kelly;
    std::optional<qint64> bankroll;
};

// Empty text = the arguments are fine.
QString parse(const QStringList &args, Options *o)
{
    static const QStringList withValue = {
        "--bet",   "--model",     "--lambda", "--rho",  "--beta",  "--ratio",    "--alpha",
        "--gamma", "--min-ratio", "--min-ev", "--flat", "--kelly", "--bankroll", "--at"};
    std::set<QString> seen;
    BacktestSettings &s = o->settings;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (takePaths(args, i, &o->paths))
            continue;
        const QString &arg = args.at(i);
        if (!seen.insert(arg).second)
            return QStringLiteral("%1 given twice").arg(arg);
        if (arg == QLatin1String("--combine")) {
            s.parameters.combine = true;
            continue;
        }
        if (!withValue.contains(arg))
            return QStringLiteral("unknown option '%1' for backtest").arg(quotedText(arg));
        if (++i >= args.size())
            return QStringLiteral("%1 needs a value").arg(arg);
        const QString &value = args.at(i);
        const QString badNumber =
            QStringLiteral("bad number '%1' for %2").arg(quotedText(value), arg);
        // --kelly also as a fraction "1/2", as stakes takes it.
        const std::optional<double> v =
            arg == QLatin1String("--kelly") ? fraction(value) : finiteNumber(value);
        if (arg == QLatin1String("--bet")) {
            o->bet = betTypeFromUserText(value);
            if (!o->bet)
                return QStringLiteral("unknown bet type '%1'").arg(quotedText(value));
        } else if (arg == QLatin1String("--model")) {
            const std::optional<OrderModel> model = orderModelFromName(value);
            if (!model)
                return QStringLiteral("unknown model '%1'").arg(quotedText(value));
            s.parameters.model = *model;
        } else if (arg == QLatin1String("--at")) {
            s.at = parseTimeOfDay(value);
            if (!s.at)
                return QStringLiteral("bad time '%1' for --at (HH:MM)").arg(quotedText(value));
        } else if (!v) {
            return badNumber;
        } else if (arg == QLatin1String("--lambda") || arg == QLatin1String("--rho")) {
            // The analysis's own ranges: lambda and rho in (0, 3], beta in (0, 5].
            if (!(*v > 0 && *v <= 3))
                return badNumber;
            const bool lambda = arg == QLatin1String("--lambda");
            (lambda ? s.parameters.lambda : s.parameters.rho) = *v;
            (lambda ? o->lambdaGiven : o->rhoGiven) = true;
        } else if (arg == QLatin1String("--beta")) {
            if (!(*v > 0 && *v <= 5))
                return badNumber;
            s.parameters.beta = *v;
        } else if (arg == QLatin1String("--ratio")) {
            if (*v <= 0 || *v > 100)
                return badNumber;
            o->ratio = *v / 100;
        } else if (arg == QLatin1String("--alpha") || arg == QLatin1String("--gamma")) {
            if (*v < -5 || *v > 5)
                return badNumber;
            const bool alpha = arg == QLatin1String("--alpha");
            (alpha ? s.parameters.alpha : s.parameters.gamma) = *v;
            (alpha ? o->alphaGiven : o->gammaGiven) = true;
        } else if (arg == QLatin1String("--min-ratio") || arg == QLatin1String("--min-ev")) {
            if (*v < 0)
                return badNumber;
            (arg == QLatin1String("--min-ratio") ? o->minRatio : o->minEv) = *v;
        } else if (arg == QLatin1String("--flat") || arg == QLatin1String("--bankroll")) {
            bool ok = false;
            const qint64 yen = value.toLongLong(&ok);
            if (!ok || yen < 1 || yen > 1000000000000LL)
                return badNumber;
            if (arg == QLatin1String("--flat") && yen % 100 != 0)
                return QStringLiteral("--flat takes a multiple of 100 yen, not %1")
                    .arg(quotedText(value));
            (arg == QLatin1String("--flat") ? o->flat : o->bankroll) = yen;
        } else if (arg == QLatin1String("--kelly")) {
            if (!(*v > 0 && *v <= 1))
                return badNumber;
            o->kelly = *v;
        }
    }
    if (o->paths.isEmpty())
        return QStringLiteral("backtest needs at least one document or folder");
    if (!o->bet)
        return QStringLiteral("backtest needs --bet");
    if ((o->lambdaGiven || o->rhoGiven) && s.parameters.model != OrderModel::Discount)
        return QStringLiteral("%1 applies to the discount model only")
            .arg(o->lambdaGiven ? QStringLiteral("--lambda") : QStringLiteral("--rho"));
    if ((o->alphaGiven || o->gammaGiven) && !s.parameters.combine)
        return QStringLiteral("%1 goes with --combine")
            .arg(o->alphaGiven ? QStringLiteral("--alpha") : QStringLiteral("--gamma"));
    if (s.parameters.combine && !(o->alphaGiven && o->gammaGiven))
        return QStringLiteral("--combine needs --alpha and --gamma");
    if (s.parameters.combine && seen.count(QStringLiteral("--beta")))
        return QStringLiteral("--beta does not apply with --combine (alpha and gamma take its "
                              "place)");
    if (o->minRatio && o->minEv)
        return QStringLiteral("give either --min-ratio or --min-ev");
    if (o->flat && o->kelly)
        return QStringLiteral("give either --flat or --kelly");
    if (o->kelly && !o->bankroll)
        return QStringLiteral("--kelly needs --bankroll");
    if (o->bankroll && !o->kelly)
        return QStringLiteral("--bankroll goes with --kelly");
    if (o->kelly && !hasSingleWinner(*o->bet))
        return QStringLiteral("--kelly needs a bet type with one winning ticket; several %1 "
                              "tickets win together")
            .arg(betTypeName(*o->bet));
    s.bet = *o->bet;
    if (o->ratio)
        s.parameters.setRatio(s.bet, *o->ratio);
    BacktestRule &r = s.rule;
    r.select = o->minEv ? BacktestRule::Select::ExpectedValue : BacktestRule::Select::Ratio;
    r.threshold = o->minEv ? *o->minEv : o->minRatio.value_or(1.2);
    r.kelly = o->kelly.has_value();
    r.flatStake = o->flat.value_or(100);
    r.kellyFraction = o->kelly.value_or(1);
    r.bankroll = o->bankroll.value_or(0);
    return QString();
}

void appendLine(QByteArray &out, const char *name, qint64 value)
{
    out += name;
    out += '\t';
    out += QByteArray::number(value);
    out += '\n';
}

} // namespace

bool isBacktestCommand(const QString &command)
{
    return command == QLatin1String("backtest");
}

CommandOutcome runBacktestCommand(const QStringList &args,
                                  const std::function<void(const QString &)> &warn)
{
    Options o;
    const QString problem = parse(args, &o);
    if (!problem.isEmpty())
        return usageMistake(problem);
    const SeasonFiles files = seasonDocuments(o.paths);
    if (!files.missing.isEmpty())
        return {CommandOutcome::BadInput,
                {},
                escapedName(files.missing.first()),
                QString::fromLocal8Bit(std::strerror(ENOENT))};
    const BacktestReport report = runBacktest(files, o.settings);
    for (const QString &p : report.problems)
        warn(escapedName(p));
    // Every document that does not count, with why, before the races played.
    QByteArray out;
    for (const BacktestExclusion &e : report.excluded)
        out += escapedName(e.file).toUtf8() + "\t-\t" + escapedName(e.reason).toUtf8() + '\n';
    if (report.duplicates > 0)
        appendLine(out, "duplicates", report.duplicates);
    if (!report.overflow.isEmpty())
        return {CommandOutcome::BadInput, out, escapedName(report.overflow),
                QStringLiteral("the sums of yen pass 9223372036854775807; the back-test stops "
                               "here")};
    const BacktestSummary &s = report.summary;
    if (s.races == 0)
        return {CommandOutcome::BadInput,
                out,
                {},
                QStringLiteral("no race has a result and actual %1 odds")
                    .arg(betTypeName(o.settings.bet))};
    for (const BacktestLine &l : report.lines) {
        out += escapedName(l.file).toUtf8();
        out += '\t' + QByteArray::number(l.tickets) + '\t' + QByteArray::number(l.staked) + '\t' +
               QByteArray::number(l.returned) + '\t' + QByteArray::number(l.profit) + '\n';
    }
    appendLine(out, "races", s.races);
    appendLine(out, "bet", s.betRaces);
    appendLine(out, "tickets", s.tickets);
    appendLine(out, "hits", s.hits);
    appendLine(out, "staked", s.staked);
    appendLine(out, "returned", s.returned);
    char buffer[64];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, s.recovery(), std::chars_format::fixed, 6);
    out += "recovery\t" + QByteArray(buffer, int(r.ptr - buffer)) + '\n';
    appendLine(out, "profit", s.profit);
    appendLine(out, "maxdrawdown", s.maxDrawdown);
    appendLine(out, "longestlosing", s.longestLosing);
    appendLine(out, "fromodds", s.fromOdds);
    return {CommandOutcome::Done, out, {}, {}};
}
