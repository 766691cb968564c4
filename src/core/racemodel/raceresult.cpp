#include "core/racemodel/raceresult.h"

#include "core/racemodel/problem.h"

#include <QStringList>
#include <algorithm>

namespace {

bool isSeparator(char16_t c)
{
    switch (c) {
    case u'-':
    case u'\uff0d': // －
    case u'\u2212': // −
    case u'\u2010': // ‐
    case u'\u30fc': // ー
    case u'\u2192': // →
    case u'>':
    case u'\uff1e': // ＞
    case u'\u3001': // 、
    case u'\u30fb': // ・
    case u'/':
    case u' ':
    case u'\u3000':
        return true;
    default:
        return false;
    }
}

int digitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'\uff10' && c <= u'\uff19')
        return c - u'\uff10';
    return -1;
}

RaceResult excluded(Exclusion why)
{
    RaceResult r;
    r.exclusion = why;
    return r;
}

} // namespace

QString exclusionWord(Exclusion reason)
{
    switch (reason) {
    case Exclusion::None:
        break;
    case Exclusion::NoResult:
        return QStringLiteral("no result");
    case Exclusion::DeadHeat:
        return QStringLiteral("dead heat");
    case Exclusion::NotRunners:
        return QStringLiteral("not runners");
    case Exclusion::TooFewPlaces:
        return QStringLiteral("too few places");
    case Exclusion::NoSupport:
        return QStringLiteral("no support");
    case Exclusion::Unreadable:
        return QStringLiteral("unreadable");
    case Exclusion::NoModel:
        return QStringLiteral("no model");
    case Exclusion::UnreadableResult:
        return QStringLiteral("unreadable result");
    case Exclusion::RepeatedRunner:
        return QStringLiteral("repeated runner");
    case Exclusion::NoOwnColumns:
        return QStringLiteral("no own columns");
    }
    return QString();
}

QString exclusionText(Exclusion reason)
{
    switch (reason) {
    case Exclusion::None:
        break;
    case Exclusion::NoResult:
        return QStringLiteral("結果なし");
    case Exclusion::DeadHeat:
        return QStringLiteral("同着");
    case Exclusion::NotRunners:
        return QStringLiteral("出走馬にない番号");
    case Exclusion::TooFewPlaces:
        return QStringLiteral("着順が足りない");
    case Exclusion::NoSupport:
        return QStringLiteral("支持のない馬が入着");
    case Exclusion::Unreadable:
        return QStringLiteral("読めない");
    case Exclusion::NoModel:
        return QStringLiteral("モデルを作れない");
    case Exclusion::UnreadableResult:
        return QStringLiteral("結果が読めない");
    case Exclusion::RepeatedRunner:
        return QStringLiteral("同じ馬番が重複");
    case Exclusion::NoOwnColumns:
        return QStringLiteral("自分の列がない");
    }
    return QString();
}

QString exclusionWord(Exclusion reason, const RaceResult &result)
{
    const QString word = exclusionWord(reason);
    return reason == Exclusion::UnreadableResult
               ? word + QStringLiteral(" '%1'").arg(quotedText(result.field))
               : word;
}

QString exclusionText(Exclusion reason, const RaceResult &result)
{
    const QString text = exclusionText(reason);
    return reason == Exclusion::UnreadableResult
               ? text + QStringLiteral("「%1」").arg(quotedText(result.field))
               : text;
}

QString RaceResult::text() const
{
    QStringList parts;
    for (int k = 0; k < placeCount; ++k)
        parts << QString::number(places[size_t(k)]);
    return parts.join(QLatin1Char('-'));
}

RaceResult parseResultText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QStringLiteral("結果"))
        return excluded(Exclusion::NoResult);
    if (trimmed.contains(u'=') || trimmed.contains(u'\uff1d'))
        return excluded(Exclusion::DeadHeat);
    RaceResult result;
    // A number past any runner count; reading stops growing it there, so no overflow.
    constexpr int TooLarge = 1000000;
    int number = -1;
    const auto close = [&] {
        if (number < 0)
            return;
        if (result.placeCount < 3)
            result.places[size_t(result.placeCount++)] = number;
        number = -1;
    };
    for (const QChar ch : trimmed) {
        const int digit = digitValue(ch.unicode());
        if (digit >= 0) {
            number = std::min(TooLarge, std::max(number, 0) * 10 + digit);
        } else if (isSeparator(ch.unicode())) {
            close();
        } else {
            // Words alone are no result yet; numbers among them are one that cannot be read.
            if (std::any_of(trimmed.begin(), trimmed.end(),
                            [](QChar c) { return digitValue(c.unicode()) >= 0; })) {
                RaceResult r = excluded(Exclusion::UnreadableResult);
                r.field = trimmed;
                return r;
            }
            return excluded(Exclusion::NoResult);
        }
    }
    close();
    if (result.placeCount == 0)
        return excluded(Exclusion::NoResult);
    return result;
}

RaceResult parseRaceResult(const QString &text, const std::vector<double> &win)
{
    RaceResult result = parseResultText(text);
    if (!result.ok())
        return result;
    const int runnerCount = win.empty() ? 0 : int(win.size()) - 1;
    for (int k = 0; k < result.placeCount; ++k) {
        const int r = result.places[size_t(k)];
        if (r < 1 || r > runnerCount)
            return excluded(Exclusion::NotRunners);
        for (int j = 0; j < k; ++j)
            if (result.places[size_t(j)] == r)
                return excluded(Exclusion::RepeatedRunner);
    }
    int supported = 0;
    for (int r = 1; r <= runnerCount; ++r)
        supported += win[size_t(r)] > 0 ? 1 : 0;
    if (result.placeCount < std::min(3, supported))
        return excluded(Exclusion::TooFewPlaces);
    for (int k = 0; k < result.placeCount; ++k)
        if (!(win[size_t(result.places[size_t(k)])] > 0))
            return excluded(Exclusion::NoSupport);
    return result;
}
