#pragma once
// The one rounding of what the analysis shows: the digits on screen, in copies, prints and
// kirrel-cli output are the digits its colours and thresholds compare, so a ratio shown as
// 1.20 is at a threshold of 1.2.

// x rounded half up to `decimals` places as floor(x * 10^d + 0.5 + 1e-9) / 10^d; the 1e-9
// takes a half that the binary double lands just below (23.9 / 20.0 is 1.19499...) up.
double RoundHalfUp(double x, int decimals);

// actual / estimated odds: two decimals.
inline double ShownRatio(double ratio)
{
    return RoundHalfUp(ratio, 2);
}
// probability x actual odds: three decimals.
inline double ShownExpectedValue(double value)
{
    return RoundHalfUp(value, 3);
}
