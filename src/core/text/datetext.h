#pragma once

#include <QDate>
#include <QString>
#include <optional>

// "yyyy/mm/dd" or "yyyy年mm月dd日(aaa)" (aaa = one-character Japanese weekday).
QString formatDate(const QDate &date, const QString &mask);

// The date a document's date field holds: "yyyy/mm/dd", "yyyy-mm-dd" or "yyyy年m月d日", months
// and days with or without a leading zero, full-width digits too, a weekday in brackets
// ("(月)", "（月曜日）") allowed after it. Nothing when the text is no such date.
std::optional<QDate> parseDateField(const QString &text);
