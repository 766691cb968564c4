#include "ui/analysis/analysiswindow.h"

#include "core/document/oddsdocument.h"
#include "core/market/oddspaste.h"
#include "ui/analysis/analysistablemodel.h"
#include "ui/analysis/payoutpanel.h"
#include "ui/analysis/stakepanel.h"
#include "ui/desktop/clipboard.h"
#include "ui/desktop/dialogs.h"
#include "ui/desktop/flowlayout.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/desktop/tablesort.h"
#include "ui/print/printpreviewwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QDoubleSpinBox *numberBox(QWidget *parent, double low, double high, double step, int decimals)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setRange(low, high);
    box->setSingleStep(step);
    box->setDecimals(decimals);
    box->setKeyboardTracking(false);
    return box;
}

QLabel *swatch(const QColor &colour, QWidget *parent)
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
    addKeyboardSort(m_view);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_view->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                            QAbstractItemView::AnyKeyPressed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 4);
    m_view->verticalHeader()->hide();
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->horizontalHeader()->setDefaultSectionSize(78);
    m_stakes = new StakePanel(this);
    m_payouts = new PayoutPanel(this);
    buildControls();
    connect(m_payouts, &PayoutPanel::payoutsEntered, this, &AnalysisWindow::enterPayouts);

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
    // The selection only reads; the 買う column picks.
    connect(m_model, &AnalysisTableModel::pickEdited, this,
            [this](const Ticket &ticket, bool picked) { setPicked({ticket}, picked); });
    m_view->installEventFilter(this);
    // Tab moves on to the next control rather than from cell to cell.
    m_view->setTabKeyNavigation(false);
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
        m_betType->addItem(betTypeLabel(type));
    m_modelBox = new QComboBox(this);
    m_modelBox->addItems(
        {QStringLiteral("Harville"), QStringLiteral("割引"), QStringLiteral("正規")});
    m_lambda = numberBox(this, 0.01, MaxLambda, 0.01, 2);
    m_rho = numberBox(this, 0.01, MaxLambda, 0.01, 2);
    m_beta = numberBox(this, 0.1, MaxBeta, 0.05, 2);
    m_combine = new QToolButton(this);
    m_combine->setText(QStringLiteral("結合"));
    m_combine->setCheckable(true);
    m_combine->setToolTip(QStringLiteral(
        "勝率を 自分の列の支持率^α × 市場の列（オッズ・投票金）の支持率^γ から作ります"));
    m_alpha = numberBox(this, -MaxCombine, MaxCombine, 0.05, 2);
    m_gamma = numberBox(this, -MaxCombine, MaxCombine, 0.05, 2);
    m_ratio = numberBox(this, 1, 100, 0.5, 1);
    m_ratio->setSuffix(QStringLiteral(" %"));
    m_high = numberBox(this, 1, 10, 0.05, 2);
    m_low = numberBox(this, 0.05, 1, 0.05, 2);
    m_status = new QLabel(this);
    m_status->setWordWrap(true);

    auto *parameters = new QHBoxLayout;
    const auto add = [&](const QString &label, QWidget *w) {
        // The label names the control (on Linux a combo box is read by its label).
        auto *caption = new QLabel(label, this);
        caption->setBuddy(w);
        parameters->addWidget(caption);
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
    legend->addWidget(swatch(m_model->colors().overlooked, this));
    legend->addWidget(new QLabel(QStringLiteral("割安（実÷推定 ≧"), this));
    m_high->setAccessibleName(QStringLiteral("割安のしきい値"));
    m_low->setAccessibleName(QStringLiteral("過剰人気のしきい値"));
    legend->addWidget(m_high);
    legend->addWidget(new QLabel(QStringLiteral("）"), this));
    legend->addWidget(swatch(m_model->colors().overBet, this));
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

    auto *side = new QSplitter(Qt::Vertical, this);
    side->addWidget(m_stakes);
    side->addWidget(m_payouts);
    side->setStretchFactor(0, 2);
    side->setStretchFactor(1, 1);
    side->setChildrenCollapsible(false);
    auto *splitter = new QSplitter(this);
    splitter->addWidget(m_view);
    splitter->addWidget(side);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setChildrenCollapsible(false);

    auto *layout = new QVBoxLayout(this);
    // Rows of controls wrap when the window is too narrow for them (a large scale or font).
    const auto wrapping = [](QLayout *row) {
        auto *flow = new FlowLayout;
        flow->takeItemsOf(row);
        delete row;
        return flow;
    };
    layout->addLayout(wrapping(parameters));
    layout->addLayout(wrapping(legend));
    layout->addLayout(wrapping(buildSnapshotRow()));
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);

    // Tab runs through the controls as they are laid out, then the table and the panels beside
    // it; the window opens with the first of them focused.
    const QList<QWidget *> order = {
        m_betType,      m_modelBox,       m_lambda,        m_rho,      m_beta,         m_combine,
        m_alpha,        m_gamma,          m_ratio,         jraButton,  defaultsButton, m_high,
        m_low,          m_topRows,        pasteButton,     copyButton, printButton,    m_snapshots,
        m_snapshotTime, m_deleteSnapshot, m_dropThreshold, m_view};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    setFocusProxy(m_betType);

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
    }
    syncSnapshots();
    showMoveColumns();
    m_payouts->showPayouts(m_analysis->inputs().payouts);
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
        if (c == AnalysisTableModel::PreviousCol || c == AnalysisTableModel::ChangeCol)
            continue; // fitted when shown
        int width = header.horizontalAdvance(
                        m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    24; // the sort arrow
        if (c == AnalysisTableModel::PickCol) {
            m_view->setColumnWidth(c, width - 12);
            continue;
        }
        // The ratio has its 割安 or 過剰人気 mark beside it.
        int text = c == AnalysisTableModel::RatioCol
                       ? metrics.horizontalAdvance(QStringLiteral("99.99")) + 14
                       : metrics.horizontalAdvance(widestNumber);
        if (c == AnalysisTableModel::TicketCol || c == AnalysisTableModel::NamesCol) {
            text = 0;
            for (int r = 0; r < m_model->rowCount(); ++r)
                text = std::max(text, metrics.horizontalAdvance(
                                          m_model->index(r, c).data(Qt::DisplayRole).toString()));
            if (c == AnalysisTableModel::NamesCol)
                // The 買う column (fitted first) takes its room from the names.
                text = std::min(text, 24 * metrics.averageCharWidth() + 150) -
                       m_view->columnWidth(AnalysisTableModel::PickCol);
        }
        m_view->setColumnWidth(c, std::max(width, text + 12));
    }
}

void AnalysisWindow::showMoveColumns()
{
    // Only with a snapshot before the one shown: without, they would be empty and push the
    // other columns out of a window of the default width.
    const bool shown = m_model->hasPrevious();
    const QFontMetrics metrics = m_view->fontMetrics();
    const QFontMetrics header = m_view->horizontalHeader()->fontMetrics();
    const BetType type = m_model->table().type;
    const bool appearing = shown && m_view->isColumnHidden(AnalysisTableModel::ChangeCol);
    for (const int c : {int(AnalysisTableModel::PreviousCol), int(AnalysisTableModel::ChangeCol)}) {
        m_view->setColumnHidden(c, !shown);
        if (!shown)
            continue;
        const QString widest = c == AnalysisTableModel::ChangeCol ? QStringLiteral("-99.9% 急落")
                               : type == BetType::Place || type == BetType::Wide
                                   ? QStringLiteral("999.9-999.9")
                                   : QStringLiteral("9999.9");
        const int width =
            std::max(header.horizontalAdvance(
                         m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                         24,
                     metrics.horizontalAdvance(widest) + 12);
        if (m_view->columnWidth(c) < width)
            m_view->setColumnWidth(c, width);
    }
    // Wider by the two columns where the area has room, rather than scrolling the table.
    auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget());
    if (appearing && sub && sub->mdiArea()) {
        const int room = sub->mdiArea()->viewport()->width() - sub->x();
        const int wanted = sub->width() + sizeHint().width() - width();
        if (wanted > sub->width())
            sub->resize(std::min(wanted, std::max(room, sub->width())), sub->height());
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
        if (m_model->snapshot() > 0)
            text += QStringLiteral("　%1 の時点を表示しています（実オッズを打ち込めるのは最新の"
                                   "時点だけです）")
                        .arg(m_snapshots->currentText());
        // A snapshot stamped ahead of the clock would stay "newer" than every paste.
        const AnalysisInputs &in = m_analysis->inputs();
        std::optional<QDateTime> newest;
        for (int k = 0; k < snapshotCount(in, in.betType); ++k)
            if (const auto t = parseSnapshotTime(snapshotTimeOf(in, in.betType, k)))
                newest = newest ? std::max(*newest, *t) : *t;
        if (newest && *newest > QDateTime::currentDateTime())
            text += QStringLiteral("　保存された時点 %1 は未来の時刻です（時計か時点の時刻を"
                                   "確かめてください）")
                        .arg(snapshotTimeText(*newest));
        error = false;
    }
    m_status->setText(text);
    m_status->setStyleSheet(error ? QStringLiteral("color: %1;").arg(m_model->colors().error.name())
                                  : QString());
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

void AnalysisWindow::setPicked(const std::vector<Ticket> &tickets, bool picked)
{
    if (!m_analysis)
        return;
    std::set<Ticket> picks = m_analysis->inputs().picksOf(m_model->table().type);
    for (const Ticket &ticket : tickets) {
        if (picked)
            picks.insert(ticket);
        else
            picks.erase(ticket);
    }
    if (picks == m_analysis->inputs().picksOf(m_model->table().type))
        return;
    edit([&](AnalysisInputs &in) { in.picksOf(in.betType) = picks; });
}

void AnalysisWindow::togglePicks()
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    const int row = m_proxy->mapToSource(current).row();
    const bool picked = !m_model->isPicked(row);
    std::vector<Ticket> tickets{m_model->row(row).ticket};
    // A selection that holds the current row is checked or cleared with it.
    if (m_view->selectionModel()->isRowSelected(current.row(), {}))
        for (const int r : rowsInViewOrder(true))
            tickets.push_back(m_model->row(r).ticket);
    setPicked(tickets, picked);
}

bool AnalysisWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Keys typed into an open editor go to the editor, not here.
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            togglePicks();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void AnalysisWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // A light or dark palette chosen while the window is open.
    if (event->type() == QEvent::PaletteChange) {
        m_model->setColors(meaningColors(palette()));
        showStatus();
    }
}

std::vector<int> AnalysisWindow::pickedRows() const
{
    std::vector<int> rows;
    for (const int r : rowsInViewOrder(false))
        if (m_model->isPicked(r))
            rows.push_back(r);
    for (int r = 0; r < m_model->rowCount(); ++r)
        if (m_model->isPicked(r) && !m_proxy->mapFromSource(m_model->index(r, 0)).isValid())
            rows.push_back(r);
    return rows;
}

void AnalysisWindow::refreshStakes()
{
    m_stakes->showStakes(m_model->table(), pickedRows(), m_analysis->inputs());
}

bool AnalysisWindow::editFocusedText(bool paste)
{
    // The Edit menu's copy and paste reach this window first: a text box being typed in takes
    // them as its own keys would.
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !isAncestorOf(focus))
        return false;
    if (auto *text = qobject_cast<QPlainTextEdit *>(focus)) {
        paste ? text->paste() : text->copy();
        return true;
    }
    if (auto *line = qobject_cast<QLineEdit *>(focus)) {
        paste ? line->paste() : line->copy();
        return true;
    }
    return false;
}

void AnalysisWindow::copy()
{
    if (editFocusedText(false))
        return;
    std::vector<int> rows = pickedRows();
    if (rows.empty())
        rows = rowsInViewOrder(false);
    setClipboardText(analysisRowsText(*m_model, rows));
}

void AnalysisWindow::copyTable()
{
    setClipboardText(analysisRowsText(*m_model, rowsInViewOrder(false)));
}

void AnalysisWindow::setTopRows(int n)
{
    if (m_topRows->value() != n) {
        m_topRows->setValue(n); // comes back here through valueChanged
        return;
    }
    m_proxy->setTopRows(n);
    if (m_analysis) {
        refreshStakes();
        showStatus();
    }
}

void AnalysisWindow::print()
{
    if (!m_analysis)
        return;
    fillAnalysisPrintGrid(m_printGrid, *m_model, rowsInViewOrder(false), m_view->fontMetrics(),
                          twipsPerPixelX());
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
            .arg(betTypeLabel(m_model->table().type), doc ? doc->titleText(0) : QString(),
                 doc ? doc->titleText(1) : QString()) +
        TitleSeparator +
        QStringLiteral("モデル %1　β %2　払戻率 %3%")
            .arg(model, QString::number(p.beta, 'f', 2),
                 QString::number(p.ratio(m_model->table().type) * 100, 'f', 1));
    PrintPreviewWindow::instance()->showTable(&m_printGrid, title, 9, this);
}

void AnalysisWindow::paste()
{
    if (editFocusedText(true))
        return;
    pasteText(getClipboardTexts().plain);
}

bool AnalysisWindow::pasteText(const QString &text)
{
    if (!m_analysis)
        return false;
    const BetType type = m_model->table().type;
    const Result<OddsLines> odds = parsePastedOdds(text, type, m_analysis->race().highest(type),
                                                   ticketsByNumber(m_model->table()));
    m_pasteError = odds.ok() ? QString() : japaneseText(odds.problem);
    m_errorOfTyping = false;
    if (odds.ok()) {
        int dropped = 0;
        // Each paste is a snapshot of the market at this time, shown as the latest.
        m_model->setSnapshot(0, m_analysis->inputs());
        const QString now = snapshotTimeText(QDateTime::currentDateTime());
        edit([&](AnalysisInputs &in) {
            dropped = pasteSnapshot(&in, type, odds.value.odds, now);
            for (const Ticket &ticket : odds.value.scratched)
                in.actualOf(type).erase(ticket);
        });
        // The paste took: this is news, not a refusal.
        if (dropped > 0) {
            m_note = QStringLiteral("オッズの時点は%1までなので、いちばん古い時点を消しました。")
                         .arg(MaxSnapshots);
            m_noteIsError = false;
        }
    }
    showStatus();
    return odds.ok();
}

QLayout *AnalysisWindow::buildSnapshotRow()
{
    m_snapshots = new QComboBox(this);
    m_snapshots->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_snapshotTime = new QLineEdit(this);
    m_snapshotTime->setPlaceholderText(QStringLiteral("時刻なし"));
    m_snapshotTime->setToolTip(QStringLiteral("この時点の時刻を直せます（yyyy-mm-dd hh:mm:ss）"));
    m_snapshotTime->setFixedWidth(
        m_snapshotTime->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) +
        16);
    m_deleteSnapshot = new QToolButton(this);
    m_deleteSnapshot->setText(QStringLiteral("この時点を削除"));
    m_dropThreshold = numberBox(this, 0.1, 100, 5, 1);
    m_dropThreshold->setSuffix(QStringLiteral(" %"));
    m_dropThreshold->setValue(m_model->dropThreshold());
    m_dropThreshold->setToolTip(
        QStringLiteral("前回の時点からこれだけ以上オッズが下がった買い目を急落として赤で示します"));
    auto *drop = new QLabel(QStringLiteral("急落"), this);
    drop->setStyleSheet(
        QStringLiteral("color: %1; font-weight: bold;").arg(m_model->colors().drop.name()));

    auto *row = new QHBoxLayout;
    const auto add = [&](const QString &label, QWidget *w, const QString &name) {
        // The label names the control (on Linux a combo box is read by its label).
        auto *caption = new QLabel(label, this);
        caption->setBuddy(w);
        row->addWidget(caption);
        row->addWidget(w);
        w->setAccessibleName(name);
    };
    add(QStringLiteral("時点"), m_snapshots, QStringLiteral("オッズの時点"));
    add(QStringLiteral("時刻"), m_snapshotTime, QStringLiteral("時点の時刻"));
    row->addWidget(m_deleteSnapshot);
    row->addSpacing(24);
    row->addWidget(drop);
    add(QStringLiteral("（前回から"), m_dropThreshold, QStringLiteral("急落のしきい値"));
    row->addWidget(new QLabel(QStringLiteral("以上の下落）"), this));
    row->addStretch(1);

    connect(m_snapshots, &QComboBox::currentIndexChanged, this, &AnalysisWindow::showSnapshot);
    connect(m_snapshotTime, &QLineEdit::editingFinished, this,
            [this] { setSnapshotTime(m_snapshotTime->text()); });
    connect(m_deleteSnapshot, &QToolButton::clicked, this, &AnalysisWindow::deleteSnapshot);
    connect(m_dropThreshold, &QDoubleSpinBox::valueChanged, this, [this](double percent) {
        m_model->setDropThreshold(percent);
        if (!m_storeThreshold)
            return;
        const QString error = m_storeThreshold(percent);
        m_note = error.isEmpty() ? QString()
                                 : QStringLiteral("急落のしきい値を保存できませんでした：") + error;
        m_noteIsError = !error.isEmpty();
        showStatus();
    });
    return row;
}

void AnalysisWindow::setDropThreshold(double percent)
{
    const QSignalBlocker block(m_dropThreshold);
    m_dropThreshold->setValue(percent);
    m_model->setDropThreshold(m_dropThreshold->value());
}

void AnalysisWindow::syncSnapshots()
{
    const AnalysisInputs &in = m_analysis->inputs();
    const BetType type = m_model->table().type;
    const int count = snapshotCount(in, type);
    QStringList items;
    for (int k = 0; k < count; ++k) {
        const QString time = snapshotTimeOf(in, type, k);
        const QString shown = time.isEmpty() ? QStringLiteral("時刻なし") : time;
        items << (k == 0 ? QStringLiteral("最新　") + shown : shown);
    }
    const QSignalBlocker block(m_snapshots);
    bool same = m_snapshots->count() == count;
    for (int k = 0; same && k < count; ++k)
        same = m_snapshots->itemText(k) == items[k];
    if (!same) {
        m_snapshots->clear();
        m_snapshots->addItems(items);
    }
    const int shown = m_model->snapshot();
    m_snapshots->setCurrentIndex(shown);
    m_snapshots->setEnabled(count > 1);
    // Lines being typed stay until they are entered.
    if (!(m_snapshotTime->hasFocus() && m_snapshotTime->isModified())) {
        m_snapshotTime->setText(snapshotTimeOf(in, type, shown));
        m_snapshotTime->setModified(false);
    }
    const bool any =
        count > 1 || !in.actualOf(type).empty() || !snapshotTimeOf(in, type, 0).isEmpty();
    m_snapshotTime->setEnabled(any);
    m_deleteSnapshot->setEnabled(any);
}

void AnalysisWindow::showSnapshot(int index)
{
    if (!m_analysis)
        return;
    m_model->setSnapshot(index, m_analysis->inputs());
    syncSnapshots();
    showMoveColumns();
    refreshStakes();
    showStatus();
}

bool AnalysisWindow::setSnapshotTime(const QString &time)
{
    if (!m_analysis)
        return false;
    const BetType type = m_model->table().type;
    const int index = m_model->snapshot();
    m_snapshotTime->setModified(false);
    if (time.trimmed() == snapshotTimeOf(m_analysis->inputs(), type, index))
        return true;
    AnalysisInputs in = m_analysis->inputs();
    const QString error = ::setSnapshotTime(&in, type, index, time);
    if (error.isEmpty()) {
        m_analysis->state().setInputs(in);
        return true;
    }
    syncSnapshots();
    m_note = QStringLiteral("時刻を直せません：") + error;
    m_noteIsError = true;
    showStatus();
    return false;
}

void AnalysisWindow::deleteSnapshot()
{
    if (!m_analysis)
        return;
    const BetType type = m_model->table().type;
    const int index = m_model->snapshot();
    const QString time = snapshotTimeOf(m_analysis->inputs(), type, index);
    MessageBoxRequest box;
    box.title = QStringLiteral("Kirrel");
    box.icon = MsgIcon::Question;
    box.buttons = MsgButtons::YesNo;
    box.text =
        QStringLiteral("%1の%2の時点（%3）のオッズを削除しますか？")
            .arg(betTypeLabel(type), index == 0 ? QStringLiteral("最新") : QStringLiteral("以前"),
                 time.isEmpty() ? QStringLiteral("時刻なし") : time);
    if (index == 0 && snapshotCount(m_analysis->inputs(), type) > 1)
        box.text += QStringLiteral("\n一つ前の時点が最新になり、分析に使われます。");
    if (showMessageBox(this, box) != MsgAnswer::Yes)
        return;
    edit([&](AnalysisInputs &in) { ::deleteSnapshot(&in, type, index); });
}

bool AnalysisWindow::enterPayouts(const QString &text)
{
    if (!m_analysis)
        return false;
    const AnalysedRace &race = m_analysis->race();
    // Brackets by runner number, as the result is checked.
    std::vector<int> brackets(size_t(race.runnerCount()) + 1, 0);
    for (const RunnerInfo &runner : race.runners)
        if (runner.number > 0 && runner.number <= race.runnerCount())
            brackets[size_t(runner.number)] = runner.bracket;
    const Result<Payouts> read =
        readRacePayouts(text, race.runnerCount(), race.finishingOrder, brackets);
    if (!read.ok()) {
        m_payouts->showMessage(QStringLiteral("払戻にできません（何も変えていません）：") +
                                   japaneseText(read.problem),
                               true);
        return false;
    }
    edit([&](AnalysisInputs &in) { in.payouts = read.value; });
    m_payouts->showMessage(read.value.empty()
                               ? QStringLiteral("払戻を消しました。")
                               : QStringLiteral("払戻 %1 件を入れました。").arg(read.value.size()),
                           false);
    return true;
}
