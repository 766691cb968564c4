#pragma once
// One document's analysis: its inputs and its race analysed from a recalculated copy, kept
// current as the document and the inputs change. The windows follow updated().

#include "core/analysis/analysistable.h"

#include <QObject>

class OddsDocument;

class DocumentAnalysis : public QObject
{
    Q_OBJECT
public:
    // What an update touched, from the widest to the narrowest.
    enum class Change {
        Race,    // the race itself: probabilities, runners, names
        BetType, // another bet type is in view
        Values,  // actual odds, picks, thresholds or stake settings
    };
    Q_ENUM(Change)

    // doc outlives this object (its window owns both).
    explicit DocumentAnalysis(const OddsDocument *doc, QObject *parent = nullptr);

    const OddsDocument *document() const { return m_doc; }
    AnalysisState &state() { return m_state; }
    const AnalysisInputs &inputs() const { return m_state.inputs(); }
    const AnalysedRace &race() const { return m_race; }
    // The table of the bet type in view.
    AnalysisTable table() const { return buildAnalysisTable(m_race, inputs()); }

    // Analyses the document again: updated(Race) when anything the analysis shows differs.
    void documentChanged();

Q_SIGNALS:
    void updated(DocumentAnalysis::Change change);

private:
    void inputsChanged();

    const OddsDocument *m_doc;
    AnalysisState m_state;
    AnalysedRace m_race;
    AnalysisInputs m_seen; // the inputs of the last update
};

// Whether two analyses show the same race.
bool sameRace(const AnalysedRace &a, const AnalysedRace &b);
