#include <QTest>

#include "export/field_writer.h"
#include "support/delimited_reader.h"

using brindle::FieldWriter;
using brindle::QuoteRule;
using brindle::Separator;
using brindle::testing::readDelimited;
using brindle::testing::readFieldPerLine;

Q_DECLARE_METATYPE(QuoteRule)
Q_DECLARE_METATYPE(Separator)

class FieldWriterTest : public QObject {
    Q_OBJECT

private slots:
    // Whatever a field holds, a reader of the file gets it back.
    void readsBackExactly_data() {
        QTest::addColumn<QuoteRule>("rule");
        QTest::addColumn<Separator>("separator");
        QTest::addColumn<QString>("value");
        const QStringList values{"",          "Smith, John", "say \"hi\"",
                                 "col\tumn",  "one\r\ntwo",  "Zo\u00eb \u00c5ngstr\u00f6m \u65e5\u672c",
                                 "  padded  "};
        for (QuoteRule rule : {QuoteRule::WhenNeeded, QuoteRule::Always}) {
            for (Separator separator : {Separator::Commas, Separator::Tabs, Separator::LineFeeds}) {
                for (qsizetype i = 0; i < values.size(); ++i) {
                    QTest::addRow("rule %d, separator %d, value %lld", int(rule), int(separator), qint64(i))
                        << rule << separator << values[i];
                }
            }
        }
    }
    void readsBackExactly() {
        QFETCH(QuoteRule, rule);
        QFETCH(Separator, separator);
        QFETCH(QString, value);
        FieldWriter writer(rule, separator);
        const QStringList values = {QStringLiteral("first"), value, QStringLiteral("last")};
        for (const QString& field : values) writer.AppendField(field);
        const QString record = writer.finishLine() + QStringLiteral("\r\n");  // as the file ends a line

        if (separator == Separator::LineFeeds) {
            const auto read = readFieldPerLine(record);
            QVERIFY2(read.ok(), qPrintable(read.ok() ? QString() : read.error().message));
            // The record's fields, then the empty line that ends it.
            QCOMPARE(read.value(), values + QStringList{QString()});
        } else {
            const auto read = readDelimited(record + record, separator == Separator::Tabs ? u'\t' : u',');
            QVERIFY2(read.ok(), qPrintable(read.ok() ? QString() : read.error().message));
            QCOMPARE(read.value(), (QList<QStringList>{values, values}));
        }
    }

    // The finished line: which fields are enclosed, and only the last separator dropped.
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
        row("plain values stay bare", when, commas, {"A", "B"}, "A,B");
        row("one empty value", when, commas, {""}, "");
        row("empty values", when, commas, {"", ""}, ",");
        row("nothing appended", when, commas, {}, "");
        row("quote without comma", when, commas, {"say \"hi\""}, "\"say \"\"hi\"\"\"");
        row("tab under commas stays bare", when, commas, {"a\tb"}, "a\tb");
        row("lone cr", when, commas, {"one\rtwo", "x"}, "\"one\rtwo\",x");
        row("tabs", when, tabs, {"A", "B"}, "A\tB");
        row("comma under tabs", when, tabs, {"a,b"}, "\"a,b\"");
        row("tab under tabs", when, tabs, {"a\tb"}, "\"a\tb\"");
        row("lone lf", when, tabs, {"one\ntwo"}, "\"one\ntwo\"");
        row("line feeds keep the last", when, lineFeeds, {"A", "B"}, "A\r\nB\r\n");
        row("comma under line feeds", when, lineFeeds, {"a,b"}, "\"a,b\"\r\n");
        row("crlf under line feeds", when, lineFeeds, {"one\r\ntwo"}, "\"one\r\ntwo\"\r\n");
        row("nothing appended, line feeds", when, lineFeeds, {}, "");
        row("always encloses an empty value", QuoteRule::Always, commas, {"", "Alias"}, "\"\",\"Alias\"");
        row("always doubles quotes", QuoteRule::Always, tabs, {"say \"hi\""}, "\"say \"\"hi\"\"\"");
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
