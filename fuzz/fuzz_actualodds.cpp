// An actual-odds file (kirrel-cli --odds): decoded as the reader does, then parsed for a bet
// type and field size taken from the first two bytes.

#include "core/market/actualodds.h"
#include "fuzzinput.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const BetType type = in.betType();
    const int highest = in.highest();
    const Result<OddsLines> read = parseActualOdds(decodeOddsText(in.rest()), type, highest);
    if (!read.ok()) {
        FUZZ_CHECK(read.value.odds.empty() && read.value.scratched.empty());
        return 0;
    }
    // What was read is odds in the one range of tickets the field has, and it reads back from
    // its own lines.
    QString lines;
    for (const auto &[ticket, quoted] : read.value.odds) {
        FUZZ_CHECK(quoted.odds >= LowestOdds && quoted.odds <= HighestOdds);
        FUZZ_CHECK(quoted.upper == 0 ||
                   (quoted.upper >= quoted.odds && quoted.upper <= HighestOdds));
        const Result<Ticket> t = parseTicket(type, ticketText(type, ticket), highest);
        FUZZ_CHECK(t.ok() && t.value == ticket);
        lines += ticketText(type, ticket) + u'\t' + oddsText(quoted) + u'\n';
    }
    const Result<OddsLines> back = parseActualOdds(lines, type, highest);
    FUZZ_CHECK(back.ok() && back.value.odds == read.value.odds);
    return 0;
}
