#include "core/analysis/documentanalysis.h"

namespace {

bool sameParameters(const AnalysisParameters &p, const AnalysisParameters &q)
{
    return p.model == q.model && p.lambda == q.lambda && p.rho == q.rho && p.beta == q.beta &&
           p.combine == q.combine && p.alpha == q.alpha && p.gamma == q.gamma &&
           p.payoutRatio == q.payoutRatio;
}

} // namespace

DocumentAnalysis::DocumentAnalysis(const OddsDocument *doc, QObject *parent)
    : QObject(parent), m_doc(doc)
{
    m_race = analyseDocument(*m_doc, inputs().parameters);
    m_seen = inputs();
    connect(&m_state, &AnalysisState::changed, this, &DocumentAnalysis::inputsChanged);
}

void DocumentAnalysis::documentChanged()
{
    AnalysedRace race = analyseDocument(*m_doc, inputs().parameters);
    if (sameRace(race, m_race))
        return;
    m_race = std::move(race);
    Q_EMIT updated(Change::Race);
}

void DocumentAnalysis::inputsChanged()
{
    const AnalysisInputs &now = inputs();
    Change change = Change::Values;
    if (!sameParameters(now.parameters, m_seen.parameters)) {
        m_race = analyseDocument(*m_doc, now.parameters);
        change = Change::Race;
    } else if (now.betType != m_seen.betType) {
        change = Change::BetType;
    }
    m_seen = now;
    Q_EMIT updated(change);
}

bool sameRace(const AnalysedRace &a, const AnalysedRace &b)
{
    if (a.error != b.error || a.runners.size() != b.runners.size() ||
        a.documentQuinella != b.documentQuinella || a.finishingOrder != b.finishingOrder ||
        a.model.field.win != b.model.field.win || a.model.field.bracket != b.model.field.bracket ||
        a.model.order.win != b.model.order.win)
        return false;
    for (size_t i = 0; i < a.runners.size(); ++i) {
        const RunnerInfo &x = a.runners[i];
        const RunnerInfo &y = b.runners[i];
        if (x.name != y.name || x.bracket != y.bracket || x.bracketColor != y.bracketColor ||
            x.supportPercent != y.supportPercent)
            return false;
    }
    return true;
}
