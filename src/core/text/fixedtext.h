#pragma once
// printf's "%.Nf" written straight into a caller's buffer, for output that prints numbers by the
// ten thousand: no string per number.

#include <QtGlobal>

// Room that writeFixed may need: the largest double has 309 digits.
inline constexpr int FixedTextRoom = 400;

// Writes value with `decimals` (0 to 9) digits after the point from out on and returns the
// end: the text of std::to_chars(..., std::chars_format::fixed, decimals), which is printf's
// rounding of the exact binary value (an exact half to the even neighbour).
char *writeFixed(char *out, double value, int decimals);

// Writes n in decimal and returns the end (at most 20 bytes).
char *writeDecimal(char *out, quint64 n);
