#include "core/market/actualodds.h"

#include "core/codepage/codepage.h"
#include "core/system/safefile.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringList>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 MaxOddsFileBytes = 16 * 1024 * 1024;
constexpr qint64 HighestTenths = 999999999;

bool isSeparator(QChar c)
{
    return c == QLatin1Char('-') || c == QLatin1Char('>') || c == QChar(0x2192);
}

bool allDashes(QStringView text)
{
    if (text.size() < 2)
        return false;
    for (const QChar c : text)
        if (c != QLatin1Char('-'))
            return false;
    return true;
}

// Tenths of one normalized number ("1,234.5", "12", "12.30"); -1 when it is none.
qint64 tenthsOf(QStringView text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QStringView whole = point < 0 ? text : text.left(point);
    const QList<QStringView> groups = whole.split(QLatin1Char(','));
    qint64 tenths = 0;
    for (qsizetype g = 0; g < groups.size(); ++g) {
        const QStringView digits = groups[g];
        // Thousands commas: a first group of 1 to 3 digits, then groups of exactly 3.
        if (digits.isEmpty() ||
            (groups.size() > 1 && (g == 0 ? digits.size() > 3 : digits.size() != 3)))
            return -1;
        for (const QChar c : digits) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return -1;
            tenths = tenths * 10 + (c.unicode() - u'0');
            if (tenths > HighestTenths)
                return -1;
        }
    }
    tenths *= 10;
    if (point < 0)
        return tenths;
    const QStringView decimals = text.mid(point + 1);
    if (decimals.isEmpty())
        return -1;
    for (qsizetype k = 0; k < decimals.size(); ++k) {
        const QChar c = decimals[k];
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        if (k == 0)
            tenths += c.unicode() - u'0';
        else if (c != QLatin1Char('0'))
            return -1; // a second decimal: odds are quoted to one
    }
    return tenths;
}

Result<QuotedOdds> notOdds(QStringView text)
{
    Problem p;
    p.fault = Fault::NotOdds;
    p.text = text.toString();
    return Result<QuotedOdds>::failure(std::move(p));
}

bool inRange(qint64 tenths)
{
    return tenths >= 10 && tenths <= HighestTenths;
}

// A header's odds column: 実オッズ, else the one field naming オッズ but not an estimate.
int findOddsColumn(const QStringList &fields)
{
    const qsizetype actual = fields.indexOf(QStringLiteral("実オッズ"));
    if (actual >= 0)
        return int(actual);
    int found = -1;
    for (qsizetype k = 1; k < fields.size(); ++k) {
        if (fields[k].contains(QStringLiteral("オッズ")) &&
            !fields[k].contains(QStringLiteral("推定"))) {
            if (found >= 0)
                return -1;
            found = int(k);
        }
    }
    if (found < 0 && fields.size() == 2)
        return 1;
    return found;
}

// Fields of a normalized, trimmed line: TAB-separated, else blank-separated with blanks
// around a ticket's or range's separators joined.
QStringList oddsFields(const QString &line)
{
    QStringList fields;
    if (line.contains(QLatin1Char('\t'))) {
        fields = line.split(QLatin1Char('\t'));
        for (QString &f : fields)
            f = f.trimmed();
        while (!fields.isEmpty() && fields.last().isEmpty())
            fields.removeLast();
        return fields;
    }
    bool join = false;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString &token : line.split(blanks, Qt::SkipEmptyParts)) {
        const bool mark = allDashes(token);
        if (!fields.isEmpty() && !mark && (join || isSeparator(token.front())))
            fields.last() += token;
        else
            fields << token;
        join = !mark && isSeparator(token.back());
    }
    return fields;
}

bool hasDigit(const QString &text)
{
    for (const QChar c : text)
        if (c.isDigit())
            return true;
    return false;
}

} // namespace

QString oddsText(const QuotedOdds &odds)
{
    // Odds hold one decimal: its fixed form is exact and reads back equal.
    const auto number = [](double v) { return QString::number(v, 'f', 1); };
    return odds.upper > 0 ? number(odds.odds) + QLatin1Char('-') + number(odds.upper)
                          : number(odds.odds);
}

bool isScratched(QStringView text)
{
    const QString t = normalizedOddsText(text).trimmed();
    return t == QStringLiteral("取消") || t == QStringLiteral("除外") || allDashes(t);
}

Result<QuotedOdds> parseOdds(QStringView given, BetType type)
{
    QString text = normalizedOddsText(given).trimmed();
    static const QRegularExpression spacedDash(QStringLiteral("\\s*-\\s*"));
    text.replace(spacedDash, QStringLiteral("-"));
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (dash < 0) {
        const qint64 tenths = tenthsOf(text);
        if (!inRange(tenths))
            return notOdds(given);
        return Result<QuotedOdds>::success(QuotedOdds(double(tenths) / 10));
    }
    // Both ends with their decimal, as odds pages show ranges: "1-2" stays a ticket.
    const QStringView lowText = QStringView(text).left(dash);
    const QStringView highText = QStringView(text).mid(dash + 1);
    const qint64 low = tenthsOf(lowText);
    const qint64 high = tenthsOf(highText);
    if (!inRange(low) || !inRange(high) || high < low || !lowText.contains(QLatin1Char('.')) ||
        !highText.contains(QLatin1Char('.')))
        return notOdds(given);
    if (type != BetType::Place && type != BetType::Wide) {
        Problem p;
        p.fault = Fault::RangeNotSold;
        p.text = given.toString();
        return Result<QuotedOdds>::failure(std::move(p));
    }
    return Result<QuotedOdds>::success(QuotedOdds(double(low) / 10, double(high) / 10));
}

QString decodeOddsText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return Cp932::decode(bytes);
}

Result<OddsLines> parseActualOdds(const QString &text, BetType type, int highest)
{
    OddsLines out;
    std::map<Ticket, std::pair<int, QuotedOdds>> seen; // line and odds (0 when scratched)
    int oddsColumn = -1;
    bool first = true;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int lineNumber = int(i + 1);
        const auto bad = [&](Problem p) {
            p.line = lineNumber;
            return Result<OddsLines>::failure(std::move(p));
        };
        const QString line = normalizedOddsText(lines[i]).trimmed();
        if (line.isEmpty())
            continue;
        const bool header = first && !hasDigit(line);
        first = false;
        const QStringList fields = oddsFields(line);
        if (header) {
            oddsColumn = findOddsColumn(fields);
            continue;
        }
        QString oddsField;
        if (oddsColumn >= 0) {
            oddsField = fields.value(oddsColumn);
        } else if (fields.size() > 2) {
            Problem p;
            p.fault = Fault::TooManyFields;
            p.number = fields.size();
            return bad(std::move(p));
        } else {
            oddsField = fields.value(1);
        }
        const Result<Ticket> ticket = parseTicket(type, fields.first(), highest);
        if (!ticket.ok())
            return bad(ticket.problem);
        if (oddsField.isEmpty() && oddsColumn < 0) {
            Problem p;
            p.fault = Fault::NoOdds;
            p.text = lines[i].trimmed();
            return bad(std::move(p));
        }
        QuotedOdds odds; // none: scratched, or an empty cell under a header
        if (!oddsField.isEmpty() && !isScratched(oddsField)) {
            const Result<QuotedOdds> read = parseOdds(oddsField, type);
            if (!read.ok())
                return bad(read.problem);
            odds = read.value;
        }
        const auto [at, added] = seen.try_emplace(ticket.value, lineNumber, odds);
        if (!added && !(at->second.second == odds)) {
            Problem p;
            p.fault = Fault::DuplicateTicket;
            p.name = ticketText(type, ticket.value);
            p.otherLine = at->second.first;
            return bad(std::move(p));
        }
        if (odds.odds > 0)
            out.odds[ticket.value] = odds;
        else if (isScratched(oddsField))
            out.scratched.insert(ticket.value);
    }
    return Result<OddsLines>::success(std::move(out));
}

Result<OddsLines> readActualOdds(const QString &path, BetType type, int highest)
{
    QByteArray bytes;
    const InputRead read = readInput(path, MaxOddsFileBytes, &bytes);
    Problem p;
    switch (read.status) {
    case ReadStatus::Read:
        return parseActualOdds(decodeOddsText(bytes), type, highest);
    case ReadStatus::Missing:
        p.fault = Fault::NoSuchFile;
        break;
    case ReadStatus::Folder:
        p.fault = Fault::NotAFile;
        break;
    case ReadStatus::NotRegular:
    case ReadStatus::NotFileOrPipe:
        p.fault = Fault::Other;
        p.text = QStringLiteral("not a file or a pipe");
        break;
    case ReadStatus::TooLarge:
        p.fault = Fault::FileTooLarge;
        p.name = QStringLiteral("an odds file");
        break;
    case ReadStatus::Failed:
        p.fault = Fault::Other;
        p.text = QString::fromUtf8(strerrordesc_np(read.error));
        break;
    }
    return Result<OddsLines>::failure(std::move(p));
}

OddsValue valueOf(double probability, double actualOdds, double estimatedOdds)
{
    return {probability * actualOdds, estimatedOdds > 0 ? actualOdds / estimatedOdds : 0.0};
}
