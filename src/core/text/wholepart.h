#pragma once
// Whole parts of doubles of moderate size without a library call: the baseline x86-64
// instruction set has no rounding instruction, so std::floor is a call in every hot loop.

// std::floor(x) for |x| < 2^63; -0 gives +0, so only for results whose sign of zero is unused.
inline double floorOf(double x)
{
    const double t = double(static_cast<long long>(x));
    return t > x ? t - 1 : t;
}

// whole + 1 when frac (the part above whole) is more than a half, else whole: without a branch,
// since rounding goes either way at random.
inline double nearestWhole(double whole, double frac)
{
    return whole + double(frac > 0.5);
}
