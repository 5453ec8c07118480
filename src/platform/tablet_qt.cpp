#include "platform/tablet_qt.h"

#include <QPointingDevice>
#include <QTabletEvent>
#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

constexpr int32_t kSpan = 65536;   // screen pixels the context covers each way

}  // namespace

QtTablet::QtTablet() {
  TabletContext c;
  // Output y counts downwards like the screen, so nothing is flipped.
  c.in = {0, 0, kSpan * kSubPixel, kSpan * kSubPixel};
  c.out = {0, 0, kSpan, -kSpan};
  c.sys = {0, 0, kSpan, kSpan};
  c.maxPressure = kPressureMax;
  packets.open(c);
}

TabletPacket QtTablet::packetOf(const QTabletEvent& e) const {
  TabletPacket p;
  const QPointingDevice* device = e.pointingDevice();
  const bool eraser = device && device->pointerType() == QPointingDevice::PointerType::Eraser;
  p.cursor = eraser ? kTabletEraserCursor : 1;
  const Qt::MouseButtons b = e.buttons();
  if (b & Qt::LeftButton) p.buttons |= kTabletTip;
  if (b & Qt::RightButton) p.buttons |= kTabletSide1;
  if (b & Qt::MiddleButton) p.buttons |= kTabletSide2;
  p.x = int32_t(std::lround(e.globalPosition().x() * kSubPixel));
  p.y = int32_t(std::lround(e.globalPosition().y() * kSubPixel));
  const double pressure = std::max(0.0, e.pressure());
  p.pressure = uint32_t(std::lround(pressure * kPressureMax));
  return p;
}

void QtTablet::handle(const QTabletEvent& e, const InputState& in, QPointF clientOrigin,
                      TabletTarget& target) {
  TabletPacket p = packetOf(e);
  if (!started_) {
    // The handling compares with the previous packet; begin from a pen that
    // touches nothing, so a first packet that presses or uses the eraser counts.
    TabletPacket idle = p;
    idle.cursor = 1;
    idle.buttons = 0;
    packets.handle(idle, in, clientOrigin.x(), clientOrigin.y(), target);
    started_ = true;
  }
  packets.handle(p, in, clientOrigin.x(), clientOrigin.y(), target);
}

}  // namespace tessel
