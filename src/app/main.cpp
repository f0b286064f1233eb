// The program: the window when started without arguments, unattended mode with them. The
// choice is made before any widget exists, so a command-line run never needs a display.
#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QStringList>
#include <QTextStream>

#include "localize/localizer.h"
#include "platform/version.h"
#include "ui/frm_main.h"
#include "ui/message_box_notifier.h"
#include "ui/unattended/unattended_mode.h"

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    // The window was laid out for an 8-point interface font.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    brindle::MessageBoxNotifier messageBoxes;
    brindle::Localizer strings(&messageBoxes);
    brindle::FrmMain window(strings, messageBoxes);
    messageBoxes.setParent(&window);
    if (!window.Form_Load()) return 0;
    window.show();
    return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
    const QStringList arguments = argumentsOf(argc, argv);
    if (arguments.isEmpty()) return runWindow(argc, argv);

    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (brindle::answerInformationRequest(arguments, out)) return 0;
    return brindle::runUnattended(arguments, out, err);
}
