#pragma once

#include <QString>
#include <QtGlobal>

namespace brindle {

class ColumnContext;

// The action of a caller input key in words, from its menu entry: the target conversation,
// the action code and the target handler's object id. Simple actions need no database; a
// jump to a handler looks the handler up (by its bound id) and names it, or gives "Invalid
// Link!" when the look-up does not give exactly one row. Never fails to its caller: every
// problem ends in a returned text, "(Error)" by default, and an illegal conversation name or
// a failed look-up is also reported to the user through the context.
QString strConstructActionString(ColumnContext& context, const QString& conversation, qint16 action,
                                 const QString& targetId);

}  // namespace brindle
