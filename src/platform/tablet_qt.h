#pragma once
#include <QPointF>

#include "draw/brush/tablet_packets.h"

class QTabletEvent;

namespace tessel {

// Qt's tablet events as the packet stream of a tablet service. Qt reports
// positions in fractional screen pixels and pressure as 0..1, so the context
// counts positions in 1/256 pixel and pressure in steps of 1/100000; the
// packet handling then maps both back exactly.
class QtTablet {
 public:
  static constexpr uint32_t kPressureMax = 100000;
  static constexpr int32_t kSubPixel = 256;

  QtTablet();

  TabletPackets packets;

  TabletPacket packetOf(const QTabletEvent& event) const;
  // One event. `in` carries the time, keys and the system cursor's client
  // position; clientOrigin is the client area's top left on the screen.
  void handle(const QTabletEvent& event, const InputState& in, QPointF clientOrigin,
              TabletTarget& target);

 private:
  bool started_ = false;
};

}  // namespace tessel
