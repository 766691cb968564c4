#pragma once
// File helpers shared by the tests that read golden documents and write scratch files.

#include <QByteArray>
#include <QFile>
#include <QString>

inline QString dataPath(const QString &name)
{
    return QStringLiteral(KIRREL_TEST_DATA "/files/") + name;
}

inline QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
