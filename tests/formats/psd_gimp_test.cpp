// A PSD written here, opened and saved again by GIMP, read back. GIMP is slow
// to start, so the test runs only with TESSEL_GIMP_TESTS=1.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "document/document.h"
#include "formats/native_document.h"
#include "formats/psd_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::TempDir;

TEST(PsdGimp, ChineseNamesAndAllModesSurviveGimp) {
  if (!std::getenv("TESSEL_GIMP_TESTS")) GTEST_SKIP() << "set TESSEL_GIMP_TESTS=1 to run the GIMP round trip";
  if (std::system("command -v gimp >/dev/null 2>&1") != 0) GTEST_SKIP() << "gimp is not installed";
  TempDir dir;
  Document doc;
  ASSERT_TRUE(doc.newImage(4, 4, false));
  for (int mode = 0; mode <= 20; ++mode) {
    Layer* layer = doc.layers().add(4, 4, true);
    ASSERT_NE(layer, nullptr);
    layer->image().fill(makePixel(255, uint32_t(mode * 12), 80, 200));
    layerNameFromUtf8("混合模式" + std::to_string(mode) + "号图层", layer->name);
    layer->blendMode = uint8_t(mode);
  }
  const std::string in = dir.file("in.psd"), out = dir.file("out.psd");
  ASSERT_TRUE(writePsd(in, doc, nullptr));
  const std::string script = "(let* ((img (car (gimp-file-load RUN-NONINTERACTIVE \"" + in + "\" \"" + in +
                             "\"))) (drw (car (gimp-image-get-active-drawable img)))) (file-psd-save "
                             "RUN-NONINTERACTIVE img drw \"" + out + "\" \"" + out + "\" 0 0))";
  const std::string command = "HOME=" + dir.file("") + " gimp -i -d -f -b '" + script +
                              "' -b '(gimp-quit 0)' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  Document back;
  ASSERT_EQ(readPsdLayers(out, back, nullptr), kReadOk);
  ASSERT_EQ(back.layerCount(), 21);
  for (int i = 0; i < 21; ++i) {
    const Layer& a = *doc.layers().atIndex(i);
    const Layer& b = *back.layers().atIndex(i);
    EXPECT_STREQ(b.name, a.name) << i;
    EXPECT_EQ(b.blendMode, a.blendMode) << layerNameToUtf8(a.name);
  }
}

}  // namespace
}  // namespace tessel
