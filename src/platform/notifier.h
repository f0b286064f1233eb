#pragma once

#include <QString>

namespace brindle {

// Where the engine tells a person something. The window answers with message boxes; the
// command line writes to standard error and answers every question with its default, so the
// engine never waits for a user who is not there.
class Notifier {
public:
    virtual ~Notifier() = default;

    // A message with an OK button only.
    virtual void inform(const QString& text) = 0;

    enum class Answers { OkCancel, YesNo };

    // A question. True means OK or Yes. Without a title it is asked under the program's name.
    virtual bool confirm(const QString& text, Answers answers, const QString& title = {}) = 0;
};

}  // namespace brindle
