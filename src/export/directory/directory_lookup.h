#pragma once

#include <QLatin1StringView>
#include <QVariant>

#include "export/directory/recordset.h"
#include "platform/result.h"

namespace brindle {

// A view and the column a producer looks its rows up by. Both are fixed names of the
// directory's schema, written in this program; nothing read from a user or the database
// ever becomes one.
struct ViewKey {
    QLatin1StringView view;
    QLatin1StringView keyColumn;
};

namespace views {
inline constexpr ViewKey kExtensionsOfSubscriber{QLatin1StringView("vw_DTMFAccessID"),
                                                 QLatin1StringView("Parent_SubscriberObjectID")};
inline constexpr ViewKey kScheduleSet{QLatin1StringView("vw_ScheduleSet"), QLatin1StringView("ObjectID")};
inline constexpr ViewKey kMediaSwitch{QLatin1StringView("vw_MediaSwitch"), QLatin1StringView("ObjectID")};
inline constexpr ViewKey kMwiDevicesOfSubscriber{QLatin1StringView("vw_NotificationMWI"),
                                                 QLatin1StringView("SubscriberObjectID")};
inline constexpr ViewKey kCredentialsOfUser{QLatin1StringView("vw_Credential"),
                                            QLatin1StringView("UserObjectID")};
inline constexpr ViewKey kGreetingsOfCallHandler{QLatin1StringView("vw_Greeting"),
                                                 QLatin1StringView("CallHandlerObjectID")};
inline constexpr ViewKey kMenuEntriesOfCallHandler{QLatin1StringView("vw_MenuEntry"),
                                                   QLatin1StringView("CallHandlerObjectID")};
inline constexpr ViewKey kCallHandler{QLatin1StringView("vw_CallHandler"), QLatin1StringView("ObjectID")};
inline constexpr ViewKey kSubscriber{QLatin1StringView("vw_Subscriber"), QLatin1StringView("ObjectID")};
inline constexpr ViewKey kDirectoryHandler{QLatin1StringView("vw_DirectoryHandler"),
                                           QLatin1StringView("ObjectID")};
inline constexpr ViewKey kInterviewHandler{QLatin1StringView("vw_InterviewHandler"),
                                           QLatin1StringView("ObjectID")};
}  // namespace views

// The one way the column producers read the directory: the rows of a view whose key column
// matches a value (by idKey: without regard to ASCII letter case, whole numbers by value), in
// the order the database returns them. A null key matches no row.
// Producers do not know whether each call runs a statement or reads a copy held for the run.
class DirectoryLookup {
public:
    virtual ~DirectoryLookup() = default;
    virtual Result<Recordset> rows(const ViewKey& key, const QVariant& value) = 0;

    // The message store's mailbox figures of a subscriber (Bytesize, Send, Receive,
    // Warning), joined through the directory's user and mailbox views: one row when all is
    // well. The message store is reached as the connection's dialect names it.
    virtual Result<Recordset> mailbox(const QVariant& subscriberId) = 0;
};

}  // namespace brindle
