#pragma once
// バックテスト: a betting rule played over the season's folder as kirrel-cli backtest plays it,
// off the GUI thread, with the summary, the races with bets and the equity curve.

#include "core/backtest/backtestrun.h"
#include "core/season/season.h"

#include <QWidget>
#include <functional>
#include <map>

class QCategoryAxis;
class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class TermLabel;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTimeEdit;
class QValueAxis;
class SeasonTask;

class BacktestPanel : public QWidget
{
    Q_OBJECT
public:
    explicit BacktestPanel(const QString &folder, QWidget *parent = nullptr);
    ~BacktestPanel() override;

    // The model the estimates are made under: the season window's choice.
    void setModelSource(std::function<SeasonModel()> source) { m_modelSource = std::move(source); }

    // The rule of the controls with the model of the source.
    BacktestSettings settings() const;
    void setSettings(const BacktestSettings &settings);

    void run();
    void cancel();
    bool busy() const;

    const BacktestReport &report() const { return m_report; }
    QString summaryText() const;
    QTableView *table() const { return m_table; }
    // By odds band and by the model's rank of the ticket.
    QStandardItemModel *breakdownTable() const { return m_breakdown; }
    // What the result on screen was run with, and when; empty before a run.
    QString conditionsText() const;
    // Greys the result, saying so, when the controls or the model no longer match its run.
    void checkConditions();
    bool stale() const { return m_stale; }
    QChartView *chart() const { return m_view; }

Q_SIGNALS:
    void openRequested(const QString &path);
    // A run came to its end (cancelled or not).
    void idle();

private:
    void buildControls();
    void syncControls();
    void finished(bool cancelled);
    void showReport();

    QString m_folder;
    SeasonTask *m_task;
    std::function<SeasonModel()> m_modelSource;
    BacktestReport m_report;
    BacktestReport m_running; // filled by the task's thread
    QString m_status;

    QComboBox *m_bet = nullptr;
    QDoubleSpinBox *m_ratio = nullptr;
    QComboBox *m_select = nullptr;
    QDoubleSpinBox *m_threshold = nullptr;
    QComboBox *m_stakes = nullptr;
    QDoubleSpinBox *m_flat = nullptr;
    QDoubleSpinBox *m_kelly = nullptr;
    QDoubleSpinBox *m_bankroll = nullptr;
    QCheckBox *m_atOn = nullptr;
    QTimeEdit *m_at = nullptr;
    QPushButton *m_runButton = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_cancel = nullptr;
    TermLabel *m_summary = nullptr;
    QStandardItemModel *m_rows = nullptr;
    QTableView *m_table = nullptr;
    QChart *m_chart = nullptr;
    QLineSeries *m_curve = nullptr;
    QValueAxis *m_races = nullptr;
    QCategoryAxis *m_dates = nullptr; // in place of the race numbers where races have dates
    QValueAxis *m_profit = nullptr;
    QChartView *m_view = nullptr;
    std::map<QWidget *, QLabel *> m_captions;
    QLabel *m_conditions = nullptr;
    QStandardItemModel *m_breakdown = nullptr;
    QTableView *m_breakdownView = nullptr;
    QString m_runConditions;   // of the run under way
    QString m_shownConditions; // of the result on screen
    QString m_shownTime;
    bool m_stale = false;
};
