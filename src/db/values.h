#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <optional>

// The module's conversions of values, with the run-time errors a user of the old module
// would see: 13 type mismatch, 6 overflow, 94 invalid use of Null. A database NULL is an
// invalid QVariant.
namespace kadu2217::value {

bool isNull(const QVariant &v);

// Whole numbers round half to even, as the old conversions did.
qint16 toInt16(const QVariant &v);
qint32 toInt32(const QVariant &v);
double toDouble(const QVariant &v);
bool toBool(const QVariant &v);
QDateTime toDateTime(const QVariant &v);
// Fails on NULL (94).
QString toText(const QVariant &v);
// NULL as empty text; what grids and labels show.
QString displayText(const QVariant &v);

// Reads a number written in the user's locale or with '.', nothing else around it but blanks.
std::optional<double> parseNumber(const QString &text);

// The number at the start of a text (blanks skipped, stops at the first character that
// cannot continue it, 0 when there is none).
double leadingNumber(const QString &text);

// A number for SQL text: '.' as decimal separator and enough digits to read back the same
// double, whatever the locale.
QString sqlNumber(double v);

// A text for inside a quoted SQL literal: every apostrophe doubled.
QString sqlEscaped(const QString &text);

// A date for SQL text in the given pattern, e.g. "yyyymmdd" as 20120315.
QString sqlDate(const QDate &d, const QString &pattern);

// The grid formats "0.000" (exactly three decimals) and "0.###" (up to three; the
// separator is written even when no decimals follow), with the locale's separator.
QString formatFixed3(double v, const QLocale &locale = QLocale());
QString formatUpTo3(double v, const QLocale &locale = QLocale());

// A date as the locale's short date form.
QString shortDate(const QDate &d, const QLocale &locale = QLocale());

} // namespace kadu2217::value
