#include <gtest/gtest.h>

#include "app/commands/command_table.h"
#include "app/commands/commands.h"
#include "app/files/document_io.h"
#include "app/files/messages.h"
#include "app/ops/scan_ops.h"
#include "app/app_fixture.h"
#include "app/scan_shell.h"

namespace tessel::testing {
namespace {

TEST(ScanResolution, SnapsDownToWhatTheDeviceOffers) {
  ScanCapabilities list;
  list.resolutions = {75, 150, 600};
  EXPECT_EQ(offeredResolution(list, 300), 150);
  EXPECT_EQ(offeredResolution(list, 600), 600);
  EXPECT_EQ(offeredResolution(list, 50), 75);   // nothing lower: the lowest
  ScanCapabilities range;
  range.minResolution = 50;
  range.maxResolution = 1200;
  range.resolutionStep = 25;
  EXPECT_EQ(offeredResolution(range, 310), 300);
  EXPECT_EQ(offeredResolution(range, 5000), 1200);
  EXPECT_EQ(offeredResolution(range, 10), 50);
  // A4 is 2480 x 3508 at 300 dpi: it fits up to 384 dpi, which the range's step makes 375.
  EXPECT_EQ(fittingResolution(range, 300, 2480, 3508), 375);
  EXPECT_EQ(fittingResolution(range, 600, 4961, 7016), 375);
  EXPECT_EQ(fittingResolution(list, 600, 4961, 7016), 150);
  EXPECT_EQ(fittingResolution(list, 75, 100000, 10), 0);   // nothing fits
}

TEST(ScanResolution, DefaultsAreThreeHundredDpiColourAndTheWholeBed) {
  FakeScanner scanner;
  ScanRequest r = defaultScanRequest("test:0", scanner.caps);
  EXPECT_EQ(r.device, "test:0");
  EXPECT_EQ(r.resolution, 300);
  EXPECT_EQ(r.mode, ScanMode::Colour);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.width, 210);
  EXPECT_EQ(r.height, 297);
  scanner.caps.modes = {ScanMode::Grey, ScanMode::LineArt};
  EXPECT_EQ(defaultScanRequest("x", scanner.caps).mode, ScanMode::Grey);
  EXPECT_EQ(deviceLabel(scanner.devices[0]), "Noname frontend-tester (test:0)");
}

class ScanCommandsTest : public AppFixture {
 protected:
  ScanCommandsTest() : AppFixture("scan-commands", 40, 30) {}
  void SetUp() override {
    AppFixture::SetUp();
    auto owned = std::make_unique<FakeScanner>();
    scanner = owned.get();
    app->scanner = std::move(owned);
    app->attachShell(scan);
  }
  // The open document, as a fingerprint: size, layer count and one pixel.
  std::tuple<int, int, int, Pixel> documentState() const {
    const Document& d = app->document;
    return {d.width(), d.height(), d.layers().count(), d.currentLayer()->image().at(1, 1)};
  }
  ScanShell scan;
  FakeScanner* scanner = nullptr;
};

TEST_F(ScanCommandsTest, SelectListsTheScannersAndRemembersTheChoice) {
  scan.scannerChoices = {1};
  EXPECT_TRUE(runCommand(*app, scan, cmd::kScanSelectDevice));
  EXPECT_EQ(app->config.scanDevice, "test:1");
  scan.scannerChoices = {-1};   // cancelled: the choice stays
  EXPECT_TRUE(runCommand(*app, scan, cmd::kScanSelectDevice));
  EXPECT_EQ(app->config.scanDevice, "test:1");
  EXPECT_EQ(scan.scannerOffered, (std::vector<int>{-1, 1}));   // the remembered one preselected
  scanner->devices.clear();
  EXPECT_FALSE(selectScanner(*app, scan));
  EXPECT_EQ(scan.messages, (std::vector<std::string>{kMsgNoScanner}));
}

TEST_F(ScanCommandsTest, AcquireAsksAboutUnsavedChangesThenOpensTheScanAsANewDocument) {
  app->config.scanDevice = "test:0";
  app->document.currentLayer()->image().set(1, 1, 0xFF123456);
  app->undo->recordCurrentLayer();   // anything that marks the document changed
  ASSERT_TRUE(app->history.modified());
  scan.settings = {[](ScanRequest& r) { r.resolution = 150; }, [](ScanRequest& r) { r.resolution = 150; }};
  scan.yesNoCancel = {Answer::Cancel};
  EXPECT_FALSE(acquireScan(*app, scan));
  EXPECT_TRUE(scanner->requests.empty());   // the question comes before the scan
  EXPECT_EQ(app->document.currentLayer()->image().at(1, 1), 0xFF123456u);

  scan.yesNoCancel = {Answer::No};
  EXPECT_TRUE(acquireScan(*app, scan));
  ASSERT_EQ(scanner->requests.size(), 1u);
  EXPECT_EQ(scanner->requests[0].device, "test:0");
  EXPECT_EQ(scan.settingsOffered[0].resolution, 300);   // the dialog's default
  EXPECT_EQ(app->document.width(), 15);
  EXPECT_EQ(app->document.height(), 15);
  EXPECT_EQ(app->document.layers().count(), 1);
  EXPECT_EQ(app->document.currentLayer()->image().at(3, 7), 0xFF000307u);
  EXPECT_FALSE(app->history.modified());
  EXPECT_EQ(app->files->currentPath(), "");
  EXPECT_EQ(scan.titles.back(), "Tessel2 - 新建文件");
  EXPECT_EQ(scan.cancellableRuns, 1);
}

TEST_F(ScanCommandsTest, FailuresLeaveTheDocumentWithAMessage) {
  app->config.scanDevice = "test:0";
  auto before = documentState();
  for (ScanStatus s : {ScanStatus::Busy, ScanStatus::Failed, ScanStatus::NoDevice, ScanStatus::Cancelled}) {
    scanner->scans = {s};
    scan.settings = {[](ScanRequest&) {}};
    EXPECT_FALSE(acquireScan(*app, scan));
    EXPECT_EQ(documentState(), before);
  }
  EXPECT_EQ(scan.messages, (std::vector<std::string>{kMsgScannerBusy, kMsgScanFailed, kMsgNoScanner}));
  // A scanner that went away since it was chosen.
  app->config.scanDevice = "gone:0";
  EXPECT_FALSE(acquireScan(*app, scan));
  EXPECT_EQ(scan.messages.back(), kMsgNoScanner);
  // Cancel in the progress dialog: no message, nothing changed.
  app->config.scanDevice = "test:0";
  scan.cancelAtPosition = 1;
  scan.settings = {[](ScanRequest&) {}};
  EXPECT_FALSE(acquireScan(*app, scan));
  EXPECT_EQ(documentState(), before);
  EXPECT_EQ(scan.messages.size(), 4u);
}

TEST_F(ScanCommandsTest, TooLargeOffersTheResolutionThatFits) {
  app->config.scanDevice = "test:0";
  scanner->scans = {ScanStatus::TooLarge};
  scanner->announcedSide = 7016;   // A4 height at 600 dpi
  scan.settings = {[](ScanRequest& r) { r.resolution = 600; }};
  scan.yesNo = {true};
  EXPECT_TRUE(acquireScan(*app, scan));
  ASSERT_EQ(scanner->requests.size(), 2u);
  EXPECT_EQ(scanner->requests[1].resolution, 300);
  ASSERT_EQ(scan.questions.size(), 1u);
  EXPECT_EQ(scan.questions[0], "|" + sizeLimitMessage() + "\n是否以300 dpi重新扫描？");
  EXPECT_EQ(app->document.width(), 30);
  // Refused: the size message was the question, the document stays.
  auto before = documentState();
  scanner->scans = {ScanStatus::TooLarge};
  scan.settings = {[](ScanRequest& r) { r.resolution = 600; }};
  scan.yesNo = {false};
  EXPECT_FALSE(acquireScan(*app, scan));
  EXPECT_EQ(documentState(), before);
}

TEST_F(ScanCommandsTest, RefusedInFullScreenAndGreyedWithoutTheLibrary) {
  app->settings.view.flags |= view_flag::kFullScreen;
  EXPECT_FALSE(acquireScan(*app, scan));
  EXPECT_EQ(scan.messages, (std::vector<std::string>{kMsgLeaveFullScreen}));
  EXPECT_EQ(scanCommandToolTip(*app, cmd::kScanAcquire), kTipScanAcquire);
  scanner->present = false;
  EXPECT_FALSE(commandEnabled(*app, cmd::kScanAcquire));
  EXPECT_FALSE(commandEnabled(*app, cmd::kScanSelectDevice));
  EXPECT_EQ(scanCommandToolTip(*app, cmd::kScanSelectDevice), "no SANE here");
  EXPECT_EQ(scanCommandToolTip(*app, cmd::kNew), "");
  app->scanner.reset();
  EXPECT_FALSE(commandEnabled(*app, cmd::kScanAcquire));
}

}  // namespace
}  // namespace tessel::testing
