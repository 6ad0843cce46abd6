#include <gtest/gtest.h>
TEST(Win32Placeholder, Builds) { SUCCEED(); }
