// The host's own files as a damaged or hostile host folder may hold them: never waited on,
// never read without bound, and parsed in time and memory in proportion to their size.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "platform/host_folder.h"
#include "platform/registry_file.h"

using brindle::HostFolder;
using brindle::RegistryFile;

namespace {

constexpr char kVersion5[] = "Windows Registry Editor Version 5.00\r\n\r\n";

// How much slower the sanitizer build (unoptimised, every access checked) runs.
#ifdef __SANITIZE_ADDRESS__
constexpr int kSlowdown = 5;
#else
constexpr int kSlowdown = 1;
#endif

struct ProbeOutcome {
    bool finished = false;
    QString out;
};

// Reads the file in host_file_probe, killed when it has not ended after `seconds`.
ProbeOutcome probe(const QString& what, const QString& path, int seconds) {
    QProcess process;
    process.start(qEnvironmentVariable("BRINDLE_BIN_DIR") + "/host_file_probe", {what, path});
    const bool ended = process.waitForFinished(seconds * 1000);
    if (!ended) process.kill();
    process.waitForFinished();
    const bool finished = ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return {finished, QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed()};
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
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

        const ProbeOutcome outcome = probe("registry", path("registry.reg"), 10 * kSlowdown);
        QVERIFY2(outcome.finished, "the load did not end in time");
        const QStringList fields = outcome.out.split(u' ');
        QCOMPARE(fields.value(0), QStringLiteral("read"));
        const int milliseconds = fields.value(1).toInt();
        const int kib = fields.value(2).toInt();
        qInfo("%d parts: %d ms, %d KiB", kParts, milliseconds, kib);
        QVERIFY2(milliseconds < 2000 * kSlowdown, qPrintable(outcome.out));
        QVERIFY2(kib < 256 * 1024, qPrintable(outcome.out));
    }

    void deepKeysHaveEveryAncestorAndGoWithADeletedOne() {
        constexpr int kParts = 1000;
        const QString deepest = deepPath(kParts);
        const QString middle = deepPath(kParts / 2);
        const QString text = QString(kVersion5) + "[HKEY_LOCAL_MACHINE\\" + deepest +
                             "]\r\n\"N\"=\"deep\"\r\n" + "[HKEY_LOCAL_MACHINE\\" + middle +
                             "]\r\n\"N\"=\"middle\"\r\n";
        auto registry = RegistryFile::parse(text.toUtf8());
        QVERIFY(registry.ok());
        for (int parts = 1; parts <= kParts; ++parts) QVERIFY(registry->hasKey(deepPath(parts)));
        QCOMPARE(registry->value(deepest, "n")->data.toString(), QStringLiteral("deep"));
        QCOMPARE(registry->value(middle.toLower(), "N")->data.toString(), QStringLiteral("middle"));

        const QString deleted = text + "[-HKEY_LOCAL_MACHINE\\" + middle + "]\r\n" + "[HKEY_LOCAL_MACHINE\\" +
                                deepPath(kParts / 2 + 1) + "]\r\n";
        registry = RegistryFile::parse(deleted.toUtf8());
        QVERIFY(registry.ok());
        QVERIFY(registry->hasKey(deepPath(kParts / 2 - 1)));
        QVERIFY(registry->hasKey(middle));
        QVERIFY(!registry->value(middle, "N"));
        QVERIFY(registry->hasKey(deepPath(kParts / 2 + 1)));
        QVERIFY(!registry->hasKey(deepPath(kParts / 2 + 2)));
        QVERIFY(!registry->hasKey(deepest));
    }

    void aHostFileThatIsNotAPlainFileIsRefusedAtOnce_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("refusal");
        for (const char* file : {"registry.reg", "status"}) {
            const QString name = QString::fromLatin1(file);
            const QString prefix = name == "status" ? "Host status file " : "Registry file ";
            QTest::addRow("%s as a named pipe", file)
                << name << "pipe" << prefix + path(name) + " is a named pipe, not a regular file.";
            QTest::addRow("%s linked to /dev/zero", file)
                << name << "zero"
                << prefix + path(name) + " is a symbolic link to a character device, not a regular file.";
            QTest::addRow("%s as a folder", file) << name << "folder" << prefix + path(name) + " is a folder";
        }
        QTest::addRow("registry.reg over 64 MiB") << "registry.reg"
                                                  << "large"
                                                  << "is larger than 64 MiB (67108865 bytes)";
        QTest::addRow("status over 1 KiB") << "status"
                                           << "large"
                                           << "is larger than 1 KiB (1025 bytes)";
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

        const ProbeOutcome outcome =
            probe(file == "status" ? "status" : "registry", file == "status" ? m_dir.path() : target, 10);
        QVERIFY2(outcome.finished, "the read did not end within 10 seconds");
        QVERIFY2(outcome.out.startsWith("refused ") && outcome.out.contains(refusal),
                 qPrintable(outcome.out));
    }

    void theStatusIsItsNumberAndAMissingOrUnreadableOneIsNone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("status");  // -1: none
        QTest::addRow("running") << QByteArray("32\r\n") << 32;
        QTest::addRow("stopped, with blanks") << QByteArray(" 4 ") << 4;
        QTest::addRow("exactly 1 KiB") << QByteArray("32").leftJustified(1024, ' ') << 32;
        QTest::addRow("not a number") << QByteArray("running") << -1;
        QTest::addRow("missing") << QByteArray("(missing)") << -1;
        QTest::addRow("unreadable") << QByteArray("(unreadable)") << -1;
    }
    void theStatusIsItsNumberAndAMissingOrUnreadableOneIsNone() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, status);
        if (bytes != "(missing)") QVERIFY(writeFile(path("status"), bytes));
        if (bytes == "(unreadable)") {
            if (geteuid() == 0) QSKIP("root reads any file");
            QVERIFY(QFile::setPermissions(path("status"), {}));
        }
        const auto read = HostFolder(m_dir.path()).readStatus();
        QVERIFY2(read.ok(), qPrintable(read.ok() ? QString() : read.error().message));
        QCOMPARE(read->value_or(-1), status);
    }

    void aRegistryFileBehindASymbolicLinkIsRead() {
        QVERIFY(writeFile(path("elsewhere.reg"), kVersion5 + QByteArray("[HKEY_LOCAL_MACHINE\\A]\r\n")));
        QVERIFY(QFile::link(path("elsewhere.reg"), path("registry.reg")));
        const auto registry = RegistryFile::load(path("registry.reg"));
        QVERIFY(registry.ok());
        QVERIFY(registry->hasKey("A"));
    }
};

QTEST_GUILESS_MAIN(HostFilesTest)
#include "test_host_files.moc"
