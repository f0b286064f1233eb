#include <QTest>

#include "cli/command_line.h"

using brindle::CommandLine;

namespace {
const QStringList kEntries{"Alias", "Display Name", "Language",
                           "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"};
}

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void takesEverythingAfterTheFirstMarkerAsThePath_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("path");
        QTest::addRow("plain") << QStringList{"Alias", "/f:/tmp/out.csv"} << "/tmp/out.csv";
        QTest::addRow("upper-case marker") << QStringList{"/F:/tmp/out.csv"} << "/tmp/out.csv";
        QTest::addRow("blanks kept") << QStringList{"/f:/tmp/my", "out.csv"} << "/tmp/my out.csv";
        QTest::addRow("labels after the marker")
            << QStringList{"/f:/tmp/x.csv", "Alias"} << "/tmp/x.csv Alias";
        QTest::addRow("second marker is part of the path") << QStringList{"/f:/a/f:b"} << "/a/f:b";
        QTest::addRow("argument with a blank")
            << QStringList{"Display Name", "/f:/tmp/a b.csv"} << "/tmp/a b.csv";
    }
    void takesEverythingAfterTheFirstMarkerAsThePath() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, path);
        QCOMPARE(CommandLine::fromArguments(arguments).outputPath(), std::optional<QString>(path));
    }

    void hasNoPathWithoutMarker() {
        QCOMPARE(CommandLine::fromArguments({"Alias", "out.csv"}).outputPath(), std::nullopt);
    }

    void selectsEntriesNamedBeforeThePath_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("selected");
        QTest::addRow("one label") << QStringList{"Alias", "/f:/tmp/o.csv"} << QStringList{"Alias"};
        QTest::addRow("case ignored")
            << QStringList{"display", "NAME", "/f:/tmp/o.csv"} << QStringList{"Display Name"};
        QTest::addRow("substring selects Alias too")
            << QStringList{"Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)", "/f:/tmp/o.csv"}
            << QStringList{"Alias", "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"};
        QTest::addRow("only the path selects everything") << QStringList{"/f:/tmp/o.csv"} << kEntries;
        QTest::addRow("label inside the path selects nothing")
            << QStringList{"Alias", "/f:/srv/Language/o.csv"} << QStringList{"Alias"};
        QTest::addRow("unknown words select everything")
            << QStringList{"nothing", "/f:/tmp/o.csv"} << kEntries;
        QTest::addRow("list order, not command order")
            << QStringList{"Language", "Alias", "/f:/tmp/o.csv"} << QStringList{"Alias", "Language"};
    }
    void selectsEntriesNamedBeforeThePath() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, selected);
        QCOMPARE(CommandLine::fromArguments(arguments).selectedEntries(kEntries), selected);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
