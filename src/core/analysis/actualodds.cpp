#include "core/analysis/actualodds.h"

#include "core/codepage/codepage.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cmath>

namespace {

constexpr qint64 MaxOddsFileBytes = 16 * 1024 * 1024;

} // namespace

QString DecodeOddsText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return Cp932::decode(bytes);
}

Result<ActualOdds> ParseActualOdds(const QString &text, BetType type, int highest)
{
    ActualOdds odds;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty())
            continue;
        const auto bad = [&](const QString &why) {
            return Result<ActualOdds>::failure(QStringLiteral("line %1: %2").arg(i + 1).arg(why));
        };
        const QStringList fields = line.split(QLatin1Char('\t'));
        const Result<Ticket> ticket = ParseTicket(type, fields.first().trimmed(), highest);
        if (!ticket.ok())
            return bad(ticket.error);
        bool ok = false;
        const double value = fields.size() > 1 ? fields.last().trimmed().toDouble(&ok) : 0;
        if (!ok || !std::isfinite(value) || value <= 0)
            return bad(QStringLiteral("no odds after %1 (a positive number in the last field)")
                           .arg(fields.first().trimmed()));
        odds[ticket.value] = value;
    }
    return Result<ActualOdds>::success(std::move(odds));
}

Result<ActualOdds> ReadActualOdds(const QString &path, BetType type, int highest)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Result<ActualOdds>::failure(QStringLiteral("no such file"));
    if (!info.isFile())
        return Result<ActualOdds>::failure(QStringLiteral("not a file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<ActualOdds>::failure(file.errorString());
    if (file.size() > MaxOddsFileBytes)
        return Result<ActualOdds>::failure(QStringLiteral("too large for an odds file"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Result<ActualOdds>::failure(file.errorString());
    return ParseActualOdds(DecodeOddsText(bytes), type, highest);
}

OddsValue ValueOf(double probability, double actualOdds, double estimatedOdds)
{
    return {probability * actualOdds, estimatedOdds > 0 ? actualOdds / estimatedOdds : 0.0};
}
