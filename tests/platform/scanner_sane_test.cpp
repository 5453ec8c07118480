// Scans from SANE's own test backend and holds the pictures against what
// scanimage returns for the same options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/scan_shell.h"
#include "app/ops/scan_ops.h"
#include "image/image32.h"
#include "platform/scanner_sane.h"

namespace tessel::testing {
namespace {

// SANE's test backend leaks from its start-up and from its reader threads
// (nothing frees them, not even its exit); a sanitizer build's leak check would
// blame them on us, so these scans run in the other builds only.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakChecked = true;
#else
constexpr bool kLeakChecked = false;
#endif
#define SKIP_UNDER_LEAK_CHECK() \
  if (kLeakChecked) GTEST_SKIP() << "SANE's test backend leaks memory of its own"

// A SANE configuration folder that enables the test backend alone.
class SaneTestBackend : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (kLeakChecked || std::system("command -v scanimage >/dev/null 2>&1") != 0) return;
    folder_ = std::filesystem::temp_directory_path() / ("tessel-sane-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / "dll.conf") << "test\n";
    std::ofstream(folder_ / "test.conf") << "number_of_devices 1\n"
                                            "test-picture \"Color pattern\"\n"
                                            "geometry_max 60.0\nbr_x 60.0\nbr_y 60.0\n";
    setenv("SANE_CONFIG_DIR", folder_.c_str(), 1);
    scanner_ = makeSaneScanner().release();
    if (!scanner_->available()) {
      delete scanner_;
      scanner_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
    delete scanner_;
    scanner_ = nullptr;
    unsetenv("SANE_CONFIG_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  void SetUp() override {
    SKIP_UNDER_LEAK_CHECK();
    if (!scanner_) GTEST_SKIP() << "libsane or scanimage is not installed";
  }

  static Scanner* scanner_;
  static std::filesystem::path folder_;
};
Scanner* SaneTestBackend::scanner_ = nullptr;
std::filesystem::path SaneTestBackend::folder_;

// scanimage's output. Its test backend now and then hangs as it ends a scan
// (its reader thread is cancelled): such a run is cut short and tried again.
bool runScanimage(const std::string& options, std::vector<unsigned char>& data) {
  std::string command = "timeout 10 scanimage -d test:0 --format=pnm " + options + " 2>/dev/null";
  for (int attempt = 0; attempt < 3; ++attempt) {
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return false;
    data.clear();
    unsigned char buffer[65536];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) data.insert(data.end(), buffer, buffer + n);
    if (pclose(pipe) == 0) return true;
  }
  return false;
}

// scanimage's PNM (P4 bits with 1 for black, P5 grey, P6 RGB) as pixels.
bool readScanimage(const std::string& options, Image32& image) {
  std::vector<unsigned char> data;
  if (!runScanimage(options, data) || data.size() < 3 || data[0] != 'P') return false;
  const char kind = char(data[1]);
  size_t at = 2;
  auto number = [&] {
    while (at < data.size() && (std::isspace(data[at]) || data[at] == '#')) {
      if (data[at] == '#')
        while (at < data.size() && data[at] != '\n') ++at;
      else
        ++at;
    }
    int v = 0;
    while (at < data.size() && std::isdigit(data[at])) v = v * 10 + (data[at++] - '0');
    return v;
  };
  int w = number(), h = number();
  if (kind != '4' && number() != 255) return false;
  ++at;   // the one whitespace before the samples
  const size_t rowBytes = kind == '4' ? size_t(w + 7) / 8 : size_t(w) * (kind == '6' ? 3 : 1);
  if (!image.create(w, h) || data.size() < at + rowBytes * size_t(h)) return false;
  for (int y = 0; y < h; ++y) {
    const unsigned char* row = data.data() + at + rowBytes * size_t(y);
    for (int x = 0; x < w; ++x) {
      Pixel p = 0;
      if (kind == '4') p = (row[x / 8] >> (7 - x % 8)) & 1 ? 0xFF000000 : 0xFFFFFFFF;
      if (kind == '5') p = 0xFF000000 | Pixel(row[x]) * 0x010101;
      if (kind == '6') p = 0xFF000000 | Pixel(row[3 * x]) << 16 | Pixel(row[3 * x + 1]) << 8 | row[3 * x + 2];
      image.set(x, y, p);
    }
  }
  return true;
}

int differingPixels(const Image32& a, const Image32& b);

TEST_F(SaneTestBackend, ListsTheTestDeviceWithWhatItOffers) {
  std::vector<ScannerDevice> devices;
  ASSERT_EQ(scanner_->listDevices(devices), ScanStatus::Ok);
  ASSERT_EQ(devices.size(), 1u);
  EXPECT_EQ(devices[0].name, "test:0");
  EXPECT_EQ(devices[0].vendor, "Noname");
  EXPECT_EQ(devices[0].model, "frontend-tester");
  ScanCapabilities caps;
  ASSERT_EQ(scanner_->capabilities("test:0", caps), ScanStatus::Ok);
  // Gray and Color, and line art as 1-bit grey.
  EXPECT_EQ(caps.modes, (std::vector<ScanMode>{ScanMode::Grey, ScanMode::Colour, ScanMode::LineArt}));
  EXPECT_EQ(caps.minResolution, 1);
  EXPECT_EQ(caps.maxResolution, 1200);
  EXPECT_TRUE(caps.hasArea);
  EXPECT_EQ(caps.bedRight, 60.0);
  EXPECT_EQ(caps.bedBottom, 60.0);
  EXPECT_EQ(scanner_->capabilities("nonesuch:7", caps), ScanStatus::NoDevice);
}

TEST_F(SaneTestBackend, EveryModeEqualsScanimageAndItsSizeFollowsTheResolution) {
  struct Case {
    ScanMode mode;
    const char* options;
  } cases[] = {{ScanMode::Colour, "--mode Color --depth 8"},
               {ScanMode::Grey, "--mode Gray --depth 8"},
               {ScanMode::LineArt, "--mode Gray --depth 1"}};
  for (const Case& c : cases) {
    int widthAt[2] = {};
    for (int dpi : {75, 150}) {
      SCOPED_TRACE(std::string(c.options) + " at " + std::to_string(dpi));
      ScanRequest request{"test:0", dpi, c.mode, 5, 3, 20, 12};
      Image32 ours, theirs;
      NullProgress progress;
      int w = 0, h = 0;
      ASSERT_EQ(scanner_->scan(request, ours, progress, w, h), ScanStatus::Ok);
      ASSERT_TRUE(readScanimage(std::string(c.options) + " --resolution " + std::to_string(dpi) +
                                    " -l 5 -t 3 -x 20 -y 12",
                                theirs));
      // 20 x 12 mm: the device truncates millimetres / 25.4 x dpi.
      EXPECT_EQ(ours.width(), int(20 / 25.4 * dpi));
      EXPECT_EQ(ours.height(), int(12 / 25.4 * dpi));
      EXPECT_EQ(differingPixels(ours, theirs), 0);
      widthAt[dpi == 150] = ours.width();
    }
    EXPECT_EQ(widthAt[1], 2 * widthAt[0]);
  }
}

int differingPixels(const Image32& a, const Image32& b) {
  if (a.width() != b.width() || a.height() != b.height()) return -1;
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.at(x, y) != b.at(x, y);
  return n;
}

// Colour in three frames and a height nobody knows beforehand: the picture
// is still scanimage's.
TEST(SaneOddFrames, ThreePassHandScannerEqualsScanimage) {
  SKIP_UNDER_LEAK_CHECK();
  if (std::system("command -v scanimage >/dev/null 2>&1") != 0) GTEST_SKIP() << "scanimage is not installed";
  auto folder = std::filesystem::temp_directory_path() / ("tessel-sane-odd-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "dll.conf") << "test\n";
  std::ofstream(folder / "test.conf") << "number_of_devices 1\ntest-picture \"Color pattern\"\n"
                                         "three-pass true\nhand-scanner true\n";
  setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
  {
    std::unique_ptr<Scanner> scanner = makeSaneScanner();
    if (scanner->available()) {
      for (auto [mode, options] : {std::pair{ScanMode::Colour, "--mode Color --depth 8"},
                                   std::pair{ScanMode::LineArt, "--mode Gray --depth 1"}}) {
        ScanRequest request{"test:0", 30, mode, 0, 0, 20, 15};
        Image32 ours, theirs;
        NullProgress progress;
        int w = 0, h = 0;
        ASSERT_EQ(scanner->scan(request, ours, progress, w, h), ScanStatus::Ok) << options;
        ASSERT_TRUE(readScanimage(std::string(options) + " --resolution 30 -l 0 -t 0 -x 20 -y 15", theirs));
        EXPECT_EQ(ours.width(), 129) << options;   // a hand scanner is 11 cm wide
        EXPECT_EQ(differingPixels(ours, theirs), 0) << options;
      }
    }
  }
  unsetenv("SANE_CONFIG_DIR");
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

// Cancel in the middle of a real scan, through the command and the scripted shell.
class SaneCancelTest : public AppFixture {
 protected:
  SaneCancelTest() : AppFixture("sane-cancel", 40, 30) {}
};

TEST_F(SaneCancelTest, CancelInTheMiddleLeavesTheDocumentAlone) {
  SKIP_UNDER_LEAK_CHECK();
  if (std::system("command -v scanimage >/dev/null 2>&1") != 0) GTEST_SKIP() << "scanimage is not installed";
  auto folder = temp / "sane";
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "dll.conf") << "test\n";
  std::ofstream(folder / "test.conf") << "number_of_devices 1\ntest-picture \"Grid\"\n"
                                         "read-limit true\nread-limit-size 512\n";
  setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
  app->scanner = makeSaneScanner();
  bool present = app->scanner->available();
  ScanShell shell2;
  app->attachShell(shell2);
  if (present) {
    app->config.scanDevice = "test:0";
    app->document.currentLayer()->image().set(1, 1, 0xFF445566);
    shell2.settings = {[](ScanRequest& r) { r.resolution = 100; }};
    shell2.cancelAtPosition = 300;   // a third of the way
    EXPECT_FALSE(acquireScan(*app, shell2));
    EXPECT_EQ(shell2.cancellableRuns, 1);
    EXPECT_TRUE(shell2.messages.empty());
    EXPECT_EQ(app->document.width(), 40);
    EXPECT_EQ(app->document.layers().count(), 1);
    EXPECT_EQ(app->document.currentLayer()->image().at(1, 1), 0xFF445566u);
    // The device is free again: the same scan, not cancelled, opens.
    shell2.settings = {[](ScanRequest& r) { r.resolution = 25; }};
    shell2.cancelAtPosition = -1;
    EXPECT_TRUE(acquireScan(*app, shell2));
    EXPECT_EQ(app->document.width(), int(200 / 25.4 * 25));   // the whole bed, 200 mm wide
  }
  app->scanner.reset();
  unsetenv("SANE_CONFIG_DIR");
  if (!present) GTEST_SKIP() << "libsane is not installed";
}

}  // namespace
}  // namespace tessel::testing
