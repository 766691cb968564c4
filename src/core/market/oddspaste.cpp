#include "core/market/oddspaste.h"

#include <QStringList>
#include <optional>

namespace {

using Cells = std::vector<QStringList>;

Result<OddsLines> refuse(qsizetype row, Problem p)
{
    p.line = int(row + 1);
    return Result<OddsLines>::failure(std::move(p));
}

Problem quoting(Fault fault, const QString &text, qint64 number = 0, qint64 high = 0)
{
    Problem p;
    p.fault = fault;
    p.text = text;
    p.number = number;
    p.high = high;
    return p;
}

bool hasDigit(const QStringList &fields)
{
    for (const QString &f : fields)
        for (const QChar c : f)
            if (c.isDigit())
                return true;
    return false;
}

// "■3■" (blanks allowed inside): the runner whose pairs follow below.
std::optional<int> headerRunner(const QString &cell)
{
    if (!cell.startsWith(u'■') || !cell.endsWith(u'■') || cell.size() < 3)
        return std::nullopt;
    bool ok = false;
    const int runner = cell.mid(1, cell.size() - 2).trimmed().toInt(&ok);
    return ok ? std::optional<int>(runner) : std::nullopt;
}

QString cell(const Cells &cells, qsizetype row, qsizetype col)
{
    if (row < 0 || row >= qsizetype(cells.size()) || col < 0)
        return {};
    return cells[size_t(row)].value(col);
}

Result<OddsLines> parseColumn(const Cells &cells, BetType type, const std::vector<Ticket> &byNumber)
{
    OddsLines out;
    size_t next = 0;
    bool first = true;
    for (size_t r = 0; r < cells.size(); ++r) {
        if (cells[r].isEmpty())
            continue;
        const QString &text = cells[r].first();
        // A first line without a digit names the column.
        const bool header = first && !hasDigit(cells[r]);
        first = false;
        if (header)
            continue;
        if (next == byNumber.size())
            return refuse(qsizetype(r),
                          quoting(Fault::ColumnTooLong, text, qint64(byNumber.size())));
        if (isScratched(text)) {
            out.scratched.insert(byNumber[next++]);
            continue;
        }
        const Result<QuotedOdds> v = parseOdds(text, type);
        if (!v.ok())
            return refuse(qsizetype(r), v.problem);
        out.odds[byNumber[next++]] = v.value;
    }
    if (next != byNumber.size())
        return Result<OddsLines>::failure(
            quoting(Fault::ColumnTooShort, {}, qint64(next), qint64(byNumber.size())));
    return Result<OddsLines>::success(std::move(out));
}

// The pair a block's row names: "i-j" or "j"; empty label: the row count decides.
std::optional<int> pairRunner(const QString &label, int first, int counted)
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

Result<OddsLines> parseMatrix(const Cells &cells, BetType type, int highest)
{
    OddsLines out;
    std::vector<std::vector<bool>> placed(cells.size());
    for (size_t r = 0; r < cells.size(); ++r)
        placed[r].assign(size_t(cells[r].size()), false);
    const auto take = [&](qsizetype row, qsizetype col) {
        if (row < qsizetype(cells.size()) && col >= 0 && col < cells[size_t(row)].size())
            placed[size_t(row)][size_t(col)] = true;
    };

    for (qsizetype r = 0; r < qsizetype(cells.size()); ++r) {
        for (qsizetype c = 0; c < cells[size_t(r)].size(); ++c) {
            const std::optional<int> first = headerRunner(cells[size_t(r)][c]);
            if (!first)
                continue;
            if (*first < 1 || *first >= highest)
                return refuse(r, quoting(Fault::MatrixHeader, cells[size_t(r)][c], 0, highest));
            take(r, c);
            for (qsizetype k = r + 1;; ++k) {
                const QString value = cell(cells, k, c);
                const QString label = cell(cells, k, c - 1);
                if ((value.isEmpty() && label.isEmpty()) || headerRunner(value) ||
                    headerRunner(label))
                    break;
                take(k, c);
                take(k, c - 1);
                const int counted = *first + int(k - r);
                const std::optional<int> second = pairRunner(label, *first, counted);
                if (!second || *second <= *first || *second > highest)
                    return refuse(k, quoting(Fault::MatrixPair, label.isEmpty() ? value : label,
                                             *first, highest));
                if (value.isEmpty())
                    continue;
                const Ticket pair{*first, *second, 0};
                if (isScratched(value)) {
                    out.scratched.insert(pair);
                    continue;
                }
                const Result<QuotedOdds> v = parseOdds(value, type);
                if (!v.ok())
                    return refuse(k, v.problem);
                out.odds[pair] = v.value;
            }
        }
    }
    for (size_t r = 0; r < cells.size(); ++r)
        for (qsizetype c = 0; c < cells[r].size(); ++c)
            if (!placed[r][size_t(c)] && !cells[r][c].isEmpty())
                return refuse(qsizetype(r), quoting(Fault::MatrixStray, cells[r][c]));
    return Result<OddsLines>::success(std::move(out));
}

} // namespace

Result<OddsLines> parsePastedOdds(const QString &text, BetType type, int highest,
                                  const std::vector<Ticket> &byNumber)
{
    Cells cells;
    bool header = false;
    bool singleFields = true;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QStringList fields = normalizedOddsText(line).split(QLatin1Char('\t'));
        for (QString &f : fields) {
            f = f.trimmed();
            header = header || headerRunner(f).has_value();
        }
        while (!fields.isEmpty() && fields.last().isEmpty())
            fields.removeLast();
        singleFields = singleFields && fields.size() <= 1;
        cells.push_back(fields);
    }
    if (header) {
        if (type != BetType::Quinella && type != BetType::Wide)
            return Result<OddsLines>::failure(quoting(Fault::MatrixType, {}));
        return parseMatrix(cells, type, highest);
    }
    if (singleFields) {
        // Any odds make it a column: a stray word in it is then named as not odds.
        bool numbers = false;
        for (const QStringList &fields : cells)
            numbers = numbers || (!fields.isEmpty() && parseOdds(fields.first(), type).ok());
        if (numbers)
            return parseColumn(cells, type, byNumber);
    }
    return parseActualOdds(text, type, highest);
}
