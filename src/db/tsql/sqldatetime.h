#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

// SQL Server's datetime rules, shared by the embedded engine's functions, its
// translation layer and the recordset's conversions.
namespace kadu2217::sqldt {

// Reads any text SQL Server accepts for a datetime under us_english settings:
// 'yyyymmdd[ time]', 'yyyy-mm-dd[ time]', 'yyyy/mm/dd[ time]', 'yyyy-mm-ddThh:mm:ss[.mmm]',
// 'mm/dd/yyyy[ time]', 'mon dd yyyy [h]h:mi[:ss][AM|PM]' and a time alone ('09:00',
// '9:00AM'), which is that time on 1 January 1900. Leading and trailing blanks are
// ignored. Returns nothing for any other text.
std::optional<QDateTime> parse(QStringView text);

// datetime keeps 1/300 s: milliseconds end in 0, 3 or 7.
QDateTime roundToDatetimePrecision(const QDateTime &value);

// The stored form of a datetime in the embedded database: "yyyy-MM-dd hh:mm:ss.zzz".
QString canonical(const QDateTime &value);

// Style 0, what string functions see: "Mar 15 2012  9:00AM".
QString styleZero(const QDateTime &value);

// The database's clock (getdate(), CURRENT_TIMESTAMP): local time at datetime precision.
// Tests may fix it; an empty function restores the real clock.
QDateTime serverNow();
void setServerClock(std::function<QDateTime()> clock);

// A datetime as a date and the milliseconds since its midnight, free of time zones: what the
// engine's SQL functions compute with. Values built by parseStamp are at datetime precision.
struct Stamp {
    QDate date;
    int msecs = 0;
};

std::optional<Stamp> parseStamp(QStringView text);
Stamp toStamp(const QDateTime &value);
QDateTime toDateTime(const Stamp &value);
Stamp roundToDatetimePrecision(Stamp value);
QString canonical(const Stamp &value);
QString styleZero(const Stamp &value);
// 1 January 1900, what SQL Server makes of a blank text or the number 0.
Stamp baseDate();
// datetime's range, 1 January 1753 to 31 December 9999, in days from baseDate().
inline constexpr int FirstDay = -53690;
inline constexpr int LastDay = 2958463;
bool inRange(const Stamp &value);

} // namespace kadu2217::sqldt
