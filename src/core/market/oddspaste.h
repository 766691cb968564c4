#pragma once
// Actual odds pasted into the analysis table as text, in one of three layouts:
//  - a bare column of odds, one a line, for the tickets in ascending runner numbers;
//  - lines of a ticket and its odds ("1-2\t12.3", "1 - 2 12.3"; see parseActualOdds), the
//    program's own table copy among them (its 実オッズ column is read);
//  - for the quinella and the wide, the blocks of the quinella view: a cell "■i■" heads the
//    pairs of runner i, one a row below it, the odds in the header's column and optionally the
//    pair ("i-j", or just "j") in the column to its left; without it, the rows count the pairs.
// All or nothing: the first cell or line that cannot be placed makes the result not ok,
// naming its line.

#include "core/market/actualodds.h"

#include <vector>

// byNumber: the table's tickets in ascending runner numbers (the order of a bare column);
// highest: the highest runner (bracket) number a ticket may name.
// Odds of every kind are read by parseOdds; a scratched mark (取消, 除外, ---) takes the
// ticket's odds away.
Result<OddsLines> parsePastedOdds(const QString &text, BetType type, int highest,
                                  const std::vector<Ticket> &byNumber);
