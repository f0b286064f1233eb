#include "timeconv/time_functions.h"

#include <QList>
#include <QRegularExpression>
#include <QTime>
#include <limits>

namespace brindle {

namespace {

constexpr qint64 kEpochDifferenceSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
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

std::optional<QDateTime> parsedText(const QString& text) {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{4})-([0-9]{2})-([0-9]{2})"
                       "(?:[ T]([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\\.[0-9]+)?)?")));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return std::nullopt;
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (match.captured(4).isEmpty()) return utcComponents(date, QTime(0, 0));
    return utcComponents(
        date, QTime(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt()));
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

int currentLocalOffsetSeconds() {
    return QDateTime::currentDateTime().offsetFromUtc();
}

FileTime DateToFileTime(const QDateTime& dateTime) {
    const std::optional<QDateTime> utc = utcComponents(dateTime.date(), dateTime.time());
    if (!utc || !utc->isValid()) return 0;
    const qint64 seconds = utc->toSecsSinceEpoch() + kEpochDifferenceSeconds;
    if (seconds < 0 || seconds > kLastFileTimeSecond) return 0;
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
    const qint64 seconds = qint64(fileTime / kTicksPerSecond) - kEpochDifferenceSeconds;
    return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
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
        const QLocale c = QLocale::c();
        QString text = c.toString(date, QStringLiteral("M/d/yyyy"));
        if (!midnight) text += QLatin1Char(' ') + c.toString(time, QStringLiteral("h:mm:ss AP"));
        return text;
    }
    QString text = locale.toString(date, withFourDigitYear(locale.dateFormat(QLocale::ShortFormat)));
    if (!midnight) {
        text += QLatin1Char(' ') + locale.toString(time, withoutZone(locale.timeFormat(QLocale::LongFormat)));
    }
    return text;
}

}  // namespace brindle
