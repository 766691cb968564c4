#include "cli/comparecommands.h"

#include "cli/seasonoutput.h"

QByteArray comparisonText(const SeasonComparison &c, const QByteArray &head)
{
    QByteArray out;
    if (c.robust)
        out += "se\trobust\n";
    out += head;
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
            out += "param\t" + m.name.toLatin1() + '\t' + lineField(v.name()) + '\t';
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
