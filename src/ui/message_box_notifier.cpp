#include "ui/message_box_notifier.h"

#include <QMessageBox>

namespace brindle {

namespace {
const QString kTitle = QStringLiteral("Brindle");
}

void MessageBoxNotifier::inform(const QString& text) {
    QMessageBox::information(m_parent, kTitle, text);
}

bool MessageBoxNotifier::confirm(const QString& text, Answers answers, const QString& title) {
    const auto buttons = answers == Answers::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                   : QMessageBox::Ok | QMessageBox::Cancel;
    const auto answer = QMessageBox::question(m_parent, title.isEmpty() ? kTitle : title, text, buttons);
    return answer == QMessageBox::Ok || answer == QMessageBox::Yes;
}

}  // namespace brindle
