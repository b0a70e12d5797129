#pragma once

#include "Result.h"

#include <QString>

namespace tw::platform {

// Opens a document with the system's handler for its type, without waiting; never through a shell
// command line.
class DocumentOpener
{
public:
    virtual ~DocumentOpener() = default;
    virtual Result open(const QString& path) = 0;
};

class DesktopDocumentOpener : public DocumentOpener
{
public:
    Result open(const QString& path) override;
};

} // namespace tw::platform
