#pragma once
// How the season commands write their numbers and fields.

#include "core/season/seasonfit.h"

#include <QByteArray>
#include <QString>

// printf's "%.Nf" (std::to_chars promises the same digits).
void appendFixed(QByteArray &out, double value, int decimals);

// printf's "%.Ng".
void appendGeneral(QByteArray &out, double value, int precision);

// A fitted value or its standard error as fit prints them: printf's "%.9g".
void appendFitNumber(QByteArray &out, double value);

// Every field on one line, whatever a file name or a reader's message holds.
QByteArray lineField(const QString &text);
