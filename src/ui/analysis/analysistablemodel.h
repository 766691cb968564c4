#pragma once
// The analysis table as a Qt model: one row per ticket, the actual odds editable. Sorting goes
// through SortRole (numbers, not their texts).

#include "core/analysis/analysistable.h"
#include "core/document/grid.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFontMetrics>
#include <QSortFilterProxyModel>

class AnalysisTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        TicketCol,
        NamesCol,
        ProbabilityCol,
        EstimatedCol,
        ActualCol,
        RatioCol,
        ValueCol,
        DocumentEstimateCol
    };
    static constexpr int SortRole = Qt::UserRole;

    explicit AnalysisTableModel(QObject *parent = nullptr);

    // A new table (another race or bet type): the rows are replaced.
    void setTable(AnalysisTable table, const AnalysedRace &race, const AnalysisInputs &inputs);
    // The same tickets with other actual odds or thresholds: the rows stay.
    void setValues(const AnalysisInputs &inputs);

    const AnalysisTable &table() const { return m_table; }
    const AnalysisRow &row(int r) const { return m_table.rows[size_t(r)]; }
    // 的中, after the other columns, with a result in the document; -1 without one.
    int hitColumn() const;

    static QColor overlookedColor() { return QColor(255, 200, 140); }
    static QColor overBetColor() { return QColor(160, 195, 255); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

Q_SIGNALS:
    // Typed into the actual odds column; an empty cell gives QuotedOdds() (odds 0), which
    // clears the ticket's odds.
    void actualOddsEdited(const Ticket &ticket, const QuotedOdds &odds);
    // Typed text that is not odds, with the reason in Japanese; nothing changed.
    void actualOddsRefused(const QString &why);

private:
    QString text(const AnalysisRow &row, int column) const;

    AnalysisTable m_table;
    std::vector<QString> m_names; // per row
    ActualOdds m_actual;          // as applied to the rows
    double m_highRatio = 1.2;
    double m_lowRatio = 0.8;
};

// The rows in the given order (view order) as TAB-separated text with a header line, each line
// ended by CR LF as the grid copies.
QString AnalysisRowsText(const AnalysisTableModel &model, const std::vector<int> &rows);
// The same rows as a grid for the print preview: a header row, then the rows; columns as wide as
// their longest text in the given font metrics (pixels), at twipsPerPixel.
void FillAnalysisPrintGrid(Grid &grid, const AnalysisTableModel &model,
                           const std::vector<int> &rows, const QFontMetrics &metrics,
                           double twipsPerPixel);

// The table's rows come most probable first: keeping the first n source rows keeps the top n,
// whatever column the view is sorted by.
class TopRowsProxy : public QSortFilterProxyModel
{
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setTopRows(int n);
    int topRows() const { return m_top; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    int m_top = 0; // 0: every row
};
