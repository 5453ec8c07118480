// The two-thread reader and writer against the one-thread path: the same
// bytes on save, the same result, layers and progress on every load.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <random>
#include <vector>

#include "document/document.h"
#include "formats/native_builder.h"
#include "formats/native_document.h"
#include "formats/native_document_lanes.h"
#include "formats/temp_dir.h"
#include "formats/zlib_stream.h"

namespace tessel {
namespace {

using testing::buildNative;
using testing::NativeFileLayout;
using testing::NativeLayerSpec;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;
using testing::zlibCompress;

class StepCounter : public Progress {
 public:
  int range = -1, steps = 0;
  void setRange(int n) override { range = n; }
  void step() override { ++steps; }
};

// Soft blobs over transparency with some noise, so streams span many 8192-byte buffers.
void paintBlobs(Image32& image, uint32_t seed) {
  std::mt19937 rng(seed);
  image.fill(kTransparent);
  for (int blob = 0; blob < 12; ++blob) {
    int cx = int(rng() % uint32_t(image.width())), cy = int(rng() % uint32_t(image.height()));
    int r = 5 + int(rng() % 30);
    Pixel colour = makePixel(0, rng() & 0xFF, rng() & 0xFF, rng() & 0xFF);
    for (int y = std::max(0, cy - r); y < std::min(image.height(), cy + r); ++y)
      for (int x = std::max(0, cx - r); x < std::min(image.width(), cx + r); ++x)
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r)
          image.set(x, y, colour | Pixel(128 + rng() % 128) << 24);
  }
}

// Restores two lanes whatever a test does.
class NativeLanesTest : public ::testing::Test {
 protected:
  void TearDown() override { setNativeDocumentLanes(true); }
  TempDir dir;
};

TEST_F(NativeLanesTest, TwoLaneSaveWritesTheOneThreadBytes) {
  for (int layers : {1, 2, 3, 7}) {
    Document doc;
    ASSERT_TRUE(doc.newImage(300, 200, true));
    for (int i = 1; i < layers; ++i) ASSERT_TRUE(doc.newLayer(false));
    for (int i = 0; i < layers; ++i) paintBlobs(doc.layers().atIndex(i)->image(), uint32_t(i + 1));
    doc.layers().atIndex(0)->setNameBytes("Top");
    StepCounter one, two;
    setNativeDocumentLanes(false);
    ASSERT_TRUE(writeDocument(dir.file("one.tsd"), doc, &one));
    setNativeDocumentLanes(true);
    ASSERT_TRUE(writeDocument(dir.file("two.tsd"), doc, &two));
    std::vector<uint8_t> a = readBytes(dir.file("one.tsd")), b = readBytes(dir.file("two.tsd"));
    EXPECT_GT(a.size(), size_t(layers) * 8192) << layers;
    EXPECT_EQ(a, b) << layers;
    EXPECT_EQ(one.steps, layers + 1);
    EXPECT_EQ(two.steps, layers + 1);
  }
}

TEST_F(NativeLanesTest, TwoLaneSaveThatFailsHalfwayReportsFailure) {
  Document doc;
  ASSERT_TRUE(doc.newImage(120, 90, true));
  for (int i = 1; i < 6; ++i) ASSERT_TRUE(doc.newLayer(false));
  for (int i = 0; i < 6; ++i) paintBlobs(doc.layers().atIndex(i)->image(), uint32_t(40 + i));
  ASSERT_TRUE(writeDocument(dir.file("whole.tsd"), doc, nullptr));
  const int64_t whole = int64_t(readBytes(dir.file("whole.tsd")).size());
  for (int64_t budget = 0; budget < whole; budget += whole / 23 + 1) {
    File f;
    ASSERT_TRUE(f.create(dir.file("cut.tsd")));
    f.failWritesAfter(budget);
    EXPECT_FALSE(writeDocumentTo(f, doc, nullptr)) << budget;
  }
}

// Layers of one document side by side: count, current, attributes and pixels.
void expectSameDocument(const Document& a, const Document& b, const std::string& what) {
  ASSERT_EQ(a.layerCount(), b.layerCount()) << what;
  EXPECT_EQ(a.currentIndex(), b.currentIndex()) << what;
  EXPECT_EQ(a.width(), b.width()) << what;
  EXPECT_EQ(a.layers().nameCounter(), b.layers().nameCounter()) << what;
  for (int i = 0; i < a.layerCount(); ++i) {
    const Layer& x = *a.layers().atIndex(i);
    const Layer& y = *b.layers().atIndex(i);
    EXPECT_EQ(std::memcmp(x.name, y.name, kLayerNameBytes), 0) << what << " layer " << i;
    EXPECT_EQ(x.blendMode, y.blendMode) << what;
    EXPECT_EQ(x.opacity, y.opacity) << what;
    EXPECT_EQ(x.flags, y.flags) << what;
    EXPECT_EQ(x.maskMode, y.maskMode) << what;
    ASSERT_EQ(x.image().byteSize(), y.image().byteSize()) << what;
    EXPECT_EQ(std::memcmp(x.image().bits(), y.image().bits(), x.image().byteSize()), 0) << what << " layer " << i;
  }
}

// Reads one file both ways and compares everything the reader leaves.
void expectSameLoad(const std::string& path, const std::string& what, int expected = -99) {
  Document one, two;
  ASSERT_TRUE(one.newImage(5, 5, true));
  ASSERT_TRUE(two.newImage(5, 5, true));
  StepCounter p1, p2;
  setNativeDocumentLanes(false);
  int r1 = readDocument(path, one, &p1);
  setNativeDocumentLanes(true);
  int r2 = readDocument(path, two, &p2);
  EXPECT_EQ(r1, r2) << what;
  if (expected != -99) {
    EXPECT_EQ(r2, expected) << what;
  }
  EXPECT_EQ(p1.steps, p2.steps) << what;
  EXPECT_EQ(p1.range, p2.range) << what;
  ASSERT_NE(two.currentLayer(), nullptr) << what;
  expectSameDocument(one, two, what);
}

NativeFileLayout sevenLayers() {
  NativeFileLayout layout;
  layout.width = 40;
  layout.height = 30;
  layout.current = 2;
  layout.nameCounter = 9;
  for (uint32_t i = 0; i < 7; ++i) {
    Image32 image;
    image.create(40, 30);
    paintBlobs(image, 100 + i);
    NativeLayerSpec layer;
    layer.name = "layer" + std::to_string(i);
    layer.blend = uint8_t(i * 3);
    layer.opacity = uint8_t(60 + i);
    layer.flags = uint8_t(i & 1 ? 0x09 : 0x13);
    layer.pixels.assign(reinterpret_cast<const uint32_t*>(image.bits()),
                        reinterpret_cast<const uint32_t*>(image.bits()) + 40 * 30);
    layout.layers.push_back(layer);
  }
  return layout;
}

TEST_F(NativeLanesTest, TwoLaneLoadMatchesOneThreadOnWholeAndDamagedFiles) {
  NativeFileLayout layout = sevenLayers();
  writeBytes(dir.file("whole.tsd"), buildNative(layout));
  expectSameLoad(dir.file("whole.tsd"), "whole", kReadOk);

  // Overstated sizes: later records start where each stream really ended.
  NativeFileLayout over = layout;
  over.layers[1].sizeDelta = 7;
  over.layers[4].sizeDelta = 2;
  writeBytes(dir.file("over.tsd"), buildNative(over));
  expectSameLoad(dir.file("over.tsd"), "overstated", kReadOk);

  NativeFileLayout under = layout;
  under.layers[3].sizeDelta = -4;
  writeBytes(dir.file("under.tsd"), buildNative(under));
  expectSameLoad(dir.file("under.tsd"), "understated", kReadDecompressFailed);

  // Damage inside the fourth stream: three whole layers and part of the fourth.
  NativeFileLayout corrupt = layout;
  std::vector<uint8_t> stream = zlibCompress(corrupt.layers[3].pixels.data(), 40 * 30 * 4);
  for (size_t i = stream.size() / 2; i < stream.size() / 2 + 8; ++i) stream[i] ^= 0x5A;
  corrupt.layers[3].stream = stream;
  writeBytes(dir.file("corrupt.tsd"), buildNative(corrupt));
  expectSameLoad(dir.file("corrupt.tsd"), "corrupt", kReadDecompressFailed);

  // A stream with more pixels than the canvas holds.
  NativeFileLayout big = layout;
  std::vector<uint32_t> more(40 * 30 + 1, 0xFF123456u);
  big.layers[5].stream = zlibCompress(more.data(), more.size() * 4);
  writeBytes(dir.file("big.tsd"), buildNative(big));
  expectSameLoad(dir.file("big.tsd"), "too many pixels", kReadDecompressFailed);
}

TEST_F(NativeLanesTest, TwoLaneLoadMatchesOneThreadAtEveryTruncation) {
  NativeFileLayout layout = sevenLayers();
  layout.layers[2].sizeDelta = 3;   // one record found only after a rewind
  std::vector<uint8_t> whole = buildNative(layout);
  for (size_t n = 30; n < whole.size(); n += 1 + n % 5) {
    writeBytes(dir.file("cut.tsd"), std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)));
    expectSameLoad(dir.file("cut.tsd"), "cut at " + std::to_string(n));
    if (HasFatalFailure()) return;
  }
}

TEST_F(NativeLanesTest, TwoLaneLoadOf101RecordsGivesTheBlankImage) {
  NativeFileLayout layout;
  layout.width = 6;
  layout.height = 5;
  layout.layers.resize(101);
  writeBytes(dir.file("many.tsd"), buildNative(layout));
  Document doc;
  StepCounter progress;
  EXPECT_EQ(readDocument(dir.file("many.tsd"), doc, &progress), kReadOutOfMemory);
  EXPECT_EQ(doc.width(), 400);
  EXPECT_EQ(doc.layerCount(), 1);
  EXPECT_EQ(progress.steps, 100);
}

TEST(InflateFromFileAt, ReadsByPositionAndReportsWhatTheStreamUsed) {
  TempDir dir;
  std::vector<uint8_t> raw(20000);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = uint8_t(i * 7 / 3);
  std::vector<uint8_t> stream = zlibCompress(raw.data(), raw.size());
  // Three bytes, the stream from offset 3, three trailing bytes.
  std::vector<uint8_t> bytes(stream.size() + 6, 9);
  std::memcpy(bytes.data() + 3, stream.data(), stream.size());
  writeBytes(dir.file("s.bin"), bytes);
  File f;
  ASSERT_TRUE(f.openRead(dir.file("s.bin")));
  std::vector<uint8_t> out(raw.size() + 10, 0xEE);
  InflateResult r;
  // An overstated size: the trailing bytes are read but not used.
  ASSERT_TRUE(inflateFromFileAt(f, 3, uint32_t(stream.size() + 3), out.data(), out.size(), r));
  EXPECT_EQ(r.consumed, stream.size());
  EXPECT_EQ(r.unused, 3u);
  EXPECT_EQ(r.produced, raw.size());
  EXPECT_TRUE(std::equal(raw.begin(), raw.end(), out.begin()));
  EXPECT_EQ(out[raw.size()], 0xEE);   // a larger destination keeps its tail
  EXPECT_EQ(f.position(), 0);         // positional reads leave the position alone
  // Too small a destination: filled, and failure.
  EXPECT_FALSE(inflateFromFileAt(f, 3, uint32_t(stream.size()), out.data(), raw.size() - 1, r));
  EXPECT_EQ(r.produced, raw.size() - 1);
  EXPECT_TRUE(inflateFromFileAt(f, 3, uint32_t(stream.size()), out.data(), raw.size(), r));
  // Input that runs out first: an understated size, the end of the file, no bytes at all.
  EXPECT_FALSE(inflateFromFileAt(f, 3, uint32_t(stream.size() - 1), out.data(), out.size(), r));
  EXPECT_FALSE(inflateFromFileAt(f, int64_t(bytes.size()) - 20, 1000000, out.data(), out.size(), r));
  EXPECT_FALSE(inflateFromFileAt(f, 3, 0, out.data(), out.size(), r));
  EXPECT_EQ(r.produced, 0u);
  EXPECT_FALSE(inflateFromFileAt(f, 0, uint32_t(bytes.size()), out.data(), out.size(), r));   // not a stream
}

TEST(DeflateToSink, GivesTheBytesDeflateToFileWrites) {
  TempDir dir;
  std::vector<uint8_t> raw(100000);
  std::mt19937 rng(5);
  for (size_t i = 0; i < raw.size(); ++i) raw[i] = uint8_t(i % 300 < 150 ? rng() & 0x0F : i);
  File f;
  ASSERT_TRUE(f.create(dir.file("z.bin")));
  uint32_t n = deflateToFile(f, raw.data(), raw.size(), 6, nullptr);
  f.close();
  std::vector<uint8_t> collected;
  int calls = 0;
  uint32_t m = deflateToSink(raw.data(), raw.size(), 6, nullptr, [&](const uint8_t* b, size_t k) {
    ++calls;
    collected.insert(collected.end(), b, b + k);
    return true;
  });
  EXPECT_EQ(n, m);
  EXPECT_EQ(readBytes(dir.file("z.bin")), collected);
  EXPECT_GT(calls, 1);
  // A sink that refuses stops the stream with 0.
  EXPECT_EQ(deflateToSink(raw.data(), raw.size(), 6, nullptr, [](const uint8_t*, size_t) { return false; }), 0u);
}

TEST(JobLanes, EveryJobRunsOnceAndRewindDropsUnclaimedOnes) {
  std::array<std::atomic<int>, 64> runs{};
  JobLanes lanes([&](int job) { runs[size_t(job)]++; });
  ASSERT_TRUE(lanes.start());
  int published = 0, consumed = 0;
  while (consumed < 40) {
    if (lanes.isDone(consumed)) {
      ++consumed;
      if (consumed == 10) {
        lanes.rewind(consumed);   // jobs 10 .. published-1 run again below or not at all
        for (int j = consumed; j < published; ++j) runs[size_t(j)] = 0;
        published = consumed;
      }
    } else if (published < 40 && published < consumed + JobLanes::kSlots) {
      lanes.publish(published++);
    } else if (!lanes.runOne()) {
      lanes.waitFor(consumed);
    }
  }
  for (int j = 0; j < 40; ++j) EXPECT_EQ(runs[size_t(j)].load(), 1) << j;
  EXPECT_EQ(runs[40].load(), 0);
}

}  // namespace
}  // namespace tessel
