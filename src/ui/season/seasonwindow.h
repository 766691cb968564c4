#pragma once
// 成績: every document of a folder evaluated against its result under a chosen model, with the
// season's summary, a calibration chart and the maximum-likelihood fits. The folder is read
// and evaluated off the GUI thread; the documents themselves are not kept.

#include "core/season/seasonfit.h"

#include <QWidget>
#include <functional>
#include <map>
#include <vector>

class BacktestPanel;
class ColumnsPane;
class ComparePane;
class CalibrationChart;
class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class TermLabel;
class QProgressBar;
class QPushButton;
class QSortFilterProxyModel;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class SeasonTableModel;
class SeasonTask;

// What 分析の既定にする hands on: the fitted model's values.
struct SeasonDefaults
{
    OrderModel model = OrderModel::Harville;
    double beta = 1;
    double lambda = 0.81;
    double rho = 0.65;
    bool combine = false;
    double alpha = 1;
    double gamma = 1;
};

class SeasonWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SeasonWindow(const QString &folder, QWidget *parent = nullptr);
    ~SeasonWindow() override;

    QString folder() const { return m_folder; }
    // Reads the folder again (the first time too).
    void start();
    void cancel();
    bool busy() const;

    // Stores the defaults; empty when stored, else why not.
    using DefaultsStore = std::function<QString(const SeasonDefaults &)>;
    void setDefaultsStore(DefaultsStore store) { m_storeDefaults = std::move(store); }

    // The evaluation model of the controls.
    SeasonModel model() const;
    void setModel(const SeasonModel &model);
    // 当てはめ with the fit controls' model and holdout.
    void fit();
    // 分析の既定にする: the last fit's values as the defaults for new analyses.
    void makeDefaults();
    // この値を使う: the fit's values, unrounded, as the evaluation model (shown with four
    // decimals); false, with a note, when they cannot be (the columns model, out of range).
    bool useFit(const SeasonFit &fit);
    // The model before the first reading, without evaluating.
    void setStartModel(const SeasonModel &model) { putControls(model); }

    const std::vector<SeasonRace> &races() const { return m_races; }
    const SeasonSummary &summary() const { return m_summary; }
    const SeasonFit &lastFit() const { return m_fit; }
    QString summaryText() const;
    QString fitText() const;
    QString noteText() const;
    QTableView *table() const { return m_table; }
    CalibrationChart *chart() const { return m_chart; }
    QTabWidget *tabs() const { return m_tabs; }
    BacktestPanel *backtest() const { return m_backtest; }
    ComparePane *comparePane() const { return m_compare; }
    ColumnsPane *columnsPane() const { return m_columns; }
    QStandardItemModel *calibrationTable() const { return m_bins; }
    QAbstractItemModel *seasonTable() const;

Q_SIGNALS:
    // A document double-clicked in the table.
    void openRequested(const QString &path);
    // Reading or evaluating came to an end (cancelled or not).
    void idle();

private:
    void buildControls();
    void evaluate();
    void taskFinished(bool cancelled);
    void showSeason();
    void syncControls();
    void putControls(const SeasonModel &model);
    // The box's value, or the unrounded one put there when the box still shows it.
    double exactValue(const QDoubleSpinBox *box) const;
    void putExact(QDoubleSpinBox *box, double value);
    QString outOfRange(const SeasonFit &fit) const;

    QString m_folder;
    SeasonTask *m_task;
    bool m_reading = false;
    bool m_evaluateAgain = false;
    bool m_cancelled = false;
    std::vector<SeasonRace> m_races;
    std::vector<RaceEvaluation> m_evaluations;
    SeasonSummary m_summary;
    SeasonModel m_shownModel; // the one m_evaluations were made under
    SeasonModel m_taskModel;  // the one the running task evaluates under
    // Filled by the task's thread, taken over when it has finished.
    std::vector<SeasonRace> m_readRaces;
    std::vector<RaceEvaluation> m_readEvaluations;
    SeasonSummary m_readSummary;
    SeasonFit m_fit;
    bool m_haveFit = false;
    QString m_note;
    DefaultsStore m_storeDefaults;
    // Per model box: the value put there and what the box made of it.
    std::map<const QDoubleSpinBox *, std::pair<double, double>> m_exact;

    QComboBox *m_modelBox = nullptr;
    QDoubleSpinBox *m_lambda = nullptr;
    QDoubleSpinBox *m_rho = nullptr;
    QDoubleSpinBox *m_beta = nullptr;
    QCheckBox *m_combine = nullptr;
    QDoubleSpinBox *m_alpha = nullptr;
    QDoubleSpinBox *m_gamma = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_status = nullptr;
    TermLabel *m_summaryLabel = nullptr;
    SeasonTableModel *m_tableModel = nullptr;
    QSortFilterProxyModel *m_proxy = nullptr;
    QTableView *m_table = nullptr;
    CalibrationChart *m_chart = nullptr;
    QComboBox *m_fitModel = nullptr;
    QDoubleSpinBox *m_holdout = nullptr;
    QPushButton *m_fitButton = nullptr;
    TermLabel *m_fitLabel = nullptr;
    QPushButton *m_defaultsButton = nullptr;
    QLabel *m_noteLabel = nullptr;
    QTabWidget *m_tabs = nullptr;
    BacktestPanel *m_backtest = nullptr;
    ComparePane *m_compare = nullptr;
    ColumnsPane *m_columns = nullptr;
    QStandardItemModel *m_bins = nullptr; // the calibration's bins as a table
    QPushButton *m_useButton = nullptr;
    QPushButton *m_reload = nullptr;
};
