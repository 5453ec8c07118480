#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "formats/temp_dir.h"
#include "app/models/navigator_model.h"
#include "app/models/palette_model.h"
#include "draw/tool/tool_settings.h"
#include "document/document.h"
#include "view/canvas_view.h"

namespace tessel {
namespace {

struct PaletteRig {
  std::unique_ptr<PaletteSet> set = std::make_unique<PaletteSet>();
  DrawSettings draw;
  PaletteModel model{*set, draw};
};

TEST(PaletteModel, AddPickRemoveAndTabs) {
  PaletteRig r;
  EXPECT_FALSE(r.model.pick(0));
  r.draw.drawCol1 = 0x112233;
  ASSERT_TRUE(r.model.addCurrent());   // makes the first tab
  EXPECT_EQ(r.model.tabCount(), 1);
  r.draw.curColNo = 1;
  r.draw.drawCol2 = 0x445566;
  ASSERT_TRUE(r.model.addCurrent());
  EXPECT_EQ(r.model.usedCount(), 2);
  EXPECT_TRUE(r.set->changed);
  // A pick goes into the current slot only.
  r.draw.curColNo = 0;
  EXPECT_TRUE(r.model.pick(1));
  EXPECT_EQ(r.draw.drawCol1, 0x445566u);
  EXPECT_EQ(r.draw.drawCol2, 0x445566u);
  EXPECT_FALSE(r.model.pick(2));   // past the used cells
  EXPECT_TRUE(r.model.remove(0));
  EXPECT_EQ(r.model.usedCount(), 1);
  EXPECT_EQ(r.model.colours()[0], 0x445566u);
  // Tabs up to ten; removing one moves the later ones down.
  for (int i = 1; i < kPaletteTabs; ++i) ASSERT_TRUE(r.model.addTab());
  EXPECT_FALSE(r.model.addTab());
  r.model.selectTab(0);
  EXPECT_TRUE(r.model.removeTab());
  EXPECT_EQ(r.model.tabCount(), kPaletteTabs - 1);
  EXPECT_EQ(r.model.usedCount(), 0);
}

TEST(PaletteModel, TabNamesFollowRenamesAndRemovals) {
  PaletteRig r;
  PaletteModel::TabNames names;
  PaletteModel model(*r.set, r.draw, &names);
  EXPECT_FALSE(model.renameTab(0, "x"));   // no such tab yet
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(model.addTab());
  ASSERT_TRUE(model.renameTab(0, "皮肤"));
  ASSERT_TRUE(model.renameTab(2, "a\r\nb"));
  EXPECT_EQ(model.tabName(1), "2");
  EXPECT_EQ(model.tabName(2), "a  b");
  // 31 bytes at most, never half a character: ten 3-byte characters.
  ASSERT_TRUE(model.renameTab(1, "一二三四五六七八九十十"));
  EXPECT_EQ(model.tabName(1), "一二三四五六七八九十");
  model.selectTab(0);
  ASSERT_TRUE(model.removeTab());
  EXPECT_EQ(names[0], "一二三四五六七八九十");
  EXPECT_EQ(model.tabName(1), "a  b");
  EXPECT_EQ(names[2], "");
  ASSERT_TRUE(model.renameTab(1, ""));   // back to its number
  EXPECT_EQ(model.tabName(1), "2");
}

TEST(PaletteModel, FullTabRefusesAndFailedImportKeepsTheTab) {
  PaletteRig r;
  r.draw.drawCol1 = 0x010203;
  for (int i = 0; i < kPaletteColours; ++i) ASSERT_TRUE(r.model.addCurrent());
  EXPECT_FALSE(r.model.addCurrent());
  testing::TempDir dir;
  std::ofstream(dir.file("bad.tpl"), std::ios::binary) << "TSLPAX\0\4";
  EXPECT_FALSE(r.model.importFile(dir.file("bad.tpl")));
  EXPECT_FALSE(r.model.importFile(dir.file("missing.aco")));
  EXPECT_FALSE(r.model.fromImage(dir.file("missing.png")));
  EXPECT_EQ(r.model.usedCount(), kPaletteColours);
  EXPECT_EQ(r.model.colours()[5], 0x010203u);
  // A round trip through a palette file.
  ASSERT_TRUE(r.model.exportFile(dir.file("a.tpl")));
  ASSERT_TRUE(r.model.addTab());
  ASSERT_TRUE(r.model.importFile(dir.file("a.tpl")));
  EXPECT_EQ(r.model.tab(), 1);
  EXPECT_EQ(r.model.usedCount(), kPaletteColours);
}

TEST(SwatchLayout, CellsGapsAndDrawing) {
  SwatchLayout l{4, 3, 2};
  EXPECT_EQ(l.indexAt(1, 1, 5), 0);
  EXPECT_EQ(l.indexAt(5, 1, 5), -1);   // the gap between cells
  EXPECT_EQ(l.indexAt(6, 5, 5), 3);
  EXPECT_EQ(l.indexAt(11, 1, 5), -1);  // past the columns
  EXPECT_EQ(l.indexAt(1, 9, 5), 4);
  EXPECT_EQ(l.indexAt(6, 9, 5), -1);   // past the count
  EXPECT_EQ(l.heightFor(5), 1 + 3 * 4);
  const uint32_t colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  Image32 out;
  drawSwatches(out, 11, colours, 3, l, 2);
  ASSERT_EQ(out.height(), 9);
  EXPECT_EQ(out.at(1, 1), 0xFFFF0000u);
  EXPECT_EQ(out.at(9, 3), 0xFF00FF00u);
  EXPECT_EQ(out.at(5, 2), 0xFFC0C0C0u);   // ground in the gap
  EXPECT_EQ(out.at(1, 5), 0xFFFFFFFFu);   // the marked cell's inner frame
  EXPECT_EQ(out.at(2, 6), 0xFF0000FFu);
  EXPECT_EQ(out.at(0, 5), 0xFF000000u);
}

TEST(NavigatorModel, FitsSamplesAndUpdatesOnlyTheChangedPart) {
  Image32 composite;
  ASSERT_TRUE(composite.create(400, 200));
  composite.fill(0xFF102030);
  NavigatorModel nav;
  nav.sampled = true;
  nav.rebuild(composite, 100, 100);
  ASSERT_EQ(nav.picture().width(), 100);
  ASSERT_EQ(nav.picture().height(), 50);
  EXPECT_EQ(nav.pictureRect().y, 25);
  EXPECT_EQ(nav.picture().at(99, 49), 0xFF102030u);
  // Picture pixel 10 samples source 40; a change at 41..43 is not seen.
  composite.fillRect(40, 0, 4, 4, 0xFFFFFFFF);
  composite.set(100, 100, 0xFF0000FF);   // outside the updated rectangle
  nav.update(composite, {40, 0, 4, 4});
  EXPECT_EQ(nav.picture().at(10, 0), 0xFFFFFFFFu);
  EXPECT_EQ(nav.picture().at(11, 0), 0xFF102030u);
  EXPECT_EQ(nav.picture().at(25, 25), 0xFF102030u);
  nav.update(composite, {41, 0, 3, 4});
  nav.update(composite, {-50, -50, 20, 20});   // outside: nothing
  EXPECT_EQ(nav.imagePoint(10, 25), (Point{40, 0}));
  EXPECT_EQ(nav.imagePoint(-5, 500), (Point{0, 199}));
  // A small image is not enlarged.
  Image32 small;
  ASSERT_TRUE(small.create(20, 10));
  nav.rebuild(small, 100, 100);
  EXPECT_EQ(nav.picture().width(), 20);
  EXPECT_EQ(nav.pictureRect().x, 40);
}

TEST(NavigatorModel, BoxFilterKeepsAThinLineAndUpdatesOnlyItsCells) {
  Image32 composite;
  ASSERT_TRUE(composite.create(400, 200));
  composite.fill(0xFF102030);
  NavigatorModel nav;
  nav.rebuild(composite, 100, 100);   // 4 x 4 source pixels a cell
  composite.fillRect(41, 0, 1, 4, 0xFFFFFFFF);   // a one-pixel line
  composite.set(100, 100, 0xFF0000FF);          // outside the updated rectangle
  nav.update(composite, {41, 0, 1, 4});
  // A quarter of the cell is white: (3 * 0x10 + 0xFF) / 4 = 0x4B ...
  EXPECT_EQ(nav.picture().at(10, 0), 0xFF4B5763u);
  EXPECT_EQ(nav.picture().at(11, 0), 0xFF102030u);
  EXPECT_EQ(nav.picture().at(10, 1), 0xFF102030u);
  EXPECT_EQ(nav.picture().at(25, 25), 0xFF102030u);
  nav.rebuild(composite, 100, 100);
  EXPECT_EQ(nav.picture().at(25, 25), 0xFF0F1E3Cu);   // blue (15 * 0x30 + 0xFF) / 16 = 0x3C
  nav.sampled = true;
  nav.rebuild(composite, 100, 100);
  EXPECT_EQ(nav.picture().at(10, 0), 0xFF102030u);   // sampling misses the line
}

TEST(NavigatorModel, ViewRectFollowsTheScroll) {
  Document doc;
  ASSERT_TRUE(doc.newImage(400, 400, true));
  Image32 screen;
  ASSERT_TRUE(screen.create(100, 100));
  ViewOptions options;
  CanvasView view(doc, screen, options);
  view.setClientSize(100, 100);
  view.centreImage();
  NavigatorModel nav;
  nav.rebuild(doc.composite, 100, 100);
  Rect r = nav.viewRect(view);
  EXPECT_EQ(r.w, 25);
  EXPECT_EQ(r.h, 25);
  EXPECT_NEAR(r.x, 37, 1);
  view.scrollTo({0, 0});
  Rect moved = nav.viewRect(view);
  EXPECT_LT(moved.x, r.x);
  EXPECT_EQ(moved.x, 0);
}

}  // namespace
}  // namespace tessel

namespace tessel {
namespace {

TEST(ExPalette, GridsByType) {
  int columns = 0;
  std::vector<uint32_t> hls = exPaletteSwatches(0, columns);
  EXPECT_EQ(columns, 2);
  ASSERT_EQ(hls.size(), 30u);
  EXPECT_EQ(hls[0], 0xFF0000u);   // hue 0, L 50 %, S 100 %
  EXPECT_EQ(hls[1], 0x00FFFFu);   // hue 180
  std::vector<uint32_t> vivid = exPaletteSwatches(1, columns);
  EXPECT_EQ(columns, 13);
  ASSERT_EQ(vivid.size(), 156u);
  EXPECT_EQ(vivid[0], 0xFF0000u);   // S 100 %, V 100 %
  EXPECT_EQ(exPaletteSwatches(2, columns).size(), 156u);
  EXPECT_EQ(exPaletteSwatches(7, columns), hls);
}

}  // namespace
}  // namespace tessel

#include "app/models/image_viewer_model.h"
#include "formats/bmp_codec.h"

namespace tessel {
namespace {

TEST(ImageViewerModel, ListsImagesAndShrinksThem) {
  testing::TempDir dir;
  Image32 img;
  ASSERT_TRUE(img.create(8, 4));
  img.fill(0xFF204060);
  img.fillRect(0, 0, 4, 4, 0x00FFFFFF);   // transparent left half
  ASSERT_TRUE(writeBmp(img, dir.file("x.Bmp")));
  std::ofstream(dir.file("y.tsd")) << "TSLDATA broken";
  std::ofstream(dir.file("z.txt")) << "text";
  EXPECT_EQ(listViewerFiles(dir.path()), (std::vector<std::string>{"x.Bmp", "y.tsd"}));
  EXPECT_TRUE(listViewerFiles(dir.file("missing")).empty());

  Image32 thumb;
  ASSERT_TRUE(shrinkToFit(img, 4, thumb));
  ASSERT_EQ(thumb.width(), 4);
  ASSERT_EQ(thumb.height(), 2);
  EXPECT_EQ(thumb.at(0, 0), 0xFFFFFFFFu);   // transparent shows white
  EXPECT_EQ(thumb.at(3, 1), 0xFF204060u);
  ASSERT_TRUE(shrinkToFit(img, 100, thumb));   // not enlarged
  EXPECT_EQ(thumb.width(), 8);
  EXPECT_FALSE(loadThumbnail(dir.file("y.tsd"), 64, thumb));
  EXPECT_FALSE(loadThumbnail(dir.file("z.txt"), 64, thumb));
  EXPECT_TRUE(loadThumbnail(dir.file("x.Bmp"), 64, thumb));
}

}  // namespace
}  // namespace tessel
