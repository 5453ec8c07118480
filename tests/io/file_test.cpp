#include "io/file.h"

#include <gtest/gtest.h>

#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

TEST(FileIntegers, LittleAndBigEndianWritesLayBytesInOrder) {
  TempDir dir;
  std::string path = dir.file("ints.bin");
  File f;
  ASSERT_TRUE(f.create(path));
  EXPECT_TRUE(f.writeU16LE(0x1234));
  EXPECT_TRUE(f.writeU32LE(0xA1B2C3D4));
  EXPECT_TRUE(f.writeU16BE(0x1234));
  EXPECT_TRUE(f.writeU32BE(0xA1B2C3D4));
  EXPECT_TRUE(f.writeU8(0xEE));
  f.close();
  std::vector<uint8_t> expected = {0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1, 0x12, 0x34, 0xA1, 0xB2, 0xC3, 0xD4, 0xEE};
  EXPECT_EQ(readBytes(path), expected);

  ASSERT_TRUE(f.openRead(path));
  uint16_t a = 0, c = 0;
  uint32_t b = 0, d = 0;
  uint8_t e = 0;
  EXPECT_TRUE(f.readU16LE(a) && f.readU32LE(b) && f.readU16BE(c) && f.readU32BE(d) && f.readU8(e));
  EXPECT_EQ(a, 0x1234);
  EXPECT_EQ(b, 0xA1B2C3D4u);
  EXPECT_EQ(c, 0x1234);
  EXPECT_EQ(d, 0xA1B2C3D4u);
  EXPECT_EQ(e, 0xEE);
}

TEST(FileIntegers, ShortReadsFailAndLeaveTheValue) {
  TempDir dir;
  std::string path = dir.file("short.bin");
  writeBytes(path, {1, 2, 3});
  File f;
  ASSERT_TRUE(f.openRead(path));
  uint32_t v = 77;
  EXPECT_FALSE(f.readU32LE(v));
  EXPECT_EQ(v, 77u);
  ASSERT_TRUE(f.seek(2));
  uint16_t w = 5;
  EXPECT_FALSE(f.readU16BE(w));
  EXPECT_EQ(w, 5);
  uint8_t buffer[8];
  ASSERT_TRUE(f.seek(0));
  EXPECT_EQ(f.read(buffer, 8), 3u);
}

TEST(FileSkip, RefusesToPassTheEnd) {
  TempDir dir;
  std::string path = dir.file("skip.bin");
  writeBytes(path, std::vector<uint8_t>(10, 0));
  File f;
  ASSERT_TRUE(f.openRead(path));
  EXPECT_TRUE(f.skip(4));
  EXPECT_EQ(f.position(), 4);
  EXPECT_TRUE(f.skip(6));
  EXPECT_FALSE(f.skip(1));
  EXPECT_FALSE(f.skip(-1));
  EXPECT_EQ(f.position(), 10);
}

TEST(FileOpen, MissingFilesAndFoldersDoNotOpen) {
  TempDir dir;
  File f;
  EXPECT_FALSE(f.openRead(dir.file("nothing.tsd")));
  EXPECT_FALSE(f.openRead(dir.path()));
  EXPECT_FALSE(f.create(dir.file("no/such/folder.tsd")));
  EXPECT_EQ(f.read(nullptr, 0), 0u);
  EXPECT_FALSE(f.writeU8(1));
}

TEST(FileWriteBudget, WritesStopAfterTheBudget) {
  TempDir dir;
  File f;
  ASSERT_TRUE(f.create(dir.file("budget.bin")));
  f.failWritesAfter(5);
  EXPECT_TRUE(f.writeU32LE(1));
  EXPECT_FALSE(f.writeU32LE(2));   // only one byte of it fits
  EXPECT_FALSE(f.writeU8(3));
  EXPECT_EQ(f.size(), 5);
}

TEST(SaveReplacing, FailureKeepsTheEarlierFileAndLeavesNoTemporary) {
  TempDir dir;
  std::string path = dir.file("doc.tsd");
  writeBytes(path, {9, 8, 7});
  EXPECT_FALSE(saveReplacing(path, [](File& f) { return f.writeU32LE(1) && false; }));
  EXPECT_EQ(readBytes(path), (std::vector<uint8_t>{9, 8, 7}));
  EXPECT_EQ(dir.files().size(), 1u);

  EXPECT_TRUE(saveReplacing(path, [](File& f) { return f.writeU16LE(0x0201); }));
  EXPECT_EQ(readBytes(path), (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(dir.files().size(), 1u);
}

TEST(SaveReplacing, MissingFolderFails) {
  TempDir dir;
  EXPECT_FALSE(saveReplacing(dir.file("none/doc.tsd"), [](File&) { return true; }));
}

TEST(FileNames, ExtensionFolderAndBaseName) {
  EXPECT_EQ(fileExtension("/a/b.c/pic.TSD"), "TSD");
  EXPECT_EQ(fileExtension("/a/b.c/pic"), "");
  EXPECT_EQ(fileExtension("x.tar.gz"), "gz");
  EXPECT_EQ(folderOf("/a/b/pic.tsd"), "/a/b");
  EXPECT_EQ(folderOf("/pic.tsd"), "/");
  EXPECT_EQ(folderOf("pic.tsd"), "");
  EXPECT_EQ(fileNameOf("/a/b/pic.tsd"), "pic.tsd");
  EXPECT_EQ(baseNameOf("/a/b/pic.v2.tsd"), "pic.v2");
  EXPECT_TRUE(equalsIgnoreCase("JPG", "jpg"));
  EXPECT_FALSE(equalsIgnoreCase("jpeg", "jpg"));
}

}  // namespace
}  // namespace tessel
