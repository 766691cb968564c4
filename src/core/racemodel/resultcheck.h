#pragma once
// The result field (結果) checked where it is typed, with the reader the season and the
// analysis use: a text the user meant as a finishing order but that does not count as one.

#include <QString>

class OddsDocument;

// Empty when the field is empty, holds the default text 結果, or reads as the race's finishing
// order; otherwise why it does not, in the window's words.
QString resultFieldProblem(const OddsDocument &doc);
