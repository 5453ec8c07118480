#include <gtest/gtest.h>

#include "app/files/document_io.h"
#include "formats/format_table.h"
#include "platform/image_decoders.h"

namespace tessel {
namespace {

// The test program hands the platform's decoders down as the program does.
const bool kDecodersHandedDown = [] {
  handDownPictureDecoders(&platformPictureDecoders());
  return true;
}();

TEST(FormatTable, OneRowPerExtensionAndTheDialogListsComeFromIt) {
  ASSERT_TRUE(kDecodersHandedDown);
  const FormatTable& table = builtinFormats();
  for (size_t i = 0; i < table.rows.size(); ++i)
    for (size_t j = i + 1; j < table.rows.size(); ++j) EXPECT_NE(table.rows[i].extension, table.rows[j].extension);
  EXPECT_EQ(table.find("JPEG"), table.find("jpeg"));
  EXPECT_EQ(table.find("txt"), nullptr);
  ASSERT_EQ(int(table.saveFormats().size()), saveFormatCount());
  EXPECT_STREQ(saveFormatExtension(kSaveJpg), "jpg");
  EXPECT_STREQ(saveFormatExtension(kSaveVrw), "vrw");
  EXPECT_STREQ(saveFormatExtension(-1), "tsd");
  EXPECT_STREQ(saveFormatLabel(kSavePsd), "Photoshop (*.psd)");
  EXPECT_EQ(table.openPatterns().rfind("*.tsd *.psd *.bmp *.png *.jpg *.jpeg *.gif *.vrw", 0), 0u);
}

}  // namespace
}  // namespace tessel
