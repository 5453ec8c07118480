#include "document/pixel_edit.h"

#include <gtest/gtest.h>

#include <random>

#include "document/document.h"
#include "undo/undo_history.h"
#include "undo_test_util.h"

namespace tessel {
namespace {

using undotest::scribble;
using undotest::TempDir;

struct EditFixture {
  TempDir dir;
  Document doc;
  UndoHistory history{doc, dir.path()};
  explicit EditFixture(int layers = 1) {
    EXPECT_TRUE(doc.newImage(37, 29, true));
    for (int i = 1; i < layers; ++i) EXPECT_TRUE(doc.newLayer(false));
    std::mt19937 rng(7);
    for (int i = 0; i < layers; ++i) {
      Image32& image = doc.layers().atIndex(i)->image();
      scribble(image, image.bounds(), rng, 25);
      image.normaliseTransparent();   // what undo gives back, so bytes compare
    }
    doc.setRecorder(&history);
  }
  ~EditFixture() { doc.setRecorder(nullptr); }
  Image32& layer() { return doc.currentLayer()->image(); }
  std::vector<Pixel> shot() {
    std::vector<Pixel> out;
    for (int y = 0; y < layer().height(); ++y) out.insert(out.end(), layer().row(y), layer().row(y) + layer().width());
    return out;
  }
};

TEST(PixelEdit, CommitRecordsOneStepThatUndoRestoresByteForByte) {
  EditFixture f;
  const auto before = f.shot();
  PixelEdit edit(f.doc, Rect{30, -4, 20, 12});   // cut to 30, 0, 7, 8
  ASSERT_TRUE(edit.ok());
  EXPECT_EQ(edit.area(), (Rect{30, 0, 7, 8}));
  f.layer().fillRect(30, 0, 7, 8, 0xFF112233u);
  ASSERT_TRUE(edit.commit());
  EXPECT_FALSE(edit.commit());   // an ended edit records no second step
  ASSERT_EQ(f.history.recordCount(), 1);
  EXPECT_EQ(f.history.record(0)->rect, (Rect{30, 0, 7, 8}));
  const auto after = f.shot();
  UndoRefresh refresh;
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(f.shot(), before);
  ASSERT_TRUE(f.history.redo(refresh));
  EXPECT_EQ(f.shot(), after);
}

TEST(PixelEdit, ExtendBacksUpTheNewPartBeforeItChanges) {
  EditFixture f;
  const auto before = f.shot();
  PixelEdit edit(f.doc, Rect{2, 2, 3, 3});
  f.layer().fillRect(2, 2, 3, 3, 0xFF0000FFu);
  edit.extend({10, 20, 4, 40});   // the union reaches the bottom edge
  f.layer().fillRect(10, 20, 4, 9, 0x80FF0000u);
  EXPECT_EQ(edit.area(), (Rect{2, 2, 12, 27}));
  ASSERT_TRUE(edit.commit());
  UndoRefresh refresh;
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(f.shot(), before);
}

TEST(PixelEdit, CancelRestoresTheLayerAndRecordsNothing) {
  EditFixture f;
  const auto before = f.shot();
  {
    PixelEdit edit(f.doc, f.doc.canvasRect());
    f.layer().fill(0xFF445566u);
    edit.cancel();
    EXPECT_FALSE(edit.commit());
  }
  EXPECT_EQ(f.shot(), before);
  EXPECT_EQ(f.history.recordCount(), 0);
}

TEST(PixelEdit, NothingIsRecordedWithoutAChangeOrWhenLeftUnended) {
  EditFixture f;
  {
    PixelEdit unchanged(f.doc, Rect{0, 0, 10, 10});
    Pixel p = f.layer().at(3, 3);
    f.layer().set(3, 3, p ^ 1u);
    f.layer().set(3, 3, p);   // written, but back as it was
    EXPECT_FALSE(unchanged.commit());
  }
  {
    PixelEdit offCanvas(f.doc, Rect{37, 0, 5, 5});
    EXPECT_TRUE(offCanvas.ok());
    EXPECT_FALSE(offCanvas.commit());
  }
  {
    PixelEdit abandoned(f.doc, Rect{0, 0, 4, 4});
    f.layer().fill(0xFF000000u);
  }
  EXPECT_EQ(f.history.recordCount(), 0);
}

TEST(PixelEdit, AnAdoptedBackupRecordsTheExtendedArea) {
  EditFixture f;
  Image32 backup;
  ASSERT_TRUE(backup.create(f.doc.width(), f.doc.height()));
  backup.copyFrom(f.layer());
  const auto before = f.shot();
  PixelEdit edit(f.doc, backup);
  ASSERT_TRUE(edit.ok());
  EXPECT_FALSE(edit.commit());   // the area is still empty
  EXPECT_EQ(f.history.recordCount(), 0);
  PixelEdit second(f.doc, backup);
  f.layer().fillRect(5, 6, 2, 2, 0xFFABCDEFu);
  second.extend({5, 6, 2, 2});
  second.extend({-3, 6, 4, 1});   // cut to 0, 6, 1, 1
  EXPECT_EQ(second.area(), (Rect{0, 6, 7, 2}));
  ASSERT_TRUE(second.commit());
  ASSERT_EQ(f.history.recordCount(), 1);
  UndoRefresh refresh;
  ASSERT_TRUE(f.history.undo(refresh));
  EXPECT_EQ(f.shot(), before);
}

TEST(PixelEdit, AMissingOrMisfitBackupIsNotOk) {
  EditFixture f;
  Image32 none, small;
  ASSERT_TRUE(small.create(3, 3));
  PixelEdit missing(f.doc, none);
  PixelEdit misfit(f.doc, small);
  EXPECT_FALSE(missing.ok());
  EXPECT_FALSE(misfit.ok());
  f.layer().fill(0xFF000000u);
  missing.extend(f.doc.canvasRect());
  EXPECT_FALSE(missing.commit());
  misfit.cancel();   // nothing to put back
  EXPECT_EQ(f.layer().at(1, 1), 0xFF000000u);
  Document empty;
  EXPECT_FALSE(PixelEdit(empty, Rect{0, 0, 1, 1}).ok());
  EXPECT_EQ(f.history.recordCount(), 0);
}

TEST(PixelEdit, TheStepNamesTheLayerItWasTakenFrom) {
  EditFixture f(3);
  f.doc.selectLayer(1);
  PixelEdit edit(f.doc, Rect{0, 0, 5, 5});
  f.layer().fillRect(0, 0, 5, 5, 0xFF010203u);
  ASSERT_TRUE(edit.commit());
  EXPECT_EQ(f.history.record(0)->layerIndex, 1);
}

TEST(RecorderMute, SilencesTheRecorderWhileItLives) {
  EditFixture f(2);
  {
    RecorderMute mute(f.doc);
    ASSERT_TRUE(f.doc.newLayer(true));
    ASSERT_TRUE(f.doc.moveTo(2));
    ASSERT_TRUE(f.doc.deleteLayer());
    PixelEdit edit(f.doc, f.doc.canvasRect());
    f.layer().fill(0xFF000000u);
    EXPECT_TRUE(edit.commit());   // asked, but the muted recorder keeps nothing
    EXPECT_EQ(f.history.recordCount(), 0);
  }
  ASSERT_TRUE(f.doc.newLayer(false));
  ASSERT_EQ(f.history.recordCount(), 1);
  EXPECT_EQ(f.history.record(0)->kind, UndoKind::LayerAdded);
}

}  // namespace
}  // namespace tessel
