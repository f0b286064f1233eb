// Copying a file that others may have put in place: what is refused, and what a copy may be.
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "platform/file_copy.h"
#include "support/file_size_limit.h"
#include "support/files.h"

using brindle::testing::fileContents;
using brindle::testing::FileSizeLimit;
using brindle::testing::writeFile;

namespace {

const QByteArray kVoice(20'000, 'v');

// As a run copies: the source opened by its path, the copy made in its folder held open.
brindle::Result<void> copyRegularFile(const QString& source, const QString& target) {
    brindle::OpenedSource opened = brindle::openSource(source);
    if (opened.outcome != brindle::OpenedSource::Outcome::Opened) return brindle::Error{opened.reason};
    const QFileInfo copy(target);
    const auto folder = brindle::openFolder(copy.path());
    if (!folder) return folder.error();
    return brindle::copyRegularFile(opened.source, {folder->get(), copy.fileName(), target},
                                    [&source] { return source; });
}

mode_t modeOf(const QString& path) {
    struct stat status = {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode : 0;
}

}  // namespace

class FileCopyTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_source;
    QString m_target;

private slots:
    void init() {
        m_source = m_dir.filePath("source.wav");
        m_target = m_dir.filePath("target.wav");
        QFile::remove(m_target);
        QFile::remove(m_dir.filePath("elsewhere"));
        QVERIFY(writeFile(m_source, kVoice));
    }

    // The copy may be less readable than its source (the umask), never more.
    void givesTheCopyAtMostTheSourcesPermissions_data() {
        QTest::addColumn<int>("sourceMode");
        QTest::addRow("group") << 0640;
        QTest::addRow("read-only") << 0400;
    }
    void givesTheCopyAtMostTheSourcesPermissions() {
        QFETCH(int, sourceMode);
        QCOMPARE(::chmod(QFile::encodeName(m_source).constData(), mode_t(sourceMode)), 0);
        QVERIFY(copyRegularFile(m_source, m_target).ok());
        QCOMPARE(fileContents(m_target), kVoice);
        const mode_t copied = modeOf(m_target) & 0777;
        QCOMPARE(copied & ~mode_t(sourceMode), mode_t(0));
        QVERIFY(S_ISREG(modeOf(m_target)));
    }

    // Whatever stands at the target is replaced, never written through; what cannot be copied
    // leaves no file behind.
    void refusesWhatItMustNotCopyAndLeavesNoPartialFile_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* tag, const char* obstacle, const char* reason) {
            QTest::newRow(tag) << QString(obstacle) << QString(reason);
        };
        row("target is the source", "same", "is the source file itself");
        row("target is a hard link to the source", "hardlink", "is the source file itself");
        row("source is a named pipe", "fifo", "is a named pipe, not a regular file");
        row("source is a device", "device", "is a character device, not a regular file");
        row("disk fills during the copy", "full", "File too large");
    }
    void refusesWhatItMustNotCopyAndLeavesNoPartialFile() {
        QFETCH(QString, obstacle);
        QFETCH(QString, reason);
        QString source = m_source;
        QString target = m_target;
        if (obstacle == "same") target = m_source;
        if (obstacle == "hardlink") QCOMPARE(::link(qPrintable(m_source), qPrintable(m_target)), 0);
        if (obstacle == "fifo") {
            source = m_dir.filePath("pipe.wav");
            QCOMPARE(::mkfifo(qPrintable(source), 0600), 0);
        }
        if (obstacle == "device") source = "/dev/zero";
        brindle::Result<void> copied;
        {
            std::optional<FileSizeLimit> fullDisk;
            if (obstacle == "full") fullDisk.emplace(4096);
            copied = copyRegularFile(source, target);
        }
        QVERIFY(!copied.ok());
        QVERIFY2(copied.error().message.contains(reason), qPrintable(copied.error().message));
        QCOMPARE(fileContents(m_source), kVoice);
        if (obstacle == "hardlink") QCOMPARE(fileContents(m_target), kVoice);
        if (obstacle != "same" && obstacle != "hardlink") QVERIFY(!QFile::exists(m_target));
        QFile::remove(m_dir.filePath("pipe.wav"));
    }

    // Files of /proc and the like say they are empty, and are not.
    void copiesAFileThatSaysItIsEmpty() {
        QVERIFY(copyRegularFile("/proc/self/cmdline", m_target).ok());
        QVERIFY(!fileContents(m_target).isEmpty());
        QCOMPARE(fileContents(m_target), fileContents("/proc/self/cmdline"));
    }

    // A longer copy of an earlier run must not keep its tail; a link is removed, not written
    // through, whether it leads to a file or nowhere.
    void replacesWhatStandsAtTheTargetAndNotWhatItLeadsTo_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::addRow("an earlier, longer copy") << "earlier";
        QTest::addRow("a link to a file") << "link";
        QTest::addRow("a dangling link") << "dangling";
    }
    void replacesWhatStandsAtTheTargetAndNotWhatItLeadsTo() {
        QFETCH(QString, obstacle);
        const QString elsewhere = m_dir.filePath("elsewhere");
        if (obstacle == "earlier") QVERIFY(writeFile(m_target, kVoice + kVoice));
        if (obstacle == "link") QVERIFY(writeFile(elsewhere, "keep"));
        if (obstacle != "earlier") QVERIFY(QFile::link(elsewhere, m_target));
        QVERIFY(copyRegularFile(m_source, m_target).ok());
        QCOMPARE(fileContents(elsewhere), QByteArray(obstacle == "link" ? "keep" : "(missing)"));
        QVERIFY(S_ISREG(modeOf(m_target)));
        QCOMPARE(fileContents(m_target), kVoice);
    }
};

QTEST_GUILESS_MAIN(FileCopyTest)
#include "test_file_copy.moc"
