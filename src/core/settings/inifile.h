#pragma once
// Settings files in the initialization-file format, in code page 932: "[section]" lines open
// sections, "key=value" lines hold values. Section and key names match as text (case and width
// folded); blanks around names and values are trimmed, and one pair of enclosing quotes ("..."
// or '...') is dropped from a value. Lines starting with ";" are comments.

#include "core/system/safefile.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// Value of key in section, whole up to 4096 bytes of code page 932 (the longest path), cut
// there without splitting a double-byte character; "" when the file, section or key is missing
// or unreadable, or the file is not a regular file.
QString readSetting(const QString &file, const QString &section, const QString &key);

// Keys and values of section in file order (the first of equal keys), values as readSetting
// gives them; one read of the file.
QList<std::pair<QString, QString>> readSettings(const QString &file, const QString &section);

// Writes key=value pairs into section in one replacement of the file: an existing value is
// replaced in place, a new key goes to the end of its section, a new section to the end of the
// file; every other line stays byte for byte. The first write creates the file; lines end CR LF.
// The file is replaced only once the new one is on the disk (replaceFile), so a failed write
// leaves the old one intact. Not ok, saying why, when the file cannot be read or written, when
// a text cannot be held in code page 932, or when section, key or value would break the format
// (line breaks, a key that is blank, holds "=" or starts with "[" or ";", "]" in a section name);
// nothing is written then.
FileResult writeSettings(const QString &file, const QString &section,
                         const QList<std::pair<QString, QString>> &values);
FileResult writeSetting(const QString &file, const QString &section, const QString &key,
                        const QString &value);

// Key names of section in file order followed by one empty element (every name is followed by
// the separator before the list is split); an empty list for a missing or empty section. All keys
// are listed, with no limit on their total length; names are returned whole even when they hold
// separator.
QStringList settingKeys(const QString &file, const QString &section, const QString &separator);
