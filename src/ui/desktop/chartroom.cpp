#include "ui/desktop/chartroom.h"

#include <QAbstractAxis>
#include <QChart>
#include <QChartView>
#include <QFontMetrics>
#include <QLegend>
#include <QScrollArea>
#include <algorithm>

namespace {

// Lines of text around the plot, and of plot itself, that a readable chart needs.
constexpr int plotLines = 8;
constexpr int widthLines = 22;

} // namespace

void updateChartRoom(QChartView *view)
{
    const QChart *chart = view->chart();
    int label = QFontMetrics(view->font()).lineSpacing();
    int axisTitles = 0;
    for (const QAbstractAxis *axis : chart->axes()) {
        label = std::max(label, QFontMetrics(axis->labelsFont()).lineSpacing());
        if (axis->isVisible() && axis->orientation() == Qt::Horizontal) {
            axisTitles += QFontMetrics(axis->labelsFont()).lineSpacing();
            if (!axis->titleText().isEmpty())
                axisTitles += QFontMetrics(axis->titleFont()).lineSpacing();
        }
    }
    int title = 0;
    if (!chart->title().isEmpty())
        title = QFontMetrics(chart->titleFont()).lineSpacing() *
                int(chart->title().count(QStringLiteral("<br>")) + 1);
    const int legend =
        chart->legend()->isVisible() ? QFontMetrics(chart->legend()->font()).lineSpacing() * 2 : 0;
    const QMargins margins = chart->margins();
    const int height = title + legend + axisTitles + plotLines * label + margins.top() +
                       margins.bottom() + 4 * label;
    view->setMinimumSize(widthLines * label, height);
}

QScrollArea *chartWithRoom(QChartView *view, QWidget *parent)
{
    auto *area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidget(view);
    updateChartRoom(view);
    return area;
}
