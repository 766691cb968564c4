#include "core/season/seasonverdict.h"

#include <cmath>

namespace {

constexpr double Significance = 0.05;
constexpr int FewRaces = 50;

QString evidence(const LikelihoodRatio &lr)
{
    return QStringLiteral("（尤度比 %1, 自由度 %2, p %3）")
        .arg(lr.statistic, 0, 'f', 1)
        .arg(lr.df)
        .arg(lr.p < 0.0001 ? QStringLiteral("< 0.0001") : QStringLiteral("= ") + pValueText(lr.p));
}

QString testVerdict(const LikelihoodRatio &lr)
{
    const bool better = lr.p < Significance;
    const QString pair = lr.small + QLatin1Char(' ') + lr.large;
    if (pair == QLatin1String("market combined"))
        return better ? QStringLiteral("自分の列は市場にない情報を持っています") + evidence(lr)
                      : QStringLiteral(
                            "自分の列を加えても市場だけのモデルより良くなりません（p = %1）")
                            .arg(pValueText(lr.p));
    if (pair == QLatin1String("own combined"))
        return better ? QStringLiteral("市場の列は自分の列にない情報を持っています") + evidence(lr)
                      : QStringLiteral(
                            "市場の列を加えても自分の列だけのモデルより良くなりません（p = %1）")
                            .arg(pValueText(lr.p));
    if (pair == QLatin1String("market columns"))
        return better ? QStringLiteral(
                            "自分の列を列ごとに重み付けると市場だけのモデルより良くなります") +
                            evidence(lr)
                      : QStringLiteral("自分の列を列ごとに重み付けても市場だけのモデルより良くなり"
                                       "ません（p = %1）")
                            .arg(pValueText(lr.p));
    return better ? QStringLiteral("2着・3着を割り引くと Harville より良くなります") + evidence(lr)
                  : QStringLiteral("2着・3着を割り引いても Harville より良くなりません（p = %1）")
                        .arg(pValueText(lr.p));
}

} // namespace

QString comparedModelTitle(const QString &name)
{
    if (name == QLatin1String("support"))
        return QStringLiteral("Harville (β)");
    if (name == QLatin1String("discount"))
        return QStringLiteral("割引 (β, λ, ρ)");
    if (name == QLatin1String("market"))
        return QStringLiteral("市場 (γ)");
    if (name == QLatin1String("own"))
        return QStringLiteral("自分の列 (α)");
    if (name == QLatin1String("combined"))
        return QStringLiteral("結合 (α, γ)");
    return QStringLiteral("列ごと (各列, γ)");
}

QString pValueText(double p)
{
    if (p < 0.0001)
        return QStringLiteral("< 0.0001");
    return QString::number(p, 'f', p < 0.01 ? 4 : 2);
}

QStringList comparisonVerdicts(const SeasonComparison &c)
{
    QStringList out;
    if (!c.ok())
        return out;
    if (const ComparedModel *best = c.best())
        out << QStringLiteral("AIC で最も良いのは %1 です。").arg(comparedModelTitle(best->name));
    for (const LikelihoodRatio &lr : c.tests)
        out << testVerdict(lr);
    if (c.holdout) {
        QStringList worse;
        for (const ComparedModel &m : c.models)
            if (m.fit.ok() && m.fit.holdoutAfter < m.fit.holdoutBefore)
                worse << comparedModelTitle(m.name);
        if (!worse.isEmpty())
            out << QStringLiteral("検証用のレースでは当てはめ前より悪くなりました：当てはめは過学習"
                                  "の可能性があります（%1）")
                       .arg(worse.join(QStringLiteral("、")));
    }
    if (c.races < FewRaces)
        out << QStringLiteral(
                   "注意：当てはめに使ったレースが %1 しかありません。推定は不確かです。")
                   .arg(c.races);
    for (const ComparedModel &m : c.models) {
        if (!m.fit.ok()) {
            out << QStringLiteral("%1：%2").arg(comparedModelTitle(m.name), m.fit.problemText());
            continue;
        }
        QStringList loose;
        for (const FitValue &v : m.fit.values)
            if (v.error > std::fabs(v.value))
                loose << v.name();
        if (!loose.isEmpty())
            out << QStringLiteral(
                       "注意：%1 の %2 は標準誤差が値より大きく、ほとんど決まっていません。")
                       .arg(comparedModelTitle(m.name), loose.join(QStringLiteral("、")));
    }
    return out;
}
