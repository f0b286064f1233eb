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

namespace {

struct Awkward {
    const char* name;
    QString value;
};

const QList<Awkward>& awkwardValues() {
    static const QList<Awkward> values = {
        {"empty", QString()},
        {"comma", QStringLiteral("Smith, John")},
        {"quotes", QStringLiteral("say \"hi\"")},
        {"tab", QStringLiteral("col\tumn")},
        {"crlf", QStringLiteral("one\r\ntwo")},
        {"non-ascii", QStringLiteral("Zo\u00eb \u00c5ngstr\u00f6m \u65e5\u672c")},
        {"blanks", QStringLiteral("  padded  ")},
    };
    return values;
}

const char* ruleName(QuoteRule rule) {
    return rule == QuoteRule::Always ? "always" : "when-needed";
}

const char* separatorName(Separator separator) {
    switch (separator) {
        case Separator::Commas:
            return "commas";
        case Separator::Tabs:
            return "tabs";
        case Separator::LineFeeds:
            break;
    }
    return "line-feeds";
}

// A record as the export writes it: the finished line and the file's CR LF.
QString writtenRecord(FieldWriter& writer, const QStringList& values) {
    for (const QString& value : values) writer.AppendField(value);
    return writer.finishLine() + QStringLiteral("\r\n");
}

}  // namespace

class FieldWriterTest : public QObject {
    Q_OBJECT

private slots:
    void readsBackExactly_data() {
        QTest::addColumn<QuoteRule>("rule");
        QTest::addColumn<Separator>("separator");
        QTest::addColumn<QString>("value");
        for (QuoteRule rule : {QuoteRule::WhenNeeded, QuoteRule::Always}) {
            for (Separator separator : {Separator::Commas, Separator::Tabs, Separator::LineFeeds}) {
                for (const Awkward& awkward : awkwardValues()) {
                    QTest::addRow("%s/%s/%s", ruleName(rule), separatorName(separator), awkward.name)
                        << rule << separator << awkward.value;
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
        const QString record = writtenRecord(writer, values);

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

    void neverWritesValuesUnchanged_data() {
        QTest::addColumn<Separator>("separator");
        QTest::addColumn<QString>("separatorText");
        QTest::addColumn<QString>("value");
        const QList<std::pair<Separator, QString>> separators = {
            {Separator::Commas, ","}, {Separator::Tabs, "\t"}, {Separator::LineFeeds, "\r\n"}};
        for (const auto& [separator, text] : separators) {
            for (const Awkward& awkward : awkwardValues()) {
                QTest::addRow("%s/%s", separatorName(separator), awkward.name)
                    << separator << text << awkward.value;
            }
        }
    }
    void neverWritesValuesUnchanged() {
        QFETCH(Separator, separator);
        QFETCH(QString, separatorText);
        QFETCH(QString, value);
        FieldWriter writer(QuoteRule::Never, separator);
        writer.AppendField(value);
        QCOMPARE(writer.currentLine(), value + separatorText);
    }

    void enclosesAsTheRuleSays_data() {
        QTest::addColumn<QuoteRule>("rule");
        QTest::addColumn<Separator>("separator");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("line");
        const auto when = QuoteRule::WhenNeeded;
        QTest::addRow("plain value stays bare") << when << Separator::Commas << "plain"
                                                << "plain,";
        QTest::addRow("empty value is an empty field") << when << Separator::Commas << ""
                                                       << ",";
        QTest::addRow("always encloses an empty value") << QuoteRule::Always << Separator::Commas << ""
                                                        << "\"\",";
        QTest::addRow("always encloses a plain value") << QuoteRule::Always << Separator::Tabs << "Alias"
                                                       << "\"Alias\"\t";
        QTest::addRow("comma under tabs") << when << Separator::Tabs << "a,b"
                                          << "\"a,b\"\t";
        QTest::addRow("comma under line feeds") << when << Separator::LineFeeds << "a,b"
                                                << "\"a,b\"\r\n";
        QTest::addRow("quote without comma") << when << Separator::Commas << "say \"hi\""
                                             << "\"say \"\"hi\"\"\",";
        QTest::addRow("always doubles quotes") << QuoteRule::Always << Separator::Commas << "say \"hi\""
                                               << "\"say \"\"hi\"\"\",";
        QTest::addRow("tab under tabs") << when << Separator::Tabs << "a\tb"
                                        << "\"a\tb\"\t";
        QTest::addRow("tab under commas stays bare") << when << Separator::Commas << "a\tb"
                                                     << "a\tb,";
        QTest::addRow("crlf") << when << Separator::Commas << "one\r\ntwo"
                              << "\"one\r\ntwo\",";
        QTest::addRow("lone lf") << when << Separator::Tabs << "one\ntwo"
                                 << "\"one\ntwo\"\t";
        QTest::addRow("lone cr") << when << Separator::Commas << "one\rtwo"
                                 << "\"one\rtwo\",";
        QTest::addRow("crlf under line feeds") << when << Separator::LineFeeds << "one\r\ntwo"
                                               << "\"one\r\ntwo\"\r\n";
    }
    void enclosesAsTheRuleSays() {
        QFETCH(QuoteRule, rule);
        QFETCH(Separator, separator);
        QFETCH(QString, value);
        QFETCH(QString, line);
        FieldWriter writer(rule, separator);
        writer.AppendField(value);
        QCOMPARE(writer.currentLine(), line);
    }

    void finishedLineDropsOnlyTheLastSeparator_data() {
        QTest::addColumn<QuoteRule>("rule");
        QTest::addColumn<Separator>("separator");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("line");
        const auto when = QuoteRule::WhenNeeded;
        QTest::addRow("commas") << when << Separator::Commas << QStringList{"A", "B"} << "A,B";
        QTest::addRow("tabs") << when << Separator::Tabs << QStringList{"A", "B"} << "A\tB";
        QTest::addRow("line feeds keep it")
            << when << Separator::LineFeeds << QStringList{"A", "B"} << "A\r\nB\r\n";
        QTest::addRow("one empty value under commas") << when << Separator::Commas << QStringList{""} << "";
        QTest::addRow("empty values under commas") << when << Separator::Commas << QStringList{"", ""} << ",";
        QTest::addRow("always on one empty value")
            << QuoteRule::Always << Separator::Commas << QStringList{""} << "\"\"";
        QTest::addRow("nothing appended, commas") << when << Separator::Commas << QStringList{} << "";
        QTest::addRow("nothing appended, line feeds") << when << Separator::LineFeeds << QStringList{} << "";
    }
    void finishedLineDropsOnlyTheLastSeparator() {
        QFETCH(QuoteRule, rule);
        QFETCH(Separator, separator);
        QFETCH(QStringList, values);
        QFETCH(QString, line);
        FieldWriter writer(rule, separator);
        for (const QString& value : values) writer.AppendField(value);
        QCOMPARE(writer.finishLine(), line);
        QCOMPARE(writer.currentLine(), QString());
        QCOMPARE(writer.finishLine(), QString());
    }

    void lineFeedRecordEndsInAnEmptyLine() {
        FieldWriter writer(QuoteRule::WhenNeeded, Separator::LineFeeds);
        QCOMPARE(writtenRecord(writer, {"A", "B"}), QStringLiteral("A\r\nB\r\n\r\n"));
    }

    void eachLineStartsEmpty() {
        FieldWriter writer(QuoteRule::WhenNeeded, Separator::Commas);
        QCOMPARE(writtenRecord(writer, {"Alias", "Display Name"}), QStringLiteral("Alias,Display Name\r\n"));
        QCOMPARE(writtenRecord(writer, {"jsmith", "Smith, John"}),
                 QStringLiteral("jsmith,\"Smith, John\"\r\n"));
    }

    void clearDropsTheCurrentLine() {
        FieldWriter writer(QuoteRule::Always, Separator::Tabs);
        writer.AppendField(QStringLiteral("left over"));
        writer.clear();
        QCOMPARE(writer.currentLine(), QString());
        writer.AppendField(QStringLiteral("x"));
        QCOMPARE(writer.finishLine(), QStringLiteral("\"x\""));
    }
};

QTEST_GUILESS_MAIN(FieldWriterTest)
#include "test_field_writer.moc"
