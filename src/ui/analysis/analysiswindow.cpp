#include "ui/analysis/analysiswindow.h"

#include "core/analysis/oddspaste.h"
#include "core/document/oddsdocument.h"
#include "ui/analysis/analysistablemodel.h"
#include "ui/analysis/stakepanel.h"
#include "ui/desktop/clipboard.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/print/printpreviewwindow.h"

#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox *NumberBox(QWidget *parent, double low, double high, double step, int decimals)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setKeyboardTracking(false);
    return box;
}

QLabel *Swatch(const QColor &colour, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setFixedSize(16, 16);
    label->setStyleSheet(
        QStringLiteral("background: %1; border: 1px solid #808080;").arg(colour.name()));
    return label;
}

} // namespace

AnalysisWindow::AnalysisWindow(DocumentAnalysis *analysis, QWidget *parent)
    : QWidget(parent), m_analysis(analysis)
{
    setObjectName(QStringLiteral("AnalysisWindow"));
    m_model = new AnalysisTableModel(this);
    m_proxy = new TopRowsProxy(this);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(AnalysisTableModel::SortRole);
    m_view = new QTableView(this);
    m_view->setModel(m_proxy);
    m_view->setSortingEnabled(true);
    m_view->sortByColumn(AnalysisTableModel::ProbabilityCol, Qt::DescendingOrder);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->horizontalHeader()->setDefaultSectionSize(78);
    m_stakes = new StakePanel(this);
    buildControls();

    connect(m_model, &AnalysisTableModel::actualOddsEdited, this,
            [this](const Ticket &ticket, const QuotedOdds &odds) {
                m_pasteError.clear();
                edit([&](AnalysisInputs &in) {
                    if (odds.odds > 0)
                        in.actualOf(in.betType)[ticket] = odds;
                    else
                        in.actualOf(in.betType).erase(ticket);
                });
            });
    connect(m_model, &AnalysisTableModel::actualOddsRefused, this, [this](const QString &why) {
        m_pasteError = why;
        m_errorOfTyping = true;
        showStatus();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &AnalysisWindow::selectionEdited);
    connect(m_stakes, &StakePanel::settingsEdited, this,
            [this](qint64 budget, bool kelly, double fraction, qint64 bankroll) {
                edit([&](AnalysisInputs &in) {
                    in.budget = budget;
                    in.kelly = kelly;
                    in.kellyFraction = fraction;
                    in.bankroll = bankroll;
                });
            });
    connect(analysis, &DocumentAnalysis::updated, this, &AnalysisWindow::update);
    update(DocumentAnalysis::Change::Race);
}

void AnalysisWindow::buildControls()
{
    m_betType = new QComboBox(this);
    for (const BetType type : AllBetTypes)
        m_betType->addItem(BetTypeLabel(type));
    m_modelBox = new QComboBox(this);
    m_modelBox->addItems(
        {QStringLiteral("Harville"), QStringLiteral("割引"), QStringLiteral("正規")});
    m_lambda = NumberBox(this, 0.01, MaxLambda, 0.01, 2);
    m_rho = NumberBox(this, 0.01, MaxLambda, 0.01, 2);
    m_beta = NumberBox(this, 0.1, MaxBeta, 0.05, 2);
    m_combine = new QToolButton(this);
    m_combine->setText(QStringLiteral("結合"));
    m_combine->setCheckable(true);
    m_combine->setToolTip(QStringLiteral(
        "勝率を 自分の列の支持率^α × 市場の列（オッズ・投票金）の支持率^γ から作ります"));
    m_alpha = NumberBox(this, -MaxCombine, MaxCombine, 0.05, 2);
    m_gamma = NumberBox(this, -MaxCombine, MaxCombine, 0.05, 2);
    m_ratio = NumberBox(this, 1, 100, 0.5, 1);
    m_ratio->setSuffix(QStringLiteral(" %"));
    m_high = NumberBox(this, 1, 10, 0.05, 2);
    m_low = NumberBox(this, 0.05, 1, 0.05, 2);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);

    auto *parameters = new QHBoxLayout;
    const auto add = [&](const QString &label, QWidget *w) {
        parameters->addWidget(new QLabel(label, this));
        parameters->addWidget(w);
        w->setAccessibleName(label);
    };
    add(QStringLiteral("券種"), m_betType);
    add(QStringLiteral("モデル"), m_modelBox);
    add(QStringLiteral("λ"), m_lambda);
    add(QStringLiteral("ρ"), m_rho);
    add(QStringLiteral("β"), m_beta);
    parameters->addWidget(m_combine);
    add(QStringLiteral("α"), m_alpha);
    add(QStringLiteral("γ"), m_gamma);
    add(QStringLiteral("払戻率"), m_ratio);
    parameters->addStretch(1);

    auto *legend = new QHBoxLayout;
    legend->addWidget(Swatch(AnalysisTableModel::overlookedColor(), this));
    legend->addWidget(new QLabel(QStringLiteral("割安（実÷推定 ≧"), this));
    m_high->setAccessibleName(QStringLiteral("割安のしきい値"));
    m_low->setAccessibleName(QStringLiteral("過剰人気のしきい値"));
    legend->addWidget(m_high);
    legend->addWidget(new QLabel(QStringLiteral("）"), this));
    legend->addWidget(Swatch(AnalysisTableModel::overBetColor(), this));
    legend->addWidget(new QLabel(QStringLiteral("過剰人気（≦"), this));
    legend->addWidget(m_low);
    legend->addWidget(new QLabel(QStringLiteral("）"), this));
    legend->addStretch(1);
    auto *copyButton = new QToolButton(this);
    copyButton->setText(QStringLiteral("表をコピー"));
    auto *pasteButton = new QToolButton(this);
    pasteButton->setText(QStringLiteral("実オッズを貼り付け"));
    m_topRows = new QSpinBox(this);
    m_topRows->setRange(0, 9999);
    m_topRows->setSpecialValueText(QStringLiteral("すべて"));
    m_topRows->setPrefix(QStringLiteral("上位 "));
    m_topRows->setToolTip(QStringLiteral("確率の高い買い目だけを表示・印刷します"));
    m_topRows->setAccessibleName(QStringLiteral("表示する上位の買い目数"));
    auto *printButton = new QToolButton(this);
    printButton->setText(QStringLiteral("印刷..."));
    legend->addWidget(m_topRows);
    legend->addWidget(pasteButton);
    legend->addWidget(copyButton);
    legend->addWidget(printButton);
    auto *jraButton = new QToolButton(this);
    jraButton->setText(QStringLiteral("払戻率をJRAに戻す"));
    auto *defaultsButton = new QToolButton(this);
    defaultsButton->setText(QStringLiteral("分析の既定にする"));
    defaultsButton->setToolTip(QStringLiteral(
        "モデル・λ・ρ・β・払戻率・色分けのしきい値を、これからの分析の既定にします"));
    parameters->addWidget(jraButton);
    parameters->addWidget(defaultsButton);
    connect(jraButton, &QToolButton::clicked, this, &AnalysisWindow::restoreJraRatios);
    connect(defaultsButton, &QToolButton::clicked, this, &AnalysisWindow::makeDefaults);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_view);
    splitter->addWidget(m_stakes);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setChildrenCollapsible(false);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(parameters);
    layout->addLayout(legend);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);

    connect(copyButton, &QToolButton::clicked, this, &AnalysisWindow::copyTable);
    connect(printButton, &QToolButton::clicked, this, &AnalysisWindow::print);
    connect(m_topRows, &QSpinBox::valueChanged, this, &AnalysisWindow::setTopRows);
    connect(pasteButton, &QToolButton::clicked, this, &AnalysisWindow::paste);
    connect(m_betType, &QComboBox::currentIndexChanged, this,
            [this](int i) { setBetType(AllBetTypes[size_t(i)]); });
    connect(m_modelBox, &QComboBox::currentIndexChanged, this, [this](int i) {
        edit([&](AnalysisInputs &in) { in.parameters.model = OrderModel(i); });
    });
    const auto number = [this](QDoubleSpinBox *box, auto apply) {
        connect(box, &QDoubleSpinBox::valueChanged, this,
                [this, apply](double v) { edit([&](AnalysisInputs &in) { apply(in, v); }); });
    };
    number(m_lambda, [](AnalysisInputs &in, double v) { in.parameters.lambda = v; });
    number(m_rho, [](AnalysisInputs &in, double v) { in.parameters.rho = v; });
    number(m_beta, [](AnalysisInputs &in, double v) { in.parameters.beta = v; });
    number(m_alpha, [](AnalysisInputs &in, double v) { in.parameters.alpha = v; });
    number(m_gamma, [](AnalysisInputs &in, double v) { in.parameters.gamma = v; });
    connect(m_combine, &QToolButton::toggled, this,
            [this](bool on) { edit([on](AnalysisInputs &in) { in.parameters.combine = on; }); });
    number(m_ratio,
           [](AnalysisInputs &in, double v) { in.parameters.setRatio(in.betType, v / 100); });
    number(m_high, [](AnalysisInputs &in, double v) { in.highRatio = v; });
    number(m_low, [](AnalysisInputs &in, double v) { in.lowRatio = v; });
}

void AnalysisWindow::edit(const std::function<void(AnalysisInputs &)> &change)
{
    if (!m_analysis)
        return;
    AnalysisInputs in = m_analysis->inputs();
    change(in);
    m_analysis->state().setInputs(in);
}

void AnalysisWindow::makeDefaults()
{
    if (!m_analysis || !m_storeDefaults)
        return;
    const QString error = m_storeDefaults(m_analysis->inputs());
    m_noteIsError = !error.isEmpty();
    m_note = m_noteIsError ? QStringLiteral("既定にできませんでした：") + error
                           : QStringLiteral("この分析のモデル・λ・ρ・β・払戻率・しきい値を、"
                                            "これからの分析の既定にしました。");
    showStatus();
}

void AnalysisWindow::restoreJraRatios()
{
    edit([](AnalysisInputs &in) { in.parameters.payoutRatio = AnalysisParameters{}.payoutRatio; });
}

void AnalysisWindow::setBetType(BetType type)
{
    m_pasteError.clear();
    edit([&](AnalysisInputs &in) { in.betType = type; });
}

void AnalysisWindow::update(DocumentAnalysis::Change change)
{
    if (!m_analysis)
        return;
    m_note.clear();
    syncControls();
    if (change == DocumentAnalysis::Change::Values) {
        m_model->setValues(m_analysis->inputs());
    } else {
        m_model->setTable(m_analysis->table(), m_analysis->race(), m_analysis->inputs());
        // Refitted for another bet type only: widths the user dragged stay while they apply.
        if (m_fittedType != int(m_model->table().type)) {
            m_fittedType = int(m_model->table().type);
            fitColumns();
        }
        selectPicks();
    }
    refreshStakes();
    showStatus();
}

void AnalysisWindow::fitColumns()
{
    // Wide enough for the header and the widest text a column can hold, so that the window's
    // default width shows every column; names are cut off at some point.
    const QFontMetrics metrics = m_view->fontMetrics();
    const QFontMetrics header = m_view->horizontalHeader()->fontMetrics();
    const QString widestNumber = QStringLiteral("99999.9");
    for (int c = 0; c < m_model->columnCount(); ++c) {
        int width = header.horizontalAdvance(
                        m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    24; // the sort arrow
        int text = metrics.horizontalAdvance(widestNumber);
        if (c == AnalysisTableModel::TicketCol || c == AnalysisTableModel::NamesCol) {
            text = 0;
            for (int r = 0; r < m_model->rowCount(); ++r)
                text = std::max(text, metrics.horizontalAdvance(
                                          m_model->index(r, c).data(Qt::DisplayRole).toString()));
            if (c == AnalysisTableModel::NamesCol)
                text = std::min(text, 24 * metrics.averageCharWidth() + 150);
        }
        m_view->setColumnWidth(c, std::max(width, text + 12));
    }
}

int AnalysisWindow::tableWidth() const
{
    int width = 2 * m_view->frameWidth() + m_view->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_model->columnCount(); ++c)
        width += m_view->columnWidth(c);
    return width;
}

QSize AnalysisWindow::sizeHint() const
{
    const QSize hint = QWidget::sizeHint();
    const QMargins margins = layout()->contentsMargins();
    const int stakes = m_stakes->sizeHint().width();
    return {std::max(hint.width(), tableWidth() + stakes + 8 + margins.left() + margins.right()),
            std::max(hint.height(), 600)};
}

void AnalysisWindow::syncControls()
{
    const AnalysisInputs &in = m_analysis->inputs();
    const QSignalBlocker b1(m_betType), b2(m_modelBox), b3(m_lambda), b4(m_rho), b5(m_beta),
        b6(m_ratio), b7(m_high), b8(m_low), b9(m_combine), b10(m_alpha), b11(m_gamma);
    m_betType->setCurrentIndex(int(in.betType));
    m_modelBox->setCurrentIndex(int(in.parameters.model));
    m_lambda->setValue(in.parameters.lambda);
    m_rho->setValue(in.parameters.rho);
    const bool discount = in.parameters.model == OrderModel::Discount;
    m_lambda->setEnabled(discount);
    m_rho->setEnabled(discount);
    m_beta->setValue(in.parameters.beta);
    m_combine->setChecked(in.parameters.combine);
    m_alpha->setValue(in.parameters.alpha);
    m_gamma->setValue(in.parameters.gamma);
    m_beta->setEnabled(!in.parameters.combine);
    m_alpha->setEnabled(in.parameters.combine);
    m_gamma->setEnabled(in.parameters.combine);
    m_ratio->setValue(in.parameters.ratio(in.betType) * 100);
    m_high->setValue(in.highRatio);
    m_low->setValue(in.lowRatio);
}

void AnalysisWindow::showStatus()
{
    QString text;
    bool error = true;
    if (!m_pasteError.isEmpty()) {
        text = (m_errorOfTyping ? QStringLiteral("実オッズにできません：")
                                : QStringLiteral("貼り付けできません（何も変えていません）：")) +
               m_pasteError;
    } else if (!m_note.isEmpty()) {
        text = m_note;
        error = m_noteIsError;
    } else if (!m_model->table().error.isEmpty()) {
        text = QStringLiteral("分析できません：") + m_model->table().error;
        error = false;
    } else {
        text = QStringLiteral("%1 点").arg(m_model->rowCount());
        if (m_proxy->rowCount() < m_model->rowCount())
            text += QStringLiteral("（確率の高い %1 点を表示）").arg(m_proxy->rowCount());
        error = false;
    }
    m_status->setText(text);
    m_status->setStyleSheet(error ? QStringLiteral("color: #c00000;") : QString());
}

QString AnalysisWindow::statusText() const
{
    return m_status->text();
}

std::vector<int> AnalysisWindow::rowsInViewOrder(bool selectedOnly) const
{
    std::vector<int> rows;
    const QItemSelectionModel *selection = m_view->selectionModel();
    for (int r = 0; r < m_proxy->rowCount(); ++r) {
        const QModelIndex at = m_proxy->index(r, 0);
        if (!selectedOnly || selection->isRowSelected(r, {}))
            rows.push_back(m_proxy->mapToSource(at).row());
    }
    return rows;
}

void AnalysisWindow::selectPicks()
{
    const std::set<Ticket> &picks = m_analysis->inputs().picksOf(m_model->table().type);
    QItemSelection selection;
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (!picks.count(m_model->row(r).ticket))
            continue;
        const QModelIndex at = m_proxy->mapFromSource(m_model->index(r, 0));
        if (at.isValid()) // hidden by the top rows filter: still picked, only not in view
            selection.select(at, at);
    }
    m_selecting = true;
    m_view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
    m_selecting = false;
}

void AnalysisWindow::selectionEdited()
{
    if (m_selecting || !m_analysis)
        return;
    std::set<Ticket> selected;
    for (const int r : rowsInViewOrder(true))
        selected.insert(m_model->row(r).ticket);
    // Only the rows in view were there to be clicked: picks hidden by the filter or missing
    // from a smaller field stay.
    std::set<Ticket> picks = m_analysis->inputs().picksOf(m_model->table().type);
    for (const int r : rowsInViewOrder(false))
        picks.erase(m_model->row(r).ticket);
    picks.insert(selected.begin(), selected.end());
    if (picks == m_analysis->inputs().picksOf(m_model->table().type))
        return;
    edit([&](AnalysisInputs &in) { in.picksOf(in.betType) = picks; });
}

std::vector<int> AnalysisWindow::pickedRows() const
{
    const std::set<Ticket> &picks = m_analysis->inputs().picksOf(m_model->table().type);
    std::vector<int> rows = rowsInViewOrder(true);
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (picks.count(m_model->row(r).ticket) &&
            !m_proxy->mapFromSource(m_model->index(r, 0)).isValid())
            rows.push_back(r);
    return rows;
}

void AnalysisWindow::refreshStakes()
{
    m_stakes->showStakes(m_model->table(), pickedRows(), m_analysis->inputs());
}

void AnalysisWindow::copy()
{
    std::vector<int> rows = rowsInViewOrder(true);
    if (rows.empty())
        rows = rowsInViewOrder(false);
    SetClipboardText(AnalysisRowsText(*m_model, rows));
}

void AnalysisWindow::copyTable()
{
    SetClipboardText(AnalysisRowsText(*m_model, rowsInViewOrder(false)));
}

void AnalysisWindow::setTopRows(int n)
{
    if (m_topRows->value() != n) {
        m_topRows->setValue(n); // comes back here through valueChanged
        return;
    }
    // The view drops the selection of rows the filter hides while the proxy is mid-change:
    // that is no edit of the picks (and an edit then would change the model under the proxy).
    m_selecting = true;
    m_proxy->setTopRows(n);
    m_selecting = false;
    if (m_analysis) {
        selectPicks();
        refreshStakes();
        showStatus();
    }
}

void AnalysisWindow::print()
{
    if (!m_analysis)
        return;
    FillAnalysisPrintGrid(m_printGrid, *m_model, rowsInViewOrder(false), m_view->fontMetrics(),
                          TwipsPerPixelX());
    const OddsDocument *doc = m_analysis->document();
    const AnalysisInputs &in = m_analysis->inputs();
    const AnalysisParameters &p = in.parameters;
    // The second title line says what the numbers were computed with.
    QString model = m_modelBox->itemText(int(p.model));
    if (p.model == OrderModel::Discount)
        model += QStringLiteral("（λ %1, ρ %2）")
                     .arg(QString::number(p.lambda, 'f', 2), QString::number(p.rho, 'f', 2));
    const QString title =
        QStringLiteral("%1:%2:%3")
            .arg(BetTypeLabel(m_model->table().type), doc ? doc->titleText(0) : QString(),
                 doc ? doc->titleText(1) : QString()) +
        TitleSeparator +
        QStringLiteral("モデル %1　β %2　払戻率 %3%")
            .arg(model, QString::number(p.beta, 'f', 2),
                 QString::number(p.ratio(m_model->table().type) * 100, 'f', 1));
    PrintPreviewWindow::instance()->showTable(&m_printGrid, title, 9, this);
}

void AnalysisWindow::paste()
{
    pasteText(GetClipboardTexts().plain);
}

bool AnalysisWindow::pasteText(const QString &text)
{
    if (!m_analysis)
        return false;
    const BetType type = m_model->table().type;
    const Result<OddsLines> odds = ParsePastedOdds(text, type, m_analysis->race().highest(type),
                                                   TicketsByNumber(m_model->table()));
    m_pasteError = odds.ok() ? QString() : JapaneseText(odds.problem);
    m_errorOfTyping = false;
    if (odds.ok()) {
        int dropped = 0;
        // Each paste is a snapshot of the market at this time.
        const QString now = SnapshotTimeText(QDateTime::currentDateTime());
        edit([&](AnalysisInputs &in) {
            dropped = PasteSnapshot(&in, type, odds.value.odds, now);
            for (const Ticket &ticket : odds.value.scratched)
                in.actualOf(type).erase(ticket);
        });
        if (dropped > 0)
            m_pasteError =
                QStringLiteral("オッズの時点は%1までなので、いちばん古い時点を消しました。")
                    .arg(MaxSnapshots);
    }
    showStatus();
    return odds.ok();
}
