// Reads one host file the way start-up does, in a process of its own, so that a test can
// stop it should it block or run away:
//   host_file_probe registry FILE   prints "read MILLISECONDS KIB" (time and peak memory growth
//                                   of the load) or "refused MESSAGE"
//   host_file_probe status FOLDER   prints "status N", "none" or "refused MESSAGE"
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QTextStream>

#include "platform/host_folder.h"
#include "platform/registry_file.h"

namespace {

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    QTextStream out(stdout);
    const QString what = argc == 3 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QString path = argc == 3 ? QString::fromLocal8Bit(argv[2]) : QString();
    if (what == QLatin1String("registry")) {
        const long before = peakKib();
        QElapsedTimer timer;
        timer.start();
        const auto registry = brindle::RegistryFile::load(path);
        if (!registry) {
            out << "refused " << registry.error().message << Qt::endl;
        } else {
            out << "read " << timer.elapsed() << ' ' << peakKib() - before << Qt::endl;
        }
        return 0;
    }
    if (what == QLatin1String("status")) {
        const auto status = brindle::HostFolder(path).readStatus();
        if (!status) {
            out << "refused " << status.error().message << Qt::endl;
        } else if (*status) {
            out << "status " << **status << Qt::endl;
        } else {
            out << "none" << Qt::endl;
        }
        return 0;
    }
    QTextStream(stderr) << "usage: host_file_probe registry FILE | status FOLDER" << Qt::endl;
    return 2;
}
