#pragma once
// 列: the exponent of every own column in the columns model with its 95 % interval on a chart
// (the zero line drawn: an interval across it means the column adds nothing found so far),
// and the same as a table to copy or save.

#include "core/season/seasonfit.h"

#include <QWidget>

class QLabel;
class QStandardItemModel;
class QTableView;

// The chart alone: a row per column, the exponent as a dot, the interval as a bar.
class ColumnsChart : public QWidget
{
    Q_OBJECT
public:
    explicit ColumnsChart(QWidget *parent = nullptr);
    void setValues(std::vector<FitValue> values);
    const std::vector<FitValue> &values() const { return m_values; }
    QSize sizeHint() const override { return {480, 260}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRectF rowRect(int row) const;
    std::vector<FitValue> m_values;
};

class ColumnsPane : public QWidget
{
    Q_OBJECT
public:
    explicit ColumnsPane(QWidget *parent = nullptr);
    // The columns model's fit; one that is not ok, or of another model, empties the view.
    void setFit(const SeasonFit &fit);
    ColumnsChart *chart() const { return m_chart; }
    QStandardItemModel *tableModel() const { return m_model; }

private:
    ColumnsChart *m_chart;
    QStandardItemModel *m_model;
    QTableView *m_table;
    QLabel *m_note;
};
