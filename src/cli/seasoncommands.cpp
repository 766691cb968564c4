#include "cli/seasoncommands.h"

#include "cli/arguments.h"
#include "cli/comparecommands.h"
#include "cli/seasonoutput.h"

#include "core/analysis/combinations.h"
#include "core/analysis/seasonfit.h"
#include "core/document/oddsdocument.h"

#include <cmath>
#include <optional>
#include <set>

namespace {

CommandOutcome usageMistake(const QString &why)
{
    return {CommandOutcome::Usage, {}, {}, why};
}

CommandOutcome seasonFailure(const QString &why)
{
    return {CommandOutcome::BadInput, {}, {}, why};
}

struct Options
{
    QString command;
    QStringList paths;
    SeasonModel model;
    FitModel fitModel = FitModel::Harville;
    FitOptions fitOptions;
};

// Empty text = the arguments are fine.
QString parse(const QStringList &args, Options *o)
{
    o->command = args.first();
    const bool fit = o->command == QLatin1String("fit");
    std::set<QString> seen;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (takePaths(args, i, &o->paths))
            continue;
        const QString &arg = args.at(i);
        static const QStringList forSeason = {"--model",   "--lambda", "--rho",  "--beta",
                                              "--combine", "--alpha",  "--gamma"};
        static const QStringList forFit = {"--model", "--holdout", "--robust"};
        if (!(fit ? forFit : forSeason).contains(arg))
            return QStringLiteral("unknown option '%1' for %2").arg(quotedText(arg), o->command);
        if (!seen.insert(arg).second)
            return QStringLiteral("%1 given twice").arg(arg);
        if (arg == QLatin1String("--combine") || arg == QLatin1String("--robust")) {
            (arg == QLatin1String("--robust") ? o->fitOptions.robust : o->model.combine) = true;
            continue;
        }
        if (++i >= args.size())
            return QStringLiteral("%1 needs a value").arg(arg);
        const QString &value = args.at(i);
        const QString bad = QStringLiteral("bad number '%1' for %2").arg(quotedText(value), arg);
        if (arg == QLatin1String("--model")) {
            const std::optional<OrderModel> order = orderModelFromName(value);
            const std::optional<FitModel> fitted = fitModelFromName(value);
            const bool fittable =
                fitted && (*fitted == FitModel::Harville || *fitted == FitModel::Discount ||
                           *fitted == FitModel::Combined || *fitted == FitModel::Columns);
            if (fit ? !fittable : !order)
                return QStringLiteral("unknown model '%1'").arg(quotedText(value));
            if (fit)
                o->fitModel = *fitted;
            else
                o->model.order = *order;
            continue;
        }
        // The analysis's own ranges for lambda, rho and beta; NaN for text that is no number.
        const double v = finiteNumber(value).value_or(std::nan(""));
        const bool exponent = arg == QLatin1String("--lambda") || arg == QLatin1String("--rho");
        bool fine = v >= -5 && v <= 5;
        if (exponent || arg == QLatin1String("--beta"))
            fine = fine && v > 0 && v <= (exponent ? MaxLambda : MaxBeta);
        if (arg == QLatin1String("--holdout"))
            fine = fine && v > 0 && v < 1;
        if (!fine)
            return bad;
        if (arg == QLatin1String("--lambda"))
            o->model.lambda = v;
        else if (arg == QLatin1String("--rho"))
            o->model.rho = v;
        else if (arg == QLatin1String("--beta"))
            o->model.beta = v;
        else if (arg == QLatin1String("--alpha"))
            o->model.alpha = v;
        else if (arg == QLatin1String("--gamma"))
            o->model.gamma = v;
        else
            o->fitOptions.holdout = v;
    }
    if (o->paths.isEmpty())
        return QStringLiteral("%1 needs a document or a folder").arg(o->command);
    for (const char *option : {"--lambda", "--rho"})
        if (seen.count(QLatin1String(option)) && o->model.order != OrderModel::Discount)
            return QStringLiteral("%1 applies to the discount model only").arg(option);
    for (const char *option : {"--alpha", "--gamma"})
        if (seen.count(QLatin1String(option)) && !o->model.combine)
            return QStringLiteral("%1 goes with --combine").arg(option);
    if (o->model.combine &&
        (!seen.count(QStringLiteral("--alpha")) || !seen.count(QStringLiteral("--gamma"))))
        return QStringLiteral("--combine needs --alpha and --gamma");
    if (o->model.combine && seen.count(QStringLiteral("--beta")))
        return QStringLiteral("--beta does not apply with --combine (alpha and gamma take its "
                              "place)");
    return QString();
}

CommandOutcome season(const Options &o)
{
    SeasonEvaluator evaluator(o.model);
    OddsDocument scratch;
    QByteArray out;
    for (const QString &file : seasonFiles(o.paths)) {
        const SeasonRace race = readSeasonRace(file, &scratch, o.model.combine);
        const RaceEvaluation e = evaluator.add(race);
        out += lineField(file) + '\t' + QByteArray::number(race.runnerCount) + '\t';
        if (e.exclusion != Exclusion::None) {
            QString reason = exclusionWord(e.exclusion);
            if (e.exclusion == Exclusion::Unreadable)
                reason += QStringLiteral(": ") + race.unreadable;
            out += "-\t" + lineField(reason) + '\n';
            continue;
        }
        out += race.result.text().toLatin1() + '\t';
        appendFixed(out, e.pwin, 9);
        out += '\t' + QByteArray::number(e.winRank) + '\t';
        appendFixed(out, e.loglik, 9);
        out += '\n';
    }
    const SeasonSummary &s = evaluator.summary();
    if (s.races == 0)
        return seasonFailure(QStringLiteral("no race with a result"));
    out += "races\t" + QByteArray::number(s.races) + '\n';
    out += "excluded\t" + QByteArray::number(s.excluded) + '\n';
    out += "loglik\t";
    appendFixed(out, s.loglik, 6);
    out += "\nwinloglik\t";
    appendFixed(out, s.winLoglik, 6);
    out += "\nbrier\t";
    appendFixed(out, s.brier(), 9);
    out += "\nfavourites\t" + QByteArray::number(s.favourites) + '\n';
    for (const CalibrationBin &b : s.bins) {
        out += "calibration\t";
        appendFixed(out, b.low, 2);
        out += '\t';
        appendFixed(out, b.high, 2);
        out += '\t' + QByteArray::number(b.count) + '\t';
        appendFixed(out, b.meanP(), 6);
        out += '\t' + QByteArray::number(b.wins) + '\n';
    }
    return {CommandOutcome::Done, out, {}, {}};
}

CommandOutcome fit(const Options &o)
{
    const std::vector<SeasonRace> races = readSeasonForFit(
        o.paths, o.fitModel == FitModel::Combined || o.fitModel == FitModel::Columns);
    const SeasonFit fit = fitSeason(races, o.fitModel, o.fitOptions);
    if (!fit.ok())
        return seasonFailure(fit.problemWord());
    QByteArray out;
    if (fit.robust)
        out += "se\trobust\n";
    out += "races\t" + QByteArray::number(fit.races) + '\n';
    out += "excluded\t" + QByteArray::number(fit.excluded) + '\n';
    if (o.fitOptions.holdout > 0)
        out += "undated\t" + QByteArray::number(fit.undated) + '\n';
    if (fit.model == FitModel::Columns)
        for (const auto &[name, count] : fit.unused)
            out += "unused\t" + lineField(name) + '\t' + QByteArray::number(count) + '\n';
    for (const FitValue &v : fit.values) {
        out += (v.column ? "column\t" + lineField(v.name) : v.name.toLatin1()) + '\t';
        appendFitNumber(out, v.value);
        out += '\t';
        appendFitNumber(out, v.error);
        out += '\n';
    }
    out += "loglik\t";
    appendFixed(out, fit.before, 6);
    out += '\t';
    appendFixed(out, fit.after, 6);
    out += '\n';
    if (o.fitOptions.holdout > 0) {
        out += "holdout\t" + QByteArray::number(fit.holdoutRaces) + '\t';
        appendFixed(out, fit.holdoutBefore, 6);
        out += '\t';
        appendFixed(out, fit.holdoutAfter, 6);
        out += '\n';
    }
    return {CommandOutcome::Done, out, {}, {}};
}

} // namespace

bool isSeasonCommand(const QString &command)
{
    return command == QLatin1String("season") || command == QLatin1String("fit") ||
           command == QLatin1String("compare");
}

CommandOutcome runSeasonCommand(const QStringList &args)
{
    if (args.first() == QLatin1String("compare"))
        return runCompareCommand(args);
    Options o;
    const QString problem = parse(args, &o);
    if (!problem.isEmpty())
        return usageMistake(problem);
    return o.command == QLatin1String("season") ? season(o) : fit(o);
}
