#pragma once

#include <QTextStream>

#include "platform/notifier.h"

namespace brindle {

// Tells the user of a command-line run on standard error. A question is never asked: nobody
// is there to answer, so it takes the answer that does nothing (Cancel, No).
class StderrNotifier final : public Notifier {
public:
    explicit StderrNotifier(QTextStream& err) : m_err(err) {}
    void inform(const QString& text) override { m_err << "brindle: " << text << Qt::endl; }
    bool confirm(const QString&, Answers, const QString&) override { return false; }

private:
    QTextStream& m_err;
};

}  // namespace brindle
