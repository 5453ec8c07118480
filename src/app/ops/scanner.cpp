#include "app/ops/scanner.h"

#include <algorithm>

#include "image/size_limits.h"

namespace tessel {

int offeredResolution(const ScanCapabilities& caps, int dpi) {
  if (!caps.resolutions.empty()) {
    int best = 0, lowest = caps.resolutions.front();
    for (int r : caps.resolutions) {
      lowest = std::min(lowest, r);
      if (r <= dpi) best = std::max(best, r);
    }
    return best > 0 ? best : lowest;
  }
  if (caps.maxResolution <= 0) return dpi;   // the device does not say
  if (dpi <= caps.minResolution) return caps.minResolution;
  int step = std::max(caps.resolutionStep, 1);
  int r = caps.minResolution + (dpi - caps.minResolution) / step * step;
  return std::min(r, caps.maxResolution);
}

int fittingResolution(const ScanCapabilities& caps, int dpi, int width, int height) {
  int side = std::max(width, height);
  if (side <= 0 || dpi <= 0) return 0;
  int limit = int(int64_t(dpi) * kMaxCanvasSize / side);
  if (limit < 1) return 0;
  int r = offeredResolution(caps, limit);
  return r <= limit ? r : 0;
}

ScanRequest defaultScanRequest(const std::string& device, const ScanCapabilities& caps) {
  ScanRequest request;
  request.device = device;
  request.resolution = offeredResolution(caps, 300);
  if (!caps.modes.empty() &&
      std::find(caps.modes.begin(), caps.modes.end(), ScanMode::Colour) == caps.modes.end())
    request.mode = caps.modes.front();
  if (caps.hasArea) {
    request.left = 0;
    request.top = 0;
    request.width = caps.bedRight - caps.bedLeft;
    request.height = caps.bedBottom - caps.bedTop;
  }
  return request;
}

std::string deviceLabel(const ScannerDevice& device) {
  std::string label = device.vendor;
  if (!device.model.empty()) label += (label.empty() ? "" : " ") + device.model;
  return label + " (" + device.name + ")";
}

}  // namespace tessel
