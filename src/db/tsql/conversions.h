#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// SQL Server's conversions of text to numbers, shared by the translation (literals) and the
// registered functions (values).
namespace kadu2217::tsql {

enum class IntegerText { Valid, Invalid, Overflow };

// convert(int, text): blanks around, an optional sign and digits; '' and a sign alone are 0.
IntegerText parseIntegerText(QStringView text, qint32 &value);

// convert(float, text): blanks around, sign, digits, point, exponent; '' is 0.
std::optional<double> parseFloatText(QStringView text);

// convert(decimal, text): as float but without an exponent.
std::optional<double> parseDecimalText(QStringView text);

// convert(money, text): as decimal, with a currency sign and thousands commas allowed.
std::optional<double> parseMoneyText(QStringView text);

// isnumeric(text): 1 when the text converts to any numeric type, money included.
bool isNumericText(QStringView text);

// SQL Server's messages for those failures.
QString intConversionMessage(QStringView text);
QString intOverflowMessage(QStringView text);
QString arithmeticOverflowMessage(const char *type);
QString numericConversionMessage(const char *type);
QString dateConversionMessage();

} // namespace kadu2217::tsql
