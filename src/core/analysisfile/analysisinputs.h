#pragma once
// What the user enters for the analysis of one document: the market's odds per bet type, the
// model and its parameters, the colour thresholds, the picked tickets and the stake settings.
// Kept beside the document in a sidecar file; the preferred parameters also in the settings.

#include "core/market/actualodds.h"
#include "core/market/oddssnapshots.h"
#include "core/market/payouts.h"
#include "core/racemodel/bettypes.h"
#include "core/racemodel/combinations.h"
#include "core/racemodel/result.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <optional>
#include <set>

struct AnalysisInputs
{
    BetType betType = BetType::Quinella;
    AnalysisParameters parameters;
    // actual / estimated at or above highRatio: overlooked; at or below lowRatio: over-bet.
    double highRatio = 1.2;
    double lowRatio = 0.8;
    // The latest actual odds: what the analysis uses and typing edits. Odds for tickets the
    // current runner count no longer has are kept, only not shown.
    std::array<ActualOdds, 8> actual;
    // When the latest odds were taken ("yyyy-mm-dd hh:mm:ss"; empty when unknown), and the
    // snapshots before them, newest first.
    std::array<QString, 8> latestTime;
    std::array<OddsHistory, 8> earlier;
    Payouts payouts;
    std::array<std::set<Ticket>, 8> picks;
    qint64 budget = 10000;
    bool kelly = false;
    double kellyFraction = 0.5;
    qint64 bankroll = 100000;

    ActualOdds &actualOf(BetType type) { return actual[size_t(type)]; }
    const ActualOdds &actualOf(BetType type) const { return actual[size_t(type)]; }
    OddsHistory &earlierOf(BetType type) { return earlier[size_t(type)]; }
    const OddsHistory &earlierOf(BetType type) const { return earlier[size_t(type)]; }
    std::set<Ticket> &picksOf(BetType type) { return picks[size_t(type)]; }
    const std::set<Ticket> &picksOf(BetType type) const { return picks[size_t(type)]; }

    bool operator==(const AnalysisInputs &other) const;
};

// Snapshots of a bet type by index: 0 the latest, then the earlier ones, newest first.
int snapshotCount(const AnalysisInputs &in, BetType type);
const ActualOdds &snapshotOdds(const AnalysisInputs &in, BetType type, int index);
QString snapshotTimeOf(const AnalysisInputs &in, BetType type, int index);
// A paste: the latest odds with `pasted` merged in become a new latest snapshot stamped
// `time`, the old latest the first earlier one. Returns how many of the oldest were dropped
// to keep MaxSnapshots.
int pasteSnapshot(AnalysisInputs *in, BetType type, const ActualOdds &pasted, const QString &time);
// Deleting the latest makes the next one the latest.
void deleteSnapshot(AnalysisInputs *in, BetType type, int index);
// A corrected time "yyyy-mm-dd hh:mm:ss" for a snapshot: no later than the newer one beside
// it and no earlier than the older one (those with a time), so that the order stays newest
// first. Empty when set, else why not in Japanese; nothing changes then.
QString setSnapshotTime(AnalysisInputs *in, BetType type, int index, const QString &time);

// One document's inputs with the flag and signal the windows follow.
class AnalysisState : public QObject
{
    Q_OBJECT
public:
    explicit AnalysisState(QObject *parent = nullptr) : QObject(parent) {}

    const AnalysisInputs &inputs() const { return m_inputs; }
    // Emits changed() when the inputs differ from the current ones; sets the flag only when
    // they differ in more than the bet type and model in view (sameEntries).
    void setInputs(const AnalysisInputs &inputs);
    // Loading or saving: the inputs become the stored ones.
    void resetInputs(const AnalysisInputs &inputs);

    bool isChanged() const { return m_changed; }
    void setChanged(bool changed) { m_changed = changed; }

Q_SIGNALS:
    void changed();

private:
    AnalysisInputs m_inputs;
    bool m_changed = false;
};

// "<document path>.analysis".
QString sidecarPath(const QString &documentPath);

// The sidecar (see docs/desktop.md, "The analysis file"): an initialization-file layout with the
// settings under [Analysis], per bet type a section with the latest odds and picks followed by its
// earlier snapshots newest first ("[quinella@2026-12-12 13:30:00]"), and the payouts last. ASCII.
QByteArray sidecarBytes(const AnalysisInputs &inputs);
QString sidecarText(const AnalysisInputs &inputs);
// Versions 1 to 3. Not ok, naming the line, for a line it cannot read; values out of range are
// refused too.
Result<AnalysisInputs> parseSidecarBytes(const QByteArray &bytes);
Result<AnalysisInputs> parseSidecar(const QString &text);
// Which odds a reader keeps: every line is read and judged all the same (a file refused in full
// is refused here too), only the odds of other bet types, or of earlier snapshots, are left
// out (their snapshots stay, with times and without odds).
struct SidecarScope
{
    std::optional<BetType> only;
    bool latestOnly = false;
};
Result<AnalysisInputs> parseSidecarBytes(const QByteArray &bytes, const SidecarScope &scope);

// Written in code page 932 to a temporary file in the same folder, synced and renamed over the
// old one: a failure leaves the old file as it was. Empty text when written, else why not.
QString writeSidecar(const QString &path, const AnalysisInputs &inputs);
// A missing sidecar is not an error: the defaults come back.
Result<AnalysisInputs> readSidecar(const QString &path, const SidecarScope &scope = {});

// Model, lambda, rho, beta, payout ratios and colour thresholds in [Analysis] of the settings
// file. Reading keeps the given value for a key that is missing or unreadable.
bool saveAnalysisPreferences(const QString &settingsFile, const AnalysisInputs &inputs);
void loadAnalysisPreferences(const QString &settingsFile, AnalysisInputs *inputs);

// Whether a and b differ at most in what is only looked at: the bet type and the model in view.
bool sameEntries(const AnalysisInputs &a, const AnalysisInputs &b);

// Moves an analysis file that could not be read out of the way of a new one: to
// "<path>.unreadable", or ".unreadable.2", ".unreadable.3", ... whichever is free first.
// The name it now has, or why it could not be moved (it then stays where it was).
Result<QString> setAsideSidecar(const QString &path);
