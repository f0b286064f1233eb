// The voice-name file columns: what is copied where, and what the field says, for the names
// and failures the golden export's sample host does not have.
#include <QTemporaryDir>
#include <QTest>

#include "hostbuilder/host_builder.h"
#include "support/column_export.h"
#include "support/files.h"

using namespace brindle;
using namespace brindle::testing;
using brindle::fixture::HostBuilder;

namespace {

const QStringList kBothItems{"Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)",
                             "Voice Name WAV File ([Primary Extension].WAV)"};

}  // namespace

class VoiceNameColumnsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_files;  // voice names outside any host: absolute ones, and a stream store of our own

    ExportSetup installedHere() const {
        return {.installPath = [folder = m_files.path()]() -> Result<QString> { return folder + "/"; }};
    }

private slots:
    void init() {
        QVERIFY(writeFile(m_files.filePath("elsewhere/x.wav"), "absolute"));
        QVERIFY(writeFile(m_files.filePath("Streams/HalvernDirDb/sub/y.wav"), "relative"));
        QVERIFY(writeFile(m_files.filePath("secret"), "not for the output folder"));
        QFile::link(m_files.filePath("secret"), m_files.filePath("Streams/HalvernDirDb/link.wav"));
        QFile::link(m_files.path(), m_files.filePath("Streams/HalvernDirDb/linked"));
        QFile::link(m_files.filePath("Streams/HalvernDirDb/sub/y.wav"),
                    m_files.filePath("Streams/HalvernDirDb/inside.wav"));
    }
    // The voice name is found where it says, as an absolute path or one in the stream store.
    void copiesTheVoiceNameFromWhereItSays_data() {
        QTest::addColumn<QString>("voiceName");
        QTest::addColumn<QStringList>("expected");
        const QStringList plain{"jsmith_VOICE_NAME.WAV", "1000.WAV"};
        QTest::addRow("absolute path") << m_files.filePath("elsewhere/x.wav") << plain;
        QTest::addRow("relative, with backslashes") << "sub\\y.wav" << plain;
        QTest::addRow("relative, not there") << "sub\\none.wav" << emptyFields(2);
        QTest::addRow("absolute link that stays inside") << "inside.wav" << plain;
        QTest::addRow("drive form that is not here") << "C:\\voice\\x.wav" << emptyFields(2);
    }
    void copiesTheVoiceNameFromWhereItSays() {
        QFETCH(QString, voiceName);
        QFETCH(QStringList, expected);
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", voiceName);
        RUN_EXPORT(out, host, kBothItems, installedHere());
        QCOMPARE(out.lines.value(0), expected);
        QStringList copied = expected;
        copied.removeAll(QString());
        copied.sort();
        QCOMPARE(out.copies.keys(), copied);
        QCOMPARE(out.strays, QStringList());
        QCOMPARE(out.logOf("jsmith"), QStringList());
    }

    // The run may read what its user cannot; its copies land where others may read them.
    void aRelativeVoiceNameMustStayInTheStreamStore_data() {
        QTest::addColumn<QString>("voiceName");
        QTest::addColumn<QString>("leadsTo");
        const QString secret = m_files.filePath("secret");
        QTest::addRow("parent folders") << "../../secret" << secret;
        QTest::addRow("link to a file outside") << "link.wav" << secret;
        QTest::addRow("through a linked folder") << "linked/secret" << secret;
        QTest::addRow("the stream store itself") << "sub/.." << m_files.filePath("Streams/HalvernDirDb");
    }
    void aRelativeVoiceNameMustStayInTheStreamStore() {
        QFETCH(QString, voiceName);
        QFETCH(QString, leadsTo);
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", voiceName);
        RUN_EXPORT(out, host, kBothItems, installedHere());
        QCOMPARE(out.lines.value(0), emptyFields(2));
        QCOMPARE(out.copies.keys(), QStringList());
        QCOMPARE(out.logOf("jsmith").size(), 2);  // once for each item
        QCOMPARE(out.logOf("jsmith").first(), "(error) the voice name " + voiceName + " leads to " + leadsTo +
                                                  ", outside the stream store " +
                                                  m_files.filePath("Streams/HalvernDirDb/") +
                                                  "; it is not copied");
    }

    // The first copy of a name keeps it: a later subscriber's is not written over it.
    void aCopyNameTakenInTheRunIsNotWrittenAgain_data() {
        QTest::addColumn<QStringList>("aliases");
        QTest::addColumn<QString>("outputName");
        QTest::addColumn<QStringList>("lines");  // both subscribers' fields
        QTest::addColumn<QString>("holder");
        QTest::addRow("same alias twice") << QStringList{"jsmith", "jsmith"} << "out.csv"
                                          << QStringList{"jsmith_VOICE_NAME.WAV", "1000.WAV", "", "1001.WAV"}
                                          << "the copy for Alias=jsmith";
        QTest::addRow("aliases that clean to one name")
            << QStringList{"a/b", "a_b"} << "out.csv"
            << QStringList{"a_b_VOICE_NAME.WAV", "1000.WAV", "", "1001.WAV"} << "the copy for Alias=a/b";
        QTest::addRow("the output file's name")
            << QStringList{"jsmith", "ann"} << "1000.WAV"
            << QStringList{"jsmith_VOICE_NAME.WAV", "", "ann_VOICE_NAME.WAV", "1001.WAV"}
            << "the output file";
    }
    void aCopyNameTakenInTheRunIsNotWrittenAgain() {
        QFETCH(QStringList, aliases);
        QFETCH(QString, outputName);
        QFETCH(QStringList, lines);
        QFETCH(QString, holder);
        HostBuilder host;
        host.subscriber(aliases[0]).set("VoiceName", "first.wav").voiceFile = "first.wav";
        host.subscriber(aliases[1]).set("VoiceName", "second.wav").voiceFile = "second.wav";
        const auto oldCopy = [](const QString& folder) {
            writeFile(folder + "/jsmith_VOICE_NAME.WAV", "old");
        };
        RUN_EXPORT(out, host, kBothItems, {.prepare = oldCopy, .outputName = outputName});
        QCOMPARE(out.lines.value(0) + out.lines.value(1), lines);
        // Both copies of the first subscriber hold its voice, not the old copy.
        QVERIFY(out.copies.value(lines[0]).startsWith("RIFF"));
        if (!lines[1].isEmpty()) QCOMPARE(out.copies.value(lines[1]), out.copies.value(lines[0]));
        const QString refused = holder == "the output file" ? aliases[0] : aliases[1];
        QCOMPARE(out.logOf(refused).size(), 1);
        QVERIFY(out.logOf(refused).first().startsWith("(error) could not copy the voice name "));
        QVERIFY(out.logOf(refused).first().endsWith("that name is already " + holder));
    }

    // The line names the source where the name resolves to, the copy, and why.
    void aCopyThatFailsIsLoggedAndLeavesTheFieldEmpty_data() {
        QTest::addColumn<QString>("voiceName");
        QTest::addColumn<QString>("resolved");  // in the stream store
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QString>("reason");  // %1 the source, %2 the copy
        QTest::addRow("a folder where the copy goes")
            << "sub/../sub/y.wav"
            << "sub/y.wav" << QStringList{"", "1000.WAV"} << "cannot replace %2: Is a directory";
        QTest::addRow("a folder as the voice name")
            << "./sub"
            << "sub" << emptyFields(2) << "%1 is a folder, not a regular file";
    }
    void aCopyThatFailsIsLoggedAndLeavesTheFieldEmpty() {
        QFETCH(QString, voiceName);
        QFETCH(QString, resolved);
        QFETCH(QStringList, fields);
        QFETCH(QString, reason);
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", voiceName);
        QString outputFolder;
        ExportSetup setup = installedHere();
        setup.prepare = [&outputFolder](const QString& folder) {
            outputFolder = folder;
            QDir().mkpath(folder + "/jsmith_VOICE_NAME.WAV/taken");
        };
        RUN_EXPORT(out, host, kBothItems, setup);
        QCOMPARE(out.lines.value(0), fields);
        const QString source = m_files.filePath("Streams/HalvernDirDb/" + resolved);
        const QString copy = outputFolder + "/jsmith_VOICE_NAME.WAV";
        QCOMPARE(out.logOf("jsmith").value(0), "(error) could not copy the voice name " + source + " to " +
                                                   copy + ": " +
                                                   QString(reason).replace("%1", source).replace("%2", copy));
        QCOMPARE(out.logOf("jsmith").size(), fields.count(QString()));
    }

    void anUnknownInstallFolderIsLoggedOnceAndCopiesNoRelativeName() {
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", "v.wav").voiceFile = "v.wav";
        host.subscriber("ann").set("VoiceName", "v.wav");
        host.subscriber("lee").set("VoiceName", m_files.filePath("elsewhere/x.wav"));
        const QString message = "the install folder is not known";
        RUN_EXPORT(out, host, kBothItems,
                   {.installPath = [message]() -> Result<QString> { return Error{message}; }});
        QCOMPARE(out.lines,
                 (QList<QStringList>{emptyFields(2), emptyFields(2), {"lee_VOICE_NAME.WAV", "1002.WAV"}}));
        QCOMPARE(out.log.count(message), 1);
        QCOMPARE(out.logOf("jsmith"),
                 QStringList{"(error) " + message + "; voice names in the stream store are not copied"});
    }
};

QTEST_GUILESS_MAIN(VoiceNameColumnsTest)
#include "test_voice_name_columns.moc"
