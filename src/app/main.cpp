// The program: the window when started without arguments, unattended mode with them. The
// choice is made before any widget exists, so a command-line run never needs a display.
#include <QApplication>
#include <QCoreApplication>
#include <QFont>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>

#include "app/run_config_from_environment.h"
#include "cli/unattended_mode.h"
#include "export/directory/directory_thread.h"
#include "localize/language_codes.h"
#include "localize/language_pack.h"
#include "localize/languages.h"
#include "localize/localizer.h"
#include "platform/fixed_paths.h"
#include "platform/stop_signals.h"
#include "platform/version.h"
#include "ui/frm_main.h"
#include "ui/message_box_notifier.h"

namespace {

// Qt's own warnings (a driver's "Unable to execute statement", say) are not for the user: what
// matters reaches the log or a message in the program's own words.
void dropQtWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) QTextStream(stderr) << message << Qt::endl;
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// The first argument that is not text in the locale's encoding. Decoded, it would name
// another file than the one meant (each stray byte becomes U+FFFD).
std::optional<QByteArray> undecodableArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QString::fromLocal8Bit(raw).toLocal8Bit() != raw) return raw;
    }
    return std::nullopt;
}

// Whether a window can be shown at all. Qt ends a program that asks for a display it cannot
// have with an abort; the platforms that need none (offscreen, vnc, ...) are trusted.
bool displayAvailable() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platform.isEmpty()) return x11 || wayland;
    if (platform.startsWith(QLatin1String("xcb"))) return x11;
    if (platform.startsWith(QLatin1String("wayland"))) return wayland;
    return true;
}

int runWindow(int argc, char** argv) {
    if (!displayAvailable()) {
        QTextStream(stderr) << "brindle: there is no display to show the window on; "
                               "/f:PATH exports without a window (see brindle --help)"
                            << Qt::endl;
        return 1;
    }
    QApplication app(argc, argv);
    // The window was laid out for an 8-point interface font.
    QFont font = QApplication::font();
    font.setPointSize(8);
    QApplication::setFont(font);

    brindle::MessageBoxNotifier messageBoxes;
    brindle::Localizer strings(&messageBoxes);
    brindle::FrmMain window(brindle::runConfigFromEnvironment(), strings, messageBoxes);
    messageBoxes.setParent(&window);
    brindle::Languages languages(strings, brindle::programFolder(), brindle::programName(),
                                 brindle::userDefaultLangId(QLocale::system()), brindle::loadLanguagePack);
    window.setLanguages(&languages);

    // A stop signal acts as Exit does: a run stops before its next subscriber and leaves no
    // partial output. Watched from the start, so that it is never lost.
    brindle::stop_signals::install();
    QSocketNotifier stopSignal(brindle::stop_signals::wakeupDescriptor(), QSocketNotifier::Read);
    QObject::connect(&stopSignal, &QSocketNotifier::activated, &window, [&window, &stopSignal] {
        stopSignal.setEnabled(false);
        window.stopBySignal(brindle::stop_signals::received());
    });

    const bool started = window.Form_Load();
    // A signal that came while start-up showed a message is not seen by the main loop.
    if (const int signal = brindle::stop_signals::received()) return 128 + signal;
    if (!started) return 0;
    window.show();
    return app.exec();
}

int runCommandLine(int argc, char** argv, const QStringList& arguments) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (const auto raw = undecodableArgument(argc, argv)) {
        err << "brindle: the argument \"" << QString::fromLocal8Bit(*raw)
            << "\" is not valid text in the locale's encoding; nothing was exported" << Qt::endl;
        return 1;
    }
    if (brindle::answerInformationRequest(arguments, out)) return 0;
    return brindle::runUnattended(brindle::runConfigFromEnvironment(), arguments, out, err);
}

// Ends the program. A directory statement that never returned still holds its connection, and
// Qt's teardown of connections at exit would pull the driver from under it, or wait on it for
// ever: the program then ends without that teardown, its files already closed.
[[noreturn]] void endProgram(int status) {
    if (brindle::DirectoryThread::anyAbandoned()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    std::exit(status);
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGXFSZ, SIG_IGN);  // a file-size limit fails the write, which the run reports
    qInstallMessageHandler(dropQtWarnings);
    try {
        const QStringList arguments = argumentsOf(argc, argv);
        endProgram(arguments.isEmpty() ? runWindow(argc, argv) : runCommandLine(argc, argv, arguments));
    } catch (const std::bad_alloc&) {
        // A run reports this itself; this is start-up, before any output or log was begun.
        std::fputs("brindle: out of memory; nothing was exported\n", stderr);
        endProgram(1);
    }
}
