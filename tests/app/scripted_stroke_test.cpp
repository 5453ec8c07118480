#include "app/scripted_stroke.h"

#include <gtest/gtest.h>

#include "document/document.h"

namespace tessel {
namespace {

TEST(ScriptedStrokeSamples, PressureDefaultsToOneAndBadTextIsRefused) {
  std::vector<StrokeSample> s;
  ASSERT_TRUE(parseStrokeSamples("1,2;3.5,4,0.25;", s));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].x, 1.0);
  EXPECT_EQ(s[0].y, 2.0);
  EXPECT_EQ(s[0].pressure, 1.0f);
  EXPECT_EQ(s[1].x, 3.5);
  EXPECT_EQ(s[1].pressure, 0.25f);
  EXPECT_FALSE(parseStrokeSamples("", s));
  EXPECT_FALSE(parseStrokeSamples("1", s));
  EXPECT_FALSE(parseStrokeSamples("1,2,3,4", s));
  EXPECT_FALSE(parseStrokeSamples("1,x", s));
  EXPECT_FALSE(parseStrokeSamples("1,2,1.5", s));
  EXPECT_FALSE(parseStrokeSamples("nan,2", s));
}

TEST(ScriptedStrokeOptions, OnlyToolsWithAnOptionWordTakeOne) {
  ToolSettings tools;
  EXPECT_TRUE(setToolOptionWord(tools, kToolBurn, 0x1234));
  EXPECT_EQ(tools.env.burn, 0x1234u);
  EXPECT_EQ(tools.env.dodge, 0x3C3Cu);
  EXPECT_TRUE(setToolOptionWord(tools, kToolAirbrush, 7));
  EXPECT_EQ(tools.env.splay, 7u);
  EXPECT_FALSE(setToolOptionWord(tools, kToolLine, 1));
  EXPECT_FALSE(setToolOptionWord(tools, kToolFinger, 1));
}

TEST(ScriptedStroke, PencilLinePaintsItsPixelsOnTheChosenLayer) {
  Document doc;
  ASSERT_TRUE(doc.newImage(10, 8, true));
  ASSERT_TRUE(doc.newLayer(false));   // index 0 now; the first layer is index 1
  ScriptedStroke s;
  s.tool = kToolPencil;
  s.size = 1;
  s.colour = 0xFF0000;
  s.layer = 1;
  s.maskMode = 0;
  ASSERT_TRUE(parseStrokeSamples("2,2;5,2", s.samples));
  ASSERT_TRUE(runScriptedStroke(doc, s));
  EXPECT_EQ(doc.currentIndex(), 0);   // the current layer stays
  const Image32& painted = doc.layers().atIndex(1)->image();
  for (int x = 2; x <= 5; ++x) EXPECT_EQ(painted.at(x, 2), 0xFFFF0000u) << x;
  EXPECT_EQ(painted.at(1, 2), kTransparent);
  EXPECT_EQ(painted.at(6, 2), kTransparent);
  EXPECT_EQ(painted.at(3, 3), kTransparent);
  EXPECT_EQ(doc.layers().atIndex(0)->image().at(3, 2), kTransparent);
}

TEST(ScriptedStroke, MaskModeIsSetBeforeTheStrokeAndGuardsOpaquePixels) {
  Document doc;
  ASSERT_TRUE(doc.newImage(10, 8, true));
  Image32& image = doc.currentLayer()->image();
  image.set(3, 2, 0xFF00FF00);
  ScriptedStroke s;
  s.tool = kToolPencil;
  s.size = 1;
  s.colour = 0x0000FF;
  s.maskMode = 2;   // the opaque part is protected
  ASSERT_TRUE(parseStrokeSamples("2,2;4,2", s.samples));
  ASSERT_TRUE(runScriptedStroke(doc, s));
  EXPECT_EQ(doc.currentLayer()->maskMode, 2);
  EXPECT_EQ(image.at(2, 2), 0xFF0000FFu);
  EXPECT_EQ(image.at(3, 2), 0xFF00FF00u);
  EXPECT_EQ(image.at(4, 2), 0xFF0000FFu);
}

TEST(ScriptedStroke, RefusesWhatCannotPaint) {
  Document doc;
  ASSERT_TRUE(doc.newImage(10, 8, true));
  ScriptedStroke s;
  ASSERT_TRUE(parseStrokeSamples("1,1", s.samples));
  s.tool = kToolFill;
  EXPECT_FALSE(runScriptedStroke(doc, s));
  s.tool = kToolPen;
  s.layer = 1;
  EXPECT_FALSE(runScriptedStroke(doc, s));
  s.layer.reset();
  s.tool = kToolFinger;
  s.option = 5;
  EXPECT_FALSE(runScriptedStroke(doc, s));
}

}  // namespace
}  // namespace tessel
