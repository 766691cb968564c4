#pragma once

// The program's icon (the one the desktop entry names) on every window, for window managers
// and task bars that do not look it up from the desktop entry.
void applyProgramIcon();
