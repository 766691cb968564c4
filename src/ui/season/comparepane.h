#pragma once
// 比較: the season's models fitted side by side on the same races, the best by AIC marked, the
// likelihood-ratio tests and the out-of-sample check in words, and the table exportable.

#include "core/season/seasoncompare.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTableView;

class ComparePane : public QWidget
{
    Q_OBJECT
public:
    explicit ComparePane(QWidget *parent = nullptr);

    // The races compared: the window's, kept by it.
    void setRaces(const std::vector<SeasonRace> *races);
    // 比較 with the pane's holdout and error choice.
    void compare();
    void setOptions(const FitOptions &options);

    const SeasonComparison &comparison() const { return m_comparison; }
    QString verdictText() const;
    QStandardItemModel *tableModel() const { return m_model; }
    QTableView *table() const { return m_table; }
    // The model of the selected row (the best by AIC when none is selected); null without one.
    const ComparedModel *chosen() const;
    void selectModel(const QString &name);

Q_SIGNALS:
    // この値を使う on a row.
    void useRequested(const SeasonFit &fit);
    // A comparison was made (ok or not).
    void compared();

private:
    void showComparison();

    const std::vector<SeasonRace> *m_races = nullptr;
    SeasonComparison m_comparison;
    bool m_compared = false;
    QDoubleSpinBox *m_holdout = nullptr;
    QCheckBox *m_robust = nullptr;
    QPushButton *m_compare = nullptr;
    QStandardItemModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QLabel *m_verdicts = nullptr;
    QPushButton *m_use = nullptr;
};
