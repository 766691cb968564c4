#include "core/editing/undoring.h"

#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/text/textcompare.h"

#include <QStringList>

namespace {

bool InRing(int slot)
{
    return slot >= 0 && slot < UndoRing::Slots;
}

} // namespace

QString UndoRing::UndoClip(int slot) const
{
    return InRing(slot) ? TableText(m_table[size_t(slot)], QLatin1Char('\t'), QLatin1Char('\r'))
                        : QString();
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
    return InRing(slot) && m_table[size_t(slot)].rows() > 0 && !m_head[size_t(slot)].isEmpty() &&
           !m_data[size_t(slot)].isEmpty();
}

void UndoRing::pushUndo(const OddsDocument &doc)
{
    if (!InRing(m_pos))
        m_pos = 0;
    const auto slot = size_t(m_pos);
    m_table[slot] = doc.runnerTable;
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

    // Fields are split at commas as text, like the file: a title holding a comma spills
    // into the next field, and missing fields leave their boxes as they are.
    const QStringList head = TextSplit(m_head[size_t(m_pos)], QStringLiteral(","));
    for (int i = 0; i < 3; ++i) {
        if (2 + i < head.size())
            doc.setTitleText(i, head.at(2 + i));
    }
    const QStringList data = TextSplit(m_data[size_t(m_pos)], QStringLiteral(","));
    auto field = [&data](int i, auto &&apply) {
        if (i < data.size())
            apply(data.at(i));
    };
    field(0, [&](const QString &t) { doc.setCountText(0, t); });
    field(1, [&](const QString &t) { doc.setCountText(1, t); });
    field(2, [&](const QString &t) { doc.setTitleText(3, t); });
    field(3, [&](const QString &t) { doc.setTitleText(4, t); });
    field(4, [&](const QString &t) { doc.setTitleText(5, t); });
    field(5, [&](const QString &t) { doc.setPayoutRatioText(t); });
    field(6, [&](const QString &t) { doc.setPoolText(t); });

    doc.restoreTable(m_table[size_t(m_pos)]);
    return true;
}
