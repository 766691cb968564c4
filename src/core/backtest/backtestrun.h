#pragma once
// A back-test over a season's documents: each document read for the bet type (its result, the
// odds of its analysis file and the model's estimates under the settings given), then the
// races played in date order.

#include "core/backtest/backtest.h"
#include "core/racemodel/combinations.h"
#include "core/season/season.h"

#include <QStringList>
#include <QTime>
#include <functional>
#include <optional>

struct BacktestSettings
{
    BetType bet = BetType::Win;
    // The model, its parameters and the payout ratio, not the analysis files' own.
    AnalysisParameters parameters;
    BacktestRule rule;
    std::optional<QTime> at; // the snapshot in effect at this time of day; the latest without
};

// One document as the back-test reads it.
struct BacktestEntry
{
    QString file;
    std::optional<QDate> date;
    bool counts = false; // a result and actual odds of the bet type
    QString problem;     // why its analysis file could not be read, when it could not
    // Why it does not count, in English for kirrel-cli and in Japanese for the window.
    QString reason;
    QString reasonText;
    BacktestRace race; // with only the tickets the rule buys
};

// Each file in a document of its own: nothing a file leaves out comes from another one.
BacktestEntry readBacktestEntry(const QString &file, const BacktestSettings &settings);

// A document that does not count, with why.
struct BacktestExclusion
{
    QString file;
    QString reason;     // English
    QString reasonText; // Japanese
};

struct BacktestReport
{
    std::vector<BacktestLine> lines; // one per counted race, in the order played
    BacktestSummary summary;
    BacktestBreakdown breakdown;
    QStringList problems; // "FILE: why", for analysis files that could not be read
    std::vector<BacktestExclusion> excluded; // in the order of the files
    int duplicates = 0;                      // documents reached a second time, not read again
    // The race whose sums of yen passed 64 bits: the back-test stopped there.
    QString overflow;
    bool cancelled = false;
};

// Reads every file, then plays the counted races by date (unreadable dates last), then by
// path. progress(done, total) after each file; returning false cancels.
BacktestReport runBacktest(const SeasonFiles &files, const BacktestSettings &settings,
                           const std::function<bool(int, int)> &progress = {});
BacktestReport runBacktest(const QStringList &files, const BacktestSettings &settings,
                           const std::function<bool(int, int)> &progress = {});
