#include "db/tsql/sqldatetime.h"

#include <QMutex>
#include <QMutexLocker>

namespace kadu2217::sqldt {
namespace {

constexpr int MsecsPerDay = 86400000;
constexpr int MinYear = 1753; // datetime's range
constexpr int MaxYear = 9999;

const char *const MonthAbbreviations[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char *const MonthNames[12] = {"january", "february", "march",     "april",
                                    "may",     "june",     "july",      "august",
                                    "september", "october", "november", "december"};

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }
bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// Reads a text left to right.
struct Reader {
    QStringView text;
    qsizetype pos = 0;

    bool atEnd() const { return pos >= text.size(); }
    bool nextIsDigit() const { return !atEnd() && isDigit(text[pos]); }
    bool take(char16_t c)
    {
        if (atEnd() || text[pos] != c)
            return false;
        ++pos;
        return true;
    }
    // Up to maxDigits digits; returns how many were read.
    int digits(int &value, int maxDigits)
    {
        value = 0;
        int count = 0;
        while (count < maxDigits && nextIsDigit()) {
            value = value * 10 + (text[pos++].unicode() - u'0');
            ++count;
        }
        return count;
    }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(text[pos]))
            ++pos;
    }
};

// AM or PM at the start of the text: 0 none, 1 AM, 2 PM.
int meridiemAt(QStringView text)
{
    if (text.size() < 2 || (text[1] != u'M' && text[1] != u'm'))
        return 0;
    if (text[0] == u'A' || text[0] == u'a')
        return 1;
    if (text[0] == u'P' || text[0] == u'p')
        return 2;
    return 0;
}

int expandYear(int year, int digitCount)
{
    if (digitCount != 2)
        return year;
    return year < 50 ? 2000 + year : 1900 + year; // two digit year cutoff 2049
}

std::optional<QDate> makeDate(int year, int month, int day)
{
    if (year < MinYear || year > MaxYear || !QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

// 'h[h][:mi[:ss[.fff|:fff]]][ ][AM|PM]'; a bare hour needs AM or PM.
std::optional<int> parseTime(QStringView text)
{
    Reader r{text};
    int hour = 0, minute = 0, second = 0, msec = 0;
    if (r.digits(hour, 2) == 0)
        return std::nullopt;
    const bool hasColon = r.take(u':');
    if (hasColon) {
        if (r.digits(minute, 2) == 0)
            return std::nullopt;
        if (r.take(u':')) {
            if (r.digits(second, 2) == 0)
                return std::nullopt;
            if (r.take(u'.')) {
                // a period makes the digits a fraction: .1 is 100 ms
                const int count = r.digits(msec, 3);
                msec *= count == 1 ? 100 : count == 2 ? 10 : 1;
            } else if (r.take(u':')) {
                // a colon makes them thousandths: :1 is 1 ms
                if (r.digits(msec, 3) == 0)
                    return std::nullopt;
            }
            if (r.nextIsDigit())
                return std::nullopt;
        }
    }
    r.skipBlanks();
    const int meridiem = meridiemAt(text.mid(r.pos));
    if (meridiem != 0)
        r.pos += 2;
    if (!r.atEnd() || (!hasColon && meridiem == 0))
        return std::nullopt;
    if (meridiem != 0) {
        if (hour > 12)
            return std::nullopt;
        if (hour == 12)
            hour = 0;
        if (meridiem == 2)
            hour += 12;
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return ((hour * 60 + minute) * 60 + second) * 1000 + msec;
}

int monthFromName(QStringView word)
{
    for (int m = 0; m < 12; ++m) {
        if (word.compare(QLatin1String(MonthAbbreviations[m]), Qt::CaseInsensitive) == 0
            || word.compare(QLatin1String(MonthNames[m]), Qt::CaseInsensitive) == 0)
            return m + 1;
    }
    return 0;
}

// 'mon dd[,] yyyy', 'dd mon yyyy', 'mon yyyy [dd]', 'yyyy mon dd' and the like.
std::optional<QDate> parseAlphabeticDate(QStringView text)
{
    int month = 0;
    int numbers[2] = {0, 0};
    int digitCounts[2] = {0, 0};
    int numberCount = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (isBlank(c) || c == u',' || c == u'-' || c == u'/' || c == u'.') {
            ++pos;
            continue;
        }
        qsizetype end = pos;
        if (c.isLetter()) {
            while (end < text.size() && text[end].isLetter())
                ++end;
            if (month != 0 || (month = monthFromName(text.mid(pos, end - pos))) == 0)
                return std::nullopt;
        } else if (isDigit(c)) {
            if (numberCount == 2)
                return std::nullopt;
            Reader r{text, pos};
            digitCounts[numberCount] = r.digits(numbers[numberCount], 4);
            end = r.pos;
            if (r.nextIsDigit())
                return std::nullopt;
            ++numberCount;
        } else {
            return std::nullopt;
        }
        if (end < text.size() && (text[end].isLetterOrNumber()))
            return std::nullopt;
        pos = end;
    }
    if (month == 0 || numberCount == 0)
        return std::nullopt;
    if (numberCount == 1)
        return digitCounts[0] == 4 ? makeDate(numbers[0], month, 1) : std::nullopt;
    const int yearIndex = digitCounts[0] == 4 ? 0 : 1;
    const int dayIndex = 1 - yearIndex;
    if (digitCounts[dayIndex] > 2 || digitCounts[yearIndex] == 1 || digitCounts[yearIndex] == 3)
        return std::nullopt;
    return makeDate(expandYear(numbers[yearIndex], digitCounts[yearIndex]), month,
                    numbers[dayIndex]);
}

// 'yyyymmdd', 'yymmdd', 'yyyy', 'yyyy-mm-dd' (also / and .), 'mm/dd/[yy]yy'.
std::optional<QDate> parseNumericDate(QStringView text)
{
    Reader r{text};
    int first = 0;
    const int firstDigits = r.digits(first, 8);
    if (r.atEnd()) {
        switch (firstDigits) {
        case 8:
            return makeDate(first / 10000, first / 100 % 100, first % 100);
        case 6:
            return makeDate(expandYear(first / 10000, 2), first / 100 % 100, first % 100);
        case 4:
            return makeDate(first, 1, 1);
        default:
            return std::nullopt;
        }
    }
    const QChar separator = text[r.pos];
    if (separator != u'/' && separator != u'-' && separator != u'.')
        return std::nullopt;
    int second = 0, third = 0;
    ++r.pos;
    const int secondDigits = r.digits(second, 2);
    if (!r.take(separator.unicode()))
        return std::nullopt;
    const int thirdDigits = r.digits(third, 4);
    if (!r.atEnd() || secondDigits == 0 || thirdDigits == 0)
        return std::nullopt;
    if (firstDigits == 4) {
        if (thirdDigits > 2)
            return std::nullopt;
        return makeDate(first, second, third);
    }
    if (firstDigits == 0 || firstDigits > 2 || (thirdDigits != 2 && thirdDigits != 4))
        return std::nullopt;
    return makeDate(expandYear(third, thirdDigits), first, second); // us_english: mdy
}

std::optional<QDate> parseDate(QStringView text)
{
    if (text.isEmpty())
        return QDate(1900, 1, 1);
    for (QChar c : text) {
        if (c.isLetter())
            return parseAlphabeticDate(text);
    }
    return parseNumericDate(text);
}

bool matchesDigits(QStringView text, const char *pattern)
{
    for (qsizetype i = 0; pattern[i]; ++i) {
        if (i >= text.size())
            return false;
        if (pattern[i] == 'd' ? !isDigit(text[i]) : text[i] != QLatin1Char(pattern[i]))
            return false;
    }
    return true;
}

int number(QStringView text, int from, int count)
{
    int value = 0;
    for (int i = from; i < from + count; ++i)
        value = value * 10 + (text[i].unicode() - u'0');
    return value;
}

// The stored form itself, read without the general search.
std::optional<Stamp> parseCanonical(QStringView t)
{
    if (t.size() != 23 || !matchesDigits(t, "dddd-dd-dd dd:dd:dd.ddd"))
        return std::nullopt;
    const auto date = makeDate(number(t, 0, 4), number(t, 5, 2), number(t, 8, 2));
    const int hour = number(t, 11, 2), minute = number(t, 14, 2), second = number(t, 17, 2);
    if (!date || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return roundToDatetimePrecision(
        Stamp{*date, ((hour * 60 + minute) * 60 + second) * 1000 + number(t, 20, 3)});
}

// Where the time of day stands in the text: [start, end), empty when there is none.
bool findTime(QStringView t, qsizetype &start, qsizetype &end)
{
    start = end = t.size();
    const qsizetype colon = t.indexOf(u':');
    if (colon >= 0) {
        start = colon;
        while (start > 0 && isDigit(t[start - 1]))
            --start;
        end = colon;
        while (end < t.size() && (isDigit(t[end]) || t[end] == u':' || t[end] == u'.'))
            ++end;
        qsizetype after = end;
        while (after < t.size() && isBlank(t[after]))
            ++after;
        if (meridiemAt(t.mid(after)) != 0)
            end = after + 2;
    } else if (meridiemAt(t.right(2)) != 0) {
        start = t.size() - 2;
        while (start > 0 && isBlank(t[start - 1]))
            --start;
        const qsizetype digitsEnd = start;
        while (start > 0 && isDigit(t[start - 1]))
            --start;
        if (start == digitsEnd)
            return false;
    } else {
        return true;
    }
    if (start == colon)
        return false;
    // the time stands apart from the date, before or after it
    return (start == 0 || isBlank(t[start - 1])) && (end == t.size() || isBlank(t[end]));
}

// The nearest 1/300 s, back in whole milliseconds: they end in 0, 3 or 7 (.999 gives 1000).
int roundedMilliseconds(int msec)
{
    const int ticks = (msec * 3 + 5) / 10;
    return (ticks * 10 + 1) / 3;
}

void putNumber(QChar *&out, int value, int width, char16_t pad = u'0')
{
    for (int i = width - 1; i >= 0; --i) {
        out[i] = (value > 0 || i == width - 1) ? QChar(u'0' + value % 10) : QChar(pad);
        value /= 10;
    }
    out += width;
}

void putChar(QChar *&out, char16_t c) { *out++ = QChar(c); }

QMutex clockMutex;
std::function<QDateTime()> &clockFunction()
{
    static std::function<QDateTime()> clock;
    return clock;
}

} // namespace

std::optional<Stamp> parseStamp(QStringView text)
{
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (auto stamp = parseCanonical(t))
        return inRange(*stamp) ? stamp : std::nullopt;

    QStringView datePart, timePart;
    if (t.size() > 11 && (t[10] == u'T' || t[10] == u't') && matchesDigits(t, "dddd-dd-dd")) {
        datePart = t.left(10);
        timePart = t.mid(11);
    } else {
        qsizetype start, end;
        if (!findTime(t, start, end))
            return std::nullopt;
        if (start > 0 && end < t.size())
            return std::nullopt;
        timePart = t.mid(start, end - start);
        datePart = (start > 0 ? t.left(start) : t.mid(end)).trimmed();
    }
    const auto date = parseDate(datePart);
    if (!date)
        return std::nullopt;
    int msecs = 0;
    if (!timePart.isEmpty()) {
        const auto time = parseTime(timePart);
        if (!time)
            return std::nullopt;
        msecs = *time;
    }
    const Stamp stamp = roundToDatetimePrecision(Stamp{*date, msecs});
    if (!inRange(stamp))
        return std::nullopt; // .999 on the last day rounds past it
    return stamp;
}

bool inRange(const Stamp &value)
{
    return value.date.isValid() && value.date.year() >= MinYear && value.date.year() <= MaxYear;
}

Stamp roundToDatetimePrecision(Stamp value)
{
    const int msec = value.msecs % 1000;
    value.msecs += roundedMilliseconds(msec) - msec;
    if (value.msecs >= MsecsPerDay) {
        value.msecs -= MsecsPerDay;
        value.date = value.date.addDays(1);
    }
    return value;
}

Stamp toStamp(const QDateTime &value)
{
    return Stamp{value.date(), value.time().msecsSinceStartOfDay()};
}

QDateTime toDateTime(const Stamp &value)
{
    return QDateTime(value.date, QTime::fromMSecsSinceStartOfDay(value.msecs));
}

Stamp baseDate() { return Stamp{QDate(1900, 1, 1), 0}; }

QString canonical(const Stamp &value)
{
    QString text(23, Qt::Uninitialized);
    QChar *out = text.data();
    int year, month, day;
    value.date.getDate(&year, &month, &day);
    const int seconds = value.msecs / 1000;
    putNumber(out, year, 4);
    putChar(out, u'-');
    putNumber(out, month, 2);
    putChar(out, u'-');
    putNumber(out, day, 2);
    putChar(out, u' ');
    putNumber(out, seconds / 3600, 2);
    putChar(out, u':');
    putNumber(out, seconds / 60 % 60, 2);
    putChar(out, u':');
    putNumber(out, seconds % 60, 2);
    putChar(out, u'.');
    putNumber(out, value.msecs % 1000, 3);
    return text;
}

QString styleZero(const Stamp &value)
{
    QString text(19, Qt::Uninitialized);
    QChar *out = text.data();
    int year, month, day;
    value.date.getDate(&year, &month, &day);
    const int minutes = value.msecs / 60000;
    const int hour = minutes / 60;
    const char *name = MonthAbbreviations[month - 1];
    for (int i = 0; i < 3; ++i)
        putChar(out, char16_t(name[i]));
    putChar(out, u' ');
    putNumber(out, day, 2, u' ');
    putChar(out, u' ');
    putNumber(out, year, 4);
    putChar(out, u' ');
    putNumber(out, hour % 12 == 0 ? 12 : hour % 12, 2, u' ');
    putChar(out, u':');
    putNumber(out, minutes % 60, 2);
    putChar(out, hour < 12 ? u'A' : u'P');
    putChar(out, u'M');
    return text;
}

std::optional<QDateTime> parse(QStringView text)
{
    const auto stamp = parseStamp(text);
    if (!stamp)
        return std::nullopt;
    return toDateTime(*stamp);
}

QDateTime roundToDatetimePrecision(const QDateTime &value)
{
    if (!value.isValid())
        return value;
    const int msec = value.time().msec();
    return value.addMSecs(roundedMilliseconds(msec) - msec);
}

QString canonical(const QDateTime &value) { return canonical(toStamp(value)); }

QString styleZero(const QDateTime &value) { return styleZero(toStamp(value)); }

QDateTime serverNow()
{
    QMutexLocker lock(&clockMutex);
    const auto &clock = clockFunction();
    return roundToDatetimePrecision(clock ? clock() : QDateTime::currentDateTime());
}

void setServerClock(std::function<QDateTime()> clock)
{
    QMutexLocker lock(&clockMutex);
    clockFunction() = std::move(clock);
}

} // namespace kadu2217::sqldt
