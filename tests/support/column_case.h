#pragma once

#include <QTest>
#include <functional>

#include "hostbuilder/host_builder.h"
#include "support/column_export.h"

namespace brindle::testing {

// One row of a column table: what the row changes on a host whose one subscriber is jsmith
// (further subscribers are added last: adding one moves the first), the fields and log lines
// the first subscriber's line must then have, the view whose look-ups fail, and the list
// entries when the row names its own.
struct ColumnCase {
    std::function<void(fixture::SubscriberRows&, fixture::HostBuilder&)> change;
    QStringList fields;
    QStringList log = {};
    QString failingView = {};
    QStringList items = {};
};

}  // namespace brindle::testing

Q_DECLARE_METATYPE(brindle::testing::ColumnCase)

namespace brindle::testing {

inline void addColumnCaseColumn() {
    QTest::addColumn<ColumnCase>("columnCase");
}

// Exports the current row's host with the row's list entries, or else `items`, and compares
// the first line and that subscriber's log.
inline void checkColumnCase(const QStringList& items = {}) {
    QFETCH(ColumnCase, columnCase);
    fixture::HostBuilder host;
    host.subscriber(QStringLiteral("jsmith"));
    if (columnCase.change) columnCase.change(host.subscribers().first(), host);
    const QString alias = host.subscribers().first().subscriber.value(QStringLiteral("Alias")).toString();
    RUN_EXPORT(out, host, columnCase.items.isEmpty() ? items : columnCase.items,
               {.failingView = columnCase.failingView});
    QCOMPARE(out.lines.value(0), columnCase.fields);
    QCOMPARE(out.logOf(alias), columnCase.log);
}

}  // namespace brindle::testing
