#include "game/rng.hpp"

#include <gtest/gtest.h>

namespace quellmoor {
namespace {

TEST(Rng, FirstDrawsFromTheStartingState) {
    Rng rng;
    for (int expected : {41, 18467, 6334, 26500, 19169, 15724}) {
        EXPECT_EQ(rng.draw(), expected);
    }
}

TEST(Rng, RollIsRemainderPlusFloorAndStaysInRange) {
    Rng reference;
    Rng rng;
    for (int i = 0; i < 10000; ++i) {
        const int draw = reference.draw();
        ASSERT_GE(draw, 0);
        ASSERT_LE(draw, Rng::kMaxDraw);
        ASSERT_EQ(rng.roll(21, 80), draw % 21 + 80);
    }
}

}  // namespace
}  // namespace quellmoor
