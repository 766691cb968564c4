#include "ui/analysis/analysistablemodel.h"

#include "core/racemodel/valuerounding.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <cmath>

namespace {

QString fixed(double v, int decimals)
{
    return v > 0 ? QString::number(v, 'f', decimals) : QString();
}

} // namespace

AnalysisTableModel::AnalysisTableModel(QObject *parent)
    : QAbstractTableModel(parent), m_colors(meaningColors(QGuiApplication::palette()))
{
}

void AnalysisTableModel::setColors(const MeaningColors &colors)
{
    if (colors.overlooked == m_colors.overlooked && colors.overBet == m_colors.overBet &&
        colors.drop == m_colors.drop)
        return;
    m_colors = colors;
    if (!m_table.rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                           {Qt::BackgroundRole, Qt::ForegroundRole});
}

QColor AnalysisTableModel::cellColor(int r, int column, int role, const MeaningColors &colors) const
{
    if (r < 0 || r >= rowCount() || column == PickCol)
        return {};
    const AnalysisRow &row = this->row(r);
    if (role == Qt::ForegroundRole)
        return (column == TicketCol || column == ChangeCol) && moveOf(row).suddenDrop ? colors.drop
                                                                                      : QColor();
    if (role != Qt::BackgroundRole)
        return {};
    AnalysisInputs thresholds;
    thresholds.highRatio = m_highRatio;
    thresholds.lowRatio = m_lowRatio;
    switch (bandOf(row.ratio, thresholds)) {
    case RatioBand::Overlooked:
        return colors.overlooked;
    case RatioBand::OverBet:
        return colors.overBet;
    default:
        return {};
    }
}

void AnalysisTableModel::setTable(AnalysisTable table, const AnalysedRace &race,
                                  const AnalysisInputs &inputs)
{
    beginResetModel();
    if (table.type != m_table.type)
        m_snapshot = 0;
    m_table = std::move(table);
    m_names.clear();
    m_names.reserve(m_table.rows.size());
    for (const AnalysisRow &row : m_table.rows)
        m_names.push_back(ticketNames(race, m_table.type, row.ticket));
    takeOdds(inputs);
    takePicks(inputs);
    if (m_snapshot > 0) // the table comes with the latest odds
        applyActualOdds(&m_table, m_actual);
    m_highRatio = inputs.highRatio;
    m_lowRatio = inputs.lowRatio;
    endResetModel();
}

bool AnalysisTableModel::takeOdds(const AnalysisInputs &inputs)
{
    static const ActualOdds none;
    const BetType type = m_table.type;
    const int count = snapshotCount(inputs, type);
    m_snapshot = std::clamp(m_snapshot, 0, count - 1);
    const ActualOdds &shown = snapshotOdds(inputs, type, m_snapshot);
    m_hasPrevious = m_snapshot + 1 < count;
    const ActualOdds &previous = m_hasPrevious ? snapshotOdds(inputs, type, m_snapshot + 1) : none;
    if (shown == m_actual && previous == m_previous)
        return false;
    m_actual = shown;
    m_previous = previous;
    return true;
}

bool AnalysisTableModel::takePicks(const AnalysisInputs &inputs)
{
    const std::set<Ticket> &picks = inputs.picksOf(m_table.type);
    if (picks == m_picks)
        return false;
    m_picks = picks;
    return true;
}

bool AnalysisTableModel::isPicked(int r) const
{
    return r >= 0 && r < rowCount() && m_picks.count(row(r).ticket) > 0;
}

void AnalysisTableModel::setSnapshot(int shown, const AnalysisInputs &inputs)
{
    const int before = m_snapshot;
    m_snapshot = shown;
    if (takeOdds(inputs))
        applyActualOdds(&m_table, m_actual);
    else if (m_snapshot == before)
        return;
    // Also when only the index moved: the actual odds are editable in the latest only.
    if (!m_table.rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void AnalysisTableModel::setDropThreshold(double percent)
{
    if (percent == m_dropThreshold)
        return;
    m_dropThreshold = percent;
    if (!m_table.rows.empty())
        Q_EMIT dataChanged(index(0, ChangeCol), index(rowCount() - 1, ChangeCol));
}

double AnalysisTableModel::previousOdds(const AnalysisRow &row) const
{
    const auto it = m_previous.find(row.ticket);
    return it == m_previous.end() ? 0 : it->second.odds;
}

OddsMove AnalysisTableModel::moveOf(const AnalysisRow &row) const
{
    const double previous = previousOdds(row);
    return previous > 0 && row.actualOdds > 0 ? ::moveOf(previous, row.actualOdds, m_dropThreshold)
                                              : OddsMove{};
}

bool AnalysisTableModel::isSuddenDrop(int r) const
{
    return moveOf(row(r)).suddenDrop;
}

void AnalysisTableModel::setValues(const AnalysisInputs &inputs)
{
    // Picks change only their own column (a re-sort only when sorted by it).
    if (takePicks(inputs) && !m_table.rows.empty())
        Q_EMIT dataChanged(index(0, PickCol), index(rowCount() - 1, PickCol), {Qt::CheckStateRole});
    const bool odds = takeOdds(inputs);
    if (!odds && inputs.highRatio == m_highRatio && inputs.lowRatio == m_lowRatio)
        return;
    if (odds)
        applyActualOdds(&m_table, m_actual);
    m_highRatio = inputs.highRatio;
    m_lowRatio = inputs.lowRatio;
    if (!m_table.rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

int AnalysisTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_table.rows.size());
}

int AnalysisTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    const int columns =
        m_table.type == BetType::Quinella ? DocumentEstimateCol + 1 : DocumentEstimateCol;
    return m_table.hasResult ? columns + 1 : columns;
}

int AnalysisTableModel::hitColumn() const
{
    return m_table.hasResult ? columnCount() - 1 : -1;
}

QString AnalysisTableModel::text(const AnalysisRow &row, int column) const
{
    if (column == hitColumn())
        return row.hit ? QStringLiteral("✓") : QString();
    switch (column) {
    case TicketCol:
        return ticketText(m_table.type, row.ticket);
    case ProbabilityCol:
        // A chance too small for the digits is no 0.
        if (row.probability > 0 && roundedHalfUp(row.probability * 100, 3) == 0)
            return QStringLiteral("<0.001");
        return QString::number(row.probability * 100, 'f', 3);
    case EstimatedCol:
        return fixed(row.estimatedOdds, 1);
    case ActualCol:
        return row.actualUpper > 0
                   ? fixed(row.actualOdds, 1) + QLatin1Char('-') + fixed(row.actualUpper, 1)
                   : fixed(row.actualOdds, 1);
    case PreviousCol: {
        const auto it = m_previous.find(row.ticket);
        return it == m_previous.end() ? QString() : oddsText(it->second);
    }
    case ChangeCol: {
        if (previousOdds(row) <= 0 || row.actualOdds <= 0)
            return {};
        const OddsMove move = moveOf(row);
        QString shown = move.changePercent == 0 ? QStringLiteral("0.0%")
                                                : QString::asprintf("%+.1f%%", move.changePercent);
        if (move.suddenDrop)
            shown += QStringLiteral(" 急落");
        return shown;
    }
    case RatioCol:
        return fixed(shownRatio(row.ratio), 2);
    case ValueCol:
        return fixed(shownExpectedValue(row.expectedValue), 3);
    case DocumentEstimateCol:
        return fixed(row.documentEstimate, 1);
    default:
        return {};
    }
}

RatioBand AnalysisTableModel::band(int r) const
{
    AnalysisInputs thresholds;
    thresholds.highRatio = m_highRatio;
    thresholds.lowRatio = m_lowRatio;
    return bandOf(row(r).ratio, thresholds);
}

namespace {

// The mark beside the ratio that says 割安 (up) or 過剰人気 (down) without the colour.
QIcon bandMark(RatioBand band, const QColor &colour)
{
    QPixmap pixmap(10, 10);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    const bool up = band == RatioBand::Overlooked;
    p.drawPolygon(
        QPolygonF({QPointF(1, up ? 9 : 1), QPointF(9, up ? 9 : 1), QPointF(5, up ? 1 : 9)}));
    return QIcon(pixmap);
}

QString bandWord(RatioBand band)
{
    switch (band) {
    case RatioBand::Overlooked:
        return QStringLiteral("割安");
    case RatioBand::OverBet:
        return QStringLiteral("過剰人気");
    default:
        return {};
    }
}

} // namespace

QVariant AnalysisTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const AnalysisRow &r = row(index.row());
    const int column = index.column();
    const bool picked = m_picks.count(r.ticket) > 0;
    if (column == PickCol) {
        switch (role) {
        case Qt::CheckStateRole:
            return picked ? Qt::Checked : Qt::Unchecked;
        case SortRole:
            return picked ? 1 : 0;
        case Qt::AccessibleTextRole:
            return picked ? QStringLiteral("買う") : QStringLiteral("買わない");
        case Qt::ToolTipRole:
            return QStringLiteral("Space かクリックで、この買い目を買う・買わないを切り替えます");
        default:
            return {};
        }
    }
    if (column == RatioCol && (role == Qt::DecorationRole || role == Qt::AccessibleTextRole)) {
        // Said by a mark and in words as well as by the row's colour.
        const RatioBand rowBand = band(index.row());
        if (bandWord(rowBand).isEmpty())
            return {};
        if (role == Qt::AccessibleTextRole)
            return text(r, column) + QLatin1Char(' ') + bandWord(rowBand);
        return bandMark(rowBand, QGuiApplication::palette().color(QPalette::Text));
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return column == NamesCol ? m_names[size_t(index.row())] : text(r, column);
    case SortRole: {
        if (column == hitColumn())
            return r.hit ? 1 : 0;
        // Columns without a value sort as none (TopRowsProxy puts them last).
        const auto value = [](double v) { return v > 0 ? QVariant(v) : QVariant(); };
        switch (column) {
        case TicketCol:
            return (r.ticket[0] * 100 + r.ticket[1]) * 100 + r.ticket[2];
        case NamesCol:
            return m_names[size_t(index.row())];
        case ProbabilityCol:
            return r.probability;
        case EstimatedCol:
            return r.estimatedOdds;
        case ActualCol:
            return value(r.actualOdds);
        case PreviousCol:
            return value(previousOdds(r));
        case ChangeCol:
            return previousOdds(r) > 0 && r.actualOdds > 0 ? QVariant(moveOf(r).changePercent)
                                                           : QVariant();
        case RatioCol:
            return value(r.ratio);
        case ValueCol:
            return value(r.expectedValue);
        default:
            return value(r.documentEstimate);
        }
    }
    case Qt::ToolTipRole: {
        const QString word = bandWord(band(index.row()));
        return word.isEmpty() ? m_names[size_t(index.row())]
                              : m_names[size_t(index.row())] + QStringLiteral("（") + word +
                                    QStringLiteral("）");
    }
    case Qt::TextAlignmentRole:
        return column == TicketCol || column == NamesCol ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                                         : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
    case Qt::BackgroundRole: {
        const QColor colour = cellColor(index.row(), column, role, m_colors);
        return colour.isValid() ? QVariant(colour) : QVariant();
    }
    default:
        return {};
    }
}

QVariant AnalysisTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const titles[] = {"買う",       "買い目",   "馬名",        "確率%",
                                         "推定オッズ", "実オッズ", "前回",        "変化",
                                         "実÷推定",    "期待値",   "馬連表の推定"};
    if (section == hitColumn())
        return QStringLiteral("的中");
    return section >= 0 && section <= DocumentEstimateCol ? QString::fromUtf8(titles[section])
                                                          : QVariant();
}

Qt::ItemFlags AnalysisTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == PickCol)
        f |= Qt::ItemIsUserCheckable;
    if (index.column() == ActualCol && m_snapshot == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool AnalysisTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role == Qt::CheckStateRole && index.column() == PickCol && index.row() < rowCount()) {
        // The window turns it into an edit of the picks, which comes back through setValues.
        Q_EMIT pickEdited(row(index.row()).ticket, value.value<Qt::CheckState>() == Qt::Checked);
        return true;
    }
    if (role != Qt::EditRole || index.column() != ActualCol || m_snapshot != 0 ||
        index.row() >= rowCount())
        return false;
    const QString text = value.toString().trimmed();
    QuotedOdds odds; // empty: the ticket's odds are cleared
    if (!text.isEmpty()) {
        const Result<QuotedOdds> read = parseOdds(text, m_table.type);
        if (!read.ok()) {
            Q_EMIT actualOddsRefused(japaneseText(read.problem));
            return false;
        }
        odds = read.value;
    }
    Q_EMIT actualOddsEdited(row(index.row()).ticket, odds);
    return true;
}

namespace {

// The columns that copying and printing carry: those the window shows, so every one but 前回 and
// 変化 while no snapshot comes before the one shown (they would only be empty).
std::vector<int> outputColumns(const AnalysisTableModel &model)
{
    std::vector<int> columns;
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.hasPrevious() ||
            (c != AnalysisTableModel::PreviousCol && c != AnalysisTableModel::ChangeCol))
            columns.push_back(c);
    return columns;
}

// What copying and printing show of a cell: the 買う column as a check mark.
QString outputText(const AnalysisTableModel &model, int r, int c)
{
    if (c == AnalysisTableModel::PickCol)
        return model.isPicked(r) ? QStringLiteral("✓") : QString();
    return model.data(model.index(r, c), Qt::DisplayRole).toString();
}

} // namespace

QString analysisRowsText(const AnalysisTableModel &model, const std::vector<int> &rows)
{
    QString out;
    const std::vector<int> columns = outputColumns(model);
    QStringList fields;
    for (const int c : columns)
        fields << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    out += fields.join(u'\t') + QStringLiteral("\r\n");
    for (const int r : rows) {
        fields.clear();
        for (const int c : columns)
            fields << outputText(model, r, c);
        out += fields.join(u'\t') + QStringLiteral("\r\n");
    }
    return out;
}

void fillAnalysisPrintGrid(Grid &grid, const AnalysisTableModel &model,
                           const std::vector<int> &rows, const QFontMetrics &metrics,
                           double twipsPerPixel)
{
    const std::vector<int> columns = outputColumns(model);
    const int count = int(columns.size());
    grid.setSize(int(rows.size()) + 1, count);
    grid.setFixedRows(1);
    grid.setFixedCols(0);
    std::vector<int> widest(size_t(count), 0);
    const auto put = [&](int r, int c, const QString &text) {
        grid.setText(r, c, text);
        widest[size_t(c)] = std::max(widest[size_t(c)], metrics.horizontalAdvance(text));
    };
    for (int c = 0; c < count; ++c) {
        const int column = columns[size_t(c)];
        put(0, c, model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
        // Aligned as on screen (right and centred for numbers).
        const int align = model.data(model.index(0, column), Qt::TextAlignmentRole).toInt();
        grid.setColAlignment(c, align & Qt::AlignRight ? 7 : 1);
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        for (int c = 0; c < count; ++c) {
            put(int(i) + 1, c, outputText(model, rows[i], columns[size_t(c)]));
            // Paper is white whatever the screen's palette.
            const MeaningColors paper = lightMeaningColors();
            const QColor back =
                model.cellColor(rows[i], columns[size_t(c)], Qt::BackgroundRole, paper);
            grid.setCellBackColor(int(i) + 1, c,
                                  back.isValid() ? rgb(back.red(), back.green(), back.blue())
                                                 : NoColor);
            const QColor fore =
                model.cellColor(rows[i], columns[size_t(c)], Qt::ForegroundRole, paper);
            grid.setCellForeColor(int(i) + 1, c,
                                  fore.isValid() ? rgb(fore.red(), fore.green(), fore.blue())
                                                 : NoColor);
        }
    }
    // A little air on both sides of the widest text, as the runner table has.
    for (int c = 0; c < count; ++c)
        grid.setColWidth(c, int(std::lround((widest[size_t(c)] + 12) * twipsPerPixel)));
}

void TopRowsProxy::setTopRows(int n)
{
    if (n == m_top)
        return;
    m_top = n;
    invalidateFilter();
}

bool TopRowsProxy::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    // Empty cells last in either direction: the view reverses this order when descending.
    if (!a.isValid() || !b.isValid())
        return a.isValid() != b.isValid() && !a.isValid() == (sortOrder() == Qt::DescendingOrder);
    return QSortFilterProxyModel::lessThan(left, right);
}

bool TopRowsProxy::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    return m_top <= 0 || sourceRow < m_top;
}
