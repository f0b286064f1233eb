#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "update/update_check.h"

namespace brindle {

QString FetchUrlText(const QUrl& url, std::chrono::milliseconds timeout) {
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("HTTP Generic"));
    request.setTransferTimeout(static_cast<int>(timeout.count()));

    QNetworkReply* reply = manager.get(request);
    QByteArray body;
    bool tooLarge = false;
    const auto take = [&] {
        body += reply->readAll();
        if (body.size() > kMaxFetchBytes && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply, take);

    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    if (tooLarge || reply->error() != QNetworkReply::NoError) return {};
    take();
    return tooLarge ? QString() : QString::fromLocal8Bit(body);
}

}  // namespace brindle
