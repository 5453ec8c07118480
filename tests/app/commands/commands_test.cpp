#include "app/commands/commands.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/models/shell_settings.h"
#include "resources/accelerators.h"
#include "resources/menus.h"

namespace tessel {
namespace {

TEST(CommandsTest, RangesAndTheirEdges) {
  EXPECT_EQ(commandRange(2999), CommandRange::None);
  EXPECT_EQ(commandRange(3000), CommandRange::ZoomPreset);
  EXPECT_EQ(commandRange(3013), CommandRange::ZoomPreset);
  EXPECT_EQ(commandRange(3014), CommandRange::None);
  EXPECT_EQ(commandRange(3109), CommandRange::RecentFile);
  EXPECT_EQ(commandRange(3208), CommandRange::None);
  EXPECT_EQ(commandRange(3259), CommandRange::QuickSave);
  EXPECT_EQ(commandRange(40001), CommandRange::MainMenu);
  EXPECT_EQ(commandRange(40203), CommandRange::None);
  EXPECT_EQ(commandRange(41051), CommandRange::Filter);
  EXPECT_EQ(commandRange(41052), CommandRange::None);
  EXPECT_EQ(commandRange(41803), CommandRange::ReplaceColour);
  EXPECT_EQ(commandRange(41813), CommandRange::AlphaOperation);
  EXPECT_EQ(commandRange(41822), CommandRange::Cloud);
  EXPECT_EQ(commandRange(42312), CommandRange::LayerPanel);
  EXPECT_EQ(commandRange(42315), CommandRange::None);   // the layer panel's own menu only
  EXPECT_EQ(commandRange(0), CommandRange::None);
  EXPECT_EQ(commandRange(-40001), CommandRange::None);
}

TEST(CommandsTest, OnlyBuiltActionsAreAvailable) {
  EXPECT_TRUE(commandAvailable(3005));
  EXPECT_TRUE(commandAvailable(40150));
  EXPECT_TRUE(commandAvailable(40151));
  for (int id = 40152; id <= 40157; ++id) EXPECT_TRUE(commandAvailable(id)) << id;   // every panel
  EXPECT_TRUE(commandAvailable(40163));
  EXPECT_TRUE(commandAvailable(40010));
  EXPECT_TRUE(commandAvailable(40050));
  EXPECT_TRUE(commandAvailable(3254));
  EXPECT_FALSE(commandAvailable(3255));   // quick save has five formats
  EXPECT_FALSE(commandAvailable(40158));
  EXPECT_FALSE(commandAvailable(40201));   // no homepage address
  EXPECT_TRUE(commandAvailable(40008));    // environment settings
  EXPECT_TRUE(commandAvailable(40009));    // key assignments
  EXPECT_TRUE(commandAvailable(40013));    // preferred folder and format
  EXPECT_TRUE(commandAvailable(41000));    // the filters
  EXPECT_FALSE(commandAvailable(12345));
}

// Walks the tree and checks that every Popup is closed.
std::map<int, std::string> menuItems(std::span<const MenuEntry> menu, int& topLevel, bool& balanced) {
  std::map<int, std::string> items;
  int depth = 0;
  topLevel = 0;
  for (const MenuEntry& e : menu) {
    if (e.kind == MenuKind::Popup) {
      if (depth == 0) ++topLevel;
      ++depth;
    } else if (e.kind == MenuKind::End) {
      --depth;
      if (depth < 0) break;
    } else if (e.kind == MenuKind::Item) {
      EXPECT_EQ(items.count(e.id), 0u) << "duplicate " << e.id;
      items[e.id] = e.label;
    }
  }
  balanced = depth == 0;
  return items;
}

TEST(CommandsTest, MainMenuHoldsEveryCommandOnce) {
  int topLevel = 0;
  bool balanced = false;
  auto items = menuItems(mainMenu(), topLevel, balanced);
  EXPECT_TRUE(balanced);
  EXPECT_EQ(topLevel, 6);
  EXPECT_EQ(mainMenu()[0].label, std::string("文件"));
  for (int id = 41000; id <= 41051; ++id) EXPECT_EQ(items.count(id), 1u) << id;
  for (int id : {41800, 41803, 41810, 41813, 41820, 41822}) EXPECT_EQ(items.count(id), 1u) << id;
  for (int id = 40150; id <= 40165; ++id) {
    if (id >= 40158 && id <= 40159) continue;
    EXPECT_EQ(items.count(id), 1u) << id;
  }
  EXPECT_EQ(items[40163], "水平翻转画布");
  EXPECT_EQ(items[40160], "隐藏/显示所有面板");
  EXPECT_EQ(items[40061], "图像大小");
  for (const auto& [id, label] : items) {
    CommandRange r = commandRange(id);
    EXPECT_NE(r, CommandRange::None) << id;
  }
  EXPECT_EQ(items.size(), 68u + 52u + 11u);   // menu commands, filter table, variants
}

TEST(CommandsTest, AcceleratorsAreUniqueAndReachMenuOrPanelCommands) {
  std::set<std::string> keys;
  for (const Accelerator& a : acceleratorTable()) {
    EXPECT_TRUE(keys.insert(a.keys).second) << a.keys;
    EXPECT_NE(commandRange(a.id), CommandRange::None) << a.keys;
  }
  EXPECT_EQ(keys.size(), 50u);
  EXPECT_STREQ(acceleratorFor(40163), "Ctrl+Q");
  EXPECT_STREQ(acceleratorFor(40160), "Tab");
  EXPECT_STREQ(acceleratorFor(40161), "F11");
  EXPECT_STREQ(acceleratorFor(42300), "Alt+Shift+N");
  EXPECT_EQ(acceleratorFor(40200), nullptr);
}

TEST(CommandsTest, LayerMenuAndZoomPresets) {
  int topLevel = 0;
  bool balanced = false;
  auto items = menuItems(layerPanelMenu(), topLevel, balanced);
  EXPECT_TRUE(balanced);
  EXPECT_EQ(items.size(), 15u);
  EXPECT_EQ(items.count(42315), 1u);
  // The layer actions carry the names the layer panel's menu gives them.
  EXPECT_EQ(items[42300], "新建");
  EXPECT_EQ(items[42301], "从文件新建");
  EXPECT_EQ(items[42302], "克隆");
  EXPECT_EQ(items[42303], "删除");
  EXPECT_EQ(items[42315], "合并可见图层(保持透明度)");
  EXPECT_EQ(items[42316], "合并为新图层(保持透明度)");
  EXPECT_EQ(items[42308], "设置");
  EXPECT_EQ(items[42310], "全部可见");
  ASSERT_EQ(zoomPresets().size(), 14u);
  EXPECT_EQ(zoomPresets()[0], 25);
  EXPECT_EQ(zoomPresets()[13], 2000);
}

}  // namespace
}  // namespace tessel
