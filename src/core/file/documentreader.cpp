// The reader of document files (see documentfile.h). It takes only what the document can use:
// the header and values lines and as many table lines as the table has rows, each split only as
// far as the table has columns, so that memory and time stay bounded by the file's size.

#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/file/fieldnames.h"

#include <QByteArrayView>
#include <QList>
#include <QStringList>
#include <vector>

namespace {

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF) and hold at least one non-ASCII character.
bool isUtf8Text(QByteArrayView bytes)
{
    bool nonAscii = false;
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        nonAscii = true;
        int extra;
        uchar low = 0x80, high = 0xBF; // allowed range of the first continuation byte
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (i + extra >= n)
            return false;
        for (int k = 1; k <= extra; ++k) {
            const uchar c = uchar(bytes[i + k]);
            if (k == 1 ? (c < low || c > high) : (c < 0x80 || c > 0xBF))
                return false;
        }
        i += extra + 1;
    }
    return nonAscii;
}

// The lines of a file, one at a time, decoded only when taken.
class LineSource
{
public:
    explicit LineSource(const QByteArray &bytes)
    {
        QByteArrayView all(bytes);
        if (all.startsWith("\xEF\xBB\xBF")) {
            m_utf8 = true;
            all = all.sliced(3);
        } else {
            m_utf8 = isUtf8Text(all);
        }
        m_bytes = all;
        // Files from tools that end lines with LF alone hold no CR at all.
        m_lfEnds = !m_bytes.contains('\r');
    }

    // The next line's bytes; false at the end. A line end at the very end opens no further line.
    bool nextRaw(QByteArrayView *line)
    {
        const qsizetype n = m_bytes.size();
        if (m_pos >= n)
            return false;
        const char end = m_lfEnds ? '\n' : '\r';
        qsizetype stop = m_bytes.indexOf(end, m_pos);
        if (stop < 0)
            stop = n;
        *line = m_bytes.sliced(m_pos, stop - m_pos);
        m_pos = stop + 1;
        // CR LF is one line end; a lone LF elsewhere is text.
        if (!m_lfEnds && stop < n && m_pos < n && m_bytes[m_pos] == '\n')
            ++m_pos;
        return true;
    }

    // The next line, decoded only as far as its first maxFields fields can reach: a field that
    // is cut there has more than 3 * MaxCellText bytes, so more than MaxCellText characters in
    // either encoding, and is refused all the same.
    bool next(QString *line, qsizetype maxFields)
    {
        QByteArrayView raw;
        if (!nextRaw(&raw))
            return false;
        raw = raw.first(std::min(raw.size(), maxFields * (3 * MaxCellText + 3)));
        if (raw.isEmpty())
            line->clear();
        else
            *line = m_utf8 ? QString::fromUtf8(raw) : Cp932::decode(raw);
        return true;
    }

    // Steps over empty lines without decoding them; false at the end.
    bool skipEmptyLines()
    {
        const char end = m_lfEnds ? '\n' : '\r';
        while (m_pos < m_bytes.size()) {
            if (m_bytes[m_pos] == end)
                ++m_pos;
            else if (!m_lfEnds && m_bytes[m_pos] == '\n' && m_pos > 0 && m_bytes[m_pos - 1] == '\r')
                ++m_pos; // the LF of a CR LF
            else
                return true;
        }
        return false;
    }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_utf8 = false;
    bool m_lfEnds = false;
};

// The first field from position `from` on that is longer than MaxCellText, or -1.
int longField(const QStringList &fields, int from = 0)
{
    for (int i = from; i < int(fields.size()); ++i)
        if (fields.at(i).size() > MaxCellText)
            return i;
    return -1;
}

QString tooLargeMessage()
{
    return QStringLiteral("オッズドキュメントとしては大きすぎるファイルです。");
}

} // namespace

FileResult loadDocumentBytes(OddsDocument &doc, const QByteArray &bytes)
{
    LineSource lines(bytes);
    QString line1;
    if (!lines.next(&line1, 7))
        return {false, QStringLiteral("ファイルが空です。")};

    // A fault in the header part is remembered and decides whether the table is filled;
    // the steps after it still run, as far as they have their fields.
    QString fault;
    auto missing = [&fault](int pos, int lineNo) {
        if (pos >= 0 && fault.isEmpty())
            fault = QStringLiteral("オッズドキュメントではありません (%1行目の項目が足りません)。")
                        .arg(lineNo);
    };
    // A text longer than the cap is never cut: the file is refused before it is used.
    auto tooLong = [](const QStringList &fields, int line, int from) -> FileResult {
        const int at = longField(fields, from);
        if (at < 0)
            return {};
        return {false, tooLongMessage(fileFieldName(line, at))};
    };

    QStringList table;
    if (isTableLine(line1)) {
        table << line1;
    } else {
        const QStringList head = splitFields(line1, 5);
        if (const FileResult r = tooLong(head, 0, 2); !r)
            return r;
        missing(applyHeaderFields(doc, head), 1);
        QString line2;
        if (!lines.next(&line2, 7) && fault.isEmpty())
            fault = QStringLiteral("オッズドキュメントではありません (2行目がありません)。");
        if (isTableLine(line2)) {
            table << line2;
        } else {
            const QStringList values = splitFields(line2, 7);
            if (const FileResult r = tooLong(values, 1, 0); !r)
                return r;
            missing(applyValueFields(doc, values, true), 2);
        }
    }
    if (!fault.isEmpty())
        return {false, fault};

    Grid &grid = doc.runnerTable;
    // Empty lines before the table are dropped; later ones are empty rows.
    if (table.isEmpty())
        lines.skipEmptyLines();
    QString line;
    while (table.size() < grid.rows() && lines.next(&line, grid.cols()))
        table << line;

    // Every field is checked before the first goes into the table. Cells without a field or a
    // line keep their texts; the current cell does not move.
    const int rows = std::min(int(table.size()), grid.rows());
    std::vector<QString> cells;
    cells.reserve(size_t(rows) * size_t(grid.cols()));
    std::vector<int> fieldCounts(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        int &count = fieldCounts[size_t(r)];
        bool tooLong = false;
        forEachField(table.at(r), grid.cols(), [&](QStringView field) {
            tooLong = field.size() > MaxCellText;
            if (tooLong)
                return false;
            cells.push_back(field.toString());
            ++count;
            return true;
        });
        if (tooLong)
            return {false, tooLongMessage(cellName(r, count))};
    }
    auto cell = cells.begin();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < fieldCounts[size_t(r)]; ++c)
            grid.setText(r, c, *cell++);
    return {};
}

FileResult loadDocument(OddsDocument &doc, const QString &path)
{
    QByteArray bytes;
    const FileResult read = readRegularFile(path, MaxDocumentBytes, &bytes, tooLargeMessage());
    if (!read.ok)
        return read;
    return loadDocumentBytes(doc, bytes);
}

FileResult loadDocumentInput(OddsDocument &doc, const QString &path)
{
    QByteArray bytes;
    const FileResult read =
        explainRead(readInput(path, MaxDocumentBytes, &bytes), tooLargeMessage());
    if (!read.ok)
        return read;
    return loadDocumentBytes(doc, bytes);
}
