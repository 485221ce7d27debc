#include "db/values.h"

#include "db/error.h"
#include "db/tsql/sqldatetime.h"
#include "util/numbertext.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <limits>

namespace kadu2217::value {
namespace {

[[noreturn]] void typeMismatch() { raise(errnum::TypeMismatch, QStringLiteral("Type mismatch")); }
[[noreturn]] void overflow() { raise(errnum::Overflow, QStringLiteral("Overflow")); }
[[noreturn]] void invalidNull() { raise(errnum::InvalidUseOfNull, QStringLiteral("Invalid use of Null")); }

bool isTextual(const QVariant &v)
{
    const int t = v.typeId();
    return t == QMetaType::QString || t == QMetaType::QByteArray || t == QMetaType::QChar;
}

// Numbers in text compare like this: "True"/"False" are not numbers here, as in the old
// numeric conversions of text.
double numberOf(const QVariant &v)
{
    if (isNull(v))
        invalidNull();
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? -1.0 : 0.0;
    case QMetaType::QDateTime: {
        const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
        return double(base.msecsTo(v.toDateTime())) / 86400000.0;
    }
    case QMetaType::QDate:
        return double(QDate(1899, 12, 30).daysTo(v.toDate()));
    default:
        break;
    }
    if (isTextual(v)) {
        const auto n = parseNumber(v.toString());
        if (!n)
            typeMismatch();
        return *n;
    }
    bool ok = false;
    const double d = v.toDouble(&ok);
    if (!ok)
        typeMismatch();
    return d;
}

template <typename Int>
Int roundedWhole(const QVariant &v)
{
    if (!isNull(v) && (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int
                       || v.typeId() == QMetaType::UInt || v.typeId() == QMetaType::ULongLong)) {
        const qlonglong n = v.toLongLong();
        if (n < std::numeric_limits<Int>::min() || n > std::numeric_limits<Int>::max())
            overflow();
        return Int(n);
    }
    const double d = numberOf(v);
    if (!std::isfinite(d))
        overflow();
    const double r = std::nearbyint(d); // the default rounding mode rounds half to even
    if (r < double(std::numeric_limits<Int>::min()) || r > double(std::numeric_limits<Int>::max()))
        overflow();
    return Int(r);
}

QString withLocaleSeparator(QString text, const QLocale &locale)
{
    // The locale makes a new text each time it is asked, and grids ask for every number.
    thread_local QLocale lastLocale = QLocale::c();
    thread_local QString point = QStringLiteral(".");
    if (locale != lastLocale) {
        lastLocale = locale;
        point = locale.decimalPoint();
    }
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
}

// QString::number(n) without the locale machinery behind it: ids fill whole grid columns.
QString wholeNumberText(qlonglong n)
{
    char buffer[24];
    char *const end = buffer + sizeof buffer;
    char *p = end;
    // Digits of the magnitude taken as unsigned, so that the smallest number has one too.
    quint64 magnitude = n < 0 ? 0 - quint64(n) : quint64(n);
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0)
        *--p = '-';
    return QString::fromLatin1(p, end - p);
}

// QString::number(d, 'g', 15) for amounts of one to four decimals, which grids show by the
// thousand and the general conversion makes several times slower. Empty unless d is so close
// to such a decimal that rounding it to 15 significant digits can only give that decimal.
std::optional<QString> fewDecimals(double d)
{
    // kPowers[i] is 10^(i - 3); kQuarterUnits[i] a quarter of the 15th significant digit's
    // unit for numbers in [kPowers[i], kPowers[i + 1]).
    static constexpr double kPowers[] = {1e-3, 1e-2, 1e-1, 1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11};
    static constexpr double kQuarterUnits[] = {0.25e-17, 0.25e-16, 0.25e-15, 0.25e-14, 0.25e-13, 0.25e-12, 0.25e-11,
                                               0.25e-10, 0.25e-9,  0.25e-8,  0.25e-7,  0.25e-6,  0.25e-5,  0.25e-4};
    const double a = std::fabs(d);
    if (!(a >= kPowers[0] && a < kPowers[14]))
        return std::nullopt;
    int band = 0;
    while (a >= kPowers[band + 1])
        ++band;
    qint64 scale = 1;
    for (int decimals = 1; decimals <= 4; ++decimals) {
        scale *= 10;
        const double n = std::nearbyint(a * double(scale));
        // fma gives a * scale - n with one rounding: the distance to the decimal, scaled.
        if (!(std::fabs(std::fma(a, double(scale), -n)) < kQuarterUnits[band] * double(scale)))
            continue;
        qint64 fraction = qint64(n) % scale;
        int digits = decimals;
        while (fraction != 0 && fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        char buffer[32];
        char *const end = buffer + sizeof buffer;
        char *p = end;
        if (fraction != 0) {
            for (int i = 0; i < digits; ++i, fraction /= 10)
                *--p = char('0' + fraction % 10);
            *--p = '.';
        }
        qint64 whole = qint64(n) / scale;
        do {
            *--p = char('0' + whole % 10);
            whole /= 10;
        } while (whole != 0);
        if (d < 0)
            *--p = '-';
        return QString::fromLatin1(p, end - p);
    }
    return std::nullopt;
}

} // namespace

bool isNull(const QVariant &v)
{
    return !v.isValid() || v.isNull();
}

qint16 toInt16(const QVariant &v) { return roundedWhole<qint16>(v); }
qint32 toInt32(const QVariant &v) { return roundedWhole<qint32>(v); }

double toDouble(const QVariant &v)
{
    return numberOf(v);
}

bool toBool(const QVariant &v)
{
    if (isNull(v))
        invalidNull();
    if (v.typeId() == QMetaType::Bool)
        return v.toBool();
    if (isTextual(v)) {
        const QString t = v.toString().trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
    }
    return numberOf(v) != 0.0;
}

QDateTime toDateTime(const QVariant &v)
{
    if (isNull(v))
        invalidNull();
    switch (v.typeId()) {
    case QMetaType::QDateTime:
        return v.toDateTime();
    case QMetaType::QDate:
        return QDateTime(v.toDate(), QTime(0, 0));
    default:
        break;
    }
    if (isTextual(v)) {
        const QString text = v.toString().trimmed();
        const QLocale locale;
        for (const auto format : {QLocale::ShortFormat, QLocale::LongFormat}) {
            const QDateTime dt = locale.toDateTime(text, format);
            if (dt.isValid())
                return dt;
            const QDate d = locale.toDate(text, format);
            if (d.isValid())
                return QDateTime(d, QTime(0, 0));
        }
        if (const auto parsed = sqldt::parse(text))
            return *parsed;
        typeMismatch();
    }
    const double serial = numberOf(v);
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    return base.addMSecs(qint64(std::llround(serial * 86400000.0)));
}

QString toText(const QVariant &v)
{
    if (isNull(v))
        invalidNull();
    return displayText(v);
}

QString displayText(const QVariant &v)
{
    // Texts and whole numbers are most of a grid's cells: they need no locale.
    switch (v.typeId()) {
    case QMetaType::QString:
        return *static_cast<const QString *>(v.constData());
    case QMetaType::LongLong:
        return wholeNumberText(*static_cast<const qlonglong *>(v.constData()));
    default:
        break;
    }
    if (isNull(v))
        return QString();
    const QLocale locale;
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return wholeNumberText(qlonglong(d));
        if (const auto text = fewDecimals(d))
            return withLocaleSeparator(*text, locale);
        return withLocaleSeparator(QString::number(d, 'g', 15), locale);
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = v.toDateTime();
        const QString date = shortDate(dt.date(), locale);
        if (dt.time() == QTime(0, 0))
            return date;
        return date + QLatin1Char(' ') + locale.toString(dt.time(), QLocale::ShortFormat);
    }
    case QMetaType::QDate:
        return shortDate(v.toDate(), locale);
    default:
        return v.toString();
    }
}

std::optional<double> parseNumber(const QString &text)
{
    return numbertext::number(text, numbertext::Conversion);
}

double leadingNumber(const QString &text)
{
    return numbertext::leadingNumber(text, numbertext::Conversion);
}

QString sqlNumber(double v)
{
    if (!std::isfinite(v))
        overflow();
    if (v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(qlonglong(v));
    // Prefer the shortest text that still reads back as the same double. The standard
    // conversions are exact like Qt's, without its slow path for digits near a halfway point:
    // a cancellation writes a thousand costs.
    char digits[32];
    std::to_chars_result written{};
    for (int precision = 15; precision <= 17; ++precision) {
        written = std::to_chars(std::begin(digits), std::end(digits), v, std::chars_format::general, precision);
        double readBack = 0;
        std::from_chars(std::begin(digits), written.ptr, readBack);
        if (readBack == v)
            break;
    }
    QString s = QString::fromLatin1(digits, written.ptr - digits);
    if (s.contains(QLatin1Char('e'))) {
        // SQL text wants plain decimal notation.
        s = QString::number(v, 'f', 20);
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return s;
}

QString sqlEscaped(const QString &text)
{
    QString escaped = text;
    return escaped.replace(QLatin1Char('\''), QLatin1String("''"));
}

QString sqlDate(const QDate &d, const QString &pattern)
{
    QString p = pattern;
    p.replace(QLatin1String("mm"), QLatin1String("MM"));
    return QLocale::c().toString(d, p);
}

QString formatFixed3(double v, const QLocale &locale)
{
    QString s = QString::number(v, 'f', 3);
    if (s == QLatin1String("-0.000"))
        s.remove(0, 1);
    return withLocaleSeparator(s, locale);
}

QString formatUpTo3(double v, const QLocale &locale)
{
    QString s = QString::number(v, 'f', 3);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s == QLatin1String("-0."))
        s.remove(0, 1);
    return withLocaleSeparator(s, locale);
}

QString shortDate(const QDate &d, const QLocale &locale)
{
    // Grids show the same date on many rows; formatting it is the expensive part.
    struct LastDate {
        QLocale locale;
        QString format;
        QDate date;
        QString text;
    };
    thread_local LastDate last{QLocale::c(), QString(), QDate(), QString()};
    if (last.format.isEmpty() || last.locale != locale) {
        last.locale = locale;
        last.format = locale.dateFormat(QLocale::ShortFormat);
        // A two-digit year cannot be read back unambiguously; show all four.
        if (!last.format.contains(QLatin1String("yyyy")))
            last.format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        last.date = QDate();
    }
    if (d != last.date || !d.isValid()) {
        last.date = d;
        last.text = locale.toString(d, last.format);
    }
    return last.text;
}

} // namespace kadu2217::value
