#pragma once
// Number text as an input method or another program may deliver it: full-width digits, points,
// signs and blanks, which the number reader does not take.

#include <QString>

// text with full-width digits, the points "．" "。" "｡", the signs "＋" "－" "−" and the long
// vowel marks "ー" "ｰ" (an input method's minus in kana mode), and the ideographic space
// replaced by their ASCII forms. Every other character stays; the length never changes, so a
// caret position stays valid.
QString narrowNumberText(const QString &text);
