#include "app/key_dispatch.h"

#include <gtest/gtest.h>

#include "app/commands/commands.h"
#include "document/document.h"

namespace tessel {
namespace {

class CountingRecorder : public UndoRecorder {
 public:
  int wholeLayer = 0;
  void recordPixelRectOf(const Image32& backup, const Rect& r) override {
    if (r == backup.bounds()) ++wholeLayer;
  }
};

TEST(KeyDispatchTest, FixedKeys) {
  FixedKeyAction a = fixedKeyAction(Key::Left, true);
  EXPECT_EQ(a.kind, FixedKeyAction::ShiftLayer);
  EXPECT_EQ(a.dx, -1);
  EXPECT_EQ(a.dy, 0);
  a = fixedKeyAction(Key::Down, true);
  EXPECT_EQ(a.dy, 1);
  EXPECT_EQ(fixedKeyAction(Key::Left, false).kind, FixedKeyAction::None);
  a = fixedKeyAction(Key::Insert, false);
  EXPECT_EQ(a.kind, FixedKeyAction::Command);
  EXPECT_EQ(a.command, cmd::kFillSelection);
  EXPECT_EQ(fixedKeyAction(Key::Delete, true).command, cmd::kEraseSelection);
  EXPECT_EQ(fixedKeyAction(Key::Other, true).kind, FixedKeyAction::None);
}

class ShiftTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(doc.newImage(4, 3, true));
    doc.setRecorder(&recorder);
    Image32& img = doc.currentLayer()->image();
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) img.set(x, y, 0xFF000000u | uint32_t(y * 16 + x));
    }
  }
  Pixel at(int x, int y) { return doc.currentLayer()->image().at(x, y); }
  Document doc;
  CountingRecorder recorder;
};

TEST_F(ShiftTest, RightAndLeftUncoverTransparentColumns) {
  ASSERT_TRUE(shiftCurrentLayer(doc, 1, 0));
  EXPECT_EQ(recorder.wholeLayer, 1);
  EXPECT_EQ(at(0, 1), kTransparent);
  EXPECT_EQ(at(1, 1), 0xFF000010u);
  EXPECT_EQ(at(3, 2), 0xFF000022u);
  ASSERT_TRUE(shiftCurrentLayer(doc, -1, 0));
  EXPECT_EQ(at(0, 1), 0xFF000010u);
  EXPECT_EQ(at(3, 1), kTransparent);
  EXPECT_EQ(recorder.wholeLayer, 2);
}

TEST_F(ShiftTest, DownAndUpUncoverTransparentRows) {
  ASSERT_TRUE(shiftCurrentLayer(doc, 0, 1));
  EXPECT_EQ(at(2, 0), kTransparent);
  EXPECT_EQ(at(2, 1), 0xFF000002u);
  EXPECT_EQ(at(2, 2), 0xFF000012u);
  ASSERT_TRUE(shiftCurrentLayer(doc, 0, -1));
  EXPECT_EQ(at(2, 0), 0xFF000002u);
  EXPECT_EQ(at(2, 2), kTransparent);
}

TEST_F(ShiftTest, BadStepsChangeNothing) {
  EXPECT_FALSE(shiftCurrentLayer(doc, 0, 0));
  EXPECT_FALSE(shiftCurrentLayer(doc, 2, 0));
  EXPECT_EQ(recorder.wholeLayer, 0);
  EXPECT_EQ(at(0, 0), 0xFF000000u);
  Document empty;
  EXPECT_FALSE(shiftCurrentLayer(empty, 1, 0));
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

TEST(KeyBindingTest, FirstEntryWithTheKeyWins) {
  // Entries are id << 8 | key with id = group * 32 + item.
  const uint16_t table[] = {
      uint16_t((0 * 32 + 3) << 8 | 0),      // tool 3, unbound
      uint16_t((2 * 32 + 2) << 8 | 0x5A),   // zoom in on Z
      uint16_t((5 * 32 + 6) << 8 | 0x4E),   // navigator on N
      uint16_t((2 * 32 + 3) << 8 | 0x5A),   // zoom out on Z as well: never reached
      uint16_t((4 * 32 + 1) << 8 | 0x58),   // swap colours on X
  };
  auto z = findKeyBinding(table, 0x5A);
  ASSERT_TRUE(z.has_value());
  EXPECT_EQ(z->category, 2);
  EXPECT_EQ(z->index, 2);
  EXPECT_EQ(commandForBinding(*z), cmd::kZoomIn);
  auto n = findKeyBinding(table, 0x4E);
  ASSERT_TRUE(n.has_value());
  EXPECT_EQ(commandForBinding(*n), 40156);
  auto x = findKeyBinding(table, 0x58);
  ASSERT_TRUE(x.has_value());
  EXPECT_EQ(x->category, 4);
  EXPECT_EQ(commandForBinding(*x), 0);   // a tool action
  EXPECT_FALSE(findKeyBinding(table, 0x41).has_value());
  EXPECT_FALSE(findKeyBinding(table, 0).has_value());   // unbound entries never match
}

TEST(KeyBindingTest, ViewCommandsInTheirOrder) {
  const int expected[] = {40050, 40051, 40167, 40168, 3003, 40163, 40160};
  for (int d = 0; d < 7; ++d) EXPECT_EQ(commandForBinding({2, d}), expected[d]) << d;
  EXPECT_EQ(commandForBinding({2, 7}), 0);
  EXPECT_EQ(commandForBinding({5, 0}), 40150);
  EXPECT_EQ(commandForBinding({5, 8}), 0);
  EXPECT_EQ(commandForBinding({0, 1}), 0);
}

}  // namespace
}  // namespace tessel
