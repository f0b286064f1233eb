#pragma once

#include <QStringList>

#include "platform/notifier.h"

namespace brindle::testing {

// Keeps every message and question instead of showing it; questions get a fixed answer.
class RecordingNotifier final : public Notifier {
public:
    explicit RecordingNotifier(bool answer = false) : m_answer(answer) {}
    void inform(const QString& text) override { messages << text; }
    bool confirm(const QString& text, Answers, const QString& title) override {
        questions << text;
        questionTitles << title;
        return m_answer;
    }

    QStringList messages;
    QStringList questions;
    QStringList questionTitles;  // empty where the program's name is the title

private:
    bool m_answer;
};

}  // namespace brindle::testing
