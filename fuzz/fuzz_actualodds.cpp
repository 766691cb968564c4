// An actual-odds file (kirrel-cli --odds): decoded as the reader does, then parsed for a bet
// type and field size taken from the first two bytes.

#include "core/analysis/actualodds.h"
#include "fuzzinput.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const BetType type = in.betType();
    const int highest = in.highest();
    const Result<ActualOdds> odds = ParseActualOdds(DecodeOddsText(in.rest()), type, highest);
    if (!odds.ok()) {
        FUZZ_CHECK(odds.value.empty());
        return 0;
    }
    // What was read is odds of tickets the field has, and it reads back from its own lines.
    QString lines;
    for (const auto &[ticket, value] : odds.value) {
        FUZZ_CHECK(std::isfinite(value) && value > 0);
        const Result<Ticket> t = ParseTicket(type, TicketText(type, ticket), highest);
        FUZZ_CHECK(t.ok() && t.value == ticket);
        lines += TicketText(type, ticket) + u'\t' + QString::number(value, 'g', 17) + u'\n';
    }
    const Result<ActualOdds> back = ParseActualOdds(lines, type, highest);
    FUZZ_CHECK(back.ok() && back.value == odds.value);
    return 0;
}
