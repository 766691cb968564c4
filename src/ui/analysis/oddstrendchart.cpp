#include "ui/analysis/oddstrendchart.h"

#include "ui/desktop/uicolor.h"

#include <QCategoryAxis>
#include <QChart>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QLogValueAxis>
#include <algorithm>
#include <cmath>
#include <map>

namespace {

// Runners without a bracket still need lines that can be told apart.
const QColor Unbracketed[] = {QColor(31, 119, 180),  QColor(214, 39, 40),  QColor(44, 160, 44),
                              QColor(148, 103, 189), QColor(255, 127, 14), QColor(140, 86, 75),
                              QColor(227, 119, 194), QColor(127, 127, 127)};

const QColor Edge(60, 60, 60);

// Labels beyond this many would run into each other on the time axis.
constexpr int MostTimeLabels = 12;

} // namespace

OddsTrendChart::OddsTrendChart(QWidget *parent) : QChartView(new QChart, parent)
{
    setObjectName(QStringLiteral("OddsTrendChart"));
    setRenderHint(QPainter::Antialiasing);
    chart()->legend()->hide();
    // Room right of the last snapshot for the numbers at the lines' ends.
    QMargins margins = chart()->margins();
    margins.setRight(margins.right() + 36);
    chart()->setMargins(margins);
    m_times = new QCategoryAxis;
    m_times->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_times->setTitleText(QStringLiteral("時刻"));
    m_odds = new QLogValueAxis;
    m_odds->setBase(10);
    m_odds->setMinorTickCount(8);
    m_odds->setLabelFormat(QStringLiteral("%g"));
    m_odds->setTitleText(QStringLiteral("単勝オッズ"));
    chart()->addAxis(m_times, Qt::AlignBottom);
    chart()->addAxis(m_odds, Qt::AlignLeft);
    connect(chart(), &QChart::plotAreaChanged, this, &OddsTrendChart::placeEndLabels);
}

void OddsTrendChart::setTrend(const OddsTrend &trend, const std::vector<RunnerInfo> &runners,
                              const QString &title)
{
    chart()->setTitle(title);
    std::vector<std::pair<int, Color>> brackets;
    for (const RunnerInfo &r : runners)
        brackets.emplace_back(r.bracket, r.bracketColor);
    if (trend == m_trend && brackets == m_brackets && !chart()->series().isEmpty())
        return;
    m_trend = trend;
    m_brackets = brackets;
    chart()->removeAllSeries();
    for (const EndLabel &label : m_endLabels)
        delete label.box;
    m_endLabels.clear();

    const int count = int(trend.snapshots.size());
    const QStringList current = m_times->categoriesLabels();
    for (const QString &label : current)
        m_times->remove(label);
    const int step = std::max(1, (count + MostTimeLabels - 1) / MostTimeLabels);
    for (int k = 0; k < count; k += step) {
        // Category labels must differ: equal ones are told apart by invisible spaces.
        QString label = trend.labels[size_t(k)];
        while (m_times->categoriesLabels().contains(label))
            label += QChar(0x200b);
        m_times->append(label, k);
    }
    m_times->setRange(count > 1 ? -0.3 : -1, count > 1 ? count - 0.7 : 1);
    m_times->setLabelsAngle(count > 6 ? -45 : 0);

    double lowest = 0;
    double highest = 0;
    std::map<int, int> inBracket; // runners drawn so far per bracket
    const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
    for (size_t r = 0; r < trend.odds.size(); ++r) {
        const std::vector<double> &odds = trend.odds[r];
        const int bracket = r < runners.size() ? runners[r].bracket : 0;
        // Without a bracket the cell's colour is the plain background.
        const Color painted = bracket ? runners[r].bracketColor : NoColor;
        const QColor colour =
            painted != NoColor ? toQColor(painted) : Unbracketed[r % std::size(Unbracketed)];
        const Qt::PenStyle style =
            bracket ? styles[size_t(inBracket[bracket]++ % 4)] : Qt::SolidLine;
        QLineSeries *edge = nullptr;
        QLineSeries *line = nullptr;
        QLineSeries *end = nullptr;
        QPointF last;
        // Many snapshots make the points a blur; a line of one point is only its point.
        const auto endSegment = [&] {
            if (line && (count <= 20 || line->count() == 1)) {
                edge->setPointsVisible(true);
                line->setPointsVisible(true);
            }
            line = nullptr;
        };
        // A gap ends a line: each run of snapshots with odds is a series of its own, drawn over
        // a darker, wider one so that white and yellow lines show on the white plot.
        for (int k = 0; k < count; ++k) {
            if (odds[size_t(k)] <= 0) {
                endSegment();
                continue;
            }
            if (!line) {
                edge = new QLineSeries;
                edge->setPen(QPen(Edge, 4.5));
                line = new QLineSeries;
                QPen pen(colour, 2.5);
                pen.setStyle(style);
                line->setPen(pen);
                for (QLineSeries *s : {edge, line}) {
                    chart()->addSeries(s);
                    s->attachAxis(m_times);
                    s->attachAxis(m_odds);
                }
            }
            last = QPointF(k, odds[size_t(k)]);
            edge->append(last);
            line->append(last);
            end = line;
            lowest = lowest > 0 ? std::min(lowest, last.y()) : last.y();
            highest = std::max(highest, last.y());
        }
        endSegment();
        if (!end)
            continue;
        auto *box = new QGraphicsRectItem(chart());
        box->setBrush(colour);
        box->setPen(QPen(Edge, 1));
        auto *text = new QGraphicsSimpleTextItem(QString::number(r + 1), box);
        QFont font = text->font();
        font.setBold(true);
        text->setFont(font);
        text->setBrush(colour.lightnessF() > 0.6 ? Qt::black : Qt::white);
        const QRectF textBox = text->boundingRect();
        box->setRect(0, 0, textBox.width() + 6, textBox.height() + 2);
        text->setPos(3, 1);
        box->setZValue(10);
        m_endLabels.push_back({box, end, last});
    }
    // From a power of ten below the odds to the next 1, 2 or 5 times one above them, so that
    // the labelled ticks are whole powers of ten and little of the plot stays empty.
    const double bottom = lowest > 0 ? std::pow(10, std::floor(std::log10(lowest))) : 1;
    const double steps[] = {1, 2, 5};
    double top = bottom * 10;
    for (int k = 1; top < highest * 1.1; ++k)
        top = bottom * 10 * std::pow(10, k / 3) * steps[k % 3];
    m_odds->setRange(bottom, top);
    placeEndLabels();
}

QStringList OddsTrendChart::endLabels() const
{
    QStringList labels;
    for (const EndLabel &label : m_endLabels)
        for (QGraphicsItem *child : label.box->childItems())
            labels << static_cast<QGraphicsSimpleTextItem *>(child)->text();
    return labels;
}

void OddsTrendChart::placeEndLabels()
{
    // Right of each line's last point. Labels at one snapshot that would overlap are stacked in
    // groups, each centred on where its labels would be, so none drifts far from its line.
    struct Wanted
    {
        double x;
        double y;
        QGraphicsRectItem *box;
    };
    std::vector<Wanted> wanted;
    for (const EndLabel &label : m_endLabels) {
        const QPointF at = chart()->mapToPosition(label.value, label.series);
        wanted.push_back({at.x() + 7, at.y() - label.box->rect().height() / 2, label.box});
    }
    std::sort(wanted.begin(), wanted.end(),
              [](const Wanted &a, const Wanted &b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    const QRectF plot = chart()->plotArea();
    struct Group
    {
        size_t begin;
        size_t end;
        double top;
        double height;
    };
    std::vector<Group> groups;
    const auto place = [&] {
        for (const Group &g : groups) {
            double y = g.top;
            for (size_t j = g.begin; j < g.end; ++j) {
                wanted[j].box->setPos(wanted[j].x, y);
                y += wanted[j].box->rect().height();
            }
        }
        groups.clear();
    };
    for (size_t k = 0; k < wanted.size(); ++k) {
        const double height = wanted[k].box->rect().height();
        if (!groups.empty() && std::abs(wanted[groups.back().begin].x - wanted[k].x) >= 1)
            place();
        groups.push_back({k, k + 1, wanted[k].y, height});
        while (groups.size() > 1 &&
               groups[groups.size() - 2].top + groups[groups.size() - 2].height >
                   groups.back().top) {
            const Group b = groups.back();
            groups.pop_back();
            Group &a = groups.back();
            a.end = b.end;
            a.height += b.height;
            double sum = 0;
            double offset = 0;
            for (size_t j = a.begin; j < a.end; ++j) {
                sum += wanted[j].y - offset;
                offset += wanted[j].box->rect().height();
            }
            a.top =
                std::max(plot.top() - height / 2, std::min(sum / double(a.end - a.begin),
                                                           plot.bottom() + height / 2 - a.height));
        }
    }
    place();
}
