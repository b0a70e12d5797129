#pragma once

#include "FileOps.h"

namespace tw::platform {

// Shows the wait cursor over the program's windows while a file lock is waited for.
class WaitCursor : public LockWaitHook
{
public:
    void waitBegins() override;
    void waitEnds() override;
};

} // namespace tw::platform
