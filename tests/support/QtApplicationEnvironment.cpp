#include "QtApplicationEnvironment.h"

#include <QApplication>

namespace tw::test {

namespace {

// QApplication keeps references to both for its whole life.
int argc = 1;
char programName[] = "tauschwerk-test";
char* argv[] = {programName, nullptr};

} // namespace

QtApplicationEnvironment::QtApplicationEnvironment() = default;
QtApplicationEnvironment::~QtApplicationEnvironment() = default;

void QtApplicationEnvironment::SetUp()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    m_app = std::make_unique<QApplication>(argc, argv);
}

void QtApplicationEnvironment::TearDown()
{
    m_app.reset();
}

} // namespace tw::test
