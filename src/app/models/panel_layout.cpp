#include "app/models/panel_layout.h"

#include <algorithm>
#include <vector>

#include "app/startup.h"

namespace tessel {

namespace {

constexpr int kGap = 4;   // between panels and from the area's edges

// Columns grow away from one side of the area; each is filled top down.
class ColumnPacker {
 public:
  ColumnPacker(const Rect& area, bool fromRight) : area_(area), fromRight_(fromRight) {
    edge_ = fromRight ? area.right() - kGap : area.x + kGap;
    y_ = area.y + kGap;
  }
  Rect place(int w, int h) {
    if (columnWidth_ > 0 && y_ + h > area_.bottom() - kGap) {   // the column is full: start the next one
      edge_ += fromRight_ ? -(columnWidth_ + kGap) : columnWidth_ + kGap;
      columnWidth_ = 0;
      y_ = area_.y + kGap;
    }
    Rect r{fromRight_ ? edge_ - w : edge_, y_, w, h};
    y_ += h + kGap;
    columnWidth_ = std::max(columnWidth_, w);
    return r;
  }

 private:
  Rect area_;
  bool fromRight_;
  int edge_ = 0, y_ = 0, columnWidth_ = 0;
};

}  // namespace

std::array<Rect, kPanelCount> firstStartPanelPlaces(const Rect& area, const Rect& workArea,
                                                    const std::array<Rect, kPanelCount>& sizes,
                                                    uint32_t visibleMask) {
  static constexpr int kRightGroup[] = {kToolsPanel, kToolOptionsPanel, kPalettePanel, kExtendedPalettePanel,
                                        kTexturePanel};
  static constexpr int kLeftGroup[] = {kLayerPanel, kNavigatorPanel, kImageViewerPanel};
  std::array<Rect, kPanelCount> out{};
  auto pack = [&](const auto& group, bool fromRight) {
    ColumnPacker packer(area, fromRight);
    for (bool visible : {true, false}) {
      for (int n : group) {
        if ((((visibleMask >> n) & 1) != 0) != visible) continue;
        // A panel taller than the area is cut to it; its contents scroll.
        const Rect& s = sizes[size_t(n)];
        const int h = std::max(1, std::min(s.h, area.h - 2 * kGap));
        out[size_t(n)] = moveIntoArea(packer.place(s.w, h), workArea);
      }
    }
  };
  pack(kRightGroup, true);
  pack(kLeftGroup, false);
  return out;
}

}  // namespace tessel
