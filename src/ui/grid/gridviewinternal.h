#pragma once
// What the grid view's layout and its painting share.

inline constexpr int TextPadding = 2; // pixels between a cell's edge and its text
