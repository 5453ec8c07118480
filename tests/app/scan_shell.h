#pragma once
// The scripted shell with the scanner dialogs, and a scripted scanner.
#include <deque>
#include <functional>
#include <optional>

#include "app/ops/scanner.h"
#include "fake_shell.h"

namespace tessel::testing {

class ScanShell : public FakeShell {
 public:
  std::deque<int> scannerChoices;                           // -1: cancel
  std::deque<std::function<void(ScanRequest&)>> settings;   // none queued: cancel
  std::vector<int> scannerOffered;                          // the preselected index
  std::vector<ScanRequest> settingsOffered;
  int cancelAtPosition = -1;   // Cancel once progress reaches this position
  int cancellableRuns = 0;

  bool chooseScanner(const std::vector<ScannerDevice>&, int& index) override {
    scannerOffered.push_back(index);
    if (scannerChoices.empty()) return false;
    index = scannerChoices.front();
    scannerChoices.pop_front();
    return index >= 0;
  }
  bool askScanSettings(ScanRequest& request, const ScanCapabilities&) override {
    settingsOffered.push_back(request);
    if (settings.empty()) return false;
    settings.front()(request);
    settings.pop_front();
    return true;
  }
  int runCancellable(const ProgressTask& task) override {
    ++cancellableRuns;
    struct Cancelling : Progress {
      int at = -1, position = 0;
      bool hit = false;
      void setRange(int) override {}
      void step() override { setPosition(position + 1); }
      void setPosition(int p) override {
        position = p;
        hit = hit || (at >= 0 && p >= at);
      }
      bool cancelled() const override { return hit; }
    } progress;
    progress.at = cancelAtPosition;
    return runOnWorkerThread(task, progress);
  }
};

// Answers from a script: every scan gives the next status, and an image of
// resolution / 10 pixels a side for Ok.
class FakeScanner : public Scanner {
 public:
  bool present = true;
  std::vector<ScannerDevice> devices{{"test:0", "Noname", "frontend-tester", "virtual device"},
                                     {"test:1", "Noname", "frontend-tester", "virtual device"}};
  ScanCapabilities caps;
  std::deque<ScanStatus> scans;   // none queued: Ok
  std::vector<ScanRequest> requests;
  int announcedSide = 0;          // the size TooLarge reports

  FakeScanner() {
    caps.resolutions = {75, 150, 300, 600, 1200};
    caps.modes = {ScanMode::Colour, ScanMode::Grey, ScanMode::LineArt};
    caps.hasArea = true;
    caps.bedRight = 210;
    caps.bedBottom = 297;
  }
  bool available() override { return present; }
  std::string unavailableReason() const override { return "no SANE here"; }
  ScanStatus listDevices(std::vector<ScannerDevice>& out) override {
    out = devices;
    return ScanStatus::Ok;
  }
  ScanStatus capabilities(const std::string& name, ScanCapabilities& out) override {
    for (const auto& d : devices)
      if (d.name == name) {
        out = caps;
        return ScanStatus::Ok;
      }
    return ScanStatus::NoDevice;
  }
  ScanStatus scan(const ScanRequest& request, Image32& image, Progress& progress, int& width,
                  int& height) override {
    requests.push_back(request);
    ScanStatus s = scans.empty() ? ScanStatus::Ok : scans.front();
    if (!scans.empty()) scans.pop_front();
    if (s == ScanStatus::TooLarge) width = height = announcedSide;
    if (s != ScanStatus::Ok) return s;
    progress.setRange(10);
    progress.setPosition(5);
    if (progress.cancelled()) return ScanStatus::Cancelled;
    int side = request.resolution / 10;
    if (!image.create(side, side)) return ScanStatus::NoMemory;
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) image.set(x, y, 0xFF000000u | Pixel(x * 256 + y));
    return ScanStatus::Ok;
  }
};

}  // namespace tessel::testing
