#include <QTest>

#include "support/delimited_reader.h"

using brindle::testing::readDelimited;
using brindle::testing::readFieldPerLine;

using Records = QList<QStringList>;

class DelimitedReaderTest : public QObject {
    Q_OBJECT

private slots:
    void readsRecords_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<Records>("records");

        const QChar comma(u','), tab(u'\t');
        QTest::addRow("crlf record ends") << "a,b\r\nc,d\r\n" << comma << Records{{"a", "b"}, {"c", "d"}};
        QTest::addRow("lf record ends") << "a,b\nc,d\n" << comma << Records{{"a", "b"}, {"c", "d"}};
        QTest::addRow("no line end after last record") << "a\r\nb" << comma << Records{{"a"}, {"b"}};
        QTest::addRow("empty fields") << ",,\r\n" << comma << Records{{"", "", ""}};
        QTest::addRow("empty line is one empty field") << "a\r\n\r\nb\r\n"
                                                       << comma << Records{{"a"}, {""}, {"b"}};
        QTest::addRow("empty text has no records") << "" << comma << Records{};
        QTest::addRow("quoted comma") << "\"a,b\",c" << comma << Records{{"a,b", "c"}};
        QTest::addRow("doubled quotes") << "\"say \"\"hi\"\"\"" << comma << Records{{"say \"hi\""}};
        QTest::addRow("quoted line end") << "\"one\r\ntwo\",3\r\n" << comma << Records{{"one\r\ntwo", "3"}};
        QTest::addRow("blanks kept") << "  a  , b" << comma << Records{{"  a  ", " b"}};
        QTest::addRow("quoted tab") << "\"a\tb\"\tc" << tab << Records{{"a\tb", "c"}};
    }
    void readsRecords() {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(Records, records);
        const auto read = readDelimited(text, separator);
        QVERIFY2(read.ok(), qPrintable(read.ok() ? QString() : read.error().message));
        QCOMPARE(read.value(), records);
    }

    void rejectsMalformedText_data() {
        QTest::addColumn<QString>("text");
        QTest::addRow("unclosed quote") << "\"abc";
        QTest::addRow("text after closing quote") << "\"ab\"c,d";
        QTest::addRow("quote inside unquoted field") << "ab\"c\",d";
        QTest::addRow("lone cr") << "a\rb";
    }
    void rejectsMalformedText() {
        QFETCH(QString, text);
        QVERIFY(!readDelimited(text, u',').ok());
    }

    void readsOneFieldPerLine_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("fields");
        QTest::addRow("commas are text") << "a,b\r\nc" << QStringList{"a,b", "c"};
        QTest::addRow("empty field in the middle") << "A\r\n\r\nB\r\n" << QStringList{"A", "", "B"};
        QTest::addRow("quoted line end") << "\"x\r\ny\"\r\nz\r\n" << QStringList{"x\r\ny", "z"};
    }
    void readsOneFieldPerLine() {
        QFETCH(QString, text);
        QFETCH(QStringList, fields);
        const auto read = readFieldPerLine(text);
        QVERIFY(read.ok());
        QCOMPARE(read.value(), fields);
    }
};

QTEST_GUILESS_MAIN(DelimitedReaderTest)
#include "test_delimited_reader.moc"
