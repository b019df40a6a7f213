#include <gtest/gtest.h>

#include "platform/core/Rounding.h"

using namespace kiv;

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
    struct Case {
        double in;
        int64_t out;
    };
    const Case cases[] = {{0.5, 0},         {1.5, 2},         {2.5, 2},     {-0.5, 0},
                          {-1.5, -2},       {300.5, 300},     {301.5, 302}, {67.2, 67},
                          {0.7 * 600, 420}, {0.7 * 300, 210}, {2.4999, 2},  {-2.6, -3}};
    for (const Case& c : cases) EXPECT_EQ(RoundHalfEven(c.in), c.out) << c.in;
}
