#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QVariant>
#include <QtGlobal>
#include <optional>

namespace brindle {

// Stored times are UTC; the export shows them in local time, with the offset in force at the moment of
// the run applied alike to every stored time (so a January time converted in summer gets the summer
// offset). The conversion goes through the Windows file-time format in named steps.

// 100-nanosecond intervals since 1601-01-01 00:00:00; 0 stands for "no time".
using FileTime = quint64;

// The offset from UTC, in seconds, in force at the instant `utc` on this machine (Qt's system
// time zone, which honours TZ).
int localOffsetSecondsAt(const QDateTime& utc);

// The date-time's date() and time() components, whatever its timeSpec, as a file time with the
// milliseconds dropped. 0 when either component is invalid, when the date is before 1601, or when it lies
// past the last file time (some 58,000 years on).
FileTime DateToFileTime(const QDateTime& dateTime);

// 0 stays 0 and gets no offset; otherwise the file time shifted by the offset. A result that would fall
// before 1601 or past the last file time gives 0.
FileTime ConvertToLocalFileTime(FileTime utc, int localOffsetSeconds);

// The calendar date-time of a file time, to the second, as plain components marked Qt::UTC.
// 0 gives 1601-01-01 00:00:00: there is no zero test here.
QDateTime FileTimeToDate(FileTime fileTime);

// The three steps chained: a stored UTC time as local components.
QDateTime GMTToLocalTime(const QDateTime& utc, int localOffsetSeconds);

// A stored time as the database gives it, as UTC components to the second: a QDateTime or QDate value
// (its components are taken as UTC whatever its timeSpec), or text "YYYY-MM-DD HH:MM:SS", also with "T"
// for the blank and with fractional seconds, which are dropped; a date alone is midnight. Years have four
// digits and may be before 1601. nullopt for a Null and for anything else: no locale parsing.
std::optional<QDateTime> storedTime(const QVariant& value);

// The locale's general date: short date, a blank, long time; the time left out at exactly midnight.
// U.S. English and the C locale give "12/5/2026 3:04:05 PM" and "1/1/1601". Other locales use Qt's short
// date format with a four-digit year and Qt's long time format without its time-zone part.
QString dateText(const QDateTime& local, const QLocale& locale = QLocale());

}  // namespace brindle
