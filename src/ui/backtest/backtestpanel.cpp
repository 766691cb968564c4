#include "ui/backtest/backtestpanel.h"

#include "ui/backtest/backtestconditions.h"
#include "ui/desktop/chartroom.h"
#include "ui/desktop/pngsave.h"
#include "ui/desktop/seasontask.h"
#include "ui/desktop/tableexport.h"
#include "ui/desktop/tablesort.h"
#include "ui/desktop/termlabel.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>

namespace {

QDoubleSpinBox *numberBox(QWidget *parent, double low, double high, double value, int decimals,
                          const QString &name)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(low, high);
    box->setDecimals(decimals);
    box->setSingleStep(decimals == 0 ? 100 : 0.05);
    box->setValue(value);
    box->setAccessibleName(name);
    return box;
}

QString yen(qint64 yen)
{
    return QLocale(QLocale::Japanese).toString(yen);
}

QStandardItem *number(qint64 value)
{
    auto *item = new QStandardItem(yen(value));
    item->setData(value, Qt::UserRole);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

BacktestPanel::BacktestPanel(const QString &folder, QWidget *parent)
    : QWidget(parent), m_folder(folder), m_task(new SeasonTask(this))
{
    setObjectName(QStringLiteral("BacktestPanel"));
    buildControls();
    connect(m_task, &SeasonTask::progress, this, [this](int done, int total) {
        m_progress->setRange(0, std::max(total, 1));
        m_progress->setValue(done);
    });
    connect(m_task, &SeasonTask::finished, this, &BacktestPanel::finished);
}

BacktestPanel::~BacktestPanel()
{
    // The work writes into this panel's members: it stops before they go.
    m_task->cancel();
    delete m_task;
}

void BacktestPanel::buildControls()
{
    m_bet = new QComboBox(this);
    for (const BetType type : AllBetTypes)
        m_bet->addItem(betTypeLabel(type));
    m_bet->setAccessibleName(QStringLiteral("券種"));
    m_ratio = numberBox(this, 1, 100, 80, 1, QStringLiteral("払戻率 (%)"));
    m_select = new QComboBox(this);
    m_select->addItems({QStringLiteral("実÷推定 ≧"), QStringLiteral("期待値 ≧")});
    m_select->setAccessibleName(QStringLiteral("買う券の選び方"));
    m_threshold = numberBox(this, 0, 100, 1.2, 3, QStringLiteral("しきい値"));
    m_stakes = new QComboBox(this);
    m_stakes->addItems({QStringLiteral("定額"), QStringLiteral("ケリー")});
    m_stakes->setAccessibleName(QStringLiteral("賭け方"));
    m_flat = numberBox(this, 100, 10000000, 100, 0, QStringLiteral("1点の金額 (円)"));
    m_kelly = numberBox(this, 0.01, 1, 0.5, 2, QStringLiteral("ケリー比率"));
    m_bankroll = numberBox(this, 100, 1e12, 100000, 0, QStringLiteral("資金 (円)"));
    m_atOn = new QCheckBox(QStringLiteral("時刻"), this);
    m_atOn->setToolTip(QStringLiteral("その時刻までに取った最後のオッズで試します"));
    m_at = new QTimeEdit(QTime(15, 0), this);
    m_at->setDisplayFormat(QStringLiteral("HH:mm"));
    m_at->setAccessibleName(QStringLiteral("オッズの時刻"));
    m_runButton = new QPushButton(QStringLiteral("実行"), this);
    m_bet->setToolTip(QStringLiteral("試す券種です。フォルダの分析ファイルにこの券種の実オッズと"
                                     "結果があるレースだけを数えます。"));
    m_ratio->setToolTip(QStringLiteral("推定オッズを作るときの払戻率です。券種を選ぶとその既定の"
                                       "値になります。"));
    m_select->setToolTip(QStringLiteral(
        "買う買い目の選び方です。実÷推定は実際のオッズが推定オッズの何倍か、期待値は勝率 × "
        "実際のオッズです。"));
    m_threshold->setToolTip(QStringLiteral(
        "この値以上の買い目だけを買います。高くすると買い目は減り、割安なものに絞られます。"));
    m_stakes->setToolTip(QStringLiteral(
        "定額はどの買い目にも同じ金額を、ケリーは資金と勝率・オッズから金額を決めます。"));
    m_flat->setToolTip(QStringLiteral("定額で 1 点に賭ける金額です（円）。"));
    m_kelly->setToolTip(QStringLiteral(
        "ケリー基準の金額に掛ける割合です。1 で満額、小さいほど控えめで資金の上下が減ります。"));
    m_bankroll->setToolTip(
        QStringLiteral("ケリーで金額を決めるときの資金です（円）。レースごとの損益で増減します。"));
    m_at->setToolTip(QStringLiteral(
        "この時刻までに取った最後のオッズで買い目を選びます。早い時刻ほど実際に買える条件に"
        "近くなります。"));
    m_runButton->setToolTip(
        QStringLiteral("この条件でフォルダのレースを順に買ったとして数えます。"));

    auto *choices = new QHBoxLayout;
    const auto add = [&](const QString &label, QWidget *w) {
        if (!label.isEmpty()) {
            auto *caption = new QLabel(label, this);
            caption->setBuddy(w);
            caption->setToolTip(w->toolTip());
            // Shown and hidden with its box.
            m_captions[w] = caption;
            choices->addWidget(caption);
        }
        choices->addWidget(w);
    };
    add(QStringLiteral("券種"), m_bet);
    add(QStringLiteral("払戻率"), m_ratio);
    add(QString(), m_select);
    add(QString(), m_threshold);
    add(QString(), m_stakes);
    add(QString(), m_flat);
    add(QStringLiteral("比率"), m_kelly);
    add(QStringLiteral("資金"), m_bankroll);
    add(QString(), m_atOn);
    add(QString(), m_at);
    choices->addWidget(m_runButton);
    choices->addStretch(1);
    connect(m_bet, &QComboBox::currentIndexChanged, this, [this](int i) {
        m_ratio->setValue(defaultPayoutRatio(BetType(i)) * 100);
        syncControls();
    });
    connect(m_select, &QComboBox::currentIndexChanged, this,
            [this](int i) { m_threshold->setValue(i == 0 ? 1.2 : 1.0); });
    connect(m_stakes, &QComboBox::currentIndexChanged, this, &BacktestPanel::syncControls);
    connect(m_atOn, &QCheckBox::toggled, this, &BacktestPanel::syncControls);
    connect(m_runButton, &QPushButton::clicked, this, &BacktestPanel::run);
    for (QComboBox *box : {m_bet, m_select, m_stakes})
        connect(box, &QComboBox::currentIndexChanged, this, &BacktestPanel::checkConditions);
    for (QDoubleSpinBox *box : {m_ratio, m_threshold, m_flat, m_kelly, m_bankroll})
        connect(box, &QDoubleSpinBox::valueChanged, this, &BacktestPanel::checkConditions);
    connect(m_atOn, &QCheckBox::toggled, this, &BacktestPanel::checkConditions);
    connect(m_at, &QTimeEdit::timeChanged, this, &BacktestPanel::checkConditions);
    m_conditions = new QLabel(this);
    m_conditions->setWordWrap(true);
    m_conditions->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_progress = new QProgressBar(this);
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(m_cancel, &QPushButton::clicked, this, &BacktestPanel::cancel);
    auto *progress = new QHBoxLayout;
    progress->addWidget(m_progress, 1);
    progress->addWidget(m_cancel);

    m_summary = new TermLabel(this);
    m_summary->setWordWrap(true);
    m_summary->addTerm(QStringLiteral("レース"),
                       QStringLiteral("結果と実オッズがあって数えたレースの数です。"));
    m_summary->addTerm(QStringLiteral("購入"),
                       QStringLiteral("そのうち条件に合う買い目があって買ったレースの数です。"));
    m_summary->addPattern(QStringLiteral("\\d[\\d,]*点"), QStringLiteral("買った買い目の数です。"));
    m_summary->addTerm(QStringLiteral("的中"),
                       QStringLiteral("当たった買い目の数です。多いほど良いのですが、回収率と"
                                      "合わせて見てください。"));
    m_summary->addTerm(QStringLiteral("投資"), QStringLiteral("買い目に賭けた金額の合計です。"));
    m_summary->addTerm(QStringLiteral("払戻金のない的中"),
                       QStringLiteral("払戻金が入っていない的中は、実際のオッズ × 賭け金を払戻と"
                                      "して数えました。"));
    m_summary->addTerm(QStringLiteral("払戻"),
                       QStringLiteral("当たった買い目の払戻金の合計です。"));
    m_summary->addTerm(
        QStringLiteral("回収率"),
        QStringLiteral("払戻 ÷ 投資。100% を超えれば利益で、高いほど良い成績です。"));
    m_summary->addTerm(QStringLiteral("損益"),
                       QStringLiteral("払戻 − 投資。プラスなら利益、マイナスなら損失です。"));
    m_summary->addTerm(QStringLiteral("最大ドローダウン"),
                       QStringLiteral("累積損益がそれまでの最高からいちばん大きく下がった額です。"
                                      "小さいほど資金の上下が穏やかです。"));
    m_summary->addTerm(QStringLiteral("最長連敗"),
                       QStringLiteral("投資より払戻が少なかったレースが続いた最長の数です。"
                                      "短いほど資金が持ちます。"));
    m_summary->addTerm(QStringLiteral("数えていない文書"),
                       QStringLiteral("結果か実オッズがないなどで数えなかった文書です。理由は"
                                      "その下に並びます。"));
    m_summary->addTerm(QStringLiteral("重複して数えなかった文書"),
                       QStringLiteral("同じファイルを指していて一度だけ数えた文書の数です。"));

    m_rows = new QStandardItemModel(this);
    m_rows->setHorizontalHeaderLabels({QStringLiteral("順"), QStringLiteral("ファイル"),
                                       QStringLiteral("点数"), QStringLiteral("投資"),
                                       QStringLiteral("払戻"), QStringLiteral("累積損益")});
    m_rows->setSortRole(Qt::UserRole);
    m_table = new QTableView(this);
    m_table->setModel(m_rows);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    addKeyboardSort(m_table);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setTabKeyNavigation(false);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex &index) {
        Q_EMIT openRequested(m_rows->item(index.row(), 1)->data(Qt::UserRole).toString());
    });

    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setTitle(QStringLiteral("累積損益"));
    m_curve = new QLineSeries;
    m_chart->addSeries(m_curve);
    m_races = new QValueAxis;
    m_races->setTitleText(QStringLiteral("レース"));
    m_races->setLabelFormat(QStringLiteral("%d"));
    m_profit = new QValueAxis;
    m_profit->setTitleText(QStringLiteral("円"));
    m_profit->setLabelFormat(QStringLiteral("%.0f"));
    m_dates = new QCategoryAxis;
    m_dates->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_dates->setTitleText(QStringLiteral("日付"));
    m_chart->addAxis(m_races, Qt::AlignBottom);
    m_chart->addAxis(m_dates, Qt::AlignBottom);
    m_chart->addAxis(m_profit, Qt::AlignLeft);
    m_curve->attachAxis(m_races);
    m_curve->attachAxis(m_dates);
    m_curve->attachAxis(m_profit);
    m_view = new QChartView(m_chart, this);
    m_view->setRenderHint(QPainter::Antialiasing);
    auto *save = new QPushButton(QStringLiteral("PNGで保存..."), this);
    connect(save, &QPushButton::clicked, this, [this] {
        saveWidgetPngAs(m_view, QStringLiteral("backtest.png"), QStringLiteral("グラフを保存"));
    });
    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(chartWithRoom(m_view, this), 1);
    auto *copy = new QPushButton(QStringLiteral("表をコピー"), this);
    connect(copy, &QPushButton::clicked, this, [this] { copyTable(*m_rows); });
    auto *csv = new QPushButton(QStringLiteral("CSVで保存"), this);
    connect(csv, &QPushButton::clicked, this,
            [this] { saveTableCsvAs(this, *m_rows, QStringLiteral("バックテスト.csv")); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addWidget(csv);
    buttons->addWidget(save);
    rightLayout->addLayout(buttons);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_table);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);

    m_breakdown = new QStandardItemModel(this);
    m_breakdown->setHorizontalHeaderLabels({QStringLiteral("区分"), QStringLiteral("範囲"),
                                            QStringLiteral("点数"), QStringLiteral("的中"),
                                            QStringLiteral("期待的中 (Σp)"), QStringLiteral("投資"),
                                            QStringLiteral("払戻"), QStringLiteral("回収率")});
    m_breakdown->setHeaderData(4, Qt::Horizontal,
                               QStringLiteral("モデルの確率の合計です。的中がこれより少なければ、"
                                              "その帯ではモデルが甘すぎます。"),
                               Qt::ToolTipRole);
    m_breakdown->setHeaderData(1, Qt::Horizontal,
                               QStringLiteral("実オッズの帯、またはレースの中でモデルの確率が何番"
                                              "目の券か（1 が最も確率の高い券）です。"),
                               Qt::ToolTipRole);
    m_breakdownView = new QTableView(this);
    m_breakdownView->setModel(m_breakdown);
    m_breakdownView->verticalHeader()->hide();
    m_breakdownView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_breakdownView->horizontalHeader()->setStretchLastSection(true);
    m_breakdownView->setAccessibleName(QStringLiteral("内訳"));
    auto *copyBreakdown = new QPushButton(QStringLiteral("内訳をコピー"), this);
    connect(copyBreakdown, &QPushButton::clicked, this, [this] { copyTable(*m_breakdown); });
    auto *saveBreakdown = new QPushButton(QStringLiteral("内訳をCSVで保存"), this);
    connect(saveBreakdown, &QPushButton::clicked, this, [this] {
        saveTableCsvAs(this, *m_breakdown, QStringLiteral("バックテストの内訳.csv"));
    });
    auto *breakdownButtons = new QVBoxLayout;
    breakdownButtons->addWidget(copyBreakdown);
    breakdownButtons->addWidget(saveBreakdown);
    breakdownButtons->addStretch(1);
    auto *breakdownRow = new QWidget(this);
    auto *breakdownLayout = new QHBoxLayout(breakdownRow);
    breakdownLayout->setContentsMargins(0, 0, 0, 0);
    breakdownLayout->addWidget(m_breakdownView, 1);
    breakdownLayout->addLayout(breakdownButtons);
    auto *vertical = new QSplitter(Qt::Vertical, this);
    vertical->addWidget(splitter);
    vertical->addWidget(breakdownRow);
    vertical->setStretchFactor(0, 3);
    vertical->setStretchFactor(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addLayout(progress);
    layout->addWidget(m_conditions);
    layout->addWidget(m_summary);
    layout->addWidget(vertical, 1);
    m_bet->setCurrentIndex(int(BetType::Win));
    showReport();
    syncControls();
}

QString BacktestPanel::conditionsText() const
{
    return m_shownConditions.isEmpty()
               ? QString()
               : m_shownConditions + QStringLiteral("、実行 ") + m_shownTime;
}

void BacktestPanel::checkConditions()
{
    if (m_shownConditions.isEmpty())
        return;
    m_stale = backtestConditionsText(settings(), m_folder) != m_shownConditions;
    QString text = QStringLiteral("条件: ") + conditionsText();
    if (m_stale)
        text = QStringLiteral("条件が変わりました — 実行し直してください\n") + text;
    m_conditions->setText(text);
    for (QWidget *w : {static_cast<QWidget *>(m_table), static_cast<QWidget *>(m_view),
                       static_cast<QWidget *>(m_summary), static_cast<QWidget *>(m_breakdownView)})
        w->setEnabled(!m_stale);
    // The picture saved carries what it shows, a line or two below the title.
    QStringList parts = conditionsText().split(QStringLiteral("、"));
    const qsizetype half = (parts.size() + 1) / 2;
    m_chart->setTitle(QStringLiteral("累積損益<br>") +
                      QStringList(parts.mid(0, half)).join(QStringLiteral("、")).toHtmlEscaped() +
                      QStringLiteral("<br>") +
                      QStringList(parts.mid(half)).join(QStringLiteral("、")).toHtmlEscaped());
    updateChartRoom(m_view);
}

void BacktestPanel::syncControls()
{
    const bool running = busy();
    m_progress->setVisible(running);
    m_cancel->setVisible(running);
    m_runButton->setEnabled(!running);
    const bool several = !hasSingleWinner(BetType(m_bet->currentIndex()));
    auto *kellyItem = qobject_cast<QStandardItemModel *>(m_stakes->model())->item(1);
    kellyItem->setEnabled(!several);
    kellyItem->setToolTip(
        several ? QStringLiteral("複勝とワイドは的中が複数あるため、ケリー基準は使えません")
                : QString());
    if (several && m_stakes->currentIndex() == 1)
        m_stakes->setCurrentIndex(0);
    const bool kelly = m_stakes->currentIndex() == 1;
    m_flat->setVisible(!kelly);
    for (QWidget *w : {static_cast<QWidget *>(m_kelly), static_cast<QWidget *>(m_bankroll)}) {
        w->setVisible(kelly);
        m_captions[w]->setVisible(kelly);
    }
    m_at->setEnabled(m_atOn->isChecked());
}

BacktestSettings BacktestPanel::settings() const
{
    BacktestSettings s;
    s.bet = BetType(m_bet->currentIndex());
    const SeasonModel m = m_modelSource ? m_modelSource() : SeasonModel{};
    s.parameters.model = m.order;
    s.parameters.lambda = m.lambda;
    s.parameters.rho = m.rho;
    s.parameters.beta = m.beta;
    s.parameters.combine = m.combine;
    s.parameters.alpha = m.alpha;
    s.parameters.gamma = m.gamma;
    s.parameters.setRatio(s.bet, m_ratio->value() / 100);
    s.rule.select = m_select->currentIndex() == 0 ? BacktestRule::Select::Ratio
                                                  : BacktestRule::Select::ExpectedValue;
    s.rule.threshold = m_threshold->value();
    s.rule.kelly = m_stakes->currentIndex() == 1;
    s.rule.flatStake = qint64(m_flat->value()) / 100 * 100;
    s.rule.kellyFraction = m_kelly->value();
    s.rule.bankroll = qint64(m_bankroll->value());
    if (m_atOn->isChecked())
        s.at = m_at->time();
    return s;
}

void BacktestPanel::setSettings(const BacktestSettings &s)
{
    m_bet->setCurrentIndex(int(s.bet));
    m_ratio->setValue(s.parameters.ratio(s.bet) * 100);
    m_select->setCurrentIndex(s.rule.select == BacktestRule::Select::Ratio ? 0 : 1);
    m_threshold->setValue(s.rule.threshold);
    m_stakes->setCurrentIndex(s.rule.kelly ? 1 : 0);
    m_flat->setValue(double(s.rule.flatStake));
    m_kelly->setValue(s.rule.kellyFraction);
    m_bankroll->setValue(double(s.rule.bankroll));
    m_atOn->setChecked(s.at.has_value());
    if (s.at)
        m_at->setTime(*s.at);
    syncControls();
}

bool BacktestPanel::busy() const
{
    return m_task->running();
}

void BacktestPanel::run()
{
    if (busy())
        return;
    const BacktestSettings s = settings();
    const QString folder = m_folder;
    m_runConditions = backtestConditionsText(s, folder);
    m_running = BacktestReport{};
    m_summary->setPlainText(QStringLiteral("フォルダを調べています…"));
    m_task->start([this, s, folder](SeasonTask &task) {
        const SeasonFiles files = seasonDocuments({folder}, [&task] { return task.cancelled(); });
        m_running = runBacktest(files, s, [&task](int done, int total) {
            task.report(done, total);
            return !task.cancelled();
        });
    });
    syncControls();
}

void BacktestPanel::cancel()
{
    m_task->cancel();
}

void BacktestPanel::finished(bool cancelled)
{
    if (cancelled || m_running.cancelled) {
        m_status = QStringLiteral("キャンセルしました。");
    } else {
        m_report = std::move(m_running);
        m_status.clear();
        m_shownConditions = m_runConditions;
        m_shownTime = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        showReport();
        checkConditions();
    }
    m_summary->setPlainText(summaryText());
    syncControls();
    Q_EMIT idle();
}

QString BacktestPanel::summaryText() const
{
    if (!m_status.isEmpty())
        return m_status;
    const BacktestSummary &s = m_report.summary;
    // The documents that do not count, each with why: the first few, then how many more.
    QString excluded;
    if (!m_report.excluded.empty()) {
        const QDir folder(m_folder);
        excluded = QStringLiteral("\n数えていない文書 %1件").arg(m_report.excluded.size());
        constexpr size_t Shown = 5;
        for (size_t i = 0; i < std::min(Shown, m_report.excluded.size()); ++i) {
            const BacktestExclusion &e = m_report.excluded[i];
            excluded += QStringLiteral("\n%1：%2")
                            .arg(escapedName(folder.relativeFilePath(e.file)), e.reasonText);
        }
        if (m_report.excluded.size() > Shown)
            excluded += QStringLiteral("\nほか %1件").arg(m_report.excluded.size() - Shown);
    }
    if (m_report.duplicates > 0)
        excluded += QStringLiteral("\n重複して数えなかった文書 %1件").arg(m_report.duplicates);
    if (!m_report.overflow.isEmpty())
        return QStringLiteral("%1 で金額の合計が 9,223,372,036,854,775,807 円を超えたため、"
                              "バックテストを止めました。")
                   .arg(escapedName(QDir(m_folder).relativeFilePath(m_report.overflow))) +
               excluded;
    if (s.races == 0)
        return QStringLiteral("結果と実オッズのあるレースがありません。") + excluded;
    QString text =
        QStringLiteral("レース %1（購入 %2）　%3点　的中 %4　投資 %5円　払戻 %6円　回収率 %7%　"
                       "損益 %8円　最大ドローダウン %9円　最長連敗 %10")
            .arg(s.races)
            .arg(s.betRaces)
            .arg(s.tickets)
            .arg(s.hits)
            .arg(yen(s.staked), yen(s.returned))
            .arg(s.recovery() * 100, 0, 'f', 1)
            .arg(yen(s.profit), yen(s.maxDrawdown))
            .arg(s.longestLosing);
    if (s.fromOdds > 0)
        text += QStringLiteral("　払戻金のない的中 %1点はオッズで計算").arg(s.fromOdds);
    return text + excluded;
}

void BacktestPanel::showReport()
{
    m_rows->removeRows(0, m_rows->rowCount());
    QList<QPointF> curve{{0, 0}};
    qint64 low = 0;
    qint64 high = 0;
    const QDir folder(m_folder);
    for (size_t i = 0; i < m_report.lines.size(); ++i) {
        const BacktestLine &l = m_report.lines[i];
        curve.append(QPointF(double(i + 1), double(l.profit)));
        low = std::min(low, l.profit);
        high = std::max(high, l.profit);
        if (l.tickets == 0)
            continue;
        auto *file = new QStandardItem(folder.relativeFilePath(l.file));
        file->setData(l.file, Qt::UserRole);
        auto *order = number(qint64(i + 1));
        order->setText(QString::number(i + 1));
        auto *tickets = number(l.tickets);
        tickets->setText(QString::number(l.tickets));
        m_rows->appendRow(
            {order, file, tickets, number(l.staked), number(l.returned), number(l.profit)});
    }
    m_table->resizeColumnsToContents();
    m_breakdown->removeRows(0, m_breakdown->rowCount());
    const auto addBands = [&](const QString &kind, const std::vector<BacktestBand> &bands,
                              bool ranks) {
        for (const BacktestBand &b : bands) {
            QString range;
            if (ranks)
                range = b.high == 0 ? QStringLiteral("%1位～").arg(b.low)
                        : b.high - 1 == b.low
                            ? QStringLiteral("%1位").arg(b.low)
                            : QStringLiteral("%1～%2位").arg(b.low).arg(b.high - 1);
            else
                range = b.high == 0 ? QStringLiteral("%1倍～").arg(b.low)
                                    : QStringLiteral("%1～%2倍").arg(b.low).arg(b.high);
            auto *tickets = number(b.tickets);
            tickets->setText(QString::number(b.tickets));
            auto *hits = number(b.hits);
            hits->setText(QString::number(b.hits));
            m_breakdown->appendRow(
                {new QStandardItem(kind), new QStandardItem(range), tickets, hits,
                 new QStandardItem(QString::number(b.expected, 'f', 2)), number(b.staked),
                 number(b.returned),
                 new QStandardItem(b.staked > 0 ? QString::number(b.recovery() * 100, 'f', 1) + u'%'
                                                : QString())});
        }
    };
    addBands(QStringLiteral("オッズ"), m_report.breakdown.odds, false);
    addBands(QStringLiteral("順位"), m_report.breakdown.ranks, true);
    m_breakdownView->resizeColumnsToContents();
    m_curve->replace(curve);
    // Whole races on the axis: a tick every 1, 2, 5, 10, 20, ... races, about ten of them.
    const double races = std::max<double>(1, double(m_report.lines.size()));
    double step = 1;
    for (int k = 0; races / step > 10; ++k)
        step *= k % 3 == 1 ? 2.5 : 2;
    m_races->setRange(0, std::ceil(races / step) * step);
    m_races->setTickType(QValueAxis::TicksDynamic);
    m_races->setTickAnchor(0);
    m_races->setTickInterval(step);
    // The date where each race day begins, about eight of them, under the race numbers'
    // place when the races have dates.
    for (const QString &label : m_dates->categoriesLabels())
        m_dates->remove(label);
    std::vector<std::pair<int, QDate>> days;
    for (size_t i = 0; i < m_report.lines.size(); ++i) {
        const std::optional<QDate> &d = m_report.lines[i].date;
        if (d && (days.empty() || days.back().second != *d))
            days.emplace_back(int(i + 1), *d);
    }
    // Short labels, so that they stay whole on a narrow axis: month and day, with the year in
    // the axis title when the races are all of one year.
    const bool oneYear = !days.empty() && days.front().second.year() == days.back().second.year();
    m_dates->setTitleText(oneYear ? QStringLiteral("日付（%1年）").arg(days.front().second.year())
                                  : QStringLiteral("日付"));
    const QString format = oneYear ? QStringLiteral("M/d") : QStringLiteral("yy/M/d");
    const size_t every = std::max<size_t>(1, (days.size() + 5) / 6);
    for (size_t k = 0; k < days.size(); k += every)
        m_dates->append(days[k].second.toString(format), days[k].first);
    m_dates->setRange(m_races->min(), m_races->max());
    m_dates->setVisible(!days.empty());
    m_races->setVisible(days.empty());
    m_profit->setRange(double(low), double(std::max(high, low + 100)));
    m_profit->applyNiceNumbers();
}
