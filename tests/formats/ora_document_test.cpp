#include "formats/ora_document.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/files/document_io.h"
#include "document/document.h"
#include "formats/image_loader.h"
#include "formats/native_document.h"
#include "formats/png_codec.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;

class NoProgress : public Progress {
 public:
  void setRange(int) override {}
  void step() override {}
};

struct LayerSpec {
  const char* name;
  int mode, opacity, mask;
  bool visible, fillReference;
};

// Random pixels, a quarter of them transparent (stored as transparent white).
void randomPixels(Image32& image, std::mt19937& rng, Rect area) {
  image.fill(kTransparent);
  for (int y = area.y; y < area.y + area.h; ++y)
    for (int x = area.x; x < area.x + area.w; ++x) {
      const uint32_t v = rng();
      image.set(x, y, (v & 3) == 0 ? kTransparent : (v | 0x01000000u));
    }
}

void buildDocument(Document& doc, int count, int firstOpacity, std::mt19937& rng) {
  ASSERT_TRUE(doc.newImage(9, 7, false));
  static const char* const kNames[] = {"背景", "线稿 1", "Layer <&\"'>", "上色", "影"};
  for (int i = 0; i < count; ++i) {
    Layer* layer = doc.layers().add(doc.width(), doc.height(), true);
    ASSERT_NE(layer, nullptr);
    layerNameFromUtf8(std::string(kNames[i % 5]) + std::to_string(i), layer->name);
    layer->blendMode = uint8_t(i % 21);
    layer->opacity = uint8_t((firstOpacity + i) % 129);
    layer->maskMode = uint8_t(i % 4);
    layer->flags = uint8_t((i % 3 ? kLayerVisible : 0) | (i % 5 == 0 ? kLayerFillReference : 0));
    // Empty, a corner, or the whole canvas: the PNGs are cut to these.
    const Rect area = i % 7 == 3 ? Rect{0, 0, 0, 0} : i % 2 ? Rect{2, 3, 4, 2} : Rect{0, 0, 9, 7};
    randomPixels(layer->image(), rng, area);
  }
  doc.layers().setNameCounter(count + 5);
  doc.selectLayer(count / 2);
}

void expectSameDocument(const Document& a, const Document& b) {
  ASSERT_EQ(a.width(), b.width());
  ASSERT_EQ(a.height(), b.height());
  ASSERT_EQ(a.layerCount(), b.layerCount());
  EXPECT_EQ(a.currentIndex(), b.currentIndex());
  EXPECT_EQ(a.layers().nameCounter(), b.layers().nameCounter());
  for (int i = 0; i < a.layerCount(); ++i) {
    const Layer* x = a.layers().atIndex(i);
    const Layer* y = b.layers().atIndex(i);
    EXPECT_STREQ(x->name, y->name) << i;
    EXPECT_EQ(x->blendMode, y->blendMode) << i;
    EXPECT_EQ(x->opacity, y->opacity) << i;
    EXPECT_EQ(x->maskMode, y->maskMode) << i;
    EXPECT_EQ(x->flags, y->flags) << i;
    EXPECT_EQ(std::memcmp(x->image().bits(), y->image().bits(), x->image().byteSize()), 0) << i;
  }
}

TEST(OraRoundTrip, OneTenAndHundredLayersKeepEveryByteAndAttribute) {
  TempDir dir;
  std::mt19937 rng(7);
  // 100 layers carry opacities 0-99, the 29 after them 100-128.
  const std::pair<int, int> cases[] = {{1, 128}, {10, 60}, {100, 0}, {29, 100}};
  for (auto [count, firstOpacity] : cases) {
    Document doc, back;
    buildDocument(doc, count, firstOpacity, rng);
    const std::string path = dir.file("rt" + std::to_string(count) + ".ora");
    ASSERT_TRUE(writeOra(path, doc, nullptr));
    ASSERT_EQ(readOra(path, back, nullptr), kReadOk);
    expectSameDocument(doc, back);
  }
}

// The zip's entries by name, with their bytes.
std::vector<std::pair<std::string, std::string>> zipEntries(const std::string& path) {
  std::vector<std::pair<std::string, std::string>> out;
  zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
  if (!z) return out;
  for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(z, zip_uint64_t(i), 0, &st);
    std::string data(size_t(st.size), '\0');
    zip_file_t* f = zip_fopen_index(z, zip_uint64_t(i), 0);
    zip_fread(f, data.data(), st.size);
    zip_fclose(f);
    out.emplace_back(st.name, data);
  }
  zip_discard(z);
  return out;
}

uint32_t be32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) << 24 | uint32_t(uint8_t(s[at + 1])) << 16 | uint32_t(uint8_t(s[at + 2])) << 8 |
         uint8_t(s[at + 3]);
}

TEST(OraWriter, MimetypeFirstAndStoredThenStackLayersMergedAndThumbnail) {
  TempDir dir;
  Document doc;
  ASSERT_TRUE(doc.newImage(600, 10, true));   // Layer0 stays empty
  Layer* top = doc.layers().add(600, 10, true);
  top->image().fill(kTransparent);
  top->image().set(5, 4, 0x80112233u);
  top->image().set(7, 6, 0xFF445566u);
  top->opacity = 64;
  top->blendMode = 10;   // linear burn: no svg name
  doc.selectLayer(0);
  const std::string path = dir.file("a.ora");
  ASSERT_TRUE(writeOra(path, doc, nullptr));

  const std::vector<uint8_t> raw = readBytes(path);
  ASSERT_GT(raw.size(), 54u);
  EXPECT_EQ(std::string(raw.begin(), raw.begin() + 4), "PK\x03\x04");
  EXPECT_EQ(raw[8] | raw[9] << 8, 0);                                        // stored
  EXPECT_EQ(std::string(raw.begin() + 30, raw.begin() + 38), "mimetype");
  EXPECT_EQ(raw[28] | raw[29] << 8, 0);                                      // no extra field
  EXPECT_EQ(std::string(raw.begin() + 38, raw.begin() + 54), "image/openraster");

  const auto entries = zipEntries(path);
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.first);
  EXPECT_EQ(names, (std::vector<std::string>{"mimetype", "stack.xml", "data/layer000.png", "data/layer001.png",
                                             "mergedimage.png", "Thumbnails/thumbnail.png"}));
  const std::string& xml = entries[1].second;
  EXPECT_NE(xml.find("<image version=\"0.0.5\" w=\"600\" h=\"10\""), std::string::npos);
  EXPECT_NE(xml.find("name=\"Layer1\" src=\"data/layer000.png\" x=\"5\" y=\"4\" opacity=\"0.5\" "
                     "visibility=\"visible\" composite-op=\"krita:linear_burn\" tessel:blend=\"linear-burn\""),
            std::string::npos);
  EXPECT_NE(xml.find("name=\"Layer0\" src=\"data/layer001.png\" x=\"0\" y=\"0\" opacity=\"1\" "
                     "visibility=\"visible\" composite-op=\"svg:src-over\"/>"),
            std::string::npos);
  // Cut to the two pixels' bounds; the empty layer as 1 x 1.
  EXPECT_EQ(be32(entries[2].second, 16), 3u);
  EXPECT_EQ(be32(entries[2].second, 20), 3u);
  EXPECT_EQ(be32(entries[3].second, 16), 1u);
  EXPECT_EQ(be32(entries[4].second, 16), 600u);
  EXPECT_EQ(be32(entries[5].second, 16), 256u);
  EXPECT_LE(be32(entries[5].second, 20), 256u);
}

// The bounds are searched sixteen pixels at a time from the left and pixel by
// pixel from the right, in flat layers and across tiles: a few pixels of any
// alpha anywhere.
TEST(OraWriter, LayersAreCutToTheBoundsOfTheirPaintedPixels) {
  TempDir dir;
  std::mt19937 rng(11);
  for (int trial = 0; trial < 24; ++trial) {
    Document doc;
    ASSERT_TRUE(doc.newImage(600, 70, true));
    Layer* top = doc.layers().add(600, 70, true);
    top->image().fill(kTransparent);
    top->image().set(int(rng() % 600), int(rng() % 70), 0x00123456u);   // no alpha: not painted
    int left = 600, right = -1, up = 70, down = -1;
    for (int n = 1 + int(rng() % 3); n > 0; --n) {
      const int x = int(rng() % 600), y = int(rng() % 70);
      top->image().set(x, y, (1 + rng() % 255) << 24 | 0x445566u);
      left = std::min(left, x), right = std::max(right, x), up = std::min(up, y), down = std::max(down, y);
    }
    if (trial % 2) {
      ASSERT_TRUE(top->park());
    }
    const std::string path = dir.file("b.ora");
    ASSERT_TRUE(writeOra(path, doc, nullptr));
    const auto entries = zipEntries(path);
    ASSERT_GE(entries.size(), 3u);
    const std::string at = "src=\"data/layer000.png\" x=\"" + std::to_string(left) + "\" y=\"" + std::to_string(up) + "\"";
    EXPECT_NE(entries[1].second.find(at), std::string::npos) << trial;
    EXPECT_EQ(be32(entries[2].second, 16), uint32_t(right - left + 1)) << trial;
    EXPECT_EQ(be32(entries[2].second, 20), uint32_t(down - up + 1)) << trial;
  }
}

// The merged image is made a block at a time, passing over blocks where a
// layer has no coverage: it must still be exactly what flattening gives,
// for every mode, opacity, hidden layers, idle (tiled) layers and edge blocks.
// Idle layers are written from their tiles and must read back the same.
TEST(OraWriter, MergedImageIsTheFlatteningWithAlpha) {
  TempDir dir;
  Document doc;
  ASSERT_TRUE(doc.newImage(150, 70, true));
  std::mt19937 rng(11);
  doc.currentLayer()->blendMode = 1;   // multiply at the bottom, over nothing in most blocks
  randomPixels(doc.currentLayer()->image(), rng, Rect{0, 0, 40, 30});
  for (int i = 0; i < 24; ++i) {
    Layer* layer = doc.layers().add(150, 70, true);
    ASSERT_NE(layer, nullptr);
    layer->blendMode = uint8_t(i % 21);
    layer->opacity = uint8_t(i == 5 ? 0 : (i * 37) % 129);
    if (i % 6 == 4) layer->flags = 0;
    const int x = int(rng() % 140), y = int(rng() % 60);
    const Rect area{x, y, std::min(150 - x, 1 + int(rng() % 70)), std::min(70 - y, 1 + int(rng() % 40))};
    randomPixels(layer->image(), rng, area);
    if (i % 2) {
      ASSERT_TRUE(layer->park());
    }
  }
  const std::string path = dir.file("m.ora");
  ASSERT_TRUE(writeOra(path, doc, nullptr));
  Image32 merged, flat;
  ImageReadInfo info;
  ASSERT_TRUE(readOraMerged(path, merged, info));
  ASSERT_TRUE(doc.flatten(flat, nullptr, true));
  flat.normaliseTransparent();
  ASSERT_EQ(merged.width(), 150);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 150; ++x) ASSERT_EQ(merged.at(x, y), flat.at(x, y)) << x << "," << y;
  // The idle layers were cut and written from their tiles.
  Document back;
  ASSERT_EQ(readOra(path, back, nullptr), kReadOk);
  expectSameDocument(doc, back);
}

// Replaces (or with an empty file name removes) one entry of a zip.
void replaceEntry(const std::string& zipPath, const char* name, const std::string& file) {
  zip_t* z = zip_open(zipPath.c_str(), 0, nullptr);
  ASSERT_NE(z, nullptr);
  if (file.empty()) {
    zip_delete(z, zip_uint64_t(zip_name_locate(z, name, 0)));
  } else {
    zip_source_t* source = zip_source_file(z, file.c_str(), 0, -1);
    ASSERT_GE(zip_file_add(z, name, source, ZIP_FL_OVERWRITE), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

std::string solidPng(const TempDir& dir, const char* name, int w, int h, Pixel colour) {
  Image32 image;
  image.create(w, h);
  image.fill(colour);
  const std::string file = dir.file(name);
  writePng(image, file, 6, true, -1);
  return file;
}

// The viewer's and the command line's picture: the stored thumbnail while it
// is good and large enough, then the merged image, then the layers.
TEST(OraThumbnail, StoredThumbnailThenMergedImageThenLayers) {
  TempDir dir;
  Document doc;
  ASSERT_TRUE(doc.newImage(600, 400, true));
  doc.currentLayer()->image().fill(0xFFFF0000u);
  const std::string path = dir.file("t.ora");
  ASSERT_TRUE(writeOra(path, doc, nullptr));
  replaceEntry(path, "Thumbnails/thumbnail.png", solidPng(dir, "green.png", 256, 170, 0xFF00FF00u));
  replaceEntry(path, "mergedimage.png", solidPng(dir, "blue.png", 600, 400, 0xFF0000FFu));

  Image32 thumb, picture;
  int w = 0, h = 0;
  ASSERT_TRUE(loadThumbnailImage(path, 90, thumb));   // the image viewer's way in
  EXPECT_EQ(thumb.width(), 90);
  EXPECT_NEAR(thumb.height(), 60, 1);   // the stored thumbnail's rounding
  EXPECT_EQ(thumb.at(45, 30), 0xFF00FF00u);
  ASSERT_TRUE(readOraPicture(path, 256, picture, w, h));
  EXPECT_EQ(picture.at(0, 0), 0xFF00FF00u);
  EXPECT_EQ(w, 600);
  EXPECT_EQ(h, 400);
  // Too small for the side asked: the merged image.
  ASSERT_TRUE(readOraPicture(path, 300, picture, w, h));
  EXPECT_EQ(picture.width(), 600);
  EXPECT_EQ(picture.at(0, 0), 0xFF0000FFu);
  // A thumbnail of another shape, then a damaged one, are passed over.
  replaceEntry(path, "Thumbnails/thumbnail.png", solidPng(dir, "square.png", 100, 100, 0xFF00FF00u));
  ASSERT_TRUE(readOraPicture(path, 64, picture, w, h));
  EXPECT_EQ(picture.at(0, 0), 0xFF0000FFu);
  testing::writeBytes(dir.file("bad.png"), {0x89, 'P', 'N', 'G', 1, 2, 3});
  replaceEntry(path, "Thumbnails/thumbnail.png", dir.file("bad.png"));
  ASSERT_TRUE(readOraThumbnail(path, 64, thumb));
  EXPECT_EQ(thumb.at(0, 0), 0xFF0000FFu);
  // Neither thumbnail nor a usable merged image: the layers themselves.
  replaceEntry(path, "Thumbnails/thumbnail.png", "");
  replaceEntry(path, "mergedimage.png", solidPng(dir, "wrong.png", 60, 40, 0xFF0000FFu));
  ASSERT_TRUE(readOraThumbnail(path, 64, thumb));
  EXPECT_EQ(thumb.at(10, 10), 0xFFFF0000u);
}

TEST(OraModes, EveryModeHasOneNameAndForeignNamesMap) {
  for (int m = 0; m <= 20; ++m) EXPECT_EQ(blendModeFromOraOp(oraOpFromBlendMode(m)), m) << m;
  EXPECT_STREQ(oraOpFromBlendMode(1), "svg:multiply");
  EXPECT_STREQ(oraOpFromBlendMode(20), "svg:luminosity");
  EXPECT_EQ(blendModeFromOraOp("svg:dst-out"), 0);
  EXPECT_EQ(blendModeFromOraOp("krita:greater"), 0);
  EXPECT_EQ(blendModeFromOraOp(""), 0);
  EXPECT_EQ(blendModeFromOraOp("tessel:pin-light"), 13);
}

// ---- files put together by hand

std::string pngBytes(const TempDir& dir, int w, int h, Pixel fill) {
  Image32 image;
  image.create(w, h);
  image.fill(fill);
  const std::string path = dir.file("p.png");
  writePng(image, path, 6, true, -1);
  const std::vector<uint8_t> bytes = readBytes(path);
  std::remove(path.c_str());
  return std::string(bytes.begin(), bytes.end());
}

void writeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& entries) {
  zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, nullptr);
  ASSERT_NE(z, nullptr);
  for (const auto& [name, data] : entries) {
    zip_source_t* s = zip_source_buffer(z, data.data(), data.size(), 0);
    ASSERT_GE(zip_file_add(z, name.c_str(), s, ZIP_FL_ENC_UTF_8), 0);
  }
  ASSERT_EQ(zip_close(z), 0);
}

std::string stackXml(int w, int h, const std::string& body) {
  return "<?xml version='1.0' encoding='UTF-8'?>\n<image w=\"" + std::to_string(w) + "\" h=\"" + std::to_string(h) +
         "\"><stack>" + body + "</stack></image>";
}

TEST(OraReader, StacksPlacementNamesAndUnknownOps) {
  TempDir dir;
  const std::string red = pngBytes(dir, 2, 2, 0xFFFF0000u), grey = pngBytes(dir, 4, 4, 0xFF808080u);
  const std::string body =
      "<layer name=\"顶\" src=\"data/r.png\" x=\"-1\" y=\"3\" composite-op=\"svg:weird\" opacity=\"0.25\"/>"
      "<stack name=\"off\" visibility=\"hidden\" opacity=\"0.5\">"
      "  <layer name=\"inner\" src=\"data/r.png\" opacity=\"0.5\" composite-op=\"svg:screen\"/></stack>"
      "<stack name=\"mul\" composite-op=\"svg:multiply\" isolation=\"isolate\">"
      "  <layer name=\"a\" src=\"data/r.png\"/><layer name=\"b\" src=\"data/g.png\"/></stack>"
      "<!-- bottom --><layer name=\"x &amp; &#x4E00;\" src=\"data/g.png\" selected=\"true\"/>";
  writeZip(dir.file("g.ora"), {{"mimetype", "image/openraster"},
                               {"stack.xml", stackXml(4, 4, body)},
                               {"data/r.png", red},
                               {"data/g.png", grey}});
  Document doc;
  ASSERT_EQ(readOra(dir.file("g.ora"), doc, nullptr), kReadOk);
  ASSERT_EQ(doc.layerCount(), 4);
  const Layer* top = doc.layers().atIndex(0);
  char name[kLayerNameBytes];
  layerNameFromUtf8("顶", name);
  EXPECT_STREQ(top->name, name);
  EXPECT_EQ(top->blendMode, 0);
  EXPECT_EQ(top->opacity, 32);
  EXPECT_EQ(top->image().at(0, 3), 0xFFFF0000u);   // x = -1 cut at the left edge
  EXPECT_EQ(top->image().at(1, 3), kTransparent);
  EXPECT_EQ(top->image().at(0, 2), kTransparent);
  const Layer* hidden = doc.layers().atIndex(1);
  EXPECT_STREQ(hidden->name, "inner");
  EXPECT_FALSE(hidden->visible());
  EXPECT_EQ(hidden->opacity, 32);                 // 0.5 of a 0.5 stack
  EXPECT_EQ(hidden->blendMode, 4);
  const Layer* group = doc.layers().atIndex(2);   // red over grey, as one Multiply layer
  EXPECT_STREQ(group->name, "mul");
  EXPECT_EQ(group->blendMode, 1);
  EXPECT_EQ(group->image().at(0, 0), 0xFFFF0000u);
  EXPECT_EQ(group->image().at(3, 3), 0xFF808080u);
  layerNameFromUtf8("x & 一", name);
  EXPECT_STREQ(doc.layers().atIndex(3)->name, name);
  EXPECT_EQ(doc.currentIndex(), 3);
  EXPECT_EQ(doc.layers().nameCounter(), 4);
}

TEST(OraReader, BadFilesEndInAMessageAndLeaveTheOpenDocument) {
  TempDir dir;
  const std::string png = pngBytes(dir, 2, 2, 0xFF00FF00u);
  // A PNG header that claims 5000 x 5000, and one whose data inflates far past its 8 x 8.
  std::string huge = pngBytes(dir, 1, 1, 0xFF000000u);
  huge[16] = 0, huge[17] = 0, huge[18] = 0x13, huge[19] = char(0x88);
  huge[20] = 0, huge[21] = 0, huge[22] = 0x13, huge[23] = char(0x88);
  std::string bomb = pngBytes(dir, 8, 8, 0xFF000000u);
  bomb.append(size_t(40) << 20, '\0');
  const std::string ok = stackXml(8, 8, "<layer src=\"data/a.png\"/>");
  std::string layers;
  for (int i = 0; i < 101; ++i) layers += "<layer src=\"data/a.png\"/>";
  const std::string hundredAndOne = stackXml(8, 8, layers);
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> entries;
    int code;
  };
  const std::vector<Case> cases = {
      {"no stack.xml", {{"mimetype", "image/openraster"}, {"data/a.png", png}}, kReadFormatError},
      {"missing src", {{"stack.xml", stackXml(8, 8, "<layer src=\"data/b.png\"/>")}, {"data/a.png", png}},
       kReadFormatError},
      {"climbing src", {{"stack.xml", stackXml(8, 8, "<layer src=\"data/../../a.png\"/>")}, {"data/a.png", png}},
       kReadFormatError},
      {"huge layer", {{"stack.xml", ok}, {"data/a.png", huge}}, kReadTooLarge},
      {"zip bomb", {{"stack.xml", ok}, {"data/a.png", bomb}}, kReadFormatError},
      {"entities",
       {{"stack.xml", "<!DOCTYPE x [<!ENTITY a \"aaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;\">]>" + ok},
        {"data/a.png", png}},
       kReadFormatError},
      {"undeclared entity", {{"stack.xml", stackXml(8, 8, "<layer name=\"&b;\" src=\"data/a.png\"/>")}}, kReadFormatError},
      {"canvas 4501", {{"stack.xml", stackXml(4501, 8, "<layer src=\"data/a.png\"/>")}, {"data/a.png", png}},
       kReadTooLarge},
      {"canvas 0", {{"stack.xml", stackXml(0, 8, "<layer src=\"data/a.png\"/>")}, {"data/a.png", png}},
       kReadFormatError},
      {"no layers", {{"stack.xml", stackXml(8, 8, "")}}, kReadFormatError},
      {"unclosed", {{"stack.xml", "<image w=\"8\" h=\"8\"><stack><layer src=\"data/a.png\">"}, {"data/a.png", png}},
       kReadFormatError},
      {"not a png", {{"stack.xml", ok}, {"data/a.png", "GIF89a........................"}}, kReadFormatError},
      {"101 layers", {{"stack.xml", hundredAndOne}, {"data/a.png", png}}, kReadFailed},
  };
  for (const Case& c : cases) {
    const std::string path = dir.file("bad.ora");
    writeZip(path, c.entries);
    Document doc;
    ASSERT_TRUE(doc.newImage(30, 20, true));
    doc.currentLayer()->image().fill(0xFF123456u);
    NoProgress progress;
    LoadOutcome outcome;
    EXPECT_EQ(loadFile(builtinFormats(), path, doc, progress, outcome), c.code) << c.what;
    EXPECT_FALSE(loadResultMessage(c.code).empty());
    EXPECT_EQ(doc.width(), 30) << c.what;
    ASSERT_EQ(doc.layerCount(), 1) << c.what;
    EXPECT_EQ(doc.currentLayer()->image().at(29, 19), 0xFF123456u) << c.what;
  }
  // Not a zip at all, a truncated one, and no file.
  Document doc, source;
  ASSERT_TRUE(doc.newImage(30, 20, true));
  ASSERT_TRUE(source.newImage(40, 40, true));
  ASSERT_TRUE(writeOra(dir.file("whole.ora"), source, nullptr));
  std::vector<uint8_t> bytes = readBytes(dir.file("whole.ora"));
  bytes.resize(bytes.size() / 2);
  testing::writeBytes(dir.file("cut.ora"), bytes);
  testing::writeBytes(dir.file("text.ora"), {'h', 'e', 'l', 'l', 'o'});
  EXPECT_EQ(readOra(dir.file("cut.ora"), doc, nullptr), kReadFormatError);
  EXPECT_EQ(readOra(dir.file("text.ora"), doc, nullptr), kReadFormatError);
  EXPECT_EQ(readOra(dir.file("none.ora"), doc, nullptr), kReadCannotOpen);
  EXPECT_EQ(doc.width(), 30);
}

TEST(OraTable, OpenSaveLoaderAndThumbnailTakeOra) {
  TempDir dir;
  Document doc, back;
  ASSERT_TRUE(doc.newImage(300, 100, true));
  doc.currentLayer()->image().fill(0xFF204060u);
  NoProgress progress;
  ImageSaveOptions options;
  ASSERT_TRUE(saveFile(builtinFormats(), dir.file("t.ORA"), doc, progress, options));
  LoadOutcome outcome;
  ASSERT_EQ(loadFile(builtinFormats(), dir.file("t.ORA"), back, progress, outcome), kReadOk);
  EXPECT_EQ(back.width(), 300);
  Image32 merged, thumb;
  ImageReadInfo info;
  ASSERT_TRUE(loadImage(dir.file("t.ORA"), merged, info));
  EXPECT_EQ(merged.at(299, 99), 0xFF204060u);
  ASSERT_TRUE(loadThumbnailImage(dir.file("t.ORA"), 64, thumb));
  EXPECT_EQ(thumb.width(), 64);
  EXPECT_EQ(thumb.height(), 21);
  const int last = saveFormatCount() - 1;
  EXPECT_STREQ(saveFormatExtension(last), "ora");
  EXPECT_STREQ(saveFormatLabel(last), "OpenRaster(*.ora)");
  EXPECT_NE(openFileFilter().find("*.vrw *.ora);;OpenRaster(*.ora);;"), std::string::npos);
}

}  // namespace
}  // namespace tessel
