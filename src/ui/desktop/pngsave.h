#pragma once
// A widget's picture saved as PNG: to a path, or to one the user chooses.

#include <QString>

class QWidget;

// Written through a temporary file; empty when saved, else why not (Japanese).
QString saveWidgetPng(QWidget *widget, const QString &path);
// Asks for the file (".png" added when missing) and saves; says why in a box when it fails.
void saveWidgetPngAs(QWidget *widget, const QString &fileName, const QString &title);
