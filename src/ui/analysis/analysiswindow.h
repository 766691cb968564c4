#pragma once
// The bet-analysis window of one document: bet type, model and payout ratio, the table of
// tickets with estimated and actual odds coloured by their ratio and their move since the
// snapshot before, the snapshot chooser, the stake panel for the tickets checked 買う and the
// race's payouts. It shows DocumentAnalysis and turns edits into new inputs.

#include "core/analysis/documentanalysis.h"
#include "core/document/grid.h"
#include "ui/analysis/analysistablemodel.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class PayoutPanel;
class QComboBox;
class QLineEdit;
class QToolButton;
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

    // Where 分析の既定にする stores the window's parameters: empty when stored, else why not.
    using DefaultsStore = std::function<QString(const AnalysisInputs &)>;
    void setDefaultsStore(DefaultsStore store) { m_storeDefaults = std::move(store); }
    // 分析の既定にする: model, λ, ρ, β, payout ratios and thresholds for new analyses.
    void makeDefaults();
    // 払戻率をJRAに戻す: every bet type's payout ratio back to JRA's.
    void restoreJraRatios();

    // Where the 急落 threshold is kept when edited here: empty when stored, else why not.
    using ThresholdStore = std::function<QString(double)>;
    void setThresholdStore(ThresholdStore store) { m_storeThreshold = std::move(store); }
    // The 急落 threshold in percent, as the settings hold it.
    void setDropThreshold(double percent);

    // The table as of snapshot index of the bet type in view (0 the latest).
    void showSnapshot(int index);
    // A corrected time for the snapshot shown; false, saying why, when refused.
    bool setSnapshotTime(const QString &time);
    // Deletes the snapshot shown after asking.
    void deleteSnapshot();
    // The 払戻 panel's text as the race's payouts; false, saying why in the panel, when a line
    // cannot be read or contradicts the result.
    bool enterPayouts(const QString &text);

    // Picked rows (all in view when none is picked) in view order, TAB-separated with a header.
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
    PayoutPanel *payoutPanel() const { return m_payouts; }
    QComboBox *snapshotBox() const { return m_snapshots; }
    QLineEdit *snapshotTimeEdit() const { return m_snapshotTime; }
    QString statusText() const;
    // Table rows (model indexes) in view order.
    std::vector<int> rowsInViewOrder(bool selectedOnly) const;
    // The picked rows (model indexes): those in view in view order, then those the filter hides.
    std::vector<int> pickedRows() const;

    QSize sizeHint() const override;

private:
    void buildControls();
    void fitColumns();
    int tableWidth() const;
    void update(DocumentAnalysis::Change change);
    void syncControls();
    void refreshStakes();
    void showStatus();
    void edit(const std::function<void(AnalysisInputs &)> &change);
    // Space in the table: the current row's 買う box, and with it every selected row's.
    void togglePicks();
    void setPicked(const std::vector<Ticket> &tickets, bool picked);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void syncSnapshots();
    // Copy or paste in the text box with the focus, when one has it.
    bool editFocusedText(bool paste);
    void showMoveColumns();
    QLayout *buildSnapshotRow();

    QPointer<DocumentAnalysis> m_analysis;
    AnalysisTableModel *m_model;
    TopRowsProxy *m_proxy;
    QTableView *m_view;
    StakePanel *m_stakes;
    PayoutPanel *m_payouts;
    QComboBox *m_snapshots = nullptr;
    QLineEdit *m_snapshotTime = nullptr;
    QToolButton *m_deleteSnapshot = nullptr;
    QDoubleSpinBox *m_dropThreshold = nullptr;
    ThresholdStore m_storeThreshold;
    QComboBox *m_betType = nullptr;
    QComboBox *m_modelBox = nullptr;
    QDoubleSpinBox *m_lambda = nullptr;
    QDoubleSpinBox *m_rho = nullptr;
    QDoubleSpinBox *m_beta = nullptr;
    QToolButton *m_combine = nullptr; // 結合: own^α · market^γ in place of the support^β
    QDoubleSpinBox *m_alpha = nullptr;
    QDoubleSpinBox *m_gamma = nullptr;
    QDoubleSpinBox *m_ratio = nullptr;
    QDoubleSpinBox *m_high = nullptr;
    QDoubleSpinBox *m_low = nullptr;
    QLabel *m_status = nullptr;
    QSpinBox *m_topRows = nullptr;
    Grid m_printGrid;             // what the preview shows; it closes with this window
    QString m_pasteError;         // the last paste's or typed odds' refusal, shown until the next
    bool m_errorOfTyping = false; // the refusal was of typed odds
    QString m_note;               // the outcome of 分析の既定にする
    bool m_noteIsError = false;
    DefaultsStore m_storeDefaults;
    int m_fittedType = -1; // the bet type the column widths were fitted for
};
