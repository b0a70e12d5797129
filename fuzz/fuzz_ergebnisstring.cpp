// The undo's split of a stored Ergebnisstring; what splits must be built back to the same text.
#include "journal/Ergebnisstring.h"

#include <cstdlib>

using namespace tw::journal;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    const auto aktionen = aktionenLesen(text);
    if (aktionen && ergebnisstringBilden(*aktionen) != text)
        std::abort();
    return 0;
}
