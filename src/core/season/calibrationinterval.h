#pragma once
// The Wilson score interval of a calibration bin's share of winners: unlike the normal band it
// stays inside [0, 1] and does not shrink to nothing for a bin with no winner.

#include <algorithm>
#include <cmath>
#include <utility>

// 95 % (z = 1.96); {0, 0} for an empty bin.
inline std::pair<double, double> wilsonInterval(int wins, int count, double z = 1.959963984540054)
{
    if (count <= 0)
        return {0.0, 0.0};
    const double n = count;
    const double p = wins / n;
    const double z2 = z * z;
    const double centre = (p + z2 / (2 * n)) / (1 + z2 / n);
    const double half = z / (1 + z2 / n) * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}
