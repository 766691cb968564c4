#include "core/racemodel/bettypes.h"

#include <algorithm>

namespace {

struct BetTypeInfo
{
    const char *label;
    const char *name;
    int size;
    bool ordered;
    bool singleWinner;
    double payoutRatio;
};

constexpr BetTypeInfo Infos[] = {
    {"単勝", "win", 1, false, true, 0.80},
    {"複勝", "place", 1, false, false, 0.80},
    {"枠連", "bracket-quinella", 2, false, true, 0.775},
    {"馬連", "quinella", 2, false, true, 0.775},
    {"ワイド", "wide", 2, false, false, 0.775},
    {"馬単", "exacta", 2, true, true, 0.75},
    {"3連複", "trio", 3, false, true, 0.75},
    {"3連単", "trifecta", 3, true, true, 0.725},
};

const BetTypeInfo &info(BetType type)
{
    return Infos[size_t(type)];
}

} // namespace

QString ticketExample(BetType type)
{
    static const Ticket examples[] = {{7},    {7},    {3, 5},    {1, 2},
                                      {1, 2}, {1, 2}, {1, 2, 3}, {1, 2, 3}};
    return ticketText(type, examples[size_t(type)]);
}

QString betTypeLabel(BetType type)
{
    return QString::fromUtf8(info(type).label);
}

QString betTypeName(BetType type)
{
    return QString::fromLatin1(info(type).name);
}

std::optional<BetType> betTypeFromName(QStringView name)
{
    for (const BetType type : AllBetTypes)
        if (name == QLatin1String(info(type).name))
            return type;
    return std::nullopt;
}

std::optional<BetType> betTypeFromUserText(QStringView text)
{
    if (const std::optional<BetType> named = betTypeFromName(text))
        return named;
    QString label = text.toString();
    for (QChar &c : label)
        if (c >= u'０' && c <= u'９')
            c = QChar(u'0' + (c.unicode() - u'０'));
    for (const BetType type : AllBetTypes)
        if (label == QString::fromUtf8(info(type).label))
            return type;
    return std::nullopt;
}

int ticketSize(BetType type)
{
    return info(type).size;
}

bool isOrdered(BetType type)
{
    return info(type).ordered;
}

bool hasSingleWinner(BetType type)
{
    return info(type).singleWinner;
}

double defaultPayoutRatio(BetType type)
{
    return info(type).payoutRatio;
}

QString ticketText(BetType type, const Ticket &ticket)
{
    const QChar separator = isOrdered(type) ? QLatin1Char('>') : QLatin1Char('-');
    QString text;
    for (int k = 0; k < ticketSize(type); ++k) {
        if (k > 0)
            text += separator;
        text += QString::number(ticket[size_t(k)]);
    }
    return text;
}

QString normalizedOddsText(QStringView text)
{
    // Most text is ASCII, which normalization leaves as it is.
    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        return text.toString();
    QString out = text.toString().normalized(QString::NormalizationForm_KC);
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        // Dashes and minus signs as odds pages and input methods write them.
        if ((u >= 0x2010 && u <= 0x2015) || u == 0x2212 || u == 0x30FC || u == 0xFF70)
            c = QLatin1Char('-');
        else if (u == 0x00A0)
            c = QLatin1Char(' ');
    }
    return out;
}

Result<Ticket> parseTicket(BetType type, QStringView given, int highest)
{
    const QString text = normalizedOddsText(given);
    const auto malformed = [&] {
        Problem p;
        p.fault = Fault::NotTicket;
        p.text = given.toString();
        p.betType = int(type);
        return Result<Ticket>::failure(std::move(p));
    };
    const auto separator = [&](QChar c) {
        return isOrdered(type) ? c == QLatin1Char('>') || c == QChar(0x2192)
                               : c == QLatin1Char('-');
    };
    const auto skipBlanks = [&](qsizetype &i) {
        while (i < text.size() && text[i].isSpace())
            ++i;
    };
    const int size = ticketSize(type);
    Ticket ticket{};
    int count = 0;
    qsizetype i = 0;
    skipBlanks(i);
    while (true) {
        if (count == size || i >= text.size() || text[i] < u'1' || text[i] > u'9')
            return malformed();
        qint64 number = 0;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
            number = number * 10 + (text[i].unicode() - u'0');
            if (number > 1000)
                return malformed();
            ++i;
        }
        if (number > highest) {
            Problem p;
            p.fault = Fault::RunnerBeyond;
            p.text = given.toString();
            p.number = number;
            p.high = highest;
            p.bracket = type == BetType::BracketQuinella;
            return Result<Ticket>::failure(std::move(p));
        }
        ticket[size_t(count++)] = int(number);
        skipBlanks(i);
        if (i == text.size())
            break;
        if (!separator(text[i]))
            return malformed();
        ++i;
        skipBlanks(i);
    }
    if (count != size)
        return malformed();
    if (!isOrdered(type))
        std::sort(ticket.begin(), ticket.begin() + size);
    if (type != BetType::BracketQuinella)
        for (int a = 0; a < size; ++a)
            for (int b = a + 1; b < size; ++b)
                if (ticket[size_t(a)] == ticket[size_t(b)])
                    return malformed();
    return Result<Ticket>::success(ticket);
}
