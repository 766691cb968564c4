// Payout text pasted from a results page, for a field size taken from the first byte, and the
// payout keys of the analysis file ("quinella 3-7") read from the same text.

#include "core/market/payouts.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const int highest = in.highest();
    const QString text = QString::fromUtf8(in.rest());
    parsePayoutKey(text);

    const Result<Payouts> payouts = parsePayoutText(text, highest);
    if (!payouts.ok()) {
        FUZZ_CHECK(payouts.value.empty());
        return 0;
    }
    for (const auto &[key, yen] : payouts.value) {
        FUZZ_CHECK(yen > 0);
        // What was read is stored under its key: the key reads back to the same ticket.
        const auto back = parsePayoutKey(payoutKeyText(key.first, key.second));
        FUZZ_CHECK(back.ok() && back.value == key);
    }
    return 0;
}
