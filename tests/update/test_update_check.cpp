// The update check against a web server of the test's own on 127.0.0.1 that answers every
// request with one canned HTTP/1.0 response, or never answers.
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include "platform/version.h"
#include "support/recording_notifier.h"
#include "update/update_check.h"

using namespace brindle;
using namespace std::chrono_literals;
using testing::RecordingNotifier;

namespace {

const QString kHomePagePath = QStringLiteral("/Applications/Qvr/Brindle/Brindle.html");
const QByteArray kEntry = "^/Applications/Qvr/Brindle/Brindle.html^ifram_a";

class CannedServer : public QObject {
public:
    // An empty response is never sent: the connection stays open and silent.
    explicit CannedServer(QByteArray response) : m_response(std::move(response)) {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            }
        });
    }
    QString site() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    QString homePage() const { return site() + kHomePagePath; }

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
    QHash<QTcpSocket*, QByteArray> m_requests;
};

// With the length stated: a body ended only by the server's close makes Qt now and then send
// the same GET again on a second connection, which would upset the request counts below.
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

QByteArray paddedTo(QByteArray body, qsizetype size) {
    return body + QByteArray(size - body.size(), ' ');
}

// A port that was free a moment ago, so connecting to it is refused.
QString refusedAddress() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return QStringLiteral("http://127.0.0.1:%1").arg(probe.serverPort()) + kHomePagePath;
}

QString unableToContact(const QString& site) {
    return "Unable to contact application home page to check for version.  You can access the home page "
           "and check for updated versions of all Kestrom Halvern tools by going to " +
           site;
}
QString updateAvailable(const QString& site) {
    return "An updated version of this tool is available on " + site +
           ".  Click OK to open the application home page now";
}
const QString kUpToDate = QStringLiteral("You have the most up to date version of this tool installed");
const QString kNoDotError = QStringLiteral(
    "(error):5 (Invalid procedure call or argument) in procedure PadVersionString of Module modUpdateCheck");

enum class Outcome { Update, UpToDate, Unable };

}  // namespace

Q_DECLARE_METATYPE(Outcome)

class UpdateCheckTest : public QObject {
    Q_OBJECT

private slots:
    void versionsArePaddedToFourDigitsAComponent_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("padded");
        QTest::newRow("three components") << "1.2.45"
                                          << "0001.0002.0045";
        QTest::newRow("four components") << "1.2.3.4"
                                         << "0001.0002.0003.0004";
        QTest::newRow("five digits stay whole") << "1.2.10000"
                                                << "0001.0002.10000";
        QTest::newRow("zeros in front are counted once") << "0012.7"
                                                         << "0012.0007";
        QTest::newRow("an empty component stays empty") << "1..2"
                                                        << "0001..0002";
        QTest::newRow("words stay as they are") << "x.y.z"
                                                << "x.y.z";
        QTest::newRow("three characters give nothing") << "1.2"
                                                       << "";
        QTest::newRow("nothing gives nothing") << ""
                                               << "";
    }
    void versionsArePaddedToFourDigitsAComponent() {
        QFETCH(QString, version);
        QFETCH(QString, padded);
        RecordingNotifier notifier;
        QCOMPARE(PadVersionString(version, notifier), padded);
        QCOMPARE(notifier.messages, QStringList());
    }

    void aVersionWithoutADotIsReportedAndGivesNothing() {
        RecordingNotifier notifier;
        QCOMPARE(PadVersionString("2024", notifier), QString());
        QCOMPARE(notifier.messages, QStringList{kNoDotError});
    }

    void theCheckTellsWhatTheDownloadListSays_data() {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QString>("ownVersion");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("a newer minor version") << listWith("1.3.1") << "1.2.45" << Outcome::Update;
        QTest::newRow("a newer three-digit revision") << listWith("1.2.100") << "1.2.45" << Outcome::Update;
        QTest::newRow("the same version") << listWith("1.2.45") << "1.2.45" << Outcome::UpToDate;
        QTest::newRow("an older version") << listWith("1.2.9") << "1.2.45" << Outcome::UpToDate;
        QTest::newRow("a version too short to read") << listWith("1.2") << "1.2.45" << Outcome::Unable;
        QTest::newRow("a five-digit revision above 45")
            << listWith("1.2.10000") << "1.2.45" << Outcome::Update;
        QTest::newRow("a five-digit revision below 2000 as text")
            << listWith("1.2.10000") << "1.2.2000" << Outcome::UpToDate;
        QTest::newRow("the entry in other letter cases")
            << QByteArray("<CELL>^/applications/QVR/brindle/Brindle.HTML^IFRAM_A</CELL><CELL>1.3.1</CELL>")
            << "1.2.45" << Outcome::Update;
        QTest::newRow("a version followed by letters")
            << listWith("1.3.1beta") << "1.2.45" << Outcome::Update;
        QTest::newRow("a list without the entry")
            << listWith("1.3.1", "^/Applications/Qvr/Brindle/Other.html^ifram_a") << "1.2.45"
            << Outcome::Unable;
        QTest::newRow("an entry without a version cell")
            << QByteArray("<row>" + kEntry + "</row>") << "1.2.45" << Outcome::Unable;
        QTest::newRow("the entry after a run of blanks")
            << QByteArray(5000, ' ') + listWith("1.3.1") << "1.2.45" << Outcome::Update;
    }
    void theCheckTellsWhatTheDownloadListSays() {
        QFETCH(QByteArray, list);
        QFETCH(QString, ownVersion);
        QFETCH(Outcome, outcome);
        CannedServer server(ok(list));
        RecordingNotifier notifier;
        checkForUpdatedVersion_Foreground({server.homePage(), {}, server.site(), ownVersion, 2s}, notifier,
                                          {});

        const QStringList question{updateAvailable(server.site())};
        QCOMPARE(notifier.questions, outcome == Outcome::Update ? question : QStringList());
        const QStringList message{outcome == Outcome::UpToDate ? kUpToDate : unableToContact(server.site())};
        QCOMPARE(notifier.messages, outcome == Outcome::Update ? QStringList() : message);
        QCOMPARE(server.requestLines,
                 QList<QByteArray>{"GET /SiteList/AllDownloads/AllDownloads.XML HTTP/1.1"});
    }

    void aVersionWithoutADotInTheListIsReportedBeforeTheSiteCountsAsUnreached() {
        CannedServer server(ok(listWith("2024")));
        RecordingNotifier notifier;
        checkForUpdatedVersion_Foreground({server.homePage(), {}, server.site(), "1.2.45", 2s}, notifier, {});
        QCOMPARE(notifier.messages, (QStringList{kNoDotError, unableToContact(server.site())}));
    }

    void aFailedFetchSaysTheSiteCannotBeReached_data() {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QByteArray>("response");
        QTest::newRow("a server that never answers") << true << QByteArray();
        QTest::newRow("HTTP 404 with a list") << true << httpResponse("404 Not Found", listWith("1.3.1"));
        QTest::newRow("a list of 1 MiB and a byte")
            << true << ok(paddedTo(listWith("1.3.1"), kMaxFetchBytes + 1));
        QTest::newRow("no server") << false << QByteArray();
    }
    void aFailedFetchSaysTheSiteCannotBeReached() {
        QFETCH(bool, listening);
        QFETCH(QByteArray, response);
        CannedServer server(response);
        const QString homePage = listening ? server.homePage() : refusedAddress();
        RecordingNotifier notifier(true);
        bool opened = false;
        QElapsedTimer clock;
        clock.start();
        checkForUpdatedVersion_Foreground({homePage, {}, "http://site.test", "1.2.45", 500ms}, notifier,
                                          [&](const QUrl&) { return opened = true; });
        QVERIFY2(clock.elapsed() < 5000, "the time-out was not kept");
        QCOMPARE(notifier.messages, QStringList{unableToContact("http://site.test")});
        QVERIFY(notifier.questions.isEmpty());
        QVERIFY(!opened);
    }

    void theHomePageOpensOnlyWhenTheUserPressesOk_data() {
        QTest::addColumn<bool>("answer");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void theHomePageOpensOnlyWhenTheUserPressesOk() {
        QFETCH(bool, answer);
        CannedServer server(ok(listWith("1.3.1")));
        RecordingNotifier notifier(answer);
        QList<QUrl> opened;
        checkForUpdatedVersion_Foreground({server.homePage(), {}, server.site(), "1.2.45", 2s}, notifier,
                                          [&](const QUrl& url) {
                                              opened << url;
                                              return true;
                                          });
        QCOMPARE(opened, answer ? QList<QUrl>{QUrl(server.homePage())} : QList<QUrl>());
    }

    void theEntryIsFoundByTheToolNameAndTheHomePagePath_data() {
        QTest::addColumn<QString>("toolName");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("latest");
        QTest::newRow("no name") << "" << kHomePagePath << "0001.0003.0001";
        QTest::newRow("a name of one letter is left out") << "B" << kHomePagePath << "0001.0003.0001";
        QTest::newRow("the tool's own name") << "Brindle" << kHomePagePath << "0001.0003.0001";
        QTest::newRow("another tool's name") << "Other" << kHomePagePath << "";
        QTest::newRow("another page") << ""
                                      << "/Applications/Qvr/Other/Other.html"
                                      << "0009.0009.0009";
        QTest::newRow("no path at all") << ""
                                        << ""
                                        << "";
    }
    void theEntryIsFoundByTheToolNameAndTheHomePagePath() {
        QFETCH(QString, toolName);
        QFETCH(QString, path);
        QFETCH(QString, latest);
        CannedServer server(ok(listWith("1.3.1", "Brindle" + kEntry)));
        RecordingNotifier notifier;
        QCOMPARE(GetLatestVersion(server.site() + path, toolName, notifier, 2s), latest);
        QCOMPARE(server.requestLines.size(), path.isEmpty() ? 0 : 1);
    }

    void theWholeBodyIsReadUpToOneMebibyte_data() {
        QTest::addColumn<QByteArray>("head");
        const QByteArray length = QByteArray::number(kMaxFetchBytes);
        QTest::newRow("of a stated length") << "HTTP/1.0 200 OK\r\nContent-Length: " + length + "\r\n\r\n";
        QTest::newRow("ended by the server's close") << QByteArray("HTTP/1.0 200 OK\r\n\r\n");
    }
    void theWholeBodyIsReadUpToOneMebibyte() {
        QFETCH(QByteArray, head);
        const QByteArray body =
            paddedTo("start" + QByteArray(3000, ' ') + "after the blanks", kMaxFetchBytes);
        CannedServer server(head + body);
        QCOMPARE(FetchUrlText(QUrl(server.site() + "/any"), 2s), QString::fromLatin1(body));
    }

    void windowsKeepRunningWhileTheFetchWaits() {
        CannedServer silent({});
        bool timerFired = false;
        QTimer::singleShot(100ms, [&] { timerFired = true; });
        QCOMPARE(FetchUrlText(QUrl(silent.site() + "/any"), 500ms), QString());
        QVERIFY(timerFired);
    }

    void theWindowsCheckUsesTheProgramsOwnVersionAndSite() {
        QCOMPARE(ownVersionText(), QString::fromLatin1(kVersionText));
        const QByteArray own = QByteArray(kVersionText);
        const QByteArray newer = QByteArray::number(kVersionMajor + 1) + ".0.0";
        for (const QByteArray& version : {own, newer}) {
            CannedServer server(ok(listWith(version)));
            RecordingNotifier notifier;
            checkForUpdatedVersion_Foreground(UpdateCheckOptions::forSite(server.site()), notifier, {});
            QCOMPARE(notifier.messages, version == own ? QStringList{kUpToDate} : QStringList());
            QCOMPARE(notifier.questions.size(), version == own ? 0 : 1);
        }
    }
};

QTEST_GUILESS_MAIN(UpdateCheckTest)
#include "test_update_check.moc"
