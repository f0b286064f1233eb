#pragma once

#include <QHash>
#include <QList>
#include <QMap>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <optional>

#include "platform/result.h"

namespace brindle::fixture {

class RowWriter;

// One subscriber and the rows that belong to it. Every field can be set to any value, a Null
// (a null QVariant) included; a missing optional row is simply not written.
struct SubscriberRows {
    QVariantMap subscriber;                  // vw_Subscriber, by field name
    std::optional<QVariantMap> callHandler;  // vw_CallHandler; its ObjectID is CallHandlerObjectID
    QList<QVariantList> extensions;          // vw_DTMFAccessID: IdIndex, DTMFAccessID
    QList<QVariantList> mwiDevices;          // vw_NotificationMWI: DisplayName, MWIExtension, MWIOn
    QList<QVariantList> credentials;         // vw_Credential: CredentialType, Locked, TimeChanged
    QList<QVariantList> greetings;           // vw_Greeting: GreetingType, TimeExpires
    QList<QVariantList>
        menuEntries;  // vw_MenuEntry: TouchtoneKey, Action, TargetConversation, TargetHandlerObjectID
    std::optional<QVariantList> mailbox;  // message store: Bytesize, Send, Receive, Warning
    QString voiceFile;                    // a WAV written to the stream store under this name, if set

    QVariant id() const { return subscriber.value(QStringLiteral("ObjectID")); }
    SubscriberRows& set(const QString& field, const QVariant& value);
    SubscriberRows& withoutCallHandler();
    SubscriberRows& primaryExtension(const QVariant& extension);  // replaces every IdIndex 0 row
    SubscriberRows& alternateExtensions(const QStringList& extensions);
};

// Builds a throwaway host folder: registry export, status, directory and message store
// databases, stream store. A test names only what it cares about; everything else gets
// sensible defaults (a running host of the current generation, one class of service, one
// schedule, one switch).
class HostBuilder {
public:
    HostBuilder();

    // A subscriber with every row a complete subscriber has.
    SubscriberRows& subscriber(const QString& alias);
    QList<SubscriberRows>& subscribers() { return m_subscribers; }

    // Any further row, by field name; fields not named are Null.
    HostBuilder& addRow(const QString& table, const QVariantMap& fields);

    HostBuilder& status(std::optional<int> status);
    HostBuilder& registryText(const QString& text);  // written as UTF-16LE with a byte-order mark
    HostBuilder& withoutMakerKey();
    HostBuilder& olderKey(quint32 versionNumber, quint32 buildNumber);
    HostBuilder& withoutView(const QString& table);
    // Declares a column with another SQL type than the usual one ("INTEGER", "TEXT COLLATE
    // NOCASE", "uuid"), as some directories hold their ids.
    HostBuilder& columnType(const QString& table, const QString& column, const QString& type);
    HostBuilder& withoutDirectoryDatabase();

    // Writes the whole host folder (created when missing) and returns its path.
    Result<QString> write(const QString& folder) const;

    // Writes the directory's and the message store's rows into open databases, e.g. a
    // server reached over ODBC; `messageStorePrefix` qualifies the message store's table.
    Result<void> writeDatabases(QSqlDatabase directory, QSqlDatabase messageStore,
                                const QString& messageStorePrefix) const;

    // Subscribers made on the fly and not kept, for hosts too large to hold in memory.
    using SubscriberSource = std::function<bool(SubscriberRows&)>;  // false: no more
    void streamSubscribers(SubscriberSource source) { m_source = std::move(source); }

    static constexpr const char* kDefaultCos = "cos-default";
    static constexpr const char* kDefaultSchedule = "schedule-weekdays";
    static constexpr const char* kDefaultSwitch = "switch-main";

private:
    Result<void> writeRows(RowWriter& writer, const QString& streamFolder) const;
    Result<void> writeSubscriber(RowWriter& writer, const SubscriberRows& rows,
                                 const QString& streamFolder) const;
    QString registryExport() const;

    QList<SubscriberRows> m_subscribers;
    QList<std::pair<QString, QVariantMap>> m_extraRows;
    std::optional<int> m_status = 32;
    std::optional<QString> m_registryText;
    bool m_makerKey = true;
    std::optional<std::pair<quint32, quint32>> m_olderKey;
    QStringList m_leftOutViews;
    QHash<QString, QString> m_columnTypes;  // "table.column" -> SQL type
    bool m_directoryDatabase = true;
    SubscriberSource m_source;
};

}  // namespace brindle::fixture
