#pragma once

#include "Breather.h"
#include "FieldDef.h"
#include "Result.h"

#include <QByteArray>

class QIODevice;

namespace tw::platform {

// ADO's XML persistence format for record sets.

// Writes the layout ADO writes: schema with one declaration per field, committed rows as plain
// z:row elements, UTF-8 without declaration, CR LF line ends.
QByteArray writeRowsetXml(const RowsetData& data);
// The same in pieces of about a megabyte, each handed to the sink as it is made, so that neither the
// file nor its text is ever held whole; the breather ticks between them. Stops at the sink's first
// failure and returns it.
Result writeRowsetXml(const RowsetData& data, const std::function<Result(QByteArrayView)>& sink,
                      Breather* breather = nullptr);

// Reads plain rows, rows pending in rs:insert, rs:update (original row with the changed fields laid
// over it, rs:forcenull), skips rs:delete; both schema layouts, c0-style aliases; UTF-8, UTF-16 and
// the encoding a declaration names. Anything that is not a well-formed rowset, or holds bytes that
// are no characters in its encoding, gives an error value: nothing is read with stand-ins for them.
// One pass over the device, so memory follows the records, not the file; the breather ticks between
// the pieces read.
Expected<RowsetData> readRowsetXml(QIODevice& source, Breather* breather = nullptr);
Expected<RowsetData> readRowsetXml(const QByteArray& bytes);

} // namespace tw::platform
