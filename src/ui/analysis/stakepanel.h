#pragma once
// Stakes for the tickets picked in the analysis table: a budget dutched over them (each pays
// about the same), or Kelly stakes over the tickets with actual odds.

#include "core/analysis/analysistable.h"

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QTableWidget;

class StakePanel : public QWidget
{
    Q_OBJECT
public:
    explicit StakePanel(QWidget *parent = nullptr);

    // Shows the stakes for the rows of table at `picked` (indexes into table.rows).
    void showStakes(const AnalysisTable &table, const std::vector<int> &picked,
                    const AnalysisInputs &inputs);

    bool lossShown() const;
    // The stakes shown add up to more than the budget (予算超過).
    bool overBudgetShown() const { return m_overBudget; }
    QString combinedOddsText() const;
    QTableWidget *lines() const { return m_lines; }

Q_SIGNALS:
    // Budget, Kelly switch, fraction or bankroll edited; the caller stores them in the inputs.
    void settingsEdited(qint64 budget, bool kelly, double fraction, qint64 bankroll);

private:
    void emitSettings();
    void showDutching(const AnalysisTable &table, const std::vector<int> &picked, qint64 budget);
    void showKelly(const AnalysisTable &table, const AnalysisInputs &inputs);
    void addLine(const QString &ticket, double odds, qint64 stake, const QString &last);

    QDoubleSpinBox *m_budget;
    QCheckBox *m_kelly;
    QDoubleSpinBox *m_fraction;
    QDoubleSpinBox *m_bankroll;
    QTableWidget *m_lines;
    QLabel *m_summary;
    QLabel *m_warning;
    bool m_overBudget = false;
};
