#include "cli/seasonoutput.h"

#include "core/document/oddsdocument.h"

#include <charconv>

void appendFixed(QByteArray &out, double value, int decimals)
{
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    out.append(buffer, r.ptr - buffer);
}

void appendGeneral(QByteArray &out, double value, int precision)
{
    char buffer[400];
    const auto r =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    out.append(buffer, r.ptr - buffer);
}

void appendFitNumber(QByteArray &out, double value)
{
    appendFixed(out, value, 6);
}

QByteArray lineField(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return text.toUtf8();
}

std::vector<SeasonRace> readSeasonForFit(const QStringList &paths, bool split)
{
    std::vector<SeasonRace> races;
    OddsDocument scratch;
    for (const QString &file : seasonFiles(paths)) {
        SeasonRace race = readSeasonRace(file, &scratch, split);
        race.file.clear();
        race.title.clear();
        race.dateText.clear();
        race.unreadable.clear();
        races.push_back(std::move(race));
    }
    return races;
}
