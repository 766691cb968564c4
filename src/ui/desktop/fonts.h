#pragma once
// The designed Japanese faces do not exist on Linux; without substitutes Qt silently falls
// back to a Latin face and the layout measured for them breaks.

#include <QHash>
#include <QString>

// Registers the installed IPA faces (or any installed Japanese face) as substitutes for
// "ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝" and "MS UI Gothic". Returns designed face ->
// substitute for the faces that got one. Needs a QGuiApplication.
QHash<QString, QString> RegisterJapaneseFontSubstitutes();
