#include "core/system/handovermessage.h"

#include <QtEndian>

namespace {

const QByteArray Magic = QByteArrayLiteral("KRL1");

void appendNumber(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// Reads a number at pos; false when the bytes have not all arrived.
bool readNumber(const QByteArray &in, qsizetype &pos, quint32 *value)
{
    if (in.size() - pos < 4)
        return false;
    *value = qFromBigEndian<quint32>(in.constData() + pos);
    pos += 4;
    return true;
}

} // namespace

QByteArray encodeHandOver(const QStringList &files)
{
    QByteArray out = Magic;
    appendNumber(out, quint32(files.size()));
    for (const QString &file : files) {
        const QByteArray utf8 = file.toUtf8();
        appendNumber(out, quint32(utf8.size()));
        out += utf8;
    }
    return out;
}

HandOverParse parseHandOver(const QByteArray &received, QStringList *files)
{
    if (received.size() > HandOverMaxBytes)
        return HandOverParse::Invalid;
    const qsizetype magicBytes = std::min(received.size(), Magic.size());
    if (received.left(magicBytes) != Magic.left(magicBytes))
        return HandOverParse::Invalid;
    qsizetype pos = Magic.size();
    quint32 count = 0;
    if (magicBytes < Magic.size() || !readNumber(received, pos, &count))
        return HandOverParse::Incomplete;
    if (count > HandOverMaxFiles)
        return HandOverParse::Invalid;
    QStringList out;
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        if (!readNumber(received, pos, &length))
            return HandOverParse::Incomplete;
        if (length > quint32(HandOverMaxBytes))
            return HandOverParse::Invalid;
        if (received.size() - pos < qsizetype(length))
            return HandOverParse::Incomplete;
        out.append(QString::fromUtf8(received.constData() + pos, qsizetype(length)));
        pos += length;
    }
    if (pos != received.size())
        return HandOverParse::Invalid;
    *files = out;
    return HandOverParse::Complete;
}
