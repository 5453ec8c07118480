#pragma once
// The engine's random numbers. The airbrush draws one number per covered
// pixel, so std::mt19937's call per number and its scalar regeneration of
// 64-bit words cost more than the rest of the dab. MersenneTwister gives the
// same sequence for the same seed, regenerates its state a block at a time in
// a loop the compiler vectorises, and serves tempered words from a buffer.
// RandomSource keeps it in step with the std::mt19937 that the rest of the
// program draws from.
#include <cstdint>
#include <random>

namespace tessel {

class MersenneTwister {
 public:
  using result_type = uint32_t;
  static constexpr int kStateWords = 624;
  static constexpr uint32_t kDefaultSeed = 5489u;

  explicit MersenneTwister(uint32_t value = kDefaultSeed) { seed(value); }
  // std::mt19937's seeding.
  void seed(uint32_t value);
  static constexpr result_type min() { return 0; }
  static constexpr result_type max() { return 0xFFFFFFFFu; }
  result_type operator()() {
    if (pos_ == kEnd) regenerate();
    return tempered_[pos_++ - kStateWords];
  }

  // Draws for a loop that keeps its place in a register rather than in the
  // generator; the generator goes on from where the cursor stopped.
  class Cursor {
   public:
    explicit Cursor(MersenneTwister& g)
        : g_(g), next_(g.tempered_ + (g.pos_ - kStateWords)), end_(g.tempered_ + kStateWords) {}
    ~Cursor() { g_.pos_ = kStateWords + int(next_ - g_.tempered_); }
    Cursor(const Cursor&) = delete;
    Cursor& operator=(const Cursor&) = delete;
    result_type operator()() {
      if (next_ == end_) next_ = g_.restart();
      return *next_++;
    }

   private:
    MersenneTwister& g_;
    const uint32_t* next_;
    const uint32_t* end_;
  };

  // Continues the sequence where source stands; source is not advanced.
  void continueFrom(const std::mt19937& source);
  // Sets target to continue the sequence where this generator stands. False
  // when fewer than a block of words lies behind this one since continueFrom
  // (target is then left alone).
  bool storeInto(std::mt19937& target) const;
  // Words drawn since the last seed or continueFrom.
  uint64_t drawn() const { return blocks_ * kStateWords + uint64_t(pos_) - base_; }

 private:
  static constexpr int kEnd = 2 * kStateWords;
  void regenerate();
  const uint32_t* restart() {
    regenerate();
    return tempered_;
  }

  // Untempered sequence words: the block before the current one, then the
  // current block, whose tempered words are in tempered_.
  alignas(64) uint32_t words_[kEnd] = {};
  alignas(64) uint32_t tempered_[kStateWords] = {};
  int pos_ = kEnd;       // index in words_ of the next word
  int known_ = 0;        // words_[known_..] hold the sequence
  uint64_t blocks_ = 0;  // regenerations since seed or continueFrom
  uint64_t base_ = 0;    // what drawn() subtracts
};

// The generator the engine owns: a std::mt19937 for callers that take one
// (fill, gradient, filters, the per-pixel operations) and the MersenneTwister
// for the dab loops, handed back and forth so that together they draw one
// sequence. A reference from standard() stays good until twister() is used.
class RandomSource {
 public:
  explicit RandomSource(uint32_t value = MersenneTwister::kDefaultSeed) { seed(value); }
  void seed(uint32_t value);
  std::mt19937& standard() {
    if (twisterOwns_) handToStandard();
    return standard_;
  }
  MersenneTwister& twister() {
    if (!twisterOwns_) {
      twister_.continueFrom(standard_);
      twisterOwns_ = true;
    }
    return twister_;
  }

 private:
  void handToStandard();

  std::mt19937 standard_;
  MersenneTwister twister_;
  bool twisterOwns_ = true;   // the twister stands where the sequence is
};

}  // namespace tessel
