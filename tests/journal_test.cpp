#include <gtest/gtest.h>
TEST(Journal, Placeholder) {}
