#include "core/text/datetext.h"

QString FormatDate(const QDate &date, const QString &mask)
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
