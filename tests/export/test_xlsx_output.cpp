#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "export/output/xlsx_file_output.h"
#include "support/file_size_limit.h"
#include "support/files.h"

using brindle::XlsxFileOutput;
using brindle::testing::fileContents;
using brindle::testing::writeFile;

// Reads the workbook with a reader of its own, as a spreadsheet would, and tells what it found.
static const char* const kReader = R"(
import json, sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]
json.dump({"sheets": book.sheetnames, "frozen": sheet.freeze_panes, "filter": sheet.auto_filter.ref,
           "bold": all(cell.font.b for cell in sheet[1]),
           "widths": [sheet.column_dimensions[c].width for c in "AB"],
           "cells": [[cell.value, cell.data_type] for row in sheet.iter_rows(min_row=2) for cell in row]},
          sys.stdout)
)";

static QJsonObject readBack(const QString& path) {
    QProcess reader;
    // Debian's own Python, where python3-openpyxl is.
    reader.start("/usr/bin/python3", {"-c", kReader, path});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0) {
        qWarning().noquote() << reader.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(reader.readAllStandardOutput()).object();
}

class XlsxOutputTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    // One subscriber's value under a header: it comes back as the same text in a text cell, or
    // cut with the change said; the sheet around it is the same every time.
    void readsBackAsText_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("back");
        QTest::addColumn<bool>("changed");
        const auto same = [](const char* tag, const QString& value) {
            QTest::addRow("%s", tag) << value << value << false;
        };
        same("leading zeros", "0049301234");
        same("20 digits", "12345678901234567890");
        same("a formula", "=1+1");
        same("a leading space", " 31354106");
        same("not ASCII", "Müller");
        same("a date", "12/5/2026 3:04:05 PM");
        same("a pair of surrogates", "Notenschlüssel \U0001D11E");
        const QString longValue = QString(39999, 'x') + "y";
        QTest::addRow("40,000 characters") << longValue << longValue.left(32767) << true;
        // Characters XML cannot hold, and a value's own "_xHHHH_", are written as the format's
        // _xHHHH_ escapes, which a spreadsheet reads back and openpyxl leaves as they are.
        QTest::addRow("control characters")
            << QString("a\tb\r\nc\x01") << QString("a\tb_x000D_\nc_x0001_") << false;
        QTest::addRow("not XML, and an escape's look")
            << QString("\uFFFF _x0041_") << QString("_xFFFF_ _x005F_x0041_") << false;
        QTest::addRow("half a surrogate pair")
            << QString("a") + QChar(0xD800) + "b" << QString("a?b") << true;
        QTest::addRow("empty") << QString() << QString() << false;
    }
    void readsBackAsText() {
        QFETCH(QString, value);
        QFETCH(QString, back);
        QFETCH(bool, changed);
        const QString path = m_dir.filePath("subscribers.xlsx");
        XlsxFileOutput output(path);
        QVERIFY(output.open().ok());
        QVERIFY(output.writeRow({"Alias", "Value"}).isEmpty());
        const auto changes = output.writeRow({"jsmith", value});
        QVERIFY(output.commit().ok());
        QCOMPARE(changes.size(), changed ? 1 : 0);
        if (changed) QCOMPARE(changes[0].index, 1);
        const QJsonObject sheet = readBack(path);
        QCOMPARE(sheet["sheets"].toArray(), QJsonArray{"Subscribers"});
        QCOMPARE(sheet["frozen"].toString(), "A2");
        QCOMPARE(sheet["filter"].toString(), "A1:B2");
        QVERIFY(sheet["bold"].toBool());
        // The library adds its margin of 0.71 to the characters of "jsmith", and to at most 60.
        QCOMPARE(sheet["widths"].toArray()[0].toDouble(), 6.7109375);
        QVERIFY(sheet["widths"].toArray()[1].toDouble() <= 60.8);
        const QJsonArray expected{QJsonArray{"jsmith", "s"},
                                  back.isEmpty() ? QJsonArray{{}, "n"} : QJsonArray{back, "s"}};
        QCOMPARE(sheet["cells"].toArray(), expected);
    }

    // Nothing but a committed workbook replaces the old file, and a failure says why.
    void replacesTheOldFileOnlyWhenCommitted_data() {
        QTest::addColumn<QString>("ending");
        QTest::addColumn<QString>("failure");
        const auto row = [](const char* tag, const char* ending, const char* failure) {
            QTest::addRow("%s", tag) << QString(ending) << QString(failure);
        };
        row("committed", "commit", "");
        row("cancelled", "cancel", "");
        row("file size limit", "limit", "too large");
        row("folder removed", "remove", "xlsx");
    }
    void replacesTheOldFileOnlyWhenCommitted() {
        QFETCH(QString, ending);
        QFETCH(QString, failure);
        const QString folder = m_dir.filePath(QTest::currentDataTag());
        const QString path = folder + "/subscribers.xlsx";
        QVERIFY(writeFile(path, "old"));
        std::optional<brindle::testing::FileSizeLimit> limit;
        if (ending == "limit") limit.emplace(64 * 1024);
        XlsxFileOutput output(path);
        QVERIFY(output.open().ok());
        for (int row = 0; row < 3000; ++row) output.writeRow({QString::number(row), QString(100, 'x')});
        if (ending == "cancel") {
            output.cancel();
        } else {
            if (ending == "remove") QVERIFY(QDir(folder).removeRecursively());
            const auto committed = output.commit();
            QCOMPARE(committed.ok(), failure.isEmpty());
            if (!committed.ok())
                QVERIFY2(committed.error().message.contains(failure), qPrintable(committed.error().message));
        }
        const bool replaced = ending == "commit";
        if (ending != "remove") QCOMPARE(fileContents(path) == "old", !replaced);
        if (replaced) QCOMPARE(readBack(path)["cells"].toArray().size(), 2 * 2999);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 ending == "remove" ? QStringList{} : QStringList{"subscribers.xlsx"});
    }
};

QTEST_GUILESS_MAIN(XlsxOutputTest)
#include "test_xlsx_output.moc"
