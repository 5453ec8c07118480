#include "app/startup.h"

#include <gtest/gtest.h>

#include <set>

namespace tessel {
namespace {

TEST(StartupTest, SecondInstanceTakesTheFirstFreeNumber) {
  std::set<std::string> present = {"/tmp/~tessel", "/tmp/~tessel1", "/tmp/~tessel3"};
  auto exists = [&](const std::string& p) { return present.count(p) != 0; };
  EXPECT_EQ(chooseTempFolder("/tmp/~tessel", true, exists), "/tmp/~tessel2");
  // Nobody else running: the base name even when a folder is left over.
  EXPECT_EQ(chooseTempFolder("/tmp/~tessel", false, exists), "/tmp/~tessel");
  std::set<std::string> none;
  auto nothing = [&](const std::string& p) { return none.count(p) != 0; };
  EXPECT_EQ(chooseTempFolder("/tmp/~tessel", true, nothing), "/tmp/~tessel");
}

TEST(StartupTest, CommandLineQuotes) {
  EXPECT_EQ(commandLinePath("\"/home/u/a b.tsd\""), "/home/u/a b.tsd");
  EXPECT_EQ(commandLinePath("\"a\""), "a");
  EXPECT_EQ(commandLinePath("\"a"), "\"a");   // two characters stay as they are
  EXPECT_EQ(commandLinePath("ab"), "ab");
  EXPECT_EQ(commandLinePath("/x/y.png"), "/x/y.png");
  EXPECT_EQ(commandLinePath(""), "");
  // The first and last characters go whatever the last one is.
  EXPECT_EQ(commandLinePath("\"abc"), "ab");
}

TEST(StartupTest, ShowCommandAndTitle) {
  EXPECT_EQ(startShowCommand(2), 1);
  EXPECT_EQ(startShowCommand(3), 3);
  EXPECT_EQ(startShowCommand(1), 1);
  EXPECT_EQ(windowTitle("", 58), "Tessel2 - 新建文件");
  EXPECT_EQ(windowTitle("/home/u/cat.tsd", 58 & ~4u), "Tessel2 - /home/u/cat.tsd");
  EXPECT_EQ(windowTitle("/home/u/cat.tsd", 4), "Tessel2 - cat.tsd");
}

TEST(StartupTest, PanelDefaultsFollowTheClientRectangle) {
  Rect client{100, 50, 1000, 700};   // right 1100, bottom 750
  PanelDefaults d = defaultPanelRects(client, 290);
  EXPECT_EQ(d.rects[kToolsPanel].x, 852);
  EXPECT_EQ(d.rects[kToolsPanel].y, 84);
  EXPECT_EQ(d.rects[kToolOptionsPanel].x, 848);
  EXPECT_EQ(d.rects[kToolOptionsPanel].y, 237);
  EXPECT_EQ(d.rects[kLayerPanel], (Rect{108, 415, 220, 290}));
  EXPECT_EQ(d.rects[kTexturePanel], (Rect{614, 238, 230, 176}));
  EXPECT_EQ(d.rects[kPalettePanel], (Rect{613, 82, 235, 153}));
  EXPECT_EQ(d.rects[kExtendedPalettePanel].x, 924);
  EXPECT_EQ(d.rects[kExtendedPalettePanel].y, 563);
  EXPECT_EQ(d.rects[kNavigatorPanel], (Rect{105, 82, 180, 180}));
  EXPECT_EQ(d.rects[kImageViewerPanel], (Rect{300, 82, 150, 150}));
}

TEST(StartupTest, MainWindowPlacement) {
  Rect work{0, 0, 1920, 1040};
  StoredRect never;
  never.left = kNeverPlaced;
  EXPECT_EQ(mainWindowRect(never, work), (Rect{448, 136, 1024, 768}));
  StoredRect small{0, 0, 500, 400};
  Rect tiny{10, 20, 300, 200};
  EXPECT_EQ(mainWindowRect(never, tiny), tiny);
  EXPECT_EQ(mainWindowRect(StoredRect{1800, 900, 2200, 1200}, work), (Rect{1520, 740, 400, 300}));
  EXPECT_EQ(mainWindowRect(StoredRect{-50, -20, 450, 380}, work), (Rect{0, 0, 500, 400}));
  EXPECT_EQ(mainWindowRect(small, work), (Rect{0, 0, 500, 400}));
  // Too large for the area: the top-left corner wins.
  EXPECT_EQ(moveIntoArea({-5, -5, 3000, 2000}, work), (Rect{0, 0, 3000, 2000}));
}

TEST(StartupTest, HideAllPanelsAndRestore) {
  // Tools, layers and navigator visible: all three go, the set is kept.
  HideAllResult hide = hideOrRestoreAll(0x45, 1, 0x90);
  EXPECT_EQ(hide.toggleMask, 0x45u);
  EXPECT_EQ(hide.viewBkFlag, 0x45u);
  EXPECT_EQ(hide.exViewFlag, 0xD0u);
  // Next Tab: everything hidden, restore exactly those panels.
  HideAllResult restore = hideOrRestoreAll(0, hide.viewBkFlag, hide.exViewFlag);
  EXPECT_EQ(restore.toggleMask, 0x45u);
  EXPECT_EQ(restore.exViewFlag, 0x90u);
  // A panel opened by hand meanwhile is closed again to match the stored set.
  restore = hideOrRestoreAll(0x08, 0x45, 0xD0);
  EXPECT_EQ(restore.toggleMask, 0x4Du);
  // No panel visible and bit 6 clear: the stored set comes back.
  restore = hideOrRestoreAll(0, 0x1F, 0x90);
  EXPECT_EQ(restore.toggleMask, 0x1Fu);
  EXPECT_EQ(restore.exViewFlag, 0x90u);
  // WinViewFlag 0 with the default ViewBkFlag 1 restores the tools panel only.
  EXPECT_EQ(hideOrRestoreAll(0, 1, 0x90).toggleMask, 1u);
}

TEST(StartupTest, ProcessorCheckPassesHere) { EXPECT_TRUE(processorSupported()); }

}  // namespace
}  // namespace tessel
