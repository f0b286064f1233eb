#include <QTest>

#include "export/field_writer.h"

using brindle::FieldWriter;
using brindle::QuoteRule;
using brindle::Separator;

Q_DECLARE_METATYPE(QuoteRule)
Q_DECLARE_METATYPE(Separator)

class FieldWriterTest : public QObject {
    Q_OBJECT

private slots:
    // The finished line: which fields are enclosed, and only the last separator dropped. The
    // golden export holds ordinary values under three choices; these are the awkward ones.
    void writesTheLineAsTheRuleSays_data() {
        QTest::addColumn<QuoteRule>("rule");
        QTest::addColumn<Separator>("separator");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("line");
        const auto row = [](const char* tag, QuoteRule rule, Separator separator, const QStringList& values,
                            const QString& line) {
            QTest::addRow("%s", tag) << rule << separator << values << line;
        };
        const auto when = QuoteRule::WhenNeeded;
        const auto commas = Separator::Commas, tabs = Separator::Tabs, lineFeeds = Separator::LineFeeds;
        row("one empty value", when, commas, {""}, "");
        row("nothing appended", when, commas, {}, "");
        row("quote without comma", when, commas, {"say \"hi\""}, "\"say \"\"hi\"\"\"");
        row("tab under commas stays bare", when, commas, {"a\tb"}, "a\tb");
        row("lone cr", when, commas, {"one\rtwo", "x"}, "\"one\rtwo\",x");
        row("comma under tabs", when, tabs, {"a,b", "B"}, "\"a,b\"\tB");
        row("tab under tabs", when, tabs, {"a\tb"}, "\"a\tb\"");
        row("semicolon under semicolons", when, Separator::Semicolons, {"a;b", "c"}, "\"a;b\";c");
        row("semicolon under commas stays bare", when, commas, {"a;b"}, "a;b");
        row("comma under line feeds, the last kept", when, lineFeeds, {"a,b", "B"}, "\"a,b\"\r\nB\r\n");
        row("crlf under line feeds", when, lineFeeds, {"one\r\ntwo"}, "\"one\r\ntwo\"\r\n");
        row("never changes a value", QuoteRule::Never, commas, {"a,b", "say \"hi\"", "one\r\ntwo"},
            "a,b,say \"hi\",one\r\ntwo");
        row("never, line feeds", QuoteRule::Never, lineFeeds, {"a\r\nb"}, "a\r\nb\r\n");
    }
    void writesTheLineAsTheRuleSays() {
        QFETCH(QuoteRule, rule);
        QFETCH(Separator, separator);
        QFETCH(QStringList, values);
        QFETCH(QString, line);
        FieldWriter writer(rule, separator);
        writer.AppendField(QStringLiteral("left over"));
        writer.clear();
        for (const QString& value : values) writer.AppendField(value);
        QCOMPARE(writer.finishLine(), line);
        // The next line starts empty.
        QCOMPARE(writer.currentLine(), QString());
        QCOMPARE(writer.finishLine(), QString());
    }
};

QTEST_GUILESS_MAIN(FieldWriterTest)
#include "test_field_writer.moc"
