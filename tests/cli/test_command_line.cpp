// The command line taken apart (path, labels, options, warnings) and the progress line drawn.
#include <QTest>

#include "cli/command_options.h"
#include "cli/progress_display.h"

using namespace brindle;

namespace {

const QStringList kEntries{"Alias", "Display Name", "COS Name", "Language",
                           "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"};

// "PATH [NAMING|ARGUMENTS] SEPARATOR QUOTING", "quiet" after it when quiet; or the refusal.
QString describe(const QStringList& arguments) {
    const Result<UnattendedRequest> request = parseUnattendedArguments(arguments);
    if (!request) return "refused: " + request.error().message;
    return QStringLiteral("%1 [%2] %3 %4%5")
        .arg(request->line.outputPath().value_or("-"), request->namingArguments.join('|'))
        .arg(int(request->separator))
        .arg(int(request->quoting))
        .arg(request->quiet ? " quiet" : "");
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    // Separators: 0 comma, 1 tab, 2 line feed; quoting: 0 never, 1 when needed, 2 always.
    void takesTheLineApart_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("taken");  // what the description begins with
        const auto row = [](const char* tag, const QStringList& arguments, const QString& taken) {
            QTest::addRow("%s", tag) << arguments << taken;
        };
        row("plain", {"Alias", "/f:/o.csv"}, "/o.csv [Alias] 0 1");
        row("upper-case marker", {"/F:/o.csv"}, "/o.csv [] 0 1");
        row("blanks kept", {"/f:/my", "o.csv"}, "/my o.csv [] 0 1");
        row("second marker", {"/f:/a/f:b"}, "/a/f:b [] 0 1");
        row("marker in an argument", {"Alias/F:/o"}, "/o [Alias] 0 1");
        row("no marker", {"Alias", "o.csv"}, "- [Alias|o.csv] 0 1");
        row("options in the path", {"A", "/f:/a", "--quiet", "--x"}, "/a --quiet --x [A] 0 1");
        row("options among labels", {"--quiet", "A", "--separator=tab", "B"}, "- [A|B] 1 1 quiet");
        row("unknown", {"A", "--foo"}, "refused: unknown option --foo (see brindle --help)");
        row("bare double dash", {"--", "A"}, "refused: unknown option --");
        row("bad separator", {"--separator=;"}, "refused: unknown separator \";\": use");
        row("bad quotes", {"--quotes=x"}, "refused: unknown quotes \"x\": use");
        row("semicolons", {"--separator=semicolon", "A"}, "- [A] 3 1");
        row("bad encoding", {"--encoding=latin1"},
            "refused: unknown encoding \"latin1\": use --encoding=utf-8,");
        row("bad dates", {"--dates=us"}, "refused: unknown dates \"us\": use --dates=locale or --dates=iso");
        row("bad summary", {"--summary=xml"}, "refused: unknown summary \"xml\"");
        row("bad format", {"--format=ods"},
            "refused: unknown format \"ods\": use --format=csv or --format=xlsx");
        row("no value", {"--separator", "A"}, "refused: missing value after '--separator'");
        row("help with more", {"A", "--help"}, "refused: --help, --version and --list");
    }
    void takesTheLineApart() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, taken);
        const QString description = describe(arguments);
        QVERIFY2(description.startsWith(taken), qPrintable(description));
    }

    void selectsWhatTheLabelsNameAndWarnsOfTheRest_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QStringList>("warnings");
        const QString none = "no data item named in \"%1\"; exporting every item";
        const QString typo = "\"%1\" is part of no data item label (brindle --list shows them)";
        const auto row = [](const char* tag, const QStringList& arguments, const QStringList& selected,
                            const QStringList& warnings = {}) {
            QTest::addRow("%s", tag) << arguments << selected << warnings;
        };
        row("case ignored, split over arguments", {"display", "NAME", "/f:/o"}, {"Display Name"});
        row("a label holding another", {"Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"},
            {"Alias", kEntries.last()});
        row("two labels in one argument, list order", {"Language Alias", "/f:/o"}, {"Alias", "Language"});
        row("label inside the path", {"Alias", "/f:/srv/Language/o.csv"}, {"Alias"});
        row("only typos", {"Alais", "Lnguage", "/f:/o"}, kEntries,
            {typo.arg("Alais"), typo.arg("Lnguage"), none.arg("Alais Lnguage")});
        row("part of a label names nothing", {"COS", "/f:/o"}, kEntries, {none.arg("COS")});
        row("typo glued to the path", {"Alias", "Alais/f:/o"}, {"Alias"}, {typo.arg("Alais")});
        row("label in the path names nothing", {"Nme", "/f:/srv/Language/o.csv"}, kEntries,
            {typo.arg("Nme"), none.arg("Nme")});
    }
    void selectsWhatTheLabelsNameAndWarnsOfTheRest() {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, selected);
        QFETCH(QStringList, warnings);
        const auto request = parseUnattendedArguments(arguments);
        QCOMPARE(request->line.selectedEntries(kEntries), selected);
        QCOMPARE(namingWarnings(request->line, request->namingArguments, kEntries), warnings);
    }

    void saysHowFarTheRunIs_data() {
        QTest::addColumn<int>("done");
        QTest::addColumn<int>("total");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* tag, int done, int total, qint64 elapsed, const char* text) {
            QTest::addRow("%s", tag) << done << total << elapsed << QString(text);
        };
        row("rate not yet known", 40, 3000, 249, "40 of 3000 subscribers (1%)");
        row("rate known", 40, 3000, 250, "40 of 3000 subscribers (1%), 160/s, 0:19 left");
        row("rounded down", 2999, 3000, 2999, "2999 of 3000 subscribers (99%), 1000/s, 0:00 left");
        row("hours", 10, 100000, 10000, "10 of 100000 subscribers (0%), 1/s, 27:46:30 left");
        row("past the total", 5, 0, 2000, "5 of 0 subscribers (0%), 3/s, 0:00 left");
    }
    void saysHowFarTheRunIs() {
        QFETCH(int, done);
        QFETCH(int, total);
        QFETCH(qint64, elapsed);
        QFETCH(QString, text);
        QCOMPARE(ProgressDisplay::text(done, total, elapsed), text);
    }

    void padsAShorterLineOverALongerOneAndBlanksItAtTheEnd() {
        QString terminal;
        QTextStream stream(&terminal);
        qint64 now = 0;
        ProgressDisplay display(stream, 100, [&now] { return now; });
        now = 60000;
        display.update(1);
        now += 100;
        display.update(99);
        QCOMPARE(terminal, QString("\r1 of 100 subscribers (1%), 0/s, 1:39:00 left"
                                   "\r99 of 100 subscribers (99%), 2/s, 0:01 left "));
        terminal.clear();
        display.clear();
        display.clear();
        ProgressDisplay empty(stream, 0);  // an empty directory draws nothing
        empty.update(1);
        empty.clear();
        QCOMPARE(terminal, "\r" + QString(44, ' ') + "\r");
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_command_line.moc"
