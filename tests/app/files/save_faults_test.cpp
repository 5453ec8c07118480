#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <random>

#include "app/files/document_io.h"
#include "app/fake_shell.h"
#include "app/files/messages.h"
#include "app/files/open_save.h"
#include "document/document.h"
#include "io/file.h"
#include "formats/native_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;

struct NoProgress : Progress {
  void setRange(int) override {}
  void step() override {}
};

void paintThree(Document& d, int w, int h, uint32_t seed) {
  ASSERT_TRUE(d.newImage(w, h, true));
  d.layers().add(w, h, true);
  d.layers().add(w, h, true);
  std::mt19937 random(seed);
  for (int i = 0; i < 3; ++i)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) d.layers().atIndex(i)->image().set(x, y, random() | 0xFF000000u);
}

// Every layer's bytes, to see that nothing touched the document.
std::vector<uint32_t> pixelsOf(const Document& d) {
  std::vector<uint32_t> all;
  for (int i = 0; i < d.layerCount(); ++i)
    for (int y = 0; y < d.height(); ++y) {
      const Pixel* row = d.layers().atIndex(i)->image().row(y);
      all.insert(all.end(), row, row + d.width());
    }
  return all;
}

int entriesIn(const std::string& folder) {
  int n = 0;
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) n += e->d_name[0] != '.' || std::strlen(e->d_name) > 2;
    closedir(d);
  }
  return n;
}

std::vector<std::string> writerExtensions() {
  std::vector<std::string> e;
  for (const FileFormat& f : builtinFormats().rows)
    if (f.write || f.writeImage) e.push_back(f.extension);
  return e;
}

class SaveFaults : public ::testing::Test {
 protected:
  ~SaveFaults() override { file_faults::reset(); }
  bool save(const std::string& path) {
    NoProgress progress;
    return saveFile(builtinFormats(), path, doc, progress, options);
  }
  TempDir dir;
  Document doc;
  ImageSaveOptions options;
};

// A full disk at each write call in turn: the old file keeps every byte and
// no temporary file is left.
TEST_F(SaveFaults, EveryWriterFailingAtEveryWriteCallKeepsTheOldFile) {
  paintThree(doc, 9, 7, 1);
  const std::vector<uint32_t> before = pixelsOf(doc);
  for (const std::string& ext : writerExtensions()) {
    SCOPED_TRACE(ext);
    const std::string path = dir.file("picture." + ext);
    file_faults::reset();
    ASSERT_TRUE(save(path));
    const std::vector<uint8_t> old = readBytes(path);
    // Another picture, so that a written file would differ from the old one.
    paintThree(doc, 9, 7, 2);
    const std::vector<uint32_t> second = pixelsOf(doc);
    file_faults::failWriteCall(-1);
    ASSERT_TRUE(save(dir.file("count." + ext)));
    const int64_t calls = file_faults::writeCalls();
    ASSERT_GT(calls, 0);
    std::remove(dir.file("count." + ext).c_str());
    for (int64_t call = 0; call < calls; ++call) {
      file_faults::failWriteCall(call);
      EXPECT_FALSE(save(path)) << "call " << call;
      ASSERT_EQ(readBytes(path), old) << "call " << call;
      ASSERT_EQ(dir.files().size(), 1u) << "call " << call;
    }
    file_faults::reset();
    EXPECT_EQ(pixelsOf(doc), second);
    std::remove(path.c_str());
    paintThree(doc, 9, 7, 1);
  }
  EXPECT_EQ(pixelsOf(doc), before);
}

TEST_F(SaveFaults, ADirectoryInTheTargetsPlaceIsLeftAlone) {
  paintThree(doc, 5, 5, 3);
  for (const std::string& ext : writerExtensions()) {
    const std::string path = dir.file("d." + ext);
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    EXPECT_FALSE(save(path)) << ext;
    struct stat st {};
    EXPECT_TRUE(stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) << ext;
    EXPECT_EQ(dir.files().size(), 1u) << ext;
    rmdir(path.c_str());
  }
}

TEST_F(SaveFaults, TheFlowShowsItsMessageAndKeepsPathAndDocument) {
  Settings settings;
  settings.optFlag = 0;
  testing::FakeShell shell;
  testing::FakeHistory history;
  OpenSaveFlow flow(doc, settings, shell, history);
  flow.setPauses(0, 0);
  paintThree(doc, 6, 6, 4);
  shell.saveChoices = {{dir.file("a.tsd"), 0}};
  ASSERT_TRUE(flow.saveAs());
  const std::vector<uint8_t> old = readBytes(dir.file("a.tsd"));
  doc.layers().atIndex(0)->image().set(1, 1, 0xFF000001u);
  history.isModified = true;
  const std::vector<uint32_t> edited = pixelsOf(doc);
  file_faults::failWriteCall(3);
  EXPECT_FALSE(flow.save());
  EXPECT_EQ(shell.messages.back(), kMsgSaveFailed);
  EXPECT_TRUE(flow.modified());
  EXPECT_EQ(flow.currentPath(), dir.file("a.tsd"));
  EXPECT_EQ(readBytes(dir.file("a.tsd")), old);
  EXPECT_EQ(pixelsOf(doc), edited);
  EXPECT_EQ(dir.files().size(), 1u);
}

// Read errors at each read call, and a file that changes under the reader:
// a message, and the open document stays as it was.
TEST_F(SaveFaults, ReadErrorsAndAShrinkingFileLeaveTheOpenDocument) {
  Settings settings;
  testing::FakeShell shell;
  testing::FakeHistory history;
  paintThree(doc, 8, 8, 5);
  Document other;
  paintThree(other, 5, 4, 6);
  for (const char* ext : {"tsd", "psd", "png", "bmp", "gif", "vrw"}) {
    SCOPED_TRACE(ext);
    const std::string path = dir.file(std::string("in.") + ext);
    NoProgress progress;
    ASSERT_TRUE(saveFile(builtinFormats(), path, other, progress, options));
    OpenSaveFlow flow(doc, settings, shell, history);
    flow.setPauses(0, 0);
    const std::vector<uint32_t> before = pixelsOf(doc);
    file_faults::failReadCall(-1);
    Document probe;
    LoadOutcome outcome;
    ASSERT_EQ(loadFile(builtinFormats(), path, probe, progress, outcome), kReadOk);
    const int64_t calls = file_faults::readCalls();
    for (int64_t call = 0; call < calls; ++call) {
      file_faults::failReadCall(call);
      shell.messages.clear();
      EXPECT_FALSE(flow.openFile(path)) << call;
      EXPECT_EQ(shell.messages.size(), 1u) << call;
      ASSERT_EQ(pixelsOf(doc), before) << call;
      EXPECT_EQ(flow.currentPath(), "");
    }
    file_faults::reset();
    std::remove(path.c_str());
  }
  // A reader that sees the file shrink while it reads.
  FormatTable shrinking = builtinFormats();
  FileFormat shr;
  shr.extension = "shr";
  shr.readLayers = [](const std::string& p, Document& d, Progress*, std::string&) {
    EXPECT_EQ(truncate(p.c_str(), 3), 0);
    return d.newImage(2, 2, true) ? int(kReadDecompressFailed) : -1;
  };
  shrinking.rows.push_back(shr);
  testing::writeBytes(dir.file("a.shr"), {1, 2, 3, 4, 5, 6});
  OpenSaveFlow flow(doc, settings, shell, history, shrinking);
  flow.setPauses(0, 0);
  const std::vector<uint32_t> before = pixelsOf(doc);
  EXPECT_FALSE(flow.openFile(dir.file("a.shr")));
  EXPECT_EQ(doc.width(), 8);
  EXPECT_EQ(pixelsOf(doc), before);
  EXPECT_NE(shell.messages.back().find("当前图像未改变"), std::string::npos);
  std::remove(dir.file("a.shr").c_str());
}

// A real 16 MiB file system that fills up, then turns read-only.
TEST_F(SaveFaults, ARealFullFileSystemAndAReadOnlyOne) {
  const std::string mnt = dir.file("mnt");
  ASSERT_EQ(mkdir(mnt.c_str(), 0700), 0);
  if (mount("tmpfs", mnt.c_str(), "tmpfs", 0, "size=16m") != 0) {
    rmdir(mnt.c_str());
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
  }
  struct Unmount {
    std::string at;
    ~Unmount() {
      umount2(at.c_str(), MNT_DETACH);
      rmdir(at.c_str());
    }
  } unmount{mnt};
  Settings settings;
  settings.optFlag = 0;
  settings.flattenAsk = 0;
  testing::FakeShell shell;
  testing::FakeHistory history;
  OpenSaveFlow flow(doc, settings, shell, history);
  flow.setPauses(0, 0);
  paintThree(doc, 300, 300, 7);   // noise: about 1 MiB as a native file
  const std::string path = mnt + "/work.tsd";
  shell.saveChoices = {{path, 0}};
  ASSERT_TRUE(flow.saveAs());
  const std::vector<uint8_t> old = readBytes(path);
  {   // leave less room than the next file needs
    std::vector<uint8_t> block(1 << 20, 0x55);
    FILE* filler = std::fopen((mnt + "/filler").c_str(), "wb");
    ASSERT_NE(filler, nullptr);
    for (int i = 0; i < 14; ++i) std::fwrite(block.data(), 1, block.size(), filler);
    std::fclose(filler);
  }
  paintThree(doc, 600, 600, 8);
  history.isModified = true;
  const std::vector<uint32_t> edited = pixelsOf(doc);
  EXPECT_FALSE(flow.save());
  EXPECT_EQ(shell.messages.back(), kMsgSaveFailed);
  EXPECT_EQ(readBytes(path), old);
  EXPECT_EQ(pixelsOf(doc), edited);
  EXPECT_EQ(entriesIn(mnt), 2);   // work.tsd and the filler, no temporary file
  std::remove((mnt + "/filler").c_str());
  ASSERT_EQ(mount("tmpfs", mnt.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=16m"), 0);
  EXPECT_FALSE(flow.save());
  EXPECT_EQ(readBytes(path), old);
}

}  // namespace
}  // namespace tessel
