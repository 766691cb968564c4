#include "core/codepage/codepage.h"

#include <QSysInfo>
#include <cerrno>
#include <cstdlib>
#include <iconv.h>
#include <memory>
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

// Converts one piece alone; false when the converter stops before its end.
bool convertPiece(Converter &conv, const void *in, size_t inBytes, void *out, size_t outCap,
                  size_t *produced)
{
    char *i = static_cast<char *>(const_cast<void *>(in));
    char *o = static_cast<char *>(out);
    size_t outLeft = outCap;
    conv.reset();
    const bool done = conv.convert(&i, &inBytes, &o, &outLeft) != size_t(-1) && inBytes == 0;
    *produced = outCap - outLeft;
    return done;
}

// What the converter makes of each byte, byte pair or character, asked once per thread on first
// sight: a call into the converter costs as much as a line of table look-ups. Entries hold the
// result in the low 16 bits and its kind above; 0 means not asked yet.
enum EntryKind : quint32 {
    Unknown = 0,
    OneUnit = 1u << 16,   // decoding: the UTF-16 unit; encoding: one byte
    TwoBytes = 2u << 16,  // encoding: lead byte in bits 8..15, trail byte in bits 0..7
    NeedsPair = 3u << 16, // decoding a byte: it leads a pair
    Undefined = 4u << 16,
};
constexpr quint32 KindMask = 0x00FF0000u;
// Encoding: the bytes decode back to the same unit.
constexpr quint32 ReadsBack = 1u << 24;

// Lazily zeroed memory: a table holds 65,536 entries of which a document touches a few pages.
struct FreeTable
{
    void operator()(quint32 *p) const { std::free(p); }
};
using Table = std::unique_ptr<quint32[], FreeTable>;
Table newTable(size_t entries)
{
    quint32 *const p = static_cast<quint32 *>(std::calloc(entries, sizeof(quint32)));
    Q_CHECK_PTR(p);
    return Table(p);
}

class Tables
{
public:
    // The entry for one byte alone.
    quint32 single(uchar b)
    {
        const quint32 e = m_single[b];
        return e != Unknown ? e : fill(m_single[b], decodeEntry(&b, 1));
    }
    // The entry for a lead byte and its follower.
    quint32 pair(uchar lead, uchar trail)
    {
        quint32 &e = m_pairs[size_t(lead) << 8 | trail];
        if (e != Unknown)
            return e;
        const uchar in[2] = {lead, trail};
        return fill(e, decodeEntry(in, 2));
    }
    // The entry for one UTF-16 unit that is not a surrogate.
    quint32 unit(char16_t u)
    {
        quint32 &e = m_units[u];
        return e != Unknown ? e : fill(e, encodeEntry(u));
    }

private:
    static quint32 fill(quint32 &entry, quint32 value) { return entry = value; }

    Q_DECL_COLD_FUNCTION quint32 encodeEntry(char16_t u)
    {
        uchar out[4];
        size_t produced = 0;
        quint32 e = Undefined;
        if (convertPiece(encoder(), &u, 2, out, sizeof out, &produced) && produced >= 1 &&
            produced <= 2)
            e = produced == 1 ? OneUnit | out[0] : TwoBytes | quint32(out[0]) << 8 | out[1];
        return decodesTo(e, u) ? e | ReadsBack : e;
    }
    bool decodesTo(quint32 encoded, char16_t u)
    {
        const uchar first = uchar(encoded >> 8);
        switch (encoded & KindMask) {
        case OneUnit:
            return single(uchar(encoded)) == (OneUnit | u);
        case TwoBytes:
            return single(first) == NeedsPair && pair(first, uchar(encoded)) == (OneUnit | u);
        default:
            return false;
        }
    }
    Q_DECL_COLD_FUNCTION static quint32 decodeEntry(const uchar *in, size_t n)
    {
        char16_t out[2];
        size_t produced = 0;
        if (convertPiece(decoder(), in, n, out, sizeof out, &produced))
            return produced == 2 ? OneUnit | out[0] : Undefined;
        return n == 1 && errno == EINVAL ? NeedsPair : Undefined;
    }

    Table m_single = newTable(256);
    Table m_pairs = newTable(65536);
    Table m_units = newTable(65536);
};

Tables &tables()
{
    thread_local Tables t;
    return t;
}

} // namespace

namespace Cp932 {

QString decode(QByteArrayView bytes)
{
    // Every byte yields at most one UTF-16 unit.
    QString out(bytes.size(), Qt::Uninitialized);
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    char16_t *const outStart = reinterpret_cast<char16_t *>(out.data());
    char16_t *o = outStart;
    if (!decoder().valid()) {
        // Without the table only ASCII can be trusted.
        for (; p < end; ++p)
            *o++ = *p < 0x80 ? char16_t(*p) : char16_t(QChar::ReplacementCharacter);
        return out;
    }
    Tables &t = tables();
    while (p < end) {
        quint32 e = t.single(*p);
        qsizetype length = 1;
        if ((e & KindMask) == NeedsPair) {
            e = end - p >= 2 ? t.pair(p[0], p[1]) : Undefined;
            length = 2;
        }
        if ((e & KindMask) == OneUnit) {
            *o++ = char16_t(e);
            p += length;
            continue;
        }
        // An undefined byte or pair: one replacement, then resynchronise. A lead byte whose
        // follower cannot be a trail byte is bad on its own, so the follower is read again.
        *o++ = QChar::ReplacementCharacter;
        p += isLeadByte(p[0]) && end - p >= 2 && isTrailByte(p[1]) ? 2 : 1;
    }
    out.resize(o - outStart);
    return out;
}

Encoded encode(const QString &text)
{
    Encoded result;
    // At most two bytes per UTF-16 unit.
    result.bytes.resize(text.size() * 2);
    char *const outStart = result.bytes.data();
    char *o = outStart;

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
        return units;
    };

    const char16_t *const units = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype n = text.size();
    if (!encoder().valid()) {
        for (qsizetype i = 0; i < n;) {
            if (units[i] < 0x80)
                *o++ = char(units[i++]);
            else
                i += markBad(i);
        }
    } else {
        Tables &t = tables();
        for (qsizetype i = 0; i < n;) {
            const char16_t u = units[i];
            // No character beyond U+FFFF has a code page 932 form.
            const quint32 e = QChar::isSurrogate(u) ? Undefined : t.unit(u);
            switch (e & KindMask) {
            case OneUnit:
                *o++ = char(e & 0xFF);
                ++i;
                break;
            case TwoBytes:
                *o++ = char(e >> 8 & 0xFF);
                *o++ = char(e & 0xFF);
                ++i;
                break;
            default:
                i += markBad(i);
            }
        }
    }
    result.bytes.resize(o - outStart);
    return result;
}

char *writeExact(QStringView text, char *out)
{
    if (!encoder().valid()) {
        for (const QChar ch : text) {
            if (ch.unicode() >= 0x80)
                return nullptr;
            *out++ = char(ch.unicode());
        }
        return out;
    }
    Tables &t = tables();
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const quint32 e = QChar::isSurrogate(u) ? Undefined : t.unit(u);
        if (!(e & ReadsBack))
            return nullptr;
        if ((e & KindMask) == TwoBytes)
            *out++ = char(e >> 8 & 0xFF);
        *out++ = char(e & 0xFF);
    }
    return out;
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
