#include "cli/progress_display.h"

#include <QElapsedTimer>
#include <memory>
#include <utility>

namespace brindle {

namespace {

constexpr qint64 kRedrawInterval = 100;
// Before this the first subscribers, slower than the rest, would promise far too long a run.
constexpr qint64 kRateAfter = 250;

QString duration(qint64 seconds) {
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg((seconds / 60) % 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (hours == 0) return minutesAndSeconds;
    return QStringLiteral("%1:%2").arg(hours).arg(minutesAndSeconds.rightJustified(5, QLatin1Char('0')));
}

ProgressDisplay::Clock steadyClock() {
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

}  // namespace

ProgressDisplay::ProgressDisplay(QTextStream& terminal, int total, Clock clock)
    : m_terminal(terminal),
      m_total(total),
      m_clock(clock ? std::move(clock) : steadyClock()),
      m_start(m_clock()) {}

void ProgressDisplay::update(int done) {
    if (m_total <= 0) return;
    const qint64 now = m_clock();
    if (m_lastDrawn >= 0 && now - m_lastDrawn < kRedrawInterval) return;
    m_lastDrawn = now;
    draw(text(done, m_total, now - m_start));
}

void ProgressDisplay::clear() {
    if (m_drawnWidth == 0) return;
    m_terminal << '\r' << QString(m_drawnWidth, QLatin1Char(' ')) << '\r' << Qt::flush;
    m_drawnWidth = 0;
}

QString ProgressDisplay::text(int done, int total, qint64 elapsedMilliseconds) {
    QString line = QStringLiteral("%1 of %2 subscribers (%3%)")
                       .arg(done)
                       .arg(total)
                       .arg(total > 0 ? qint64(done) * 100 / total : 0);
    if (done > 0 && elapsedMilliseconds >= kRateAfter) {
        const double perSecond = done * 1000.0 / double(elapsedMilliseconds);
        const auto secondsLeft = qMax<qint64>(0, qint64((total - done) / perSecond + 0.5));
        line += QStringLiteral(", %1/s, %2 left").arg(qRound64(perSecond)).arg(duration(secondsLeft));
    }
    return line;
}

void ProgressDisplay::draw(const QString& line) {
    // Padding over a longer line drawn before; no terminal control sequences are needed.
    m_terminal << '\r' << line.leftJustified(m_drawnWidth, QLatin1Char(' ')) << Qt::flush;
    m_drawnWidth = qMax(m_drawnWidth, line.size());
}

}  // namespace brindle
