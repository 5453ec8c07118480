#include "image/tiled_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "document/compositors.h"
#include "formats/tile_deflate.h"
#include "formats/zlib_stream.h"
#include "../formats/temp_dir.h"
#include "image/image24.h"
#include "image/image32.h"

namespace tessel {
namespace {

// 600 x 130 (edge tiles cut on both axes): transparent except a painted
// patch and a few scattered pixels, among them alpha-0 pixels of other colours.
Image32 sparsePicture(unsigned seed) {
  Image32 image;
  image.create(600, 130);
  image.fill(kTransparent);
  std::mt19937 rng(seed);
  for (int y = 70; y < 100; ++y)
    for (int x = 200; x < 300; ++x) image.set(x, y, rng());
  image.set(599, 129, 0x00123456);
  image.set(0, 0, 0x80FF0000);
  return image;
}

bool samePixels(const Image32& a, const Image32& b) {
  if (a.width() != b.width() || a.height() != b.height()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.at(x, y) != b.at(x, y)) return false;
  return true;
}

TEST(TiledImage, KeepsOnlyPaintedTilesAndGivesTheSamePixelsBack) {
  Image32 flat = sparsePicture(1);
  TiledImage tiles;
  ASSERT_TRUE(tiles.assign(flat));
  EXPECT_EQ(tiles.tilesAcross(), 3);
  EXPECT_EQ(tiles.tilesDown(), 3);
  // (0,0); the patch spans tiles (0..1, 1); the corner pixel (2,2).
  EXPECT_EQ(tiles.paintedTiles(), 4u);
  EXPECT_EQ(tiles.tile(1, 0), nullptr);
  EXPECT_TRUE(tiles.rowTransparent(130 - 1) == false);
  EXPECT_TRUE(tiles.rowTransparent(10) == false);   // the tile of (0,0)
  Image32 back;
  ASSERT_TRUE(tiles.materialize(back));
  EXPECT_TRUE(samePixels(flat, back));
  EXPECT_EQ(tiles.pixel(599, 129), 0x00123456u);
  EXPECT_EQ(tiles.pixel(400, 5), kTransparent);
  Pixel row[40];
  tiles.readRow(75, 240, 40, row);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(row[i], flat.at(240 + i, 75));
}

TEST(TiledImage, UnchangedTilesAreSharedWithThePreviousTiles) {
  Image32 flat = sparsePicture(2);
  TiledImage first;
  ASSERT_TRUE(first.assign(flat));
  flat.set(210, 80, flat.at(210, 80) ^ 1);   // tile (0,1) changes
  TiledImage second;
  ASSERT_TRUE(second.assign(flat, &first));
  EXPECT_EQ(second.tile(0, 0), first.tile(0, 0));
  EXPECT_EQ(second.tile(2, 2), first.tile(2, 2));
  EXPECT_NE(second.tile(0, 1), first.tile(0, 1));
  TiledImage copy = second;   // copies share every tile
  EXPECT_EQ(copy.tile(0, 1), second.tile(0, 1));
}

TEST(TiledImage, CompositesExactlyAsTheFlatPixelsInEveryMode) {
  Image32 flat = sparsePicture(3), base, viaFlat, viaTiles;
  TiledImage tiles;
  ASSERT_TRUE(tiles.assign(flat));
  base.create(600, 130);
  std::mt19937 rng(9);
  for (int y = 0; y < 130; ++y)
    for (int x = 0; x < 600; ++x) base.set(x, y, rng() | 0xFF000000u);
  BlendTable table;
  const Rect r{5, 3, 590, 120};
  for (int mode = 0; mode < kBlendModeCount; ++mode) {
    for (int opacity : {128, 77}) {
      viaFlat.create(600, 130), viaTiles.create(600, 130);
      viaFlat.copyFrom(base), viaTiles.copyFrom(base);
      compositeDisplayLayer(viaFlat, flat, mode, opacity, r, table);
      compositeDisplayTiles(viaTiles, tiles, mode, opacity, r, table);
      EXPECT_TRUE(samePixels(viaFlat, viaTiles)) << "mode " << mode << " opacity " << opacity;
    }
  }
}

TEST(TiledImage, ThumbnailFromTilesEqualsTheFlatOne) {
  Image32 flat = sparsePicture(4);
  TiledImage tiles;
  ASSERT_TRUE(tiles.assign(flat));
  Image24 a, b;
  ASSERT_TRUE(a.create(60, 60) && b.create(60, 60));
  a.fill(0x808080), b.fill(0x808080);
  a.drawImage32Scaled(3, 4, 50, 45, flat);
  b.drawTilesScaled(3, 4, 50, 45, tiles);
  EXPECT_EQ(0, std::memcmp(a.bits(), b.bits(), a.byteSize()));
}

std::vector<uint8_t> deflated(const TiledImage& tiles) {
  std::vector<uint8_t> out;
  uint64_t n = deflateTiles(tiles, 6, [&](const uint8_t* b, size_t k) {
    out.insert(out.end(), b, b + k);
    return true;
  });
  EXPECT_EQ(n, out.size());
  return out;
}

TEST(TileDeflate, InflatesToTheFlatBytesAndMatchesPlainDeflateWithoutLongRuns) {
  Image32 flat = sparsePicture(5);
  TiledImage tiles;
  ASSERT_TRUE(tiles.assign(flat));
  // Rows of 600 pixels: no transparent run reaches the ready-made blocks here
  // except the rows above and below the patch, which join into long runs.
  std::vector<uint8_t> stream = deflated(tiles);
  std::vector<uint8_t> back(flat.byteSize());
  ASSERT_TRUE(inflateMemory(stream.data(), stream.size(), back.data(), back.size()));
  EXPECT_EQ(0, std::memcmp(back.data(), flat.bits(), back.size()));

  // One painted pixel per tiny picture: no long run, so the bytes are plain deflate's.
  Image32 small;
  small.create(20, 10);
  small.fill(kTransparent);
  small.set(3, 4, 0xFF00FF00);
  TiledImage smallTiles;
  ASSERT_TRUE(smallTiles.assign(small));
  std::vector<uint8_t> plain;
  deflateToSink(small.bits(), small.byteSize(), 6, nullptr, [&](const uint8_t* b, size_t k) {
    plain.insert(plain.end(), b, b + k);
    return true;
  });
  EXPECT_EQ(deflated(smallTiles), plain);
}

TEST(TileDeflate, ALargeTransparentPictureCostsLittleAndStaysAZlibStream) {
  TiledImage tiles;
  ASSERT_TRUE(tiles.reset(1000, 700));   // 2.8 MB of transparent pixels
  std::vector<uint8_t> stream = deflated(tiles);
  EXPECT_LT(stream.size(), 4000u);
  std::vector<uint8_t> back(size_t(1000) * 700 * 4);
  ASSERT_TRUE(inflateMemory(stream.data(), stream.size(), back.data(), back.size()));
  for (size_t i = 0; i < back.size(); i += 4) ASSERT_EQ(0, std::memcmp(back.data() + i, &kTransparent, 4));
}

// Streams read back through the reader that recognises the ready-made
// blocks: its own streams, plain deflate's, and damaged ones.
TEST(TileDeflate, TheLayerInflaterReadsItsOwnAndPlainStreamsAndRefusesDamage) {
  Image32 flat;
  flat.create(1000, 300);
  flat.fill(kTransparent);
  std::mt19937 rng(6);
  for (int y = 120; y < 160; ++y)
    for (int x = 300; x < 700; ++x) flat.set(x, y, rng() | 0xFF000000u);
  TiledImage tiles;
  ASSERT_TRUE(tiles.assign(flat));
  std::vector<uint8_t> own = deflated(tiles), plain;
  deflateToSink(flat.bits(), flat.byteSize(), 6, nullptr, [&](const uint8_t* b, size_t k) {
    plain.insert(plain.end(), b, b + k);
    return true;
  });
  testing::TempDir dir;
  auto read = [&](const std::vector<uint8_t>& stream, size_t size, std::vector<uint8_t>& out, InflateResult& r) {
    std::FILE* f = std::fopen(dir.file("s").c_str(), "wb");
    std::fwrite("head", 1, 4, f);   // streams start inside a file
    std::fwrite(stream.data(), 1, stream.size(), f);
    std::fwrite("tail", 1, 4, f);
    std::fclose(f);
    File file;
    EXPECT_TRUE(file.openRead(dir.file("s")));
    out.assign(size, 0xAB);
    return inflateLayerAt(file, 4, uint32_t(stream.size() + 4), out.data(), size, r);
  };
  for (const std::vector<uint8_t>* stream : {&own, &plain}) {
    std::vector<uint8_t> out;
    InflateResult r;
    ASSERT_TRUE(read(*stream, flat.byteSize(), out, r));
    EXPECT_EQ(0, std::memcmp(out.data(), flat.bits(), out.size()));
    EXPECT_EQ(r.consumed, stream->size());
    EXPECT_EQ(r.produced, flat.byteSize());
  }
  std::vector<uint8_t> out;
  InflateResult r;
  std::vector<uint8_t> bad = own;
  bad.back() ^= 1;   // the Adler-32 trailer
  EXPECT_FALSE(read(bad, flat.byteSize(), out, r));
  bad = own;
  bad.resize(bad.size() / 2);
  EXPECT_FALSE(read(bad, flat.byteSize(), out, r));
  EXPECT_GT(r.produced, 0u);
  EXPECT_EQ(out.back(), 0xAB);   // what the stream did not reach is left alone
  EXPECT_FALSE(read(own, flat.byteSize() - 4, out, r));   // more than the destination
  bad = own;
  bad[1] ^= 1;   // header check
  EXPECT_FALSE(read(bad, flat.byteSize(), out, r));
  // A short stream fills the start and succeeds.
  EXPECT_TRUE(read(own, flat.byteSize() + 8, out, r));
  EXPECT_EQ(r.produced, flat.byteSize());
}

}  // namespace
}  // namespace tessel
