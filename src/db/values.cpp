#include "db/values.h"

#include "db/error.h"
#include "db/tsql/sqldatetime.h"
#include "util/numbertext.h"

#include <cmath>
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
    const QString point = locale.decimalPoint();
    if (point != QLatin1String("."))
        text.replace(QLatin1Char('.'), point);
    return text;
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
            return QString::number(qlonglong(d));
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
    QString s = QString::number(v, 'g', 17);
    // Prefer the shortest text that still reads back as the same double.
    for (int precision = 15; precision < 17; ++precision) {
        const QString shorter = QString::number(v, 'g', precision);
        if (shorter.toDouble() == v) {
            s = shorter;
            break;
        }
    }
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
