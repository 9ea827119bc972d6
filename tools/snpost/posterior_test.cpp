#include <gtest/gtest.h>
TEST(Posterior, Placeholder) {}
