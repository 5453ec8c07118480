#include "app/files/document_info.h"

#include <gtest/gtest.h>

#include "document/document.h"
#include "formats/native_builder.h"
#include "formats/native_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

TEST(DocumentInfo, ListsLayersFromTheTopWithUtf8Names) {
  Document doc;
  ASSERT_TRUE(doc.newImage(20, 10, true));
  ASSERT_TRUE(doc.newLayer(false));
  Layer& top = *doc.layers().atIndex(0);
  top.setNameBytes("\xCD\xBC\xB2\xE3\"\\\x01");   // GBK "图层", a quote, a backslash, a control byte
  top.blendMode = 14;
  top.opacity = 64;
  top.maskMode = 3;
  top.flags = kLayerFillReference;
  doc.selectLayer(1);
  EXPECT_EQ(documentInfoJson(doc),
            "{\"width\":20,\"height\":10,\"current\":1,\"nameCounter\":2,\"layers\":["
            "{\"name\":\"图层\\\"\\\\\\u0001\",\"blend\":14,\"opacity\":64,\"mask\":3,\"visible\":false,"
            "\"fillReference\":true},"
            "{\"name\":\"Layer0\",\"blend\":0,\"opacity\":128,\"mask\":0,\"visible\":true,\"fillReference\":false}]}");
}

// The headers-only summary says what a full read would, for whole, broken
// and cut files alike.
std::string fullReadJson(const std::string& path, int& code) {
  Document doc;
  code = readDocument(path, doc, nullptr);
  return documentInfoJson(doc);
}

TEST(DocumentSummary, MatchesAFullReadForWholeBrokenAndCutFiles) {
  using namespace testing;
  TempDir dir;
  NativeFileLayout layout;
  layout.width = 5;
  layout.height = 4;
  layout.nameCounter = 7;
  layout.current = 2;
  NativeLayerSpec a, b, c;
  a.name = "\xCD\xBC";
  a.pixels.assign(20, 0xFF112233);
  a.sizeDelta = 4;   // overstated: the next record starts where the stream ended
  b.blend = 30;
  b.opacity = 200;
  b.flags = 0x1B;
  b.pixels.assign(20, 0x00FFFFFF);
  c.pixels.assign(20, 0x80402010);
  layout.layers = {a, b, c};
  std::vector<uint8_t> whole = buildNative(layout);
  for (size_t n = 0; n <= whole.size(); ++n) {
    std::string path = dir.file("cut.tsd");
    writeBytes(path, std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)));
    DocumentSummary summary;
    int fullCode = 0;
    std::string full = fullReadJson(path, fullCode);
    int code = readDocumentSummary(path, summary);
    ASSERT_EQ(code, fullCode) << n;
    DocumentSummary checked;
    ASSERT_EQ(readDocumentSummary(path, checked, true), fullCode) << n;
    EXPECT_EQ(documentInfoJson(checked), documentInfoJson(summary)) << n;
    if (code == kReadOk || code == kReadDecompressFailed) {
      EXPECT_EQ(documentInfoJson(summary), full) << n;
    }
  }
  NativeLayerSpec understated = b;
  understated.sizeDelta = -3;
  layout.layers = {a, understated, c};
  writeBytes(dir.file("u.tsd"), buildNative(layout));
  DocumentSummary summary;
  int fullCode = 0;
  std::string full = fullReadJson(dir.file("u.tsd"), fullCode);
  EXPECT_EQ(readDocumentSummary(dir.file("u.tsd"), summary), kReadDecompressFailed);
  EXPECT_EQ(summary.layers.size(), 2u);
  EXPECT_EQ(documentInfoJson(summary), full);
}

// A stream whose sizes add up but whose check sum is wrong passes the header
// walk; checking the streams finds it as Open would.
TEST(DocumentSummary, BrokenStreamInsideIsFoundWhenStreamsAreChecked) {
  using namespace testing;
  TempDir dir;
  NativeFileLayout layout;
  layout.width = 5;
  layout.height = 4;
  NativeLayerSpec good, bad;
  good.pixels.assign(20, 0xFF010203);
  bad.stream = {0x78, 0x01, 0x01, 80, 0, 0xAF, 0xFF};   // one stored block of 80 bytes
  bad.stream.insert(bad.stream.end(), 80, 0x11);
  bad.stream.insert(bad.stream.end(), {0, 0, 0, 0});    // wrong Adler-32
  layout.layers = {good, bad, good};
  std::string path = dir.file("bad.tsd");
  writeBytes(path, buildNative(layout));
  DocumentSummary quick, checked;
  EXPECT_EQ(readDocumentSummary(path, quick), kReadOk);
  EXPECT_EQ(quick.layers.size(), 3u);
  int fullCode = 0;
  std::string full = fullReadJson(path, fullCode);
  EXPECT_EQ(fullCode, kReadDecompressFailed);
  EXPECT_EQ(readDocumentSummary(path, checked, true), kReadDecompressFailed);
  EXPECT_EQ(documentInfoJson(checked), full);
}

TEST(DocumentSummary, RefusesWhatTheReaderRefuses) {
  using namespace testing;
  TempDir dir;
  NativeFileLayout layout;
  layout.width = 1;
  layout.height = 1;
  layout.layers.assign(101, NativeLayerSpec{});
  writeBytes(dir.file("many.tsd"), buildNative(layout));
  DocumentSummary summary;
  EXPECT_EQ(readDocumentSummary(dir.file("many.tsd"), summary), kReadOutOfMemory);
  layout.layers.assign(1, NativeLayerSpec{});
  layout.width = 4501;
  writeBytes(dir.file("wide.tsd"), buildNative(layout));
  EXPECT_EQ(readDocumentSummary(dir.file("wide.tsd"), summary), kReadTooLarge);
  EXPECT_EQ(readDocumentSummary(dir.file("none.tsd"), summary), kReadCannotOpen);
}

}  // namespace
}  // namespace tessel
