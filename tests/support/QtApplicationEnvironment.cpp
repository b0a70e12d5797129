#include "QtApplicationEnvironment.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>
#include <memory>

namespace tw::test {

namespace {

// QApplication keeps references to both for its whole life.
int argc = 1;
char programName[] = "tauschwerk-test";
char* argv[] = {programName, nullptr};

class QtApplicationEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

} // namespace tw::test
