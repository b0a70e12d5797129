#pragma once

#include "FieldDef.h"
#include "Result.h"

#include <QByteArray>

namespace tw::platform {

// ADO's XML persistence format for record sets.

// Writes the layout ADO writes: schema with one declaration per field, committed rows as plain
// z:row elements, UTF-8 without declaration, CR LF line ends.
QByteArray writeRowsetXml(const RowsetData& data);

// Reads plain rows, rows pending in rs:insert, rs:update (original row with the changed fields laid
// over it, rs:forcenull), skips rs:delete; both schema layouts, c0-style aliases, UTF-8 or UTF-16
// with a byte order mark. Anything that is not a well-formed rowset gives an error value.
Expected<RowsetData> readRowsetXml(const QByteArray& bytes);

} // namespace tw::platform
