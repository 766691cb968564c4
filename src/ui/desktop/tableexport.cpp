#include "ui/desktop/tableexport.h"

#include "ui/desktop/dialogs.h"

#include <QAbstractItemModel>
#include <QClipboard>
#include <QGuiApplication>
#include <QSaveFile>

namespace {

// The header row, then every row; cells as displayed.
QList<QStringList> cells(const QAbstractItemModel &model)
{
    QList<QStringList> rows;
    QStringList header;
    for (int c = 0; c < model.columnCount(); ++c)
        header << model.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    rows << header;
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model.columnCount(); ++c)
            row << model.data(model.index(r, c), Qt::DisplayRole).toString();
        rows << row;
    }
    return rows;
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

} // namespace

QString tableTabText(const QAbstractItemModel &model)
{
    QString out;
    for (QStringList row : cells(model)) {
        for (QString &cell : row) // a tab or line break inside a cell would split it
            cell.replace(u'\t', u' ').replace(u'\n', u' ').replace(u'\r', u' ');
        out += row.join(u'\t') + u'\n';
    }
    return out;
}

QByteArray tableCsv(const QAbstractItemModel &model)
{
    QString out;
    for (const QStringList &row : cells(model)) {
        QStringList fields;
        for (const QString &cell : row)
            fields << csvField(cell);
        out += fields.join(u',') + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

void copyTable(const QAbstractItemModel &model)
{
    QGuiApplication::clipboard()->setText(tableTabText(model));
}

QString saveTableCsv(const QAbstractItemModel &model, const QString &path)
{
    const QByteArray bytes = tableCsv(model);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() ||
        !file.commit())
        return QStringLiteral("%1 に保存できませんでした。%2").arg(path, file.errorString());
    return {};
}

void saveTableCsvAs(QWidget *parent, const QAbstractItemModel &model, const QString &fileName)
{
    FileDialogRequest request;
    request.filters = {QStringLiteral("CSV (UTF-8)"), QStringLiteral("*.csv")};
    request.fileName = fileName;
    request.title = QStringLiteral("CSVで保存");
    saveThroughDialog(parent, request, QStringLiteral(".csv"),
                      [&model](const QString &path) { return saveTableCsv(model, path); });
}
