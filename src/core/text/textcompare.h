#pragma once

#include <QString>
#include <QStringList>

// Comparison "as text": letter case and full-width/half-width forms are folded
// (half-width katakana with voiced marks equal their full-width forms: ｵｯｽﾞ = オッズ).
QString foldText(const QString &text);
bool textEquals(const QString &a, const QString &b);
// Position (in the original text) of the first match of needle at or after from, or -1.
qsizetype textIndexOf(const QString &haystack, const QString &needle, qsizetype from = 0);
bool textContains(const QString &haystack, const QString &needle);
bool textStartsWith(const QString &text, const QString &prefix);
// Number of characters of text from pos that equal needle as text, or -1 when they do not.
qsizetype textMatchLength(const QString &text, qsizetype pos, const QString &needle);
// Splits at every separator matched as text (so "，" splits like ","). Keeps empty fields;
// an empty text gives one empty field, an empty separator the whole text.
QStringList textSplit(const QString &text, const QString &separator);
// Replaces every match of from (as text) by to.
QString textReplace(const QString &text, const QString &from, const QString &to);
// Pattern match as text: "*" any run, "?" any one character, "#" one digit.
bool textLike(const QString &text, const QString &pattern);

// Full-width form of the printable ASCII characters of text (digits "1" -> "１").
QString toFullWidth(const QString &text);
