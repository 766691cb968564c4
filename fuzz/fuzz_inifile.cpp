// The settings-file reader and writer on arbitrary file contents.

#include "core/settings/inifile.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {

const QString &Folder()
{
    static QTemporaryDir dir;
    static const QString path = dir.path() + QLatin1Char('/');
    return path;
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString file = Folder() + QStringLiteral("KirrelSys.ini");
    put(file, bytes);

    const QStringList sections{QStringLiteral("最近使ったファイル"), QStringLiteral("POS"),
                               QStringLiteral("pos"), QString()};
    for (const QString &section : sections) {
        for (const QString &key : settingKeys(file, section, QStringLiteral("@")))
            readSetting(file, section, key);
        readSetting(file, section, QStringLiteral("01"));
    }
    // Writing into whatever was there must keep the file readable.
    writeSetting(file, QStringLiteral("POS"), QStringLiteral("Left"), QStringLiteral("120"));
    settingKeys(file, QStringLiteral("POS"), QStringLiteral("@"));
    writeSetting(file, QStringLiteral("最近使ったファイル"), QStringLiteral("01"),
                 QStringLiteral("/home/user/レース.csv"));
    readSetting(file, QStringLiteral("最近使ったファイル"), QStringLiteral("01"));
    return 0;
}
