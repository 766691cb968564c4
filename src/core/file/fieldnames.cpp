#include "core/file/fieldnames.h"

#include "core/document/grid.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"

#include <iterator>

bool isTableLine(QStringView line)
{
    return line.size() >= 3 && line.at(0) == QChar(0x756A) &&
           (line.at(1) == QLatin1Char(',') || line.at(1) == QChar(0xFF0C)) &&
           line.at(2) == QChar(0x67A0);
}

QString fileFieldName(int line, int pos)
{
    auto field = [](const QString &label) { return QStringLiteral("「%1」欄").arg(label); };
    auto title = [&field](int i) { return field(titleFieldCaption(i)); };
    if (pos >= 2 && pos <= 4)
        return title(line == 0 ? pos - 2 : pos + 1);
    if (line == 0)
        return QString();
    switch (pos) {
    case 0:
        return field(QStringLiteral("縦枠"));
    case 1:
        return field(QStringLiteral("横枠"));
    case 5:
        return field(QStringLiteral("控除"));
    case 6:
        return field(QStringLiteral("投票金"));
    default:
        return QString();
    }
}

QString titleFieldCaption(int index)
{
    static const char16_t *const captions[] = {u"タイトル", u"作成日", u"予想",
                                               u"備考",     u"備考2",  u"結果"};
    if (index < 0 || index >= int(std::size(captions)))
        return QString();
    return QString::fromUtf16(captions[index]);
}

QString cellName(int row, int col)
{
    return QStringLiteral("表のセル (行 %1, 列 %2)").arg(row).arg(col);
}

QString tableCellName(const Grid &grid, int row, int col)
{
    // One line, as the cell shows it.
    auto shown = [&grid](int r, int c) {
        QString text = grid.text(r, c);
        text.remove(QLatin1Char('\r'));
        text.remove(QLatin1Char('\n'));
        return text.trimmed();
    };
    QString column = row == HeaderRow ? QString() : shown(HeaderRow, col);
    if (column.isEmpty())
        column = QStringLiteral("%1列目").arg(col + 1);
    if (row == HeaderRow)
        return QStringLiteral("「%1」の見出し").arg(column);
    if (row == RatioRow)
        return QStringLiteral("「%1」列の比率").arg(column);
    QString number = shown(row, ColNumber);
    if (number.isEmpty())
        number = QString::number(row - RatioRow);
    return QStringLiteral("「%1番の%2」").arg(number, column);
}

QString tooLongMessage(const QString &where)
{
    return QStringLiteral("%1が長すぎます (上限 %2文字)。").arg(where).arg(MaxCellText);
}
