#pragma once
// The analysis table as a Qt model: one row per ticket, the actual odds of one snapshot (the
// latest editable) and their move since the snapshot before. Sorting goes through SortRole
// (numbers, not their texts).

#include "core/analysis/analysistable.h"
#include "core/document/grid.h"
#include "ui/desktop/uicolor.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QFontMetrics>
#include <QSortFilterProxyModel>
#include <set>

class AnalysisTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        PickCol, // 買う: the tickets picked for the stakes, checked with Space or a click
        TicketCol,
        NamesCol,
        ProbabilityCol,
        EstimatedCol,
        ActualCol,
        PreviousCol, // 前回: the odds of the snapshot before the one shown
        ChangeCol,   // 変化: percent since then, with the 急落 flag
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
    // The snapshot shown (0 the latest, then older ones; see snapshotOdds). Another bet type's
    // table starts at the latest.
    void setSnapshot(int shown, const AnalysisInputs &inputs);
    int snapshot() const { return m_snapshot; }
    // Whether a snapshot comes before the one shown (前回 and 変化 have something to say).
    bool hasPrevious() const { return m_hasPrevious; }
    // A fall of at least this many percent since the snapshot before is 急落.
    void setDropThreshold(double percent);
    double dropThreshold() const { return m_dropThreshold; }
    bool isSuddenDrop(int r) const;
    bool isPicked(int r) const;
    // 割安, 過剰人気 or neither, by the thresholds in use.
    RatioBand band(int r) const;

    const AnalysisTable &table() const { return m_table; }
    const AnalysisRow &row(int r) const { return m_table.rows[size_t(r)]; }
    // 的中, after the other columns, with a result in the document; -1 without one.
    int hitColumn() const;

    // The colours of 割安 and 過剰人気 rows and of 急落, for the palette the table is shown in
    // (the application's until told otherwise).
    const MeaningColors &colors() const { return m_colors; }
    void setColors(const MeaningColors &colors);
    // The background (Qt::BackgroundRole) or text colour (Qt::ForegroundRole) of a cell in the
    // given colours; invalid for none.
    QColor cellColor(int r, int column, int role, const MeaningColors &colors) const;

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
    // The 買う box of a row was checked or cleared.
    void pickEdited(const Ticket &ticket, bool picked);

private:
    QString text(const AnalysisRow &row, int column) const;
    // The odds of the snapshot shown and of the one before, from inputs; true when they differ
    // from those in use.
    bool takeOdds(const AnalysisInputs &inputs);
    // The picks of the table's bet type from inputs; true when they changed.
    bool takePicks(const AnalysisInputs &inputs);
    // The row's odds in the snapshot before; 0 when it had none.
    double previousOdds(const AnalysisRow &row) const;
    OddsMove moveOf(const AnalysisRow &row) const;

    AnalysisTable m_table;
    std::vector<QString> m_names; // per row
    ActualOdds m_actual;          // as applied to the rows: the snapshot shown
    ActualOdds m_previous;        // the snapshot before it; empty when there is none
    std::set<Ticket> m_picks;     // of the table's bet type
    MeaningColors m_colors;
    int m_snapshot = 0;
    bool m_hasPrevious = false;
    double m_dropThreshold = DefaultDropThreshold;
    double m_highRatio = 1.2;
    double m_lowRatio = 0.8;
};

// The rows in the given order (view order) as TAB-separated text with a header line, each line
// ended by CR LF as the grid copies. The columns are those the window shows: 前回 and 変化 only
// with a snapshot before the one shown.
QString analysisRowsText(const AnalysisTableModel &model, const std::vector<int> &rows);
// The same rows and columns as a grid for the print preview: a header row, then the rows;
// columns as wide as their longest text in the given font metrics (pixels), at twipsPerPixel.
void fillAnalysisPrintGrid(Grid &grid, const AnalysisTableModel &model,
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
