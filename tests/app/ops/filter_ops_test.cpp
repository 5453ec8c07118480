// Filter commands from the menu: dialogs, previews, the application paths and undo.
#include "app/ops/filter_ops.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/app_fixture.h"
#include "app/fake_shell.h"
#include "filters/apply_filter.h"
#include "filters/filter_cancel.h"
#include "filters/test_images.h"

namespace tessel {
namespace {

constexpr unsigned kSeed = 1234;

class FilterCommands : public testing::AppFixture {
 protected:
  FilterCommands() : AppFixture("tessel-filters", 40, 30, 120, 100) {}
  void prepareDocument() override {
    ASSERT_TRUE(app->document.newLayer(false));
    app->document.selectLayer(0);
    for (int i = 0; i < 2; ++i) {
      Image32& image = app->document.layers().atIndex(i)->image();
      testing::fillRandom(image, 7 + i);
      // Layers hold transparent pixels the canonical way, as undo restores them.
      for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
          if ((image.at(x, y) >> 24) == 0) image.set(x, y, kTransparent);
    }
  }
  void SetUp() override {
    AppFixture::SetUp();
    app->painting.draw.drawCol1 = 0x204060;
    app->painting.draw.drawCol2 = 0xE0C0A0;
    app->view.refreshAll();
  }
  Image32& layer() { return app->document.currentLayer()->image(); }
  Image32 snapshot() {
    Image32 copy;
    EXPECT_TRUE(copy.create(layer().width(), layer().height()));
    copy.copyFrom(layer());
    return copy;
  }
  // What tessel-cli filter NAME does with its defaults: the same core call on
  // a copy of the document's current layer.
  Image32 commandLineResult(const FilterEntry& e) {
    Document doc;
    EXPECT_TRUE(doc.newImage(app->document.width(), app->document.height(), true));
    EXPECT_TRUE(doc.newLayer(false));
    doc.selectLayer(0);
    for (int i = 0; i < 2; ++i) doc.layers().atIndex(i)->image().copyFrom(app->document.layers().atIndex(i)->image());
    std::vector<FilterParam> params;
    TemplateTarget target{doc.width(), doc.height(), doc.canvasRect(), doc.currentIndex(), doc.layerCount()};
    EXPECT_TRUE(filterParams(e, target, params));
    FilterValues values;
    for (const FilterParam& p : params) setFilterParam(p, p.defaultValue, values);
    std::mt19937 random(kSeed);
    FilterContext context;
    context.foreground = 0x204060;
    context.background = 0xE0C0A0;
    context.random = &random;
    context.brushAlpha = uint8_t(app->painting.tools.alphaOf(app->painting.draw.toolNo));
    NullProgress progress;
    applyFilter(doc, e, values, context, doc.canvasRect(), &progress);
    Image32 out;
    EXPECT_TRUE(out.create(doc.width(), doc.height()));
    out.copyFrom(doc.currentLayer()->image());
    return out;
  }

};

TEST_F(FilterCommands, OkWithTheDefaultsGivesTheCommandLineResultForEveryTemplate) {
  for (const FilterEntry& e : filterTable()) {
    if (e.dialog != FilterDialog::Template) continue;
    Image32 before = snapshot();
    Image32 expected = commandLineResult(e);
    app->painting.engine.seed(kSeed);
    shell.filterAnswers.push_back({nullptr, true});
    ASSERT_TRUE(runFilterCommand(*app, shell, e.command)) << e.cliName;
    EXPECT_TRUE(testing::samePixels(layer(), expected)) << e.cliName;
    // One undo step brings the layer back exactly.
    ASSERT_TRUE(app->undoStep(false)) << e.cliName;
    EXPECT_TRUE(testing::samePixels(layer(), before)) << e.cliName;
    EXPECT_FALSE(app->undo->canUndo()) << e.cliName;
  }
  EXPECT_EQ(shell.unexpected, 0);
  EXPECT_EQ(shell.filterTitles.front(), "亮度-对比度");
}

TEST_F(FilterCommands, CanvasPreviewChangesTheLayerAndCancelRestoresIt) {
  Image32 before = snapshot();
  bool previewChanged = false;
  shell.filterAnswers.push_back({[&](FilterDialogModel& model, FilterPreviewSession& session) {
                                   EXPECT_EQ(session.mode(), FilterPreview::Canvas);
                                   model.setSlider(0, 5);
                                   session.update(model);
                                   previewChanged = layer().at(5, 0) == before.at(0, 0);
                                 },
                                 false});
  ASSERT_TRUE(runFilterCommand(*app, shell, 41036));   // offset
  EXPECT_TRUE(previewChanged);
  EXPECT_TRUE(testing::samePixels(layer(), before));
  EXPECT_FALSE(app->undo->canUndo());
}

TEST_F(FilterCommands, OkAfterACanvasPreviewAppliesOnceFromTheOriginal) {
  Image32 before = snapshot();
  shell.filterAnswers.push_back({[&](FilterDialogModel& model, FilterPreviewSession& session) {
                                   model.setSlider(0, 3);
                                   session.update(model);
                                   model.setSlider(1, 2);
                                   session.update(model);
                                 },
                                 true});
  ASSERT_TRUE(runFilterCommand(*app, shell, 41036));
  // Moved by (3, 2) once, with wrap-around, not twice.
  EXPECT_EQ(layer().at(3, 2), before.at(0, 0));
  EXPECT_EQ(layer().at(0, 0), before.at(37, 28));
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_TRUE(testing::samePixels(layer(), before));
}

TEST_F(FilterCommands, BoxPreviewFiltersOnlyTheWorkingCopyWhereTheBoxLooks) {
  Image32 before = snapshot();
  shell.filterAnswers.push_back({[&](FilterDialogModel& model, FilterPreviewSession& session) {
                                   EXPECT_EQ(session.boxView(), (Rect{0, 0, 40, 30}));   // image smaller than the box
                                   EXPECT_EQ(session.previews(), 1);   // the first preview at opening
                                   model.previewChecked = false;
                                   model.setSlider(0, 9);
                                   session.update(model);
                                   EXPECT_EQ(session.previews(), 1);
                                   model.previewChecked = true;
                                   session.update(model);
                                   EXPECT_EQ(session.previews(), 2);
                                   EXPECT_TRUE(testing::samePixels(layer(), before));
                                   EXPECT_FALSE(testing::samePixels(session.workingCopy(), before));
                                 },
                                 false});
  ASSERT_TRUE(runFilterCommand(*app, shell, 41022));   // blur
  EXPECT_TRUE(testing::samePixels(layer(), before));
}

TEST_F(FilterCommands, PreviewOfARandomFilterShowsWhatOkGives) {
  Image32 previewed;
  app->painting.engine.seed(kSeed);
  shell.filterAnswers.push_back({[&](FilterDialogModel& model, FilterPreviewSession& session) {
                                   model.setSlider(0, 40);
                                   session.update(model);
                                   ASSERT_TRUE(previewed.create(40, 30));
                                   previewed.copyFrom(session.workingCopy());
                                 },
                                 true});
  ASSERT_TRUE(runFilterCommand(*app, shell, 41038));   // noise
  EXPECT_TRUE(testing::samePixels(layer(), previewed));
}

TEST_F(FilterCommands, CommandsWithoutADialogRunAtOnceWithTheirColours) {
  Image32& image = layer();
  image.set(0, 0, 0xFF204060);
  image.set(1, 0, 0x80204060);
  image.set(2, 0, 0xFF204061);
  ASSERT_TRUE(runFilterCommand(*app, shell, 41803));   // foreground replaced by background
  EXPECT_EQ(image.at(0, 0), 0xFFE0C0A0u);
  EXPECT_EQ(image.at(1, 0), 0x80E0C0A0u);
  EXPECT_EQ(image.at(2, 0), 0xFF204061u);
  EXPECT_EQ(shell.progressRuns, 0);
  for (int id : {41005, 41006, 41007, 41008, 41048, 41800, 41801, 41802, 41810, 41811, 41812, 41813}) {
    image.set(3, 3, 0xFF204060);   // one pixel of the foreground colour
    Image32 before = snapshot();
    ASSERT_TRUE(runFilterCommand(*app, shell, id)) << id;
    EXPECT_FALSE(testing::samePixels(layer(), before)) << id;
    ASSERT_TRUE(app->undoStep(false)) << id;
    EXPECT_TRUE(testing::samePixels(layer(), before)) << id;
  }
  EXPECT_EQ(shell.unexpected, 0);
}

TEST_F(FilterCommands, AFloatingImageIsDroppedBeforeTheFilterSoItsResultStays) {
  app->painting.input.selectTool(kToolSelection);
  ASSERT_TRUE(app->selection.set(app->document, 2, 2, 5, 5));
  ASSERT_TRUE(app->selection.lift(app->document, false));
  ASSERT_TRUE(app->selection.floating());
  const Image32 before = snapshot();
  ASSERT_TRUE(runCommand(*app, shell, 41810));
  EXPECT_FALSE(app->selection.floating());
  const Image32 filtered = snapshot();
  EXPECT_FALSE(testing::samePixels(filtered, before));
  // Nothing left floating can paste old pixels back over the result.
  runCommand(*app, shell, 40102);   // deselect
  EXPECT_TRUE(testing::samePixels(layer(), filtered));
}

TEST_F(FilterCommands, ProgressCommandsStepOncePerRowOnTheWorker) {
  for (int id : {41029, 41030, 41034, 41820, 41821, 41822}) {
    Image32 before = snapshot();
    int runs = shell.progressRuns;
    ASSERT_TRUE(runFilterCommand(*app, shell, id)) << id;
    EXPECT_EQ(shell.progressRuns, runs + 1) << id;
    EXPECT_EQ(shell.lastRange, 30) << id;
    EXPECT_EQ(shell.lastSteps, 30) << id;
    EXPECT_FALSE(testing::samePixels(layer(), before)) << id;
    ASSERT_TRUE(app->undoStep(false)) << id;
    EXPECT_TRUE(testing::samePixels(layer(), before)) << id;
  }
}

TEST_F(FilterCommands, LevelsAndReplaceColourUseTheirOwnDialogs) {
  Image32& image = layer();
  image.fill(0xFF808080);
  image.set(0, 0, 0x00000000);   // transparent pixels are not counted
  FilterValues levels;
  levels.slider[0] = 128;
  levels.slider[1] = 0;   // below low: pulled inside
  levels.slider[2] = 255;
  levels.slider[3] = 0;
  levels.slider[4] = 255;
  shell.levelsAnswers.push_back(levels);
  Pixel previewed = 0;
  shell.onLevelsPreview = [&] { previewed = layer().at(1, 0); };
  ASSERT_TRUE(runFilterCommand(*app, shell, 41002));
  EXPECT_EQ(previewed, 0xFF000000u);   // the preview on the canvas
  EXPECT_EQ(shell.lastHistogram[128], 40u * 30u - 1u);
  EXPECT_EQ(layer().at(1, 0) & 0xFF000000u, 0xFF000000u);
  EXPECT_EQ(layer().at(1, 0), 0xFF000000u);   // 128 is the input low

  shell.replaceAnswers.push_back(std::make_pair(Pixel(0x000000), Pixel(0x123456)));
  ASSERT_TRUE(runFilterCommand(*app, shell, 41011));
  EXPECT_EQ(shell.replaceOffered, std::make_pair(Pixel(0x204060), Pixel(0xE0C0A0)));
  EXPECT_EQ(layer().at(1, 0), 0xFF123456u);
  shell.replaceAnswers.push_back(std::nullopt);   // cancelled: nothing recorded
  Image32 before = snapshot();
  ASSERT_TRUE(runFilterCommand(*app, shell, 41011));
  EXPECT_TRUE(testing::samePixels(layer(), before));
  ASSERT_TRUE(app->undoStep(false));
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_FALSE(app->undo->canUndo());
}

TEST_F(FilterCommands, TheCommandTableCoversTheFilterRanges) {
  auto rows = filterCommands();
  auto find = [&](int id) -> const Command* {
    for (const Command& c : rows)
      if (id >= c.first && id <= c.last) return &c;
    return nullptr;
  };
  for (int id : {41000, 41051, 41800, 41803, 41810, 41813, 41820, 41822}) {
    ASSERT_NE(find(id), nullptr) << id;
    EXPECT_TRUE(find(id)->enabled(*app)) << id;
  }
  EXPECT_EQ(find(41052), nullptr);
  EXPECT_EQ(find(41804), nullptr);
  EXPECT_FALSE(runFilterCommand(*app, shell, 41052));
  Image32 before = snapshot();
  find(41005)->run(*app, shell, 41005);
  EXPECT_FALSE(testing::samePixels(layer(), before));
  EXPECT_TRUE(filterCommandEnabled(*app, 41051));
  EXPECT_FALSE(filterCommandEnabled(*app, 41999));
}

TEST_F(FilterCommands, PreviewsOnTheWorkerShowOnlyTheNewestValues) {
  Image32 before = snapshot();
  Image32 expected;
  shell.filterAnswers.push_back({[&](FilterDialogModel& model, FilterPreviewSession& session) {
                                   FilterValues v = model.values();
                                   v.slider[0] = 7;
                                   session.preview(v);   // what the canvas must show at the end
                                   ASSERT_TRUE(expected.create(40, 30));
                                   expected.copyFrom(layer());
                                   int shown = session.previews();
                                   v.slider[0] = 3;
                                   session.startPreview(v);
                                   v.slider[0] = 7;
                                   session.startPreview(v);   // abandons the first
                                   session.finishPreview();
                                   EXPECT_EQ(session.previews(), shown + 1);
                                   EXPECT_TRUE(testing::samePixels(layer(), expected));
                                   v.slider[0] = 20;
                                   session.startPreview(v);   // Cancel while it runs
                                 },
                                 false});
  ASSERT_TRUE(runFilterCommand(*app, shell, 41036));
  EXPECT_FALSE(testing::samePixels(expected, before));
  EXPECT_TRUE(testing::samePixels(layer(), before));
}

TEST_F(FilterCommands, BoxPreviewOnTheWorkerFillsTheWorkingCopy) {
  shell.filterAnswers.push_back({[&](FilterDialogModel& model, FilterPreviewSession& session) {
                                   model.setSlider(0, 4);
                                   session.preview(model.values());
                                   Image32 expected;
                                   ASSERT_TRUE(expected.create(40, 30));
                                   expected.copyFrom(session.workingCopy());
                                   model.setSlider(0, 2);
                                   session.preview(model.values());
                                   model.setSlider(0, 4);
                                   session.startPreview(model.values());
                                   session.finishPreview();
                                   EXPECT_TRUE(testing::samePixels(session.workingCopy(), expected));
                                 },
                                 false});
  ASSERT_TRUE(runFilterCommand(*app, shell, 41023));   // Gaussian blur
}

TEST_F(FilterCommands, ARaisedCancelFlagStopsAFilterBetweenRows) {
  for (const char* name : {"gaussian-blur", "median", "oil-paint"}) {
    Image32 before = snapshot(), out = snapshot();
    FilterValues v;
    v.slider[0] = 5;
    std::atomic<bool> cancel{true};
    {
      FilterCancelScope scope(&cancel);
      filterFunctionOf(*filterByName(name))(v, FilterContext{}, out, before, {0, 0, 40, 30}, nullptr);
    }
    EXPECT_TRUE(testing::samePixels(out, before)) << name;   // not one row written
    EXPECT_EQ(filterCancelFlag(), nullptr);
    filterFunctionOf(*filterByName(name))(v, FilterContext{}, out, before, {0, 0, 40, 30}, nullptr);
    EXPECT_FALSE(testing::samePixels(out, before)) << name;
  }
}

TEST(FilterLevels, ClampingKeepsTheInputRangeOpen) {
  FilterValues v;
  v.slider[0] = 255;
  v.slider[1] = 300;
  v.slider[2] = 10;
  v.slider[3] = -4;
  v.slider[4] = 999;
  clampLevels(v);
  EXPECT_EQ(v.slider[0], 253);
  EXPECT_EQ(v.slider[2], 255);
  EXPECT_EQ(v.slider[1], 254);
  EXPECT_EQ(v.slider[3], 0);
  EXPECT_EQ(v.slider[4], 255);
}

}  // namespace
}  // namespace tessel
