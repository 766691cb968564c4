#include "core/market/payouts.h"

#include "core/text/textcompare.h"

#include <QStringList>
#include <algorithm>
#include <optional>

namespace {

constexpr qint64 MaxPayout = 9999999999LL;

bool isSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r';
}

// Folded text keeps "-" for the full-width dash; the other dashes and arrows results pages use
// are listed here.
bool isTicketSeparator(QChar c)
{
    return c == u'-' || c == u'>' || c == u'→' || c == u'ー' || c == u'−' || c == u'‐' ||
           c == u'‑' || c == u'–' || c == u'―';
}

// Reads the payout lines of one text: a small cursor over the folded characters of a line.
class LineReader
{
public:
    explicit LineReader(QString folded) : m_s(std::move(folded)) {}

    bool atEnd()
    {
        skipSpaces();
        return m_i >= m_s.size();
    }

    std::optional<BetType> betType()
    {
        skipSpaces();
        for (const BetType type : AllBetTypes) {
            const QString label = foldText(betTypeLabel(type));
            if (QStringView(m_s).mid(m_i).startsWith(label)) {
                m_i += label.size();
                return type;
            }
        }
        return std::nullopt;
    }

    bool digitAhead()
    {
        skipSpaces();
        return m_i < m_s.size() && m_s[m_i].isDigit() && m_s[m_i].unicode() < 0x80;
    }

    // size numbers joined by separators, spaces allowed around them; 0 entries when unread.
    std::optional<std::vector<qint64>> ticket(int size)
    {
        std::vector<qint64> numbers;
        while (true) {
            const std::optional<qint64> n = number(false);
            if (!n)
                return std::nullopt;
            numbers.push_back(*n);
            if (int(numbers.size()) == size)
                return numbers;
            skipSpaces();
            if (m_i >= m_s.size() || !isTicketSeparator(m_s[m_i]))
                return std::nullopt;
            ++m_i;
            skipSpaces();
        }
    }

    // An amount with optional thousands commas and "円", then an optional popularity
    // ("5番人気", also in brackets).
    std::optional<qint64> amount()
    {
        skipSpaces();
        const std::optional<qint64> yen = number(true);
        if (!yen)
            return std::nullopt;
        skipSpaces();
        if (m_i < m_s.size() && m_s[m_i] == u'円')
            ++m_i;
        skipPopularity();
        return yen;
    }

private:
    void skipSpaces()
    {
        while (m_i < m_s.size() && isSpace(m_s[m_i]))
            ++m_i;
    }

    std::optional<qint64> number(bool commas)
    {
        const qsizetype start = m_i;
        qint64 v = 0;
        int digitsSinceComma = 0;
        bool sawComma = false;
        while (m_i < m_s.size()) {
            const QChar c = m_s[m_i];
            if (c >= u'0' && c <= u'9') {
                v = v * 10 + (c.unicode() - u'0');
                if (v > MaxPayout)
                    return std::nullopt;
                ++digitsSinceComma;
            } else if (commas && c == u',' && m_i > start && (!sawComma || digitsSinceComma == 3)) {
                sawComma = true;
                digitsSinceComma = 0;
            } else {
                break;
            }
            ++m_i;
        }
        if (m_i == start || (sawComma && digitsSinceComma != 3))
            return std::nullopt;
        return v;
    }

    void skipPopularity()
    {
        const qsizetype save = m_i;
        skipSpaces();
        const bool bracket = m_i < m_s.size() && m_s[m_i] == u'(';
        if (bracket)
            ++m_i;
        skipSpaces();
        const qsizetype digits = m_i;
        while (m_i < m_s.size() && m_s[m_i] >= u'0' && m_s[m_i] <= u'9')
            ++m_i;
        skipSpaces();
        const QString mark = QStringLiteral("番人気");
        if (m_i > digits && QStringView(m_s).mid(m_i).startsWith(mark)) {
            m_i += mark.size();
            skipSpaces();
            if (!bracket)
                return;
            if (m_i < m_s.size() && m_s[m_i] == u')') {
                ++m_i;
                return;
            }
        }
        m_i = save;
    }

    QString m_s;
    qsizetype m_i = 0;
};

QString ticketSeparatorFor(BetType type)
{
    return isOrdered(type) ? QStringLiteral(">") : QStringLiteral("-");
}

QString resultText(const std::vector<int> &order)
{
    QStringList parts;
    for (const int r : order)
        parts << QString::number(r);
    return parts.join(QLatin1Char('-'));
}

} // namespace

Result<Payouts> parsePayoutText(const QString &text, int highest)
{
    Payouts payouts;
    std::map<std::pair<BetType, Ticket>, int> lineOf;
    std::optional<BetType> current;
    const QStringList lines = text.split(QLatin1Char('\n'));
    bool seenContent = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString shown = lines[i].trimmed();
        const auto bad = [&](const QString &why) {
            return Result<Payouts>::failure(QString::number(i + 1) + QStringLiteral("行目「") +
                                            quotedText(shown) + QStringLiteral("」: ") + why);
        };
        LineReader line(foldText(shown));
        if (line.atEnd())
            continue;
        const bool first = !seenContent;
        seenContent = true;
        if (const std::optional<BetType> type = line.betType())
            current = type;
        else if (!line.digitAhead() || !current) {
            // A heading such as "券種 馬番 払戻金 人気" above the lines.
            if (first &&
                !std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.isDigit(); }))
                continue;
            return bad(QStringLiteral(
                "券種（単勝、複勝、枠連、馬連、ワイド、馬単、3連複、3連単）で始まっていません"));
        }
        const BetType type = *current;
        while (!line.atEnd()) {
            const std::optional<std::vector<qint64>> numbers = line.ticket(ticketSize(type));
            if (!numbers)
                return bad(QStringLiteral("%1の組番が読めません").arg(betTypeLabel(type)));
            QStringList parts;
            for (const qint64 n : *numbers)
                parts << QString::number(n);
            // A race has as many brackets as runners, at most 8.
            const int top = type == BetType::BracketQuinella ? std::min(highest, 8) : highest;
            const Result<Ticket> ticket =
                parseTicket(type, parts.join(ticketSeparatorFor(type)), top);
            if (!ticket.ok())
                return bad(QStringLiteral("%1 %2 は組番になりません（%3 は 1～%4）")
                               .arg(betTypeLabel(type), parts.join(QLatin1Char('-')),
                                    type == BetType::BracketQuinella ? QStringLiteral("枠番")
                                                                     : QStringLiteral("馬番"))
                               .arg(top));
            const std::optional<qint64> yen = line.amount();
            if (!yen || *yen < 1)
                return bad(QStringLiteral("%1 %2 の払戻金が読めません")
                               .arg(betTypeLabel(type), ticketText(type, ticket.value)));
            const auto key = std::make_pair(type, ticket.value);
            if (const auto it = payouts.find(key); it != payouts.end() && it->second != *yen)
                return bad(QStringLiteral("%1 %2 の払戻金が%3行目と違います")
                               .arg(betTypeLabel(type), ticketText(type, ticket.value))
                               .arg(lineOf[key]));
            payouts[key] = *yen;
            lineOf[key] = int(i + 1);
        }
    }
    return Result<Payouts>::success(std::move(payouts));
}

QString payoutKeyText(BetType type, const Ticket &ticket)
{
    return betTypeName(type) + QLatin1Char(' ') + ticketText(type, ticket);
}

Result<std::pair<BetType, Ticket>> parsePayoutKey(const QString &key)
{
    using R = Result<std::pair<BetType, Ticket>>;
    const QString k = key.trimmed();
    const qsizetype space = k.indexOf(QLatin1Char(' '));
    if (space < 0)
        return R::failure(QLatin1Char('\'') + quotedText(k) +
                          QStringLiteral("' is not a bet type and a ticket"));
    const std::optional<BetType> type = betTypeFromName(QStringView(k).left(space));
    if (!type)
        return R::failure(QStringLiteral("unknown bet type '") + quotedText(k.left(space)) +
                          QLatin1Char('\''));
    // What an analysis file holds, whatever today's race has.
    const int highest = *type == BetType::BracketQuinella ? 8 : 36;
    const Result<Ticket> ticket =
        parseTicket(*type, QStringView(k).mid(space + 1).trimmed(), highest);
    if (!ticket.ok())
        return R::failure(ticket.error);
    return R::success({*type, ticket.value});
}

std::set<Ticket> winningTickets(BetType type, const std::vector<int> &order, int runnerCount,
                                const std::vector<int> &brackets)
{
    const auto has = [&](size_t places) { return order.size() >= places; };
    const auto sorted = [](Ticket t, int size) {
        std::sort(t.begin(), t.begin() + size);
        return t;
    };
    std::set<Ticket> won;
    switch (type) {
    case BetType::Win:
        if (has(1))
            won.insert({order[0]});
        break;
    case BetType::Place: {
        const size_t places = runnerCount >= 8 ? 3 : 2;
        if (has(places))
            for (size_t k = 0; k < places; ++k)
                won.insert({order[k]});
        break;
    }
    case BetType::BracketQuinella: {
        const auto bracketOf = [&](int r) {
            return r >= 0 && size_t(r) < brackets.size() ? brackets[size_t(r)] : 0;
        };
        if (has(2) && bracketOf(order[0]) > 0 && bracketOf(order[1]) > 0)
            won.insert(sorted({bracketOf(order[0]), bracketOf(order[1])}, 2));
        break;
    }
    case BetType::Quinella:
        if (has(2))
            won.insert(sorted({order[0], order[1]}, 2));
        break;
    case BetType::Wide:
        if (has(3))
            for (size_t a = 0; a < 3; ++a)
                for (size_t b = a + 1; b < 3; ++b)
                    won.insert(sorted({order[a], order[b]}, 2));
        break;
    case BetType::Exacta:
        if (has(2))
            won.insert({order[0], order[1]});
        break;
    case BetType::Trio:
        if (has(3))
            won.insert(sorted({order[0], order[1], order[2]}, 3));
        break;
    case BetType::Trifecta:
        if (has(3))
            won.insert({order[0], order[1], order[2]});
        break;
    }
    return won;
}

QString payoutContradiction(const Payouts &payouts, const std::vector<int> &order, int runnerCount,
                            const std::vector<int> &brackets)
{
    for (const auto &[key, yen] : payouts) {
        const std::set<Ticket> won = winningTickets(key.first, order, runnerCount, brackets);
        if (!won.empty() && !won.contains(key.second))
            return QStringLiteral("払戻 %1 %2 %3円 は結果 %4 と合いません")
                .arg(betTypeLabel(key.first), ticketText(key.first, key.second))
                .arg(yen)
                .arg(resultText(order));
    }
    return {};
}

QString payoutLinesText(const Payouts &payouts)
{
    QString out;
    for (const auto &[key, yen] : payouts) { // the map orders by bet type, then ticket
        QString amount = QString::number(yen);
        for (qsizetype i = amount.size() - 3; i > 0; i -= 3)
            amount.insert(i, QLatin1Char(','));
        out += betTypeLabel(key.first) + QLatin1Char(' ') + ticketText(key.first, key.second) +
               QLatin1Char(' ') + amount + QStringLiteral("円\n");
    }
    return out;
}

Result<Payouts> readRacePayouts(const QString &text, int runnerCount, const std::vector<int> &order,
                                const std::vector<int> &brackets)
{
    Result<Payouts> read = parsePayoutText(text, runnerCount);
    if (!read.ok())
        return read;
    const QString contradiction = payoutContradiction(read.value, order, runnerCount, brackets);
    if (!contradiction.isEmpty())
        return Result<Payouts>::failure(contradiction);
    return read;
}
