#include "formats/zlib_stream.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>

#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

std::vector<uint8_t> sampleBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> v(n);
  // Runs of repeated bytes with noise: compressible, but not trivially.
  for (size_t i = 0; i < n; ++i) v[i] = (i / 37) % 3 == 0 ? uint8_t(rng()) : uint8_t(i / 500);
  return v;
}

std::vector<uint8_t> compressLevel(const std::vector<uint8_t>& data, int level) {
  uLongf size = compressBound(uLong(data.size()));
  std::vector<uint8_t> out(size);
  EXPECT_EQ(compress2(out.data(), &size, data.data(), uLong(data.size()), level), Z_OK);
  out.resize(size);
  return out;
}

class RecordingProgress : public Progress {
 public:
  int range = -1;
  std::vector<int> positions;
  void setRange(int steps) override { range = steps; }
  void step() override {}
  void setPosition(int p) override { positions.push_back(p); }
};

TEST(DeflateToFile, WritesTheSameStreamAsZlibAtThatLevel) {
  TempDir dir;
  for (size_t n : {size_t(0), size_t(1), size_t(8192), size_t(300000)}) {
    std::vector<uint8_t> data = sampleBytes(n, 1);
    std::string path = dir.file("z.bin");
    File f;
    ASSERT_TRUE(f.create(path));
    ASSERT_TRUE(f.writeU8(0xAB));   // the stream starts at the file position
    uint32_t written = deflateToFile(f, data.data(), data.size(), 6, nullptr);
    f.close();
    std::vector<uint8_t> expected = compressLevel(data, 6);
    EXPECT_EQ(written, expected.size()) << n;
    std::vector<uint8_t> file = readBytes(path);
    ASSERT_EQ(file.size(), expected.size() + 1);
    EXPECT_EQ(file[0], 0xAB);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), file.begin() + 1)) << n;
  }
}

TEST(DeflateToFile, ProgressRunsFromZeroToTheByteCount) {
  TempDir dir;
  std::vector<uint8_t> data = sampleBytes(200000, 2);
  File f;
  ASSERT_TRUE(f.create(dir.file("p.bin")));
  RecordingProgress progress;
  ASSERT_GT(deflateToFile(f, data.data(), data.size(), 6, &progress), 0u);
  EXPECT_EQ(progress.range, 200000);
  ASSERT_GE(progress.positions.size(), 2u);
  EXPECT_EQ(progress.positions.front(), 0);
  EXPECT_EQ(progress.positions.back(), 200000);
  EXPECT_TRUE(std::is_sorted(progress.positions.begin(), progress.positions.end()));
}

TEST(DeflateToFile, AWriteFailureReturnsZero) {
  TempDir dir;
  std::vector<uint8_t> data = sampleBytes(100000, 3);
  File f;
  ASSERT_TRUE(f.create(dir.file("fail.bin")));
  f.failWritesAfter(9000);
  EXPECT_EQ(deflateToFile(f, data.data(), data.size(), 6, nullptr), 0u);
}

class InflateFromFileTest : public ::testing::Test {
 protected:
  // A file holding: two marker bytes, the stream, then a trailer byte 0x5A.
  void writeStream(const std::vector<uint8_t>& stream) {
    std::vector<uint8_t> bytes = {1, 2};
    bytes.insert(bytes.end(), stream.begin(), stream.end());
    bytes.push_back(0x5A);
    writeBytes(path, bytes);
    ASSERT_TRUE(file.openRead(path));
    ASSERT_TRUE(file.seek(2));
  }
  TempDir dir;
  std::string path = dir.file("in.bin");
  File file;
};

TEST_F(InflateFromFileTest, ExactStreamFillsTheDestinationAndStopsAtItsEnd) {
  std::vector<uint8_t> data = sampleBytes(50000, 4);
  std::vector<uint8_t> stream = compressLevel(data, 6);
  writeStream(stream);
  std::vector<uint8_t> out(data.size());
  EXPECT_TRUE(inflateFromFile(file, out.data(), out.size(), uint32_t(stream.size())));
  EXPECT_EQ(out, data);
  uint8_t next = 0;
  EXPECT_TRUE(file.readU8(next));
  EXPECT_EQ(next, 0x5A);
}

TEST_F(InflateFromFileTest, SizeBeyondTheStreamLeavesTheFileAfterWhatWasConsumed) {
  std::vector<uint8_t> data = sampleBytes(1000, 5);
  std::vector<uint8_t> stream = compressLevel(data, 6);
  writeStream(stream);
  std::vector<uint8_t> out(data.size());
  EXPECT_TRUE(inflateFromFile(file, out.data(), out.size(), uint32_t(stream.size() + 1)));
  EXPECT_EQ(file.position(), int64_t(2 + stream.size()));
}

TEST_F(InflateFromFileTest, ShortStreamSucceedsAndKeepsTheRestOfTheDestination) {
  std::vector<uint8_t> data = sampleBytes(3000, 6);
  std::vector<uint8_t> stream = compressLevel(data, 6);
  writeStream(stream);
  std::vector<uint8_t> out(5000, 0xEE);
  EXPECT_TRUE(inflateFromFile(file, out.data(), out.size(), uint32_t(stream.size())));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin()));
  EXPECT_EQ(out[3000], 0xEE);
  EXPECT_EQ(out[4999], 0xEE);
}

TEST_F(InflateFromFileTest, DestinationTooSmallFails) {
  std::vector<uint8_t> data = sampleBytes(20000, 7);
  std::vector<uint8_t> stream = compressLevel(data, 6);
  writeStream(stream);
  std::vector<uint8_t> out(19999);
  EXPECT_FALSE(inflateFromFile(file, out.data(), out.size(), uint32_t(stream.size())));
}

TEST_F(InflateFromFileTest, InputRunningOutBeforeTheEndFails) {
  std::vector<uint8_t> data = sampleBytes(20000, 8);
  std::vector<uint8_t> stream = compressLevel(data, 6);
  writeStream(stream);
  std::vector<uint8_t> out(data.size());
  EXPECT_FALSE(inflateFromFile(file, out.data(), out.size(), uint32_t(stream.size() - 1)));
  ASSERT_TRUE(file.seek(2));
  EXPECT_FALSE(inflateFromFile(file, out.data(), out.size(), 0));
}

TEST_F(InflateFromFileTest, CorruptStreamFails) {
  std::vector<uint8_t> data = sampleBytes(20000, 9);
  std::vector<uint8_t> stream = compressLevel(data, 6);
  stream[stream.size() - 2] ^= 0xFF;   // Adler-32 trailer
  writeStream(stream);
  std::vector<uint8_t> out(data.size());
  EXPECT_FALSE(inflateFromFile(file, out.data(), out.size(), uint32_t(stream.size())));
}

TEST(InflateMemory, SucceedsOnlyAtTheEndOfTheStream) {
  std::vector<uint8_t> data = sampleBytes(40000, 10);
  std::vector<uint8_t> stream = compressLevel(data, 9);
  std::vector<uint8_t> out(data.size());
  EXPECT_TRUE(inflateMemory(stream.data(), stream.size(), out.data(), out.size()));
  EXPECT_EQ(out, data);
  std::vector<uint8_t> big(data.size() + 10, 0x11);
  EXPECT_TRUE(inflateMemory(stream.data(), stream.size(), big.data(), big.size()));
  EXPECT_EQ(big.back(), 0x11);
  EXPECT_FALSE(inflateMemory(stream.data(), stream.size(), out.data(), out.size() - 1));
  EXPECT_FALSE(inflateMemory(stream.data(), stream.size() - 4, out.data(), out.size()));
  const uint8_t garbage[] = {1, 2, 3, 4, 5};
  EXPECT_FALSE(inflateMemory(garbage, sizeof garbage, out.data(), out.size()));
}

}  // namespace
}  // namespace tessel
