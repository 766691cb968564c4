#pragma once
// The comma-separated document file: its writer, its reader and the template.
//
// Layout (code page 932): header line CR LF, values line CR LF, then one line per row of
// the runner table, the rows joined by a lone CR and the last one ended by CR LF.
// The same three texts make an undo snapshot (core/editing/undoring.h), with TAB between cells.
// The reader and writer know nothing of menus or settings: callers record recent files.

#include "core/document/grid.h"
#include "core/system/safefile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

class OddsDocument;
class QIODevice;

// Longest text of a cell or field that a file may hold. A longer one is refused, by the reader
// and by the writer, never cut.
inline constexpr qsizetype MaxCellText = 1024;
// Larger files are not documents; they are refused before they are read.
inline constexpr qint64 MaxDocumentBytes = 64 * 1024 * 1024;

// "縦枠,横枠," title 0..2 ",控除,投票".
QString headerLine(const OddsDocument &doc);
// The counts the table is built for, titles 3..5, ratio and pool joined by ",".
QString valuesLine(const OddsDocument &doc);
// Every cell of the grid, row 0 first: cells joined by colSep, rows by rowSep (none at the end).
QString tableText(const Grid &grid, QChar colSep, QChar rowSep);
// The whole file as text: what writeDocument encodes.
QString documentText(const OddsDocument &doc, const Grid &runnerTable);

// Splits a line into at most maxFields fields at "," and its full-width form "，", the only
// characters equal to a comma as text. An empty line has no fields.
QStringList splitFields(const QString &line, qsizetype maxFields);
// The same fields, handed to take(field) one at a time until it returns false: the reader
// builds cells from them without a list per line.
template <typename Take> void forEachField(QStringView line, qsizetype maxFields, Take &&take)
{
    if (line.isEmpty() || maxFields <= 0)
        return;
    qsizetype start = 0, count = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const char16_t ch = line[i].unicode();
        if (ch == u',' || ch == 0xFF0C) {
            if (!take(line.sliced(start, i - start)) || ++count == maxFields)
                return;
            start = i + 1;
        }
    }
    take(line.sliced(start));
}
// The header line's titles (fields 2..4) into titles 0..2.
// The values line's fields in file order: counts, then buildTable when rebuildTable (the reader
// does; undo restores the table cell by cell instead), then titles 3..5, ratio and pool.
// A missing field leaves its text as it was; the result is the first missing position, or -1.
int applyHeaderFields(OddsDocument &doc, const QStringList &fields);
int applyValueFields(OddsDocument &doc, const QStringList &fields, bool rebuildTable);

// Encodes the document to code page 932. Not ok, naming the cell or field, when a text would
// not read back as it is: a comma (half- or full-width), CR or LF, a character code page 932
// cannot hold or gives back as another one, a text longer than MaxCellText. Bytes are then empty.
FileResult encodeDocument(const OddsDocument &doc, const Grid &runnerTable, QByteArray *bytes);

// Writes the encoded document to a device; not ok when the device takes fewer bytes.
FileResult writeDocument(const OddsDocument &doc, const Grid &runnerTable, QIODevice &device);

// Writes the file from the given grid and the document's fields. The file is replaced only
// when everything is on the disk (see replaceFile); on any failure the old file stays byte for
// byte and the message says why.
FileResult writeDocument(const OddsDocument &doc, const Grid &runnerTable, const QString &path);

// writeDocument of the document's own table; its current cell and selection stay as they were.
FileResult saveDocument(OddsDocument &doc, const QString &path);

// Reads path into the document: titles, counts (then buildTable), ratio, pool, and every
// cell of the runner table that the file has. Not ok when the file cannot be read, is not a
// regular file, its header part is short of fields, or a text it would put into the document is
// longer than MaxCellText: the table then stays as it was, while the fields read before the
// fault keep their new values. No recalculation, no undo snapshot; current cell and selection
// are kept.
// Encoding: a file that begins with the UTF-8 byte-order mark, or holds valid UTF-8 with
// non-ASCII text, is read as UTF-8; any other as code page 932 (undecodable bytes become
// U+FFFD). Lines end at CR LF or a lone CR, where a lone LF is text; a file without any CR
// ends its lines at LF.
FileResult loadDocument(OddsDocument &doc, const QString &path);

// loadDocument of a command-line input (see readInput): "-" is standard input, a pipe is read
// to its end.
FileResult loadDocumentInput(OddsDocument &doc, const QString &path);

// loadDocument on bytes already read.
FileResult loadDocumentBytes(OddsDocument &doc, const QByteArray &bytes);

// appFolder + "Default.def"; appFolder ends in "/".
QString defaultPath(const QString &appFolder);

struct DefaultResult
{
    bool exists = false; // the template file was there and loadDocument ran
    FileResult load;     // loadDocument's result; when exists and load.ok, caption = path
    QString path;
};

// Loads the template when it exists; otherwise nothing happens.
DefaultResult loadTemplate(OddsDocument &doc, const QString &appFolder);
