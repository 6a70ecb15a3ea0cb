#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "text/random_state.h"
#include "text/text.h"

namespace qinghe {
namespace {

using random_detail::GetRandomState;
using random_detail::RandomState;
using random_detail::SetRandomState;

// Every test starts from a known generator state and offset, whatever ran before.
class RandomTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = GetRandomState();
        SetRandomState(RandomState{});
    }
    void TearDown() override { SetRandomState(m_saved); }

private:
    RandomState m_saved;
};

TEST_F(RandomTest, SequenceForSeedOne) {
    SeedRandomWithTick(1);
    // The classic sequence of this generator from state 1.
    const std::vector<int> expected = {41,    18467, 6334,  26500, 19169,
                                       15724, 11478, 29358, 26962, 24464};
    std::vector<int> got;
    for (std::size_t i = 0; i < expected.size(); ++i)
        got.push_back(RandomInRange(0, 32767));
    EXPECT_EQ(got, expected);
}

TEST_F(RandomTest, SeedingAddsAGrowingOffset) {
    SeedRandomWithTick(1000);
    EXPECT_EQ(GetRandomState().state, 1000u);
    EXPECT_EQ(GetRandomState().offset, (1000u & 0xFF) + 100u);  // 332
    SeedRandomWithTick(1000);
    EXPECT_EQ(GetRandomState().state, 1332u);
    EXPECT_EQ(GetRandomState().offset, 332u + (1332u & 0xFF) + 100u);
}

TEST_F(RandomTest, SeedingWrapsAround) {
    SetRandomState(RandomState{0, 10});
    SeedRandomWithTick(0xFFFFFFFFu);
    EXPECT_EQ(GetRandomState().state, 9u);
    EXPECT_EQ(GetRandomState().offset, 10u + 9u + 100u);
}

// Each row draws from the same state as a reference range; equal results show
// the bounds were normalised the same way.
struct BoundsCase {
    const char* name;
    int lo, hi;
    int refLo, refHi;
};

class RandomBoundsTest : public RandomTest, public ::testing::WithParamInterface<BoundsCase> {};

TEST_P(RandomBoundsTest, BehavesLikeReferenceRange) {
    const BoundsCase& c = GetParam();
    for (std::uint32_t seed : {1u, 77u, 123456u}) {
        SetRandomState(RandomState{seed, 0});
        const int got = RandomInRange(c.lo, c.hi);
        const std::uint32_t after = GetRandomState().state;
        SetRandomState(RandomState{seed, 0});
        EXPECT_EQ(got, RandomInRange(c.refLo, c.refHi)) << "seed " << seed;
        EXPECT_EQ(after, GetRandomState().state) << "seed " << seed;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RandomBoundsTest,
                         ::testing::Values(BoundsCase{"Swapped", 2000, 500, 500, 2000},
                                           BoundsCase{"NegativeLow", -5, 3, 0, 3},
                                           BoundsCase{"NegativeHighSwaps", 9, -4, 0, 9}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RandomTest, EqualBoundsDoNotDraw) {
    SetRandomState(RandomState{42, 0});
    EXPECT_EQ(RandomInRange(7, 7), 7);
    EXPECT_EQ(RandomInRange(-3, -8), 0);  // both become 0
    EXPECT_EQ(GetRandomState().state, 42u);
}

TEST_F(RandomTest, WidestSpanIsCapped) {
    // A span of INT_MAX would overflow span + 1; capped, the first draw from
    // state 1 (41) comes back unchanged.
    SetRandomState(RandomState{1, 0});
    EXPECT_EQ(RandomInRange(0, INT_MAX), 41);
    SetRandomState(RandomState{1, 0});
    EXPECT_EQ(RandomInRange(1, INT_MAX), 42);
}

TEST_F(RandomTest, DrawsStayWithinTheRangesInUse) {
    SeedRandomWithTick(987654);
    for (int i = 0; i < 5000; ++i) {
        const int pause = RandomInRange(500, 2000);
        ASSERT_GE(pause, 500);
        ASSERT_LE(pause, 2000);
        const int r = RandomInRange(1221, 6894);
        ASSERT_GE(r, 1221);
        ASSERT_LE(r, 6894);
    }
}

TEST_F(RandomTest, BothEndsAreReached) {
    SeedRandomWithTick(5);
    bool low = false, high = false;
    for (int i = 0; i < 2000 && !(low && high); ++i) {
        const int r = RandomInRange(3, 6);
        low = low || r == 3;
        high = high || r == 6;
    }
    EXPECT_TRUE(low);
    EXPECT_TRUE(high);
}

TEST(TickCountTest, DoesNotGoBackwards) {
    const std::uint32_t first = TickCount();
    const std::uint32_t second = TickCount();
    // Differences are taken modulo 2^32, as callers do across a wrap.
    EXPECT_LT(second - first, 0x80000000u);
}

}  // namespace
}  // namespace qinghe
