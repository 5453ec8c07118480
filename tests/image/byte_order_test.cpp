#include "image/byte_order.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(ByteOrder, ReadsAndWritesEachOrder) {
  const uint8_t bytes[4] = {0x12, 0x34, 0x56, 0xF8};
  EXPECT_EQ(readLE16(bytes), 0x3412u);
  EXPECT_EQ(readBE16(bytes), 0x1234u);
  EXPECT_EQ(readLE32(bytes), 0xF8563412u);
  EXPECT_EQ(readBE32(bytes), 0x123456F8u);
  uint8_t out[4] = {};
  writeLE32(out, 0xF8563412u);
  EXPECT_EQ(readLE32(out), 0xF8563412u);
  EXPECT_EQ(out[0], 0x12);
  writeBE32(out, 0x123456F8u);
  EXPECT_EQ(out[3], 0xF8);
  writeLE16(out, 0xBEEF);
  EXPECT_EQ(out[0], 0xEF);
  EXPECT_EQ(out[1], 0xBE);
  writeBE16(out + 2, 0xBEEF);
  EXPECT_EQ(readBE16(out + 2), 0xBEEFu);
  EXPECT_EQ(out[2], 0xBE);
}

}  // namespace
}  // namespace tessel
