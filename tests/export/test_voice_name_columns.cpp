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

InstallPathSource installedAt(const QString& folder) {
    return [folder]() -> Result<QString> { return folder + "/"; };
}

}  // namespace

class VoiceNameColumnsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_files;  // voice names outside any host: absolute ones, and a stream store of our own

private slots:
    void findsTheFileWhereTheVoiceNameSays_data() {
        QTest::addColumn<QString>("voiceName");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("absolute path")
            << m_files.filePath("elsewhere/x.wav") << QStringList{"jsmith_VOICE_NAME.WAV", "1000.WAV"};
        QTest::addRow("relative, with backslashes")
            << "sub\\y.wav" << QStringList{"jsmith_VOICE_NAME.WAV", "1000.WAV"};
        QTest::addRow("drive form that is not here") << "C:\\voice\\x.wav" << emptyFields(2);
        QTest::addRow("empty") << "" << emptyFields(2);
    }
    void findsTheFileWhereTheVoiceNameSays() {
        QFETCH(QString, voiceName);
        QFETCH(QStringList, expected);
        QVERIFY(writeFile(m_files.filePath("elsewhere/x.wav"), "absolute"));
        QVERIFY(writeFile(m_files.filePath("Streams/HalvernDirDb/sub/y.wav"), "relative"));
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", voiceName);
        RUN_EXPORT(out, host, kBothItems, {.installPath = installedAt(m_files.path())});
        QCOMPARE(out.lines.value(0), expected);
        QCOMPARE(out.copies.size(), expected.first().isEmpty() ? 0 : 2);
        QCOMPARE(out.logOf("jsmith"), QStringList());
    }

    // The run may read what its user cannot; its copies land where others may read them.
    void aRelativeVoiceNameMustStayInTheStreamStore_data() {
        QTest::addColumn<QString>("voiceName");
        QTest::addRow("parent folders") << "../../secret";
        QTest::addRow("link to a file outside") << "link.wav";
        QTest::addRow("through a linked folder") << "linked/secret";
    }
    void aRelativeVoiceNameMustStayInTheStreamStore() {
        QFETCH(QString, voiceName);
        const QString store = m_files.filePath("Streams/HalvernDirDb");
        QVERIFY(writeFile(m_files.filePath("secret"), "not for the output folder"));
        QFile::link(m_files.filePath("secret"), store + "/link.wav");
        QFile::link(m_files.path(), store + "/linked");
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", voiceName);
        RUN_EXPORT(out, host, kBothItems, {.installPath = installedAt(m_files.path())});
        QCOMPARE(out.lines.value(0), emptyFields(2));
        QCOMPARE(out.copies.keys(), QStringList());
        const QStringList log = out.logOf("jsmith");
        QCOMPARE(log.size(), 2);
        QVERIFY2(log.first().startsWith("(error) the voice name " + voiceName + " leads to " +
                                        m_files.filePath("secret") + ", outside the stream store"),
                 qPrintable(log.first()));
    }

    void namesFromTheDirectoryNeverLeaveTheOutputFolder_data() {
        QTest::addColumn<QVariant>("alias");
        QTest::addColumn<QVariant>("extension");
        QTest::addColumn<QStringList>("expected");
        QTest::addRow("parent in the alias")
            << QVariant("../x") << QVariant("../../1") << QStringList{".._x_VOICE_NAME.WAV", ".._.._1.WAV"};
        QTest::addRow("dot dot") << QVariant("..") << QVariant(".")
                                 << QStringList{"___VOICE_NAME.WAV", "_.WAV"};
        QTest::addRow("control characters") << QVariant(QString("a\tb\x01")) << QVariant(QString("1\n2"))
                                            << QStringList{"a_b__VOICE_NAME.WAV", "1_2.WAV"};
        QTest::addRow("ordinary names kept") << QVariant("zo\u00eb.j..x") << QVariant("...")
                                             << QStringList{"zo\u00eb.j..x_VOICE_NAME.WAV", "....WAV"};
        QTest::addRow("DEL, a backslash")
            << QVariant("a\x7f") << QVariant("C:\\1") << QStringList{"a__VOICE_NAME.WAV", "C:_1.WAV"};
        QTest::addRow("Null names copy nothing") << QVariant() << QVariant() << emptyFields(2);
        QTest::addRow("empty names copy nothing") << QVariant("") << QVariant("") << emptyFields(2);
    }
    void namesFromTheDirectoryNeverLeaveTheOutputFolder() {
        QFETCH(QVariant, alias);
        QFETCH(QVariant, extension);
        QFETCH(QStringList, expected);
        HostBuilder host;
        auto& rows = host.subscriber("jsmith").set("Alias", alias).set("DTMFAccessID", extension);
        rows.set("VoiceName", "v.wav").voiceFile = "v.wav";
        RUN_EXPORT(out, host, kBothItems);
        QCOMPARE(out.lines.value(0), expected);
        QStringList copied = expected;
        copied.removeAll(QString());
        copied.sort();
        QCOMPARE(out.copies.keys(), copied);
        QCOMPARE(out.strays, QStringList());
    }

    // The first copy of a name keeps it: a later subscriber's is not written over it.
    void aCopyNameTakenInTheRunIsNotWrittenAgain_data() {
        QTest::addColumn<QStringList>("aliases");
        QTest::addColumn<QString>("outputName");
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QString>("holder");
        QTest::addRow("same alias twice") << QStringList{"jsmith", "jsmith"} << "out.csv"
                                          << QStringList{"jsmith_VOICE_NAME.WAV", "1000.WAV"}
                                          << QStringList{"", "1001.WAV"} << "the copy for Alias=jsmith";
        QTest::addRow("aliases that clean to one name")
            << QStringList{"a/b", "a_b"} << "out.csv" << QStringList{"a_b_VOICE_NAME.WAV", "1000.WAV"}
            << QStringList{"", "1001.WAV"} << "the copy for Alias=a/b";
        QTest::addRow("the output file's name")
            << QStringList{"jsmith", "ann"} << "1000.WAV" << QStringList{"jsmith_VOICE_NAME.WAV", ""}
            << QStringList{"ann_VOICE_NAME.WAV", "1001.WAV"} << "the output file";
    }
    void aCopyNameTakenInTheRunIsNotWrittenAgain() {
        QFETCH(QStringList, aliases);
        QFETCH(QString, outputName);
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QString, holder);
        HostBuilder host;
        host.subscriber(aliases[0]).set("VoiceName", "first.wav").voiceFile = "first.wav";
        host.subscriber(aliases[1]).set("VoiceName", "second.wav").voiceFile = "second.wav";
        RUN_EXPORT(out, host, kBothItems,
                   {.prepare =
                        [](const QString& folder) {
                            QVERIFY(writeFile(folder + "/jsmith_VOICE_NAME.WAV", "an old copy"));
                        },
                    .outputName = outputName});
        QCOMPARE(out.lines.value(0), first);
        QCOMPARE(out.lines.value(1), second);
        // Both copies of one subscriber hold the same voice.
        const QStringList firstCopies = first.filter(".WAV");
        QCOMPARE(out.copies.value(firstCopies.first()), out.copies.value(firstCopies.last()));
        QVERIFY(out.copies.value(firstCopies.first()).startsWith("RIFF"));
        const QString refused = holder == "the output file" ? aliases[0] : aliases[1];
        const QStringList log = out.logOf(refused);
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().startsWith("(error) could not copy the voice name ") &&
                     log.first().endsWith("that name is already " + holder),
                 qPrintable(log.first()));
    }

    void aCopyThatFailsIsLoggedAndLeavesTheFieldEmpty() {
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", "v.wav").voiceFile = "v.wav";
        RUN_EXPORT(out, host, kBothItems, {.prepare = [](const QString& folder) {
                       QVERIFY(QDir().mkpath(folder + "/jsmith_VOICE_NAME.WAV/taken"));
                   }});
        QCOMPARE(out.lines.value(0), (QStringList{"", "1000.WAV"}));
        const QStringList log = out.logOf("jsmith");
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().startsWith("(error) could not copy the voice name ") &&
                     log.first().contains("jsmith_VOICE_NAME.WAV"),
                 qPrintable(log.first()));
    }

    void anUnknownInstallFolderIsLoggedOnceAndCopiesNoRelativeName() {
        QVERIFY(writeFile(m_files.filePath("elsewhere/x.wav"), "absolute"));
        HostBuilder host;
        host.subscriber("jsmith").set("VoiceName", "v.wav").voiceFile = "v.wav";
        host.subscriber("ann").set("VoiceName", "v.wav");
        host.subscriber("lee").set("VoiceName", m_files.filePath("elsewhere/x.wav"));
        const QString message =
            "You need to load the verson information before calling any of the path fetch routines.";
        RUN_EXPORT(out, host, kBothItems,
                   {.installPath = [message]() -> Result<QString> { return Error{message}; }});
        QCOMPARE(out.lines.value(0), emptyFields(2));
        QCOMPARE(out.lines.value(1), emptyFields(2));
        QCOMPARE(out.lines.value(2), (QStringList{"lee_VOICE_NAME.WAV", "1002.WAV"}));
        QCOMPARE(out.log.count(message), 1);
        QCOMPARE(out.logOf("jsmith"),
                 QStringList{"(error) " + message + "; voice names in the stream store are not copied"});
    }
};

QTEST_GUILESS_MAIN(VoiceNameColumnsTest)
#include "test_voice_name_columns.moc"
