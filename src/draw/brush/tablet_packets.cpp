#include "draw/brush/tablet_packets.h"

#include <cstdlib>

#include "draw/input/canvas_input.h"

namespace tessel {

namespace {

double ratio(int32_t num, int32_t den) { return den == 0 ? 0.0 : double(num) / double(den); }

}  // namespace

TabletTarget tabletTargetFor(CanvasInput& input, const DrawSettings& draw) {
  TabletTarget t;
  t.press = [&input](int button, int source, const InputState& in) { input.press(button, source, in); };
  t.move = [&input](int source, const InputState& in) { input.move(source, in); };
  t.release = [&input](int button, int source, const InputState& in) {
    input.release(button, source, in);
  };
  t.currentTool = [&draw] { return draw.toolNo; };
  t.selectTool = [&input](int tool) { input.selectTool(tool); };
  return t;
}

void TabletPackets::open(const TabletContext& context) {
  ctx_ = context;
  if (ctx_.maxPressure == 0) ctx_.maxPressure = 1024;
  const int32_t inX = std::abs(ctx_.in.extX), inY = std::abs(ctx_.in.extY);
  const int32_t outX = std::abs(ctx_.out.extX), outY = std::abs(ctx_.out.extY);
  scale_[0] = ratio(outX, inX);
  scale_[1] = ratio(outY, inY);
  scale_[2] = ratio(ctx_.sys.extX, outX);
  scale_[3] = ratio(ctx_.sys.extY, outY);
  havePrevious_ = false;
}

void TabletPackets::screenPosition(const TabletPacket& p, double& x, double& y) const {
  double a = double(p.x) - ctx_.in.orgX;
  // Tablets count y upwards: the output flips it unless the signs differ.
  if ((ctx_.out.extX < 0) != (ctx_.in.extX < 0)) a = std::abs(ctx_.in.extX) - a;
  double b = double(p.y) - ctx_.in.orgY;
  if ((ctx_.out.extY < 0) == (ctx_.in.extY < 0)) b = std::abs(ctx_.in.extY) - b;
  x = (a * scale_[0] + ctx_.out.orgX) * scale_[2] + ctx_.sys.orgX;
  y = (b * scale_[1] + ctx_.out.orgY) * scale_[3] + ctx_.sys.orgY;
}

float TabletPackets::pressureOf(const TabletPacket& p) const {
  // Exact quotient in single precision; neither curve nor clamp.
  return float(p.pressure) / float(ctx_.maxPressure);
}

void TabletPackets::handle(const TabletPacket& packet, InputState in, double originX,
                           double originY, TabletTarget& target) {
  const TabletPacket prev = havePrevious_ ? prev_ : packet;
  prev_ = packet;
  havePrevious_ = true;
  if (!(flags & kTabletSystemCursor)) {
    double sx = 0.0, sy = 0.0;
    screenPosition(packet, sx, sy);
    in.clientX = sx - originX;
    in.clientY = sy - originY;
  }
  in.pressure = pressureOf(packet);

  // The eraser end selects its own tool for as long as it is in use.
  const bool eraser = packet.cursor == kTabletEraserCursor;
  if (eraser != (prev.cursor == kTabletEraserCursor)) {
    if (eraser) {
      savedTool_ = target.currentTool ? target.currentTool() : 0;
      if (target.selectTool) target.selectTool(taleTool);
    } else if (target.selectTool) {
      target.selectTool(savedTool_);
    }
  }
  const uint32_t sides[2] = {kTabletSide1, kTabletSide2};
  for (int n = 0; n < 2; ++n) {
    if (tabSide[n] == 0) continue;
    const bool down = packet.buttons & sides[n];
    if (down == bool(prev.buttons & sides[n])) continue;
    if (down && target.press) target.press(kButtonSide1 + n, kSourceMouse, in);
    if (!down && target.release) target.release(kButtonSide1 + n, kSourceMouse, in);
  }
  const bool tip = packet.buttons & kTabletTip;
  if (tip != bool(prev.buttons & kTabletTip)) {
    // The canvas input notes the release time for the mouse click that follows.
    if (tip && target.press) target.press(kButtonLeft, kSourceTablet, in);
    if (!tip && target.release) target.release(kButtonLeft, kSourceTablet, in);
  }
  if ((packet.x != prev.x || packet.y != prev.y) && target.move) target.move(kSourceTablet, in);
}

}  // namespace tessel
