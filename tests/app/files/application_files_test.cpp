#include "app/application.h"

#include <gtest/gtest.h>

#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;

TEST(ApplicationFiles, PalettesAndTexturesLoadAtStartAndAreWrittenAtExitOnlyWhenChanged) {
  TempDir dir;
  {
    auto app = std::make_unique<Application>();
    app->loadSettings(dir.path());
    EXPECT_EQ(app->palettes.tabCount, 0);
    EXPECT_EQ(app->textures.count(), 0);
    ASSERT_TRUE(app->saveSettings(dir.path()));
    // Nothing changed: neither file is written.
    EXPECT_TRUE(readBytes(dir.file("palette.dat")).empty());
    EXPECT_TRUE(readBytes(dir.file("texture.tst")).empty());
    app->palettes.tabCount = 1;
    app->palettes.colours[0][5] = 0x0A0B0C;
    app->palettes.changed = true;
    Image32 dot;
    ASSERT_TRUE(dot.create(2, 1));
    dot.fill(0xFF000000u);
    ASSERT_TRUE(app->textures.addTexture(dot, -1));
    ASSERT_TRUE(app->saveSettings(dir.path()));
  }
  auto again = std::make_unique<Application>();
  again->loadSettings(dir.path());
  EXPECT_EQ(again->palettes.tabCount, 1);
  EXPECT_EQ(again->palettes.colours[0][5], 0x0A0B0Cu);
  ASSERT_EQ(again->textures.count(), 1);
  EXPECT_EQ(again->textures.at(0).pixels[1], 255);
}

}  // namespace
}  // namespace tessel
