#pragma once
// A season: every document of some folders read in turn (none is kept, only the numbers the
// evaluation and the fits need) and evaluated against its result.

#include "core/racemodel/combinedmodel.h"
#include "core/racemodel/orderingmodels.h"
#include "core/racemodel/raceresult.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

// The documents of the paths: a file as given, a folder searched recursively for names ending
// in ".csv" (any case) and shown as the folder joined with the path below it. In byte order of
// the paths; a document reached by several paths (by its canonical path) only once. Stops
// early, giving what it has, when cancelled() says so.
struct SeasonFiles
{
    QStringList files;
    // Entries of files that cannot be read, with why: a name that is not UTF-8 (shown with its
    // bytes as \xNN), a folder that cannot be listed (shown ending in "/").
    QHash<QString, QString> refused;
    QStringList missing; // paths given that do not exist
    int duplicates = 0;  // documents dropped for being reached a second time

    QString refusal(const QString &file) const { return refused.value(file); }
};
SeasonFiles seasonDocuments(const QStringList &paths, const std::function<bool()> &cancelled = {});
// Only the files.
QStringList seasonFiles(const QStringList &paths, const std::function<bool()> &cancelled = {});

// A name for one line of output: TAB, LF and CR as \t, \n, \r, other control characters as
// \xNN.
QString escapedName(const QString &text);

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

// Loaded into a document of its own, as a fresh untitled document takes a file (no template),
// and recalculated as 集計 does: nothing a file leaves out comes from another file read
// before it. split: also the own and market scores; columns: with them the own columns one by
// one.
SeasonRace readSeasonRace(const QString &file, bool split, bool columns = false);
// The same for an entry of seasonDocuments: a refused one is unreadable with its reason.
SeasonRace readSeasonRace(const SeasonFiles &files, const QString &file, bool split,
                          bool columns = false);

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
    int favourites = 0;       // won by the model's top pick
    int marketFavourites = 0; // won by the market share's top pick
    int marketRaces = 0;      // counted races with market columns
    std::array<CalibrationBin, 9> bins = emptyBins();

    double brier() const { return races > 0 ? brierSum / races : 0.0; }
    bool hasMarketFavourites() const { return races > 0 && marketRaces == races; }
    static std::array<CalibrationBin, 9> emptyBins();
    // The bin of a probability: the one whose low edge it reaches, compared at 1e-12 so that a
    // share that is an edge in decimals (30/100) falls on the edge's side.
    static size_t binOf(double p);
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
