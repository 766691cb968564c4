#include "core/analysis/actualodds.h"

#include "core/codepage/codepage.h"
#include "core/system/safefile.h"

#include <QStringDecoder>
#include <QStringList>
#include <cmath>
#include <cstring>

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
    QByteArray bytes;
    const InputRead read = readInput(path, MaxOddsFileBytes, &bytes);
    switch (read.status) {
    case ReadStatus::Read:
        return ParseActualOdds(DecodeOddsText(bytes), type, highest);
    case ReadStatus::Missing:
        return Result<ActualOdds>::failure(QStringLiteral("no such file"));
    case ReadStatus::Folder:
        return Result<ActualOdds>::failure(QStringLiteral("a folder, not a file"));
    case ReadStatus::NotRegular:
    case ReadStatus::NotFileOrPipe:
        return Result<ActualOdds>::failure(QStringLiteral("not a file or a pipe"));
    case ReadStatus::TooLarge:
        return Result<ActualOdds>::failure(QStringLiteral("too large for an odds file"));
    case ReadStatus::Failed:
        break;
    }
    return Result<ActualOdds>::failure(QString::fromUtf8(strerrordesc_np(read.error)));
}

OddsValue ValueOf(double probability, double actualOdds, double estimatedOdds)
{
    return {probability * actualOdds, estimatedOdds > 0 ? actualOdds / estimatedOdds : 0.0};
}
