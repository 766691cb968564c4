#pragma once
// The designed Japanese faces do not exist on Linux; without substitutes Qt silently falls
// back to a Latin face and the layout measured for them breaks.

#include <QHash>
#include <QString>

// Registers the installed IPA faces (or any installed Japanese face) as substitutes for
// "ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝" and "MS UI Gothic". Returns designed face ->
// substitute for the faces that got one. Needs a QGuiApplication.
QHash<QString, QString> registerJapaneseFontSubstitutes();

// The face of the grids, the print sheet and the header fields: the fixed-pitch Gothic face
// (the first installed of the substitutes for "ＭＳ ゴシック", else any Japanese face).
// Needs a QGuiApplication.
QString defaultFontFamily();
