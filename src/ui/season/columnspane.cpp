#include "ui/season/columnspane.h"

#include "ui/desktop/pngsave.h"
#include "ui/desktop/tableexport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr double Z95 = 1.959963984540054;
constexpr int NameWidth = 110;
constexpr int Margin = 12;

QString intervalText(const FitValue &v)
{
    return QStringLiteral("%1: 指数 %2 ± %3（95%区間 %4～%5）")
        .arg(v.name())
        .arg(v.value, 0, 'f', 4)
        .arg(v.error, 0, 'f', 4)
        .arg(v.value - Z95 * v.error, 0, 'f', 4)
        .arg(v.value + Z95 * v.error, 0, 'f', 4);
}

} // namespace

ColumnsChart::ColumnsChart(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ColumnsChart"));
    setMinimumHeight(120);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void ColumnsChart::setValues(std::vector<FitValue> values)
{
    m_values = std::move(values);
    update();
}

QRectF ColumnsChart::rowRect(int row) const
{
    const double height = double(this->height() - 2 * Margin - fontMetrics().height() - 4) /
                          std::max<size_t>(m_values.size(), 1);
    return QRectF(NameWidth, Margin + row * height, width() - NameWidth - Margin, height);
}

bool ColumnsChart::event(QEvent *e)
{
    if (e->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(e);
        for (int i = 0; i < int(m_values.size()); ++i)
            if (help->pos().y() >= rowRect(i).top() && help->pos().y() < rowRect(i).bottom()) {
                QToolTip::showText(help->globalPos(), intervalText(m_values[size_t(i)]), this);
                return true;
            }
        QToolTip::hideText();
        e->ignore();
        return true;
    }
    return QWidget::event(e);
}

void ColumnsChart::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (m_values.empty()) {
        p.drawText(rect(), Qt::AlignCenter,
                   QStringLiteral("「比較」で列ごとのモデルを当てはめると、ここに出ます。"));
        return;
    }
    // The axis spans every interval and zero, with a little room.
    double low = 0, high = 0;
    for (const FitValue &v : m_values) {
        low = std::min(low, v.value - Z95 * v.error);
        high = std::max(high, v.value + Z95 * v.error);
    }
    const double pad = 0.08 * std::max(high - low, 1e-6);
    low -= pad;
    high += pad;
    const QRectF first = rowRect(0);
    const auto x = [&](double v) {
        return first.left() + (v - low) / (high - low) * first.width();
    };
    const double bottom = rowRect(int(m_values.size()) - 1).bottom();
    // Zero line and the axis's ends.
    p.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
    p.drawLine(QPointF(x(0), first.top()), QPointF(x(0), bottom));
    p.setPen(palette().color(QPalette::Text));
    p.drawLine(QPointF(first.left(), bottom), QPointF(first.right(), bottom));
    const int textTop = int(bottom) + 2;
    const int th = fontMetrics().height();
    for (const double tick : {low + pad, 0.0, high - pad}) {
        const QString label = QString::number(tick, 'f', 2);
        const int w = fontMetrics().horizontalAdvance(label);
        p.drawText(QRectF(x(tick) - w / 2.0, textTop, w, th), Qt::AlignCenter, label);
    }
    for (int i = 0; i < int(m_values.size()); ++i) {
        const FitValue &v = m_values[size_t(i)];
        const QRectF row = rowRect(i);
        const double y = row.center().y();
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(4, row.top(), NameWidth - 8, row.height()),
                   Qt::AlignRight | Qt::AlignVCenter,
                   fontMetrics().elidedText(v.name(), Qt::ElideRight, NameWidth - 8));
        // Intervals across zero in grey: no information found in the column.
        const bool carries = std::fabs(v.value) > Z95 * v.error;
        const QColor colour = carries ? QColor(40, 90, 180) : QColor(150, 150, 150);
        p.setPen(QPen(colour, 2));
        const double l = x(v.value - Z95 * v.error), r = x(v.value + Z95 * v.error);
        p.drawLine(QPointF(l, y), QPointF(r, y));
        p.drawLine(QPointF(l, y - 4), QPointF(l, y + 4));
        p.drawLine(QPointF(r, y - 4), QPointF(r, y + 4));
        p.setBrush(colour);
        p.drawEllipse(QPointF(x(v.value), y), 4, 4);
    }
}

ColumnsPane::ColumnsPane(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ColumnsPane"));
    m_chart = new ColumnsChart(this);
    m_chart->setToolTip(QStringLiteral(
        "自分の列ごとの指数と 95% 区間です。区間が 0 をまたがない列（青）は市場にない情報を"
        "持っています。灰色の列はまだ役に立つと言えません。"));
    m_model = new QStandardItemModel(0, 5, this);
    const QStringList headers = {QStringLiteral("列"), QStringLiteral("指数"),
                                 QStringLiteral("標準誤差"), QStringLiteral("95%区間 下"),
                                 QStringLiteral("95%区間 上")};
    m_model->setHorizontalHeaderLabels(headers);
    m_model->setHeaderData(1, Qt::Horizontal,
                           QStringLiteral("この列の支持率に掛ける指数です。0 ならその列は勝率に"
                                          "効いていません。"),
                           Qt::ToolTipRole);
    m_model->setHeaderData(2, Qt::Horizontal,
                           QStringLiteral("指数の不確かさです。指数より大きければほとんど決まって"
                                          "いません。"),
                           Qt::ToolTipRole);
    m_table = new QTableView(this);
    m_table->setModel(m_model);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    auto *png = new QPushButton(QStringLiteral("PNGで保存"), this);
    connect(png, &QPushButton::clicked, this, [this] {
        saveWidgetPngAs(m_chart, QStringLiteral("列.png"), QStringLiteral("PNGで保存"));
    });
    auto *copy = new QPushButton(QStringLiteral("表をコピー"), this);
    connect(copy, &QPushButton::clicked, this, [this] { copyTable(*m_model); });
    auto *csv = new QPushButton(QStringLiteral("CSVで保存"), this);
    connect(csv, &QPushButton::clicked, this,
            [this] { saveTableCsvAs(this, *m_model, QStringLiteral("列.csv")); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_note, 1);
    buttons->addWidget(png);
    buttons->addWidget(copy);
    buttons->addWidget(csv);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_chart, 3);
    layout->addLayout(buttons);
    layout->addWidget(m_table, 2);
    setFit(SeasonFit());
}

void ColumnsPane::setFit(const SeasonFit &fit)
{
    std::vector<FitValue> columns;
    if (fit.ok() && fit.model == FitModel::Columns)
        for (const FitValue &v : fit.values)
            if (v.column())
                columns.push_back(v);
    m_chart->setValues(columns);
    m_model->removeRows(0, m_model->rowCount());
    for (const FitValue &v : columns)
        m_model->appendRow({new QStandardItem(v.name()),
                            new QStandardItem(QString::number(v.value, 'f', 6)),
                            new QStandardItem(QString::number(v.error, 'f', 6)),
                            new QStandardItem(QString::number(v.value - Z95 * v.error, 'f', 6)),
                            new QStandardItem(QString::number(v.value + Z95 * v.error, 'f', 6))});
    m_table->resizeColumnsToContents();
    m_note->setText(columns.empty()
                        ? QString()
                        : QStringLiteral("市場の γ = %1 ± %2%3")
                              .arg(fit.value(Coefficient::Gamma), 0, 'f', 4)
                              .arg(fit.values.back().error, 0, 'f', 4)
                              .arg(fit.robust ? QStringLiteral("（頑健な標準誤差）") : QString()));
}
