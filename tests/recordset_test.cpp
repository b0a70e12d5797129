#include <gtest/gtest.h>
TEST(RecordSet, Placeholder) {}
