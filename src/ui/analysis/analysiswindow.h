#pragma once
// The bet-analysis window of one document: bet type, model and payout ratio, the table of
// tickets with estimated and actual odds coloured by their ratio, and the stake panel for the
// selected tickets. It shows DocumentAnalysis and turns edits into new inputs.

#include "core/analysis/documentanalysis.h"
#include "core/document/grid.h"
#include "ui/analysis/analysistablemodel.h"

#include <QPointer>
#include <QWidget>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;
class StakePanel;

class AnalysisWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AnalysisWindow(DocumentAnalysis *analysis, QWidget *parent = nullptr);

    DocumentAnalysis *analysis() const { return m_analysis; }

    // Selected rows (all when none is selected) in view order, TAB-separated with a header.
    void copy();
    void copyTable();
    // The clipboard's text as actual odds of the bet type in view.
    void paste();
    // False, with the reason in the status line, when a line cannot be placed: nothing changes.
    bool pasteText(const QString &text);
    void setBetType(BetType type);
    // The table as shown (sorted, limited to the top rows when set) in the print preview,
    // titled with the bet type, the race title and its date.
    void print();
    // Only the n most probable tickets are shown and printed; 0 shows all.
    void setTopRows(int n);
    const Grid &printGrid() const { return m_printGrid; }

    QTableView *view() const { return m_view; }
    AnalysisTableModel *model() const { return m_model; }
    QSortFilterProxyModel *proxy() const { return m_proxy; }
    StakePanel *stakePanel() const { return m_stakes; }
    QString statusText() const;
    // Table rows (model indexes) in view order.
    std::vector<int> rowsInViewOrder(bool selectedOnly) const;

private:
    void buildControls();
    void update(DocumentAnalysis::Change change);
    void syncControls();
    void refreshStakes();
    void showStatus();
    void edit(const std::function<void(AnalysisInputs &)> &change);
    void selectPicks();
    void selectionEdited();

    QPointer<DocumentAnalysis> m_analysis;
    AnalysisTableModel *m_model;
    TopRowsProxy *m_proxy;
    QTableView *m_view;
    StakePanel *m_stakes;
    QComboBox *m_betType = nullptr;
    QComboBox *m_modelBox = nullptr;
    QDoubleSpinBox *m_lambda = nullptr;
    QDoubleSpinBox *m_rho = nullptr;
    QDoubleSpinBox *m_beta = nullptr;
    QDoubleSpinBox *m_ratio = nullptr;
    QDoubleSpinBox *m_high = nullptr;
    QDoubleSpinBox *m_low = nullptr;
    QLabel *m_status = nullptr;
    QSpinBox *m_topRows = nullptr;
    Grid m_printGrid;             // what the preview shows; it closes with this window
    QString m_pasteError;         // the last paste's or typed odds' refusal, shown until the next
    bool m_errorOfTyping = false; // the refusal was of typed odds
    bool m_selecting = false;
};
