#include "draw/fill/fill_rows.h"

#include <algorithm>
#include <deque>

#include "image/image32.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TESSEL_AVX2_SEEK 1
#endif

namespace tessel {

namespace {

struct Span {
  int x0, x1, y, parent;
};

#if defined(TESSEL_AVX2_SEEK)
// Eight lanes at a time: bit i set where pixel i is fillable.
__attribute__((target("avx2"))) int sameEight(const Pixel* p, Pixel s) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  return _mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(v, _mm256_set1_epi32(int(s)))));
}
__attribute__((target("avx2"))) int opaqueEight(const Pixel* p, Pixel) {
  const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i a = _mm256_and_si256(v, _mm256_set1_epi32(int(0xFF000000u)));
  return ~_mm256_movemask_ps(_mm256_castsi256_ps(_mm256_cmpeq_epi32(a, _mm256_setzero_si256()))) & 0xFF;
}
bool hasAvx2() {
  static const bool yes = __builtin_cpu_supports("avx2");
  return yes;
}
#endif

// The first i in [from, to] whose fillability is not `fillable`, or to + 1;
// whole rows are walked eight pixels at a time.
template <typename Test, typename Eight>
int seek(const Pixel* row, int from, int to, bool fillable, Test test, [[maybe_unused]] Eight eight,
         Pixel s) {
#if defined(TESSEL_AVX2_SEEK)
  if (hasAvx2())
    for (; from + 8 <= to + 1; from += 8) {
      const int bits = eight(row + from, s) ^ (fillable ? 0 : 0xFF);
      if (bits != 0xFF) return from + __builtin_ctz(~bits);
    }
#endif
  while (from <= to && test(row[from]) == fillable) ++from;
  return from;
}

struct SameAs {
  Pixel s;
  bool operator()(Pixel p) const { return p == s; }
  int seek(const Pixel* row, int from, int to, bool fillable) const {
#if defined(TESSEL_AVX2_SEEK)
    return tessel::seek(row, from, to, fillable, *this, sameEight, s);
#else
    return tessel::seek(row, from, to, fillable, *this, 0, s);
#endif
  }
};
struct Opaque {
  bool operator()(Pixel p) const { return alphaOf(p) > 0; }
  int seek(const Pixel* row, int from, int to, bool fillable) const {
#if defined(TESSEL_AVX2_SEEK)
    return tessel::seek(row, from, to, fillable, *this, opaqueEight, 0);
#else
    return tessel::seek(row, from, to, fillable, *this, 0, 0);
#endif
  }
};

template <typename Fillable>
class RowFlood {
 public:
  RowFlood(Image32& ref, Image32& buffer, const PixelGate& gate, std::mt19937& random,
           Fillable fillable, Pixel refMark, Pixel marker)
      : ref_(ref), buffer_(buffer), gate_(gate), random_(random), fillable_(fillable),
        refMark_(refMark), marker_(marker), open_(gateAdmitsAll(gate)), w_(ref.width()),
        h_(ref.height()) {}

  Rect run(int x, int y);

 private:
  // The first u in [from, to] whose pixel is not fillable, or to + 1.
  int fillableUpTo(const Pixel* row, int from, int to) const {
    return fillable_.seek(row, from, to, true);
  }
  void fill(int l, int r, int y);
  void scan(int a, int b, int y, int parent);

  Image32& ref_;
  Image32& buffer_;
  const PixelGate& gate_;
  std::mt19937& random_;
  Fillable fillable_;
  Pixel refMark_, marker_;
  bool open_;
  int w_, h_;
  int left_ = 0, right_ = -1, top_ = 0, bottom_ = -1;
  std::deque<Span> queue_;
};

template <typename Fillable>
void RowFlood<Fillable>::fill(int l, int r, int y) {
  std::fill(ref_.row(y) + l, ref_.row(y) + r + 1, refMark_);
  if (open_) std::fill(buffer_.row(y) + l, buffer_.row(y) + r + 1, marker_);
  else
    for (int u = l; u <= r; ++u) applyPixelOp(kPixelReplace, gate_, random_, buffer_, u, y, marker_);
  if (right_ < left_) left_ = l, right_ = r, top_ = bottom_ = y;
  left_ = std::min(left_, l), right_ = std::max(right_, r);
  top_ = std::min(top_, y), bottom_ = std::max(bottom_, y);
}

template <typename Fillable>
void RowFlood<Fillable>::scan(int a, int b, int y, int parent) {
  a = std::max(a, 0), b = std::min(b, w_ - 1);
  const Pixel* row = ref_.row(y);
  for (int u = fillable_.seek(row, a, b, false); u <= b; u = fillable_.seek(row, u, b, false)) {
    const int end = fillableUpTo(row, u + 1, b);
    queue_.push_back({u, end - 1, y, parent});
    u = end + 1;
  }
}

template <typename Fillable>
Rect RowFlood<Fillable>::run(int x, int y) {
  queue_.push_back({x, x, y, y});
  while (!queue_.empty()) {
    const Span q = queue_.front();
    queue_.pop_front();
    const Pixel* row = ref_.row(q.y);
    if (!fillable_(row[q.x0])) continue;
    const int r = fillableUpTo(row, q.x1 + 1, w_ - 1) - 1;
    int l = q.x0;
    while (l > 0 && fillable_(row[l - 1])) --l;
    fill(l, r, q.y);
    // The parent row is already filled over the span that came from it.
    for (int v : {q.y - 1, q.y + 1}) {
      if (v < 0 || v >= h_) continue;
      if (v == q.parent) {
        scan(l, q.x0 - 1, v, q.y);
        scan(q.x1 + 1, r, v, q.y);
      } else {
        scan(l, r, v, q.y);
      }
    }
  }
  if (right_ < left_) return {};
  return {left_, top_, right_ - left_ + 1, bottom_ - top_ + 1};
}

}  // namespace

Rect floodRows(Image32& ref, Image32& buffer, const PixelGate& gate, std::mt19937& random,
               bool opaque, Pixel s, Pixel marker, int x, int y) {
  if (opaque) return RowFlood<Opaque>(ref, buffer, gate, random, {}, kTransparent, marker).run(x, y);
  return RowFlood<SameAs>(ref, buffer, gate, random, {s}, marker, marker).run(x, y);
}

}  // namespace tessel
