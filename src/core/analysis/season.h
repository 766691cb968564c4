#pragma once
// A season: every document of some folders read in turn (none is kept, only the numbers the
// evaluation and the fits need) and evaluated against its result.

#include "core/analysis/combinedmodel.h"
#include "core/analysis/orderingmodels.h"
#include "core/analysis/raceresult.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

class OddsDocument;

// The documents of the paths: a file as given, a folder searched recursively for names ending
// in ".csv" (any case) and shown as the folder joined with the path below it. In byte order of
// the paths. Stops early, giving what it has, when cancelled() says so.
QStringList seasonFiles(const QStringList &paths, const std::function<bool()> &cancelled = {});

// What one document gives the season.
struct SeasonRace
{
    QString file;
    QString title;
    QString dateText;
    QDate date; // read from dateText; invalid when it holds none
    int runnerCount = 0;
    QString unreadable; // the reader's message when the file cannot be read
    RaceResult result;  // not ok: why the race does not count
    // The support scores as the recalculation sums them (index 1..runnerCount), and the same
    // with only own or only market columns weighted (empty without such columns, or unasked).
    std::vector<double> scores;
    std::vector<double> own;
    std::vector<double> market;
    std::vector<ColumnScores> columns; // every own column alone, when split

    bool counts() const { return result.ok(); }
};

// Loaded as a fresh untitled document takes a file (no template) and recalculated as 集計
// does; scratch is reused from race to race. split: also the own and market scores and the
// own columns one by one.
SeasonRace readSeasonRace(const QString &file, OddsDocument *scratch, bool split);

// The model a season is evaluated under.
struct SeasonModel
{
    OrderModel order = OrderModel::Harville;
    double lambda = 0.81;
    double rho = 0.65;
    double beta = 1;
    bool combine = false; // p ∝ own^alpha · market^gamma instead of the support^beta
    double alpha = 1;
    double gamma = 1;
};

struct RaceEvaluation
{
    Exclusion exclusion = Exclusion::None; // may add NoSupport, NoModel to the race's own
    double pwin = 0;
    int winRank = 0;
    double loglik = 0;
};

struct CalibrationBin
{
    double low = 0;
    double high = 0;
    int count = 0;
    double sumP = 0;
    int wins = 0;

    double meanP() const { return count > 0 ? sumP / count : 0.0; }
};

struct SeasonSummary
{
    int races = 0;
    int excluded = 0;
    double loglik = 0;
    double winLoglik = 0;
    double brierSum = 0;
    int favourites = 0;
    std::array<CalibrationBin, 9> bins = emptyBins();

    double brier() const { return races > 0 ? brierSum / races : 0.0; }
    static std::array<CalibrationBin, 9> emptyBins();
};

// Win probabilities of a race as the analysis makes them: not ok when there are none.
Result<RaceField> seasonField(const SeasonRace &race, const SeasonModel &model);

// log P(the places in their order) under the finishing-order model; for fewer places the ones
// there are. Every placed runner has a positive win probability.
Result<double> orderLogLikelihood(const RaceField &field, const RaceResult &result,
                                  const SeasonModel &model);

// Evaluates races one by one into the summary.
class SeasonEvaluator
{
public:
    explicit SeasonEvaluator(const SeasonModel &model) : m_model(model) {}
    RaceEvaluation add(const SeasonRace &race);
    const SeasonSummary &summary() const { return m_summary; }

private:
    SeasonModel m_model;
    SeasonSummary m_summary;
};
