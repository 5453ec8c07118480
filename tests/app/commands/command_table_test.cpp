// Menu commands run through the table with the scripted shell, no window.
#include "app/commands/command_table.h"

#include <gtest/gtest.h>

#include "app/commands/commands.h"
#include "app/app_fixture.h"
#include "document/pixel_edit.h"
#include "resources/strings.h"

namespace tessel {
namespace {

class CommandTable : public testing::AppFixture {
 protected:
  CommandTable() : AppFixture("tessel-commands") {}
  bool run(int id) { return runCommand(*app, shell, id); }
};

TEST_F(CommandTable, UndoAndRedoRowsStepTheHistory) {
  Image32& layer = app->document.currentLayer()->image();
  {
    PixelEdit edit(app->document, Rect{10, 10, 5, 5});
    layer.fillRect(10, 10, 5, 5, 0xFF203040u);
    ASSERT_TRUE(edit.commit());
  }
  ASSERT_TRUE(run(cmd::kUndo));
  EXPECT_EQ(layer.at(12, 12), kTransparent);
  ASSERT_TRUE(run(cmd::kRedo));
  EXPECT_EQ(layer.at(12, 12), 0xFF203040u);
  EXPECT_EQ(shell.layerRows, (std::vector<int>{0, 0}));
}

TEST_F(CommandTable, ZoomAndViewFlagRows) {
  ASSERT_TRUE(run(cmd::kZoomPresetFirst + 4));   // 150 %
  EXPECT_EQ(app->view.zoom(), 150);
  ASSERT_TRUE(run(cmd::kZoomPresetLast));
  EXPECT_EQ(app->view.zoom(), 2000);
  ASSERT_TRUE(run(cmd::kZoomPresetFirst));
  ASSERT_TRUE(run(cmd::kZoomIn));
  EXPECT_GT(app->view.zoom(), 25);
  const uint32_t flags = app->settings.view.flags;
  ASSERT_TRUE(run(cmd::kGrid));
  ASSERT_TRUE(run(cmd::kChecker));
  ASSERT_TRUE(run(cmd::kMirror));
  EXPECT_EQ(app->settings.view.flags, flags ^ (view_flag::kGrid | view_flag::kChecker | view_flag::kMirror));
}

TEST_F(CommandTable, GridSettingsTakeTheDialogsAnswerOrNothing) {
  EXPECT_TRUE(run(cmd::kGridSettings));   // cancelled
  ASSERT_EQ(shell.gridOffered.size(), 1u);
  EXPECT_EQ(shell.gridOffered[0].width, app->settings.view.gridW);
  shell.gridAnswers.push_back({32, 16, 8, true});
  ASSERT_TRUE(run(cmd::kGridSettings));
  const ViewOptions& v = app->settings.view;
  EXPECT_EQ(v.gridW, 32);
  EXPECT_EQ(v.gridH, 16);
  EXPECT_EQ(v.gridPixelPer, 8);
  EXPECT_EQ(v.centreGridColour, 0x80FF00FFu);
}

TEST_F(CommandTable, FileRowsGoThroughTheOpenSaveFlow) {
  shell.newSizes.push_back({64, 48});
  ASSERT_TRUE(run(cmd::kNew));
  EXPECT_EQ(app->document.width(), 64);
  EXPECT_EQ(app->document.height(), 48);
  shell.newSizes.push_back({0, 0});   // cancelled: the document stays
  ASSERT_TRUE(run(cmd::kNew));
  EXPECT_EQ(app->document.width(), 64);
  ASSERT_TRUE(run(cmd::kExit));
  EXPECT_EQ(shell.closeRequests, 1);
  EXPECT_EQ(shell.unexpected, 0);
}

TEST_F(CommandTable, HelpOpensTheProgramsHelpFileOrSaysItIsMissing) {
  ASSERT_TRUE(run(cmd::kHelp));
  EXPECT_EQ(shell.programFiles, (std::vector<std::string>{"help.html"}));
  EXPECT_TRUE(shell.messages.empty());
  shell.programFilesOpen = false;
  ASSERT_TRUE(run(cmd::kHelp));
  EXPECT_EQ(shell.messages, (std::vector<std::string>{text::kHelpMissing}));
}

TEST_F(CommandTable, WithoutRowsOrWithoutAShellNothingRuns) {
  EXPECT_FALSE(commandEnabled(*app, 12345));
  EXPECT_FALSE(run(12345));
  EXPECT_FALSE(run(cmd::kFullScreen));   // the window's own
  EXPECT_FALSE(run(cmd::kQuickSaveLast + 1));
  EXPECT_TRUE(commandEnabled(*app, cmd::kSave));
  Application bare;   // no shell attached: no open/save flow
  EXPECT_FALSE(commandEnabled(bare, cmd::kSave));
  EXPECT_FALSE(runCommand(bare, shell, cmd::kRecentFileFirst));
  EXPECT_TRUE(commandEnabled(bare, cmd::kUndo));
}

TEST(CommandRows, RowsLieInTheCommandRangesAndNeverOverlap) {
  std::vector<const Command*> rows;
  for (auto menu : {fileCommands(), editCommands(), selectionCommands(), layerCommands(), filterCommands(),
                    viewCommands(), helpCommands()})
    for (const Command& c : menu) rows.push_back(&c);
  for (const Command* c : rows) {
    EXPECT_LE(c->first, c->last);
    const bool panelOnly = c->first >= 42315 && c->last <= 42316;   // only in the layer panel's own menu
    EXPECT_NE(commandRange(c->first) == CommandRange::None, !panelOnly) << c->first;
    EXPECT_EQ(commandRange(c->first), commandRange(c->last)) << c->first;
    EXPECT_NE(c->run, nullptr);
    EXPECT_FALSE(windowOnlyCommand(c->first)) << c->first;
    for (const Command* d : rows)
      if (c != d) EXPECT_TRUE(c->last < d->first || d->last < c->first) << c->first << " " << d->first;
    EXPECT_EQ(findCommand(c->last), c);
  }
}

}  // namespace
}  // namespace tessel
