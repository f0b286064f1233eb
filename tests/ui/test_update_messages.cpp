// One picture of each message and question of the update check, in the message box the
// window's MessageBoxNotifier would show it in, saved under BRINDLE_SCREENSHOT_DIR.
#include <QDir>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "platform/notifier.h"
#include "update/update_check.h"

using namespace brindle;
using namespace std::chrono_literals;

namespace {

// Answers every request on 127.0.0.1 with a download list whose entry for this tool gives
// `version`.
class ListServer : public QObject {
public:
    explicit ListServer(const QByteArray& version) {
        const QByteArray body = "<row><cell>^/Applications/Qvr/Brindle/Brindle.html^ifram_a</cell><cell>" +
                                version + "</cell></row>";
        m_response =
            "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
                    if (!socket->peek(64 * 1024).contains("\r\n\r\n")) return;
                    socket->readAll();
                    socket->write(m_response);
                    socket->disconnectFromHost();
                });
            }
        });
    }
    QString site() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

private:
    QTcpServer m_server;
    QByteArray m_response;
};

// Builds each box as MessageBoxNotifier does, shows it without waiting for a click, and saves
// a picture of it under the next of `names`; questions are answered Cancel.
class GrabbingNotifier final : public Notifier {
public:
    explicit GrabbingNotifier(QStringList names) : m_names(std::move(names)) {}
    void inform(const QString& text) override { grab(QMessageBox::Information, text, QMessageBox::Ok); }
    bool confirm(const QString& text, Answers answers) override {
        grab(QMessageBox::Question, text,
             answers == Answers::YesNo ? QMessageBox::Yes | QMessageBox::No
                                       : QMessageBox::Ok | QMessageBox::Cancel);
        return false;
    }

    int shown = 0;
    QStringList saved;

private:
    void grab(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
        QMessageBox box(icon, QStringLiteral("Brindle"), text, buttons);
        box.show();
        ++shown;
        if (!QTest::qWaitForWindowExposed(&box) || m_names.isEmpty()) return;
        const QString folder =
            qEnvironmentVariable("BRINDLE_SCREENSHOT_DIR", QDir::currentPath() + "/screenshots");
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(m_names.takeFirst() + ".png");
        if (box.grab().save(path)) saved << path;
    }

    QStringList m_names;
};

}  // namespace

class UpdateMessagesTest : public QObject {
    Q_OBJECT

private slots:
    void eachMessageOfTheCheckIsPictured_data() {
        QTest::addColumn<QByteArray>("listVersion");
        QTest::addColumn<QStringList>("pictures");
        QTest::newRow("no site") << QByteArray() << QStringList{"update-unable-to-contact"};
        QTest::newRow("a newer version") << QByteArray("1.3.1") << QStringList{"update-available"};
        QTest::newRow("the same version") << QByteArray("1.2.45") << QStringList{"update-up-to-date"};
        QTest::newRow("a version without a dot")
            << QByteArray("2024") << QStringList{"update-version-error", "update-unable-to-contact"};
    }
    void eachMessageOfTheCheckIsPictured() {
        QFETCH(QByteArray, listVersion);
        QFETCH(QStringList, pictures);
        ListServer server(listVersion);
        UpdateCheckOptions options = UpdateCheckOptions::forSite(
            listVersion.isEmpty() ? QStringLiteral("http://127.0.0.1:1") : server.site());
        options.ownVersion = QStringLiteral("1.2.45");
        options.timeout = 2s;
        GrabbingNotifier notifier(pictures);
        checkForUpdatedVersion_Foreground(options, notifier, {});
        QCOMPARE(notifier.shown, pictures.size());
        QCOMPARE(notifier.saved.size(), pictures.size());
        for (const QString& path : notifier.saved) QVERIFY(!QImage(path).isNull());
    }
};

QTEST_MAIN(UpdateMessagesTest)
#include "test_update_messages.moc"
