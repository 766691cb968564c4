#pragma once

#include <QDate>
#include <QString>

// "yyyy/mm/dd" or "yyyy年mm月dd日(aaa)" (aaa = one-character Japanese weekday).
QString FormatDate(const QDate &date, const QString &mask);
