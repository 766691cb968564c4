#pragma once
// A table on screen taken out: as tab-separated text for the clipboard, or as CSV in UTF-8 with
// a byte-order mark (which spreadsheets take as UTF-8), with its header row, rows as shown.

#include <QByteArray>
#include <QString>

class QAbstractItemModel;
class QWidget;

QString tableTabText(const QAbstractItemModel &model);
QByteArray tableCsv(const QAbstractItemModel &model);

// 表をコピー: the tab-separated text onto the clipboard.
void copyTable(const QAbstractItemModel &model);
// Written through a temporary file; empty when saved, else why not (Japanese).
QString saveTableCsv(const QAbstractItemModel &model, const QString &path);
// Asks for the file (".csv" added when missing) and saves; says why in a box when it fails.
void saveTableCsvAs(QWidget *parent, const QAbstractItemModel &model, const QString &fileName);
