// A ticket as the user types it ("1-2", "3>1>2"): whatever reads must write back to itself.

#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const BetType type = in.betType();
    const int highest = in.highest();
    const QString text = QString::fromUtf8(in.rest());
    const Result<Ticket> ticket = parseTicket(type, text, highest);
    if (!ticket.ok())
        return 0;
    for (int k = 0; k < 3; ++k) {
        const int n = ticket.value[size_t(k)];
        FUZZ_CHECK(k < ticketSize(type) ? n >= 1 && n <= highest : n == 0);
    }
    const Result<Ticket> again = parseTicket(type, ticketText(type, ticket.value), highest);
    FUZZ_CHECK(again.ok() && again.value == ticket.value);
    return 0;
}
