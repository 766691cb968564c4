#pragma once
// The one rounding of ratios and expected values: what a table shows is what a threshold is
// compared with, so a ratio shown as 1.20 is at 1.2.

// floor(value x 10^decimals + 0.5 + 1e-9) / 10^decimals of the double value: halves up, and
// 1.195 computed as 1.19499999999 still a half.
double roundedHalfUp(double value, int decimals);

// actual / estimated odds to two decimals, probability x actual odds to three.
inline double shownRatio(double ratio)
{
    return roundedHalfUp(ratio, 2);
}
inline double shownExpectedValue(double expectedValue)
{
    return roundedHalfUp(expectedValue, 3);
}
