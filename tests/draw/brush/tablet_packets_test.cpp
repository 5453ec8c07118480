#include "draw/brush/tablet_packets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/input/canvas_input_fixture.h"
#include "draw/tool/tool_traits.h"

namespace tessel {
namespace {

// Records what the packet handling asks of the canvas.
struct Recorder {
  std::vector<std::string> calls;
  std::vector<InputState> states;
  int tool = 3;
  TabletTarget target() {
    TabletTarget t;
    t.press = [this](int b, int s, const InputState& in) { log("press", b, s, in); };
    t.release = [this](int b, int s, const InputState& in) { log("release", b, s, in); };
    t.move = [this](int s, const InputState& in) { log("move", -1, s, in); };
    t.currentTool = [this] { return tool; };
    t.selectTool = [this](int to) {
      tool = to;
      calls.push_back("tool " + std::to_string(to));
    };
    return t;
  }
  void log(const char* what, int b, int s, const InputState& in) {
    calls.push_back(std::string(what) + " " + std::to_string(b) + " " + std::to_string(s));
    states.push_back(in);
  }
};

// A context mapping 1000 x 1000 tablet units onto 100 x 100 screen pixels,
// tablet y upwards.
TabletContext smallContext(uint32_t maxPressure = 1023) {
  TabletContext c;
  c.in = {0, 0, 1000, 1000};
  c.out = {0, 0, 100, 100};
  c.sys = {0, 0, 100, 100};
  c.maxPressure = maxPressure;
  return c;
}

TabletPacket packet(uint32_t buttons, int32_t x = 500, int32_t y = 500, uint32_t pressure = 512,
                    uint32_t cursor = 1) {
  return {cursor, buttons, x, y, pressure};
}

TEST(TabletPackets, PressureIsNormalOverMaximumInSinglePrecision) {
  for (uint32_t max : {1023u, 2047u, 8191u}) {
    TabletPackets t;
    t.open(smallContext(max));
    for (uint32_t n : {0u, 1u, max / 3, max - 1, max, max + 5}) {
      EXPECT_EQ(t.pressureOf(packet(0, 0, 0, n)), float(n) / float(max)) << max << " " << n;
    }
    EXPECT_GT(t.pressureOf(packet(0, 0, 0, max + 5)), 1.0f);   // no clamping
  }
  TabletPackets none;
  TabletContext zero = smallContext();
  zero.maxPressure = 0;
  none.open(zero);
  EXPECT_EQ(none.pressureOf(packet(0, 0, 0, 512)), 0.5f);   // the 1024 default
}

TEST(TabletPackets, PositionMapsThroughTheContextRectangles) {
  TabletPackets t;
  t.open(smallContext());
  double x = 0, y = 0;
  t.screenPosition(packet(0, 255, 0), x, y);
  EXPECT_DOUBLE_EQ(x, 25.5);
  EXPECT_DOUBLE_EQ(y, 100.0);   // same-sign extents flip y
  TabletContext c = smallContext();
  c.out.extY = -100;
  c.out.extX = -100;              // x mirrored
  c.sys = {10, 20, 200, 200};     // system twice the output
  t.open(c);
  t.screenPosition(packet(0, 250, 300), x, y);
  EXPECT_DOUBLE_EQ(x, (75.0 * 2) + 10);
  EXPECT_DOUBLE_EQ(y, (30.0 * 2) + 20);
}

TEST(TabletPackets, FirstPacketIsItsOwnPreviousAndTipPressMovesRelease) {
  TabletPackets t;
  t.open(smallContext());
  Recorder r;
  TabletTarget target = r.target();
  InputState in;
  t.handle(packet(kTabletTip), in, 0, 0, target);   // nothing changed yet
  EXPECT_TRUE(r.calls.empty());
  t.handle(packet(0), in, 0, 0, target);
  t.handle(packet(kTabletTip, 500, 500, 1023), in, 5, 5, target);
  t.handle(packet(kTabletTip, 510, 500), in, 5, 5, target);
  t.handle(packet(kTabletTip, 510, 500, 100), in, 5, 5, target);   // pressure only: no move
  t.handle(packet(0, 510, 500), in, 5, 5, target);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"release 0 0", "press 0 0", "move -1 0", "release 0 0"}));
  EXPECT_DOUBLE_EQ(r.states[1].clientX, 45.0);   // 50 minus the client origin
  EXPECT_DOUBLE_EQ(r.states[1].clientY, 45.0);
  EXPECT_EQ(r.states[1].pressure, 1.0f);
  EXPECT_DOUBLE_EQ(r.states[2].clientX, 46.0);
}

TEST(TabletPackets, SystemCursorModeKeepsTheCallersPositionButTakesPressure) {
  TabletPackets t;
  t.open(smallContext());
  t.flags = kTabletUse | kTabletSystemCursor;
  Recorder r;
  TabletTarget target = r.target();
  InputState in;
  in.clientX = 7;
  in.clientY = 9;
  t.handle(packet(0), in, 0, 0, target);
  t.handle(packet(kTabletTip, 600, 600, 341), in, 0, 0, target);
  ASSERT_EQ(r.states.size(), 2u);   // press and move
  EXPECT_EQ(r.states[0].clientX, 7);
  EXPECT_EQ(r.states[0].clientY, 9);
  EXPECT_EQ(r.states[0].pressure, 341.0f / 1023.0f);
}

TEST(TabletPackets, SideButtonsOnlyWithTheirActionSet) {
  TabletPackets t;
  t.open(smallContext());
  Recorder r;
  TabletTarget target = r.target();
  InputState in;
  t.handle(packet(0), in, 0, 0, target);
  t.handle(packet(kTabletSide1 | kTabletSide2), in, 0, 0, target);
  t.handle(packet(0), in, 0, 0, target);
  EXPECT_TRUE(r.calls.empty());
  t.tabSide[1] = kActionUndo;
  t.handle(packet(kTabletSide1 | kTabletSide2), in, 0, 0, target);
  t.handle(packet(kTabletSide1), in, 0, 0, target);
  t.tabSide[0] = kActionPan;
  t.handle(packet(0), in, 0, 0, target);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"press 4 1", "release 4 1", "release 3 1"}));
}

TEST(TabletPackets, EraserEndSelectsTaleToolAndRestoresTheSavedOne) {
  TabletPackets t;
  t.open(smallContext());
  t.taleTool = 8;
  Recorder r;
  TabletTarget target = r.target();
  InputState in;
  t.handle(packet(0), in, 0, 0, target);
  // The stroke starts with the eraser end: the tool changes before the press.
  t.handle(packet(kTabletTip, 500, 500, 512, kTabletEraserCursor), in, 0, 0, target);
  t.handle(packet(0, 500, 500, 0, kTabletEraserCursor), in, 0, 0, target);
  EXPECT_TRUE(t.eraserActive());
  t.handle(packet(0, 500, 500, 0, 1), in, 0, 0, target);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"tool 8", "press 0 0", "release 0 0", "tool 3"}));
  EXPECT_EQ(r.tool, 3);
}

TEST(TabletPackets, DrivesTheCanvasInputWithThePenClickGuard) {
  InputRig rig;
  rig.draw.toolNo = 2;   // pen
  TabletPackets t;
  TabletContext c;
  c.in = {0, 0, 200, -160};   // one unit per client pixel, y downwards
  c.out = {0, 0, 200, 160};
  c.sys = {0, 0, 200, 160};
  t.open(c);
  t.taleTool = kToolEraseHard;
  TabletTarget target = tabletTargetFor(rig.input, rig.draw);
  rig.in.timeMs = 1000;
  t.handle(packet(0, 10, 10, 0, kTabletEraserCursor - 1), rig.in, 0, 0, target);
  t.handle(packet(kTabletTip, 10, 10, 1024, kTabletEraserCursor), rig.in, 0, 0, target);
  EXPECT_EQ(rig.draw.toolNo, kToolEraseHard);
  EXPECT_TRUE(rig.input.dragging());
  t.handle(packet(0, 12, 10, 0, kTabletEraserCursor), rig.in, 0, 0, target);
  EXPECT_FALSE(rig.input.dragging());
  t.handle(packet(0, 12, 10, 0, 1), rig.in, 0, 0, target);
  EXPECT_EQ(rig.draw.toolNo, 2);
  // The system's own click after the pen's release is ignored for 500 ms.
  rig.in.timeMs = 1499;
  EXPECT_FALSE(rig.press(5, 5));
  rig.in.timeMs = 1500;
  EXPECT_TRUE(rig.press(5, 5));
  rig.release();
}

}  // namespace
}  // namespace tessel
