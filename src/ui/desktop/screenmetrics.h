#pragma once
// Twips per pixel of the primary screen (1440 / logical DPI), 15 at 96 dpi.

double twipsPerPixelX();
double twipsPerPixelY();
