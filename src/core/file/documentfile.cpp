#include "core/file/documentfile.h"

#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/file/fieldnames.h"

#include <QFileInfo>
#include <QIODevice>
#include <QList>

namespace {

const QString Comma = QStringLiteral(",");
const QString CrLf = QStringLiteral("\r\n");

QString charName(char32_t ch)
{
    const QString hex = QStringLiteral("U+%1").arg(
        QString::number(quint32(ch), 16).toUpper().rightJustified(4, u'0'));
    if (ch == u'\r' || ch == u'\n')
        return QStringLiteral("改行 (%1)").arg(hex);
    if (ch < 0x20 || ch == 0x7F)
        return QStringLiteral("制御文字 (%1)").arg(hex);
    return QStringLiteral("「%1」(%2)").arg(QString::fromUcs4(&ch, 1), hex);
}

// Where a text of the file is: a field of the header (line 0) or values line (line 1), or a
// cell of the table. Named for the user only when a message needs it: naming every cell of a
// document costs more than encoding it.
struct Place
{
    bool cell = false;
    int line = 0; // the row of a cell
    int pos = 0;  // the column of a cell
    const Grid *grid = nullptr;
    QString name() const
    {
        return cell ? tableCellName(*grid, line, pos) : fileFieldName(line, pos);
    }
};

// Calls check(place, text) for every text of the file, in file order, and returns the first
// message it gives; empty when it gives none.
template <typename Check>
QString firstProblem(const OddsDocument &doc, const Grid &grid, Check &&check)
{
    QString problem;
    auto at = [&](Place place, const QString &text) {
        problem = check(place, text);
        return !problem.isEmpty();
    };
    for (int i = 0; i < 3; ++i)
        if (at({false, 0, 2 + i}, doc.titleText(i)))
            return problem;
    for (int i = 0; i < 2; ++i)
        if (at({false, 1, i}, doc.builtCountText(i)))
            return problem;
    for (int i = 3; i < 6; ++i)
        if (at({false, 1, i - 1}, doc.titleText(i)))
            return problem;
    if (at({false, 1, 5}, doc.payoutRatioText()) || at({false, 1, 6}, doc.poolText()))
        return problem;
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            if (at({true, r, c, &grid}, grid.textRef(r, c)))
                return problem;
    return problem;
}

bool isSeparator(QChar ch)
{
    return ch == u',' || ch == QChar(0xFF0C) || ch == u'\r' || ch == u'\n';
}

// What the file format itself cannot carry: separators and overlong texts.
QString formatProblem(const Place &place, const QString &text)
{
    for (const QChar ch : text) {
        if (isSeparator(ch))
            return QStringLiteral("%1の文字%2は項目や行の区切りになるため保存できません。")
                .arg(place.name(), charName(ch.unicode()));
    }
    if (text.size() > MaxCellText)
        return tooLongMessage(place.name());
    return QString();
}

// What code page 932 cannot carry: a character it lacks, or one it gives back as another
// (〜 comes back as ～, ¥ as \).
QString codePageProblem(const Place &place, const QString &text)
{
    const Cp932::Encoded e = Cp932::encode(text);
    if (!e.ok)
        return QStringLiteral("%1の文字%2はコードページ932で保存できません。")
            .arg(place.name(), charName(e.badChar));
    if (Cp932::decode(e.bytes) == text)
        return QString();
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype units = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString one = text.mid(i, units);
        const QString back = Cp932::decode(Cp932::encode(one).bytes);
        if (back != one)
            return QStringLiteral("%1の文字%2はコードページ932で保存すると「%3」に変わります。")
                .arg(place.name(), charName(one.toUcs4().value(0)), back);
        i += units;
    }
    return QStringLiteral("%1はコードページ932で保存すると別の文字に変わります。")
        .arg(place.name());
}

} // namespace

QString headerLine(const OddsDocument &doc)
{
    return QStringLiteral("縦枠,横枠,") + doc.titleText(0) + Comma + doc.titleText(1) + Comma +
           doc.titleText(2) + QStringLiteral(",控除,投票");
}

QString valuesLine(const OddsDocument &doc)
{
    // The counts the table is built for: a count still waiting for Enter must not make the
    // file disagree with its own table.
    return doc.builtCountText(0) + Comma + doc.builtCountText(1) + Comma + doc.titleText(3) +
           Comma + doc.titleText(4) + Comma + doc.titleText(5) + Comma + doc.payoutRatioText() +
           Comma + doc.poolText();
}

QString tableText(const Grid &grid, QChar colSep, QChar rowSep)
{
    QString out;
    out.reserve(qsizetype(grid.rows()) * grid.cols() * 6);
    for (int r = 0; r < grid.rows(); ++r) {
        if (r > 0)
            out += rowSep;
        for (int c = 0; c < grid.cols(); ++c) {
            if (c > 0)
                out += colSep;
            out += grid.text(r, c);
        }
    }
    return out;
}

QString documentText(const OddsDocument &doc, const Grid &runnerTable)
{
    return headerLine(doc) + CrLf + valuesLine(doc) + CrLf +
           tableText(runnerTable, QLatin1Char(','), QLatin1Char('\r')) + CrLf;
}

QStringList splitFields(const QString &line, qsizetype maxFields)
{
    QStringList fields;
    forEachField(line, maxFields, [&fields](QStringView field) {
        fields << field.toString();
        return true;
    });
    return fields;
}

int applyHeaderFields(OddsDocument &doc, const QStringList &fields)
{
    for (int i = 0; i < 3; ++i) {
        if (2 + i >= fields.size())
            return 2 + i;
        doc.setTitleText(i, fields.at(2 + i));
    }
    return -1;
}

int applyValueFields(OddsDocument &doc, const QStringList &fields, bool rebuildTable)
{
    int missing = -1;
    auto apply = [&](int pos, auto &&set) {
        if (pos < fields.size())
            set(fields.at(pos));
        else if (missing < 0)
            missing = pos;
    };
    apply(0, [&](const QString &t) { doc.setCountText(0, t); });
    apply(1, [&](const QString &t) { doc.setCountText(1, t); });
    // The table is built for the counts even when fields are missing.
    if (rebuildTable)
        doc.buildTable();
    apply(2, [&](const QString &t) { doc.setTitleText(3, t); });
    apply(3, [&](const QString &t) { doc.setTitleText(4, t); });
    apply(4, [&](const QString &t) { doc.setTitleText(5, t); });
    apply(5, [&](const QString &t) { doc.setPayoutRatioText(t); });
    apply(6, [&](const QString &t) { doc.setPoolText(t); });
    return missing;
}

FileResult encodeDocument(const OddsDocument &doc, const Grid &runnerTable, QByteArray *bytes)
{
    bytes->clear();
    if (const QString problem = firstProblem(doc, runnerTable, formatProblem); !problem.isEmpty())
        return {false, problem};
    // With "番" and "枠" at the front of its counts the values line would read as a table line.
    const QString values = valuesLine(doc);
    if (isTableLine(values))
        return {false, QStringLiteral("%1と%2が「番」「枠」で始まるため、値の行が表の行として"
                                      "読まれます。保存できません。")
                           .arg(fileFieldName(1, 0), fileFieldName(1, 1))};

    // The bytes of documentText, encoded text by text without joining them first.
    const QString head = headerLine(doc) + CrLf + values + CrLf;
    const int rows = runnerTable.rows(), cols = runnerTable.cols();
    // Two bytes per unit at most, and the separators.
    qsizetype room = head.size() * 2 + rows + qsizetype(rows) * cols + 2;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c)
            room += runnerTable.textRef(r, c).size() * 2;
    QByteArray out(room, Qt::Uninitialized);
    char *o = Cp932::writeExact(head, out.data());
    for (int r = 0; o && r < rows; ++r) {
        if (r > 0)
            *o++ = '\r';
        for (int c = 0; o && c < cols; ++c) {
            if (c > 0)
                *o++ = ',';
            o = Cp932::writeExact(runnerTable.textRef(r, c), o);
        }
    }
    if (!o) {
        const QString problem = firstProblem(doc, runnerTable, codePageProblem);
        if (!problem.isEmpty())
            return {false, problem};
        return {false, QStringLiteral("コードページ932で保存できない文字があります。")};
    }
    *o++ = '\r';
    *o++ = '\n';
    out.resize(o - out.constData());
    *bytes = std::move(out);
    return {};
}

FileResult writeDocument(const OddsDocument &doc, const Grid &runnerTable, QIODevice &device)
{
    QByteArray bytes;
    const FileResult encoded = encodeDocument(doc, runnerTable, &bytes);
    if (!encoded.ok)
        return encoded;
    return writeAll(device, bytes);
}

FileResult writeDocument(const OddsDocument &doc, const Grid &runnerTable, const QString &path)
{
    // Everything that can fail before the disk is touched fails first.
    QByteArray bytes;
    const FileResult encoded = encodeDocument(doc, runnerTable, &bytes);
    if (!encoded.ok)
        return encoded;
    return replaceFile(path, bytes);
}

FileResult saveDocument(OddsDocument &doc, const QString &path)
{
    Grid &grid = doc.runnerTable;
    const int row = grid.row(), col = grid.col();
    const int rowSel = grid.rowSel(), colSel = grid.colSel();
    const FileResult result = writeDocument(doc, grid, path);
    grid.setCurrent(row, col);
    grid.setSelection(rowSel, colSel);
    return result;
}

QString defaultPath(const QString &appFolder)
{
    return appFolder + QStringLiteral("Default.def");
}

DefaultResult loadTemplate(OddsDocument &doc, const QString &appFolder)
{
    DefaultResult result;
    result.path = defaultPath(appFolder);
    result.exists = QFileInfo::exists(result.path);
    if (result.exists)
        result.load = loadDocument(doc, result.path);
    return result;
}
