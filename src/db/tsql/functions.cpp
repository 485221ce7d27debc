#include "db/tsql/translator.h"

#include "db/tsql/builtins.h"
#include "db/tsql/conversions.h"
#include "db/tsql/failure.h"
#include "db/tsql/lexer.h"
#include "db/tsql/sqldatetime.h"

#include <kadu2217/error.h>
#include <sqlite3.h>

#include <QVarLengthArray>

#include <cmath>
#include <cstring>
#include <limits>

// The T-SQL functions the translation calls, all named tsql_* so that none replaces one of
// SQLite's own. A failure is reported as SQL Server words it, behind a marker that
// errorNumberForMessage turns into the ADO number.
namespace kadu2217::tsql {
namespace {

const QLatin1String ConversionMarker("[conversion] ");
const QLatin1String StatementMarker("[tsql] ");

void reportError(sqlite3_context *context, QLatin1String marker, const QString &message)
{
    const QByteArray text = QString(marker + message).toUtf8();
    sqlite3_result_error(context, text.constData(), int(text.size()));
}

void conversionError(sqlite3_context *context, const QString &message)
{
    reportError(context, ConversionMarker, message);
}

void statementError(sqlite3_context *context, const QString &message)
{
    reportError(context, StatementMarker, message);
}

bool isNull(sqlite3_value *value) { return sqlite3_value_type(value) == SQLITE_NULL; }

bool anyNull(int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (isNull(argv[i]))
            return true;
    }
    return false;
}

bool isText(sqlite3_value *value)
{
    const int type = sqlite3_value_type(value);
    return type == SQLITE_TEXT || type == SQLITE_BLOB;
}

QByteArray utf8Of(sqlite3_value *value)
{
    const char *bytes = reinterpret_cast<const char *>(sqlite3_value_text(value));
    return QByteArray::fromRawData(bytes, sqlite3_value_bytes(value));
}

// A float as text: up to 15 significant digits, no trailing zeros (our choice; SQL Server
// writes a float with 6 and a decimal with its scale, which SQLite cannot tell apart).
QString floatText(double value) { return QString::number(value, 'g', 15); }

// The value as SQL Server's implicit conversion to varchar gives it.
QString textOf(sqlite3_value *value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER: return QString::number(sqlite3_value_int64(value));
    case SQLITE_FLOAT: return floatText(sqlite3_value_double(value));
    default: return QString::fromUtf8(utf8Of(value));
    }
}

void resultText(sqlite3_context *context, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    sqlite3_result_text(context, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
}

// A text with the trailing blanks SQL Server's comparisons and len() disregard cut off.
int lengthWithoutTrailingBlanks(const char *bytes, int length)
{
    while (length > 0 && bytes[length - 1] == ' ')
        --length;
    return length;
}

bool isAscii(const char *bytes, int length)
{
    for (int i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

// A text value's bytes when it is ASCII, where characters and bytes are one and the same.
bool asciiText(sqlite3_value *value, const char *&bytes, int &size)
{
    if (sqlite3_value_type(value) != SQLITE_TEXT)
        return false;
    bytes = reinterpret_cast<const char *>(sqlite3_value_text(value));
    size = sqlite3_value_bytes(value);
    return bytes && isAscii(bytes, size);
}

// Calls use(QStringView) with the value as textOf() gives it. A short ASCII text, what a
// scan over many rows mostly meets, is widened on the stack instead of the heap.
template<typename Use>
auto withText(sqlite3_value *value, Use use)
{
    const char *bytes = nullptr;
    int size = 0;
    constexpr int kShort = 128;
    if (asciiText(value, bytes, size) && size <= kShort) {
        char16_t wide[kShort];
        for (int i = 0; i < size; ++i)
            wide[i] = char16_t(static_cast<unsigned char>(bytes[i]));
        return use(QStringView(wide, size));
    }
    const QString text = textOf(value);
    return use(QStringView(text));
}

// convert(int, text). False after reporting the failure.
bool intOfText(sqlite3_context *context, QStringView text, qint64 &result)
{
    qint32 parsed = 0;
    switch (parseIntegerText(text, parsed)) {
    case IntegerText::Valid:
        result = parsed;
        return true;
    case IntegerText::Invalid:
        conversionError(context, intConversionMessage(text));
        return false;
    case IntegerText::Overflow:
        conversionError(context, intOverflowMessage(text));
        return false;
    }
    return false;
}

// convert(int, value). False after reporting the failure.
bool toInt(sqlite3_context *context, sqlite3_value *value, qint64 &result)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        result = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT: {
        const double real = std::trunc(sqlite3_value_double(value));
        if (!(real >= double(INT32_MIN) && real <= double(INT32_MAX))) {
            conversionError(context, arithmeticOverflowMessage("int"));
            return false;
        }
        result = qint64(real);
        return true;
    }
    default:
        return withText(value, [&](QStringView text) { return intOfText(context, text, result); });
    }
    if (result < INT32_MIN || result > INT32_MAX) {
        conversionError(context, arithmeticOverflowMessage("int"));
        return false;
    }
    return true;
}

// convert(float, text). False after reporting the failure.
bool floatOfText(sqlite3_context *context, QStringView text, double &result)
{
    const auto parsed = parseFloatText(text);
    if (!parsed) {
        conversionError(context, numericConversionMessage("float"));
        return false;
    }
    result = *parsed;
    return true;
}

// convert(float, value). False after reporting the failure.
bool toFloat(sqlite3_context *context, sqlite3_value *value, double &result)
{
    if (!isText(value)) {
        result = sqlite3_value_double(value);
        return true;
    }
    return floatOfText(context, textOf(value), result);
}

// A datetime from canonical text, any other text SQL Server reads, or a number of days
// since 1 January 1900. Nothing when the text is no datetime.
std::optional<sqldt::Stamp> stampOf(sqlite3_value *value)
{
    if (!isText(value)) {
        const double days = sqlite3_value_double(value);
        if (!(days >= sqldt::FirstDay && days < sqldt::LastDay + 1))
            return std::nullopt;
        const double whole = std::floor(days);
        sqldt::Stamp stamp = sqldt::baseDate();
        stamp.date = stamp.date.addDays(qint64(whole));
        stamp.msecs = int(std::llround((days - whole) * 86400000.0));
        stamp = sqldt::roundToDatetimePrecision(stamp);
        if (!sqldt::inRange(stamp))
            return std::nullopt;
        return stamp;
    }
    const QString text = QString::fromUtf8(utf8Of(value));
    if (text.trimmed().isEmpty())
        return sqldt::baseDate();
    return sqldt::parseStamp(text);
}

void tsqlGetDate(sqlite3_context *context, int, sqlite3_value **)
{
    resultText(context, sqldt::canonical(sqldt::toStamp(sqldt::serverNow())));
}

void tsqlDateTime(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    const auto stamp = stampOf(argv[0]);
    if (!stamp && !isText(argv[0]))
        return conversionError(context, arithmeticOverflowMessage("datetime"));
    if (!stamp)
        return conversionError(context, dateConversionMessage());
    resultText(context, sqldt::canonical(*stamp));
}

// A datetime as text: style 0 unless another style is given (112, 120, 121).
void tsqlDateText(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    const auto stamp = isText(argv[0]) ? sqldt::parseStamp(QString::fromUtf8(utf8Of(argv[0])))
                                       : std::nullopt;
    if (!stamp)
        return sqlite3_result_value(context, argv[0]); // not a datetime: unchanged
    switch (argc > 1 ? sqlite3_value_int(argv[1]) : 0) {
    case 112:
        return resultText(context, stamp->date.toString(QStringLiteral("yyyyMMdd")));
    case 120:
        return resultText(context, sqldt::canonical(*stamp).left(19));
    case 121:
        return resultText(context, sqldt::canonical(*stamp));
    default:
        return resultText(context, sqldt::styleZero(*stamp));
    }
}

// Boundaries of the unit crossed from start to end.
void tsqlDateDiff(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (anyNull(3, argv))
        return sqlite3_result_null(context);
    const auto start = stampOf(argv[1]);
    const auto end = stampOf(argv[2]);
    if (!start || !end)
        return conversionError(context, dateConversionMessage());
    const char *unit = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const qint64 startDay = start->date.toJulianDay();
    const qint64 endDay = end->date.toJulianDay();
    const qint64 days = endDay - startDay;
    qint64 difference = 0;
    if (std::strcmp(unit, "year") == 0) {
        difference = end->date.year() - start->date.year();
    } else if (std::strcmp(unit, "quarter") == 0) {
        difference = (end->date.year() * 4 + (end->date.month() - 1) / 3)
            - (start->date.year() * 4 + (start->date.month() - 1) / 3);
    } else if (std::strcmp(unit, "month") == 0) {
        difference = (end->date.year() * 12 + end->date.month())
            - (start->date.year() * 12 + start->date.month());
    } else if (std::strcmp(unit, "week") == 0) {
        // weeks begin on Sunday; the julian day of a Sunday is 6 modulo 7
        difference = (endDay + 1) / 7 - (startDay + 1) / 7;
    } else if (std::strcmp(unit, "hour") == 0) {
        difference = days * 24 + end->msecs / 3600000 - start->msecs / 3600000;
    } else if (std::strcmp(unit, "minute") == 0) {
        difference = days * 1440 + end->msecs / 60000 - start->msecs / 60000;
    } else if (std::strcmp(unit, "second") == 0) {
        difference = days * 86400 + end->msecs / 1000 - start->msecs / 1000;
    } else if (std::strcmp(unit, "millisecond") == 0) {
        difference = days * 86400000 + end->msecs - start->msecs;
    } else { // day, dayofyear, weekday
        difference = days;
    }
    if (difference < INT32_MIN || difference > INT32_MAX)
        return statementError(context, QStringLiteral(
            "The datediff function resulted in an overflow. The number of dateparts separating "
            "two date/time instances is too large. Try to use datediff with a less precise datepart."));
    sqlite3_result_int64(context, difference);
}

void tsqlInt(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    qint64 value = 0;
    if (toInt(context, argv[0], value))
        sqlite3_result_int64(context, value);
}

// The result of int arithmetic, computed by SQLite in 64 bits (or as a float past them).
void tsqlIntRange(sqlite3_context *context, int, sqlite3_value **argv)
{
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(context);
    const qint64 value = sqlite3_value_int64(argv[0]);
    if (type != SQLITE_INTEGER || value < INT32_MIN || value > INT32_MAX)
        return conversionError(context, arithmeticOverflowMessage("int"));
    sqlite3_result_int64(context, value);
}

void tsqlFloat(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    double value = 0;
    if (toFloat(context, argv[0], value))
        sqlite3_result_double(context, value);
}

// value × 10^scale as its shortest decimal text reads, so that 2.345 rounds as written
// rather than as the binary 2.34499999... it is stored as.
double shifted(double value, int scale)
{
    return QString::number(value * std::pow(10.0, scale), 'g', 15).toDouble();
}

double roundHalfAwayFromZero(double value, int scale)
{
    return std::round(shifted(value, scale)) / std::pow(10.0, scale);
}

void tsqlDecimal(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    const int scale = sqlite3_value_int(argv[1]);
    double value = sqlite3_value_double(argv[0]);
    if (isText(argv[0])) {
        const auto parsed = parseDecimalText(textOf(argv[0]));
        if (!parsed)
            return conversionError(context, numericConversionMessage("numeric"));
        value = *parsed;
    }
    sqlite3_result_double(context, roundHalfAwayFromZero(value, scale));
}

void tsqlMoney(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    double value = sqlite3_value_double(argv[0]);
    if (isText(argv[0])) {
        const auto parsed = parseMoneyText(textOf(argv[0]));
        if (!parsed)
            return conversionError(context, QStringLiteral(
                "Cannot convert a char value to money. The char value has incorrect syntax."));
        value = *parsed;
    }
    sqlite3_result_double(context, roundHalfAwayFromZero(value, 4));
}

// convert(varchar(n), value); char(n) pads with blanks. A length of -1 is varchar(max).
void convertToText(sqlite3_context *context, sqlite3_value **argv, bool pad)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    const int length = sqlite3_value_int(argv[1]);
    QString text = textOf(argv[0]);
    if (length >= 0 && text.size() > length) {
        if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
            text = QStringLiteral("*"); // an int too long for the text
        else if (sqlite3_value_type(argv[0]) == SQLITE_FLOAT)
            return conversionError(context, arithmeticOverflowMessage("varchar"));
        else
            text.truncate(length);
    }
    if (pad && text.size() < length)
        text = text.leftJustified(length, QLatin1Char(' '));
    resultText(context, text);
}

void tsqlVarchar(sqlite3_context *context, int, sqlite3_value **argv) { convertToText(context, argv, false); }

// A value stored into a text column of the given length: trailing blanks beyond it go
// quietly, anything else beyond it refuses the statement.
void tsqlFit(sqlite3_context *context, int, sqlite3_value **argv)
{
    const int length = sqlite3_value_int(argv[1]);
    const char *bytes = nullptr;
    int size = 0;
    if (isNull(argv[0]) || sqlite3_value_type(argv[0]) == SQLITE_BLOB || (asciiText(argv[0], bytes, size) && size <= length))
        return sqlite3_result_value(context, argv[0]);
    const QString text = textOf(argv[0]);
    if (text.size() <= length)
        return sqlite3_result_value(context, argv[0]);
    qsizetype kept = text.size();
    while (kept > length && text[kept - 1] == u' ')
        --kept;
    if (kept > length)
        return statementError(context, QStringLiteral("String or binary data would be truncated."));
    resultText(context, text.left(length));
}
void tsqlChar(sqlite3_context *context, int, sqlite3_value **argv) { convertToText(context, argv, true); }

void tsqlIsNumeric(sqlite3_context *context, int, sqlite3_value **argv)
{
    switch (sqlite3_value_type(argv[0])) {
    case SQLITE_NULL: return sqlite3_result_int(context, 0);
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: return sqlite3_result_int(context, 1);
    default: return sqlite3_result_int(context, isNumericText(textOf(argv[0])) ? 1 : 0);
    }
}

void tsqlLen(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    if (!isText(argv[0]))
        return sqlite3_result_int64(context, textOf(argv[0]).size());
    const QByteArray bytes = utf8Of(argv[0]);
    const int length = lengthWithoutTrailingBlanks(bytes.constData(), int(bytes.size()));
    if (isAscii(bytes.constData(), length))
        return sqlite3_result_int64(context, length);
    sqlite3_result_int64(context, QString::fromUtf8(bytes.constData(), length).size());
}

void leftOrRight(sqlite3_context *context, sqlite3_value **argv, bool left)
{
    if (anyNull(2, argv))
        return sqlite3_result_null(context);
    const qint64 count = sqlite3_value_int64(argv[1]);
    if (count < 0)
        return statementError(context, QStringLiteral("Invalid length parameter passed to the %1 function.")
                                           .arg(QLatin1String(left ? "left" : "right")));
    const char *bytes = nullptr;
    int size = 0;
    if (asciiText(argv[0], bytes, size)) {
        const int taken = int(std::min<qint64>(count, size));
        return sqlite3_result_text(context, left ? bytes : bytes + size - taken, taken, SQLITE_TRANSIENT);
    }
    const QString text = textOf(argv[0]);
    resultText(context, left ? text.left(count) : text.right(count));
}

void tsqlLeft(sqlite3_context *context, int, sqlite3_value **argv) { leftOrRight(context, argv, true); }
void tsqlRight(sqlite3_context *context, int, sqlite3_value **argv) { leftOrRight(context, argv, false); }

// 1-based; the characters from start to start + length - 1 that exist.
void tsqlSubstring(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (anyNull(3, argv))
        return sqlite3_result_null(context);
    const qint64 start = sqlite3_value_int64(argv[1]);
    const qint64 length = sqlite3_value_int64(argv[2]);
    if (length < 0)
        return statementError(context, QStringLiteral("Invalid length parameter passed to the substring function."));
    const qint64 first = std::max<qint64>(start, 1);
    const char *bytes = nullptr;
    int size = 0;
    // the length may be as large as a bigint holds: the end saturates instead of wrapping round
    qint64 stop = 0;
    if (__builtin_add_overflow(start, length, &stop))
        stop = std::numeric_limits<qint64>::max();
    if (asciiText(argv[0], bytes, size)) {
        const qint64 end = std::min<qint64>(stop, qint64(size) + 1);
        return end > first ? sqlite3_result_text(context, bytes + first - 1, int(end - first), SQLITE_TRANSIENT)
                           : resultText(context, QString());
    }
    const QString text = textOf(argv[0]);
    const qint64 end = std::min<qint64>(stop, qint64(text.size()) + 1);
    resultText(context, end > first ? text.mid(first - 1, end - first) : QString());
}

// ltrim and rtrim take off blanks only; tabs and line ends stay.
void trimBlanks(sqlite3_context *context, sqlite3_value **argv, bool leading)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    const QByteArray bytes = isText(argv[0]) ? utf8Of(argv[0]) : textOf(argv[0]).toUtf8();
    int begin = 0;
    int end = int(bytes.size());
    if (leading) {
        while (begin < end && bytes[begin] == ' ')
            ++begin;
    } else {
        end = lengthWithoutTrailingBlanks(bytes.constData(), end);
    }
    sqlite3_result_text(context, bytes.constData() + begin, end - begin, SQLITE_TRANSIENT);
}

void tsqlLTrim(sqlite3_context *context, int, sqlite3_value **argv) { trimBlanks(context, argv, true); }
void tsqlRTrim(sqlite3_context *context, int, sqlite3_value **argv) { trimBlanks(context, argv, false); }

void tsqlUpper(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    resultText(context, textOf(argv[0]).toUpper());
}

void tsqlLower(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    resultText(context, textOf(argv[0]).toLower());
}

// The default collation finds the pattern without regard to case.
void tsqlReplace(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (anyNull(3, argv))
        return sqlite3_result_null(context);
    QString text = textOf(argv[0]);
    const QString pattern = textOf(argv[1]);
    if (!pattern.isEmpty())
        text.replace(pattern, textOf(argv[2]), Qt::CaseInsensitive);
    resultText(context, text);
}

// round(x, n[, f]): half away from zero, or truncation when f is not 0; an int stays an int.
void tsqlRound(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (anyNull(2, argv))
        return sqlite3_result_null(context);
    const int places = sqlite3_value_int(argv[1]);
    const bool truncate = argc > 2 && !isNull(argv[2]) && sqlite3_value_int(argv[2]) != 0;
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        const qint64 value = sqlite3_value_int64(argv[0]);
        if (places >= 0)
            return sqlite3_result_int64(context, value);
        if (places < -18)
            return sqlite3_result_int64(context, 0);
        qint64 unit = 1;
        for (int i = 0; i < -places; ++i)
            unit *= 10;
        qint64 rounded = value / unit * unit;
        const qint64 rest = value - rounded;
        if (!truncate && 2 * (rest < 0 ? -rest : rest) >= unit
            && __builtin_add_overflow(rounded, rest < 0 ? -unit : unit, &rounded))
            return conversionError(context, arithmeticOverflowMessage(value < INT32_MIN || value > INT32_MAX ? "bigint" : "int"));
        return sqlite3_result_int64(context, rounded);
    }
    double value = 0;
    if (!toFloat(context, argv[0], value))
        return;
    sqlite3_result_double(context, truncate ? std::trunc(shifted(value, places)) / std::pow(10.0, places)
                                            : roundHalfAwayFromZero(value, places));
}

// round() of a decimal literal beyond int, given as its digits: the literal is decimal(p, 0)
// and its rounding is exact, one digit longer at most (up to decimal's 38), so that it may
// pass bigint's end. The result is a float while a float holds it exactly, then an integer,
// then the digits as text.
void tsqlDecimalRound(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (anyNull(2, argv))
        return sqlite3_result_null(context);
    using Digits = unsigned __int128;
    const QByteArray text = utf8Of(argv[0]);
    const bool negative = text.startsWith('-');
    Digits magnitude = 0;
    for (qsizetype i = negative ? 1 : 0; i < text.size(); ++i)
        magnitude = magnitude * 10 + Digits(text[i] - '0');
    constexpr int MaxPrecision = 38;
    Digits largest = 1; // 10^38, decimal's first value out of reach
    for (int i = 0; i < MaxPrecision; ++i)
        largest *= 10;
    const int places = sqlite3_value_int(argv[1]);
    const bool truncate = argc > 2 && !isNull(argv[2]) && sqlite3_value_int(argv[2]) != 0;
    if (places < -MaxPrecision) {
        magnitude = 0;
    } else if (places < 0) {
        Digits unit = 1;
        for (int i = 0; i < -places; ++i)
            unit *= 10;
        const Digits rest = magnitude % unit;
        magnitude -= rest;
        if (!truncate && rest >= unit - rest)
            magnitude += unit;
    }
    if (magnitude >= largest)
        return conversionError(context, arithmeticOverflowMessage("numeric"));
    if (magnitude <= Digits(1) << std::numeric_limits<double>::digits)
        return sqlite3_result_double(context, negative ? -double(magnitude) : double(magnitude));
    if (magnitude <= Digits(std::numeric_limits<qint64>::max()))
        return sqlite3_result_int64(context, negative ? -qint64(magnitude) : qint64(magnitude));
    QByteArray digits;
    for (; magnitude > 0; magnitude /= 10)
        digits.prepend(char('0' + int(magnitude % 10)));
    if (negative)
        digits.prepend('-');
    sqlite3_result_text(context, digits.constData(), int(digits.size()), SQLITE_TRANSIENT);
}

void floorOrCeiling(sqlite3_context *context, sqlite3_value **argv, bool ceiling)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_value(context, argv[0]);
    double value = 0;
    if (toFloat(context, argv[0], value))
        sqlite3_result_double(context, ceiling ? std::ceil(value) : std::floor(value));
}

void tsqlFloor(sqlite3_context *context, int, sqlite3_value **argv) { floorOrCeiling(context, argv, false); }
void tsqlCeiling(sqlite3_context *context, int, sqlite3_value **argv) { floorOrCeiling(context, argv, true); }

// year(), month() and day(); the part is chosen by the function's user data.
void tsqlDatePart(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(context);
    const auto stamp = stampOf(argv[0]);
    if (!stamp)
        return conversionError(context, dateConversionMessage());
    const char part = *static_cast<const char *>(sqlite3_user_data(context));
    sqlite3_result_int(context, part == 'y' ? stamp->date.year()
                                : part == 'm' ? stamp->date.month() : stamp->date.day());
}

// A value tsql_calc works on: one of its operands, or what an operator made of them.
struct Operand {
    int type = SQLITE_NULL; // SQLITE_NULL, SQLITE_INTEGER, SQLITE_FLOAT or SQLITE_TEXT (a blob's bytes too)
    qint64 integer = 0;
    double real = 0;
    QByteArray text; // UTF-8
};

Operand operandOf(sqlite3_value *value)
{
    Operand operand;
    operand.type = sqlite3_value_type(value);
    switch (operand.type) {
    case SQLITE_NULL: break;
    case SQLITE_INTEGER: operand.integer = sqlite3_value_int64(value); break;
    case SQLITE_FLOAT: operand.real = sqlite3_value_double(value); break;
    default:
        operand.type = SQLITE_TEXT;
        operand.text = utf8Of(value);
        break;
    }
    return operand;
}

// One operator ('+', '-', '*', '/', '%') as SQL Server applies it; the result replaces left.
// False after reporting the failure.
bool applyOperator(sqlite3_context *context, char op, Operand &left, const Operand &right)
{
    if (left.type == SQLITE_NULL || right.type == SQLITE_NULL) {
        left = Operand();
        return true;
    }
    const bool leftText = left.type == SQLITE_TEXT;
    const bool rightText = right.type == SQLITE_TEXT;
    if (leftText && rightText) {
        if (op != '+') {
            static const char *const names[] = {"subtract", "multiply", "divide", "modulo"};
            const int index = op == '-' ? 0 : op == '*' ? 1 : op == '/' ? 2 : 3;
            statementError(context, QStringLiteral("Operand data type varchar is invalid for %1 operator.")
                                        .arg(QLatin1String(names[index])));
            return false;
        }
        left.text = left.text + right.text;
        return true;
    }
    // a text meets a number: it converts to the number's type (int outranks varchar)
    if ((leftText || left.type == SQLITE_INTEGER) && (rightText || right.type == SQLITE_INTEGER)) {
        const auto integerOf = [&](const Operand &operand, qint64 &out) {
            if (operand.type != SQLITE_TEXT) {
                out = operand.integer;
                return true;
            }
            return intOfText(context, QString::fromUtf8(operand.text), out);
        };
        qint64 a = 0, b = 0;
        if (!integerOf(left, a) || !integerOf(right, b))
            return false;
        qint64 result = 0;
        bool overflow = false;
        switch (op) {
        case '+': overflow = __builtin_add_overflow(a, b, &result); break;
        case '-': overflow = __builtin_sub_overflow(a, b, &result); break;
        case '*': overflow = __builtin_mul_overflow(a, b, &result); break;
        default:
            if (b == 0) {
                statementError(context, QStringLiteral("Divide by zero error encountered."));
                return false;
            }
            overflow = a == std::numeric_limits<qint64>::min() && b == -1;
            result = overflow ? 0 : op == '/' ? a / b : a % b;
            break;
        }
        // int operands give an int, which must hold the result; an operand beyond int's range
        // is a bigint (or a whole decimal), which goes as far as bigint's
        const auto isInt = [](qint64 value) { return value >= INT32_MIN && value <= INT32_MAX; };
        const bool ints = isInt(a) && isInt(b);
        if (overflow || (ints && !isInt(result))) {
            conversionError(context, arithmeticOverflowMessage(ints ? "int" : "bigint"));
            return false;
        }
        left = Operand();
        left.type = SQLITE_INTEGER;
        left.integer = result;
        return true;
    }
    const auto realOf = [&](const Operand &operand, double &out) {
        switch (operand.type) {
        case SQLITE_INTEGER: out = double(operand.integer); return true;
        case SQLITE_FLOAT: out = operand.real; return true;
        default: return floatOfText(context, QString::fromUtf8(operand.text), out);
        }
    };
    double a = 0, b = 0;
    if (!realOf(left, a) || !realOf(right, b))
        return false;
    if ((op == '/' || op == '%') && b == 0) {
        statementError(context, QStringLiteral("Divide by zero error encountered."));
        return false;
    }
    left = Operand();
    left.type = SQLITE_FLOAT;
    switch (op) {
    case '+': left.real = a + b; break;
    case '-': left.real = a - b; break;
    case '*': left.real = a * b; break;
    case '/': left.real = a / b; break;
    default: left.real = std::fmod(a, b); break;
    }
    return true;
}

// tsql_calc(program, operands...): the operators SQLite's own do not give SQL Server's result
// for, a whole tree of them in one call. The program is the tree in postfix order, '.' for
// the next operand and an operator's character for the operator: (a + 1) * b is '..+.*'.
void tsqlCalculate(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    const QByteArray program = utf8Of(argv[0]);
    QVarLengthArray<Operand, 8> stack; // a left-leaning tree, the usual one, needs two
    int next = 1;
    for (const char step : program) {
        if (step == '.' && next < argc) {
            stack.append(operandOf(argv[next++]));
            continue;
        }
        if (step == '.' || stack.size() < 2)
            return sqlite3_result_error(context, "tsql_calc: the program does not fit its operands", -1);
        const Operand right = std::move(stack.back());
        stack.removeLast();
        if (!applyOperator(context, step, stack.back(), right))
            return;
    }
    if (stack.size() != 1 || next != argc)
        return sqlite3_result_error(context, "tsql_calc: the program does not fit its operands", -1);
    const Operand &result = stack.back();
    switch (result.type) {
    case SQLITE_NULL: return sqlite3_result_null(context);
    case SQLITE_INTEGER: return sqlite3_result_int64(context, result.integer);
    case SQLITE_FLOAT: return sqlite3_result_double(context, result.real);
    default: return sqlite3_result_text(context, result.text.constData(), int(result.text.size()), SQLITE_TRANSIENT);
    }
}

// QChar::toCaseFolded(), with ASCII, which folds only A to Z, answered inline.
QChar folded(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return QChar(u >= u'A' && u <= u'Z' ? char16_t(u + (u'a' - u'A')) : u);
    return c.toCaseFolded();
}

bool sameLetter(QChar a, QChar b) { return a == b || folded(a) == folded(b); }

// A [set] of the pattern at position i (just past '['): whether c is in it; end gets the
// position after ']'. False with end = -1 when the set is not closed.
bool inSet(QStringView pattern, qsizetype i, QChar c, qsizetype &end)
{
    const bool negated = i < pattern.size() && pattern[i] == u'^';
    if (negated)
        ++i;
    bool found = false;
    const QChar foldedC = folded(c);
    for (; i < pattern.size() && pattern[i] != u']'; ++i) {
        if (i + 2 < pattern.size() && pattern[i + 1] == u'-' && pattern[i + 2] != u']') {
            const QChar low = folded(pattern[i]), high = folded(pattern[i + 2]);
            found = found || (foldedC >= low && foldedC <= high);
            i += 2;
        } else {
            found = found || pattern[i] == c || folded(pattern[i]) == foldedC;
        }
    }
    end = i < pattern.size() ? i + 1 : -1;
    return found != negated;
}

// LIKE under the default collation: % any run, _ one character, [abc], [a-c], [^a].
bool likeMatches(QStringView text, QStringView pattern, QChar escape)
{
    qsizetype t = 0, p = 0;
    qsizetype starPattern = -1, starText = 0;
    while (t < text.size()) {
        bool advanced = false;
        if (p < pattern.size()) {
            const QChar pc = pattern[p];
            if (pc == u'%' && pc != escape) {
                starPattern = ++p;
                starText = t;
                continue;
            }
            if (!escape.isNull() && pc == escape && p + 1 < pattern.size()) {
                if (sameLetter(pattern[p + 1], text[t])) {
                    p += 2;
                    ++t;
                    advanced = true;
                }
            } else if (pc == u'[') {
                qsizetype end = -1;
                if (inSet(pattern, p + 1, text[t], end) && end > 0) {
                    p = end;
                    ++t;
                    advanced = true;
                }
            } else if (pc == u'_' || sameLetter(pc, text[t])) {
                ++p;
                ++t;
                advanced = true;
            }
        }
        if (advanced)
            continue;
        if (starPattern < 0)
            return false;
        p = starPattern;
        t = ++starText;
    }
    while (p < pattern.size() && pattern[p] == u'%')
        ++p;
    return p == pattern.size();
}

void tsqlLike(sqlite3_context *context, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        return sqlite3_result_null(context);
    const QString escape = argc > 2 ? textOf(argv[2]) : QString();
    if (argc > 2 && escape.size() != 1)
        return statementError(context, QStringLiteral("The invalid escape character \"%1\" was specified in a LIKE predicate.")
                                           .arg(escape));
    const QChar escapeChar = escape.isEmpty() ? QChar() : escape[0];
    const bool matches = withText(argv[0], [&](QStringView text) {
        return withText(argv[1], [&](QStringView pattern) { return likeMatches(text, pattern, escapeChar); });
    });
    sqlite3_result_int(context, matches ? 1 : 0);
}

// Beyond ASCII: letters first by their base letter without regard to case (Ä sorts with A, as in
// SQL Server's Latin1 collations), then accents tell them apart.
int compareUnicode(const QString &left, const QString &right)
{
    const auto baseLetters = [](const QString &text) {
        QString base;
        base.reserve(text.size());
        for (QChar c : text.normalized(QString::NormalizationForm_D)) {
            if (c.category() != QChar::Mark_NonSpacing)
                base.append(c.toCaseFolded());
        }
        return base;
    };
    const int primary = baseLetters(left).compare(baseLetters(right));
    return primary != 0 ? primary : left.compare(right, Qt::CaseInsensitive);
}

// The TSQL collation: letter case and trailing blanks do not count. ASCII is compared in
// place; the rest of a text from its first other character goes through QString.
int compareTsql(void *, int leftLength, const void *leftData, int rightLength, const void *rightData)
{
    const auto *left = static_cast<const unsigned char *>(leftData);
    const auto *right = static_cast<const unsigned char *>(rightData);
    leftLength = lengthWithoutTrailingBlanks(reinterpret_cast<const char *>(left), leftLength);
    rightLength = lengthWithoutTrailingBlanks(reinterpret_cast<const char *>(right), rightLength);
    const int common = std::min(leftLength, rightLength);
    for (int i = 0; i < common; ++i) {
        unsigned char a = left[i], b = right[i];
        if ((a | b) & 0x80) {
            const QString restLeft = QString::fromUtf8(reinterpret_cast<const char *>(left + i), leftLength - i);
            const QString restRight = QString::fromUtf8(reinterpret_cast<const char *>(right + i), rightLength - i);
            return compareUnicode(restLeft, restRight);
        }
        if (a >= 'A' && a <= 'Z')
            a += 32;
        if (b >= 'A' && b <= 'Z')
            b += 32;
        if (a != b)
            return a < b ? -1 : 1;
    }
    return leftLength < rightLength ? -1 : leftLength > rightLength ? 1 : 0;
}

void define(sqlite3 *db, const char *name, int arguments, Implementation implementation,
            const void *userData = nullptr, bool deterministic = true)
{
    const int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS | (deterministic ? SQLITE_DETERMINISTIC : 0);
    const int rc = sqlite3_create_function_v2(db, name, arguments, flags, const_cast<void *>(userData),
                                              implementation, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw Error(errnum::Unspecified, QStringLiteral("Cannot register the function %1: %2")
                                             .arg(QLatin1String(name), QString::fromUtf8(sqlite3_errmsg(db))),
                    QStringLiteral("SQLite"));
}

using F = CallForm;
using R = ResultType;
using W = Writing;

// Sorted by name for the look-up.
const BuiltIn BuiltIns[] = {
    {"abs", F::List, 1, 1, R::Number, W::Call, "abs"},
    {"avg", F::Aggregate, 1, 1, R::NumberOrUnknown, W::Call, "avg"},
    {"cast", F::Cast, 1, 1, R::Target, W::Call, nullptr},
    {"ceiling", F::List, 1, 1, R::Number, W::Call, "tsql_ceiling", tsqlCeiling},
    {"coalesce", F::List, 2, 255, R::Shared, W::Call, "coalesce"},
    {"convert", F::Convert, 2, 3, R::Target, W::Call, nullptr},
    {"count", F::Count, 1, 1, R::Integer, W::Call, "count"},
    {"datediff", F::DateDiff, 3, 3, R::Integer, W::Call, "tsql_datediff", tsqlDateDiff},
    {"day", F::List, 1, 1, R::Integer, W::Call, "tsql_day", tsqlDatePart, "d"},
    {"floor", F::List, 1, 1, R::Number, W::Call, "tsql_floor", tsqlFloor},
    {"getdate", F::List, 0, 0, R::DateTime, W::Call, "tsql_getdate", tsqlGetDate, nullptr, false},
    {"isnull", F::List, 2, 2, R::FirstArgument, W::IfNull, "ifnull"},
    {"isnumeric", F::List, 1, 1, R::Integer, W::TextCall, "tsql_isnumeric", tsqlIsNumeric},
    {"left", F::List, 2, 2, R::Text, W::TextCall, "tsql_left", tsqlLeft},
    {"len", F::List, 1, 1, R::Integer, W::TextCall, "tsql_len", tsqlLen},
    {"lower", F::List, 1, 1, R::Text, W::TextCall, "tsql_lower", tsqlLower},
    {"ltrim", F::List, 1, 1, R::Text, W::TextCall, "tsql_ltrim", tsqlLTrim},
    {"max", F::Aggregate, 1, 1, R::FirstArgument, W::Call, "max"},
    {"min", F::Aggregate, 1, 1, R::FirstArgument, W::Call, "min"},
    {"month", F::List, 1, 1, R::Integer, W::Call, "tsql_month", tsqlDatePart, "m"},
    {"object_id", F::List, 1, 1, R::Integer, W::ObjectId, nullptr},
    {"replace", F::List, 3, 3, R::Text, W::AllTextCall, "tsql_replace", tsqlReplace},
    {"right", F::List, 2, 2, R::Text, W::TextCall, "tsql_right", tsqlRight},
    {"round", F::List, 2, 3, R::Number, W::Round, "tsql_round", tsqlRound},
    {"rtrim", F::List, 1, 1, R::Text, W::TextCall, "tsql_rtrim", tsqlRTrim},
    {"substring", F::List, 3, 3, R::Text, W::TextCall, "tsql_substring", tsqlSubstring},
    {"sum", F::Aggregate, 1, 1, R::NumberOrUnknown, W::Call, "sum"},
    {"upper", F::List, 1, 1, R::Text, W::TextCall, "tsql_upper", tsqlUpper},
    {"year", F::List, 1, 1, R::Integer, W::Call, "tsql_year", tsqlDatePart, "y"},
};

} // namespace

const BuiltIn *findBuiltIn(QStringView name) { return lookUpWord(BuiltIns, name); }

void registerFunctions(sqlite3 *db)
{
    // An unknown [name] or "name" is an invalid column, as on SQL Server, never a text.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    for (const BuiltIn &builtIn : BuiltIns) {
        if (!builtIn.implementation)
            continue;
        for (int arguments = builtIn.minArguments; arguments <= builtIn.maxArguments; ++arguments)
            define(db, builtIn.sqlName, arguments, builtIn.implementation, builtIn.userData, builtIn.deterministic);
    }
    // What the printer's conversions and operators call besides the built-ins.
    define(db, "tsql_datetime", 1, tsqlDateTime);
    define(db, "tsql_dtstr", 1, tsqlDateText);
    define(db, "tsql_dtstr", 2, tsqlDateText);
    define(db, "tsql_int", 1, tsqlInt);
    define(db, "tsql_intrange", 1, tsqlIntRange);
    define(db, "tsql_float", 1, tsqlFloat);
    define(db, "tsql_decimal", 2, tsqlDecimal);
    define(db, "tsql_decimal_round", 2, tsqlDecimalRound);
    define(db, "tsql_decimal_round", 3, tsqlDecimalRound);
    define(db, "tsql_money", 1, tsqlMoney);
    define(db, "tsql_varchar", 2, tsqlVarchar);
    define(db, "tsql_char", 2, tsqlChar);
    define(db, "tsql_fit", 2, tsqlFit);
    define(db, "tsql_calc", -1, tsqlCalculate);
    define(db, "tsql_like", 2, tsqlLike);
    define(db, "tsql_like", 3, tsqlLike);
    const int rc = sqlite3_create_collation_v2(db, "TSQL", SQLITE_UTF8, nullptr, compareTsql, nullptr);
    if (rc != SQLITE_OK)
        throw Error(errnum::Unspecified, QStringLiteral("Cannot register the TSQL collation: %1")
                                             .arg(QString::fromUtf8(sqlite3_errmsg(db))),
                    QStringLiteral("SQLite"));
}

qint32 errorNumberForMessage(QString &message)
{
    if (message.startsWith(ConversionMarker)) {
        message.remove(0, ConversionMarker.size());
        return errnum::Conversion;
    }
    if (message.startsWith(StatementMarker)) {
        message.remove(0, StatementMarker.size());
        return errnum::SqlSyntax;
    }
    // expressions the translation cannot flatten, such as CASE in CASE, may still nest deeper
    // than SQLite's parser has room for
    if (message == QLatin1String("parser stack overflow")) {
        message = nestedTooDeeplyMessage();
        return errnum::SqlSyntax;
    }
    return 0;
}

} // namespace kadu2217::tsql
