#include "timeconv/time_functions.h"

#include <QList>
#include <QTime>
#include <cstdio>
#include <limits>

namespace brindle {

namespace {

constexpr qint64 kJulianDayOf1601 = 2305814;  // 1601-01-01
constexpr qint64 kSecondsPerDay = 86400;
constexpr quint64 kTicksPerSecond = 10'000'000;
constexpr FileTime kLastFileTime = std::numeric_limits<FileTime>::max();
constexpr qint64 kLastFileTimeSecond = qint64(kLastFileTime / kTicksPerSecond);

QTime toTheSecond(const QTime& time) {
    return QTime(time.hour(), time.minute(), time.second());
}

std::optional<QDateTime> utcComponents(const QDate& date, const QTime& time) {
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    return QDateTime(date, toTheSecond(time), Qt::UTC);
}

// The value of `count` ASCII digits at `at`, or -1. Read by hand: a run reads hundreds of
// thousands of stored times.
int digitsAt(QStringView text, qsizetype at, qsizetype count) {
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

// "YYYY-MM-DD", optionally followed by " HH:MM:SS" or "THH:MM:SS" and a fraction of digits.
std::optional<QDateTime> parsedText(QStringView text) {
    constexpr qsizetype kDateLength = 10;
    constexpr qsizetype kDateTimeLength = 19;
    if (text.size() != kDateLength && text.size() < kDateTimeLength) return std::nullopt;
    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0 || text[4] != u'-' || text[7] != u'-') return std::nullopt;
    const QDate date(year, month, day);
    if (text.size() == kDateLength) return utcComponents(date, QTime(0, 0));
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if ((text[10] != u' ' && text[10] != u'T') || text[13] != u':' || text[16] != u':' || hour < 0 ||
        minute < 0 || second < 0) {
        return std::nullopt;
    }
    // A fraction of the second: a point and digits, dropped.
    if (text.size() > kDateTimeLength) {
        if (text[19] != u'.' || text.size() == kDateTimeLength + 1) return std::nullopt;
        for (qsizetype i = kDateTimeLength + 1; i < text.size(); ++i) {
            if (text[i].unicode() < u'0' || text[i].unicode() > u'9') return std::nullopt;
        }
    }
    return utcComponents(date, QTime(hour, minute, second));
}

// A Qt date/time format cut into quoted literals and runs of one repeated character, so that pattern
// letters can be rewritten without touching quoted text such as Bulgarian 'г'.
struct FormatPiece {
    QString text;
    bool quoted = false;
};

QList<FormatPiece> piecesOf(const QString& format) {
    QList<FormatPiece> pieces;
    for (qsizetype start = 0; start < format.size();) {
        qsizetype end = start + 1;
        const bool quoted = format[start] == QLatin1Char('\'');
        if (quoted) {
            while (end < format.size() && format[end] != QLatin1Char('\'')) ++end;
            end = qMin(end + 1, format.size());
        } else {
            while (end < format.size() && format[end] == format[start]) ++end;
        }
        pieces.append({format.mid(start, end - start), quoted});
        start = end;
    }
    return pieces;
}

QString joined(const QList<FormatPiece>& pieces) {
    QString format;
    for (const FormatPiece& piece : pieces) format += piece.text;
    return format;
}

bool isRunOf(const FormatPiece& piece, char letter) {
    return !piece.quoted && piece.text.front() == QLatin1Char(letter);
}

bool isSeparator(const FormatPiece& piece) {
    if (piece.quoted) return false;
    for (const QChar c : piece.text) {
        if (!c.isSpace() && c != QLatin1Char(',')) return false;
    }
    return true;
}

bool encloses(const FormatPiece& open, const FormatPiece& close) {
    if (open.quoted || close.quoted) return false;
    return (open.text == QLatin1String("(") && close.text == QLatin1String(")")) ||
           (open.text == QLatin1String("[") && close.text == QLatin1String("]"));
}

QString withFourDigitYear(const QString& format) {
    QList<FormatPiece> pieces = piecesOf(format);
    for (FormatPiece& piece : pieces) {
        if (isRunOf(piece, 'y') && piece.text.size() < 4) piece.text = QStringLiteral("yyyy");
    }
    return joined(pieces);
}

// Zone parts come as " t" at the end, "t " at the start, " (t)", " [t]" or ", t"; each goes with its
// brackets and the separator that ties it to the time.
QString withoutZone(const QString& format) {
    QList<FormatPiece> pieces = piecesOf(format);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (!isRunOf(pieces[i], 't')) continue;
        qsizetype first = i;
        qsizetype last = i;
        if (first > 0 && last + 1 < pieces.size() && encloses(pieces[first - 1], pieces[last + 1])) {
            --first;
            ++last;
        }
        while (first > 0 && isSeparator(pieces[first - 1])) --first;
        if (first == 0) {
            while (last + 1 < pieces.size() && isSeparator(pieces[last + 1])) ++last;
        }
        pieces.remove(first, last - first + 1);
        i = first - 1;
    }
    return joined(pieces);
}

bool usesUsFormat(const QLocale& locale) {
    return locale.language() == QLocale::C ||
           (locale.language() == QLocale::English && locale.territory() == QLocale::UnitedStates);
}

}  // namespace

int localOffsetSecondsAt(const QDateTime& utc) {
    return utc.toLocalTime().offsetFromUtc();
}

FileTime DateToFileTime(const QDateTime& dateTime) {
    // Counted in days and seconds of the components, without any time zone.
    const QDate date = dateTime.date();
    const QTime time = dateTime.time();
    if (!date.isValid() || !time.isValid()) return 0;
    const qint64 days = date.toJulianDay() - kJulianDayOf1601;
    if (days < 0 || days > kLastFileTimeSecond / kSecondsPerDay) return 0;
    const qint64 seconds = days * kSecondsPerDay + time.msecsSinceStartOfDay() / 1000;
    if (seconds > kLastFileTimeSecond) return 0;
    return FileTime(seconds) * kTicksPerSecond;
}

FileTime ConvertToLocalFileTime(FileTime utc, int localOffsetSeconds) {
    if (utc == 0) return 0;
    const qint64 shift = qint64(localOffsetSeconds) * qint64(kTicksPerSecond);
    if (shift < 0) {
        const FileTime back = FileTime(-shift);
        return utc < back ? 0 : utc - back;
    }
    const FileTime forward = FileTime(shift);
    return utc > kLastFileTime - forward ? 0 : utc + forward;
}

QDateTime FileTimeToDate(FileTime fileTime) {
    const qint64 seconds = qint64(fileTime / kTicksPerSecond);
    return QDateTime(QDate::fromJulianDay(kJulianDayOf1601 + seconds / kSecondsPerDay),
                     QTime::fromMSecsSinceStartOfDay(int(seconds % kSecondsPerDay) * 1000), Qt::UTC);
}

QDateTime GMTToLocalTime(const QDateTime& utc, int localOffsetSeconds) {
    return FileTimeToDate(ConvertToLocalFileTime(DateToFileTime(utc), localOffsetSeconds));
}

std::optional<QDateTime> storedTime(const QVariant& value) {
    if (value.isNull()) return std::nullopt;
    switch (value.typeId()) {
        case QMetaType::QDateTime: {
            const QDateTime dateTime = value.toDateTime();
            return utcComponents(dateTime.date(), dateTime.time());
        }
        case QMetaType::QDate:
            return utcComponents(value.toDate(), QTime(0, 0));
        case QMetaType::QString:
            return parsedText(value.toString());
        default:
            return std::nullopt;
    }
}

QString dateText(const QDateTime& local, const QLocale& locale) {
    const QDate date = local.date();
    if (!date.isValid()) return QString();
    const QTime time = toTheSecond(local.time());
    const bool midnight = !time.isValid() || time == QTime(0, 0);

    if (usesUsFormat(locale)) {
        // M/d/yyyy h:mm:ss AP, written directly: this runs for every stored time of a run.
        char text[40];
        int length = std::snprintf(text, sizeof text, "%d/%d/%04d", date.month(), date.day(), date.year());
        if (!midnight) {
            const int hour = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
            length += std::snprintf(text + length, sizeof text - std::size_t(length), " %d:%02d:%02d %s",
                                    hour, time.minute(), time.second(), time.hour() < 12 ? "AM" : "PM");
        }
        return QString::fromLatin1(text, length);
    }
    // The rewritten formats of the last locale asked for, kept: a run asks with one locale.
    static QString cachedLocale;
    static QString dateFormat;
    static QString timeFormat;
    if (cachedLocale != locale.name() || dateFormat.isEmpty()) {
        cachedLocale = locale.name();
        dateFormat = withFourDigitYear(locale.dateFormat(QLocale::ShortFormat));
        timeFormat = withoutZone(locale.timeFormat(QLocale::LongFormat));
    }
    QString text = locale.toString(date, dateFormat);
    if (!midnight) text += QLatin1Char(' ') + locale.toString(time, timeFormat);
    return text;
}

}  // namespace brindle
