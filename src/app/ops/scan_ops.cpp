#include "app/ops/scan_ops.h"

#include <cstdio>

#include "app/application.h"
#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/ops/scanner.h"
#include "app/shell.h"
#include "resources/language.h"

namespace tessel {

namespace {

// Cancel says nothing; Ok and TooLarge are handled by the caller.
void reportScanStatus(Shell& shell, Scanner& scanner, ScanStatus status) {
  switch (status) {
    case ScanStatus::Unavailable: shell.showMessage(scanner.unavailableReason(), "", MessageIcon::Error); break;
    case ScanStatus::NoDevice: shell.showMessage(text::tr(kMsgNoScanner), "", MessageIcon::Warning); break;
    case ScanStatus::Busy: shell.showMessage(text::tr(kMsgScannerBusy), "", MessageIcon::Warning); break;
    case ScanStatus::NoMemory: shell.showMessage(text::tr(kMsgMemoryError), "", MessageIcon::Error); break;
    case ScanStatus::TooLarge: shell.showMessage(sizeLimitMessage(), "", MessageIcon::Warning); break;
    case ScanStatus::Failed: shell.showMessage(text::tr(kMsgScanFailed), "", MessageIcon::Error); break;
    case ScanStatus::Ok:
    case ScanStatus::Cancelled: break;
  }
}

// The scanner, loaded on this first need; null (after a message) when it cannot be.
Scanner* loadedScanner(Application& app, Shell& shell) {
  if (!app.scanner) return nullptr;
  if (app.scanner->available()) return app.scanner.get();
  reportScanStatus(shell, *app.scanner, ScanStatus::Unavailable);
  return nullptr;
}

// Runs the scan behind the progress dialog; a picture above the canvas limit
// gets the size message with the offer of the resolution that fits.
ScanStatus scanWithinLimit(Shell& shell, Scanner& scanner, const ScanCapabilities& caps, ScanRequest request,
                           Image32& image) {
  for (;;) {
    int width = 0, height = 0;
    auto status = ScanStatus(shell.runCancellable(
        [&](Progress& progress) { return int(scanner.scan(request, image, progress, width, height)); }));
    if (status != ScanStatus::TooLarge) return status;
    int fit = fittingResolution(caps, request.resolution, width, height);
    // A device that ignores the lower resolution must not loop for ever.
    if (fit <= 0 || fit >= request.resolution) {
      reportScanStatus(shell, scanner, status);
      return ScanStatus::Cancelled;
    }
    char offer[96];
    std::snprintf(offer, sizeof offer, text::tr(kMsgScanAtResolution), fit);
    if (!shell.askYesNo(sizeLimitMessage() + "\n" + offer, "", MessageIcon::Warning)) return ScanStatus::Cancelled;
    request.resolution = fit;
  }
}

}  // namespace

bool scannerEnabled(const Application& app) { return app.scanner && app.scanner->available(); }

std::string scanCommandToolTip(const Application& app, int id) {
  if (id != cmd::kScanAcquire && id != cmd::kScanSelectDevice) return {};
  if (!scannerEnabled(app)) return app.scanner ? app.scanner->unavailableReason() : std::string();
  return id == cmd::kScanAcquire ? text::tr(kTipScanAcquire) : text::tr(kTipScanSelect);
}

bool selectScanner(Application& app, Shell& shell) {
  Scanner* scanner = loadedScanner(app, shell);
  if (!scanner) return false;
  std::vector<ScannerDevice> devices;
  shell.setBusy(true);
  ScanStatus status = scanner->listDevices(devices);
  shell.setBusy(false);
  if (status == ScanStatus::Ok && devices.empty()) status = ScanStatus::NoDevice;
  if (status != ScanStatus::Ok) {
    reportScanStatus(shell, *scanner, status);
    return false;
  }
  int index = -1;
  for (size_t i = 0; i < devices.size(); ++i)
    if (devices[i].name == app.config.scanDevice) index = int(i);
  if (!shell.chooseScanner(devices, index) || index < 0 || size_t(index) >= devices.size()) return false;
  app.config.scanDevice = devices[size_t(index)].name;
  return true;
}

bool acquireScan(Application& app, Shell& shell) {
  if (app.settings.view.flags & view_flag::kFullScreen) {
    shell.showMessage(text::tr(kMsgLeaveFullScreen), "", MessageIcon::Warning);
    return false;
  }
  Scanner* scanner = loadedScanner(app, shell);
  if (!scanner || !app.files) return false;
  if (app.config.scanDevice.empty() && !selectScanner(app, shell)) return false;
  ScanCapabilities caps;
  shell.setBusy(true);
  ScanStatus status = scanner->capabilities(app.config.scanDevice, caps);
  shell.setBusy(false);
  if (status != ScanStatus::Ok) {
    reportScanStatus(shell, *scanner, status);
    return false;
  }
  ScanRequest request = defaultScanRequest(app.config.scanDevice, caps);
  if (!shell.askScanSettings(request, caps)) return false;
  if (!app.files->confirmUnsavedChanges()) return false;
  // The scan fills a picture of its own: the open document stays as it is
  // until the scan has succeeded.
  Image32 image;
  status = scanWithinLimit(shell, *scanner, caps, request, image);
  if (status != ScanStatus::Ok) {
    reportScanStatus(shell, *scanner, status);
    return false;
  }
  return app.files->openAcquiredImage(image);
}

}  // namespace tessel
