#pragma once
// The vector units the fast filter loops may use. The loops are written once
// with the compiler's vector types and built for each unit; every unit gives
// the same bytes, lane by lane in the same order as the plain arithmetic.

namespace tessel {

enum class FilterUnits { Plain, Avx2, Avx512 };

// The widest units this processor has, unless limited.
FilterUnits filterUnits();
// Tests hold the portable build of the loops against the wide ones.
void limitFilterUnits(FilterUnits most);

}  // namespace tessel

#if defined(__x86_64__) && defined(__GNUC__)
#define TESSEL_WIDE_FILTERS 1
#define TESSEL_FOR_AVX2 __attribute__((target("avx2,bmi,bmi2,popcnt")))
#define TESSEL_FOR_AVX512 __attribute__((target("avx512f,avx512dq,avx512bw,avx512vl,avx2,bmi,bmi2,popcnt")))
#endif
#define TESSEL_INLINE inline __attribute__((always_inline))
