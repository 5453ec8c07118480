// The engine's twister against std::mt19937: the same numbers for the same seed,
// and one sequence however the draws are shared between the two.
#include <gtest/gtest.h>

#include <random>

#include "draw/brush/dab_random.h"

namespace tessel {
namespace {

// Index of the first of n draws where the two differ, or -1.
template <typename A, typename B>
long firstDifference(A& a, B& b, long n) {
  for (long i = 0; i < n; ++i)
    if (uint32_t(a()) != uint32_t(b())) return i;
  return -1;
}

TEST(MersenneTwister, MillionOutputsEqualTheStandardEngine) {
  for (uint32_t seed : {MersenneTwister::kDefaultSeed, 0u, 1u, 0xFFFFFFFFu, 20261208u}) {
    MersenneTwister ours(seed);
    std::mt19937 theirs(seed);
    EXPECT_EQ(firstDifference(ours, theirs, 1000000), -1) << "seed " << seed;
  }
  // Reseeding mid-block starts over exactly.
  MersenneTwister ours(3);
  for (int i = 0; i < 1000; ++i) ours();
  ours.seed(77);
  std::mt19937 theirs(77);
  EXPECT_EQ(firstDifference(ours, theirs, 1000000), -1);
}

// Taking over from a standard engine at any point of its block, and handing
// back before and after a whole block was drawn.
TEST(MersenneTwister, ContinuesAndHandsBackAnywhereInTheBlock) {
  for (int skip : {0, 1, 623, 624, 625, 1500}) {
    std::mt19937 source(99);
    source.discard(uint64_t(skip));
    MersenneTwister ours;
    ours.continueFrom(source);
    std::mt19937 expect = source;
    EXPECT_EQ(firstDifference(ours, expect, 3000), -1) << "skip " << skip;
    for (int drawn : {0, 5, 624, 700, 2000}) {
      ours.continueFrom(source);
      for (int i = 0; i < drawn; ++i) ours();
      EXPECT_EQ(ours.drawn(), uint64_t(drawn));
      std::mt19937 back;
      std::mt19937 ahead = source;
      ahead.discard(uint64_t(drawn));
      if (ours.storeInto(back)) {
        EXPECT_EQ(firstDifference(back, ahead, 2000), -1) << skip << " " << drawn;
      } else {
        EXPECT_LT(drawn, MersenneTwister::kStateWords);
      }
    }
  }
}

TEST(RandomSource, SharedDrawsFollowOneSequence) {
  RandomSource source(4242);
  std::mt19937 expect(4242);
  std::mt19937 schedule(1);
  for (int round = 0; round < 200; ++round) {
    int n = int(schedule() % 1500);
    bool fast = schedule() & 1;
    for (int i = 0; i < n; ++i) {
      uint32_t got = fast ? source.twister()() : uint32_t(source.standard()());
      ASSERT_EQ(got, uint32_t(expect())) << "round " << round << " draw " << i;
    }
  }
  // A hand-over with nothing drawn leaves the standard engine as it was.
  std::mt19937 before = source.standard();
  source.twister();
  EXPECT_EQ(source.standard(), before);
}

}  // namespace
}  // namespace tessel
