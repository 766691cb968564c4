#include "core/analysis/sidecarodds.h"

#include "core/analysis/oddssnapshots.h"
#include "core/analysis/payouts.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

constexpr qint64 MaxSidecarBytes = 64 * 1024 * 1024;
constexpr int HighestVersion = 3;
// Above any runner count the table allows, as the analysis file keeps them.
constexpr int HighestRunner = 36;

struct Line
{
    const char *begin;
    const char *end;
};

// Lines without their CR and surrounding blanks.
class Lines
{
public:
    Lines(const char *begin, const char *end) : m_p(begin), m_end(end) {}

    bool next(Line *line)
    {
        if (m_p >= m_end)
            return false;
        const char *nl = static_cast<const char *>(std::memchr(m_p, '\n', size_t(m_end - m_p)));
        const char *stop = nl ? nl : m_end;
        const char *b = m_p;
        const char *e = stop;
        while (b < e && (*b == ' ' || *b == '\t'))
            ++b;
        while (e > b && (e[-1] == '\r' || e[-1] == ' ' || e[-1] == '\t'))
            --e;
        *line = {b, e};
        m_p = nl ? nl + 1 : m_end;
        return true;
    }
    const char *position() const { return m_p; }
    void jump(const char *p) { m_p = p; }

private:
    const char *m_p;
    const char *m_end;
};

QByteArray bytesBetween(const char *b, const char *e)
{
    return QByteArray::fromRawData(b, qsizetype(e - b));
}

QString text(const char *b, const char *e)
{
    return QString::fromLatin1(b, qsizetype(e - b));
}

const char *trimmed(const char *b, const char *e, const char **end)
{
    while (b < e && (*b == ' ' || *b == '\t'))
        ++b;
    while (e > b && (e[-1] == ' ' || e[-1] == '\t'))
        --e;
    *end = e;
    return b;
}

struct Snapshot
{
    QString time;
    const char *body = nullptr; // the first line after the section name
};

// The start of the next line that begins with "[" at or after p, else end. Nothing else in the
// file holds a "[".
const char *nextSection(const char *p, const char *begin, const char *end)
{
    while (p < end) {
        const char *bracket = static_cast<const char *>(std::memchr(p, '[', size_t(end - p)));
        if (!bracket)
            return end;
        if (bracket == begin || bracket[-1] == '\n')
            return bracket;
        p = bracket + 1;
    }
    return end;
}

// The value of the "Time=" line between begin and end, which start and end lines.
QString latestTime(const char *begin, const char *end)
{
    const char *p = begin;
    if (end - begin < 5 || std::memcmp(begin, "Time=", 5) != 0) {
        p = static_cast<const char *>(memmem(begin, size_t(end - begin), "\nTime=", 6));
        if (!p)
            return {};
        ++p;
    }
    p += 5;
    const char *e = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
    const char *valueEnd;
    const char *value = trimmed(p, e ? e : end, &valueEnd);
    while (valueEnd > value && valueEnd[-1] == '\r')
        --valueEnd;
    return text(value, valueEnd);
}

} // namespace

bool readTicketBytes(BetType type, const char *begin, const char *end, int highest, Ticket *ticket)
{
    const char separator = isOrdered(type) ? '>' : '-';
    const int size = ticketSize(type);
    Ticket t{};
    int count = 0;
    const char *p = begin;
    while (true) {
        if (count == size || p >= end || *p < '1' || *p > '9')
            return false;
        int number = 0;
        while (p < end && *p >= '0' && *p <= '9') {
            number = number * 10 + (*p - '0');
            if (number > highest)
                return false;
            ++p;
        }
        t[size_t(count++)] = number;
        if (p == end)
            break;
        if (*p != separator)
            return false;
        ++p;
    }
    if (count != size)
        return false;
    if (!isOrdered(type))
        std::sort(t.begin(), t.begin() + size);
    if (type != BetType::BracketQuinella)
        for (int a = 0; a < size; ++a)
            for (int b = a + 1; b < size; ++b)
                if (t[size_t(a)] == t[size_t(b)])
                    return false;
    *ticket = t;
    return true;
}

bool readOddsBytes(const char *begin, const char *end, double *odds, double *upper)
{
    const auto one = [](const char *b, const char *e, double *v) {
        // As the file writes them, digits with one decimal: tenths / 10 is the same double
        // from_chars gives, both being the nearest to the decimal value.
        if (e - b >= 3 && e - b <= 10 && e[-2] == '.') {
            qint64 tenths = 0;
            const char *p = b;
            for (; p < e - 2 && *p >= '0' && *p <= '9'; ++p)
                tenths = tenths * 10 + (*p - '0');
            if (p == e - 2 && e[-1] >= '0' && e[-1] <= '9') {
                tenths = tenths * 10 + (e[-1] - '0');
                *v = double(tenths) / 10;
                return *v >= 1.0 && *v <= 99999999.9;
            }
        }
        const auto r = std::from_chars(b, e, *v);
        return b < e && r.ec == std::errc() && r.ptr == e && *v >= 1.0 && *v <= 99999999.9;
    };
    // The range's dash follows a digit; an exponent's ("1e-05") does not.
    const char *dash = begin + 1;
    while (dash < end && !(*dash == '-' && dash[-1] >= '0' && dash[-1] <= '9'))
        ++dash;
    *upper = 0;
    if (dash >= end)
        return one(begin, end, odds);
    return one(begin, dash, odds) && one(dash + 1, end, upper) && *odds <= *upper;
}

Result<BetOdds> readBetOdds(const QByteArray &bytes, BetType type, std::optional<QTime> at)
{
    const QByteArray name = betTypeName(type).toLatin1();
    const int highest = type == BetType::BracketQuinella ? 8 : HighestRunner;
    const char *fileBegin = bytes.constData();
    // Line numbers only for a message: counted when one is needed.
    const auto bad = [&](const Line &line, const QString &why) {
        const qsizetype number = 1 + std::count(fileBegin, line.begin, '\n');
        return Result<BetOdds>::failure(QStringLiteral("line %1: %2").arg(number).arg(why));
    };
    enum class Section { None, Main, Latest, Earlier, Payouts, Other };
    Section section = Section::None;
    std::vector<Snapshot> snapshots;
    BetOdds out;
    const char *fileEnd = fileBegin + bytes.size();
    Lines lines(fileBegin, fileEnd);
    Line l;
    while (lines.next(&l)) {
        if (l.begin == l.end || *l.begin == ';')
            continue;
        if (*l.begin == '[' && l.end[-1] == ']') {
            const char *e;
            const char *b = trimmed(l.begin + 1, l.end - 1, &e);
            const QByteArray s = bytesBetween(b, e);
            section = Section::Other;
            if (s == "Analysis") {
                section = Section::Main;
            } else if (s == "Payouts") {
                section = Section::Payouts;
            } else if (s.startsWith(name) && (s.size() == name.size() || s[name.size()] == '@')) {
                section = s.size() == name.size() ? Section::Latest : Section::Earlier;
                Snapshot snap;
                snap.body = lines.position();
                if (section == Section::Earlier)
                    snap.time = text(b + name.size() + 1, e);
                if (section == Section::Latest)
                    snapshots.insert(snapshots.begin(), snap);
                else
                    snapshots.push_back(snap);
            }
            if (section == Section::Main || section == Section::Payouts)
                continue;
            // Thousands of odds lines: passed over to the next line that starts a section,
            // only the latest snapshot's time taken on the way.
            const char *body = lines.position();
            const char *stop = nextSection(body, fileBegin, fileEnd);
            if (section == Section::Latest)
                snapshots.front().time = latestTime(body, stop);
            lines.jump(stop);
            continue;
        }
        const char *eq =
            static_cast<const char *>(std::memchr(l.begin, '=', size_t(l.end - l.begin)));
        if (!eq)
            continue; // only the lines read count; the full reader judges the rest
        const char *keyEnd;
        const char *key = trimmed(l.begin, eq, &keyEnd);
        const QByteArray k = bytesBetween(key, keyEnd);
        if (section == Section::Main && k == "Version") {
            const char *ve;
            const char *vb = trimmed(eq + 1, l.end, &ve);
            int version = 0;
            const auto r = std::from_chars(vb, ve, version);
            if (r.ec != std::errc() || r.ptr != ve || version < 1)
                return bad(l, QStringLiteral("bad Version '%1'").arg(quotedText(text(vb, ve))));
            if (version > HighestVersion)
                return bad(
                    l, QStringLiteral("version %1 is newer than this program reads").arg(version));
        } else if (section == Section::Payouts) {
            const Result<std::pair<BetType, Ticket>> p =
                parsePayoutKey(QString::fromLatin1(key, qsizetype(keyEnd - key)));
            if (!p.ok())
                return bad(l, p.error);
            if (p.value.first != type)
                continue;
            const char *ve;
            const char *vb = trimmed(eq + 1, l.end, &ve);
            qint64 yen = 0;
            const auto r = std::from_chars(vb, ve, yen);
            if (r.ec != std::errc() || r.ptr != ve || yen < 1)
                return bad(l, QStringLiteral("bad payout '%1'").arg(quotedText(text(vb, ve))));
            out.payouts[p.value.second] = yen;
        }
    }

    OddsHistory history;
    for (const Snapshot &s : snapshots)
        history.push_back({s.time, {}});
    const int chosen = snapshotAt(history, at);
    if (chosen < 0)
        return Result<BetOdds>::success(std::move(out));

    const Snapshot &snap = snapshots[size_t(chosen)];
    lines.jump(snap.body);
    while (lines.next(&l)) {
        if (l.begin == l.end || *l.begin == ';')
            continue;
        if (*l.begin == '[')
            break;
        const char *eq =
            static_cast<const char *>(std::memchr(l.begin, '=', size_t(l.end - l.begin)));
        if (!eq)
            return bad(l, QStringLiteral("'%1' is not a key=value line of a section")
                              .arg(quotedText(text(l.begin, l.end))));
        const char *keyEnd;
        const char *key = trimmed(l.begin, eq, &keyEnd);
        Ticket ticket;
        if (!readTicketBytes(type, key, keyEnd, highest, &ticket)) {
            const QByteArray k = bytesBetween(key, keyEnd);
            if (k == "Ratio" || k == "Picks" || k == "Time")
                continue;
            return bad(l, parseTicket(type, text(key, keyEnd), highest).error);
        }
        const char *ve;
        const char *vb = trimmed(eq + 1, l.end, &ve);
        double odds = 0;
        double upper = 0;
        if (!readOddsBytes(vb, ve, &odds, &upper))
            return bad(l, QStringLiteral("bad odds '%1'").arg(quotedText(text(vb, ve))));
        // Written in ascending order: appending keeps them sorted, and a repeat replaces.
        if (!out.odds.empty() && !(out.odds.back().first < ticket)) {
            const auto it = std::lower_bound(
                out.odds.begin(), out.odds.end(), ticket,
                [](const std::pair<Ticket, double> &a, const Ticket &t) { return a.first < t; });
            if (it != out.odds.end() && it->first == ticket)
                it->second = odds;
            else
                out.odds.insert(it, {ticket, odds});
        } else {
            out.odds.emplace_back(ticket, odds);
        }
    }
    out.hasOdds = !out.odds.empty();
    return Result<BetOdds>::success(std::move(out));
}

Result<BetOdds> readBetOddsFile(const QString &path, BetType type, std::optional<QTime> at)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Result<BetOdds>::success(BetOdds{});
    if (!info.isFile())
        return Result<BetOdds>::failure(QStringLiteral("not a file"));
    if (info.size() > MaxSidecarBytes)
        return Result<BetOdds>::failure(QStringLiteral("too large for an analysis file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<BetOdds>::failure(file.errorString());
    const QByteArray bytes = file.read(MaxSidecarBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return Result<BetOdds>::failure(file.errorString());
    return readBetOdds(bytes, type, at);
}
