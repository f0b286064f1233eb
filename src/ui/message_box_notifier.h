#pragma once

#include "platform/notifier.h"

class QWidget;

namespace brindle {

// Tells the user through modal message boxes over a parent window.
class MessageBoxNotifier final : public Notifier {
public:
    explicit MessageBoxNotifier(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

    void inform(const QString& text) override;
    bool confirm(const QString& text, Answers answers, const QString& title) override;

private:
    QWidget* m_parent;
};

}  // namespace brindle
