#include "core/printlayout/printlayout.h"

#include <QStringList>
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

namespace {

const QString MeasureChar = QStringLiteral("あ");
constexpr Color Black = 0;
constexpr Color ShadeColor = rgb(248, 248, 248);

// Markers are matched as text: case and full-width forms fold to the same character.
QChar fold(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E)
        c = QChar(char16_t(u - 0xFEE0));
    return c.toLower();
}

QStringList splitAsText(const QString &text, const QString &marker)
{
    QString folded = text;
    for (QChar &c : folded)
        c = fold(c);
    QString foldedMarker = marker;
    for (QChar &c : foldedMarker)
        c = fold(c);
    QStringList parts;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = folded.indexOf(foldedMarker, from);
        if (at < 0)
            break;
        parts.append(text.mid(from, at - from));
        from = at + marker.size();
    }
    parts.append(text.mid(from));
    return parts;
}

QStringList titleLines(const QString &title)
{
    if (title.isEmpty())
        return {};
    return splitAsText(title, TitleSeparator);
}

QString withoutLineBreaks(QString text)
{
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

LayoutError surfaceError(const Surface *s)
{
    if (!s)
        return {PrinterErrorNumber, QStringLiteral("使用できるプリンターがありません")};
    if (s->errorNumber() != 0)
        return {s->errorNumber(), s->errorDescription()};
    return {};
}

} // namespace

void RecordingSurface::setFontName(const QString &name)
{
    m_measure.setFontName(name);
    record(Op::FontName, 0, 0, 0, 0, 0, name);
}

void RecordingSurface::setFontSize(int points)
{
    m_measure.setFontSize(points);
    record(Op::FontSize, points);
}

void RecordingSurface::setFontBold(bool bold)
{
    m_measure.setFontBold(bold);
    record(Op::Bold, bold ? 1 : 0);
}

void RecordingSurface::setTextColor(Color c)
{
    m_measure.setTextColor(c);
    record(Op::TextColor, 0, 0, 0, 0, c);
}

void RecordingSurface::setLineWidth(int width)
{
    m_measure.setLineWidth(width);
    record(Op::LineWidth, width);
}

void RecordingSurface::drawText(int x, int y, const QString &text)
{
    record(Op::Text, x, y, 0, 0, 0, text);
}

void RecordingSurface::drawLine(int x1, int y1, int x2, int y2, Color c)
{
    record(Op::Line, x1, y1, x2, y2, c);
}

void RecordingSurface::fillBox(int x1, int y1, int x2, int y2, Color c)
{
    record(Op::Box, x1, y1, x2, y2, c);
}

void RecordingSurface::replay(Surface &target) const
{
    for (const Step &s : m_ops) {
        switch (s.op) {
        case Op::FontName:
            target.setFontName(s.text);
            break;
        case Op::FontSize:
            target.setFontSize(s.a);
            break;
        case Op::Bold:
            target.setFontBold(s.a != 0);
            break;
        case Op::TextColor:
            target.setTextColor(s.color);
            break;
        case Op::LineWidth:
            target.setLineWidth(s.a);
            break;
        case Op::Text:
            target.drawText(s.a, s.b, s.text);
            break;
        case Op::Line:
            target.drawLine(s.a, s.b, s.c, s.d, s.color);
            break;
        case Op::Box:
            target.fillBox(s.a, s.b, s.c, s.d, s.color);
            break;
        }
    }
}

int roundEven(double x)
{
    if (!std::isfinite(x))
        return 0;
    const double r = std::nearbyint(x);
    if (r >= double(INT_MAX))
        return INT_MAX;
    if (r <= double(INT_MIN))
        return INT_MIN;
    return int(r);
}

int clampFontSize(int points)
{
    return std::clamp(points, MinFontSize, MaxFontSize);
}

QString parse(const QString &s, int n, const QString &sep)
{
    if (n < 1)
        return QString();
    if (sep.isEmpty())
        return n == 1 ? s : QString();
    qsizetype pos = 0;
    for (int i = 1; i < n; ++i) {
        const qsizetype found = s.indexOf(sep, pos);
        if (found < 0)
            return QString();
        pos = found + sep.size();
    }
    const qsizetype next = s.indexOf(sep, pos);
    return next >= 0 ? s.mid(pos, next - pos) : s.mid(pos);
}

QString plainTitle(const QString &title)
{
    QStringList parts;
    for (const QString &line : splitAsText(title, TitleSeparator))
        parts.append(splitAsText(line, RightPartMarker).join(QLatin1Char(' ')));
    return parts.join(QLatin1Char(' '));
}

QString printTitle(const QString &title, const QString &date, bool quinella)
{
    return (quinella ? QStringLiteral("馬連:") : QStringLiteral("集計:")) + title +
           QLatin1Char(':') + date;
}

QString pageIndicator(int page, int pageCount)
{
    return QStringLiteral("%1/%2")
        .arg(page, 2, 10, QLatin1Char('0'))
        .arg(pageCount, 2, 10, QLatin1Char('0'));
}

QString cutWithEllipsis(Surface &surface, const QString &text, double width, double inset)
{
    // Prefix ends that never split a surrogate pair.
    std::vector<qsizetype> ends;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            ++i;
        ends.push_back(i + 1);
    }
    auto reaches = [&](size_t k) {
        return surface.textWidth(text.left(ends[k - 1]) + Ellipsis) + inset >= width;
    };
    // The first count k whose ellipsised prefix reaches the width; widths grow with k.
    size_t lo = 1, hi = ends.size() + 1;
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (reaches(mid))
            hi = mid;
        else
            lo = mid + 1;
    }
    if (lo > ends.size())
        return text;
    return text.left(lo >= 2 ? ends[lo - 2] : 0) + Ellipsis;
}

int PrintLayout::setup(Grid *outMsfGrid, const QString &outTitle, int outFontSize, bool reflect,
                       bool reverse, bool rowColor)
{
    grid = outMsfGrid;
    title = outTitle;
    reflectFontColor = reflect;
    reverseFontColor = reverse;
    changeRowColor = rowColor;
    data = {};
    const QString fontName = grid ? grid->fontName() : QString();
    int size = outFontSize;
    if (size == 0)
        size = grid ? roundEven(grid->fontSize()) : 9;
    size = clampFontSize(size);
    for (PrintData &d : data) {
        d.fontName = fontName;
        d.fontSize = size;
    }
    totalColWidth = 0;
    if (grid) {
        for (int c = 0; c < grid->cols(); ++c)
            totalColWidth += grid->colWidth(c);
    }
    return size;
}

Surface *PrintLayout::target(int device) const
{
    if (device == DevicePrinter && printer)
        return printer;
    return preview;
}

int PrintLayout::titleLineCount() const
{
    return int(titleLines(title).size());
}

int PrintLayout::rowHeight(int device) const
{
    return roundEven(1.5 * data[size_t(device & 1)].lineHeight);
}

void PrintLayout::initPrintData()
{
    // The document may have refitted its columns since the entry: keep the table on the page.
    if (grid) {
        totalColWidth = 0;
        for (int c = 0; c < grid->cols(); ++c)
            totalColWidth += grid->colWidth(c);
    }
    for (int device : {DevicePreview, DevicePrinter}) {
        Surface *s = target(device);
        if (!s)
            continue;
        PrintData &d = data[size_t(device)];
        s->setFontName(d.fontName);
        s->setFontSize(d.fontSize);
        s->setFontBold(false);
        d.lineHeight = roundEven(s->textHeight(MeasureChar));
        d.charWidth = roundEven(s->textWidth(MeasureChar));
        d.leftMargin = d.charWidth;
        d.topMargin = d.lineHeight;
        const bool ownPrinter = device == DevicePrinter && printer;
        const int width = device == DevicePreview || ownPrinter ? s->scaleWidth() : printerWidth;
        const int height = device == DevicePreview || ownPrinter ? s->scaleHeight() : printerHeight;
        d.rightEdge = width - d.leftMargin;
        d.bottomEdge = height - d.topMargin;
        calcPages(device);
    }
}

void PrintLayout::calcPages(int device)
{
    Surface *s = target(device);
    if (!s)
        return;
    PrintData &d = data[size_t(device & 1)];
    s->setFontSize(d.fontSize + 2);
    s->setFontBold(true);
    const double titleHeight = s->textHeight(MeasureChar);
    s->setFontSize(d.fontSize);
    s->setFontBold(false);

    d.gridTop = roundEven(2.0 * d.topMargin + titleHeight * titleLineCount());
    const int h = rowHeight(device);
    const int rows = grid ? grid->rows() : 0;
    d.rowsPerPage = rows;
    d.pageCount = 1;
    qint64 y = d.gridTop;
    for (int i = 0; i < rows; ++i) {
        y += h;
        if (y >= d.bottomEdge) {
            // i rows fit; one is kept in reserve. Never fewer than one row a page,
            // so a huge font or tiny paper still paginates instead of dividing by zero.
            d.rowsPerPage = std::max(1, i - 1);
            const int header = repeatedHeaderRows(d.rowsPerPage);
            d.pageCount = (rows - header + d.rowsPerPage - header - 1) / (d.rowsPerPage - header);
            break;
        }
    }
}

int PrintLayout::repeatedHeaderRows(int rowsPerPage) const
{
    // At least one row of the table itself on every page.
    return std::clamp(headerRows, 0, std::max(0, rowsPerPage - 1));
}

PageRows PrintLayout::rowsOfPage(int page, int device) const
{
    const PrintData &d = data[size_t(device & 1)];
    const int rows = grid ? grid->rows() : 0;
    const int header = repeatedHeaderRows(d.rowsPerPage);
    PageRows r;
    r.first = header + std::max(0, page - 1) * (d.rowsPerPage - header);
    r.end = r.first + d.rowsPerPage - header;
    if (r.end > rows - 1)
        r.end = rows;
    r.first = std::min(r.first, r.end);
    return r;
}

int PrintLayout::validPage(int page, int device) const
{
    const PrintData &d = data[size_t(device & 1)];
    if (page > d.pageCount)
        page = d.pageCount;
    return std::max(page, 1);
}

LayoutError PrintLayout::writeTitle(int device)
{
    Surface *s = device == DevicePrinter ? printer : preview;
    if (LayoutError e = surfaceError(s); !e.ok())
        return e;
    PrintData &d = data[size_t(device & 1)];
    s->setFontName(d.fontName);
    s->setFontSize(d.fontSize + 2);
    s->setFontBold(true);
    s->setTextColor(Black);
    const double lineHeight = s->textHeight(MeasureChar);
    const QStringList lines = titleLines(title);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines.at(i);
        const double available = s->scaleWidth() - 2.0 * d.leftMargin;
        if (s->textWidth(line) > available)
            line = cutWithEllipsis(*s, line, available);
        const int y = roundEven(d.topMargin + double(i) * lineHeight * 1.2);
        const QStringList parts = splitAsText(line, RightPartMarker);
        s->drawText(d.leftMargin, y, parts.at(0));
        if (parts.size() > 1)
            s->drawText(roundEven(d.rightEdge - s->textWidth(parts.at(1))), y, parts.at(1));
    }
    s->setFontBold(false);
    return surfaceError(s);
}

LayoutError PrintLayout::writeFooter(int page, int device)
{
    PrintData &d = data[size_t(device & 1)];
    d.currentPage = page;
    Surface *s = device == DevicePrinter ? printer : preview;
    if (LayoutError e = surfaceError(s); !e.ok())
        return e;
    if (d.fontSize < MinFontSize)
        d.fontSize = MinFontSize;
    s->setFontName(d.fontName);
    s->setFontSize(d.fontSize - 2);
    s->setFontBold(false);
    s->setTextColor(Black);
    const QDate day = date.isValid() ? date : QDate::currentDate();
    const QString dateText = day.toString(QStringLiteral("yyyy/MM/dd"));
    const int y = roundEven(d.bottomEdge - s->textHeight(dateText));
    s->drawText(d.leftMargin, y, dateText);
    const QString pageText = QStringLiteral("%1 / %2 ページ").arg(page).arg(d.pageCount);
    s->drawText(roundEven(d.rightEdge - s->textWidth(pageText)), y, pageText);
    return surfaceError(s);
}

LayoutError PrintLayout::writeGrid(int page, int device)
{
    Surface *s = device == DevicePrinter ? printer : preview;
    if (LayoutError e = surfaceError(s); !e.ok())
        return e;
    if (!grid)
        return {};
    const PrintData &d = data[size_t(device & 1)];
    const PageRows rows = rowsOfPage(page, device);
    std::vector<int> shown;
    for (int r = 0; r < std::min(repeatedHeaderRows(d.rowsPerPage), rows.first); ++r)
        shown.push_back(r);
    for (int r = rows.first; r < rows.end; ++r)
        shown.push_back(r);
    s->setFontName(d.fontName);
    s->setFontSize(d.fontSize);
    s->setFontBold(false);
    s->setLineWidth(1);
    const int h = rowHeight(device);

    const int cols = grid->cols();
    const double available = s->scaleWidth() - 2.0 * d.leftMargin;
    std::vector<int> widths(size_t(std::max(cols, 0)), 0);
    for (int c = 0; c < cols; ++c) {
        if (totalColWidth > 0)
            widths[size_t(c)] = roundEven(available * grid->colWidth(c) / totalColWidth);
    }

    int y = d.gridTop;
    int bottom = y;
    for (size_t k = 0; k <= shown.size(); ++k) {
        if (k < shown.size() && changeRowColor && shown[k] % 2 == 0)
            s->fillBox(d.leftMargin, y, d.rightEdge, y + h, ShadeColor);
        for (int c = 0, x = d.leftMargin; k < shown.size() && cellBackgrounds && c < cols; ++c) {
            const Color back = grid->cellBackColor(shown[k], c);
            if (back != NoColor)
                s->fillBox(x, y, c == cols - 1 ? d.rightEdge : x + widths[size_t(c)], y + h, back);
            x += widths[size_t(c)];
        }
        s->drawLine(d.leftMargin, y, d.rightEdge, y, Black);
        bottom = y;
        y += h;
    }

    int x = d.leftMargin;
    for (int c = 0; c < cols; ++c) {
        s->drawLine(x, d.gridTop, x, bottom, Black);
        x += widths[size_t(c)];
    }
    s->drawLine(d.rightEdge, d.gridTop, d.rightEdge, bottom, Black);

    const int inset = roundEven(0.15 * d.charWidth);
    const int textDy = 1 + (h - d.lineHeight) / 2;
    y = d.gridTop;
    Color current = Black;
    s->setTextColor(current);
    for (const int r : shown) {
        x = d.leftMargin;
        for (int c = 0; c < cols; ++c) {
            const int w = widths[size_t(c)];
            if (w == 0)
                continue;
            QString text = withoutLineBreaks(grid->text(r, c));
            Color color = Black;
            if (reflectFontColor) {
                color = grid->effectiveForeColor(r, c);
                if (reverseFontColor)
                    color ^= 0xFFFFFFu;
            }
            if (color != current) {
                s->setTextColor(color);
                current = color;
            }
            double tw = text.isEmpty() ? inset : s->textWidth(text) + inset;
            if (tw >= w) {
                text = cutWithEllipsis(*s, text, w, inset);
                tw = s->textWidth(text) + inset;
            }
            const int right = c == cols - 1 ? d.rightEdge : x + w;
            int tx;
            switch (grid->colAlignment(c)) {
            case 3:
            case 4:
            case 5:
                tx = x + 1 + (w - roundEven(tw)) / 2;
                break;
            case 6:
            case 7:
            case 8:
                tx = roundEven(right - tw - 1);
                break;
            default:
                tx = x + 1 + inset;
                break;
            }
            if (!text.isEmpty())
                s->drawText(tx, y + textDy, text);
            x += w;
        }
        y += h;
        if (s->errorNumber() != 0)
            break;
    }
    return {};
}
