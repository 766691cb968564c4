#include "core/text/textcompare.h"

#include <QChar>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Full-width forms of the half-width katakana block U+FF61..U+FF9F.
constexpr std::array<char16_t, 63> HalfKana = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

constexpr char16_t HalfVoicedMark = 0xFF9E;
constexpr char16_t HalfSemiVoicedMark = 0xFF9F;

// Full-width katakana with the voiced (or semi-voiced) mark, or 0 when it has none.
char16_t withMark(char16_t kana, bool semi)
{
    if (semi)
        return (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0) ? kana + 2 : 0;
    if ((kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0) ||
        (kana >= 0x30C4 && kana <= 0x30C8 && (kana - 0x30C4) % 2 == 0) ||
        (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0))
        return kana + 1;
    switch (kana) {
    case 0x30A6:
        return 0x30F4; // ヴ
    case 0x30EF:
        return 0x30F7;
    case 0x30F2:
        return 0x30FA;
    default:
        return 0;
    }
}

char32_t foldSingle(char32_t c)
{
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? c + 32 : c;
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0;
        return (c >= u'A' && c <= u'Z') ? c + 32 : c;
    }
    if (c == 0x3000)
        return u' ';
    if (c >= 0xFF61 && c <= 0xFF9F)
        return HalfKana[c - 0xFF61];
    switch (c) {
    case 0xFFE0:
        return 0xA2;
    case 0xFFE1:
        return 0xA3;
    case 0xFFE2:
        return 0xAC;
    case 0xFFE3:
        return 0xAF;
    case 0xFFE4:
        return 0xA6;
    case 0xFFE5:
        return 0xA5;
    case 0xFFE6:
        return 0x20A9;
    default:
        return QChar::toCaseFolded(c);
    }
}

// Folds the character at i; returns the folded character and sets len to the number of UTF-16
// units it consumed (a half-width kana with its mark, or a surrogate pair, takes two).
inline char32_t foldAt(const QChar *s, qsizetype size, qsizetype i, int &len)
{
    const char16_t c = s[i].unicode();
    len = 1;
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char32_t(c + 32) : char32_t(c);
    if (c >= 0xFF66 && c <= 0xFF9D && i + 1 < size) {
        const char16_t next = s[i + 1].unicode();
        if (next == HalfVoicedMark || next == HalfSemiVoicedMark) {
            const char16_t marked = withMark(HalfKana[c - 0xFF61], next == HalfSemiVoicedMark);
            if (marked) {
                len = 2;
                return marked;
            }
        }
    }
    if (QChar::isHighSurrogate(c) && i + 1 < size && s[i + 1].isLowSurrogate()) {
        len = 2;
        return QChar::toCaseFolded(QChar::surrogateToUcs4(c, s[i + 1].unicode()));
    }
    return foldSingle(c);
}

bool isPlainFolded(QStringView s)
{
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || (u >= u'A' && u <= u'Z'))
            return false;
    }
    return true;
}

void appendUcs4(QString &out, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

// A folded text with, for each folded character, where it starts in the original.
struct Folded
{
    std::vector<char32_t> chars;
    std::vector<qsizetype> origin; // one more entry than chars: the original length
};

Folded foldWithOrigins(QStringView s)
{
    Folded f;
    f.chars.reserve(size_t(s.size()));
    f.origin.reserve(size_t(s.size()) + 1);
    for (qsizetype i = 0; i < s.size();) {
        int len;
        f.chars.push_back(foldAt(s.data(), s.size(), i, len));
        f.origin.push_back(i);
        i += len;
    }
    f.origin.push_back(s.size());
    return f;
}

std::vector<char32_t> foldChars(QStringView s)
{
    std::vector<char32_t> out;
    out.reserve(size_t(s.size()));
    for (qsizetype i = 0; i < s.size();) {
        int len;
        out.push_back(foldAt(s.data(), s.size(), i, len));
        i += len;
    }
    return out;
}

// Index in folded characters of the first match at or after from, or -1.
qsizetype findFolded(const std::vector<char32_t> &hay, const std::vector<char32_t> &needle,
                     size_t from)
{
    if (needle.size() > hay.size() || from > hay.size() - needle.size())
        return -1;
    auto it = std::search(hay.begin() + qsizetype(from), hay.end(), needle.begin(), needle.end());
    return it == hay.end() ? -1 : qsizetype(it - hay.begin());
}

size_t foldedIndexAt(const Folded &f, qsizetype from)
{
    return size_t(std::lower_bound(f.origin.begin(), f.origin.end() - 1, from) - f.origin.begin());
}

// Every match (original start, original end) of needle in text, left to right, not overlapping.
std::vector<std::pair<qsizetype, qsizetype>> allMatches(const QString &text, const QString &needle)
{
    std::vector<std::pair<qsizetype, qsizetype>> out;
    if (needle.isEmpty())
        return out;
    const Folded hay = foldWithOrigins(text);
    const std::vector<char32_t> n = foldChars(needle);
    size_t from = 0;
    qsizetype pos;
    while ((pos = findFolded(hay.chars, n, from)) >= 0) {
        out.emplace_back(hay.origin[size_t(pos)], hay.origin[size_t(pos) + n.size()]);
        from = size_t(pos) + n.size();
    }
    return out;
}

} // namespace

QString foldText(const QString &text)
{
    if (isPlainFolded(text))
        return text;
    QString out;
    out.reserve(text.size());
    const QChar *s = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size;) {
        int len;
        const char32_t c = foldAt(s, size, i, len);
        appendUcs4(out, c);
        i += len;
    }
    return out;
}

bool textEquals(const QString &a, const QString &b)
{
    const QChar *pa = a.constData();
    const QChar *pb = b.constData();
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        int la, lb;
        if (foldAt(pa, a.size(), i, la) != foldAt(pb, b.size(), j, lb))
            return false;
        i += la;
        j += lb;
    }
    return i == a.size() && j == b.size();
}

qsizetype textIndexOf(const QString &haystack, const QString &needle, qsizetype from)
{
    if (from < 0)
        from = 0;
    if (from > haystack.size())
        return -1;
    const Folded hay = foldWithOrigins(haystack);
    const size_t start = foldedIndexAt(hay, from);
    if (needle.isEmpty())
        return hay.origin[start];
    const qsizetype pos = findFolded(hay.chars, foldChars(needle), start);
    return pos < 0 ? -1 : hay.origin[size_t(pos)];
}

bool textContains(const QString &haystack, const QString &needle)
{
    // A CJK ideograph folds from itself only, so a text without the needle's first one cannot
    // match: no folded copies to build.
    if (!needle.isEmpty()) {
        const char16_t first = needle[0].unicode();
        if (first >= 0x4E00 && first <= 0x9FFF && !haystack.contains(QChar(first)))
            return false;
    }
    return textIndexOf(haystack, needle) >= 0;
}

qsizetype textMatchLength(const QString &text, qsizetype pos, const QString &needle)
{
    if (pos < 0 || pos > text.size())
        return -1;
    const QChar *pt = text.constData();
    const QChar *pn = needle.constData();
    qsizetype i = pos, j = 0;
    while (j < needle.size()) {
        if (i >= text.size())
            return -1;
        int lt, ln;
        if (foldAt(pt, text.size(), i, lt) != foldAt(pn, needle.size(), j, ln))
            return -1;
        i += lt;
        j += ln;
    }
    return i - pos;
}

bool textStartsWith(const QString &text, const QString &prefix)
{
    return textMatchLength(text, 0, prefix) >= 0;
}

QStringList textSplit(const QString &text, const QString &separator)
{
    QStringList out;
    qsizetype start = 0;
    for (const auto &[b, e] : allMatches(text, separator)) {
        out << text.mid(start, b - start);
        start = e;
    }
    out << text.mid(start);
    return out;
}

QString textReplace(const QString &text, const QString &from, const QString &to)
{
    const auto matches = allMatches(text, from);
    if (matches.empty())
        return text;
    QString out;
    qsizetype start = 0;
    for (const auto &[b, e] : matches) {
        out += QStringView(text).mid(start, b - start);
        out += to;
        start = e;
    }
    out += QStringView(text).mid(start);
    return out;
}

bool textLike(const QString &text, const QString &pattern)
{
    // Wildcards are the ASCII "*", "?" and "#" of the pattern as written; their full-width
    // forms are ordinary characters.
    enum Kind : char { Literal, AnyRun, AnyOne, Digit };
    std::vector<char32_t> pat;
    std::vector<Kind> kinds;
    for (qsizetype i = 0; i < pattern.size();) {
        const char16_t c = pattern[i].unicode();
        if (c == u'*' || c == u'?' || c == u'#') {
            pat.push_back(c);
            kinds.push_back(c == u'*' ? AnyRun : c == u'?' ? AnyOne : Digit);
            ++i;
            continue;
        }
        int len;
        pat.push_back(foldAt(pattern.constData(), pattern.size(), i, len));
        kinds.push_back(Literal);
        i += len;
    }
    const std::vector<char32_t> t = foldChars(text);

    auto matchOne = [&](size_t pi, size_t ti) {
        switch (kinds[pi]) {
        case AnyOne:
            return true;
        case Digit:
            return t[ti] >= U'0' && t[ti] <= U'9';
        default:
            return t[ti] == pat[pi];
        }
    };
    size_t ti = 0, pi = 0;
    size_t starPi = size_t(-1), starTi = 0;
    while (ti < t.size()) {
        if (pi < pat.size() && kinds[pi] == AnyRun) {
            starPi = pi++;
            starTi = ti;
        } else if (pi < pat.size() && matchOne(pi, ti)) {
            ++pi;
            ++ti;
        } else if (starPi != size_t(-1)) {
            pi = starPi + 1;
            ti = ++starTi;
        } else {
            return false;
        }
    }
    while (pi < pat.size() && kinds[pi] == AnyRun)
        ++pi;
    return pi == pat.size();
}

QString toFullWidth(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u == u' ')
            c = QChar(char16_t(0x3000));
        else if (u >= 0x21 && u <= 0x7E)
            c = QChar(char16_t(u + 0xFEE0));
    }
    return out;
}
