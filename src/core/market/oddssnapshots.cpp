#include "core/market/oddssnapshots.h"

#include "core/racemodel/valuerounding.h"
#include "core/settings/inifile.h"

#include <QLocale>
#include <QRegularExpression>

namespace {

const QString TimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
const QString SettingsSection = QStringLiteral("Analysis");
const QString DropKey = QStringLiteral("DropThreshold");

} // namespace

QString snapshotTimeText(const QDateTime &time)
{
    return time.toString(TimeFormat);
}

std::optional<QDateTime> parseSnapshotTime(const QString &text)
{
    // fromString accepts one-digit fields too; the stored form is exact.
    if (text.size() != TimeFormat.size())
        return std::nullopt;
    const QDateTime t = QDateTime::fromString(text, TimeFormat);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

int snapshotAt(const OddsHistory &history, std::optional<QTime> at)
{
    if (!at)
        return history.empty() ? -1 : 0;
    std::vector<std::optional<QDateTime>> times;
    QDate raceDay;
    for (const OddsSnapshot &s : history) {
        times.push_back(parseSnapshotTime(s.time));
        if (times.back() && (!raceDay.isValid() || times.back()->date() > raceDay))
            raceDay = times.back()->date();
    }
    // The time of day on the day of the newest snapshot: odds taken the evening before stay in
    // effect until the first ones of the day.
    const QDateTime until(raceDay, *at);
    int best = -1;
    for (size_t k = 0; k < history.size(); ++k) {
        const std::optional<QDateTime> &t = times[k];
        if (t && *t <= until && (best < 0 || *t > *times[size_t(best)]))
            best = int(k);
    }
    return best;
}

std::optional<QTime> parseTimeOfDay(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([01][0-9]|2[0-3]):([0-5][0-9])$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return QTime(m.captured(1).toInt(), m.captured(2).toInt());
}

OddsMove moveOf(double previous, double now, double thresholdPercent)
{
    if (!(previous > 0))
        return {};
    // Rounded as a fall, so that falls and rises round alike away from the sign.
    const double fall = roundedHalfUp((previous - now) / previous * 100, 1);
    const double rise = roundedHalfUp((now - previous) / previous * 100, 1);
    return {now >= previous ? rise : -fall, fall >= thresholdPercent};
}

double loadDropThreshold(const QString &settingsFile)
{
    bool ok = false;
    const double v = readSetting(settingsFile, SettingsSection, DropKey).trimmed().toDouble(&ok);
    return ok && v > 0 && v <= 100 ? v : DefaultDropThreshold;
}

bool saveDropThreshold(const QString &settingsFile, double percent)
{
    return writeSetting(settingsFile, SettingsSection, DropKey,
                        QString::number(percent, 'g', QLocale::FloatingPointShortest))
        .ok;
}
