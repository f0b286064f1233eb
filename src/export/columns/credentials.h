#pragma once

#include "export/directory/recordset.h"
#include "platform/result.h"

namespace brindle {

class ColumnContext;

// The subscriber's password credentials (type 4) in the directory's order, standing on the
// first; the lockout and the password-age items both read them. One row when all is well.
Result<Recordset> passwordCredentials(ColumnContext& context);

}  // namespace brindle
