#include "core/analysis/shownrounding.h"

#include <cmath>

double RoundHalfUp(double x, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::floor(x * scale + 0.5 + 1e-9) / scale;
}
