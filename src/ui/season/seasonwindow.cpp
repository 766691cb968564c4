#include "ui/season/seasonwindow.h"

#include "core/document/oddsdocument.h"
#include "core/racemodel/combinations.h"
#include "core/season/calibrationinterval.h"
#include "ui/backtest/backtestpanel.h"
#include "ui/desktop/pngsave.h"
#include "ui/desktop/seasontask.h"
#include "ui/desktop/tableexport.h"
#include "ui/desktop/tablesort.h"
#include "ui/desktop/termlabel.h"
#include "ui/season/calibrationchart.h"
#include "ui/season/columnspane.h"
#include "ui/season/comparepane.h"
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
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox *numberBox(QWidget *parent, double low, double high, double value)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(low, high);
    box->setSingleStep(0.01);
    box->setDecimals(4);
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

Range rangeOf(Coefficient coefficient)
{
    if (coefficient == Coefficient::Beta)
        return BetaRange;
    if (coefficient == Coefficient::Alpha || coefficient == Coefficient::Gamma)
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
    m_modelBox->setToolTip(QStringLiteral(
        "勝率から2着・3着の確率を作る方法です。Harville は勝率をそのまま使い、割引は 2着を p^λ、"
        "3着を p^ρ で作ります。"));
    m_lambda->setToolTip(QStringLiteral(
        "割引モデルで 2着の確率を作るときの勝率の指数です。1 未満なら人気薄が 2着に来やすく"
        "なります。"));
    m_rho->setToolTip(QStringLiteral(
        "割引モデルで 3着の確率を作るときの勝率の指数です。1 未満なら人気薄が 3着に来やすく"
        "なります。"));
    m_beta->setToolTip(QStringLiteral(
        "支持率を β 乗して勝率にします。1 より大きいと人気馬に、小さいと人気薄に勝率を"
        "寄せます。"));
    m_alpha->setToolTip(QStringLiteral(
        "結合モデルで自分の列の支持率に掛ける指数です。大きいほど自分の予想を重く見ます。"));
    m_gamma->setToolTip(QStringLiteral(
        "結合モデルで市場（オッズ・投票金）の支持率に掛ける指数です。大きいほど市場を重く"
        "見ます。"));
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
    m_reload = new QPushButton(QStringLiteral("再読み込み"), this);
    m_reload->setToolTip(QStringLiteral("フォルダを読み直します（結果を入れたあとなど）"));
    connect(m_reload, &QPushButton::clicked, this, &SeasonWindow::start);
    auto *progress = new QHBoxLayout;
    progress->addWidget(m_reload);
    progress->addWidget(m_progress, 1);
    progress->addWidget(m_cancel);
    progress->addWidget(m_status, 1);

    m_summaryLabel = new TermLabel(this);
    m_summaryLabel->addTerm(QStringLiteral("レース"),
                            QStringLiteral("結果があって数えたレースの数です。"));
    m_summaryLabel->addTerm(QStringLiteral("除外"),
                            QStringLiteral("結果がない、またはモデルで計算できずに数えなかった"
                                           "ドキュメントの数です。"));
    m_summaryLabel->addTerm(
        QStringLiteral("対数尤度"),
        QStringLiteral("実際の1～3着の起こりやすさの対数の合計です。0 に近い（大きい）ほど"
                       "モデルが結果をよく言い当てています。"));
    m_summaryLabel->addTerm(QStringLiteral("勝ち馬のみ"),
                            QStringLiteral("1着だけで数えた対数尤度です。0 に近いほど良い。"));
    m_summaryLabel->addTerm(
        QStringLiteral("ブライアスコア"),
        QStringLiteral("各馬の勝率と実際の勝ち負け（1 か 0）の差の二乗のレースごとの合計の"
                       "平均です。小さいほど良い。"));
    m_summaryLabel->addTerm(QStringLiteral("本命（確率1位）の勝利"),
                            QStringLiteral("モデルで勝率が一番高い馬が勝ったレースの数と割合"
                                           "です。多いほど良い。"));
    m_summaryLabel->addTerm(QStringLiteral("1番人気の勝利"),
                            QStringLiteral("市場（オッズ・投票金）で一番人気の馬が勝ったレースの"
                                           "数と割合です。本命の勝利と比べてください。"));

    m_tableModel = new SeasonTableModel(this);
    m_proxy = new QSortFilterProxyModel(this);
    m_proxy->setSourceModel(m_tableModel);
    m_proxy->setSortRole(SeasonTableModel::SortRole);
    m_table = new QTableView(this);
    m_table->setModel(m_proxy);
    m_table->setSortingEnabled(true);
    m_table->sortByColumn(-1, Qt::AscendingOrder);
    addKeyboardSort(m_table);
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
    m_bins = new QStandardItemModel(0, 6, this);
    m_bins->setHorizontalHeaderLabels({QStringLiteral("確率 下"), QStringLiteral("確率 上"),
                                       QStringLiteral("頭数"), QStringLiteral("平均の確率"),
                                       QStringLiteral("勝ち"), QStringLiteral("95%区間 (Wilson)")});
    auto *chartPng = new QPushButton(QStringLiteral("PNGで保存"), this);
    connect(chartPng, &QPushButton::clicked, this, [this] {
        saveWidgetPngAs(m_chart->picture(), QStringLiteral("較正.png"),
                        QStringLiteral("PNGで保存"));
    });
    auto *copyBins = new QPushButton(QStringLiteral("較正表をコピー"), this);
    connect(copyBins, &QPushButton::clicked, this, [this] { copyTable(*m_bins); });
    auto *saveBins = new QPushButton(QStringLiteral("較正表をCSVで保存"), this);
    connect(saveBins, &QPushButton::clicked, this,
            [this] { saveTableCsvAs(this, *m_bins, QStringLiteral("較正.csv")); });
    auto *chartButtons = new QHBoxLayout;
    chartButtons->addStretch(1);
    chartButtons->addWidget(chartPng);
    chartButtons->addWidget(copyBins);
    chartButtons->addWidget(saveBins);

    m_fitModel = new QComboBox(this);
    m_fitModel->addItems({QStringLiteral("Harville (β)"), QStringLiteral("割引 (β, λ, ρ)"),
                          QStringLiteral("結合 (α, γ)"), QStringLiteral("列ごと (各列, γ)")});
    m_fitModel->setAccessibleName(QStringLiteral("当てはめるモデル"));
    m_holdout = numberBox(this, 0, 0.9, 0);
    m_holdout->setDecimals(2);
    m_holdout->setSingleStep(0.05);
    m_holdout->setAccessibleName(QStringLiteral("検証に残す割合"));
    m_holdout->setToolTip(
        QStringLiteral("日付の新しいレースをこの割合だけ当てはめに使わず、検証に残します"));
    m_fitButton = new QPushButton(QStringLiteral("当てはめ"), this);
    m_fitLabel = new TermLabel(this);
    m_fitLabel->setWordWrap(true);
    m_fitLabel->addTerm(QStringLiteral("レース"),
                        QStringLiteral("当てはめに使ったレースの数です。"));
    m_fitLabel->addTerm(QStringLiteral("除外"),
                        QStringLiteral("このモデルで計算できずに使わなかったドキュメントの数"
                                       "です。"));
    const QString error = QStringLiteral("± の後は標準誤差で、小さいほど値は確かです。");
    m_fitLabel->addTerm(QStringLiteral("β ="),
                        QStringLiteral("当てはめた β（支持率を勝率にする指数）です。") + error);
    m_fitLabel->addTerm(QStringLiteral("λ ="),
                        QStringLiteral("当てはめた λ（2着の確率を作る指数）です。") + error);
    m_fitLabel->addTerm(QStringLiteral("ρ ="),
                        QStringLiteral("当てはめた ρ（3着の確率を作る指数）です。") + error);
    m_fitLabel->addTerm(QStringLiteral("α ="),
                        QStringLiteral("当てはめた α（自分の列の重み）です。") + error);
    m_fitLabel->addTerm(QStringLiteral("γ ="),
                        QStringLiteral("当てはめた γ（市場の重み）です。") + error);
    m_fitLabel->addTerm(QStringLiteral("対数尤度"),
                        QStringLiteral("当てはめ前と後の対数尤度です。後が大きい（0 に近い）"
                                       "ほど結果をよく説明しています。"));
    m_fitLabel->addTerm(QStringLiteral("検証"),
                        QStringLiteral("当てはめに使わなかったレースでの対数尤度です。当てはめ"
                                       "前より下がるなら過学習の疑いがあります。"));
    // An own column's exponent (the columns model), named by its header.
    m_fitLabel->addPattern(QStringLiteral("[^\\n=（）　]+ = "),
                           QStringLiteral("当てはめたこの列の指数です。0 なら勝敗に関係がなく、"
                                          "大きいほど重く効きます。") +
                               error);
    m_defaultsButton = new QPushButton(QStringLiteral("分析の既定にする"), this);
    m_defaultsButton->setToolTip(
        QStringLiteral("当てはめた値を、これからの分析の既定にします（保存済みの分析はそのまま）"));
    m_noteLabel = new QLabel(this);
    m_noteLabel->setWordWrap(true);
    connect(m_fitButton, &QPushButton::clicked, this, &SeasonWindow::fit);
    connect(m_defaultsButton, &QPushButton::clicked, this, &SeasonWindow::makeDefaults);
    m_useButton = new QPushButton(QStringLiteral("この値を使う"), this);
    m_useButton->setToolTip(QStringLiteral(
        "当てはめた値を丸めずに上のモデルに入れ、成績とバックテストをその値で計算します"));
    connect(m_useButton, &QPushButton::clicked, this, [this] { useFit(m_fit); });

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
    auto *fitButtons = new QHBoxLayout;
    fitButtons->addWidget(m_useButton);
    fitButtons->addWidget(m_defaultsButton);
    fitButtons->addStretch(1);
    fitLayout->addLayout(fitButtons);
    fitLayout->addWidget(m_noteLabel);

    auto *right = new QWidget(this);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_chart, 1);
    rightLayout->addLayout(chartButtons);
    rightLayout->addWidget(fitBox);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_table);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto *copySeason = new QPushButton(QStringLiteral("表をコピー"), this);
    connect(copySeason, &QPushButton::clicked, this, [this] { copyTable(*m_proxy); });
    auto *saveSeason = new QPushButton(QStringLiteral("CSVで保存"), this);
    connect(saveSeason, &QPushButton::clicked, this,
            [this] { saveTableCsvAs(this, *m_proxy, QStringLiteral("成績.csv")); });
    auto *summaryRow = new QHBoxLayout;
    summaryRow->addWidget(m_summaryLabel, 1);
    summaryRow->addWidget(copySeason);
    summaryRow->addWidget(saveSeason);
    auto *seasonPage = new QWidget(this);
    auto *seasonLayout = new QVBoxLayout(seasonPage);
    seasonLayout->addLayout(summaryRow);
    seasonLayout->addWidget(splitter, 1);
    // The back-test estimates under the model chosen above.
    m_backtest = new BacktestPanel(m_folder, this);
    m_backtest->setModelSource([this] { return model(); });
    connect(m_backtest, &BacktestPanel::openRequested, this, &SeasonWindow::openRequested);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(seasonPage, QStringLiteral("成績"));
    m_compare = new ComparePane(this);
    m_compare->setRaces(&m_races);
    connect(m_compare, &ComparePane::useRequested, this, &SeasonWindow::useFit);
    m_tabs->addTab(m_compare, QStringLiteral("比較"));
    m_columns = new ColumnsPane(this);
    connect(m_compare, &ComparePane::compared, this, [this] {
        const ComparedModel *columns = m_compare->comparison().model(QStringLiteral("columns"));
        m_columns->setFit(columns ? columns->fit : SeasonFit());
    });
    m_tabs->addTab(m_columns, QStringLiteral("列"));
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
    m.lambda = exactValue(m_lambda);
    m.rho = exactValue(m_rho);
    m.beta = exactValue(m_beta);
    m.combine = m_combine->isChecked();
    m.alpha = exactValue(m_alpha);
    m.gamma = exactValue(m_gamma);
    return m;
}

double SeasonWindow::exactValue(const QDoubleSpinBox *box) const
{
    const auto it = m_exact.find(box);
    return it != m_exact.end() && it->second.second == box->value() ? it->second.first
                                                                    : box->value();
}

void SeasonWindow::putExact(QDoubleSpinBox *box, double value)
{
    box->setValue(value);
    m_exact[box] = {value, box->value()};
}

QAbstractItemModel *SeasonWindow::seasonTable() const
{
    return m_proxy;
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
    putExact(m_lambda, m.lambda);
    putExact(m_rho, m.rho);
    putExact(m_beta, m.beta);
    m_combine->setChecked(m.combine);
    putExact(m_alpha, m.alpha);
    putExact(m_gamma, m.gamma);
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
            m_readRaces.push_back(readSeasonRace(files, files.files[i], true, true));
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
    m_backtest->checkConditions(); // its result may be of another model now
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
    m_summaryLabel->setPlainText(summaryText());
    m_chart->setBins(m_summary.bins);
    m_bins->removeRows(0, m_bins->rowCount());
    for (const CalibrationBin &b : m_summary.bins) {
        const auto [low, high] = wilsonInterval(b.wins, b.count);
        m_bins->appendRow(
            {new QStandardItem(QString::number(b.low, 'f', 2)),
             new QStandardItem(QString::number(b.high, 'f', 2)),
             new QStandardItem(QString::number(b.count)),
             new QStandardItem(QString::number(b.meanP(), 'f', 6)),
             new QStandardItem(QString::number(b.wins)),
             new QStandardItem(
                 b.count > 0 ? QStringLiteral("%1～%2").arg(low, 0, 'f', 4).arg(high, 0, 'f', 4)
                             : QString())});
    }
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
    if (m_fit.model == FitModel::Columns)
        m_columns->setFit(m_fit);
    m_note.clear();
    m_fitLabel->setPlainText(fitText());
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
                     .arg(v.symbol())
                     .arg(v.value, 0, 'f', 4)
                     .arg(v.error, 0, 'f', 4);
    for (const FitWarning &w : f.warnings)
        lines << QStringLiteral("注意: %1 は%2").arg(w.symbol(), w.textJa);
    const bool combined = f.model == FitModel::Combined || f.model == FitModel::Columns;
    const QString before =
        combined ? QStringLiteral("自分の列だけ (α 1, γ 0)") : QStringLiteral("当てはめ前");
    for (const auto &[name, count] : f.unused)
        lines << QStringLiteral("列「%1」は %2 件のドキュメントにしかないので使っていません。")
                     .arg(name)
                     .arg(count);
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
    if (f.holdoutRaces > 0 && f.holdoutAfter < f.holdoutBefore)
        lines << QStringLiteral("検証用のレースでは当てはめ前より悪くなりました：当てはめは過学習"
                                "の可能性があります");
    return lines.join(QLatin1Char('\n'));
}

void SeasonWindow::makeDefaults()
{
    if (!m_haveFit || !m_fit.ok()) {
        m_note = QStringLiteral("先に当てはめてください。");
        m_noteLabel->setText(m_note);
        return;
    }
    m_note = outOfRange(m_fit);
    if (!m_note.isEmpty()) {
        m_noteLabel->setText(m_note);
        return;
    }
    SeasonDefaults d;
    switch (m_fit.model) {
    case FitModel::Harville:
        d.beta = m_fit.value(Coefficient::Beta);
        break;
    case FitModel::Discount:
        d.model = OrderModel::Discount;
        d.beta = m_fit.value(Coefficient::Beta);
        d.lambda = m_fit.value(Coefficient::Lambda);
        d.rho = m_fit.value(Coefficient::Rho);
        break;
    case FitModel::Combined:
    case FitModel::Market:
    case FitModel::Own:
        d.combine = true;
        d.alpha = m_fit.model == FitModel::Market ? 0 : m_fit.value(Coefficient::Alpha);
        d.gamma = m_fit.model == FitModel::Own ? 0 : m_fit.value(Coefficient::Gamma);
        break;
    case FitModel::Columns:
        break;
    }
    const QString error =
        m_storeDefaults ? m_storeDefaults(d) : QStringLiteral("保存先がありません");
    m_note = error.isEmpty() ? QStringLiteral("これからの分析の既定にしました。")
                             : QStringLiteral("既定にできませんでした：") + error;
    m_noteLabel->setText(m_note);
}

QString SeasonWindow::outOfRange(const SeasonFit &fit) const
{
    if (fit.model == FitModel::Columns)
        return QStringLiteral(
            "列ごとの指数はモデルの欄に入りません。結合 (α, γ) を使ってください。");
    for (const FitValue &v : fit.values) {
        const Range r = rangeOf(v.coefficient);
        if (!(v.value >= r.low && v.value <= r.high))
            return QStringLiteral("%1 = %2 は範囲 (%3～%4) の外です。")
                .arg(v.symbol())
                .arg(v.value, 0, 'f', 4)
                .arg(r.low)
                .arg(r.high);
    }
    return {};
}

bool SeasonWindow::useFit(const SeasonFit &fit)
{
    m_note = !fit.ok() ? QStringLiteral("先に当てはめてください。") : outOfRange(fit);
    if (!m_note.isEmpty()) {
        m_noteLabel->setText(m_note);
        return false;
    }
    SeasonModel m = model();
    m.order = fit.model == FitModel::Discount ? OrderModel::Discount : OrderModel::Harville;
    m.combine = fit.model != FitModel::Harville && fit.model != FitModel::Discount;
    for (const FitValue &v : fit.values) {
        const Coefficient c = v.coefficient;
        (c == Coefficient::Beta     ? m.beta
         : c == Coefficient::Lambda ? m.lambda
         : c == Coefficient::Rho    ? m.rho
         : c == Coefficient::Alpha  ? m.alpha
                                    : m.gamma) = v.value;
    }
    if (fit.model == FitModel::Market)
        m.alpha = 0;
    if (fit.model == FitModel::Own)
        m.gamma = 0;
    setModel(m);
    m_note = QStringLiteral("当てはめた値を丸めずに使っています（表示は小数4桁）。");
    m_noteLabel->setText(m_note);
    return true;
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
    m_useButton->setEnabled(m_haveFit && m_fit.ok());
    m_reload->setEnabled(!running);
    m_compare->setEnabled(!running);
    m_compare->setRaces(&m_races); // 比較 once there are races
}
