#pragma once
// Code page 932 at the file and clipboard boundary. Inside the program every text is a QString.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Cp932 {

// Decodes bytes; bytes that code page 932 does not define become U+FFFD.
QString decode(QByteArrayView bytes);

struct Encoded
{
    QByteArray bytes;
    bool ok = true;
    // When not ok: index (in the QString) and the first character code page 932 cannot hold.
    qsizetype badIndex = -1;
    char32_t badChar = 0;
};

// Encodes text; a character without a code page 932 form makes the result not ok.
Encoded encode(const QString &text);

// True when text encodes and decodes back to itself (false for 〜, which comes back as ～).
bool roundTrips(const QString &text);

// Writes the bytes of text from out on when roundTrips(text) and returns the end of them;
// otherwise nullptr. out must have room for 2 * text.size() bytes. A writer builds a file from
// many texts with it, without joining them first.
char *writeExact(QStringView text, char *out);

// text with the characters code page 932 stores only as a look-alike replaced by that look-alike
// (〜 U+301C by ～, − U+2212 by －, ¥ by ￥, ...). Input methods here type the first forms; a
// file keeps the second, so a text entered this way reads back as it was written.
QString storableForms(const QString &text);

} // namespace Cp932
