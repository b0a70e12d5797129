#pragma once

#include <QStringView>

namespace tw::platform::adoxml {

// Namespaces of ADO's rowset files; readers match these, never the prefixes.
inline constexpr QStringView schemaNs = u"uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882";
inline constexpr QStringView datatypeNs = u"uuid:C2F41010-65B3-11d1-A29F-00AA00C14882";
inline constexpr QStringView rowsetNs = u"urn:schemas-microsoft-com:rowset";
inline constexpr QStringView rowNs = u"#RowsetSchema";
inline constexpr QStringView schemaId = u"RowsetSchema";

// dt:maxLength of a string without a length limit.
inline constexpr QStringView unlimitedLength = u"4294967295";

} // namespace tw::platform::adoxml
