// Krita as a peer: it renders Tessel's OpenRaster files and writes its own.
// Skips when krita is not installed or no X display (Xvfb will do) is set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "document/document.h"
#include "formats/image_loader.h"
#include "formats/native_document.h"
#include "formats/ora_document.h"
#include "formats/png_codec.h"
#include "formats/psd_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::TempDir;

bool haveKrita() { return std::system("command -v krita >/dev/null 2>&1") == 0; }

bool haveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

bool kritaExport(const std::string& in, const std::string& out) {
  const std::string command = "timeout 120 krita --export --export-filename '" + out + "' '" + in + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

constexpr int kColumn = 12, kHeight = 64;

// Layer m + 1 holds mode m in column m only; under them an opaque gradient.
void modeDocument(Document& doc) {
  ASSERT_TRUE(doc.newImage(21 * kColumn, kHeight, true));
  Layer* base = doc.layers().bottom();
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < doc.width(); ++x)
      base->image().set(x, y, 0xFF000000u | uint32_t(y * 4) << 16 | uint32_t(255 - y * 4) << 8 | uint32_t(x % 256));
  for (int m = 0; m <= 20; ++m) {
    Layer* layer = doc.layers().add(doc.width(), doc.height(), true);
    layer->image().fill(kTransparent);
    layer->blendMode = uint8_t(m);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kColumn; ++x) {
        const uint32_t s = uint32_t(x * 21) & 0xFF, t = uint32_t(255 - y * 4);
        layer->image().set(m * kColumn + x, y, 0xFF000000u | s << 16 | t << 8 | ((s + t) & 0xFF));
      }
  }
}

int columnDifference(const Image32& a, const Image32& b, int column) {
  int worst = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = column * kColumn; x < (column + 1) * kColumn; ++x)
      for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(int(a.at(x, y) >> shift & 0xFF) - int(b.at(x, y) >> shift & 0xFF)));
  return worst;
}

TEST(OraKrita, KritaRendersTesselFilesAndTesselOpensKritaFiles) {
  if (!haveKrita()) GTEST_SKIP() << "krita is not installed";
  if (!haveDisplay()) GTEST_SKIP() << "krita needs an X display (DISPLAY), for instance Xvfb";
  TempDir dir;
  Document doc;
  modeDocument(doc);
  ASSERT_TRUE(writeOra(dir.file("modes.ora"), doc, nullptr));
  ASSERT_TRUE(kritaExport(dir.file("modes.ora"), dir.file("krita.png")));
  Image32 theirs, ours;
  ImageReadInfo info;
  ASSERT_TRUE(readPng(dir.file("krita.png"), theirs, info));
  ASSERT_TRUE(doc.flatten(ours, nullptr, false));
  ASSERT_EQ(theirs.width(), ours.width());
  // Every mode within 2 levels, but Hue and Luminosity, whose out-of-gamut
  // colours the two programs bring back differently: within 3.
  std::string report;
  for (int m = 0; m <= 20; ++m) {
    const int diff = columnDifference(theirs, ours, m);
    report += " " + std::to_string(m) + ":" + std::to_string(diff);
    EXPECT_LE(diff, m == 17 || m == 20 ? 3 : 2) << "mode " << m;
  }
  std::printf("largest difference per mode:%s\n", report.c_str());

  // Krita's own file of that document, and of a PSD Tessel wrote.
  ASSERT_TRUE(kritaExport(dir.file("modes.ora"), dir.file("again.ora")));
  Document back;
  ASSERT_EQ(readOra(dir.file("again.ora"), back, nullptr), kReadOk);
  ASSERT_EQ(back.layerCount(), doc.layerCount());
  std::string lost;
  for (int i = 0; i < doc.layerCount(); ++i) {
    EXPECT_STREQ(back.layers().atIndex(i)->name, doc.layers().atIndex(i)->name);
    if (back.layers().atIndex(i)->blendMode != doc.layers().atIndex(i)->blendMode)
      lost += " " + std::to_string(doc.layers().atIndex(i)->blendMode);
  }
  EXPECT_EQ(lost, "") << "modes Krita did not keep";

  Document psd;
  ASSERT_TRUE(psd.newImage(40, 30, true));
  psd.currentLayer()->image().fill(0xFF336699u);
  ASSERT_TRUE(psd.newLayer(false));
  Layer* top = psd.currentLayer();
  top->image().fillRect(5, 5, 10, 10, 0xFFFF0000u);
  top->opacity = 64;
  top->blendMode = 1;
  psd.toggleVisible(0);
  ASSERT_TRUE(writePsd(dir.file("two.psd"), psd, nullptr));
  ASSERT_TRUE(kritaExport(dir.file("two.psd"), dir.file("two.ora")));
  Document fromKrita;
  ASSERT_EQ(readOra(dir.file("two.ora"), fromKrita, nullptr), kReadOk);
  ASSERT_EQ(fromKrita.layerCount(), 2);
  const Layer* k = fromKrita.layers().atIndex(0);
  EXPECT_STREQ(k->name, top->name);
  EXPECT_EQ(k->opacity, 64);
  EXPECT_EQ(k->blendMode, 1);
  EXPECT_FALSE(k->visible());
  EXPECT_EQ(k->image().at(6, 6), 0xFFFF0000u);
  EXPECT_EQ(fromKrita.layers().atIndex(1)->image().at(0, 0), 0xFF336699u);
}

}  // namespace
}  // namespace tessel
