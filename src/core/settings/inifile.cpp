#include "core/settings/inifile.h"

#include "core/codepage/codepage.h"
#include "core/system/safefile.h"
#include "core/text/textcompare.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <optional>
#include <vector>

namespace {

// A settings file larger than this is not one of ours; it is neither read nor overwritten.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
// Values come back whole up to the longest path the system allows (4096 bytes); longer ones are
// cut there, so a hostile file cannot make one value arbitrarily large.
constexpr int MaxValueBytes = 4096;

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

QString trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b).toString();
}

struct Line
{
    enum Kind { Other, Section, Key };
    QByteArray raw; // exactly as read, without the line break
    Kind kind = Other;
    QString name;  // section or key name
    QString value; // for keys
};

Line parseLine(const QByteArray &raw)
{
    Line line;
    line.raw = raw;
    const QString text = trimBlanks(Cp932::decode(raw));
    if (text.startsWith(u'[')) {
        line.kind = Line::Section;
        const qsizetype close = text.indexOf(u']');
        line.name = trimBlanks(QStringView(text).mid(1, close < 0 ? -1 : close - 1));
        return line;
    }
    if (text.startsWith(u';'))
        return line;
    const qsizetype eq = text.indexOf(u'=');
    if (eq < 0)
        return line;
    line.kind = Line::Key;
    line.name = trimBlanks(QStringView(text).left(eq));
    QString value = trimBlanks(QStringView(text).mid(eq + 1));
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    line.value = value;
    return line;
}

struct IniFile
{
    bool exists = false;
    std::vector<Line> lines;
};

// No value when the file exists but cannot be read in full.
std::optional<IniFile> readIni(const QString &path)
{
    IniFile ini;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return ini;
    // Special files are refused: a FIFO would block the read.
    QByteArray data;
    if (!readRegularFile(path, MaxFileSize, &data, QString()))
        return std::nullopt;
    ini.exists = true;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        qsizetype stop = end;
        if (stop > start && data[stop - 1] == '\r')
            --stop;
        ini.lines.push_back(parseLine(data.mid(start, stop - start)));
        start = end + 1;
    }
    return ini;
}

// Index of the first section header named section, or -1.
qsizetype findSection(const IniFile &ini, const QString &section)
{
    for (size_t i = 0; i < ini.lines.size(); ++i)
        if (ini.lines[i].kind == Line::Section && textEquals(ini.lines[i].name, section))
            return qsizetype(i);
    return -1;
}

// One past the last line of the section whose header is at index header.
size_t sectionEnd(const IniFile &ini, qsizetype header)
{
    size_t i = size_t(header) + 1;
    while (i < ini.lines.size() && ini.lines[i].kind != Line::Section)
        ++i;
    return i;
}

qsizetype findKey(const IniFile &ini, qsizetype header, const QString &key)
{
    const size_t end = sectionEnd(ini, header);
    for (size_t i = size_t(header) + 1; i < end; ++i)
        if (ini.lines[i].kind == Line::Key && textEquals(ini.lines[i].name, key))
            return qsizetype(i);
    return -1;
}

// Bytes of a character in code page 932: ASCII and half-width katakana take one.
int cp932Width(char16_t c)
{
    return (c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F) || c == QChar::ReplacementCharacter) ? 1 : 2;
}

QString cutToBytes(const QString &value, int maxBytes)
{
    int bytes = 0;
    for (qsizetype i = 0; i < value.size(); ++i) {
        bytes += cp932Width(value[i].unicode());
        if (bytes > maxBytes)
            return value.left(i);
    }
    return value;
}

bool hasLineBreak(const QString &s)
{
    return s.contains(u'\n') || s.contains(u'\r');
}

std::optional<QByteArray> encodeLine(const QString &text)
{
    // A text that would read back as another (〜 as ～) is not written either.
    Cp932::Encoded e = Cp932::encode(text);
    if (!e.ok || Cp932::decode(e.bytes) != text)
        return std::nullopt;
    return e.bytes;
}

} // namespace

QString readSetting(const QString &file, const QString &section, const QString &key)
{
    const std::optional<IniFile> ini = readIni(file);
    if (!ini)
        return QString();
    const qsizetype header = findSection(*ini, trimBlanks(section));
    if (header < 0)
        return QString();
    const qsizetype k = findKey(*ini, header, trimBlanks(key));
    if (k < 0)
        return QString();
    return cutToBytes(ini->lines[size_t(k)].value, MaxValueBytes);
}

FileResult writeSettings(const QString &file, const QString &section,
                         const QList<std::pair<QString, QString>> &values)
{
    const QString sectionName = trimBlanks(section);
    if (hasLineBreak(sectionName) || sectionName.contains(u']'))
        return {false,
                QStringLiteral("セクション名「%1」は設定ファイルに書けません。").arg(section)};
    for (const auto &[key, value] : values) {
        const QString keyName = trimBlanks(key);
        if (keyName.isEmpty() || keyName.contains(u'=') || keyName.startsWith(u'[') ||
            keyName.startsWith(u';') || hasLineBreak(keyName))
            return {false, QStringLiteral("キー「%1」は設定ファイルに書けません。").arg(key)};
        if (hasLineBreak(value))
            return {false, QStringLiteral("キー「%1」の値に改行があります。").arg(key)};
    }

    std::optional<IniFile> ini = readIni(file);
    if (!ini)
        return {false, QStringLiteral("設定ファイルを読めません。")};
    const auto unencodable = [](const QString &text) {
        return FileResult{false,
                          QStringLiteral("「%1」はコードページ932で保存できません。").arg(text)};
    };

    qsizetype header = findSection(*ini, sectionName);
    if (header < 0) {
        const auto headerLine = encodeLine(u'[' + sectionName + u']');
        if (!headerLine)
            return unencodable(sectionName);
        ini->lines.push_back(Line{*headerLine, Line::Section, sectionName, {}});
        header = qsizetype(ini->lines.size()) - 1;
    }
    // Keys by their folded names, so that a long list costs one pass, not one per key.
    QHash<QString, size_t> existing;
    const size_t end = sectionEnd(*ini, header);
    for (size_t i = size_t(header) + 1; i < end; ++i)
        if (ini->lines[i].kind == Line::Key) {
            const QString folded = foldText(ini->lines[i].name);
            if (!existing.contains(folded)) // the first of equal keys is the one read
                existing.insert(folded, i);
        }
    std::vector<Line> added;
    QHash<QString, size_t> addedIndex;
    for (const auto &[key, value] : values) {
        const QString keyName = trimBlanks(key);
        const QString folded = foldText(keyName);
        Line *line = nullptr;
        if (const auto it = existing.constFind(folded); it != existing.cend())
            line = &ini->lines[*it];
        else if (const auto at = addedIndex.constFind(folded); at != addedIndex.cend())
            line = &added[*at];
        const auto keyLine = encodeLine((line ? line->name : keyName) + u'=' + value);
        if (!keyLine)
            return unencodable(value);
        if (line) {
            line->raw = *keyLine;
            line->value = value;
        } else {
            addedIndex.insert(folded, added.size());
            added.push_back(Line{*keyLine, Line::Key, keyName, value});
        }
    }
    // New keys go after the section's last non-blank line, so blank lines before the next
    // section stay.
    size_t at = end;
    while (at > size_t(header) + 1 && trimBlanks(Cp932::decode(ini->lines[at - 1].raw)).isEmpty())
        --at;
    ini->lines.insert(ini->lines.begin() + qsizetype(at), added.begin(), added.end());

    QByteArray out;
    for (const Line &line : ini->lines) {
        out += line.raw;
        out += "\r\n";
    }
    return replaceFile(file, out);
}

FileResult writeSetting(const QString &file, const QString &section, const QString &key,
                        const QString &value)
{
    return writeSettings(file, section, {{key, value}});
}

QList<std::pair<QString, QString>> readSettings(const QString &file, const QString &section)
{
    QList<std::pair<QString, QString>> out;
    const std::optional<IniFile> ini = readIni(file);
    if (!ini)
        return out;
    const qsizetype header = findSection(*ini, trimBlanks(section));
    if (header < 0)
        return out;
    const size_t end = sectionEnd(*ini, header);
    QSet<QString> seen;
    for (size_t i = size_t(header) + 1; i < end; ++i) {
        const Line &line = ini->lines[i];
        // The first of two equal keys is the one readSetting finds.
        if (line.kind != Line::Key || line.name.isEmpty())
            continue;
        const QString folded = foldText(line.name);
        if (seen.contains(folded))
            continue;
        seen.insert(folded);
        out.append({line.name, cutToBytes(line.value, MaxValueBytes)});
    }
    return out;
}

QStringList settingKeys(const QString &file, const QString &section, const QString &separator)
{
    Q_UNUSED(separator)
    QStringList keys;
    const std::optional<IniFile> ini = readIni(file);
    if (!ini)
        return keys;
    const qsizetype header = findSection(*ini, trimBlanks(section));
    if (header < 0)
        return keys;
    const size_t end = sectionEnd(*ini, header);
    for (size_t i = size_t(header) + 1; i < end; ++i)
        if (ini->lines[i].kind == Line::Key && !ini->lines[i].name.isEmpty())
            keys << ini->lines[i].name;
    if (!keys.isEmpty())
        keys << QString();
    return keys;
}
