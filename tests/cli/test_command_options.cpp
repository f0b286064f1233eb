#include <QTest>

#include "cli/command_options.h"

using namespace brindle;

namespace {

const QStringList kEntries{"Alias", "Display Name", "COS Name", "Language",
                           "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"};

UnattendedRequest parsed(const QStringList& arguments) {
    const Result<UnattendedRequest> request = parseUnattendedArguments(arguments);
    if (!request) qFatal("refused: %s", qPrintable(request.error().message));
    return *request;
}

}  // namespace

class CommandOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void leavesOptionsOutOfTheLabelsAndThePath() {
        const UnattendedRequest request =
            parsed({"--quiet", "Display", "--separator=tab", "Name", "/f:/tmp/o.csv"});
        QCOMPARE(request.line.text, QString("Display Name /f:/tmp/o.csv"));
        QCOMPARE(request.namingArguments, QStringList({"Display", "Name"}));
        QCOMPARE(request.line.selectedEntries(kEntries), QStringList{"Display Name"});
    }

    void takesWhatFollowsThePathMarkerAsPathEvenWhenItLooksLikeAnOption() {
        const UnattendedRequest request = parsed({"Alias", "/f:/tmp/a", "--quiet", "--foo"});
        QVERIFY(!request.quiet);
        QCOMPARE(request.line.outputPath(), std::optional<QString>("/tmp/a --quiet --foo"));
        QCOMPARE(request.namingArguments, QStringList{"Alias"});
    }

    void namesWithTheTextBeforeTheMarkerInsideAnArgument() {
        const UnattendedRequest request = parsed({"Alias/F:/tmp/o.csv"});
        QCOMPARE(request.namingArguments, QStringList{"Alias"});
        QCOMPARE(request.line.outputPath(), std::optional<QString>("/tmp/o.csv"));
    }

    void refusesWhatItDoesNotKnow_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::addRow("unknown option")
            << QStringList{"Alias", "--foo", "/f:/tmp/o.csv"} << "unknown option --foo (see brindle --help)";
        QTest::addRow("unknown option without a path") << QStringList{"--foo"} << "unknown option --foo";
        QTest::addRow("option in another case")
            << QStringList{"--Quiet", "/f:/tmp/o.csv"} << "unknown option --Quiet";
        QTest::addRow("bare double dash")
            << QStringList{"--", "Alias", "/f:/tmp/o.csv"} << "unknown option --";
        QTest::addRow("bad separator") << QStringList{"--separator=semicolon", "/f:/tmp/o.csv"}
                                       << "unknown separator \"semicolon\": use --separator=comma, "
                                          "--separator=tab or --separator=linefeed";
        QTest::addRow("separator in capitals")
            << QStringList{"--separator=TAB", "/f:/tmp/o.csv"} << "unknown separator \"TAB\"";
        QTest::addRow("bad quotes")
            << QStringList{"--quotes=sometimes", "/f:/tmp/o.csv"}
            << "unknown quotes \"sometimes\": use --quotes=needed, --quotes=always or --quotes=never";
        QTest::addRow("separator without a value")
            << QStringList{"--separator", "Alias", "/f:/tmp/o.csv"} << "missing value after '--separator'";
        QTest::addRow("quiet with a value")
            << QStringList{"--quiet=yes", "/f:/tmp/o.csv"} << "unexpected value after '--quiet'";
        QTest::addRow("list with an export") << QStringList{"--list", "Alias", "/f:/tmp/o.csv"}
                                             << "--help, --version and --list are given alone";
        QTest::addRow("help with an export") << QStringList{"Alias", "--help", "/f:/tmp/o.csv"}
                                             << "--help, --version and --list are given alone";
    }
    void refusesWhatItDoesNotKnow() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Result<UnattendedRequest> request = parseUnattendedArguments(arguments);
        QVERIFY(!request);
        QVERIFY2(request.error().message.startsWith(message), qPrintable(request.error().message));
    }

    void warnsOfWhatMayNotBeMeant_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("warnings");
        const QString nothing = "no data item named in \"%1\"; exporting every item";
        const QString typo = "\"%1\" is part of no data item label (brindle --list shows them)";
        QTest::addRow("correct labels")
            << QStringList{"Alias", "Display Name", "/f:/tmp/o.csv"} << QStringList{};
        QTest::addRow("only the path") << QStringList{"/f:/tmp/o.csv"} << QStringList{};
        QTest::addRow("label split over arguments")
            << QStringList{"display", "NAME", "/f:/tmp/o.csv"} << QStringList{};
        QTest::addRow("two labels in one argument")
            << QStringList{"Alias Language", "/f:/tmp/o.csv"} << QStringList{};
        QTest::addRow("typo among good labels")
            << QStringList{"Alais", "Display Name", "/f:/tmp/o.csv"} << QStringList{typo.arg("Alais")};
        QTest::addRow("only typos") << QStringList{"Alais", "Lnguage", "/f:/tmp/o.csv"}
                                    << QStringList{typo.arg("Alais"), typo.arg("Lnguage"),
                                                   nothing.arg("Alais Lnguage")};
        QTest::addRow("part of a label that names nothing")
            << QStringList{"COS", "/f:/tmp/o.csv"} << QStringList{nothing.arg("COS")};
        QTest::addRow("typo glued to the path")
            << QStringList{"Alias", "Alais/f:/tmp/o.csv"} << QStringList{typo.arg("Alais")};
        QTest::addRow("label in the path names nothing") << QStringList{"Nme", "/f:/srv/Language/o.csv"}
                                                         << QStringList{typo.arg("Nme"), nothing.arg("Nme")};
    }
    void warnsOfWhatMayNotBeMeant() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, warnings);
        const UnattendedRequest request = parsed(arguments);
        QCOMPARE(namingWarnings(request.line, request.namingArguments, kEntries), warnings);
    }

    void takesAPathFromTheHomeFolder_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QString>("expanded");
        QTest::addRow("home") << "~/out/x.csv"
                              << "/home/ann"
                              << "/home/ann/out/x.csv";
        QTest::addRow("home with a slash") << "~/x.csv"
                                           << "/home/ann/"
                                           << "/home/ann/x.csv";
        QTest::addRow("blanks kept") << "~/my out.csv"
                                     << "/home/ann"
                                     << "/home/ann/my out.csv";
        QTest::addRow("another user's home") << "~lee/x.csv"
                                             << "/home/ann"
                                             << "~lee/x.csv";
        QTest::addRow("tilde alone") << "~"
                                     << "/home/ann"
                                     << "~";
        QTest::addRow("tilde inside") << "/srv/~/x.csv"
                                      << "/home/ann"
                                      << "/srv/~/x.csv";
        QTest::addRow("relative") << "out/x.csv"
                                  << "/home/ann"
                                  << "out/x.csv";
    }
    void takesAPathFromTheHomeFolder() {
        QFETCH(QString, path);
        QFETCH(QString, home);
        QFETCH(QString, expanded);
        QCOMPARE(expandHome(path, home), expanded);
    }
};

QTEST_GUILESS_MAIN(CommandOptionsTest)
#include "test_command_options.moc"
