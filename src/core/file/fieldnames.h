#pragma once
// What the reader and the writer of document files share: how a line is recognised as a table
// line, and the words that name a field or a cell to the user.

#include <QString>
#include <QStringView>

class Grid;

// First characters "番,枠" as text: the comma may be full-width, nothing else folds here.
bool isTableLine(QStringView line);

// The field at position pos of the header line (line 0) or the values line (line 1), as the
// user knows it by the caption the window shows: 「タイトル」欄, 「結果」欄, 「縦枠」欄, ...;
// "" for the literal positions.
QString fileFieldName(int line, int pos);
// The caption the document window shows beside title field i (0..5): タイトル, 作成日, 予想, 備考,
// 備考2, 結果.
QString titleFieldCaption(int index);
// 表のセル (行 r, 列 c): a cell of a table line being read, before the table is built.
QString cellName(int row, int col);
// A cell of the runner table as the window shows it: 「3番の名前」 (the number column of its row
// and its column's header), 「名前」列の見出し, 「名前」列の比率.
QString tableCellName(const Grid &grid, int row, int col);

// "<where>が長すぎます (上限 MaxCellText 文字)。"
QString tooLongMessage(const QString &where);
