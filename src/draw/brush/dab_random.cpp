#include "draw/brush/dab_random.h"

#include <cstring>

namespace tessel {

namespace {

constexpr uint32_t kMatrixA = 0x9908B0DFu;
constexpr uint32_t kUpper = 0x80000000u, kLower = 0x7FFFFFFFu;
constexpr int kShift = 397;   // the recurrence reads the word 397 on
constexpr uint32_t kTemperB = 0x9D2C5680u, kTemperC = 0xEFC60000u;

uint32_t temper(uint32_t y) {
  y ^= y >> 11;
  y ^= (y << 7) & kTemperB;
  y ^= (y << 15) & kTemperC;
  return y ^ (y >> 18);
}

// Inverses of the tempering steps: each pass fixes `shift` more bits.
uint32_t undoRight(uint32_t y, int shift) {
  uint32_t x = y;
  for (int done = shift; done < 32; done += shift) x = y ^ (x >> shift);
  return x;
}
uint32_t undoLeft(uint32_t y, int shift, uint32_t mask) {
  uint32_t x = y;
  for (int done = shift; done < 32; done += shift) x = y ^ ((x << shift) & mask);
  return x;
}
uint32_t untemper(uint32_t y) {
  return undoRight(undoLeft(undoLeft(undoRight(y, 18), 15, kTemperC), 7, kTemperB), 11);
}

// A seed sequence that hands std::mt19937 a state word for word.
struct StateWords {
  using result_type = uint32_t;
  const uint32_t* words;
  template <typename It>
  void generate(It first, It last) const {
    for (const uint32_t* w = words; first != last; ++first, ++w) *first = *w;
  }
};

}  // namespace

void MersenneTwister::seed(uint32_t value) {
  uint32_t* w = words_ + kStateWords;
  w[0] = value;
  for (int i = 1; i < kStateWords; ++i) w[i] = 1812433253u * (w[i - 1] ^ (w[i - 1] >> 30)) + uint32_t(i);
  pos_ = kEnd;
  known_ = kStateWords;
  blocks_ = 0;
  base_ = kEnd;
}

// In one array the recurrence x[n] = x[n - 227] ^ twist(x[n - 624], x[n - 623])
// reads nothing closer than 227 words back, so it vectorises as it stands.
void MersenneTwister::regenerate() {
  std::memcpy(words_, words_ + kStateWords, sizeof(uint32_t) * kStateWords);
  known_ = known_ > kStateWords ? known_ - kStateWords : 0;
  uint32_t* w = words_;
  for (int i = kStateWords; i < kEnd; ++i) {
    uint32_t y = (w[i - kStateWords] & kUpper) | (w[i - kStateWords + 1] & kLower);
    w[i] = w[i - kStateWords + kShift] ^ (y >> 1) ^ ((0u - (y & 1u)) & kMatrixA);
  }
  for (int i = 0; i < kStateWords; ++i) tempered_[i] = temper(w[kStateWords + i]);
  pos_ = kStateWords;
  ++blocks_;
}

void MersenneTwister::continueFrom(const std::mt19937& source) {
  std::mt19937 copy = source;
  for (int i = 0; i < kStateWords; ++i) {
    uint32_t t = uint32_t(copy());
    tempered_[i] = t;
    words_[kStateWords + i] = untemper(t);
  }
  pos_ = kStateWords;
  known_ = kStateWords;
  blocks_ = 0;
  base_ = kStateWords;
}

bool MersenneTwister::storeInto(std::mt19937& target) const {
  int from = pos_ - kStateWords;
  if (from < known_) return false;
  // The 624 words before the next one, at the end of a block: the next call
  // regenerates exactly the words that follow.
  StateWords seq{words_ + from};
  target.seed(seq);
  return true;
}

void RandomSource::seed(uint32_t value) {
  standard_.seed(value);
  twister_.seed(value);
  twisterOwns_ = true;
}

void RandomSource::handToStandard() {
  uint64_t drawn = twister_.drawn();
  // Few words since the hand-over: stepping the standard one is cheaper.
  if (drawn != 0 && !twister_.storeInto(standard_)) standard_.discard(drawn);
  twisterOwns_ = false;
}

}  // namespace tessel
