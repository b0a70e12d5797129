#include "FakeDocumentOpener.h"

namespace tw::test {

platform::Result FakeDocumentOpener::open(const QString& path)
{
    m_opened.append(path);
    if (!m_failure.isEmpty())
        return platform::Result::failure(m_failure);
    return platform::Result::success();
}

} // namespace tw::test
