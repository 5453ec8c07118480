#include <gtest/gtest.h>

#include "draw/input/canvas_input.h"
#include "draw/input/canvas_input_fixture.h"

namespace tessel {
namespace {

// A mirrored rig at the given zoom, the pointer over the screen pixel that
// shows image pixel (x, y).
struct MirrorRig : InputRig {
  explicit MirrorRig(int zoom) {
    view.setZoom(zoom);
    view.toggleMirror();
    view.refreshAll();
    options.optFlag = 0;
  }
  void overPixel(int x, int y) {
    Point c = view.viewFromImage(x, y);
    atClient(c.x, c.y);
    ASSERT_EQ(view.imageFromView(c.x, c.y), (Point{x, y}));
  }
};

// At 50 % a screen pixel covers two columns; (9, 8) is the one its corner names.
constexpr int kZooms[] = {100, 200, 50};

TEST(CanvasInputMirror, PencilPaintsThePixelUnderTheCursor) {
  for (int zoom : kZooms) {
    SCOPED_TRACE(zoom);
    MirrorRig rig(zoom);
    rig.input.selectTool(kToolPencil);
    rig.draw.drawCol1 = 0x123456;
    rig.overPixel(9, 8);
    auto before = rig.pixels(rig.layer());
    rig.input.press(kButtonLeft, kSourceMouse, rig.in);
    rig.input.release(kButtonLeft, kSourceMouse, rig.in);
    EXPECT_EQ(rig.layer().at(9, 8), 0xFF123456u);
    EXPECT_EQ(rig.changedCount(before, rig.layer()), 1);
  }
}

TEST(CanvasInputMirror, EyedropperPicksThePixelUnderTheCursor) {
  for (int zoom : kZooms) {
    SCOPED_TRACE(zoom);
    MirrorRig rig(zoom);
    rig.layer().fill(0xFF0000FFu);
    rig.layer().set(9, 8, 0xFF00FF00u);
    rig.view.refreshAll();
    rig.input.selectTool(kToolPen);
    rig.overPixel(9, 8);
    rig.input.press(kButtonRight, kSourceMouse, rig.in);
    rig.input.release(kButtonRight, kSourceMouse, rig.in);
    EXPECT_EQ(rig.draw.drawCol1, 0x00FF00u);
    rig.overPixel(zoom == 50 ? 11 : 10, 8);   // the neighbour (at 50 % the next one shown)
    rig.input.press(kButtonRight, kSourceMouse, rig.in);
    rig.input.release(kButtonRight, kSourceMouse, rig.in);
    EXPECT_EQ(rig.draw.drawCol1, 0x0000FFu);
  }
}

}  // namespace
}  // namespace tessel
