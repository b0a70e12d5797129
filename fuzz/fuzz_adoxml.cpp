// The journal reader on arbitrary bytes; what it reads must survive writing and reading again.
#include "platform/AdoXml.h"

#include <cstdlib>

using namespace tw::platform;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto gelesen = readRowsetXml(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    if (!gelesen)
        return 0;
    const auto wieder = readRowsetXml(writeRowsetXml(*gelesen));
    if (!wieder || wieder->rows.size() != gelesen->rows.size() ||
        wieder->fields.size() != gelesen->fields.size())
        std::abort();
    return 0;
}
