#include "core/analysis/valuerounding.h"

#include <cmath>

double RoundedHalfUp(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::floor(value * scale + 0.5 + 1e-9) / scale;
}
