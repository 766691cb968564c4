#pragma once
// Numbers as every part of the program reads and writes them in cells, fields and files.

#include <QString>

// Reads the leading number of a text: blanks, tabs and line feeds before it and blanks
// inside it are skipped; sign, digits, one "." and an exponent (E or D); "&H"/"&O" prefixes.
// Reading stops at the first other character; no number gives 0. "1,000" reads as 1.
// Only ASCII digits count (full-width "１２" reads as 0). Beyond the double range the result is
// the largest finite double with the sign; too small magnitudes give 0. Never infinite or NaN.
double textToNumber(const QString &text);

// Shortest text of a double with at most 15 significant digits ("1.5", "-2", "1E+15").
// Exponent form when |x| >= 1E15 or |x| < 1E-4 after rounding ("1E-05"); "NaN", "Inf", "-Inf".
QString numberToText(double x);

// Formats with one of the number masks "0.0", "00.00", "00.000", "0000.0000", "#.0", "0", "00",
// "0000": halves away from zero, extra integer digits all shown, "#" drops a leading zero.
// Rounds the 15-digit decimal form (2.675 -> "2.68"); a result that rounds to zero has no "-".
// Any other mask writes numberToText(x).
QString formatNumber(double x, const QString &mask);

// A formatNumber mask read once, for loops that format many numbers with it.
struct NumberMask
{
    explicit NumberMask(const QString &mask);

    bool numeric = false; // "0" and "#" positions with at most one "."; else numberToText
    bool point = false;
    int decimals = 0;
    int minIntDigits = 0;
    int minFracDigits = 0;
};

// formatNumber(x, mask) into out, replacing its characters: a text nothing else shares keeps its
// buffer when it has the room, so a loop that formats into the same text does not allocate.
void formatNumberTo(QString &out, double x, const NumberMask &mask);

// Rounds to a whole number, halves to the even neighbour; saturates outside the int range.
int roundHalfEvenToInt(double x);
