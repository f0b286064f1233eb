// The host's own files as a damaged or hostile host folder may hold them: never waited on,
// never read without bound, and parsed in time and memory in proportion to their size.
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <thread>

#include "platform/host_folder.h"
#include "platform/registry_file.h"
#include "support/files.h"

using brindle::HostFolder;
using brindle::RegistryFile;
using brindle::testing::writeFile;

namespace {

constexpr char kVersion5[] = "Windows Registry Editor Version 5.00\r\n\r\n";

// How much slower the sanitizer build (unoptimised, every access checked) runs.
#ifdef __SANITIZE_ADDRESS__
constexpr int kSlowdown = 5;
#else
constexpr int kSlowdown = 1;
#endif

// What `read` gave, or "(did not end)" when it has not ended within `seconds`: a read that
// blocks is left behind on a thread of its own.
QString within(int seconds, std::function<QString()> read) {
    auto outcome = std::make_shared<std::promise<QString>>();
    auto ended = outcome->get_future();
    std::thread([outcome, read = std::move(read)] { outcome->set_value(read()); }).detach();
    if (ended.wait_for(std::chrono::seconds(seconds)) != std::future_status::ready) return "(did not end)";
    return ended.get();
}

QString loaded(const QString& file) {
    const auto registry = RegistryFile::load(file);
    return registry ? QStringLiteral("read") : "refused " + registry.error().message;
}

QString statusOf(const QString& folder) {
    const auto status = HostFolder(folder).readStatus();
    return status ? QStringLiteral("status %1").arg(status->value_or(-1))
                  : "refused " + status.error().message;
}

long peakKib() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

QString deepPath(int parts) {
    QString path = QStringLiteral("SOFTWARE");
    for (int i = 1; i < parts; ++i) path += QStringLiteral("\\K%1").arg(i % 10);
    return path;
}

}  // namespace

class HostFilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void init() {
        for (const char* name : {"registry.reg", "status"}) {
            QFile::remove(path(name));
            QDir(path(name)).removeRecursively();
        }
    }

    void aKeyOfManyPartsIsReadInTimeAndMemoryInProportionToIt() {
        constexpr int kParts = 200'000;
        const QByteArray text = kVersion5 + ("[HKEY_LOCAL_MACHINE\\" + deepPath(kParts) + "]\r\n").toUtf8() +
                                "\"Name\"=\"value\"\r\n";
        QVERIFY(writeFile(path("registry.reg"), text));

        // First of the tests, so that the peak memory before is the program's own.
        const long before = peakKib();
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(within(10 * kSlowdown, [file = path("registry.reg")] { return loaded(file); }), "read");
        const qint64 milliseconds = clock.elapsed();
        const long kib = peakKib() - before;
        qInfo("%d parts: %lld ms, %ld KiB", kParts, milliseconds, kib);
        QVERIFY(milliseconds < 2000 * kSlowdown);
        QVERIFY(kib < 256 * 1024);
    }

    void deepKeysHaveEveryAncestorAndGoWithADeletedOne() {
        constexpr int kParts = 1000;
        const QString deep =
            QString(kVersion5) + "[HKEY_LOCAL_MACHINE\\" + deepPath(kParts) + "]\r\n\"N\"=\"x\"\r\n";
        auto registry = RegistryFile::parse(deep.toUtf8());
        QVERIFY(registry.ok() && registry->value(deepPath(kParts).toLower(), "n"));
        registry =
            RegistryFile::parse((deep + "[-HKEY_LOCAL_MACHINE\\" + deepPath(kParts / 2) + "]\r\n").toUtf8());
        QVERIFY(registry.ok());
        for (int parts = 1; parts < kParts / 2; ++parts) QVERIFY(registry->hasKey(deepPath(parts)));
        QVERIFY(!registry->hasKey(deepPath(kParts / 2)));
        QVERIFY(!registry->hasKey(deepPath(kParts)));
    }

    void aHostFileThatIsNotAPlainFileIsRefusedAtOnce_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal");
        const QString registry = "Registry file " + path("registry.reg");
        const QString status = "Host status file " + path("status");
        QTest::addRow("status as a named pipe") << "status"
                                                << "pipe" << status + " is a named pipe, not a regular file.";
        QTest::addRow("registry.reg linked to /dev/zero")
            << "registry.reg"
            << "zero" << registry + " is a symbolic link to a character device, not a regular file.";
        QTest::addRow("registry.reg as a folder") << "registry.reg"
                                                  << "folder" << registry + " is a folder";
        QTest::addRow("registry.reg a byte too large")
            << "registry.reg"
            << "large" << registry + " is larger than 64 MiB (67108865 bytes)";
        QTest::addRow("status a byte too large") << "status"
                                                 << "large" << status + " is larger than 1 KiB (1025 bytes)";
    }
    void aHostFileThatIsNotAPlainFileIsRefusedAtOnce() {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(QString, refusal);
        const QString target = path(file);
        if (kind == "pipe") QCOMPARE(mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        if (kind == "zero") QVERIFY(QFile::link("/dev/zero", target));
        if (kind == "folder") QVERIFY(QDir().mkpath(target));
        if (kind == "large") {
            // Sparse: the size is what counts, and it costs no disk.
            const qint64 limit = file == "status" ? HostFolder::kMaxStatusBytes : RegistryFile::kMaxFileBytes;
            QVERIFY(writeFile(target, "32"));
            QCOMPARE(truncate(QFile::encodeName(target).constData(), limit + 1), 0);
        }

        const QString folder = m_dir.path();
        const QString out = within(10, [=] { return file == "status" ? statusOf(folder) : loaded(target); });
        QVERIFY2(out.startsWith("refused ") && out.contains(refusal), qPrintable(out));
    }

    void theStatusIsItsNumberAndAMissingOrUnreadableOneIsNone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");  // -1: none
        QTest::addRow("stopped, with blanks") << QByteArray(" 4 ") << 4;
        QTest::addRow("exactly 1 KiB") << QByteArray("32").leftJustified(1024, ' ') << 32;
        QTest::addRow("not a number") << QByteArray("running") << -1;
        QTest::addRow("missing") << QByteArray("(missing)") << -1;
    }
    void theStatusIsItsNumberAndAMissingOrUnreadableOneIsNone() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        if (bytes != "(missing)") QVERIFY(writeFile(path("status"), bytes));
        const auto read = HostFolder(m_dir.path()).readStatus();
        QVERIFY2(read.ok(), qPrintable(read.ok() ? QString() : read.error().message));
        QCOMPARE(read->value_or(-1), status);
    }

    void aRegistryFileBehindASymbolicLinkIsRead() {
        QVERIFY(writeFile(path("elsewhere.reg"), kVersion5 + QByteArray("[HKEY_LOCAL_MACHINE\\A]\r\n")));
        QVERIFY(QFile::link(path("elsewhere.reg"), path("registry.reg")));
        const auto registry = RegistryFile::load(path("registry.reg"));
        QVERIFY(registry.ok() && registry->hasKey("A"));
    }
};

QTEST_GUILESS_MAIN(HostFilesTest)
#include "test_host_files.moc"
