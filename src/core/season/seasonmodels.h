#pragma once
// A season's races as the conditional logit takes them, the split of a holdout by date, and the
// fit of one model on chosen races: what fitSeason and the comparison of models share.

#include "core/season/conditionallogit.h"
#include "core/season/seasonfit.h"

#include <QDate>
#include <QString>
#include <utility>
#include <vector>

// The own columns a fit uses: those at least half of the documents with a result have, in the
// order of first appearance (documents in turn, columns left to right); the others with the
// number of documents with a result that have them.
struct SeasonColumns
{
    std::vector<QString> used;
    std::vector<std::pair<QString, int>> unused;
};
SeasonColumns seasonColumns(const std::vector<SeasonRace> &races);

// Indexes into dates (invalid = undated). The held-out part is the latest whole dates, taken
// from the latest back until their races reach fraction of the dated races; undated races are
// never held out. Not ok when either part would be empty.
struct HoldoutSplit
{
    std::vector<int> fit;
    std::vector<int> held;
    int undated = 0;
    bool ok = true;
};
HoldoutSplit splitByDate(const std::vector<QDate> &dates, double fraction);

// The races a set of models can all take. support: log support share per runner with one
// (k 1). ownMarket, when asked: per runner with positive own, market and used column shares the
// logs of the used columns' shares, then of the own share, then of the market share.
struct SeasonLogit
{
    LogitData support;
    LogitData ownMarket;
    int columns = 0;
    std::vector<int> source; // the season's race of every logit race
    std::vector<QDate> dates;
    int excluded = 0; // documents read that are not among them
};
SeasonLogit seasonLogit(const std::vector<SeasonRace> &races, bool ownMarket,
                        const std::vector<QString> &columns);

// Fits the model on the races fit (indexes into the logit's races) and evaluates it on held.
// columns: the used columns' names (for the columns model).
SeasonFit fitSeasonModel(const SeasonLogit &logit, FitModel model, const std::vector<int> &fit,
                         const std::vector<int> &held, bool robust,
                         const std::vector<QString> &columns);
