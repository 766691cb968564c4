#include "cli/comparecommands.h"

#include "cli/arguments.h"
#include "cli/seasonoutput.h"

#include "core/analysis/seasoncompare.h"

#include <cmath>

namespace {

struct Options
{
    QStringList paths;
    FitOptions fit;
};

QString parse(const QStringList &args, Options *o)
{
    bool holdout = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (takePaths(args, i, &o->paths))
            continue;
        const QString &arg = args.at(i);
        if (arg == QLatin1String("--robust")) {
            if (o->fit.robust)
                return QStringLiteral("--robust given twice");
            o->fit.robust = true;
            continue;
        }
        if (arg != QLatin1String("--holdout"))
            return QStringLiteral("unknown option '%1' for compare").arg(quotedText(arg));
        if (holdout)
            return QStringLiteral("--holdout given twice");
        holdout = true;
        if (++i >= args.size())
            return QStringLiteral("--holdout needs a value");
        const double v = finiteNumber(args.at(i)).value_or(std::nan(""));
        if (!(v > 0 && v < 1))
            return QStringLiteral("bad number '%1' for --holdout").arg(quotedText(args.at(i)));
        o->fit.holdout = v;
    }
    if (o->paths.isEmpty())
        return QStringLiteral("compare needs a document or a folder");
    return QString();
}

QByteArray comparisonText(const SeasonComparison &c)
{
    QByteArray out;
    if (c.robust)
        out += "se\trobust\n";
    out += "races\t" + QByteArray::number(c.races) + '\n';
    out += "excluded\t" + QByteArray::number(c.excluded) + '\n';
    if (c.holdout)
        out += "undated\t" + QByteArray::number(c.undated) + '\n';
    for (const auto &[name, count] : c.unused)
        out += "unused\t" + lineField(name) + '\t' + QByteArray::number(count) + '\n';
    for (const ComparedModel &m : c.models) {
        if (!m.fit.ok()) {
            out += "failed\t" + m.name.toLatin1() + '\t' + lineField(m.fit.problemWord()) + '\n';
            continue;
        }
        out += "model\t" + m.name.toLatin1() + '\t' + QByteArray::number(m.fit.parameterCount()) +
               '\t';
        appendFixed(out, m.fit.after, 6);
        out += '\t';
        appendFixed(out, m.aic(), 6);
        out += '\t';
        appendFixed(out, m.fit.brier, 6);
        if (c.holdout) {
            out += '\t';
            appendFixed(out, m.fit.holdoutAfter, 6);
        }
        out += '\n';
    }
    for (const ComparedModel &m : c.models) {
        for (const FitValue &v : m.fit.values) {
            out += "param\t" + m.name.toLatin1() + '\t' + lineField(v.name) + '\t';
            appendFitNumber(out, v.value);
            out += '\t';
            appendFitNumber(out, v.error);
            out += '\n';
        }
    }
    for (const LikelihoodRatio &lr : c.tests) {
        out += "lr\t" + lr.small.toLatin1() + '\t' + lr.large.toLatin1() + '\t';
        appendGeneral(out, lr.statistic, 6);
        out += '\t' + QByteArray::number(lr.df) + '\t';
        appendGeneral(out, lr.p, 6);
        out += '\n';
    }
    return out;
}

} // namespace

CommandOutcome runCompareCommand(const QStringList &args)
{
    Options o;
    const QString problem = parse(args, &o);
    if (!problem.isEmpty())
        return {CommandOutcome::Usage, {}, {}, problem};
    const SeasonComparison c = compareSeason(readSeasonForFit(o.paths, true), o.fit);
    if (!c.ok()) {
        SeasonFit why;
        why.problem = c.problem;
        return {CommandOutcome::BadInput, {}, {}, why.problemWord()};
    }
    return {CommandOutcome::Done, comparisonText(c), {}, {}};
}
