#include "core/analysis/season.h"

#include "core/analysis/combinedmodel.h"
#include "core/analysis/normalmodel.h"
#include "core/document/oddsdocument.h"
#include "core/file/documentfile.h"
#include "core/text/datetext.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace {

// log sum exp over the runners that are left, by their logs.
double logSumExp(const std::vector<double> &logs, double exponent, int skipA, int skipB)
{
    double largest = -INFINITY;
    for (int i = 0; i < int(logs.size()); ++i)
        if (i != skipA && i != skipB)
            largest = std::max(largest, exponent * logs[size_t(i)]);
    double sum = 0;
    for (int i = 0; i < int(logs.size()); ++i)
        if (i != skipA && i != skipB)
            sum += std::exp(exponent * logs[size_t(i)] - largest);
    return largest + std::log(sum);
}

} // namespace

QStringList seasonFiles(const QStringList &paths, const std::function<bool()> &cancelled)
{
    std::vector<std::pair<QByteArray, QString>> found;
    for (const QString &path : paths) {
        if (!QFileInfo(path).isDir()) {
            found.emplace_back(QFile::encodeName(path), path);
            continue;
        }
        const QString prefix = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
        QDirIterator it(path, QDir::Files | QDir::Hidden | QDir::System,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (cancelled && cancelled())
                break;
            const QString full = it.next();
            if (!it.fileName().endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
                continue;
            // QDirIterator gives path + "/" + below: keep the folder as the user wrote it.
            const QString shown = prefix + full.mid(path.size() + (path.endsWith(u'/') ? 0 : 1));
            found.emplace_back(QFile::encodeName(shown), shown);
        }
    }
    std::sort(found.begin(), found.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList files;
    files.reserve(qsizetype(found.size()));
    for (auto &f : found)
        files << std::move(f.second);
    return files;
}

SeasonRace readSeasonRace(const QString &file, OddsDocument *doc, bool split)
{
    SeasonRace race;
    race.file = file;
    doc->startFresh(1, QDate::currentDate());
    const FileResult loaded = loadDocument(*doc, file);
    if (!loaded.ok) {
        race.unreadable = loaded.message;
        race.result.exclusion = Exclusion::Unreadable;
        return race;
    }
    doc->recalculate();
    race.title = doc->titleText(0);
    race.dateText = doc->titleText(1);
    race.date = parseDateField(race.dateText).value_or(QDate());
    race.runnerCount = std::max(doc->runnerCount, 0);
    race.scores = doc->supportScores();
    race.result = parseRaceResult(doc->titleText(5), positiveShares(race.scores));
    if (split && race.result.ok()) {
        SplitScores s = ownAndMarketScores(*doc);
        race.own = std::move(s.own);
        race.market = std::move(s.market);
        race.columns = ownColumnScores(*doc);
    }
    return race;
}

std::array<CalibrationBin, 9> SeasonSummary::emptyBins()
{
    static constexpr double edges[10] = {0, .02, .05, .10, .15, .20, .30, .40, .60, 1.00};
    std::array<CalibrationBin, 9> bins;
    for (size_t i = 0; i < bins.size(); ++i) {
        bins[i].low = edges[i];
        bins[i].high = edges[i + 1];
    }
    return bins;
}

Result<RaceField> seasonField(const SeasonRace &race, const SeasonModel &model)
{
    if (model.combine)
        return combinedFieldFromScores({race.own, race.market}, {}, model.alpha, model.gamma);
    return raceFieldFromScores(race.scores, {}, model.beta);
}

namespace {

// The win probabilities of the runners with one, in runner order, and where the result's
// places stand among them (at[k], -1 for a place not among them).
std::vector<double> supportedRunners(const RaceField &field, const RaceResult &result, int at[3])
{
    std::vector<double> win;
    for (int r = 1; r <= field.runnerCount; ++r) {
        if (!(field.win[size_t(r)] > 0))
            continue;
        for (int k = 0; k < result.placeCount; ++k)
            if (result.places[size_t(k)] == r)
                at[k] = int(win.size());
        win.push_back(field.win[size_t(r)]);
    }
    return win;
}

} // namespace

Result<double> orderLogLikelihood(const RaceField &field, const RaceResult &result,
                                  const SeasonModel &model)
{
    const int places = result.placeCount;
    if (model.order == OrderModel::Normal) {
        // Only this race's order is integrated, not every triple as the analysis table needs.
        int at[3] = {-1, -1, -1};
        const std::vector<double> win = supportedRunners(field, result, at);
        if (places < 3 || win.size() < 3) // whoever wins, the other is second
            return Result<double>::success(places > 0 ? std::log(win[size_t(at[0])]) : 0.0);
        const Result<NormalFit> fit = fitNormalModel(win);
        if (!fit.ok())
            return Result<double>::failure(fit.error);
        return Result<double>::success(
            std::log(normalOrderProbability(fit.value.theta, at[0], at[1], at[2])));
    }
    // The discount model's conditional shares, summed as logs: the product of the three
    // probabilities underflows for long shots in a large field.
    int at[3] = {-1, -1, -1};
    std::vector<double> logs = supportedRunners(field, result, at);
    for (double &p : logs)
        p = std::log(p);
    const bool discount = model.order == OrderModel::Discount;
    const double exponents[3] = {1, discount ? model.lambda : 1, discount ? model.rho : 1};
    double sum = 0;
    for (int k = 0; k < places; ++k) {
        sum += exponents[k] * logs[size_t(at[k])] -
               logSumExp(logs, exponents[k], k > 0 ? at[0] : -1, k > 1 ? at[1] : -1);
    }
    return Result<double>::success(sum);
}

RaceEvaluation SeasonEvaluator::add(const SeasonRace &race)
{
    RaceEvaluation e;
    e.exclusion = race.result.exclusion;
    Result<RaceField> field = Result<RaceField>::failure(QString());
    if (e.exclusion == Exclusion::None) {
        field = seasonField(race, m_model);
        for (int k = 0; k < race.result.placeCount && e.exclusion == Exclusion::None; ++k)
            if (!field.ok() || !(field.value.win[size_t(race.result.places[size_t(k)])] > 0))
                e.exclusion = Exclusion::NoSupport;
    }
    Result<double> loglik = Result<double>::failure(QString());
    if (e.exclusion == Exclusion::None) {
        loglik = orderLogLikelihood(field.value, race.result, m_model);
        if (!loglik.ok())
            e.exclusion = Exclusion::NoModel;
    }
    if (e.exclusion != Exclusion::None) {
        ++m_summary.excluded;
        return e;
    }
    const RaceField &f = field.value;
    const int winner = race.result.places[0];
    e.pwin = f.win[size_t(winner)];
    e.winRank = 1;
    for (int r = 1; r <= f.runnerCount; ++r)
        e.winRank += f.win[size_t(r)] > e.pwin ? 1 : 0;
    e.loglik = loglik.value;

    SeasonSummary &s = m_summary;
    ++s.races;
    s.loglik += e.loglik;
    s.winLoglik += std::log(e.pwin);
    s.favourites += e.winRank == 1 ? 1 : 0;
    double brier = 0;
    for (int r = 1; r <= f.runnerCount; ++r) {
        const double p = f.win[size_t(r)];
        const double won = r == winner ? 1.0 : 0.0;
        brier += (p - won) * (p - won);
        if (!(p > 0))
            continue;
        auto bin = std::find_if(s.bins.begin(), s.bins.end(),
                                [p](const CalibrationBin &b) { return p < b.high; });
        if (bin == s.bins.end())
            bin = s.bins.end() - 1;
        ++bin->count;
        bin->sumP += p;
        bin->wins += r == winner ? 1 : 0;
    }
    s.brierSum += brier;
    return e;
}
