#include "ui/season/seasonwindow.h"

#include "core/document/oddsdocument.h"
#include "core/racemodel/combinations.h"
#include "ui/backtest/backtestpanel.h"
#include "ui/desktop/seasontask.h"
#include "ui/season/calibrationchart.h"
#include "ui/season/seasontablemodel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox *numberBox(QWidget *parent, double low, double high, double value)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(low, high);
    box->setSingleStep(0.01);
    box->setDecimals(2);
    box->setValue(value);
    box->setKeyboardTracking(false);
    return box;
}

// The analysis window's ranges: what goes outside them is not made a default.
struct Range
{
    double low;
    double high;
};
constexpr Range ExponentRange{0.01, MaxLambda};
constexpr Range BetaRange{0.1, MaxBeta};
constexpr Range CombineRange{-MaxCombine, MaxCombine};

QString symbol(const QString &name)
{
    if (name == QLatin1String("beta"))
        return QStringLiteral("β");
    if (name == QLatin1String("lambda"))
        return QStringLiteral("λ");
    if (name == QLatin1String("rho"))
        return QStringLiteral("ρ");
    if (name == QLatin1String("alpha"))
        return QStringLiteral("α");
    return QStringLiteral("γ");
}

Range rangeOf(const QString &name)
{
    if (name == QLatin1String("beta"))
        return BetaRange;
    if (name == QLatin1String("alpha") || name == QLatin1String("gamma"))
        return CombineRange;
    return ExponentRange;
}

} // namespace

SeasonWindow::SeasonWindow(const QString &folder, QWidget *parent)
    : QWidget(parent), m_folder(folder), m_task(new SeasonTask(this))
{
    setObjectName(QStringLiteral("SeasonWindow"));
    buildControls();
    setFocusProxy(m_modelBox); // focused when the window opens
    connect(m_task, &SeasonTask::progress, this, [this](int done, int total) {
        m_progress->setRange(0, std::max(total, 1));
        m_progress->setValue(done);
        m_status->setText(
            (m_reading ? QStringLiteral("読み込み中… %1 / %2") : QStringLiteral("評価中… %1 / %2"))
                .arg(done)
                .arg(total));
    });
    connect(m_task, &SeasonTask::finished, this, &SeasonWindow::taskFinished);
}

SeasonWindow::~SeasonWindow()
{
    // The work writes into this window's members: it stops before they go.
    m_task->cancel();
    delete m_task;
}

void SeasonWindow::buildControls()
{
    m_modelBox = new QComboBox(this);
    m_modelBox->addItems(
        {QStringLiteral("Harville"), QStringLiteral("割引"), QStringLiteral("正規")});
    m_lambda = numberBox(this, ExponentRange.low, ExponentRange.high, 0.81);
    m_rho = numberBox(this, ExponentRange.low, ExponentRange.high, 0.65);
    m_beta = numberBox(this, BetaRange.low, BetaRange.high, 1);
    m_combine = new QCheckBox(QStringLiteral("結合"), this);
    m_combine->setToolTip(QStringLiteral(
        "勝率を 自分の列の支持率^α × 市場の列（オッズ・投票金）の支持率^γ から作ります"));
    m_alpha = numberBox(this, CombineRange.low, CombineRange.high, 1);
    m_gamma = numberBox(this, CombineRange.low, CombineRange.high, 1);
    auto *parameters = new QHBoxLayout;
    const auto add = [&](const QString &label, QWidget *w) {
        if (!label.isEmpty())
            parameters->addWidget(new QLabel(label, this));
        parameters->addWidget(w);
        w->setAccessibleName(label.isEmpty() ? QStringLiteral("結合") : label);
    };
    add(QStringLiteral("モデル"), m_modelBox);
    add(QStringLiteral("λ"), m_lambda);
    add(QStringLiteral("ρ"), m_rho);
    add(QStringLiteral("β"), m_beta);
    add(QString(), m_combine);
    add(QStringLiteral("α"), m_alpha);
    add(QStringLiteral("γ"), m_gamma);
    parameters->addStretch(1);
    connect(m_modelBox, &QComboBox::currentIndexChanged, this, &SeasonWindow::evaluate);
    connect(m_combine, &QCheckBox::toggled, this, &SeasonWindow::evaluate);
    for (QDoubleSpinBox *box : {m_lambda, m_rho, m_beta, m_alpha, m_gamma})
        connect(box, &QDoubleSpinBox::valueChanged, this, &SeasonWindow::evaluate);

    m_progress = new QProgressBar(this);
    m_cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_status = new QLabel(this);
    connect(m_cancel, &QPushButton::clicked, this, &SeasonWindow::cancel);
    auto *progress = new QHBoxLayout;
    progress->addWidget(m_progress, 1);
    progress->addWidget(m_cancel);
    progress->addWidget(m_status, 1);

    m_summaryLabel = new QLabel(this);
    m_summaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_tableModel = new SeasonTableModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_tableModel);
    m_proxy->setSortRole(SeasonTableModel::SortRole);
    m_table = new QTableView(this);
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // Tab leaves the table; Enter opens a race as a double click does.
    m_table->setTabKeyNavigation(false);
    connect(m_table, &QTableView::activated, this, [this](const QModelIndex &index) {
        const QString path = m_tableModel->filePath(m_proxy->mapToSource(index).row());
        if (!path.isEmpty())
            Q_EMIT openRequested(path);
    });

    m_chart = new CalibrationChart(this);

    m_fitModel = new QComboBox(this);
    m_fitModel->addItems({QStringLiteral("Harville (β)"), QStringLiteral("割引 (β, λ, ρ)"),
                          QStringLiteral("結合 (α, γ)")});
    m_fitModel->setAccessibleName(QStringLiteral("当てはめるモデル"));
    m_holdout = numberBox(this, 0, 0.9, 0);
    m_holdout->setSingleStep(0.05);
    m_holdout->setAccessibleName(QStringLiteral("検証に残す割合"));
    m_holdout->setToolTip(
        QStringLiteral("日付の新しいレースをこの割合だけ当てはめに使わず、検証に残します"));
    m_fitButton = new QPushButton(QStringLiteral("当てはめ"), this);
    m_fitLabel = new QLabel(this);
    m_fitLabel->setWordWrap(true);
    m_fitLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_defaultsButton = new QPushButton(QStringLiteral("分析の既定にする"), this);
    m_defaultsButton->setToolTip(
        QStringLiteral("当てはめた値を、これからの分析の既定にします（保存済みの分析はそのまま）"));
    m_noteLabel = new QLabel(this);
    m_noteLabel->setWordWrap(true);
    connect(m_fitButton, &QPushButton::clicked, this, &SeasonWindow::fit);
    connect(m_defaultsButton, &QPushButton::clicked, this, &SeasonWindow::makeDefaults);

    auto *fitBox = new QGroupBox(QStringLiteral("当てはめ（最尤法）"), this);
    auto *fitControls = new QHBoxLayout;
    fitControls->addWidget(m_fitModel);
    fitControls->addWidget(new QLabel(QStringLiteral("検証に残す割合"), this));
    fitControls->addWidget(m_holdout);
    fitControls->addWidget(m_fitButton);
    fitControls->addStretch(1);
    auto *fitLayout = new QVBoxLayout(fitBox);
    fitLayout->addLayout(fitControls);
    fitLayout->addWidget(m_fitLabel);
    fitLayout->addWidget(m_defaultsButton, 0, Qt::AlignLeft);
    fitLayout->addWidget(m_noteLabel);

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_chart, 1);
    rightLayout->addWidget(fitBox);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_table);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto *seasonPage = new QWidget(this);
    auto *seasonLayout = new QVBoxLayout(seasonPage);
    seasonLayout->addWidget(m_summaryLabel);
    seasonLayout->addWidget(splitter, 1);
    // The back-test estimates under the model chosen above.
    m_backtest = new BacktestPanel(m_folder, this);
    m_backtest->setModelSource([this] { return model(); });
    connect(m_backtest, &BacktestPanel::openRequested, this, &SeasonWindow::openRequested);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(seasonPage, QStringLiteral("成績"));
    m_tabs->addTab(m_backtest, QStringLiteral("バックテスト"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(parameters);
    layout->addLayout(progress);
    layout->addWidget(m_tabs, 1);
    syncControls();
}

SeasonModel SeasonWindow::model() const
{
    SeasonModel m;
    m.order = OrderModel(m_modelBox->currentIndex());
    m.lambda = m_lambda->value();
    m.rho = m_rho->value();
    m.beta = m_beta->value();
    m.combine = m_combine->isChecked();
    m.alpha = m_alpha->value();
    m.gamma = m_gamma->value();
    return m;
}

void SeasonWindow::setModel(const SeasonModel &m)
{
    putControls(m);
    evaluate();
}

void SeasonWindow::putControls(const SeasonModel &m)
{
    const QSignalBlocker blocks[] = {QSignalBlocker(m_modelBox), QSignalBlocker(m_lambda),
                                     QSignalBlocker(m_rho),      QSignalBlocker(m_beta),
                                     QSignalBlocker(m_combine),  QSignalBlocker(m_alpha),
                                     QSignalBlocker(m_gamma)};
    m_modelBox->setCurrentIndex(int(m.order));
    m_lambda->setValue(m.lambda);
    m_rho->setValue(m.rho);
    m_beta->setValue(m.beta);
    m_combine->setChecked(m.combine);
    m_alpha->setValue(m.alpha);
    m_gamma->setValue(m.gamma);
    syncControls();
}

bool SeasonWindow::busy() const
{
    return m_task->running();
}

void SeasonWindow::start()
{
    if (busy())
        return;
    m_reading = true;
    m_evaluateAgain = false;
    m_readRaces.clear();
    m_readEvaluations.clear();
    const SeasonModel model = m_taskModel = this->model();
    const QString folder = m_folder;
    m_status->setText(QStringLiteral("フォルダを調べています…"));
    m_task->start([this, model, folder](SeasonTask &task) {
        const SeasonFiles files = seasonDocuments({folder}, [&task] { return task.cancelled(); });
        const int total = int(files.files.size());
        task.report(0, total);
        SeasonEvaluator evaluator(model);
        for (int i = 0; i < total && !task.cancelled(); ++i) {
            m_readRaces.push_back(readSeasonRace(files, files.files[i], true));
            m_readEvaluations.push_back(evaluator.add(m_readRaces.back()));
            task.report(i + 1, total);
        }
        m_readSummary = evaluator.summary();
    });
    syncControls();
}

void SeasonWindow::evaluate()
{
    syncControls();
    if (busy()) {
        m_evaluateAgain = true;
        return;
    }
    m_readEvaluations.clear();
    const SeasonModel model = m_taskModel = this->model();
    m_task->start([this, model](SeasonTask &task) {
        SeasonEvaluator evaluator(model);
        const int total = int(m_races.size());
        for (int i = 0; i < total && !task.cancelled(); ++i) {
            m_readEvaluations.push_back(evaluator.add(m_races[size_t(i)]));
            task.report(i + 1, total);
        }
        m_readSummary = evaluator.summary();
    });
    syncControls();
}

void SeasonWindow::cancel()
{
    m_evaluateAgain = false;
    m_task->cancel();
}

void SeasonWindow::taskFinished(bool cancelled)
{
    const bool reading = m_reading;
    m_reading = false;
    if (reading) {
        // What was read before a cancel stays: the table shows it as far as it got.
        m_races = std::move(m_readRaces);
        m_readRaces.clear();
    }
    const bool complete = m_readEvaluations.size() == m_races.size();
    if (complete) {
        m_evaluations = std::move(m_readEvaluations);
        m_summary = m_readSummary;
        m_shownModel = m_taskModel;
    } else {
        putControls(m_shownModel);
    }
    m_readEvaluations.clear();
    if (reading)
        m_status->setText(
            cancelled
                ? QStringLiteral("キャンセルしました（%1件まで読みました）。").arg(m_races.size())
                : QStringLiteral("%1件のドキュメントを読みました。").arg(m_races.size()));
    else if (!complete)
        m_status->setText(QStringLiteral("評価をキャンセルしました。前のモデルに戻しました。"));
    else
        m_status->clear();
    showSeason();
    if (m_evaluateAgain) {
        m_evaluateAgain = false;
        evaluate();
        return;
    }
    syncControls();
    Q_EMIT idle();
}

void SeasonWindow::showSeason()
{
    m_tableModel->setSeason(m_folder, &m_races, m_evaluations);
    m_table->resizeColumnsToContents();
    m_summaryLabel->setText(summaryText());
    m_chart->setBins(m_summary.bins);
}

QString SeasonWindow::summaryText() const
{
    const SeasonSummary &s = m_summary;
    if (s.races == 0)
        return QStringLiteral("結果のあるレースがありません（除外 %1）。").arg(s.excluded);
    // The model's top pick, and the market's favourite where every race has market columns.
    QString text =
        QStringLiteral("レース %1　除外 %2　対数尤度 %3（勝ち馬のみ %4）　ブライアスコア "
                       "%5　本命（確率1位）の勝利 %6 (%7%)")
            .arg(s.races)
            .arg(s.excluded)
            .arg(s.loglik, 0, 'f', 3)
            .arg(s.winLoglik, 0, 'f', 3)
            .arg(s.brier(), 0, 'f', 5)
            .arg(s.favourites)
            .arg(100.0 * s.favourites / s.races, 0, 'f', 1);
    if (s.hasMarketFavourites())
        text += QStringLiteral("　1番人気の勝利 %1 (%2%)")
                    .arg(s.marketFavourites)
                    .arg(100.0 * s.marketFavourites / s.races, 0, 'f', 1);
    return text;
}

void SeasonWindow::fit()
{
    if (busy())
        return;
    m_fit = fitSeason(m_races, FitModel(m_fitModel->currentIndex()), m_holdout->value());
    m_haveFit = true;
    m_note.clear();
    m_fitLabel->setText(fitText());
    m_noteLabel->clear();
    syncControls();
}

QString SeasonWindow::fitText() const
{
    if (!m_haveFit)
        return QString();
    const SeasonFit &f = m_fit;
    if (!f.ok())
        return f.problemText();
    QStringList lines;
    lines << QStringLiteral("レース %1　除外 %2").arg(f.races).arg(f.excluded);
    for (const FitValue &v : f.values)
        lines << QStringLiteral("%1 = %2 ± %3")
                     .arg(symbol(v.name))
                     .arg(v.value, 0, 'f', 4)
                     .arg(v.error, 0, 'f', 4);
    for (const FitWarning &w : f.warnings)
        lines << QStringLiteral("注意: %1 は%2").arg(symbol(w.name), w.textJa);
    const bool combined = f.model == FitModel::Combined;
    const QString before =
        combined ? QStringLiteral("元の支持率 (β 1)") : QStringLiteral("当てはめ前");
    lines << QStringLiteral("対数尤度: %1 %2 → 当てはめ後 %3")
                 .arg(before)
                 .arg(f.before, 0, 'f', 3)
                 .arg(f.after, 0, 'f', 3);
    if (f.holdoutRaces > 0)
        lines << QStringLiteral("検証 %1レース: %2 %3 → 当てはめ後 %4")
                     .arg(f.holdoutRaces)
                     .arg(before)
                     .arg(f.holdoutBefore, 0, 'f', 3)
                     .arg(f.holdoutAfter, 0, 'f', 3);
    if (combined && f.after < f.before)
        lines << QStringLiteral("自分の列と市場の列に分けたこのモデルは、ドキュメント本来の配合"
                                "よりもこのシーズンをうまく説明できていません。");
    return lines.join(QLatin1Char('\n'));
}

void SeasonWindow::makeDefaults()
{
    if (!m_haveFit || !m_fit.ok()) {
        m_note = QStringLiteral("先に当てはめてください。");
        m_noteLabel->setText(m_note);
        return;
    }
    for (const FitValue &v : m_fit.values) {
        const Range r = rangeOf(v.name);
        if (!(v.value >= r.low && v.value <= r.high)) {
            m_note = QStringLiteral("%1 = %2 は範囲 (%3～%4) の外なので、既定にしませんでした。")
                         .arg(symbol(v.name))
                         .arg(v.value, 0, 'f', 4)
                         .arg(r.low)
                         .arg(r.high);
            m_noteLabel->setText(m_note);
            return;
        }
    }
    SeasonDefaults d;
    switch (m_fit.model) {
    case FitModel::Harville:
        d.beta = m_fit.value(QStringLiteral("beta"));
        break;
    case FitModel::Discount:
        d.model = OrderModel::Discount;
        d.beta = m_fit.value(QStringLiteral("beta"));
        d.lambda = m_fit.value(QStringLiteral("lambda"));
        d.rho = m_fit.value(QStringLiteral("rho"));
        break;
    case FitModel::Combined:
        d.combine = true;
        d.alpha = m_fit.value(QStringLiteral("alpha"));
        d.gamma = m_fit.value(QStringLiteral("gamma"));
        break;
    }
    const QString error =
        m_storeDefaults ? m_storeDefaults(d) : QStringLiteral("保存先がありません");
    m_note = error.isEmpty() ? QStringLiteral("これからの分析の既定にしました。")
                             : QStringLiteral("既定にできませんでした：") + error;
    m_noteLabel->setText(m_note);
}

QString SeasonWindow::noteText() const
{
    return m_note;
}

void SeasonWindow::syncControls()
{
    const bool running = busy();
    m_progress->setVisible(running);
    m_cancel->setVisible(running);
    const bool discount = m_modelBox->currentIndex() == int(OrderModel::Discount);
    m_lambda->setEnabled(discount);
    m_rho->setEnabled(discount);
    m_beta->setEnabled(!m_combine->isChecked());
    m_alpha->setEnabled(m_combine->isChecked());
    m_gamma->setEnabled(m_combine->isChecked());
    m_fitButton->setEnabled(!running && !m_races.empty());
    m_defaultsButton->setEnabled(m_haveFit && m_fit.ok());
}
