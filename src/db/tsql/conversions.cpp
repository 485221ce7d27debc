#include "db/tsql/conversions.h"

#include <QLocale>

namespace kadu2217::tsql {
namespace {

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isSign(QChar c) { return c == u'+' || c == u'-'; }

QStringView trimBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front() == u' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    return text;
}

qsizetype skipDigits(QStringView text, qsizetype i)
{
    while (i < text.size() && isDigit(text[i]))
        ++i;
    return i;
}

// [sign] digits [. digits] | [sign] . digits, then an exponent when one of exponentMarks
// follows. Returns whether all of the text matched.
bool matchesNumber(QStringView text, const char16_t *exponentMarks)
{
    qsizetype i = 0;
    if (i < text.size() && isSign(text[i]))
        ++i;
    const qsizetype integerStart = i;
    i = skipDigits(text, i);
    bool anyDigit = i > integerStart;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fractionStart = ++i;
        i = skipDigits(text, i);
        anyDigit = anyDigit || i > fractionStart;
    }
    if (!anyDigit)
        return false;
    if (i < text.size() && exponentMarks) {
        for (const char16_t *mark = exponentMarks; *mark; ++mark) {
            if (text[i] != QChar(*mark))
                continue;
            ++i;
            if (i < text.size() && isSign(text[i]))
                ++i;
            const qsizetype exponentStart = i;
            i = skipDigits(text, i);
            return i == text.size() && i > exponentStart;
        }
    }
    return i == text.size();
}

// [sign] [currency] [sign] digits and commas [. digits], one sign at most; digits may be
// missing altogether ('$', '.', ',' and '-' all read as 0).
bool matchesMoney(QStringView text)
{
    qsizetype i = 0;
    bool signSeen = false;
    if (i < text.size() && isSign(text[i])) {
        signSeen = true;
        ++i;
    }
    if (i < text.size() && text[i].category() == QChar::Symbol_Currency)
        ++i;
    if (!signSeen && i < text.size() && isSign(text[i]))
        ++i;
    while (i < text.size() && (isDigit(text[i]) || text[i] == u','))
        ++i;
    if (i < text.size() && text[i] == u'.')
        i = skipDigits(text, i + 1);
    return i == text.size();
}

std::optional<double> toDouble(QStringView text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

IntegerText parseIntegerText(QStringView text, qint32 &value)
{
    text = trimBlanks(text);
    value = 0;
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && isSign(text[0]))
        ++i;
    qint64 magnitude = 0;
    bool overflow = false;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return IntegerText::Invalid;
        magnitude = magnitude * 10 + (text[i].unicode() - u'0');
        if (magnitude > qint64(1) << 31) {
            overflow = true;
            magnitude = qint64(1) << 31;
        }
    }
    const qint64 signedValue = negative ? -magnitude : magnitude;
    if (overflow || signedValue > INT32_MAX || signedValue < INT32_MIN)
        return IntegerText::Overflow;
    value = qint32(signedValue);
    return IntegerText::Valid;
}

std::optional<double> parseFloatText(QStringView text)
{
    text = trimBlanks(text);
    if (text.isEmpty())
        return 0.0;
    if (!matchesNumber(text, u"eE"))
        return std::nullopt;
    return toDouble(text);
}

std::optional<double> parseDecimalText(QStringView text)
{
    text = trimBlanks(text);
    if (!matchesNumber(text, nullptr))
        return std::nullopt;
    return toDouble(text);
}

std::optional<double> parseMoneyText(QStringView text)
{
    text = trimBlanks(text);
    if (!matchesMoney(text))
        return std::nullopt;
    QString digits;
    digits.reserve(text.size());
    for (QChar c : text) {
        if (isDigit(c) || c == u'.' || c == u'-')
            digits.append(c);
    }
    if (digits.isEmpty() || digits == u"-" || digits == u"." || digits == u"-.")
        return 0.0;
    return toDouble(digits);
}

bool isNumericText(QStringView text)
{
    text = text.trimmed();
    if (text.isEmpty())
        return false;
    // 'd' marks an exponent as 'e' does (observed: isnumeric('7d8') is 1)
    return matchesNumber(text, u"eEdD") || matchesMoney(text);
}

QString intConversionMessage(QStringView text)
{
    return QStringLiteral("Conversion failed when converting the varchar value '%1' to data type int.")
        .arg(text);
}

QString intOverflowMessage(QStringView text)
{
    return QStringLiteral("The conversion of the varchar value '%1' overflowed an int column.").arg(text);
}

QString arithmeticOverflowMessage(const char *type)
{
    return QStringLiteral("Arithmetic overflow error converting expression to data type %1.")
        .arg(QLatin1String(type));
}

QString numericConversionMessage(const char *type)
{
    return QStringLiteral("Error converting data type varchar to %1.").arg(QLatin1String(type));
}

QString dateConversionMessage()
{
    return QStringLiteral("Conversion failed when converting date and/or time from character string.");
}

} // namespace kadu2217::tsql
