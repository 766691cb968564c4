// Odds pasted into the analysis table: a bare column, "COMBO<TAB>ODDS" lines or the quinella
// view's blocks, for a bet type and field size taken from the first two bytes.

#include "core/analysisfile/analysisinputs.h"
#include "core/market/oddspaste.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const BetType type = in.betType();
    // The table shows at most 18 runners' tickets (8 brackets); its bare column counts on that.
    const int highest = std::min(in.take() % 20, type == BetType::BracketQuinella ? 8 : 19);
    const std::vector<Ticket> byNumber = ticketsByNumber(type, highest);
    const Result<OddsLines> pasted =
        parsePastedOdds(QString::fromUtf8(in.rest()), type, highest, byNumber);
    if (!pasted.ok()) {
        FUZZ_CHECK(pasted.value.odds.empty() && pasted.value.scratched.empty());
        return 0;
    }
    for (const auto &[ticket, quoted] : pasted.value.odds) {
        FUZZ_CHECK(quoted.odds >= LowestOdds && quoted.odds <= HighestOdds);
        const Result<Ticket> t = parseTicket(type, ticketText(type, ticket), highest);
        FUZZ_CHECK(t.ok() && t.value == ticket);
    }
    // Whatever the window accepts is saved in the analysis file and must read back equal.
    AnalysisInputs inputs;
    inputs.actualOf(type) = pasted.value.odds;
    const Result<AnalysisInputs> back = parseSidecar(sidecarText(inputs));
    FUZZ_CHECK(back.ok() && back.value.actualOf(type) == pasted.value.odds);
    return 0;
}
