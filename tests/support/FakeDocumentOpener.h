#pragma once

#include "platform/DocumentOpener.h"

#include <QStringList>

namespace tw::test {

// Records the documents the program asks to open instead of starting a viewer; can be told to fail.
class FakeDocumentOpener : public platform::DocumentOpener
{
public:
    platform::Result open(const QString& path) override
    {
        m_opened.append(path);
        return m_failure.isEmpty() ? platform::Result::success() : platform::Result::failure(m_failure);
    }

    // Every later open fails with this reason; an empty reason lets them succeed again.
    void failWith(const QString& reason) { m_failure = reason; }
    // Every path asked for, failed ones included.
    const QStringList& opened() const { return m_opened; }

private:
    QStringList m_opened;
    QString m_failure;
};

} // namespace tw::test
