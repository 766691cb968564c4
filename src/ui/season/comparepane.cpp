#include "ui/season/comparepane.h"

#include "core/season/seasonverdict.h"
#include "ui/desktop/tableexport.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace {

enum Column {
    ModelColumn,
    KColumn,
    ValuesColumn,
    LoglikColumn,
    AicColumn,
    BrierColumn,
    HeldColumn,
    ColumnCount
};

} // namespace

ComparePane::ComparePane(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ComparePane"));
    m_holdout = new QDoubleSpinBox(this);
    m_holdout->setRange(0, 0.9);
    m_holdout->setSingleStep(0.05);
    m_holdout->setDecimals(2);
    m_holdout->setAccessibleName(QStringLiteral("検証に残す割合"));
    m_holdout->setToolTip(
        QStringLiteral("日付の新しいレースを日ごとにこの割合まで当てはめに使わず、検証に残します。"
                       "日付のないレースは検証に回しません。"));
    m_robust = new QCheckBox(QStringLiteral("レースごとの頑健な標準誤差"), this);
    m_robust->setToolTip(QStringLiteral("同じレースの着順どうしの相関を考えた標準誤差です。穴馬が勝"
                                        "つシーズンでは大きくなります。"));
    m_compare = new QPushButton(QStringLiteral("比較"), this);
    m_compare->setObjectName(QStringLiteral("compare"));
    m_compare->setToolTip(QStringLiteral("すべてのモデルを同じレースに当てはめて比べます"));
    connect(m_compare, &QPushButton::clicked, this, &ComparePane::compare);
    auto *controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("検証に残す割合"), this));
    controls->addWidget(m_holdout);
    controls->addWidget(m_robust);
    controls->addWidget(m_compare);
    controls->addStretch(1);

    m_model = new QStandardItemModel(0, ColumnCount, this);
    const std::pair<QString, QString> headers[ColumnCount] = {
        {QStringLiteral("モデル"), QStringLiteral("★ は AIC で最も良いモデルです")},
        {QStringLiteral("K"), QStringLiteral("当てはめた係数の数です")},
        {QStringLiteral("係数 ± 標準誤差"),
         QStringLiteral("当てはめた係数とその標準誤差です。標準誤差が値より大きい係数はほとんど"
                        "決まっていません。")},
        {QStringLiteral("対数尤度"),
         QStringLiteral("実際の1～3着の起こりやすさの対数の合計です。0 に近い（大きい）ほど良く"
                        "当たっています。")},
        {QStringLiteral("AIC"),
         QStringLiteral("2×係数の数 − 2×対数尤度。係数の多さを割り引いた当てはまりで、小さいほど"
                        "良いモデルです。")},
        {QStringLiteral("ブライアスコア"),
         QStringLiteral("各馬の勝率と実際の勝ち負け（1 か 0）の差の二乗のレースごとの合計の平均"
                        "です。小さいほど良く当たっています。")},
        {QStringLiteral("検証の対数尤度"),
         QStringLiteral("当てはめに使わなかった検証用のレースでの対数尤度です。当てはめ前より"
                        "下がるなら過学習の疑いがあります。")}};
    for (int c = 0; c < ColumnCount; ++c) {
        m_model->setHeaderData(c, Qt::Horizontal, headers[c].first);
        m_model->setHeaderData(c, Qt::Horizontal, headers[c].second, Qt::ToolTipRole);
    }
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setAccessibleName(QStringLiteral("モデルの比較"));

    m_verdicts = new QLabel(this);
    m_verdicts->setWordWrap(true);
    m_verdicts->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_verdicts->setAlignment(Qt::AlignTop | Qt::AlignLeft);

    m_use = new QPushButton(QStringLiteral("この値を使う"), this);
    m_use->setToolTip(QStringLiteral(
        "選んだ行（選ばなければ★の行）の係数を丸めずに上のモデルに入れ、成績とバックテストを"
        "その値で計算します"));
    connect(m_use, &QPushButton::clicked, this, [this] {
        if (const ComparedModel *m = chosen())
            Q_EMIT useRequested(m->fit);
    });
    auto *copy = new QPushButton(QStringLiteral("表をコピー"), this);
    connect(copy, &QPushButton::clicked, this, [this] { copyTable(*m_model); });
    auto *csv = new QPushButton(QStringLiteral("CSVで保存"), this);
    connect(csv, &QPushButton::clicked, this,
            [this] { saveTableCsvAs(this, *m_model, QStringLiteral("比較.csv")); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_use);
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(csv);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(m_table, 2);
    layout->addLayout(buttons);
    layout->addWidget(m_verdicts, 1);
    showComparison();
}

void ComparePane::setRaces(const std::vector<SeasonRace> *races)
{
    m_races = races;
    m_compare->setEnabled(m_races && !m_races->empty());
}

void ComparePane::setOptions(const FitOptions &options)
{
    m_holdout->setValue(options.holdout);
    m_robust->setChecked(options.robust);
}

void ComparePane::compare()
{
    if (!m_races)
        return;
    m_comparison = compareSeason(*m_races, FitOptions{m_holdout->value(), m_robust->isChecked()});
    m_compared = true;
    showComparison();
    Q_EMIT compared();
}

const ComparedModel *ComparePane::chosen() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    if (!rows.isEmpty()) {
        const int row = rows.first().row();
        const ComparedModel *m =
            row < int(m_comparison.models.size()) ? &m_comparison.models[size_t(row)] : nullptr;
        return m && m->fit.ok() ? m : nullptr;
    }
    return m_comparison.best();
}

void ComparePane::selectModel(const QString &name)
{
    for (size_t i = 0; i < m_comparison.models.size(); ++i)
        if (m_comparison.models[i].name == name)
            m_table->selectRow(int(i));
}

QString ComparePane::verdictText() const
{
    if (!m_compared)
        return QStringLiteral("「比較」を押すと、すべてのモデルを同じレースに当てはめて比べます。");
    if (!m_comparison.ok()) {
        SeasonFit why;
        why.problem = m_comparison.problem;
        return why.problemText();
    }
    QStringList lines;
    lines
        << QStringLiteral("レース %1　除外 %2").arg(m_comparison.races).arg(m_comparison.excluded);
    if (m_comparison.holdout)
        lines.last() += QStringLiteral("　検証 %1　日付なし %2（当てはめ側）")
                            .arg(m_comparison.holdoutRaces)
                            .arg(m_comparison.undated);
    if (m_comparison.robust)
        lines.last() += QStringLiteral("　標準誤差はレースごとの頑健なもの");
    for (const auto &[name, count] : m_comparison.unused)
        lines << QStringLiteral("列「%1」は %2 件のドキュメントにしかないので使っていません。")
                     .arg(name)
                     .arg(count);
    lines << comparisonVerdicts(m_comparison);
    return lines.join(u'\n');
}

void ComparePane::showComparison()
{
    m_model->removeRows(0, m_model->rowCount());
    const ComparedModel *best = m_comparison.best();
    for (const ComparedModel &m : m_comparison.models) {
        QList<QStandardItem *> row;
        const auto cell = [&](const QString &text, const QString &tip = QString()) {
            auto *item = new QStandardItem(text);
            if (!tip.isEmpty())
                item->setToolTip(tip);
            row << item;
        };
        cell(comparedModelTitle(m.name) + (&m == best ? QStringLiteral(" ★") : QString()));
        if (!m.fit.ok()) {
            cell(QString());
            cell(m.fit.problemText());
            for (int c = LoglikColumn; c < ColumnCount; ++c)
                cell(QString());
            m_model->appendRow(row);
            continue;
        }
        cell(QString::number(m.fit.parameterCount()));
        QStringList values;
        for (const FitValue &v : m.fit.values)
            values << QStringLiteral("%1 = %2 ± %3")
                          .arg(v.symbol())
                          .arg(v.value, 0, 'f', 4)
                          .arg(v.error, 0, 'f', 4);
        cell(values.join(QStringLiteral(", ")));
        cell(QString::number(m.fit.after, 'f', 3),
             QStringLiteral("当てはめ前 %1").arg(m.fit.before, 0, 'f', 3));
        cell(QString::number(m.aic(), 'f', 3));
        cell(QString::number(m.fit.brier, 'f', 5));
        cell(m_comparison.holdout ? QString::number(m.fit.holdoutAfter, 'f', 3) : QString(),
             m_comparison.holdout
                 ? QStringLiteral("当てはめ前 %1").arg(m.fit.holdoutBefore, 0, 'f', 3)
                 : QString());
        m_model->appendRow(row);
    }
    m_table->resizeColumnsToContents();
    m_verdicts->setText(verdictText());
    m_use->setEnabled(best != nullptr);
}
