// The environment settings, key assignment and preferred-save dialogs' core.
#include <gtest/gtest.h>

#include "app/commands/command_table.h"
#include "app/commands/commands.h"
#include "app/models/env_settings.h"
#include "app/models/key_dialog_model.h"
#include "app/app_fixture.h"
#include "config/settings_file.h"

namespace tessel {
namespace {

using testing::AppFixture;

class SettingsDialogsTest : public AppFixture {
 protected:
  SettingsDialogsTest() : AppFixture("tessel-settings-dialogs") {}
};

TEST(EnvSettings, StartsFromTheSettingsInsideTheDialogRanges) {
  Settings s;
  EnvSettings e = envSettingsOf(s);
  EXPECT_EQ(e.optFlag, 58u);
  EXPECT_EQ(e.jpegQuality, 85);
  EXPECT_FALSE(e.jpegProgressive);
  s.defImgW = 4501, s.defImgH = 0, s.scaleDAdd = 4, s.scaleUAdd = 1001, s.undoCnt = 1;
  s.brushCirSize = 101, s.taleTool = 19, s.tabSide1 = -1, s.tabSide2 = 5, s.pngComp = 10;
  s.jpegComp = 0x8000;   // quality 0 is shown as the writer takes it
  s.optFlag = 0x1FF, s.tabletFlag = 0x7, s.canvBkCol = int32_t(0xFF123456);
  e = envSettingsOf(s);
  EXPECT_EQ(e.defImgW, 4500);
  EXPECT_EQ(e.defImgH, 1);
  EXPECT_EQ(e.scaleDAdd, 5);
  EXPECT_EQ(e.scaleUAdd, 1000);
  EXPECT_EQ(e.undoCnt, 2);
  EXPECT_EQ(e.brushCirSize, 100);
  EXPECT_EQ(e.taleTool, 18);
  EXPECT_EQ(e.tabSide1, 0);
  EXPECT_EQ(e.tabSide2, 4);
  EXPECT_EQ(e.pngComp, 9);
  EXPECT_EQ(e.jpegQuality, 1);
  EXPECT_TRUE(e.jpegProgressive);
  EXPECT_EQ(e.optFlag, 0x7Fu);
  EXPECT_EQ(e.tabletFlag, 0x3u);
  EXPECT_EQ(e.canvBkCol, 0x123456u);
}

TEST(EnvSettings, CheckBoxesInBitOrderWithTheirLabels) {
  for (size_t i = 0; i < kOptFlagBoxes.size(); ++i) EXPECT_EQ(kOptFlagBoxes[i].bit, 1u << i);
  EXPECT_STREQ(kOptFlagBoxes[0].label, "覆盖保存前提示确认");
  EXPECT_STREQ(kOptFlagBoxes[4].label, "对透明部分拾色时，切换为橡皮擦");
  EXPECT_STREQ(kOptFlagBoxes[6].label, "以橡皮擦填充时，不使用判定基准图层");
  EXPECT_STREQ(kTabletBoxes[0].label, "数位板支持 (需重启)");
  EXPECT_STREQ(kTabletBoxes[1].label, "使用鼠标坐标 (绘画位置偏移的情况)");
}

TEST_F(SettingsDialogsTest, OkTakesEffectAtOnceAndKeepsBitsTheDialogDoesNotOwn) {
  ASSERT_TRUE(app->document.newImage(20, 20, true));   // leaves background around it
  app->view.centreImage();
  app->config.optFlag |= 0x100;    // not a box of the dialog
  app->config.tabletFlag = 0x1 | 0x10;
  app->config.jpegComp = 0x4000 | 85;
  shell.envAnswers.push_back([](EnvSettings& e) {
    e.optFlag = kOptTitleFileNameOnly | kOptRealBrushShape;
    e.tabletFlag = 0x2;
    e.defImgW = 640, e.defImgH = 480;
    e.scaleDAdd = 10, e.scaleUAdd = 300, e.undoCnt = 5, e.brushCirSize = 20;
    e.taleTool = 9, e.tabSide1 = 2, e.tabSide2 = 4;
    e.jpegQuality = 60, e.jpegProgressive = true, e.pngComp = 9;
    e.canvBkCol = 0x102030, e.checkCol1 = 0x405060, e.checkCol2 = 0x708090;
  });
  ASSERT_TRUE(runCommand(*app, shell, cmd::kEnvSettings));
  ASSERT_EQ(shell.envOffered.size(), 1u);
  EXPECT_EQ(shell.envOffered[0].optFlag, 58u);
  const Settings& c = app->config;
  EXPECT_EQ(c.optFlag, 0x100 | 0x24);
  EXPECT_EQ(c.tabletFlag, 0x12);
  EXPECT_EQ(c.jpegComp, 0xC000 | 60);
  EXPECT_EQ(c.pngComp, 9);
  EXPECT_EQ(c.defImgW, 640);
  EXPECT_EQ(c.taleTool, 9);
  // At once: the view's steps and colours, the canvas input, the undo depth, the title.
  EXPECT_EQ(app->settings.view.scaleUpStep, 300);
  EXPECT_EQ(app->settings.view.canvasBackground, 0x102030u);
  EXPECT_EQ(app->settings.view.checkColour2, 0x708090u);
  EXPECT_EQ(app->screen.at(0, 0) & 0xFFFFFFu, 0x102030u);   // the background corner, redrawn
  EXPECT_EQ(app->painting.options.brushCirSize, 20);
  EXPECT_EQ(app->painting.options.tabSide[1], 4);
  EXPECT_EQ(app->painting.options.optFlag & kOptRealBrushShape, uint32_t(kOptRealBrushShape));
  EXPECT_EQ(app->undo->undoCnt(), 5);
  ASSERT_FALSE(shell.titles.empty());
  app->view.setZoom(100);
  app->view.zoomStep(true);
  EXPECT_EQ(app->view.zoom(), 400);
}

TEST_F(SettingsDialogsTest, CancelChangesNothingAndValuesRoundTripThroughConfigIni) {
  Settings before = app->config;
  ASSERT_TRUE(runCommand(*app, shell, cmd::kEnvSettings));   // nothing queued: cancel
  EXPECT_EQ(app->config.optFlag, before.optFlag);
  shell.envAnswers.push_back([](EnvSettings& e) {
    e.optFlag = 0x7F, e.tabletFlag = 0, e.defImgW = 4500, e.defImgH = 1, e.scaleDAdd = 100, e.scaleUAdd = 5;
    e.undoCnt = 200, e.brushCirSize = 2, e.taleTool = 18, e.tabSide1 = 3, e.tabSide2 = 1;
    e.jpegQuality = 1, e.jpegProgressive = false, e.pngComp = 0;
    e.canvBkCol = 0xFFFFFF, e.checkCol1 = 0, e.checkCol2 = 0xABCDEF;
  });
  ASSERT_TRUE(runCommand(*app, shell, cmd::kEnvSettings));
  KeyTable keys;
  ASSERT_TRUE(saveSettings(temp.string(), app->config, app->placement, keys));
  Settings back;
  WindowPlacement placement;
  loadSettings(temp.string(), back, placement, keys);
  EnvSettings a = envSettingsOf(app->config), b = envSettingsOf(back);
  EXPECT_EQ(b.optFlag, a.optFlag);
  EXPECT_EQ(b.tabletFlag, 0u);
  EXPECT_EQ(b.defImgW, 4500);
  EXPECT_EQ(b.defImgH, 1);
  EXPECT_EQ(b.scaleDAdd, 100);
  EXPECT_EQ(b.scaleUAdd, 5);
  EXPECT_EQ(b.undoCnt, 200);
  EXPECT_EQ(b.brushCirSize, 2);
  EXPECT_EQ(b.taleTool, 18);
  EXPECT_EQ(b.tabSide1, 3);
  EXPECT_EQ(b.tabSide2, 1);
  EXPECT_EQ(b.jpegQuality, 1);
  EXPECT_EQ(b.pngComp, 0);
  EXPECT_EQ(b.canvBkCol, 0xFFFFFFu);
  EXPECT_EQ(b.checkCol2, 0xABCDEFu);
}

TEST(KeyDialog, GroupsInDialogOrderWithHeadingsAndNames) {
  std::vector<KeyDialogRow> rows = keyDialogRows();
  ASSERT_EQ(rows.size(), size_t(KeyTable::kEntryCount + KeyTable::kGroupCount));
  std::vector<std::string> headings;
  for (const KeyDialogRow& r : rows)
    if (r.item < 0) headings.push_back(r.label);
  EXPECT_EQ(headings, (std::vector<std::string>{"■ 工具", "■ 描画类型", "■ 命令", "■ 窗口", "■ 键+点击/拖曳",
                                                "■ 其他"}));
  EXPECT_EQ(rows[1].label, "铅笔");
  EXPECT_EQ(rows[19].label, "选区");
  EXPECT_EQ(keyEntryName(2, 5), "水平翻转画布");
  EXPECT_EQ(keyEntryName(3, 10), "填充");
  EXPECT_EQ(keyEntryName(4, 9), "水彩-量D");
  EXPECT_EQ(keyEntryName(5, 7), "图像查看");
  EXPECT_EQ(keyEntryName(5, 8), "");
  EXPECT_EQ(virtualKeyName(0x41), "A");
  EXPECT_EQ(virtualKeyName(0x74), "F5");
  EXPECT_EQ(virtualKeyName(0x63), "Num 3");
  EXPECT_EQ(virtualKeyName(0xFF), "0xFF");
  EXPECT_EQ(virtualKeyName(0), "");
}

TEST(KeyDialog, AKeyMovesFromItsOldEntryAndSurvivesKeyDat) {
  KeyTable keys;
  EXPECT_FALSE(assignKey(keys, 0, 3, 0x42).taken);
  KeyMove move = assignKey(keys, 5, 1, 0x42);
  EXPECT_TRUE(move.taken);
  EXPECT_EQ(move.group, 0);
  EXPECT_EQ(move.item, 3);
  EXPECT_EQ(keyMoveNote(move), "已从「笔2」移除");
  EXPECT_EQ(keys.keyFor(0, 3), 0);
  EXPECT_EQ(keys.keyFor(5, 1), 0x42);
  EXPECT_FALSE(assignKey(keys, 5, 1, 0x42).taken);   // the same entry again
  assignKey(keys, 2, 6, 0x74);
  assignKey(keys, 2, 6, 0);                           // reset of one entry
  EXPECT_EQ(keys.keyFor(2, 6), 0);
  assignKey(keys, 4, 9, 0x20);
  KeyTable back;
  std::string bytes = keys.serialise();
  back.parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(back.entries(), keys.entries());
  EXPECT_FALSE(assignKey(keys, 6, 0, 0x41).taken);    // no such group
}

TEST_F(SettingsDialogsTest, KeyAndPreferredDialogsHandOverOnOkOnly) {
  shell.keyAnswers.push_back([](KeyTable& k) { assignKey(k, 2, 2, 0x5A); });
  ASSERT_TRUE(runCommand(*app, shell, cmd::kKeySettings));
  EXPECT_EQ(app->keys.keyFor(2, 2), 0x5A);
  ASSERT_TRUE(runCommand(*app, shell, cmd::kKeySettings));   // cancel
  EXPECT_EQ(app->keys.keyFor(2, 2), 0x5A);

  app->config.fixSaveOpt = 0x30 | 9;   // an index beyond the list is offered as 0
  app->config.fixSaveDir = "/old";
  shell.preferredAnswers.push_back({"/pics", 4});
  ASSERT_TRUE(runCommand(*app, shell, cmd::kPreferredSaveSettings));
  ASSERT_EQ(shell.preferredOffered.size(), 1u);
  EXPECT_EQ(shell.preferredOffered[0], (std::pair<std::string, int>{"/old", 0}));
  EXPECT_EQ(app->config.fixSaveDir, "/pics");
  EXPECT_EQ(app->config.fixSaveOpt, 0x34);
  shell.preferredAnswers.push_back({"/bad", 7});
  ASSERT_TRUE(runCommand(*app, shell, cmd::kPreferredSaveSettings));
  EXPECT_EQ(app->config.fixSaveDir, "/pics");
}

}  // namespace
}  // namespace tessel
