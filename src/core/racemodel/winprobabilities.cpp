#include "core/racemodel/winprobabilities.h"

#include "core/document/oddsdocument.h"

#include <cmath>

int RaceField::placedRunners() const
{
    int count = 0;
    for (int r = 1; r <= runnerCount; ++r)
        count += win[size_t(r)] > 0 ? 1 : 0;
    return count;
}

Result<RaceField> raceFieldFromScores(const std::vector<double> &scores, std::vector<int> brackets,
                                      double beta)
{
    const int n = scores.empty() ? 0 : int(scores.size()) - 1;
    RaceField field;
    field.runnerCount = n;
    field.bracket = std::move(brackets);
    field.bracket.resize(size_t(n) + 1, 0);
    field.win.assign(size_t(n) + 1, 0.0);

    // The same total as the recalculation's: a sum that overflows is skipped there too.
    double total = 0;
    for (int r = 1; r <= n; ++r)
        if (std::isfinite(total + scores[size_t(r)]))
            total += scores[size_t(r)];
    const auto none = [] {
        Problem p;
        p.fault = Fault::NoSupport;
        return Result<RaceField>::failure(std::move(p));
    };
    if (total == 0)
        return none();

    // p^beta through logarithms scaled by the largest share, so that neither a large beta nor
    // tiny shares overflow; shares that underflow take no place.
    std::vector<double> logShare(size_t(n) + 1, 0.0);
    double largest = -INFINITY;
    for (int r = 1; r <= n; ++r) {
        const double share = scores[size_t(r)] / total;
        if (share > 0 && std::isfinite(share)) {
            logShare[size_t(r)] = std::log(share);
            largest = std::max(largest, logShare[size_t(r)]);
        } else {
            logShare[size_t(r)] = -INFINITY;
        }
    }
    if (largest == -INFINITY)
        return none();
    double sum = 0;
    for (int r = 1; r <= n; ++r) {
        const double x = logShare[size_t(r)];
        field.win[size_t(r)] = x == -INFINITY ? 0.0 : std::exp(beta * (x - largest));
        sum += field.win[size_t(r)];
    }
    for (int r = 1; r <= n; ++r)
        field.win[size_t(r)] /= sum;
    return Result<RaceField>::success(std::move(field));
}

std::vector<int> documentBrackets(const OddsDocument &doc)
{
    std::vector<int> brackets(size_t(std::max(doc.runnerCount, 0)) + 1, 0);
    for (size_t r = 1; r < brackets.size(); ++r) {
        bool ok = false;
        const int b = doc.runnerTable.text(int(r) + 1, ColBracket).trimmed().toInt(&ok);
        brackets[r] = ok && b >= 1 && b <= 8 ? b : 0;
    }
    return brackets;
}

Result<RaceField> raceFieldFromDocument(const OddsDocument &doc, double beta)
{
    return raceFieldFromScores(doc.supportScores(), documentBrackets(doc), beta);
}
