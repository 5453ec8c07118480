#pragma once
#include <cstdint>
#include <functional>

#include "draw/input/input_state.h"

namespace tessel {

// One tablet sample in the service's units.
struct TabletPacket {
  uint32_t cursor = 0;     // 2 while the pen's eraser end is in use
  uint32_t buttons = 0;    // bit 0x1 tip, 0x2 side button 1, 0x4 side button 2
  int32_t x = 0, y = 0;
  uint32_t pressure = 0;   // normal pressure, 0 .. maximum
};

constexpr uint32_t kTabletEraserCursor = 2;
constexpr uint32_t kTabletTip = 0x1;
constexpr uint32_t kTabletSide1 = 0x2;
constexpr uint32_t kTabletSide2 = 0x4;

// TabletFlag bits.
constexpr int32_t kTabletUse = 0x1;
constexpr int32_t kTabletSystemCursor = 0x2;

// The rectangles of the tablet context: input (tablet units), output and
// system (screen pixels), each as origin and extent.
struct TabletArea {
  int32_t orgX = 0, orgY = 0, extX = 0, extY = 0;
};
struct TabletContext {
  TabletArea in, out, sys;
  uint32_t maxPressure = 1024;
};

// Where the packet handling sends its results: the canvas input's press,
// move and release, and the tool switch for the eraser end.
struct TabletTarget {
  std::function<void(int button, int source, const InputState&)> press;
  std::function<void(int source, const InputState&)> move;
  std::function<void(int button, int source, const InputState&)> release;
  std::function<int()> currentTool;
  std::function<void(int tool)> selectTool;
};

class CanvasInput;
struct DrawSettings;

// The canvas input and its current tool as a packet target.
TabletTarget tabletTargetFor(CanvasInput& input, const DrawSettings& draw);

// Turns the packet stream into canvas input by comparing each packet with
// the one before it. Knows nothing of the toolkit that delivers the packets.
class TabletPackets {
 public:
  void open(const TabletContext& context);
  const TabletContext& context() const { return ctx_; }

  // The settings it reads: TabletFlag, TaleTool, TabSide1 and TabSide2.
  int32_t flags = kTabletUse;
  int taleTool = 7;
  int tabSide[2] = {0, 0};

  // One packet. `in` carries the time, the held keys, the system cursor's
  // client position and whether it is over the client area; the packet's
  // position replaces it unless the flags ask for the system cursor.
  // (originX, originY) is the client area's screen origin.
  void handle(const TabletPacket& packet, InputState in, double originX, double originY,
              TabletTarget& target);
  // The packet's screen position in pixels.
  void screenPosition(const TabletPacket& packet, double& x, double& y) const;
  float pressureOf(const TabletPacket& packet) const;
  // A new stroke of packets (the pen left the tablet's range, or the context
  // was reopened): the next packet counts as its own previous one.
  void reset() { havePrevious_ = false; }
  bool eraserActive() const { return havePrevious_ && prev_.cursor == kTabletEraserCursor; }

 private:
  TabletContext ctx_;
  TabletPacket prev_;
  bool havePrevious_ = false;
  int savedTool_ = 0;
  double scale_[4] = {1.0, 1.0, 1.0, 1.0};
};

}  // namespace tessel
