#include "core/editing/undoring.h"

#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"

#include <QStringList>

namespace {

bool inRing(int slot)
{
    return slot >= 0 && slot < UndoRing::Slots;
}

} // namespace

QString UndoRing::undoClip(int slot) const
{
    return inRing(slot) ? tableText(m_table[size_t(slot)], QLatin1Char('\t'), QLatin1Char('\r'))
                        : QString();
}
QString UndoRing::undoHead(int slot) const
{
    return inRing(slot) ? m_head[size_t(slot)] : QString();
}
QString UndoRing::undoData(int slot) const
{
    return inRing(slot) ? m_data[size_t(slot)] : QString();
}

bool UndoRing::isFilled(int slot) const
{
    return inRing(slot) && m_table[size_t(slot)].rows() > 0 && !m_head[size_t(slot)].isEmpty() &&
           !m_data[size_t(slot)].isEmpty();
}

void UndoRing::pushUndo(const OddsDocument &doc)
{
    if (!inRing(m_pos))
        m_pos = 0;
    const auto slot = size_t(m_pos);
    m_table[slot] = doc.runnerTable;
    m_head[slot] = headerLine(doc);
    m_data[slot] = valuesLine(doc);
    ++m_pos;
}

bool UndoRing::undo(OddsDocument &doc)
{
    --m_pos;
    if (m_pos < 0)
        m_pos = Slots - 1;
    if (!isFilled(m_pos))
        return false;

    // The fields as the file reader maps them; missing fields leave their boxes as they are.
    applyHeaderFields(doc, splitFields(m_head[size_t(m_pos)], 5));
    applyValueFields(doc, splitFields(m_data[size_t(m_pos)], 7), false);

    doc.restoreTable(m_table[size_t(m_pos)]);
    return true;
}
