// Odds pasted into the analysis table: a bare column, "COMBO<TAB>ODDS" lines or the quinella
// view's blocks, for a bet type and field size taken from the first two bytes.

#include "core/analysis/oddspaste.h"
#include "fuzzinput.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const BetType type = in.betType();
    // The table shows at most 18 runners' tickets; its bare column counts on that.
    const int highest = in.take() % 20;
    const std::vector<Ticket> byNumber = TicketsByNumber(type, highest);
    const Result<ActualOdds> odds =
        ParsePastedOdds(QString::fromUtf8(in.rest()), type, highest, byNumber);
    if (!odds.ok()) {
        FUZZ_CHECK(odds.value.empty());
        return 0;
    }
    for (const auto &[ticket, value] : odds.value) {
        FUZZ_CHECK(std::isfinite(value) && value > 0);
        const Result<Ticket> t = ParseTicket(type, TicketText(type, ticket), highest);
        FUZZ_CHECK(t.ok() && t.value == ticket);
    }
    return 0;
}
