#include "core/racemodel/combinedmodel.h"

#include "core/document/oddsdocument.h"
#include "core/text/numbertext.h"
#include "core/text/textcompare.h"

#include <algorithm>
#include <cmath>

namespace {

// The recalculation's total: a sum that overflows is skipped there too.
double totalOf(const std::vector<double> &scores)
{
    double total = 0;
    for (size_t r = 1; r < scores.size(); ++r)
        if (std::isfinite(total + scores[r]))
            total += scores[r];
    return total;
}

} // namespace

std::vector<double> positiveShares(const std::vector<double> &scores)
{
    std::vector<double> shares(scores.size(), 0.0);
    const double total = totalOf(scores);
    if (total == 0)
        return shares;
    for (size_t r = 1; r < scores.size(); ++r) {
        const double s = scores[r] / total;
        shares[r] = s > 0 && std::isfinite(s) ? s : 0.0;
    }
    return shares;
}

namespace {

// The weighted columns of the runner table on the two sides, and every column's weight text.
void weightedColumns(const Grid &g, std::vector<int> *own, std::vector<int> *market,
                     std::vector<QString> *weights)
{
    for (int c = FirstDataCol; c < g.cols(); ++c) {
        weights->push_back(g.text(RatioRow, c));
        const double w = textToNumber(weights->back());
        if (w == 0 || !std::isfinite(w))
            continue;
        const bool isMarket =
            w < 0 || textContains(g.textRef(HeaderRow, c), QStringLiteral("投票金"));
        (isMarket ? *market : *own).push_back(c);
    }
}

} // namespace

std::vector<ColumnScores> ownColumnScores(const OddsDocument &doc)
{
    OddsDocument copy = doc;
    Grid &g = copy.runnerTable;
    std::vector<int> own;
    std::vector<int> market;
    std::vector<QString> weights;
    weightedColumns(g, &own, &market, &weights);
    std::vector<ColumnScores> columns;
    std::vector<int> done;
    for (const int c : own) {
        if (std::find(done.begin(), done.end(), c) != done.end())
            continue;
        const QString header = g.text(HeaderRow, c).trimmed();
        std::vector<int> keep;
        for (const int other : own)
            if (g.text(HeaderRow, other).trimmed() == header)
                keep.push_back(other);
        done.insert(done.end(), keep.begin(), keep.end());
        for (const int other : own)
            if (std::find(keep.begin(), keep.end(), other) == keep.end())
                g.setText(RatioRow, other, QStringLiteral("0"));
        for (const int m : market)
            g.setText(RatioRow, m, QStringLiteral("0"));
        columns.push_back({header, copy.supportScores()});
        for (const int other : own)
            g.setText(RatioRow, other, weights[size_t(other - FirstDataCol)]);
        for (const int m : market)
            g.setText(RatioRow, m, weights[size_t(m - FirstDataCol)]);
    }
    return columns;
}

SplitScores ownAndMarketScores(const OddsDocument &doc)
{
    OddsDocument copy = doc;
    Grid &g = copy.runnerTable;
    std::vector<int> own;
    std::vector<int> market;
    std::vector<QString> weights;
    weightedColumns(g, &own, &market, &weights);
    // Scores with only `keep` weighted: the others' weights are emptied, then put back.
    const auto scoresOf = [&](const std::vector<int> &keep, const std::vector<int> &drop) {
        if (keep.empty())
            return std::vector<double>();
        for (const int c : drop)
            g.setText(RatioRow, c, QStringLiteral("0"));
        std::vector<double> scores = copy.supportScores();
        for (const int c : drop)
            g.setText(RatioRow, c, weights[size_t(c - FirstDataCol)]);
        return scores;
    };
    SplitScores split;
    split.own = scoresOf(own, market);
    split.market = scoresOf(market, own);
    return split;
}

Result<RaceField> combinedFieldFromScores(const SplitScores &scores, std::vector<int> brackets,
                                          double alpha, double gamma)
{
    const auto fail = [](Fault fault) {
        Problem p;
        p.fault = fault;
        return Result<RaceField>::failure(std::move(p));
    };
    if (scores.own.empty())
        return fail(Fault::NoOwnColumns);
    if (scores.market.empty())
        return fail(Fault::NoMarketColumns);
    const std::vector<double> own = positiveShares(scores.own);
    const std::vector<double> market = positiveShares(scores.market);
    const int n = int(own.size()) - 1;
    RaceField field;
    field.runnerCount = n;
    field.bracket = std::move(brackets);
    field.bracket.resize(size_t(n) + 1, 0);
    field.win.assign(size_t(n) + 1, 0.0);
    // Through logarithms scaled by the largest, as the support's own correction is.
    std::vector<double> logs(size_t(n) + 1, -INFINITY);
    double largest = -INFINITY;
    for (int r = 1; r <= n; ++r) {
        if (own[size_t(r)] > 0 && market[size_t(r)] > 0) {
            logs[size_t(r)] =
                alpha * std::log(own[size_t(r)]) + gamma * std::log(market[size_t(r)]);
            largest = std::max(largest, logs[size_t(r)]);
        }
    }
    if (largest == -INFINITY)
        return fail(Fault::NoCombinedRunner);
    double sum = 0;
    for (int r = 1; r <= n; ++r) {
        const double x = logs[size_t(r)];
        field.win[size_t(r)] = x == -INFINITY ? 0.0 : std::exp(x - largest);
        sum += field.win[size_t(r)];
    }
    for (int r = 1; r <= n; ++r)
        field.win[size_t(r)] /= sum;
    return Result<RaceField>::success(std::move(field));
}

Result<RaceField> combinedFieldFromDocument(const OddsDocument &doc, double alpha, double gamma)
{
    return combinedFieldFromScores(ownAndMarketScores(doc), documentBrackets(doc), alpha, gamma);
}
