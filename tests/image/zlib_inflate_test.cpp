#include "image/zlib_inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <vector>

namespace tessel {
namespace {

std::vector<uint8_t> deflated(const std::vector<uint8_t>& data, int level = 6) {
  uLongf len = compressBound(uLong(data.size()));
  std::vector<uint8_t> z(len);
  EXPECT_EQ(compress2(z.data(), &len, data.data(), uLong(data.size()), level), Z_OK);
  z.resize(len);
  return z;
}

TEST(InflateExact, ExactLengthOnly) {
  std::vector<uint8_t> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i % 251);
  for (int level : {0, 1, 9}) {
    const std::vector<uint8_t> z = deflated(data, level);
    std::vector<uint8_t> out(data.size() + 1, 0xCC);
    EXPECT_TRUE(inflateExact(z.data(), z.size(), out.data(), data.size()));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
    EXPECT_EQ(out.back(), 0xCC);   // nothing written beyond outLen
    EXPECT_FALSE(inflateExact(z.data(), z.size(), out.data(), data.size() - 1));
    EXPECT_FALSE(inflateExact(z.data(), z.size(), out.data(), data.size() + 1));
    EXPECT_FALSE(inflateExact(z.data(), z.size() - 1, out.data(), data.size()));
    EXPECT_FALSE(inflateExact(z.data(), 0, out.data(), data.size()));
  }
}

TEST(InflateExact, EmptyStreamAndBadInput) {
  const std::vector<uint8_t> z = deflated({});
  EXPECT_TRUE(inflateExact(z.data(), z.size(), nullptr, 0));
  uint8_t one = 0;
  EXPECT_FALSE(inflateExact(z.data(), z.size(), &one, 1));
  const uint8_t junk[] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_FALSE(inflateExact(junk, sizeof junk, &one, 1));
  EXPECT_FALSE(inflateExact(nullptr, 5, &one, 1));
}

TEST(InflateExact, BoundCoversDeflatesBestRatio) {
  const std::vector<uint8_t> zeros(1 << 20, 0);
  const std::vector<uint8_t> z = deflated(zeros, 9);
  EXPECT_LE(zeros.size(), inflateBound(z.size()));
}

}  // namespace
}  // namespace tessel
