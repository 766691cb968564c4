#include "core/editing/undoring.h"

#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"

#include <QStringList>

namespace {

bool InRing(int slot)
{
    return slot >= 0 && slot < UndoRing::Slots;
}

} // namespace

QString UndoRing::UndoClip(int slot) const
{
    return InRing(slot) ? m_clip[size_t(slot)] : QString();
}
QString UndoRing::UndoHead(int slot) const
{
    return InRing(slot) ? m_head[size_t(slot)] : QString();
}
QString UndoRing::UndoData(int slot) const
{
    return InRing(slot) ? m_data[size_t(slot)] : QString();
}

bool UndoRing::isFilled(int slot) const
{
    return InRing(slot) && !m_clip[size_t(slot)].isEmpty() && !m_head[size_t(slot)].isEmpty() &&
           !m_data[size_t(slot)].isEmpty();
}

void UndoRing::pushUndo(const OddsDocument &doc)
{
    if (!InRing(m_pos))
        m_pos = 0;
    const auto slot = size_t(m_pos);
    m_clip[slot] = TableText(doc.runnerTable, QLatin1Char('\t'), QLatin1Char('\r'));
    m_head[slot] = HeaderLine(doc);
    m_data[slot] = ValuesLine(doc);
    ++m_pos;
}

bool UndoRing::undo(OddsDocument &doc)
{
    --m_pos;
    if (m_pos < 0)
        m_pos = Slots - 1;
    if (!isFilled(m_pos))
        return false;

    Grid &grid = doc.runnerTable;
    const int row = grid.row();
    const int col = grid.col();

    // The fields as the file reader maps them; missing fields leave their boxes as they are.
    applyHeaderFields(doc, splitFields(m_head[size_t(m_pos)], 5));
    applyValueFields(doc, splitFields(m_data[size_t(m_pos)], 7), false);

    // Row k into grid row k, cell j into column j. Only cells whose text differs are
    // written: an undo usually changes a handful of cells in a large table.
    const QString &clip = m_clip[size_t(m_pos)];
    qsizetype pos = 0;
    for (int r = 0; r < grid.rows() && pos <= clip.size(); ++r) {
        qsizetype end = clip.indexOf(QLatin1Char('\r'), pos);
        if (end < 0)
            end = clip.size();
        const QStringView line = QStringView(clip).mid(pos, end - pos);
        qsizetype cellPos = 0;
        for (int c = 0; c < grid.cols() && cellPos <= line.size(); ++c) {
            qsizetype cellEnd = line.indexOf(QLatin1Char('\t'), cellPos);
            if (cellEnd < 0)
                cellEnd = line.size();
            const QStringView cell = line.mid(cellPos, cellEnd - cellPos);
            if (grid.text(r, c) != cell)
                grid.setText(r, c, cell.toString());
            cellPos = cellEnd + 1;
        }
        pos = end + 1;
    }

    grid.setCurrent(row, col);
    return true;
}
