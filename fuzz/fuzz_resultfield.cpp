// The result field (結果) and the date field of a document, as the season reads them from every
// document of a folder: the first byte is the runner count, the second marks runners without
// support (bit r % 8), the rest is the field's text.

#include "core/racemodel/raceresult.h"
#include "core/text/datetext.h"
#include "fuzzinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const int runners = in.highest();
    const uint8_t unsupported = in.take();
    std::vector<double> win(size_t(runners) + 1, 0.0);
    for (int r = 1; r <= runners; ++r)
        win[size_t(r)] = (unsupported >> (r % 8)) & 1 ? 0.0 : 1.0 / runners;
    const QString text = QString::fromUtf8(in.rest());
    parseDateField(text);

    const RaceResult alone = parseResultText(text);
    const RaceResult result = parseRaceResult(text, win);
    if (!alone.ok())
        FUZZ_CHECK(result.exclusion == alone.exclusion);
    if (!result.ok())
        return 0;
    int supported = 0;
    for (int r = 1; r <= runners; ++r)
        supported += win[size_t(r)] > 0;
    FUZZ_CHECK(result.placeCount >= std::min(3, supported) && result.placeCount <= 3);
    for (int k = 0; k < result.placeCount; ++k) {
        const int r = result.places[size_t(k)];
        FUZZ_CHECK(r >= 1 && r <= runners && win[size_t(r)] > 0);
        for (int j = 0; j < k; ++j)
            FUZZ_CHECK(result.places[size_t(j)] != r);
    }
    // The season writes the order it read as "3-7-12": that text reads back to the same order.
    const RaceResult back = parseRaceResult(result.text(), win);
    FUZZ_CHECK(back.ok() && back.places == result.places && back.placeCount == result.placeCount);
    return 0;
}
