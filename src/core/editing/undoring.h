#pragma once
// The undo ring of one document: 51 snapshots of the whole document in file form.
//
// A snapshot is the header line, the values line (with the counts the table is built for) and
// a copy of the runner table with its colours. pushUndo writes the slot at undoPos and moves
// on; undo steps one slot back and restores it if that slot is filled. There is no redo: a
// snapshot taken after undos goes into the slot just restored.

#include "core/document/grid.h"

#include <QString>
#include <array>

class OddsDocument;

class UndoRing
{
public:
    static constexpr int Slots = 51;

    // Takes a snapshot of the document as it is now. The document is not changed.
    void pushUndo(const OddsDocument &doc);

    // Restores the previous slot: fields through the setters (so the count and ratio change
    // rules run), then the table with its shape, texts and colours, so counts and table agree
    // again. Nothing is recalculated. The current cell stays where it was (within the table)
    // and the selection collapses onto it. False (and nothing changed) for an empty slot.
    bool undo(OddsDocument &doc);

    int undoPos() const { return m_pos; }
    // The slot's table text: cells by TAB, rows by CR.
    QString undoClip(int slot) const;
    QString undoHead(int slot) const;
    QString undoData(int slot) const;
    bool isFilled(int slot) const;

private:
    std::array<Grid, Slots> m_table;
    std::array<QString, Slots> m_head;
    std::array<QString, Slots> m_data;
    int m_pos = 0;
};
