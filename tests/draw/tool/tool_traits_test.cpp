// Each tool's row against the tool table and the set-up rules of the engine.
#include <gtest/gtest.h>

#include <set>

#include "draw/brush/brush_engine.h"
#include "draw/tool/option_words.h"
#include "draw/tool/tool_settings.h"
#include "draw/tool/tool_traits.h"

namespace tessel {
namespace {

const std::set<int> kPaintingTools = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};

TEST(ToolTraitsTest, RoutesFollowTheToolTable) {
  const std::pair<StrokeRoute, std::set<int>> routes[] = {
      {StrokeRoute::PixelFreehand, {0, 7}},
      {StrokeRoute::OnePixelLine, {1}},
      {StrokeRoute::Buffered, {2, 3, 4, 6, 8, 9}},
      {StrokeRoute::Direct, {5, 10, 12, 13}},
      {StrokeRoute::Finger, {11}},
  };
  for (const auto& [route, tools] : routes)
    for (int t : tools) {
      EXPECT_TRUE(toolTraits(t).painting()) << t;
      EXPECT_EQ(toolTraits(t).route, route) << t;
    }
  const std::pair<int, ToolKind> others[] = {{14, ToolKind::Fill},     {15, ToolKind::Gradient},
                                             {16, ToolKind::Text},     {17, ToolKind::Move},
                                             {18, ToolKind::Selection}};
  for (auto [t, kind] : others) {
    EXPECT_EQ(toolTraits(t).kind, kind) << t;
    EXPECT_FALSE(isPaintingTool(t)) << t;
  }
}

// "a tool uses the sub-pixel rasteriser unless it is 0, 1, 7 or 11; for shapes,
// a tool draws directly into the layer when it is 10-13".
TEST(ToolTraitsTest, RasteriserAndShapePredicates) {
  for (int t = -2; t < kToolCount + 2; ++t) {
    bool painting = kPaintingTools.count(t) != 0;
    bool pixel = t == 0 || t == 1 || t == 7 || t == 11;
    EXPECT_EQ(isPaintingTool(t), painting) << t;
    EXPECT_EQ(usesSubPixel(t), painting && !pixel) << t;
    EXPECT_EQ(shapeDrawsDirect(t), t >= 10 && t <= 13) << t;
  }
}

// Defaults StampShape, PixelReplace, eraser 0; then line StampPoint, airbrush
// PixelSpray, erasers 7-9, blur PixelBlur, finger StampSmudge, dodge, burn.
TEST(ToolTraitsTest, StampKindPixelOpAndEraser) {
  for (int t = 0; t < kToolCount; ++t) {
    const ToolTraits& r = toolTraits(t);
    StampKind stamp = t == 1 ? StampKind::Point : t == 11 ? StampKind::Smudge : StampKind::Shape;
    int op = kPixelReplace;
    if (t == 6) op = kPixelSpray;
    if (t == 10) op = kPixelBlur;
    if (t == 12) op = kPixelDodge;
    if (t == 13) op = kPixelBurn;
    EXPECT_EQ(r.stamp, stamp) << t;
    EXPECT_EQ(r.stampOp, op) << t;
    EXPECT_EQ(r.eraser, t >= 7 && t <= 9) << t;
  }
}

// The per-tool spacing and operation table; every other tool keeps 0.15 and PixelOver.
TEST(ToolTraitsTest, SpacingAndSubPixelOperation) {
  struct Row {
    int tool;
    double spacing;
    int op;
  };
  const Row table[] = {{2, 0.1, kPixelMax},   {3, 0.06, kPixelOver},           {4, 0.15, kPixelOver},
                       {5, 0.05, kPixelOverKeepAlpha}, {6, 0.15, kPixelSpray},  {8, 0.1, kPixelOver},
                       {9, 0.15, kPixelOver}, {12, 0.2, kPixelDodge},          {13, 0.2, kPixelBurn}};
  for (int t = 0; t < kToolCount; ++t) {
    if (t == kToolBlur) continue;
    double spacing = 0.15;
    int op = kPixelOver;
    for (const Row& row : table)
      if (row.tool == t) spacing = row.spacing, op = row.op;
    EXPECT_EQ(toolTraits(t).spacingAt(200), spacing) << t;
    EXPECT_EQ(toolTraits(t).subPixelOp, op) << t;
  }
  // Blur: (255 - opacity) / 255 + 0.01; opacity 255 gives 0.01, opacity 0 gives 1.01.
  const ToolTraits& blur = toolTraits(kToolBlur);
  EXPECT_EQ(blur.subPixelOp, kPixelBlur);
  EXPECT_DOUBLE_EQ(blur.spacingAt(255), 0.01);
  EXPECT_DOUBLE_EQ(blur.spacingAt(0), 1.01);
  EXPECT_EQ(blur.spacingAt(64), double(255 - 64) / 255.0 + 0.01);
}

TEST(ToolTraitsTest, OptionWordsDrawTypesAndCursors) {
  const std::pair<int, ToolEnvWord> words[] = {
      {0, &ToolEnv::pencil},   {2, &ToolEnv::pen},         {3, &ToolEnv::pen2},
      {4, &ToolEnv::brush},    {5, &ToolEnv::water},       {6, &ToolEnv::splay},
      {8, &ToolEnv::erasePen}, {9, &ToolEnv::eraseBrush},  {12, &ToolEnv::dodge},
      {13, &ToolEnv::burn},    {14, &ToolEnv::paint},      {15, &ToolEnv::grad}};
  for (int t = 0; t < kToolCount; ++t) {
    ToolEnvWord word = nullptr;
    for (auto [tool, w] : words)
      if (tool == t) word = w;
    const ToolTraits& r = toolTraits(t);
    EXPECT_EQ(r.envWord, word) << t;
    for (int type = 0; type < kDrawTypeCount; ++type)
      EXPECT_EQ(r.takesDrawType(type), kPaintingTools.count(t) != 0) << t << " " << type;
    EXPECT_FALSE(r.takesDrawType(kDrawTypeCount));
  }
  EXPECT_EQ(toolTraits(kToolPen).layout, OptionLayout::Pen);
  EXPECT_EQ(toolTraits(kToolWatercolour).layout, OptionLayout::PercentWater);
  EXPECT_EQ(toolTraits(kToolBlur).wordIn(ToolEnv{}), 0x6464u);   // fixed: no pressure effect
  EXPECT_EQ(toolTraits(kToolText).cursor, ToolCursor::Text);
  EXPECT_EQ(toolTraits(kToolMove).cursor, ToolCursor::Move);
  EXPECT_EQ(toolTraits(kToolSelection).cursor, ToolCursor::Pointer);
  EXPECT_EQ(toolTraits(kToolPen).cursor, ToolCursor::Crosshair);
  // Numbers outside the table get a row that does nothing.
  for (int t : {-1, 19, 1000}) {
    EXPECT_EQ(toolTraits(t).kind, ToolKind::None);
    EXPECT_EQ(toolTraits(t).envWord, nullptr);
    EXPECT_FALSE(toolTraits(t).takesDrawType(0));
  }
}

TEST(OptionWordTest, KnownBits) {
  PenOptions pen = decodePen(0xA004);   // the default Pen word
  EXPECT_EQ(pen.smoothing, 4);
  EXPECT_TRUE(pen.pressureSize);
  EXPECT_FALSE(pen.pressureOpacity);
  EXPECT_TRUE(pen.antiAlias);
  EXPECT_FALSE(pen.curve);
  EXPECT_FALSE(pen.softTip);
  EXPECT_EQ(encodePen({1, false, true, false, true, true}, 0), 0x5801u);
  PercentOptions pc = decodePercent(0x1E64);   // ErasePen: 30 % size, 100 % opacity
  EXPECT_EQ(pc.minSize, 30);
  EXPECT_EQ(pc.minOpacity, 100);
  EXPECT_EQ(encodePercent({60, 0}, 0x11400), 0x13C00u);   // the water amount stays
  EXPECT_EQ(decodeWaterAmount(0x11400), 1);
  EXPECT_EQ(decodeWaterAmount(0xFF3232), 3);
  EXPECT_EQ(encodeWaterAmount(2, 0x11400), 0x21400u);
  EXPECT_EQ(encodeWaterAmount(9, 0x1234), 0x31234u);
  PencilOptions pencil = decodePencil(0x8009);
  EXPECT_EQ(pencil.tipShape, 9);
  EXPECT_TRUE(pencil.accumulate);
  FillOptions fill = decodeFill(0x5);
  EXPECT_TRUE(fill.reference && fill.erase && !fill.fringe && !fill.opaqueRegion);
  EXPECT_EQ(encodeFill({false, true, false, true}, 0x10), 0x1Au);
  GradientOptions grad = decodeGradient(0x8403);
  EXPECT_EQ(grad.kind, 3);
  EXPECT_EQ(grad.banding, 4);
  EXPECT_TRUE(grad.reverse);
  EXPECT_EQ(encodeGradient({4, 17, false}, 0x8000), 0x0104u);   // banding keeps four bits
}

// Decoding and encoding again gives back every word, foreign bits included.
TEST(OptionWordTest, RoundTripsEveryWord) {
  for (uint32_t w = 0; w < 0x10000; ++w) {
    uint32_t high = w | (w << 16);
    ASSERT_EQ(encodePen(decodePen(high), high), high);
    ASSERT_EQ(encodePencil(decodePencil(high), high), high);
    ASSERT_EQ(encodePercent(decodePercent(high), high), high);
    ASSERT_EQ(encodeFill(decodeFill(high), high), high);
    ASSERT_EQ(encodeGradient(decodeGradient(high), high), high);
    uint32_t water = (w & 0xFFFF) | ((w & 3) << 16);
    ASSERT_EQ(encodeWaterAmount(decodeWaterAmount(water), water), water);
  }
}

// The settings' word and the options panel's word used to disagree. The
// settings read the Pencil word as pressure percentages; its low byte is the
// tip shape, and the pencil has no pressure percentages at all.
TEST(OptionWordTest, PressureWordOnlyWhereTheSetUpReadsOne) {
  ToolSettings t;
  t.env.pencil = 0x8005;
  EXPECT_EQ(t.optionWord(kToolPencil), 0u);
  EXPECT_EQ(t.optionWord(kToolPen), t.env.pen);
  EXPECT_EQ(t.optionWord(kToolWatercolour), t.env.water);
  EXPECT_EQ(t.optionWord(kToolBlur), 0x6464u);   // fixed, and not the user's to edit
  EXPECT_FALSE(toolTraits(kToolBlur).editsPercentages());
  EXPECT_TRUE(toolTraits(kToolBurn).editsPercentages());
  EXPECT_EQ(t.optionWord(kToolFill), 0u);        // the Paint word has no pressure
  EXPECT_EQ(toolTraits(kToolFill).wordIn(t.env), t.env.paint);
  // The pencil's set-up takes nothing from its word but the accumulate bit.
  BrushEngine e;
  ASSERT_TRUE(e.init(1u));
  e.setupTool(kToolPencil, false, t, 0);
  EXPECT_EQ(e.context().minSize, 0);
  EXPECT_EQ(e.context().minOpacity, 0);
  EXPECT_EQ(e.stampOp, kPixelOver);
}

}  // namespace
}  // namespace tessel
