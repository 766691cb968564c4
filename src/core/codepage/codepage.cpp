#include "core/codepage/codepage.h"

#include <QSysInfo>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <utility>

namespace {

// glibc's "CP932" carries the exact Windows table ("SHIFT_JIS" does not: 0x5C is the yen sign
// there and the NEC row 13 is missing).
constexpr const char *Cp932Name = "CP932";
constexpr const char *Utf16Name =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// One open conversion per direction and thread: opening costs far more than converting a
// document.
class Converter
{
public:
    Converter(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != iconv_t(-1); }
    void reset() { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }
    // Returns iconv's result; errno tells why it stopped.
    size_t convert(char **in, size_t *inLeft, char **out, size_t *outLeft)
    {
        return iconv(m_cd, in, inLeft, out, outLeft);
    }

private:
    iconv_t m_cd;
};

Converter &decoder()
{
    thread_local Converter c(Utf16Name, Cp932Name);
    return c;
}

Converter &encoder()
{
    thread_local Converter c(Cp932Name, Utf16Name);
    return c;
}

bool isLeadByte(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool isTrailByte(uchar b)
{
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

} // namespace

namespace Cp932 {

QString decode(const QByteArray &bytes)
{
    // Every byte yields at most one UTF-16 unit.
    QString out(bytes.size(), Qt::Uninitialized);
    Converter &conv = decoder();
    char *in = const_cast<char *>(bytes.constData());
    size_t inLeft = size_t(bytes.size());
    char *const outStart = reinterpret_cast<char *>(out.data());
    char *o = outStart;
    size_t outLeft = size_t(out.size()) * 2;
    if (!conv.valid()) {
        // Without the table only ASCII can be trusted.
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const uchar b = uchar(bytes[i]);
            out[i] = b < 0x80 ? QChar(b) : QChar::ReplacementCharacter;
        }
        return out;
    }
    conv.reset();
    while (inLeft > 0) {
        if (conv.convert(&in, &inLeft, &o, &outLeft) != size_t(-1))
            break;
        if (errno == E2BIG) // cannot happen with one unit per byte; never loop on it
            break;
        // An undefined byte or pair: one replacement, then resynchronise. A lead byte whose
        // follower cannot be a trail byte is bad on its own, so the follower is read again.
        const uchar lead = uchar(*in);
        size_t skip = 1;
        if (isLeadByte(lead) && inLeft >= 2 && isTrailByte(uchar(in[1])))
            skip = 2;
        in += skip;
        inLeft -= skip;
        const char16_t repl = QChar::ReplacementCharacter;
        std::memcpy(o, &repl, 2);
        o += 2;
        outLeft -= 2;
        conv.reset();
    }
    out.resize((o - outStart) / 2);
    return out;
}

Encoded encode(const QString &text)
{
    Encoded result;
    // At most two bytes per UTF-16 unit.
    result.bytes.resize(text.size() * 2);
    Converter &conv = encoder();
    const char *const inStart = reinterpret_cast<const char *>(text.constData());
    char *in = const_cast<char *>(inStart);
    size_t inLeft = size_t(text.size()) * 2;
    char *const outStart = result.bytes.data();
    char *o = outStart;
    size_t outLeft = size_t(result.bytes.size());

    auto markBad = [&](qsizetype index) {
        const QChar c = text.at(index);
        char32_t ch = c.unicode();
        qsizetype units = 1;
        if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
            ch = QChar::surrogateToUcs4(c, text.at(index + 1));
            units = 2;
        }
        if (result.ok) {
            result.ok = false;
            result.badIndex = index;
            result.badChar = ch;
        }
        // The rest is still converted, with "?" in place of what cannot be held.
        *o++ = '?';
        --outLeft;
        return units;
    };

    if (!conv.valid()) {
        for (qsizetype i = 0; i < text.size();) {
            const char16_t u = text.at(i).unicode();
            if (u < 0x80) {
                *o++ = char(u);
                --outLeft;
                ++i;
            } else {
                i += markBad(i);
            }
        }
    } else {
        conv.reset();
        while (inLeft > 0) {
            if (conv.convert(&in, &inLeft, &o, &outLeft) != size_t(-1))
                break;
            if (errno == E2BIG)
                break;
            // EILSEQ, or EINVAL for a lone high surrogate at the end.
            const qsizetype index = (in - inStart) / 2;
            const qsizetype units = markBad(index);
            in += units * 2;
            inLeft -= size_t(units) * 2;
            conv.reset();
        }
        // Flush any shift state (none for this code page, but cheap).
        conv.convert(nullptr, nullptr, &o, &outLeft);
    }
    result.bytes.resize(o - outStart);
    return result;
}

bool roundTrips(const QString &text)
{
    const Encoded e = encode(text);
    return e.ok && decode(e.bytes) == text;
}

QString storableForms(const QString &text)
{
    // Every character the code page's table maps one way only. ¥ and ‾ would come back as the
    // ASCII backslash and tilde; their full-width forms keep the look.
    static constexpr std::pair<char16_t, char16_t> LookAlikes[] = {
        {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00A5, 0xFFE5}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
        {0x2016, 0x2225}, {0x203E, 0xFFE3}, {0x2212, 0xFF0D}, {0x301C, 0xFF5E}};
    QString out = text;
    for (QChar &ch : out) {
        if (ch.unicode() < 0xA2)
            continue;
        for (const auto &[from, to] : LookAlikes)
            if (ch.unicode() == from)
                ch = QChar(to);
    }
    return out;
}

} // namespace Cp932
