#include "core/file/documentfile.h"

#include "core/codepage/codepage.h"
#include "core/document/oddsdocument.h"
#include "core/settings/recentfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <QStringList>

namespace {

const QString Comma = QStringLiteral(",");
const QString CrLf = QStringLiteral("\r\n");

// Nothing that fits a document comes near this; a bigger file is refused rather than
// read whole into memory.
constexpr qint64 MaxDocumentBytes = 64 * 1024 * 1024;

QString CharName(char32_t ch)
{
    const QString hex = QString::number(quint32(ch), 16).toUpper();
    return QStringLiteral("「%1」(U+%2)")
        .arg(QString::fromUcs4(&ch, 1), hex.rightJustified(4, QLatin1Char('0')));
}

// One text of the file with the words that name it to the user.
struct Piece
{
    QString where;
    QString text;
};

QString FieldName(const QString &label)
{
    return QStringLiteral("「%1」欄").arg(label);
}

QList<Piece> DocumentPieces(const OddsDocument &doc, const Grid &grid)
{
    QList<Piece> pieces;
    auto title = [&doc](int i) {
        return Piece{FieldName(QStringLiteral("タイトル%1").arg(i + 1)), doc.titleText(i)};
    };
    pieces << title(0) << title(1) << title(2);
    pieces << Piece{FieldName(QStringLiteral("縦枠")), doc.builtCountText(0)}
           << Piece{FieldName(QStringLiteral("横枠")), doc.builtCountText(1)};
    pieces << title(3) << title(4) << title(5);
    pieces << Piece{FieldName(QStringLiteral("控除")), doc.payoutRatioText()}
           << Piece{FieldName(QStringLiteral("投票金")), doc.poolText()};
    for (int r = 0; r < grid.rows(); ++r)
        for (int c = 0; c < grid.cols(); ++c)
            pieces << Piece{QStringLiteral("表のセル (行 %1, 列 %2)").arg(r).arg(c),
                            grid.text(r, c)};
    return pieces;
}

// Where the bulk conversion failed, find the first text that cannot be held, in file order.
QString UnencodableMessage(const OddsDocument &doc, const Grid &grid)
{
    for (const Piece &piece : DocumentPieces(doc, grid)) {
        const Cp932::Encoded e = Cp932::encode(piece.text);
        if (!e.ok)
            return QStringLiteral("%1の文字%2はコードページ932で保存できません。")
                .arg(piece.where, CharName(e.badChar));
    }
    return QStringLiteral("コードページ932で保存できない文字があります。");
}

// Why a file could not be created at path, found before touching anything.
QString PathProblem(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("保存先のファイル名がありません。");
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("同じ名前のフォルダーがあります。");
    // The nearest existing ancestor tells a missing folder from a file in its place.
    QString folder = info.absolutePath();
    while (!QFileInfo::exists(folder)) {
        const QString up = QFileInfo(folder).absolutePath();
        if (up == folder)
            break;
        folder = up;
    }
    if (folder != info.absolutePath()) {
        if (QFileInfo(folder).isFile())
            return QStringLiteral("「%1」はフォルダーではなくファイルです。")
                .arg(QDir::toNativeSeparators(folder));
        return QStringLiteral("保存先のフォルダー「%1」がありません。")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    }
    if (!QFileInfo(folder).isDir())
        return QStringLiteral("「%1」はフォルダーではなくファイルです。")
            .arg(QDir::toNativeSeparators(folder));
    if (info.exists() && !info.isFile()) {
        // Renaming over a device or a pipe would replace it with a plain file.
        return QStringLiteral("通常のファイルではありません。");
    }
    if (info.exists()) {
        // A read-only file is not replaced, even by a user whom the system would allow to.
        // WriteUser is left out: for the superuser it is always set.
        const auto writeBits =
            QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!info.isWritable() || !(info.permissions() & writeBits))
            return QStringLiteral("ファイルが読み取り専用です。");
    }
    return QString();
}

FileResult WriteBytes(QIODevice &device, const QByteArray &bytes)
{
    // A short write is retried, so a full device reports its own error.
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = device.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return {false,
                    QStringLiteral("書き込みに失敗しました (%1)。").arg(device.errorString())};
        done += n;
    }
    return {};
}

// Splits a line into at most maxFields fields at "," and its full-width form "，", the
// only characters equal to a comma as text. An empty line has no fields.
QStringList SplitFields(const QString &line, qsizetype maxFields)
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

// CR LF or a lone CR ends a line; a lone LF belongs to the line. A line end at the very end
// opens no further line.
QStringList SplitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) == QLatin1Char('\r')) {
            lines << text.mid(start, i - start);
            if (i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

bool IsTableLine(const QString &line)
{
    // "番,枠" compared as text: the comma may be full-width, nothing else folds here.
    return line.size() >= 3 && line.at(0) == QChar(0x756A) &&
           (line.at(1) == QLatin1Char(',') || line.at(1) == QChar(0xFF0C)) &&
           line.at(2) == QChar(0x67A0);
}

QString DecodeDocument(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return Cp932::decode(bytes);
}

FileResult ReadDocumentFile(const QString &path, QByteArray *bytes)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {false, QStringLiteral("ファイルがありません。")};
    if (info.isDir())
        return {false, QStringLiteral("ファイルではなくフォルダーです。")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, QStringLiteral("ファイルを開けません (%1)。").arg(file.errorString())};
    // read(max) would reserve the whole maximum up front: take a file's size as it is,
    // and read pipes and devices in pieces.
    if (!file.isSequential()) {
        if (file.size() > MaxDocumentBytes)
            return {false, QStringLiteral("オッズドキュメントとしては大きすぎるファイルです。")};
        *bytes = file.readAll();
    } else {
        bytes->clear();
        while (bytes->size() <= MaxDocumentBytes) {
            const QByteArray piece = file.read(64 * 1024);
            if (piece.isEmpty())
                break;
            bytes->append(piece);
        }
    }
    if (file.error() != QFileDevice::NoError)
        return {false, QStringLiteral("ファイルを読めません (%1)。").arg(file.errorString())};
    if (bytes->size() > MaxDocumentBytes)
        return {false, QStringLiteral("オッズドキュメントとしては大きすぎるファイルです。")};
    return {};
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

FileResult EncodeDocument(const OddsDocument &doc, const Grid &runnerTable, QByteArray *bytes)
{
    Cp932::Encoded e = Cp932::encode(DocumentText(doc, runnerTable));
    if (!e.ok) {
        bytes->clear();
        return {false, UnencodableMessage(doc, runnerTable)};
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
    return WriteBytes(device, bytes);
}

FileResult writeDocument(const OddsDocument &doc, const Grid &runnerTable, const QString &path)
{
    // Everything that can fail before the disk is touched fails first.
    QByteArray bytes;
    const FileResult encoded = EncodeDocument(doc, runnerTable, &bytes);
    if (!encoded.ok)
        return encoded;
    const QString problem = PathProblem(path);
    if (!problem.isEmpty())
        return {false, problem};

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("ファイルを作成できません (%1)。").arg(file.errorString())};
    const FileResult written = WriteBytes(file, bytes);
    if (!written.ok) {
        file.cancelWriting();
        return written;
    }
    if (!file.commit())
        return {false, QStringLiteral("書き込みに失敗しました (%1)。").arg(file.errorString())};
    return {};
}

FileResult saveDocument(OddsDocument &doc, const QString &wkFile, RecentFileList *recent)
{
    Grid &grid = doc.runnerTable;
    const int row = grid.row(), col = grid.col();
    const int rowSel = grid.rowSel(), colSel = grid.colSel();

    // The path enters the list before the write, also when the write fails.
    if (recent)
        recent->add(wkFile);
    const FileResult result = writeDocument(doc, grid, wkFile);

    grid.setCurrent(row, col);
    grid.setSelection(rowSel, colSel);
    return result;
}

FileResult LoadDocumentBytes(OddsDocument &doc, const QByteArray &bytes)
{
    const QStringList lines = SplitLines(DecodeDocument(bytes));
    if (lines.isEmpty())
        return {false, QStringLiteral("ファイルが空です。")};

    // A fault in the header part is remembered and decides whether the table is filled;
    // the steps after it still run, as far as they have their fields.
    QString fault;
    auto need = [&fault](const QStringList &fields, int index, int lineNo) {
        if (index < fields.size())
            return true;
        if (fault.isEmpty())
            fault = QStringLiteral("オッズドキュメントではありません (%1行目の項目が足りません)。")
                        .arg(lineNo);
        return false;
    };

    qsizetype next = 0;
    QStringList table;
    const QString &line1 = lines.at(next++);
    if (IsTableLine(line1)) {
        table << line1;
    } else {
        const QStringList head = SplitFields(line1, 5);
        for (int i = 0; i < 3; ++i) {
            if (need(head, 2 + i, 1))
                doc.setTitleText(i, head.at(2 + i));
        }
        QString line2;
        if (next < lines.size())
            line2 = lines.at(next++);
        else if (fault.isEmpty())
            fault = QStringLiteral("オッズドキュメントではありません (2行目がありません)。");
        if (IsTableLine(line2)) {
            table << line2;
        } else {
            const QStringList values = SplitFields(line2, 7);
            if (need(values, 0, 2))
                doc.setCountText(0, values.at(0));
            if (need(values, 1, 2))
                doc.setCountText(1, values.at(1));
            doc.buildTable();
            if (need(values, 2, 2))
                doc.setTitleText(3, values.at(2));
            if (need(values, 3, 2))
                doc.setTitleText(4, values.at(3));
            if (need(values, 4, 2))
                doc.setTitleText(5, values.at(4));
            if (need(values, 5, 2))
                doc.setPayoutRatioText(values.at(5));
            if (need(values, 6, 2))
                doc.setPoolText(values.at(6));
        }
    }
    if (!fault.isEmpty())
        return {false, fault};

    Grid &grid = doc.runnerTable;
    for (; next < lines.size() && table.size() < grid.rows(); ++next) {
        const QString &line = lines.at(next);
        if (table.isEmpty() && line.isEmpty())
            continue; // empty lines before the table are dropped
        table << line;
    }

    // Cells without a field or a line keep their texts; the current cell does not move.
    const int rows = std::min(int(table.size()), grid.rows());
    for (int r = 0; r < rows; ++r) {
        const QStringList fields = SplitFields(table.at(r), grid.cols());
        for (int c = 0; c < int(fields.size()); ++c)
            grid.setText(r, c, fields.at(c));
    }
    return {};
}

FileResult loadDocument(OddsDocument &doc, const QString &wkFile, RecentFileList *recent)
{
    QByteArray bytes;
    const FileResult read = ReadDocumentFile(wkFile, &bytes);
    if (!read.ok)
        return read;
    const FileResult loaded = LoadDocumentBytes(doc, bytes);
    if (loaded.ok && recent)
        recent->add(wkFile);
    return loaded;
}

QString DefaultPath(const QString &appFolder)
{
    return appFolder + QStringLiteral("Default.def");
}

DefaultResult loadTemplate(OddsDocument &doc, const QString &appFolder, RecentFileList *recent)
{
    DefaultResult result;
    result.path = DefaultPath(appFolder);
    result.exists = QFileInfo::exists(result.path);
    if (result.exists)
        result.load = loadDocument(doc, result.path, recent);
    return result;
}
