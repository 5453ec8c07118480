#include "cli/scan_command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/progress_worker.h"
#include "app/ops/scan_ops.h"
#include "cli/commands.h"
#include "cli/terminal_progress.h"
#include "document/document.h"
#include "image/image32.h"
#include "platform/scanner_sane.h"
#include "resources/language.h"

namespace tessel {

namespace {

int scanFailure(Scanner& scanner, ScanStatus status) {
  switch (status) {
    case ScanStatus::Unavailable: return fail(scanner.unavailableReason());
    case ScanStatus::NoDevice: return fail(text::tr(kMsgNoScanner));
    case ScanStatus::Busy: return fail(text::tr(kMsgScannerBusy));
    case ScanStatus::NoMemory: return fail(text::tr(kMsgMemoryError));
    case ScanStatus::TooLarge: return fail(sizeLimitMessage());
    default: return fail(text::tr(kMsgScanFailed));
  }
}

bool parseMode(const std::string& text, ScanMode& mode) {
  if (text == "colour" || text == "color") mode = ScanMode::Colour;
  else if (text == "grey" || text == "gray") mode = ScanMode::Grey;
  else if (text == "lineart") mode = ScanMode::LineArt;
  else return false;
  return true;
}

// --device, else the device SANE's own tools default to, else the first one found.
ScanStatus chooseDevice(Scanner& scanner, std::string& device) {
  if (!device.empty()) return ScanStatus::Ok;
  if (const char* env = std::getenv("SANE_DEFAULT_DEVICE"); env && *env) {
    device = env;
    return ScanStatus::Ok;
  }
  std::vector<ScannerDevice> devices;
  ScanStatus status = scanner.listDevices(devices);
  if (status == ScanStatus::Ok && devices.empty()) status = ScanStatus::NoDevice;
  if (status == ScanStatus::Ok) device = devices.front().name;
  return status;
}

}  // namespace

int runScanners(int argc, char**) {
  if (argc != 2) return usageError("scanners takes no arguments");
  std::unique_ptr<Scanner> scanner = makeSaneScanner();
  if (!scanner->available()) return fail(scanner->unavailableReason());
  std::vector<ScannerDevice> devices;
  if (ScanStatus s = scanner->listDevices(devices); s != ScanStatus::Ok) return scanFailure(*scanner, s);
  for (const ScannerDevice& d : devices)
    std::printf("%s\t%s\t%s\t%s\n", d.name.c_str(), d.vendor.c_str(), d.model.c_str(), d.type.c_str());
  return 0;
}

int runScan(int argc, char** argv) {
  if (argc < 3) return usageError("scan needs OUT");
  const char* out = argv[2];
  std::string device;
  int resolution = 0;
  ScanMode mode = ScanMode::Colour;
  bool modeGiven = false;
  for (int i = 3; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) return usageError("scan: option without a value");
    if (arg == "--device") device = argv[++i];
    else if (arg == "--resolution") {
      if (!parseInt(argv[++i], 1, 100000, resolution)) return usageError("scan: bad --resolution");
    } else if (arg == "--mode") {
      if (!parseMode(argv[++i], mode)) return usageError("scan: --mode is colour, grey or lineart");
      modeGiven = true;
    } else {
      return usageError("scan: unknown option");
    }
  }
  std::unique_ptr<Scanner> scanner = makeSaneScanner();
  if (!scanner->available()) return fail(scanner->unavailableReason());
  if (ScanStatus s = chooseDevice(*scanner, device); s != ScanStatus::Ok) return scanFailure(*scanner, s);
  ScanCapabilities caps;
  if (ScanStatus s = scanner->capabilities(device, caps); s != ScanStatus::Ok) return scanFailure(*scanner, s);
  ScanRequest request = defaultScanRequest(device, caps);
  if (resolution > 0) request.resolution = resolution;
  if (modeGiven) {
    if (!caps.modes.empty() && std::find(caps.modes.begin(), caps.modes.end(), mode) == caps.modes.end())
      return usageError("scan: the device does not offer this --mode");
    request.mode = mode;
  }
  Image32 image;
  int width = 0, height = 0;
  TerminalProgress progress(stderr);
  auto status = ScanStatus(runOnWorkerThread(
      [&](Progress& p) { return int(scanner->scan(request, image, p, width, height)); }, progress));
  if (status == ScanStatus::TooLarge) {
    int fit = fittingResolution(caps, request.resolution, width, height);
    if (fit > 0) std::fprintf(stderr, "tessel-cli: %d x %d pixels; --resolution %d fits\n", width, height, fit);
  }
  if (status != ScanStatus::Ok) return scanFailure(*scanner, status);
  Document document;
  if (!document.newImage(image.width(), image.height(), true)) return fail(text::tr(kMsgNewImageFailed));
  document.currentLayer()->image().copyFrom(image);
  if (!save(out, document, ImageSaveOptions{})) return fail(text::tr(kMsgSaveFailed));
  return 0;
}

}  // namespace tessel
