#include "filters/colour_models.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(ColourModels, IntegerHsvOfPrimariesAndGrey) {
  EXPECT_EQ(rgbToHsv({255, 0, 0}), (Hsv{0, 255, 255}));
  EXPECT_EQ(rgbToHsv({128, 128, 128}), (Hsv{0, 0, 128}));
  EXPECT_EQ(rgbToHsv({0, 0, 0}), (Hsv{0, 0, 0}));
  EXPECT_EQ(hsvToRgb({120, 255, 255}), (Rgb{0, 255, 0}));
  EXPECT_EQ(hsvToRgb({240, 255, 255}), (Rgb{0, 0, 255}));
  EXPECT_EQ(hsvToRgb({77, 0, 90}), (Rgb{90, 90, 90}));
}

TEST(ColourModels, IntegerHsvDividesEachProductSeparately) {
  // 5*60/251 - 4*60/251 = 1 - 0, where (5-4)*60/251 would give 0.
  EXPECT_EQ(rgbToHsv({255, 5, 4}), (Hsv{1, 251, 255}));
  // Blue is the maximum: 10*60/20 - 20*60/20 + 240.
  EXPECT_EQ(rgbToHsv({10, 20, 30}), (Hsv{210, 170, 30}));
  // A negative hue wraps: 20 - 40 = -20 -> 340.
  EXPECT_EQ(rgbToHsv({200, 50, 100}), (Hsv{340, 191, 200}));
  EXPECT_EQ(rgbToHsv({255, 128, 0}), (Hsv{30, 255, 255}));
}

TEST(ColourModels, IntegerHsvToRgbSectors) {
  // f = 240, sector 5: p = 64*200/255 = 50, q = (255 - 127)*200/255 = 100.
  EXPECT_EQ(hsvToRgb({340, 191, 200}), (Rgb{200, 50, 100}));
  // Sector 0 near its end: t = (255 - 255*6/360)*255/255 = 251.
  EXPECT_EQ(hsvToRgb({59, 255, 255}), (Rgb{255, 251, 0}));
  // Sector 3: f = 180, q = (255 - 100*180/360)*200/255 = 205*200/255 = 160.
  EXPECT_EQ(hsvToRgb({210, 100, 200}), (Rgb{121, 160, 200}));
  // A hue past the last sector takes p for every channel.
  EXPECT_EQ(hsvToRgb({360, 255, 200}), (Rgb{0, 0, 0}));
}

TEST(ColourModels, IntegerHsvRoundTripStaysClose) {
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 15)
      for (int b = 0; b < 256; b += 15) {
        Rgb back = hsvToRgb(rgbToHsv({r, g, b}));
        EXPECT_NEAR(back.r, r, 8);
        EXPECT_NEAR(back.g, g, 8);
        EXPECT_NEAR(back.b, b, 8);
        EXPECT_EQ(std::max({back.r, back.g, back.b}), std::max({r, g, b}));
      }
}

TEST(ColourModels, HlsOfRedGreyAndOrange) {
  EXPECT_EQ(rgbToHls({255, 0, 0}), (Hls{0, 50, 100}));
  Hls grey = rgbToHls({128, 128, 128});
  EXPECT_EQ(grey.h, 0);
  EXPECT_EQ(grey.s, 0);
  EXPECT_EQ(rgbToHls({255, 128, 0}), (Hls{30, 50, 100}));
  EXPECT_EQ(rgbToHls({0, 0, 255}), (Hls{240, 50, 100}));
  EXPECT_EQ(rgbToHls({255, 255, 255}), (Hls{0, 100, 0}));
}

TEST(ColourModels, HlsToRgb) {
  EXPECT_EQ(hlsToRgb({0, 50, 100}), (Rgb{255, 0, 0}));
  EXPECT_EQ(hlsToRgb({180, 50, 100}), (Rgb{0, 255, 255}));
  EXPECT_EQ(hlsToRgb({300, 0, 77}), (Rgb{0, 0, 0}));
  EXPECT_EQ(hlsToRgb({45, 40, 0}), (Rgb{102, 102, 102}));
  // Lightness 100 is white whatever the hue and saturation.
  for (int h = 0; h < 360; h += 7)
    for (int s = 0; s <= 100; ++s) ASSERT_EQ(hlsToRgb({h, 100, s}), (Rgb{255, 255, 255})) << h << " " << s;
}

TEST(ColourModels, PercentHsv) {
  EXPECT_EQ(hsvPercentToRgb({0, 100, 100}), (Rgb{255, 0, 0}));
  EXPECT_EQ(hsvPercentToRgb({120, 100, 100}), (Rgb{0, 255, 0}));
  EXPECT_EQ(hsvPercentToRgb({60, 50, 100}), (Rgb{255, 255, 127}));
  EXPECT_EQ(hsvPercentToRgb({200, 0, 50}), (Rgb{127, 127, 127}));
  EXPECT_EQ(hsvPercentToRgb({0, 100, 70}), (Rgb{178, 0, 0}));
}

TEST(ColourModels, SwatchGrids) {
  std::vector<uint32_t> hls = hlsSwatches();
  ASSERT_EQ(hls.size(), 30u);
  EXPECT_EQ(hls[0], 0xFF0000u);
  EXPECT_EQ(hls[1], 0x00FFFFu);
  EXPECT_EQ(hls[2 * 10], packRgb(hlsToRgb({120, 50, 100})));
  EXPECT_EQ(hls[2 * 10], 0x00FF00u);

  std::vector<uint32_t> vivid = hsvVividSwatches();
  ASSERT_EQ(vivid.size(), 156u);
  EXPECT_EQ(vivid[0], 0xFF0000u);
  // Swatch 7 is the first of the dark half: S 100 %, V 70 %.
  EXPECT_EQ(vivid[7], 0xB20000u);
  EXPECT_EQ(vivid[6], packRgb(hsvPercentToRgb({0, 22, 100})));
  EXPECT_EQ(vivid[12], packRgb(hsvPercentToRgb({0, 25, 70})));
  EXPECT_EQ(vivid[4 * 13], packRgb(hsvPercentToRgb({120, 100, 100})));

  std::vector<uint32_t> pale = hsvPaleSwatches();
  ASSERT_EQ(pale.size(), 156u);
  EXPECT_EQ(pale[0], packRgb(hsvPercentToRgb({0, 35, 100})));
  EXPECT_EQ(pale[6], packRgb(hsvPercentToRgb({0, 35, 58})));
  EXPECT_EQ(pale[7], packRgb(hsvPercentToRgb({0, 15, 100})));
  EXPECT_EQ(pale[12], packRgb(hsvPercentToRgb({0, 15, 55})));
  EXPECT_EQ(pale[11 * 13], packRgb(hsvPercentToRgb({330, 35, 100})));
}

TEST(ColourModels, PackedOrder) {
  EXPECT_EQ(packRgb({0x12, 0x34, 0x56}), 0x123456u);
  EXPECT_EQ(unpackRgb(0xFF123456u), (Rgb{0x12, 0x34, 0x56}));
}

}  // namespace
}  // namespace tessel
