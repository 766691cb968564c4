#pragma once
// The comma-separated document file: its writer, its reader and the template.
//
// Layout (code page 932): header line CR LF, values line CR LF, then one line per row of
// the runner table, the rows joined by a lone CR and the last one ended by CR LF.
// The same three texts make an undo snapshot (core/editing/undoring.h), with TAB between cells.

#include "core/document/grid.h"

#include <QByteArray>
#include <QString>

class OddsDocument;
class RecentFileList;
class QIODevice;

// "縦枠,横枠," title 0..2 ",控除,投票".
QString HeaderLine(const OddsDocument &doc);
// The counts the table is built for, titles 3..5, ratio and pool joined by ",".
QString ValuesLine(const OddsDocument &doc);
// Every cell of the grid, row 0 first: cells joined by colSep, rows by rowSep (none at the end).
QString TableText(const Grid &grid, QChar colSep, QChar rowSep);
// The whole file as text: what writeDocument encodes.
QString DocumentText(const OddsDocument &doc, const Grid &runnerTable);

struct FileResult
{
    bool ok = true;
    // User-readable cause when not ok, without the path (the caller names the file). For
    // text that code page 932 cannot hold it names the cell (row, column) or the field and
    // the character.
    QString message;
};

// Encodes the document to code page 932. Not ok when a text has a character the code
// page lacks; bytes are then empty.
FileResult EncodeDocument(const OddsDocument &doc, const Grid &runnerTable, QByteArray *bytes);

// Writes the encoded document to an open device; not ok when the device takes fewer bytes.
FileResult WriteDocument(const OddsDocument &doc, const Grid &runnerTable, QIODevice &device);

// Writes the file from the given grid and the document's fields. The file is replaced only
// when everything could be written (temporary file in the same folder, then renamed); on any
// failure the old file stays byte for byte and the message says why.
FileResult writeDocument(const OddsDocument &doc, const Grid &runnerTable, const QString &path);

// Puts wkFile on the recent-file list first (also when the write then fails), then writes
// the document with writeDocument. The document, its current cell and selection stay as they
// were. recent may be null (no list).
FileResult saveDocument(OddsDocument &doc, const QString &wkFile, RecentFileList *recent);

// Reads wkFile into the document: titles, counts (then buildTable), ratio, pool, and every
// cell of the runner table that the file has. Not ok when the file cannot be read or its
// header part is short of fields: the table then stays as it was, while the fields read
// before the fault keep their new values. On ok the caller sets the caption to wkFile;
// the path has then already been put on the recent-file list. No recalculation, no undo
// snapshot; current cell and selection are kept.
// Files are code page 932; a file that begins with the UTF-8 byte-order mark is read as
// UTF-8. Bytes that do not decode become U+FFFD.
FileResult loadDocument(OddsDocument &doc, const QString &wkFile, RecentFileList *recent);

// loadDocument on bytes already read (no file, no recent list).
FileResult LoadDocumentBytes(OddsDocument &doc, const QByteArray &bytes);

// appFolder + "Default.def"; appFolder ends in "/".
QString DefaultPath(const QString &appFolder);

struct DefaultResult
{
    bool exists = false; // the template file was there and loadDocument ran
    FileResult load;     // loadDocument's result; when exists and load.ok, caption = path
    QString path;
};

// Loads the template when it exists; otherwise nothing happens.
DefaultResult loadTemplate(OddsDocument &doc, const QString &appFolder, RecentFileList *recent);
