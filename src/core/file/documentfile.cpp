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

QString CharName(char32_t ch)
{
    const QString hex = QStringLiteral("U+%1").arg(
        QString::number(quint32(ch), 16).toUpper().rightJustified(4, u'0'));
    if (ch == u'\r' || ch == u'\n')
        return QStringLiteral("改行 (%1)").arg(hex);
    if (ch < 0x20 || ch == 0x7F)
        return QStringLiteral("制御文字 (%1)").arg(hex);
    return QStringLiteral("「%1」(%2)").arg(QString::fromUcs4(&ch, 1), hex);
}

// One text of the file with the words that name it to the user, in file order.
struct Piece
{
    QString where;
    QString text;
};

QList<Piece> DocumentPieces(const OddsDocument &doc, const Grid &grid)
{
    QList<Piece> pieces;
    for (int i = 0; i < 3; ++i)
        pieces << Piece{FileFieldName(0, 2 + i), doc.titleText(i)};
    pieces << Piece{FileFieldName(1, 0), doc.builtCountText(0)}
           << Piece{FileFieldName(1, 1), doc.builtCountText(1)};
    for (int i = 3; i < 6; ++i)
        pieces << Piece{FileFieldName(1, i - 1), doc.titleText(i)};
    pieces << Piece{FileFieldName(1, 5), doc.payoutRatioText()}
           << Piece{FileFieldName(1, 6), doc.poolText()};
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            pieces << Piece{CellName(r, c), grid.text(r, c)};
    return pieces;
}

bool IsSeparator(QChar ch)
{
    return ch == u',' || ch == QChar(0xFF0C) || ch == u'\r' || ch == u'\n';
}

// What the file format itself cannot carry: separators and overlong texts.
QString FormatProblem(const Piece &piece)
{
    for (const QChar ch : piece.text) {
        if (IsSeparator(ch))
            return QStringLiteral("%1の文字%2は項目や行の区切りになるため保存できません。")
                .arg(piece.where, CharName(ch.unicode()));
    }
    if (piece.text.size() > MaxCellText)
        return TooLongMessage(piece.where);
    return QString();
}

// What code page 932 cannot carry: a character it lacks, or one it gives back as another
// (〜 comes back as ～, ¥ as \).
QString CodePageProblem(const Piece &piece)
{
    const Cp932::Encoded e = Cp932::encode(piece.text);
    if (!e.ok)
        return QStringLiteral("%1の文字%2はコードページ932で保存できません。")
            .arg(piece.where, CharName(e.badChar));
    if (Cp932::decode(e.bytes) == piece.text)
        return QString();
    for (qsizetype i = 0; i < piece.text.size();) {
        const qsizetype units =
            piece.text.at(i).isHighSurrogate() && i + 1 < piece.text.size() ? 2 : 1;
        const QString one = piece.text.mid(i, units);
        const QString back = Cp932::decode(Cp932::encode(one).bytes);
        if (back != one)
            return QStringLiteral("%1の文字%2はコードページ932で保存すると「%3」に変わります。")
                .arg(piece.where, CharName(one.toUcs4().value(0)), back);
        i += units;
    }
    return QStringLiteral("%1はコードページ932で保存すると別の文字に変わります。").arg(piece.where);
}

} // namespace

QString HeaderLine(const OddsDocument &doc)
{
    return QStringLiteral("縦枠,横枠,") + doc.titleText(0) + Comma + doc.titleText(1) + Comma +
           doc.titleText(2) + QStringLiteral(",控除,投票");
}

QString ValuesLine(const OddsDocument &doc)
{
    // The counts the table is built for: a count still waiting for Enter must not make the
    // file disagree with its own table.
    return doc.builtCountText(0) + Comma + doc.builtCountText(1) + Comma + doc.titleText(3) +
           Comma + doc.titleText(4) + Comma + doc.titleText(5) + Comma + doc.payoutRatioText() +
           Comma + doc.poolText();
}

QString TableText(const Grid &grid, QChar colSep, QChar rowSep)
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

QString DocumentText(const OddsDocument &doc, const Grid &runnerTable)
{
    return HeaderLine(doc) + CrLf + ValuesLine(doc) + CrLf +
           TableText(runnerTable, QLatin1Char(','), QLatin1Char('\r')) + CrLf;
}

QStringList splitFields(const QString &line, qsizetype maxFields)
{
    QStringList fields;
    if (line.isEmpty() || maxFields <= 0)
        return fields;
    qsizetype start = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line.at(i);
        if (ch == QLatin1Char(',') || ch == QChar(0xFF0C)) {
            fields << line.mid(start, i - start);
            if (fields.size() == maxFields)
                return fields;
            start = i + 1;
        }
    }
    fields << line.mid(start);
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

FileResult EncodeDocument(const OddsDocument &doc, const Grid &runnerTable, QByteArray *bytes)
{
    bytes->clear();
    const QList<Piece> pieces = DocumentPieces(doc, runnerTable);
    for (const Piece &piece : pieces) {
        const QString problem = FormatProblem(piece);
        if (!problem.isEmpty())
            return {false, problem};
    }
    const QString text = DocumentText(doc, runnerTable);
    // With "番" and "枠" at the front of its counts the values line would read as a table line.
    const QString values = ValuesLine(doc);
    if (IsTableLine(values))
        return {false, QStringLiteral("%1と%2が「番」「枠」で始まるため、値の行が表の行として"
                                      "読まれます。保存できません。")
                           .arg(FileFieldName(1, 0), FileFieldName(1, 1))};

    Cp932::Encoded e = Cp932::encode(text);
    if (!e.ok || Cp932::decode(e.bytes) != text) {
        for (const Piece &piece : pieces) {
            const QString problem = CodePageProblem(piece);
            if (!problem.isEmpty())
                return {false, problem};
        }
        return {false, QStringLiteral("コードページ932で保存できない文字があります。")};
    }
    *bytes = std::move(e.bytes);
    return {};
}

FileResult WriteDocument(const OddsDocument &doc, const Grid &runnerTable, QIODevice &device)
{
    QByteArray bytes;
    const FileResult encoded = EncodeDocument(doc, runnerTable, &bytes);
    if (!encoded.ok)
        return encoded;
    return writeAll(device, bytes);
}

FileResult writeDocument(const OddsDocument &doc, const Grid &runnerTable, const QString &path)
{
    // Everything that can fail before the disk is touched fails first.
    QByteArray bytes;
    const FileResult encoded = EncodeDocument(doc, runnerTable, &bytes);
    if (!encoded.ok)
        return encoded;
    return replaceFile(path, bytes);
}

FileResult saveDocument(OddsDocument &doc, const QString &wkFile)
{
    Grid &grid = doc.runnerTable;
    const int row = grid.row(), col = grid.col();
    const int rowSel = grid.rowSel(), colSel = grid.colSel();
    const FileResult result = writeDocument(doc, grid, wkFile);
    grid.setCurrent(row, col);
    grid.setSelection(rowSel, colSel);
    return result;
}

QString DefaultPath(const QString &appFolder)
{
    return appFolder + QStringLiteral("Default.def");
}

DefaultResult loadTemplate(OddsDocument &doc, const QString &appFolder)
{
    DefaultResult result;
    result.path = DefaultPath(appFolder);
    result.exists = QFileInfo::exists(result.path);
    if (result.exists)
        result.load = loadDocument(doc, result.path);
    return result;
}
