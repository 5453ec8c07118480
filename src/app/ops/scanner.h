#pragma once
#include <string>
#include <vector>

#include "image/progress.h"

namespace tessel {

class Image32;

enum class ScanMode { Colour, Grey, LineArt };

// One scanner as the system lists it.
struct ScannerDevice {
  std::string name;     // what opens it, e.g. "test:0"
  std::string vendor, model, type;
};

// What a device offers, read from it before the scan dialog opens.
struct ScanCapabilities {
  std::vector<int> resolutions;   // the offered values in dpi; empty: the range below
  int minResolution = 0, maxResolution = 0, resolutionStep = 1;
  std::vector<ScanMode> modes;    // in the device's order
  bool hasArea = false;           // a scan area in millimetres
  double bedLeft = 0, bedTop = 0, bedRight = 0, bedBottom = 0;
};

// What to scan. The area is in millimetres from the bed's top-left corner;
// an empty one (width or height 0) is the whole bed.
struct ScanRequest {
  std::string device;
  int resolution = 300;
  ScanMode mode = ScanMode::Colour;
  double left = 0, top = 0, width = 0, height = 0;
};

enum class ScanStatus {
  Ok,
  Unavailable,   // the scanner library could not be loaded
  NoDevice,      // no such device (or none at all)
  Busy,          // in use by another program
  Failed,        // the device or the transfer failed
  Cancelled,     // Cancel in the progress dialog
  NoMemory,
  TooLarge,      // wider or taller than the canvas limit; nothing was kept
};

// Image acquisition from a scanner. One call at a time; calls may come from
// the user-interface thread or from the worker behind the progress dialog.
class Scanner {
 public:
  virtual ~Scanner() = default;
  // Loads the library on the first call; false when it is missing.
  virtual bool available() = 0;
  // Why available() is false, for the tooltip and the message.
  virtual std::string unavailableReason() const = 0;
  virtual ScanStatus listDevices(std::vector<ScannerDevice>& devices) = 0;
  virtual ScanStatus capabilities(const std::string& device, ScanCapabilities& caps) = 0;
  // Scans into image (opaque pixels). Progress follows the bytes read and
  // progress.cancelled() stops the scan. On TooLarge, width and height hold
  // the size the device announced, before or during the transfer.
  virtual ScanStatus scan(const ScanRequest& request, Image32& image, Progress& progress, int& width,
                          int& height) = 0;
};

// The offered resolution nearest to dpi, never above it when a lower one exists.
int offeredResolution(const ScanCapabilities& caps, int dpi);
// The highest offered resolution at which a scan that came out width x height
// pixels at dpi fits the canvas limit; 0 when none does.
int fittingResolution(const ScanCapabilities& caps, int dpi, int width, int height);
// The dialog's starting values: 300 dpi (or the nearest offered), colour (or
// the first mode offered), the whole bed.
ScanRequest defaultScanRequest(const std::string& device, const ScanCapabilities& caps);
// "vendor model (name)".
std::string deviceLabel(const ScannerDevice& device);

}  // namespace tessel
