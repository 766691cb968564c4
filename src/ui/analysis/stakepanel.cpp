#include "ui/analysis/stakepanel.h"

#include "core/market/stakes.h"
#include "ui/desktop/uicolor.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTextDocumentFragment>
#include <QVBoxLayout>
#include <cmath>

namespace {

QString yen(qint64 v)
{
    // The C locale leaves out group separators unless told otherwise.
    QLocale digits = QLocale::c();
    digits.setNumberOptions(QLocale::DefaultNumberOptions);
    return digits.toString(v) + QStringLiteral("円");
}

// Yen up to 10^12 as the analysis file keeps them: past an int, so held as a double, which is
// exact for every whole number of yen in the range.
QDoubleSpinBox *yenBox(QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setDecimals(0);
    box->setRange(1, 1e12);
    box->setSingleStep(100);
    box->setSuffix(QStringLiteral(" 円"));
    box->setGroupSeparatorShown(true);
    return box;
}

} // namespace

StakePanel::StakePanel(QWidget *parent) : QWidget(parent)
{
    m_budget = yenBox(this);
    m_kelly = new QCheckBox(QStringLiteral("ケリー基準で賭ける"), this);
    m_fraction = new QDoubleSpinBox(this);
    m_fraction->setRange(0.05, 1);
    m_fraction->setSingleStep(0.05);
    m_fraction->setDecimals(2);
    m_bankroll = yenBox(this);

    m_budget->setAccessibleName(QStringLiteral("予算"));
    m_fraction->setAccessibleName(QStringLiteral("ケリー比率"));
    m_bankroll->setAccessibleName(QStringLiteral("資金"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("予算"), m_budget);
    form->addRow(m_kelly);
    form->addRow(QStringLiteral("ケリー比率"), m_fraction);
    form->addRow(QStringLiteral("資金"), m_bankroll);

    m_lines = new QTableWidget(0, 4, this);
    m_lines->setTabKeyNavigation(false);
    m_lines->setHorizontalHeaderLabels({QStringLiteral("買い目"), QStringLiteral("オッズ"),
                                        QStringLiteral("賭け金"), QStringLiteral("払戻")});
    m_lines->verticalHeader()->hide();
    m_lines->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lines->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_summary = new QLabel(this);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_summary->setTextFormat(Qt::RichText);
    m_summary->setWordWrap(true);
    m_warning = new QLabel(this);
    m_warning->setStyleSheet(QStringLiteral("color: white; background: #c00000; padding: 3px;"
                                            "font-weight: bold;"));
    m_warning->setWordWrap(true);
    m_warning->hide();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(m_lines, 1);
    layout->addWidget(m_summary);
    layout->addWidget(m_warning);

    connect(m_budget, &QDoubleSpinBox::valueChanged, this, &StakePanel::emitSettings);
    connect(m_kelly, &QCheckBox::toggled, this, &StakePanel::emitSettings);
    connect(m_fraction, &QDoubleSpinBox::valueChanged, this, &StakePanel::emitSettings);
    connect(m_bankroll, &QDoubleSpinBox::valueChanged, this, &StakePanel::emitSettings);
}

void StakePanel::emitSettings()
{
    Q_EMIT settingsEdited(std::llround(m_budget->value()), m_kelly->isChecked(),
                          m_fraction->value(), std::llround(m_bankroll->value()));
}

bool StakePanel::lossShown() const
{
    return m_warning->isVisibleTo(this);
}

QString StakePanel::combinedOddsText() const
{
    return QTextDocumentFragment::fromHtml(m_summary->text()).toPlainText();
}

void StakePanel::showStakes(const AnalysisTable &table, const std::vector<int> &picked,
                            const AnalysisInputs &inputs)
{
    {
        const QSignalBlocker b1(m_budget), b2(m_kelly), b3(m_fraction), b4(m_bankroll);
        m_budget->setValue(double(inputs.budget));
        m_fraction->setValue(inputs.kellyFraction);
        m_bankroll->setValue(double(inputs.bankroll));
        const bool anyActual = std::any_of(table.rows.begin(), table.rows.end(),
                                           [](const AnalysisRow &r) { return r.actualOdds > 0; });
        // Kelly needs the market's odds and exactly one winning ticket.
        const bool kellyPossible = anyActual && hasSingleWinner(table.type);
        m_kelly->setEnabled(kellyPossible);
        m_kelly->setToolTip(
            !hasSingleWinner(table.type)
                ? QStringLiteral(
                      "%1は1レースで複数の買い目が的中するため、ケリー基準では賭けられません")
                      .arg(betTypeLabel(table.type))
            : !anyActual ? QStringLiteral("実オッズを入力するとケリー基準で賭けられます")
                         : QString());
        m_kelly->setChecked(inputs.kelly && kellyPossible);
        m_fraction->setEnabled(m_kelly->isChecked());
        m_bankroll->setEnabled(m_kelly->isChecked());
        m_budget->setEnabled(!m_kelly->isChecked());
    }
    m_lines->setRowCount(0);
    m_lines->setHorizontalHeaderItem(3, new QTableWidgetItem(m_kelly->isChecked()
                                                                 ? QStringLiteral("資金比")
                                                                 : QStringLiteral("払戻")));
    m_warning->hide();
    m_summary->clear();
    m_overBudget = false;
    if (m_kelly->isChecked())
        showKelly(table, inputs);
    else
        showDutching(table, picked, inputs.budget);
}

void StakePanel::addLine(const QString &ticket, double odds, qint64 stake, const QString &last)
{
    const int r = m_lines->rowCount();
    m_lines->insertRow(r);
    const QStringList texts = {ticket, QString::number(odds, 'f', 1), yen(stake), last};
    for (int c = 0; c < 4; ++c) {
        auto *item = new QTableWidgetItem(texts[c]);
        if (c > 0)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_lines->setItem(r, c, item);
    }
}

void StakePanel::showDutching(const AnalysisTable &table, const std::vector<int> &picked,
                              qint64 budget)
{
    if (picked.empty()) {
        m_summary->setText(QStringLiteral("表の「買う」に印を付けると賭け金を配分します。"));
        return;
    }
    std::vector<double> odds;
    std::vector<QString> names;
    for (const int i : picked) {
        const AnalysisRow &row = table.rows[size_t(i)];
        odds.push_back(row.actualOdds > 0 ? row.actualOdds : row.estimatedOdds);
        names.push_back(ticketText(table.type, row.ticket));
    }
    const Result<Dutching> d = dutch(odds, budget, names);
    if (!d.ok()) {
        m_summary->setText(japaneseText(d.problem).toHtmlEscaped());
        return;
    }
    for (size_t k = 0; k < picked.size(); ++k) {
        const DutchingLine &l = d.value.lines[k];
        addLine(ticketText(table.type, table.rows[size_t(picked[k])].ticket), l.odds, l.stake,
                yen(l.payout));
    }
    // The 100-yen minimum can take the total past the budget: said in red beside it.
    m_overBudget = d.value.total > budget;
    const QString over = m_overBudget ? QStringLiteral(" <b style=\"color: %1;\">予算超過</b>")
                                            .arg(meaningColors(palette()).error.name())
                                      : QString();
    m_summary->setText(QStringLiteral("合成オッズ %1　合計 %2%3　払戻 %4～%5")
                           .arg(QString::number(d.value.combinedOdds, 'f', 2), yen(d.value.total),
                                over, yen(d.value.minPayout), yen(d.value.maxPayout)));
    m_summary->setToolTip(m_overBudget
                              ? QStringLiteral("どの買い目も100円以上のため、合計が予算 %1 "
                                               "を超えています")
                                    .arg(yen(budget))
                              : QString());
    if (d.value.loss) {
        m_warning->setText(QStringLiteral("トリガミ：払戻 %1 が合計 %2 を下回る買い目があります")
                               .arg(yen(d.value.minPayout), yen(d.value.total)));
        m_warning->show();
    }
}

void StakePanel::showKelly(const AnalysisTable &table, const AnalysisInputs &inputs)
{
    std::vector<KellyCandidate> candidates;
    for (const AnalysisRow &row : table.rows)
        if (row.actualOdds > 0)
            candidates.push_back({row.ticket, row.probability, row.actualOdds});
    const Result<KellyStakes> k =
        kelly(std::move(candidates), inputs.bankroll, inputs.kellyFraction);
    if (!k.ok()) {
        m_summary->setText(japaneseText(k.problem).toHtmlEscaped());
        return;
    }
    qint64 total = 0;
    for (const KellyStake &s : k.value.stakes) {
        addLine(ticketText(table.type, s.ticket), s.odds, s.stake,
                QString::number(s.fraction * inputs.kellyFraction * 100, 'f', 2) +
                    QStringLiteral("%"));
        total += s.stake;
    }
    m_summary->setText(
        k.value.stakes.empty()
            ? QStringLiteral("期待値が1を超える買い目がありません。")
            : QStringLiteral("合計 %1　フルケリーでの留保 %2%（資金のうち賭けない割合）")
                  .arg(yen(total), QString::number(k.value.reserve * 100, 'f', 2)));
}
