// The layer commands through the application and a scripted shell.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "app/application.h"
#include "app/commands/command_table.h"
#include "app/ops/layer_ops.h"
#include "app/fake_shell.h"
#include "formats/image_loader.h"
#include "formats/png_codec.h"

namespace tessel {
namespace {

class LayerCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    temp = std::filesystem::temp_directory_path() / ("tessel-layercmd-" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp);
    app = std::make_unique<Application>();
    app->tempFolder = temp.string();
    ASSERT_TRUE(app->createScreenBuffer(120, 100));
    app->settings.defImgW = 40;
    app->settings.defImgH = 30;
    ASSERT_TRUE(app->createDefaultDocument());
    app->createUndoHistory();
    ASSERT_TRUE(app->painting.init());
    app->attachShell(shell);
    app->view.setClientSize(120, 100);
  }
  void TearDown() override {
    app->document.setRecorder(nullptr);
    app.reset();
    std::error_code ignored;
    std::filesystem::remove_all(temp, ignored);
  }
  Document& doc() { return app->document; }
  std::string file(const char* name) const { return (temp / name).string(); }

  std::filesystem::path temp;
  testing::FakeShell shell;
  std::unique_ptr<Application> app;
};

TEST_F(LayerCommands, RowsCoverThePanelMenuAndUndoRestores) {
  std::vector<int> ids;
  for (const Command& c : layerCommands())
    for (int id = c.first; id <= c.last; ++id) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  std::vector<int> expected;
  for (int id = 42300; id <= 42312; ++id) expected.push_back(id);
  expected.push_back(42315);
  expected.push_back(42316);
  EXPECT_EQ(ids, expected);
  EXPECT_FALSE(runLayerCommand(*app, shell, 42313));
  EXPECT_FALSE(isLayerCommand(42299));

  ASSERT_TRUE(runLayerCommand(*app, shell, 42300));   // new
  EXPECT_EQ(doc().layerCount(), 2);
  EXPECT_EQ(shell.layerRows.back(), -1);
  ASSERT_TRUE(runLayerCommand(*app, shell, 42302));   // clone
  EXPECT_EQ(doc().layerCount(), 3);
  ASSERT_TRUE(runLayerCommand(*app, shell, 42304));   // merge down
  EXPECT_EQ(doc().layerCount(), 2);
  EXPECT_EQ(shell.busyOn, 1);
  EXPECT_EQ(shell.busyOff, 1);
  ASSERT_TRUE(runLayerCommand(*app, shell, 42311));   // all hidden
  EXPECT_EQ(doc().visibleCount(), 0);
  ASSERT_TRUE(runLayerCommand(*app, shell, 42312));   // only the current one
  EXPECT_EQ(doc().visibleCount(), 1);
  ASSERT_TRUE(runLayerCommand(*app, shell, 42310));
  EXPECT_EQ(doc().visibleCount(), 2);
  ASSERT_TRUE(runLayerCommand(*app, shell, 42316));   // merge into a new layer
  EXPECT_EQ(doc().layerCount(), 3);
  ASSERT_TRUE(runLayerCommand(*app, shell, 42303));   // delete
  EXPECT_EQ(doc().layerCount(), 2);
  for (int n = 0; n < 4; ++n) ASSERT_TRUE(app->undoStep(false));   // delete, merge new, merge down, clone
  EXPECT_EQ(doc().layerCount(), 2);
  ASSERT_TRUE(app->undoStep(false));
  EXPECT_EQ(doc().layerCount(), 1);
}

TEST_F(LayerCommands, NewFromFileIsPlacedCutNamedAndUndone) {
  Image32 picture;
  ASSERT_TRUE(picture.create(60, 10));
  picture.fill(0xFF00FF00);
  picture.set(0, 0, 0xFF123456);
  ASSERT_TRUE(writePng(picture, file("绿色.png"), 6, true, -1));
  app->config.openDir = temp.string();
  shell.imageChoices.push_back(file("绿色.png"));
  ASSERT_TRUE(runLayerCommand(*app, shell, 42301));
  ASSERT_EQ(doc().layerCount(), 2);
  EXPECT_EQ(shell.openFolders.back(), temp.string());
  const Layer& layer = *doc().currentLayer();
  EXPECT_EQ(layerNameToUtf8(layer.name), "绿色.png");
  EXPECT_EQ(layer.image().at(0, 0), 0xFF123456u);
  EXPECT_EQ(layer.image().at(39, 9), 0xFF00FF00u);   // cut at the right edge
  EXPECT_EQ(layer.image().at(0, 10), 0x00FFFFFFu);   // below the picture
  ASSERT_TRUE(app->undoStep(false));               // the layer-added step
  EXPECT_EQ(doc().layerCount(), 1);
  // A file that is not a picture.
  shell.imageChoices.push_back(file("missing.png"));
  runLayerCommand(*app, shell, 42301);
  EXPECT_EQ(doc().layerCount(), 1);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0], "打开图像失败\nmissing.png：文件不存在");
  shell.imageChoices.push_back(std::string());   // cancelled
  runLayerCommand(*app, shell, 42301);
  EXPECT_EQ(doc().layerCount(), 1);
  EXPECT_EQ(shell.unexpected, 0);
}

TEST_F(LayerCommands, SettingsExportAndAlphaOperations) {
  shell.layerSettings.push_back({"线稿", 50});
  ASSERT_TRUE(runLayerCommand(*app, shell, 42308));
  ASSERT_EQ(shell.layerSettingsCalls.size(), 1u);
  EXPECT_EQ(shell.layerSettingsCalls[0].name, "Layer0");
  EXPECT_EQ(shell.layerSettingsCalls[0].percent, 100);
  EXPECT_EQ(layerNameToUtf8(doc().currentLayer()->name), "线稿");
  EXPECT_EQ(doc().currentLayer()->opacity, 64);
  shell.layerSettings.push_back({std::string(), 0});   // cancelled
  layerSettings(*app, shell);
  EXPECT_EQ(doc().currentLayer()->opacity, 64);
  ASSERT_TRUE(setLayerSettings(doc(), doc().currentIndex(), "线稿", 150));   // clamped to 100 %
  EXPECT_EQ(doc().currentLayer()->opacity, kFullOpacity);
  ASSERT_TRUE(setLayerSettings(doc(), doc().currentIndex(), "线稿", 50));

  doc().currentLayer()->image().fill(0x80FF0000);
  app->config.saveDir = temp.string();
  shell.pngChoices.push_back(file("out.png"));
  ASSERT_TRUE(runLayerCommand(*app, shell, 42309));
  ASSERT_EQ(shell.pngCalls.size(), 1u);
  EXPECT_EQ(shell.pngCalls[0].folder, temp.string());
  EXPECT_EQ(shell.pngCalls[0].fileName, "线稿");
  Image32 back;
  ImageReadInfo info;
  ASSERT_TRUE(loadImage(file("out.png"), back, info));
  EXPECT_TRUE(info.hadAlpha);
  EXPECT_EQ(back.at(5, 5), 0x80FF0000u);

  // A reference layer on top with a transparent left half.
  ASSERT_TRUE(runLayerCommand(*app, shell, 42300));
  Layer& ref = *doc().currentLayer();
  ref.image().fillRect(20, 0, 20, 30, 0xFF0000FF);
  doc().selectLayer(1);
  layerAlphaOperation(*app, shell, 0, AlphaOperation::Transparent);
  EXPECT_EQ(doc().currentLayer()->image().at(5, 5), 0x00FFFFFFu);
  EXPECT_EQ(doc().currentLayer()->image().at(25, 5), 0x80FF0000u);
  ASSERT_TRUE(app->undoStep(false));   // the whole-layer record
  EXPECT_EQ(doc().currentLayer()->image().at(5, 5), 0x80FF0000u);
  // Multiplied by a reference of half alpha: 128 * 128 / 255.
  ref.image().fillRect(20, 0, 20, 30, 0x800000FF);
  layerAlphaOperation(*app, shell, 0, AlphaOperation::MultiplyAlpha);
  EXPECT_EQ(doc().currentLayer()->image().at(25, 5), 0x40FF0000u);
  EXPECT_EQ(doc().currentLayer()->image().at(5, 5), 0x00FFFFFFu);
}

}  // namespace
}  // namespace tessel
