#pragma once
// The result field of a document (結果) read as the finishing order, and the reasons a
// document cannot count as a race with a result.

#include <QString>
#include <array>
#include <vector>

enum class Exclusion {
    None,
    NoResult,     // empty, the default text, or not numbers and separators
    DeadHeat,     // "=" anywhere
    NotRunners,   // a number that is no runner of the table, or one that repeats
    TooFewPlaces, // fewer places than min(3, runners with support)
    NoSupport,    // a placed runner without a positive support share
    Unreadable,   // the file cannot be read
    NoModel,      // the finishing-order model cannot be made for the race
    // Numbers among other characters ("7-14-x", "1着7 2着14"): a result that cannot be read.
    UnreadableResult,
    RepeatedRunner, // a runner placed twice ("7-7-6")
    NoOwnColumns,   // the combined model without own columns in the document
};

// kirrel-cli's words ("no result", "dead heat", ...).
QString exclusionWord(Exclusion reason);
// The window's words (結果なし, 同着, ...).
QString exclusionText(Exclusion reason);

struct RaceResult
{
    Exclusion exclusion = Exclusion::None;
    std::array<int, 3> places{}; // runner numbers of the first places
    int placeCount = 0;          // how many of them the text names, at most 3
    QString field;               // UnreadableResult: the text that cannot be read

    bool ok() const { return exclusion == Exclusion::None; }
    // "3-7-12".
    QString text() const;
};

// The same with the result's text quoted where it cannot be read.
QString exclusionWord(Exclusion reason, const RaceResult &result);
QString exclusionText(Exclusion reason, const RaceResult &result);

// The text alone: the first three numbers (half- or full-width digits) between separators
// (- － − ‐ ー → > ＞ 、 ・ / and half- or full-width spaces). Not ok with NoResult or DeadHeat.
RaceResult parseResultText(const QString &text);

// The text against the race: win[r] for runners 1..runnerCount (index 0 unused), positive for
// the runners with support.
RaceResult parseRaceResult(const QString &text, const std::vector<double> &win);
