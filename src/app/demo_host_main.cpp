// brindle-demo-host DIR [--subscribers N] [--seed S]: writes a complete sample host folder.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

#include "hostbuilder/host_builder.h"
#include "hostbuilder/sample_host.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a sample host folder for Brindle."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("DIR"), QStringLiteral("The host folder to write."));
    parser.addOption({QStringLiteral("subscribers"), QStringLiteral("Number of subscribers (500)."),
                      QStringLiteral("N"), QStringLiteral("500")});
    parser.addOption({QStringLiteral("seed"), QStringLiteral("Random seed (1)."), QStringLiteral("S"),
                      QStringLiteral("1")});
    parser.process(app);

    bool countOk = false;
    bool seedOk = false;
    const int subscribers = parser.value(QStringLiteral("subscribers")).toInt(&countOk);
    const quint32 seed = parser.value(QStringLiteral("seed")).toUInt(&seedOk);
    if (parser.positionalArguments().size() != 1 || !countOk || subscribers < 0 || !seedOk) {
        std::fputs("usage: brindle-demo-host DIR [--subscribers N] [--seed S]\n", stderr);
        return 1;
    }

    QElapsedTimer timer;
    timer.start();
    brindle::fixture::HostBuilder host;
    brindle::fixture::generateSample(host, subscribers, seed);
    const auto written = host.write(parser.positionalArguments().first());
    if (!written) {
        std::fprintf(stderr, "brindle-demo-host: %s\n", qPrintable(written.error().message));
        return 1;
    }
    std::printf("Sample host with %d subscribers written to %s in %.1f s\n", subscribers,
                qPrintable(written.value()), timer.elapsed() / 1000.0);
    return 0;
}
