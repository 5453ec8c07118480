#include "app/files/autosave.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "app/files/autosave_session.h"
#include "app/fake_shell.h"
#include "app/files/recovery.h"
#include "document/document.h"
#include "formats/native_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::TempDir;

Document threeLayers(int w, int h) {
  Document d;
  EXPECT_TRUE(d.newImage(w, h, true));
  d.layers().add(w, h, true);
  d.layers().add(w, h, true);
  for (int i = 0; i < 3; ++i) d.layers().atIndex(i)->image().fill(0xFF000000u | uint32_t(0x10 * (i + 1)));
  d.layers().atIndex(1)->opacity = 64;
  d.selectLayer(2);
  return d;
}

// Runs slices until the run ends.
Autosaver::Step finish(Autosaver& saver, const Document& doc, uint64_t changes) {
  for (int i = 0; i < 5000; ++i) {
    Autosaver::Step s = saver.step(doc, changes, false);
    if (s == Autosaver::Step::Written || s == Autosaver::Step::Failed || s == Autosaver::Step::Idle) return s;
    if (saver.waitingForThread()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return Autosaver::Step::Idle;
}

void expectSameLayers(const Document& a, const Document& b) {
  ASSERT_EQ(a.layerCount(), b.layerCount());
  EXPECT_EQ(a.currentIndex(), b.currentIndex());
  for (int i = 0; i < a.layerCount(); ++i) {
    const Layer& x = *a.layers().atIndex(i);
    const Layer& y = *b.layers().atIndex(i);
    EXPECT_EQ(x.opacity, y.opacity);
    EXPECT_STREQ(x.name, y.name);
    for (int r = 0; r < a.height(); ++r)
      ASSERT_EQ(0, std::memcmp(x.image().row(r), y.image().row(r), size_t(a.width()) * 4)) << i << " " << r;
  }
}

TEST(Autosaver, WritesTheDocumentThenCopiesOnlyChangedRows) {
  TempDir dir;
  Document doc = threeLayers(40, 30);
  Autosaver saver;
  saver.setTarget(dir.file("r.tsd"));
  ASSERT_TRUE(saver.begin(1));
  ASSERT_EQ(finish(saver, doc, 1), Autosaver::Step::Written);
  Document back;
  ASSERT_EQ(readDocument(dir.file("r.tsd"), back, nullptr), kReadOk);
  expectSameLayers(doc, back);

  EXPECT_FALSE(saver.begin(1));   // nothing new since
  doc.layers().atIndex(0)->image().set(3, 7, 0xFF123456u);
  doc.layers().atIndex(2)->image().set(0, 29, 0xFF654321u);
  ASSERT_TRUE(saver.begin(2));
  ASSERT_EQ(finish(saver, doc, 2), Autosaver::Step::Written);
  EXPECT_EQ(saver.copiedRows(), 2);
  ASSERT_EQ(readDocument(dir.file("r.tsd"), back, nullptr), kReadOk);
  expectSameLayers(doc, back);
}

TEST(Autosaver, ADragOrAChangeDuringAPassStartsItAgain) {
  TempDir dir;
  Document doc = threeLayers(20, 200);
  Autosaver saver;
  saver.setTarget(dir.file("r.tsd"));
  ASSERT_TRUE(saver.begin(5));
  // Preparing the copy happens on the other thread.
  while (saver.step(doc, 5, false, std::chrono::microseconds(0)) == Autosaver::Step::Working &&
         saver.waitingForThread())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(saver.step(doc, 5, true), Autosaver::Step::Working);   // mid-drag: nothing copied
  EXPECT_EQ(saver.copiedRows(), 0);
  doc.layers().atIndex(1)->image().fill(0xFF00FF00u);   // a stroke changed pixels, then recorded
  ASSERT_EQ(finish(saver, doc, 6), Autosaver::Step::Written);
  Document back;
  ASSERT_EQ(readDocument(dir.file("r.tsd"), back, nullptr), kReadOk);
  expectSameLayers(doc, back);
  EXPECT_EQ(saver.writtenCount(), 6u);
}

TEST(Autosaver, FollowsLayersAddedOrDeletedAndASizeChange) {
  TempDir dir;
  Document doc = threeLayers(10, 10);
  Autosaver saver;
  saver.setTarget(dir.file("r.tsd"));
  ASSERT_TRUE(saver.begin(1));
  ASSERT_EQ(finish(saver, doc, 1), Autosaver::Step::Written);
  Document bigger = threeLayers(12, 9);
  bigger.layers().add(12, 9, true);
  ASSERT_TRUE(saver.begin(2));
  ASSERT_EQ(finish(saver, bigger, 2), Autosaver::Step::Written);
  Document back;
  ASSERT_EQ(readDocument(dir.file("r.tsd"), back, nullptr), kReadOk);
  EXPECT_EQ(back.width(), 12);
  expectSameLayers(bigger, back);
  // The fourth layer deleted: the copy drops it too.
  bigger.layers().remove(bigger.layers().top());
  bigger.selectLayer(2);
  ASSERT_TRUE(saver.begin(3));
  ASSERT_EQ(finish(saver, bigger, 3), Autosaver::Step::Written);
  ASSERT_EQ(readDocument(dir.file("r.tsd"), back, nullptr), kReadOk);
  expectSameLayers(bigger, back);
}

TEST(Autosaver, AFailedWriteIsReported) {
  Document doc = threeLayers(4, 4);
  Autosaver saver;
  saver.setTarget("/nonexistent-folder/r.tsd");
  ASSERT_TRUE(saver.begin(1));
  EXPECT_EQ(finish(saver, doc, 1), Autosaver::Step::Failed);
  EXPECT_TRUE(saver.begin(1));   // still owed
}

TEST(Recovery, FilesOfAGoneInstanceAreFoundAndAdoptedOrDiscarded) {
  TempDir dir;
  const std::string folder = dir.file("recovery");
  std::string leftPath;
  {
    RecoveryStore gone;
    ASSERT_TRUE(gone.open(folder));
    RecoveryStore running;
    ASSERT_TRUE(running.open(folder));
    Document doc = threeLayers(6, 5);
    ASSERT_TRUE(writeDocument(gone.documentPath(), doc, nullptr));
    ASSERT_TRUE(gone.writeRecord("/home/u/a.tsd", "Tessel2 - /home/u/a.tsd", 1700000000));
    ASSERT_TRUE(writeDocument(running.documentPath(), doc, nullptr));
    EXPECT_TRUE(findOrphans(folder).empty());   // both still run
    leftPath = gone.documentPath();
    running.close();
    // `gone` ends without close(): its lock goes with the process, its files stay.
  }
  std::vector<RecoveryEntry> found = findOrphans(folder);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].file, leftPath);
  EXPECT_EQ(found[0].documentPath, "/home/u/a.tsd");
  EXPECT_EQ(found[0].written, 1700000000);

  RecoveryStore me;
  ASSERT_TRUE(me.open(folder));
  ASSERT_TRUE(adoptOrphan(found[0], me));
  EXPECT_TRUE(me.hasFile());
  EXPECT_TRUE(findOrphans(folder).empty());
  me.close();
  {
    RecoveryStore gone;
    ASSERT_TRUE(gone.open(folder));
    Document doc = threeLayers(2, 2);
    ASSERT_TRUE(writeDocument(gone.documentPath(), doc, nullptr));
  }
  found = findOrphans(folder);
  ASSERT_EQ(found.size(), 1u);
  discardOrphan(found[0]);
  EXPECT_TRUE(findOrphans(folder).empty());
  EXPECT_EQ(rmdir(folder.c_str()), 0);   // nothing was left inside
}

TEST(Recovery, DeadTempFoldersGoLiveOnesStay) {
  TempDir dir;
  const std::string base = dir.file("~tessel");
  ASSERT_EQ(mkdir(base.c_str(), 0700), 0);
  ASSERT_EQ(mkdir((base + "1").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((base + "2").c_str(), 0700), 0);
  ASSERT_EQ(mkdir((base + "x").c_str(), 0700), 0);   // not ours
  testing::writeBytes(base + "/0000.tmp", {1, 2, 3});
  int live = lockTempFolder(base + "1");
  ASSERT_GE(live, 0);
  {
    int dead = lockTempFolder(base + "2");
    ASSERT_GE(dead, 0);
    close(dead);
  }
  // Another instance runs: only the folder whose lock is free goes.
  EXPECT_EQ(removeDeadTempFolders(base, true), 1);
  EXPECT_TRUE(fileExists(base + "/0000.tmp"));
  EXPECT_FALSE(fileExists(base + "2/instance.lock"));
  // None runs: a folder without a lock is a leftover too.
  EXPECT_EQ(removeDeadTempFolders(base, false), 1);
  EXPECT_FALSE(fileExists(base + "/0000.tmp"));
  EXPECT_TRUE(fileExists(base + "1/instance.lock"));
  close(live);
  EXPECT_EQ(removeDeadTempFolders(base, false), 1);
  rmdir((base + "x").c_str());
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

// The check box question answered from a queue.
class FlattenShell : public testing::FakeShell {
 public:
  std::deque<std::pair<bool, bool>> flattenAnswers;   // accept, tick "不再提示"
  std::vector<std::string> checkLabels;
  bool askWithCheckBox(const std::string& text, const std::string&, const std::string&, const std::string& label,
                       bool& checked) override {
    questions.push_back(text);
    checkLabels.push_back(label);
    auto [accept, tick] = flattenAnswers.front();
    flattenAnswers.pop_front();
    checked = tick;
    return accept;
  }
};

class FlowTest : public ::testing::Test {
 protected:
  FlowTest() {
    EXPECT_TRUE(doc.newImage(12, 10, true));
    settings.optFlag = 0;
    flow.setPauses(0, 0);
  }
  TempDir dir;
  Document doc;
  Settings settings;
  FlattenShell shell;
  testing::FakeHistory history;
  OpenSaveFlow flow{doc, settings, shell, history};
};

TEST_F(FlowTest, LayersSavedFlatAskFirstAndStayUnsaved) {
  doc.layers().add(12, 10, true);
  doc.layers().add(12, 10, true);
  history.isModified = true;
  shell.saveChoices = {{dir.file("a.png"), 3}, {dir.file("a.png"), 3}};
  shell.flattenAnswers = {{false, false}, {true, true}};
  shell.pngOptions = {true};
  EXPECT_FALSE(flow.saveAs());   // cancelled at the question: nothing written
  EXPECT_FALSE(fileExists(dir.file("a.png")));
  EXPECT_TRUE(flow.saveAs());
  EXPECT_EQ(shell.checkLabels.back(), "不再提示");
  EXPECT_EQ(settings.flattenAsk, 0);
  EXPECT_TRUE(fileExists(dir.file("a.png")));
  EXPECT_TRUE(flow.layersUnsaved());
  EXPECT_TRUE(flow.modified());
  shell.yesNoCancel = {Answer::Cancel};
  EXPECT_FALSE(flow.confirmUnsavedChanges());   // closing still asks
  // Saved with its layers at last: nothing is owed.
  shell.saveChoices = {{dir.file("a.tsd"), 0}};
  EXPECT_TRUE(flow.saveAs());
  EXPECT_FALSE(flow.modified());
}

TEST_F(FlowTest, OneOpaqueLayerSavesFlatWithoutAQuestion) {
  history.isModified = true;
  shell.saveChoices = {{dir.file("b.png"), 3}};
  shell.pngOptions = {true};
  EXPECT_TRUE(flow.saveAs());
  EXPECT_TRUE(shell.questions.empty());
  EXPECT_FALSE(flow.modified());
  // Half opacity is a layer setting a PNG cannot keep.
  doc.setOpacityPercent(50);
  history.isModified = true;
  shell.flattenAnswers = {{true, false}};
  shell.pngOptions = {true};
  EXPECT_TRUE(flow.save());
  EXPECT_EQ(shell.questions.size(), 1u);
  EXPECT_TRUE(flow.modified());
}

TEST_F(FlowTest, ARecoveredDocumentIsModifiedAndSaveAsksBeforeTheOriginal) {
  Document left;
  ASSERT_TRUE(left.newImage(7, 5, true));
  left.currentLayer()->image().fill(0xFF445566u);
  ASSERT_TRUE(writeDocument(dir.file("r.tsd"), left, nullptr));
  testing::writeBytes(dir.file("orig.tsd"), {9, 9, 9});
  int replaced = 0;
  flow.onReplaced = [&] { ++replaced; };
  ASSERT_TRUE(flow.openRecovered(dir.file("r.tsd"), dir.file("orig.tsd")));
  EXPECT_EQ(replaced, 1);
  EXPECT_EQ(doc.currentLayer()->image().at(3, 3), 0xFF445566u);
  EXPECT_TRUE(flow.modified());
  EXPECT_EQ(flow.currentPath(), dir.file("orig.tsd"));
  // No: the Save dialog instead of the original.
  shell.yesNo = {false};
  shell.saveChoices = {{dir.file("other.tsd"), 0}};
  EXPECT_TRUE(flow.save());
  EXPECT_EQ(testing::readBytes(dir.file("orig.tsd")), (std::vector<uint8_t>{9, 9, 9}));
  EXPECT_FALSE(flow.modified());
  EXPECT_EQ(flow.currentPath(), dir.file("other.tsd"));
}

}  // namespace
}  // namespace tessel
