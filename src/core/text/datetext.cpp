#include "core/text/datetext.h"

#include "core/text/textcompare.h"

QString formatDate(const QDate &date, const QString &mask)
{
    if (!date.isValid())
        return QString();
    static const char16_t weekdays[] = u"月火水木金土日"; // Monday first, as QDate counts
    const QString weekday = QString(QChar(weekdays[date.dayOfWeek() - 1]));
    auto padded = [](int v, int width) { return QString::number(v).rightJustified(width, u'0'); };
    QString out;
    qsizetype i = 0;
    auto runOf = [&](QChar c) {
        qsizetype j = i;
        while (j < mask.size() && mask[j].toLower() == c)
            ++j;
        return j - i;
    };
    while (i < mask.size()) {
        const QChar c = mask[i].toLower();
        qsizetype run = 0;
        if (c == u'y') {
            run = runOf(c);
            out += run <= 2 ? padded(date.year() % 100, 2) : padded(date.year(), 4);
        } else if (c == u'm') {
            run = runOf(c);
            out += run >= 2 ? padded(date.month(), 2) : QString::number(date.month());
        } else if (c == u'd') {
            run = runOf(c);
            out += run >= 2 ? padded(date.day(), 2) : QString::number(date.day());
        } else if (c == u'a' && runOf(c) >= 3) {
            run = runOf(c);
            out += weekday;
            if (run >= 4)
                out += QStringLiteral("曜日");
        } else {
            out += mask[i];
            run = 1;
        }
        i += run;
    }
    return out;
}

std::optional<QDate> parseDateField(const QString &text)
{
    const QString s = foldText(text).trimmed();
    qsizetype i = 0;
    const auto number = [&](int maxDigits) -> std::optional<int> {
        int v = 0;
        const qsizetype start = i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9' && i - start < maxDigits)
            v = v * 10 + (s[i++].unicode() - u'0');
        if (i == start)
            return std::nullopt;
        return v;
    };
    const auto take = [&](QChar c) {
        if (i < s.size() && s[i] == c) {
            ++i;
            return true;
        }
        return false;
    };
    const qsizetype yearStart = i;
    const std::optional<int> year = number(4);
    if (!year || i - yearStart != 4 || i >= s.size())
        return std::nullopt;
    const QChar separator = s[i];
    const bool japanese = separator == u'年';
    if (separator != u'/' && separator != u'-' && !japanese)
        return std::nullopt;
    ++i;
    const std::optional<int> month = number(2);
    if (!month || !take(japanese ? QChar(u'月') : separator))
        return std::nullopt;
    const std::optional<int> day = number(2);
    if (!day || (japanese && !take(u'日')))
        return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid())
        return std::nullopt;
    while (i < s.size() && s[i] == u' ')
        ++i;
    if (i == s.size())
        return date;
    // A weekday in brackets, and nothing after it.
    static const QString weekdays = QStringLiteral("月火水木金土日");
    if (!take(u'(') || i >= s.size() || !weekdays.contains(s[i]))
        return std::nullopt;
    ++i;
    if (take(u'曜'))
        take(u'日');
    if (!take(u')'))
        return std::nullopt;
    while (i < s.size() && s[i] == u' ')
        ++i;
    return i == s.size() ? std::optional<QDate>(date) : std::nullopt;
}
