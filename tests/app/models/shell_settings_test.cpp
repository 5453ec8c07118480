#include "app/models/shell_settings.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(ShellSettingsTest, DefaultsMatchAMissingConfigFile) {
  Settings s;
  WindowPlacement p;
  ShellSettings out;
  out.winViewFlag = 0;
  shellSettingsFrom(s, p, out);
  ShellSettings fresh;
  EXPECT_EQ(out.winViewFlag, fresh.winViewFlag);
  EXPECT_EQ(out.view.flags, 0x90u);
  EXPECT_EQ(out.view.canvasBackground, 0xB4B4B4u);
  EXPECT_EQ(out.view.gridColour, 0x0080FFu);
  EXPECT_EQ(out.view.scaleDownStep, 25);
  EXPECT_EQ(out.main.left, kNeverPlaced);
  EXPECT_EQ(out.mainShowCmd, 3);
  EXPECT_EQ(out.layerHeight, 290);
  EXPECT_EQ(out.infoBarPos, 1);
}

TEST(ShellSettingsTest, PlacesAndFlagsGoBackUnchanged) {
  Settings s;
  WindowPlacement p;
  p.texLeft = 10, p.texTop = 20, p.texRight = 240, p.texBottom = 196;
  p.layerX = 7, p.layerY = 8, p.layerH = 400;
  s.exViewFlag = 0x98;
  s.winViewFlag = 0x45;
  ShellSettings shell;
  shellSettingsFrom(s, p, shell);
  EXPECT_EQ(shell.texture.right, 240);
  EXPECT_EQ(shell.layerPos, (Point{7, 8}));
  shell.view.flags |= view_flag::kPanelsHidden;
  shell.viewBkFlag = 0x45;
  shell.view.gridW = 32;
  Settings back;
  WindowPlacement placed;
  storeShellSettings(shell, back, placed);
  EXPECT_EQ(placed.texBottom, 196);
  EXPECT_EQ(placed.layerH, 400);
  EXPECT_EQ(back.exViewFlag, 0xD8);
  EXPECT_EQ(back.viewBkFlag, 0x45);
  EXPECT_EQ(back.winViewFlag, 0x45);
  EXPECT_EQ(back.gridW, 32);
  EXPECT_EQ(placed.mainLeft, kNeverPlaced);
}

}  // namespace
}  // namespace tessel
