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

// A character a value may hold but an XML file cannot (U+0001 to U+001F other than tab, CR and LF, and
// U+FFFE, U+FFFF) is written as the noncharacter U+FDD0 and a second one: U+FDD0 plus the code for a
// control character, U+FDFE and U+FDFF for the other two. Noncharacters are well-formed XML and never
// stand in text for their own sake; a U+FDD0 of the value itself is doubled where one of the second
// characters follows it.
inline constexpr char16_t standIn = 0xFDD0;

constexpr bool needsStandIn(char16_t c)
{
    return (c >= 0x01 && c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
}

constexpr char16_t standInSecond(char16_t c)
{
    return c >= 0xFFFE ? char16_t(c - 0x0200) : char16_t(standIn + c);
}

constexpr bool isStandInSecond(char16_t c)
{
    return (c >= standIn && c <= standIn + 0x1F) || c == 0xFDFE || c == 0xFDFF;
}

// The character a pair stands for, by its second character.
constexpr char16_t standInFor(char16_t second)
{
    if (second == standIn)
        return standIn;
    return second >= 0xFDFE ? char16_t(second + 0x0200) : char16_t(second - standIn);
}

} // namespace tw::platform::adoxml
