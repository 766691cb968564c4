#include "core/analysis/oddspaste.h"

#include <QStringList>
#include <cmath>
#include <optional>

namespace {

using Cells = std::vector<QStringList>;

Result<ActualOdds> Refuse(qsizetype row, const QString &why)
{
    return Result<ActualOdds>::failure(QStringLiteral("line %1: %2").arg(row + 1).arg(why));
}

std::optional<double> Odds(const QString &text)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v) || v <= 0)
        return std::nullopt;
    return v;
}

// "■3■" (blanks allowed inside): the runner whose pairs follow below.
std::optional<int> HeaderRunner(const QString &cell)
{
    if (!cell.startsWith(u'■') || !cell.endsWith(u'■') || cell.size() < 3)
        return std::nullopt;
    bool ok = false;
    const int runner = cell.mid(1, cell.size() - 2).trimmed().toInt(&ok);
    return ok ? std::optional<int>(runner) : std::nullopt;
}

QString Cell(const Cells &cells, qsizetype row, qsizetype col)
{
    if (row < 0 || row >= qsizetype(cells.size()) || col < 0)
        return {};
    return cells[size_t(row)].value(col);
}

Result<ActualOdds> ParseColumn(const Cells &cells, const std::vector<Ticket> &byNumber)
{
    ActualOdds odds;
    size_t next = 0;
    for (size_t r = 0; r < cells.size(); ++r) {
        if (cells[r].isEmpty())
            continue;
        const QString &text = cells[r].first();
        if (next == byNumber.size())
            return Refuse(qsizetype(r), QStringLiteral("'%1' is one more than the %2 tickets")
                                            .arg(text)
                                            .arg(byNumber.size()));
        const std::optional<double> v = Odds(text);
        if (!v)
            return Refuse(qsizetype(r), QStringLiteral("'%1' is not odds").arg(text));
        odds[byNumber[next++]] = *v;
    }
    if (next != byNumber.size())
        return Result<ActualOdds>::failure(
            QStringLiteral("%1 odds for %2 tickets: a bare column needs one for every ticket")
                .arg(next)
                .arg(byNumber.size()));
    return Result<ActualOdds>::success(std::move(odds));
}

// The pair a block's row names: "i-j" or "j"; empty label: the row count decides.
std::optional<int> PairRunner(const QString &label, int first, int counted)
{
    if (label.isEmpty())
        return counted;
    const QStringList parts = label.split(QLatin1Char('-'));
    bool ok = false;
    if (parts.size() == 1) {
        const int j = parts[0].toInt(&ok);
        return ok ? std::optional<int>(j) : std::nullopt;
    }
    if (parts.size() != 2 || parts[0].toInt(&ok) != first || !ok)
        return std::nullopt;
    const int j = parts[1].toInt(&ok);
    return ok ? std::optional<int>(j) : std::nullopt;
}

Result<ActualOdds> ParseMatrix(const Cells &cells, int highest)
{
    ActualOdds odds;
    std::vector<std::vector<bool>> placed(cells.size());
    for (size_t r = 0; r < cells.size(); ++r)
        placed[r].assign(size_t(cells[r].size()), false);
    const auto take = [&](qsizetype row, qsizetype col) {
        if (row < qsizetype(cells.size()) && col >= 0 && col < cells[size_t(row)].size())
            placed[size_t(row)][size_t(col)] = true;
    };

    for (qsizetype r = 0; r < qsizetype(cells.size()); ++r) {
        for (qsizetype c = 0; c < cells[size_t(r)].size(); ++c) {
            const std::optional<int> first = HeaderRunner(cells[size_t(r)][c]);
            if (!first)
                continue;
            if (*first < 1 || *first >= highest)
                return Refuse(r, QStringLiteral("'%1' heads no pairs of runners 1 to %2")
                                     .arg(cells[size_t(r)][c])
                                     .arg(highest));
            take(r, c);
            for (qsizetype k = r + 1;; ++k) {
                const QString value = Cell(cells, k, c);
                const QString label = Cell(cells, k, c - 1);
                if ((value.isEmpty() && label.isEmpty()) || HeaderRunner(value) ||
                    HeaderRunner(label))
                    break;
                take(k, c);
                take(k, c - 1);
                const int counted = *first + int(k - r);
                const std::optional<int> second = PairRunner(label, *first, counted);
                if (!second || *second <= *first || *second > highest)
                    return Refuse(k, QStringLiteral("'%1' is not a pair of %2 with runners "
                                                    "%3 to %4")
                                         .arg(label.isEmpty() ? value : label)
                                         .arg(*first)
                                         .arg(*first + 1)
                                         .arg(highest));
                if (value.isEmpty())
                    continue;
                const std::optional<double> v = Odds(value);
                if (!v)
                    return Refuse(k, QStringLiteral("'%1' is not odds").arg(value));
                odds[{*first, *second, 0}] = *v;
            }
        }
    }
    for (size_t r = 0; r < cells.size(); ++r)
        for (qsizetype c = 0; c < cells[r].size(); ++c)
            if (!placed[r][size_t(c)] && !cells[r][c].isEmpty())
                return Refuse(
                    qsizetype(r),
                    QStringLiteral("'%1' lies in no block of the matrix").arg(cells[r][c]));
    return Result<ActualOdds>::success(std::move(odds));
}

} // namespace

Result<ActualOdds> ParsePastedOdds(const QString &text, BetType type, int highest,
                                   const std::vector<Ticket> &byNumber)
{
    Cells cells;
    bool header = false;
    bool singleFields = true;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QStringList fields = line.split(QLatin1Char('\t'));
        for (QString &f : fields) {
            f = f.trimmed();
            header = header || HeaderRunner(f).has_value();
        }
        while (!fields.isEmpty() && fields.last().isEmpty())
            fields.removeLast();
        singleFields = singleFields && fields.size() <= 1;
        cells.push_back(fields);
    }
    if (header) {
        if (type != BetType::Quinella && type != BetType::Wide)
            return Result<ActualOdds>::failure(
                QStringLiteral("the matrix layout holds pairs: it is for 馬連 and ワイド only"));
        return ParseMatrix(cells, highest);
    }
    if (singleFields) {
        // Any number makes it a column: a stray word in it is then named as not odds.
        bool numbers = false;
        for (const QStringList &fields : cells)
            numbers = numbers || (!fields.isEmpty() && Odds(fields.first()));
        if (numbers)
            return ParseColumn(cells, byNumber);
    }
    return ParseActualOdds(text, type, highest);
}
