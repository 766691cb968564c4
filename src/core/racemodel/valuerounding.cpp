#include "core/racemodel/valuerounding.h"

#include <cmath>

double roundedHalfUp(double value, int decimals)
{
    static constexpr double powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
    const double scale =
        decimals >= 0 && decimals <= 6 ? powers[decimals] : std::pow(10.0, decimals);
    return std::floor(value * scale + 0.5 + 1e-9) / scale;
}
