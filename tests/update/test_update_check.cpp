// The update check against a web server of the test's own on 127.0.0.1 that answers every
// request with one canned HTTP/1.0 response, or never answers.
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include "support/recording_notifier.h"
#include "update/update_check.h"

using namespace brindle;
using namespace std::chrono_literals;
using testing::RecordingNotifier;

namespace {

const QString kHomePagePath = QStringLiteral("/Applications/Qvr/Brindle/Brindle.html");
const QByteArray kEntry = "^/Applications/Qvr/Brindle/Brindle.html^ifram_a";
const QByteArray kNoServer = "(no server)";

class CannedServer : public QObject {
public:
    // An empty response is never sent: the connection stays open and silent. kNoServer closes
    // the port at once, so that connecting to it is refused.
    explicit CannedServer(QByteArray response) : m_response(std::move(response)) {
        m_server.listen(QHostAddress::LocalHost);
        m_site = QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
        if (m_response == kNoServer) m_server.close();
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            }
        });
    }
    QString site() const { return m_site; }

    QList<QByteArray> requestLines;

private:
    void answer(QTcpSocket* socket) {
        QByteArray& request = m_requests[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) return;
        requestLines << request.left(request.indexOf("\r\n"));
        if (m_response.isEmpty()) return;
        socket->write(m_response);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QByteArray m_response;
    QString m_site;
    QHash<QTcpSocket*, QByteArray> m_requests;
};

QByteArray httpResponse(const QByteArray& status, const QByteArray& body) {
    return "HTTP/1.0 " + status +
           "\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" +
           body;
}
QByteArray ok(const QByteArray& body) {
    return httpResponse("200 OK", body);
}

// A download list whose entry for this tool gives `version`; another tool's newer entry comes
// first, so the version must be read after the tool's own marker.
QByteArray listWith(const QByteArray& version, const QByteArray& entry = kEntry) {
    return "<?xml version=\"1.0\"?>\r\n<table>\r\n"
           "<row><cell>^/Applications/Qvr/Other/Other.html^ifram_a</cell><cell>9.9.9</cell></row>\r\n"
           "<row><cell>" +
           entry + "</cell><cell>" + version + "</cell></row>\r\n</table>\r\n";
}

// SITE stands for the site's address.
const QString kUnable = QStringLiteral(
    "Unable to contact application home page to check for version.  You can access the home page "
    "and check for updated versions of all Kestrom Halvern tools by going to SITE");
const QString kAvailable = QStringLiteral(
    "An updated version of this tool is available on SITE.  Click OK to open the application home page now");
const QString kUpToDate = QStringLiteral("You have the most up to date version of this tool installed");
const QString kNoDotError = QStringLiteral(
    "(error):5 (Invalid procedure call or argument) in procedure PadVersionString of Module modUpdateCheck");

}  // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    // The version of the tool's entry, padded to four digits a component for comparing as text.
    void theVersionIsReadFromTheToolsEntry_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("latest");
        QTest::addColumn<QStringList>("messages");
        const auto row = [](const char* tag, const QByteArray& list, const char* latest,
                            const QStringList& messages = {}) {
            QTest::newRow(tag) << list << QString(latest) << messages;
        };
        row("after another tool's entry", listWith("1.2.45"), "0001.0002.0045");
        row("five digits stay whole", listWith("1.2.10000"), "0001.0002.10000");
        row("three characters give nothing", listWith("1.2"), "");
        row("no dot is reported and gives nothing", listWith("2024"), "", {kNoDotError});
        row("in other letter cases",
            "<CELL>^/applications/QVR/brindle/Brindle.HTML^IFRAM_A</CELL><CELL>1.3.1", "0001.0003.0001");
        row("a version followed by letters", listWith("1.3.1beta"), "0001.0003.0001");
        row("no entry for the page", listWith("1.3.1", "^/Applications/Qvr/Brindle/Other.html^ifram_a"), "");
    }
    void theVersionIsReadFromTheToolsEntry() {
        QFETCH(QByteArray, list);
        QFETCH(QString, latest);
        QFETCH(QStringList, messages);
        RecordingNotifier notifier;
        QCOMPARE(latestVersionFromList(QString::fromLatin1(list), kHomePagePath, {}, notifier), latest);
        QCOMPARE(notifier.messages, messages);
    }

    // What the user is told (a question marked "? " and its title) and what opens, whatever the site answers.
    // An empty response is a server that never answers.
    void theCheckTellsWhatTheSiteSays_data() {
        QTest::addColumn<QByteArray>("response");
        QTest::addColumn<QStringList>("told");
        QTest::addColumn<QString>("ownVersion");  // empty: the program's own
        QTest::addColumn<bool>("answer");
        const auto row = [](const char* tag, const QByteArray& response, const QStringList& told,
                            const char* ownVersion = "1.2.45", bool answer = true) {
            QTest::newRow(tag) << response << told << QString(ownVersion) << answer;
        };
        const QString ask = "? Updated version is available: " + kAvailable;
        // Blanks in front, so that a body read short loses the entry.
        const QByteArray mib = QByteArray(kMaxFetchBytes - listWith("1.3.1").size(), ' ') + listWith("1.3.1");
        row("a newer version, OK", ok(listWith("1.3.1")), {ask});
        row("a newer version, Cancel", ok(listWith("1.3.1")), {ask}, "1.2.45", false);
        row("the same version", ok(listWith("1.2.45")), {kUpToDate});
        row("a five-digit revision below 2000 as text", ok(listWith("1.2.10000")), {kUpToDate}, "1.2.2000");
        row("no server", kNoServer, {kUnable});
        row("HTTP 404 with a list", httpResponse("404 Not Found", listWith("1.3.1")), {kUnable});
        row("a server that never answers", {}, {kUnable});
        row("a list of 1 MiB and a byte", ok(" " + mib), {kUnable});
        row("a list of 1 MiB", ok(mib), {ask});
        row("a list of 1 MiB ended by the server's close", "HTTP/1.0 200 OK\r\n\r\n" + mib, {ask});
    }
    void theCheckTellsWhatTheSiteSays() {
        QFETCH(QByteArray, response);
        QFETCH(QStringList, told);
        QFETCH(QString, ownVersion);
        QFETCH(bool, answer);
        CannedServer server(response);
        const QString site = server.site();
        auto options = UpdateCheckOptions::forSite(site);
        if (!ownVersion.isEmpty()) options.ownVersion = ownVersion;
        options.timeout = 1s;
        RecordingNotifier notifier(answer);
        QList<QUrl> opened;
        bool eventsServed = false;
        QTimer::singleShot(100ms, [&] { eventsServed = true; });
        QElapsedTimer clock;
        clock.start();

        checkForUpdatedVersion_Foreground(options, notifier, [&](const QUrl& url) {
            opened << url;
            return true;
        });
        QVERIFY2(clock.elapsed() < 4000, "the time-out was not kept");
        QStringList said = notifier.messages;
        for (qsizetype i = 0; i < notifier.questions.size(); ++i)
            said << "? " + notifier.questionTitles[i] + ": " + notifier.questions[i];
        QCOMPARE(said, told.replaceInStrings("SITE", site));
        const bool opens = answer && !notifier.questions.isEmpty();
        QCOMPARE(opened, opens ? QList<QUrl>{QUrl(site + kHomePagePath)} : QList<QUrl>());
        if (response != kNoServer)
            QCOMPARE(server.requestLines.value(0), "GET /SiteList/AllDownloads/AllDownloads.XML HTTP/1.1");
        if (response.isEmpty()) QVERIFY2(eventsServed, "no events were served while the fetch waited");
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "test_update_check.moc"
