#include "ui/backtest/backtestconditions.h"

#include <QDir>

namespace {

// Four decimals as the boxes show them, and the full value where it has more.
QString value(double v)
{
    const QString shown = QString::number(v, 'f', 4);
    const QString full = QString::number(v, 'g', 17);
    return shown.toDouble() == v ? shown : shown + QStringLiteral(" (") + full + u')';
}

} // namespace

QString backtestConditionsText(const BacktestSettings &s, const QString &folder)
{
    QStringList parts;
    parts << betTypeLabel(s.bet)
          << QStringLiteral("払戻率 %1%").arg(s.parameters.ratio(s.bet) * 100, 0, 'f', 1);
    parts << (s.rule.select == BacktestRule::Select::Ratio ? QStringLiteral("実÷推定 ≧ %1")
                                                           : QStringLiteral("期待値 ≧ %1"))
                 .arg(s.rule.threshold, 0, 'f', 3);
    parts << (s.rule.kelly ? QStringLiteral("ケリー %1、資金 %2円")
                                 .arg(s.rule.kellyFraction, 0, 'f', 2)
                                 .arg(s.rule.bankroll)
                           : QStringLiteral("定額 %1円").arg(s.rule.flatStake));
    const AnalysisParameters &p = s.parameters;
    QString model = p.model == OrderModel::Discount ? QStringLiteral("割引")
                    : p.model == OrderModel::Normal ? QStringLiteral("正規")
                                                    : QStringLiteral("Harville");
    if (p.model == OrderModel::Discount)
        model += QStringLiteral(" λ %1 ρ %2").arg(value(p.lambda), value(p.rho));
    model += p.combine ? QStringLiteral(" 結合 α %1 γ %2").arg(value(p.alpha), value(p.gamma))
                       : QStringLiteral(" β %1").arg(value(p.beta));
    parts << model;
    if (s.at)
        parts << QStringLiteral("%1 のオッズ").arg(s.at->toString(QStringLiteral("HH:mm")));
    parts << QDir::toNativeSeparators(folder);
    return parts.join(QStringLiteral("、"));
}
