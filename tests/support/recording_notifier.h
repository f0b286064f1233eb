#pragma once

#include <QStringList>

#include "platform/notifier.h"

namespace brindle::testing {

// Keeps every message and question instead of showing it; questions get a fixed answer.
class RecordingNotifier final : public Notifier {
public:
    explicit RecordingNotifier(bool answer = false) : m_answer(answer) {}
    void inform(const QString& text) override { messages << text; }
    bool confirm(const QString& text, Answers) override {
        questions << text;
        return m_answer;
    }

    QStringList messages;
    QStringList questions;

private:
    bool m_answer;
};

}  // namespace brindle::testing
