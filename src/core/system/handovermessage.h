#pragma once
// What a later start of the program sends to the running one: the files to open. A frame of its
// own (not QDataStream) so that a reader bounds memory before it trusts a count or a length.

#include <QByteArray>
#include <QStringList>

inline constexpr qsizetype HandOverMaxBytes = 1024 * 1024;
inline constexpr quint32 HandOverMaxFiles = 4096;
// What the running instance answers once it has taken the files.
inline constexpr char HandOverAck = 'K';

// "KRL1", the file count, then per file its UTF-8 length and bytes (32-bit big-endian numbers).
QByteArray encodeHandOver(const QStringList &files);

enum class HandOverParse { Incomplete, Complete, Invalid };

// Reads a frame from the bytes received so far. Incomplete asks for more; Invalid (a wrong
// magic, a count or size over the limits, bytes after the frame) ends the connection.
HandOverParse parseHandOver(const QByteArray &received, QStringList *files);
