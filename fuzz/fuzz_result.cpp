// The result field read as a finishing order, on arbitrary text: never a crash, and a result
// that counts names distinct runners of the table, each with support.

#include "core/analysis/raceresult.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // 18 runners, runner 5 without support.
    std::vector<double> win(19, 1.0 / 17);
    win[0] = 0;
    win[5] = 0;
    const RaceResult r = ParseRaceResult(text, win);
    if (!r.ok())
        return 0;
    if (r.placeCount != 3)
        std::abort();
    for (int k = 0; k < r.placeCount; ++k) {
        const int runner = r.places[size_t(k)];
        if (runner < 1 || runner > 18 || runner == 5)
            std::abort();
        for (int j = 0; j < k; ++j)
            if (r.places[size_t(j)] == runner)
                std::abort();
    }
    if (ParseResultText(r.text()).text() != r.text())
        std::abort();
    return 0;
}
