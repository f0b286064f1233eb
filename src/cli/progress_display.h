#pragma once

#include <QString>
#include <QTextStream>
#include <functional>

namespace brindle {

// A run's progress on a terminal: one line, redrawn in place (a carriage return, then the
// text padded over the last one) at most ten times a second, and blanked again at the end.
// It says how many subscribers are done of how many and the share, and once a quarter of a
// second has passed also the rate and the time left.
class ProgressDisplay {
public:
    using Clock = std::function<qint64()>;  // milliseconds from any fixed start

    ProgressDisplay(QTextStream& terminal, int total, Clock clock = {});

    // `done` subscribers of the total are through. Draws the first time and then only when a
    // tenth of a second has passed since the last drawing.
    void update(int done);

    // Blanks the line and puts the cursor back at its start, if anything was drawn.
    void clear();

    // The text of the line, without the carriage return and the padding.
    static QString text(int done, int total, qint64 elapsedMilliseconds);

private:
    void draw(const QString& line);

    QTextStream& m_terminal;
    int m_total;
    Clock m_clock;
    qint64 m_start;
    qint64 m_lastDrawn = -1;
    qsizetype m_drawnWidth = 0;
};

}  // namespace brindle
