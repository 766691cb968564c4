#include "cli/seasoncommands.h"

#include "cli/arguments.h"
#include "cli/comparecommands.h"
#include "cli/seasonoutput.h"
#include "core/season/seasoncompare.h"

#include "core/document/oddsdocument.h"
#include "core/racemodel/combinations.h"
#include "core/season/seasonfit.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>

namespace {

CommandOutcome usageMistake(const QString &why)
{
    return {CommandOutcome::Usage, {}, {}, why};
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
    const bool compare = o->command == QLatin1String("compare");
    std::set<QString> seen;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (takePaths(args, i, &o->paths))
            continue;
        const QString &arg = args.at(i);
        static const QStringList forSeason = {"--model",   "--lambda", "--rho",  "--beta",
                                              "--combine", "--alpha",  "--gamma"};
        static const QStringList forFit = {"--model", "--holdout", "--robust"};
        static const QStringList forCompare = {"--holdout", "--robust"};
        if (!(fit ? forFit : compare ? forCompare : forSeason).contains(arg))
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

// The documents of the paths; a path that does not exist fails the run.
std::optional<CommandOutcome> documents(const Options &o, SeasonFiles *files)
{
    *files = seasonDocuments(o.paths);
    if (!files->missing.isEmpty())
        return CommandOutcome{CommandOutcome::BadInput,
                              {},
                              escapedName(files->missing.first()),
                              QString::fromLocal8Bit(std::strerror(ENOENT))};
    return std::nullopt;
}

void appendDuplicates(QByteArray &out, const SeasonFiles &files)
{
    if (files.duplicates > 0)
        out += "duplicates\t" + QByteArray::number(files.duplicates) + '\n';
}

// The documents read for a fit (only their numbers kept), and the lines of those that cannot
// take part, with why, and of the duplicates.
// needOwn: the model takes own columns, and a document without them is listed too.
std::vector<SeasonRace> readForFit(const SeasonFiles &files, bool split, bool columns, bool needOwn,
                                   QByteArray *head)
{
    std::vector<SeasonRace> races;
    for (const QString &file : files.files) {
        SeasonRace race = readSeasonRace(files, file, split, columns);
        if (!race.counts()) {
            QString reason = exclusionWord(race.result.exclusion, race.result);
            if (race.result.exclusion == Exclusion::Unreadable)
                reason += QStringLiteral(": ") + race.unreadable;
            *head += lineField(file) + "\t-\t" + lineField(reason) + '\n';
        } else if (needOwn && race.own.empty()) {
            *head += lineField(file) + "\t-\t" + lineField(exclusionWord(Exclusion::NoOwnColumns)) +
                     '\n';
        }
        race.file.clear();
        race.title.clear();
        race.dateText.clear();
        race.unreadable.clear();
        races.push_back(std::move(race));
    }
    appendDuplicates(*head, files);
    return races;
}

CommandOutcome season(const Options &o)
{
    SeasonFiles files;
    if (std::optional<CommandOutcome> missing = documents(o, &files))
        return *missing;
    SeasonEvaluator evaluator(o.model);
    QByteArray out;
    for (const QString &file : files.files) {
        // The market's columns always: its favourite is counted beside the model's.
        const SeasonRace race = readSeasonRace(files, file, true);
        const RaceEvaluation e = evaluator.add(race);
        out += lineField(file) + '\t' + QByteArray::number(race.runnerCount) + '\t';
        if (e.exclusion != Exclusion::None) {
            QString reason = exclusionWord(e.exclusion, race.result);
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
    appendDuplicates(out, files);
    const SeasonSummary &s = evaluator.summary();
    if (s.races == 0)
        return {CommandOutcome::BadInput, out, {}, QStringLiteral("no race with a result")};
    out += "races\t" + QByteArray::number(s.races) + '\n';
    out += "excluded\t" + QByteArray::number(s.excluded) + '\n';
    out += "loglik\t";
    appendFixed(out, s.loglik, 6);
    out += "\nwinloglik\t";
    appendFixed(out, s.winLoglik, 6);
    out += "\nbrier\t";
    appendFixed(out, s.brier(), 9);
    out += "\nfavourites\t" + QByteArray::number(s.favourites) + '\n';
    if (s.hasMarketFavourites())
        out += "marketfavourites\t" + QByteArray::number(s.marketFavourites) + '\n';
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
    SeasonFiles files;
    if (std::optional<CommandOutcome> missing = documents(o, &files))
        return *missing;
    QByteArray head;
    const bool columns = o.fitModel == FitModel::Columns;
    const bool split = columns || o.fitModel == FitModel::Combined;
    const std::vector<SeasonRace> races = readForFit(files, split, columns, split, &head);
    const SeasonFit fit = fitSeason(races, o.fitModel, o.fitOptions);
    if (!fit.ok())
        return {CommandOutcome::BadInput, head, {}, fit.problemWord()};
    QByteArray out = fit.robust ? QByteArray("se\trobust\n") + head : head;
    out += "races\t" + QByteArray::number(fit.races) + '\n';
    out += "excluded\t" + QByteArray::number(fit.excluded) + '\n';
    if (o.fitOptions.holdout > 0)
        out += "undated\t" + QByteArray::number(fit.undated) + '\n';
    if (fit.model == FitModel::Columns)
        for (const auto &[name, count] : fit.unused)
            out += "unused\t" + lineField(name) + '\t' + QByteArray::number(count) + '\n';
    for (const FitValue &v : fit.values) {
        out += (v.column() ? "column\t" + lineField(v.name()) : v.name().toLatin1()) + '\t';
        appendFitNumber(out, v.value);
        out += '\t';
        appendFitNumber(out, v.error);
        out += '\n';
    }
    for (const FitWarning &w : fit.warnings)
        out += "warning\t" + lineField(w.name()) + '\t' + w.text.toLatin1() + '\n';
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

CommandOutcome compare(const Options &o)
{
    SeasonFiles files;
    if (std::optional<CommandOutcome> missing = documents(o, &files))
        return *missing;
    QByteArray head;
    const std::vector<SeasonRace> races = readForFit(files, true, true, false, &head);
    const SeasonComparison c = compareSeason(races, o.fitOptions);
    if (!c.ok()) {
        SeasonFit why;
        why.problem = c.problem;
        return {CommandOutcome::BadInput, head, {}, why.problemWord()};
    }
    return {CommandOutcome::Done, comparisonText(c, head), {}, {}};
}

} // namespace

bool isSeasonCommand(const QString &command)
{
    return command == QLatin1String("season") || command == QLatin1String("fit") ||
           command == QLatin1String("compare");
}

CommandOutcome runSeasonCommand(const QStringList &args)
{
    Options o;
    const QString problem = parse(args, &o);
    if (!problem.isEmpty())
        return usageMistake(problem);
    if (o.command == QLatin1String("compare"))
        return compare(o);
    return o.command == QLatin1String("season") ? season(o) : fit(o);
}
