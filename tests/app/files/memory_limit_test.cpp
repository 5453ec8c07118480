// The program within a fixed address space: a large sparse document still
// opens, paints and saves, and one that cannot fit ends in the memory message
// with the open document kept. Each case runs in a child process whose
// address space is capped (not under the sanitizers, which reserve terabytes).
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdlib>
#include <fstream>

#include "app/fake_shell.h"
#include "app/files/messages.h"
#include "app/files/open_save.h"
#include "app/scripted_stroke.h"
#include "document/document.h"
#include "draw/input/canvas_input_fixture.h"
#include "formats/native_builder.h"
#include "formats/native_document.h"
#include "formats/psd_builder.h"
#include "formats/psd_document.h"
#include "formats/temp_dir.h"
#include "formats/tile_deflate.h"
#include "filters/image_ops.h"
#include "image/tiled_image.h"
#include "undo/undo_history.h"

#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_UNDER_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define TESSEL_UNDER_SANITIZER 1
#endif
#endif

namespace tessel {
namespace {

using testing::FakeHistory;
using testing::FakeShell;
using testing::TempDir;

constexpr int kSide = 4500;

Pixel patchPixel(int x, int y) { return 0xFF000000u | uint32_t(x / 4) << 8 | uint32_t(y / 4 % 256); }

void limitAddressSpace(size_t bytes) {
  rlimit r{bytes, bytes};
  if (setrlimit(RLIMIT_AS, &r) != 0) std::_Exit(90);
}

// A kSide x kSide layer stream; paint(flat) draws on a transparent canvas.
template <class Paint>
std::vector<uint8_t> layerStream(Paint paint) {
  Image32 flat;
  EXPECT_TRUE(flat.create(kSide, kSide));
  flat.fill(kTransparent);
  paint(flat);
  TiledImage tiles;
  EXPECT_TRUE(tiles.assign(flat));
  std::vector<uint8_t> out;
  deflateTiles(tiles, 6, [&](const uint8_t* b, size_t n) {
    out.insert(out.end(), b, b + n);
    return true;
  });
  return out;
}

// Address space in use now, from the kernel's account.
size_t addressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  std::string key;
  size_t kb = 0;
  while (status >> key)
    if (key == "VmSize:" && status >> kb) return kb << 10;
  return 0;
}

// Pressing a tool on a parked layer that cannot be made flat for want of
// memory says so and leaves the layer as it was.
void pressOnALayerThatCannotBeMadeFlat() {
  InputRig rig(kSide, kSide);
  for (int y = 100; y < 200; ++y)
    for (int x = 100; x < 200; ++x) rig.layer().set(x, y, patchPixel(x, y));
  if (!rig.doc.newLayer(false)) std::_Exit(1);
  rig.doc.selectLayer(1);   // the painted layer again, parked until a tool needs it flat
  if (!rig.doc.currentLayer()->parked()) std::_Exit(2);
  int messages = 0;
  rig.input.hooks.outOfMemory = [&] { ++messages; };
  rig.input.selectTool(kToolPen);
  limitAddressSpace(addressSpaceInUse() + (size_t(40) << 20));
  rig.press(150, 150);
  rig.moveTo(300, 300);
  rig.release();
  if (messages != 1 || rig.input.dragging()) std::_Exit(3);
  const Layer& layer = *rig.doc.currentLayer();
  if (layer.pixel(150, 150) != patchPixel(150, 150) || layer.pixel(300, 300) != kTransparent) std::_Exit(4);
  std::_Exit(0);
}

class MemoryLimitTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef TESSEL_UNDER_SANITIZER
    GTEST_SKIP() << "address-space limits do not apply under the sanitizers";
#endif
    GTEST_FLAG_SET(death_test_style, "fast");
    ASSERT_TRUE(doc.newImage(30, 20, true));
    doc.currentLayer()->image().fill(0xFF112233);
    settings.optFlag = 0;
    flow.setPauses(0, 0);
  }
  // count layers of kSide x kSide, each holding stream.
  std::string writeLayers(const char* name, int count, const std::vector<uint8_t>& stream) {
    testing::NativeFileLayout layout;
    layout.width = layout.height = kSide;
    layout.layers.resize(size_t(count));
    for (testing::NativeLayerSpec& l : layout.layers) l.stream = stream;
    testing::writeBytes(dir.file(name), testing::buildNative(layout));
    return dir.file(name);
  }

  // In the child: each step's failure exits with its own status.
  void openPaintAndSave(const std::string& big, const std::string& out) {
    limitAddressSpace(size_t(1500) << 20);
    if (!flow.openFile(big) || doc.layerCount() != 100) std::_Exit(1);
    ScriptedStroke stroke;
    stroke.tool = kToolPen;
    stroke.size = 30;
    stroke.colour = 0x3366CC;
    stroke.layer = 50;
    stroke.samples = {{100, 100, 1.f}, {4400, 4300, 1.f}, {200, 4000, 1.f}};
    if (!runScriptedStroke(doc, stroke)) std::_Exit(2);
    // Whole-document changes go layer by layer through tiles, their undo
    // record too: a canvas size change to 4400 wide (left edge kept), then a
    // quarter turn clockwise.
    UndoHistory undo(doc, dir.path());
    doc.setRecorder(&undo);
    if (!changeCanvasSize(doc, 4400, kSide, CanvasAnchor{0, 0}, CanvasFill::Transparent, 0, nullptr)) std::_Exit(4);
    if (!rotateDocument(doc, false, nullptr)) std::_Exit(5);
    std::_Exit(writeDocument(out, doc, nullptr) ? 0 : 3);
  }
  void openBeyondTheLimit(const std::string& full, const std::string& small) {
    limitAddressSpace(size_t(600) << 20);
    if (flow.openFile(full)) std::_Exit(1);
    if (shell.messages.empty() || shell.messages.back() != std::string(kMsgMemoryError) + "\nfull.tsd")
      std::_Exit(2);
    if (doc.width() != 30 || doc.layerCount() != 1 || flow.currentPath() != small) std::_Exit(3);
    if (doc.currentLayer()->image().at(5, 5) != 0xFF112233u) std::_Exit(4);
    // The open document still works: a stroke on it succeeds.
    ScriptedStroke stroke;
    stroke.tool = kToolPen;
    stroke.samples = {{1, 1, 1.f}, {25, 15, 1.f}};
    std::_Exit(runScriptedStroke(doc, stroke) ? 0 : 5);
  }

  TempDir dir;
  Document doc;
  Settings settings;
  FakeShell shell;
  FakeHistory history;
  OpenSaveFlow flow{doc, settings, shell, history};
};

TEST_F(MemoryLimitTest, AHundredSparseLayersOpenPaintResizeTurnAndSaveIn1500MB) {
  // A 500 x 500 patch on each layer: 100 flat layers would need 8 GB.
  const std::string big = writeLayers("big.tsd", 100, layerStream([](Image32& flat) {
    for (int y = 2000; y < 2500; ++y)
      for (int x = 1000; x < 1500; ++x) flat.set(x, y, patchPixel(x, y));
  }));
  const std::string out = dir.file("out.tsd");
  EXPECT_EXIT(openPaintAndSave(big, out), ::testing::ExitedWithCode(0), "");
  Document back;
  ASSERT_EQ(readDocument(out, back, nullptr), kReadOk);
  ASSERT_EQ(back.layerCount(), 100);
  ASSERT_EQ(back.width(), kSide);
  ASSERT_EQ(back.height(), 4400);
  // Turned clockwise, (x, y) went to (4499 - y, x).
  EXPECT_EQ(back.layers().atIndex(50)->pixel(4399, 100), 0xFF3366CCu);   // where the stroke began
  EXPECT_EQ(back.layers().atIndex(51)->pixel(4399, 100), kTransparent);
  EXPECT_EQ(back.layers().atIndex(49)->pixel(2399, 1200), patchPixel(1200, 2100));
}

TEST_F(MemoryLimitTest, AHundredSparsePsdLayersOpenIn1500MB) {
  // Each layer a 500 x 500 record of one colour, every tenth clipped to the one below.
  auto zipped = [](uint8_t v) {
    std::vector<uint8_t> plane(500 * 500, v), out(compressBound(plane.size()));
    uLongf n = out.size();
    EXPECT_EQ(compress(out.data(), &n, plane.data(), plane.size()), Z_OK);
    out.resize(n);
    return testing::PsdChannelDesc{0, 2, out};
  };
  testing::PsdFileDesc file;
  file.width = file.height = kSide;
  for (int i = 0; i < 100; ++i) {
    testing::PsdLayerDesc l;
    l.left = 40 * i, l.top = 30 * i, l.right = l.left + 500, l.bottom = l.top + 500;
    for (int16_t c = -1; c < 3; ++c) {
      l.channels.push_back(zipped(c < 0 ? 255 : uint8_t(i + c)));
      l.channels.back().id = c;
    }
    l.clipping = i % 10 == 9;
    file.layers.push_back(l);
  }
  const std::string psd = dir.file("big.psd");
  testing::writeBytes(psd, testing::buildPsd(file));
  // 100 flat layers would need 8 GB.
  EXPECT_EXIT(
      {
        limitAddressSpace(size_t(1500) << 20);
        Document d;
        if (readPsdLayers(psd, d, nullptr) != kReadOk || d.layerCount() != 100) std::_Exit(1);
        // Layers come top first: index 99 is the file's first record.
        const Layer& first = *d.layers().atIndex(99);
        if (first.pixel(10, 10) != makePixel(255, 0, 1, 2) || first.pixel(500, 10) != kTransparent) std::_Exit(2);
        // Record 9 lies clipped on record 8, which covers all of it but an L-shaped strip.
        const Layer& clipped = *d.layers().atIndex(90);
        if (clipped.pixel(400, 300) != makePixel(255, 9, 10, 11) || clipped.pixel(840, 750) != kTransparent)
          std::_Exit(3);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST_F(MemoryLimitTest, ADocumentBeyond600MBEndsInTheMemoryMessageAndKeepsTheOpenOne) {
  // Ten opaque layers: 810 MB of pixels however they are kept.
  const std::string full = writeLayers("full.tsd", 10, layerStream([](Image32& flat) { flat.fill(0xFF808080); }));
  const std::string small = dir.file("small.tsd");
  ASSERT_TRUE(writeDocument(small, doc, nullptr));
  ASSERT_TRUE(flow.openFile(small));
  EXPECT_EXIT(openBeyondTheLimit(full, small), ::testing::ExitedWithCode(0), "");
}

TEST_F(MemoryLimitTest, APressOnALayerThatCannotBeMadeFlatSaysSo) {
  EXPECT_EXIT(pressOnALayerThatCannotBeMadeFlat(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tessel
