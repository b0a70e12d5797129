#pragma once

#include <gtest/gtest.h>
#include <memory>

class QApplication;

namespace tw::test {

// The QApplication that widget tests need, alive from the first test to the last. Uses the offscreen
// platform unless the caller chose another.
class QtApplicationEnvironment : public ::testing::Environment
{
public:
    QtApplicationEnvironment();
    ~QtApplicationEnvironment() override;

    void SetUp() override;
    void TearDown() override;

private:
    std::unique_ptr<QApplication> m_app;
};

} // namespace tw::test
