#include "app/files/open_save.h"

#include <gtest/gtest.h>

#include "app/fake_shell.h"
#include "app/files/messages.h"
#include "formats/psd_builder.h"
#include "app/files/recent_lists.h"
#include "document/document.h"
#include "formats/native_builder.h"
#include "formats/native_document.h"
#include "formats/sibling_document.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::FakeHistory;
using testing::FakeShell;
using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

class OpenSaveTest : public ::testing::Test {
 protected:
  OpenSaveTest() {
    EXPECT_TRUE(doc.newImage(30, 20, true));
    settings.optFlag = 0;
    flow.setPauses(0, 0);
  }
  // A small native file on disk with one layer of the given colour.
  std::string nativeFile(const char* name, uint32_t colour, int width = 8, int height = 6) {
    Document d;
    EXPECT_TRUE(d.newImage(width, height, true));
    d.currentLayer()->image().fill(colour);
    EXPECT_TRUE(writeDocument(dir.file(name), d, nullptr));
    return dir.file(name);
  }
  std::vector<std::string> recentFiles() const {
    std::vector<std::string> v;
    for (const std::string& s : settings.recentFiles)
      if (!s.empty()) v.push_back(s);
    return v;
  }

  TempDir dir;
  Document doc;
  Settings settings;
  FakeShell shell;
  FakeHistory history;
  OpenSaveFlow flow{doc, settings, shell, history};
};

TEST_F(OpenSaveTest, UnsavedChangesYesSavesAndGoesOn) {
  history.isModified = true;
  shell.yesNoCancel = {Answer::Yes};
  shell.saveChoices = {{dir.file("saved.tsd"), 0}};
  shell.newSizes = {{50, 40}};
  EXPECT_TRUE(flow.newImage());
  EXPECT_EQ(shell.questions.back(), kMsgUnsavedChanges);
  EXPECT_EQ(readBytes(dir.file("saved.tsd")).size() > 30, true);
  EXPECT_EQ(history.saves, 1);
  EXPECT_EQ(doc.width(), 50);
  EXPECT_EQ(flow.currentPath(), "");   // the new image has no file
  EXPECT_EQ(shell.unexpected, 0);
}

TEST_F(OpenSaveTest, UnsavedChangesNoGoesOnWithoutSaving) {
  history.isModified = true;
  shell.yesNoCancel = {Answer::No};
  shell.newSizes = {{50, 40}};
  EXPECT_TRUE(flow.newImage());
  EXPECT_TRUE(shell.saveCalls.empty());
  EXPECT_EQ(doc.width(), 50);
  EXPECT_EQ(history.clears, 1);
}

TEST_F(OpenSaveTest, UnsavedChangesCancelStops) {
  history.isModified = true;
  shell.yesNoCancel = {Answer::Cancel};
  shell.newSizes = {{50, 40}};
  EXPECT_FALSE(flow.newImage());
  EXPECT_EQ(doc.width(), 30);
  EXPECT_TRUE(history.isModified);
}

TEST_F(OpenSaveTest, UnsavedChangesYesWithTheSaveDialogCancelledStops) {
  history.isModified = true;
  shell.yesNoCancel = {Answer::Yes};
  shell.saveChoices = {{"", 0}};
  shell.openChoices = {nativeFile("a.tsd", 0xFF00FF00)};
  EXPECT_FALSE(flow.open());
  EXPECT_EQ(doc.width(), 30);
  EXPECT_EQ(shell.progressRuns, 0);
}

TEST_F(OpenSaveTest, NothingToSaveAsksNothing) {
  shell.newSizes = {{64, 32}};
  EXPECT_TRUE(flow.newImage());
  EXPECT_EQ(shell.questions.size(), 1u);   // only the New dialog
  EXPECT_EQ(shell.questions[0], "new 300x300");
  EXPECT_EQ(settings.lastImgW, 64);
  EXPECT_EQ(settings.lastImgH, 32);
  EXPECT_EQ(settings.newSizeRecent[0], 64u << 16 | 32u);
  EXPECT_EQ(settings.newSizeRecent[1], 400u << 16 | 400u);
  EXPECT_EQ(shell.titles.back(), "Tessel2 - 新建文件");
  EXPECT_EQ(doc.layerCount(), 1);
}

TEST_F(OpenSaveTest, NewDialogCancelledChangesNothing) {
  shell.newSizes = {{0, 0}};
  EXPECT_FALSE(flow.newImage());
  EXPECT_EQ(doc.width(), 30);
  EXPECT_EQ(settings.lastImgW, 300);
}

TEST_F(OpenSaveTest, OpenSetsPathTitleFoldersAndRecentLists) {
  std::string path = nativeFile("pic.tsd", 0xFF112233, 12, 9);
  settings.openDir = "/start";
  shell.openChoices = {path};
  ASSERT_TRUE(flow.open());
  EXPECT_EQ(shell.openFolders.back(), "/start");
  EXPECT_EQ(doc.width(), 12);
  EXPECT_EQ(doc.currentLayer()->image().at(3, 3), 0xFF112233u);
  EXPECT_EQ(flow.currentPath(), path);
  EXPECT_EQ(shell.titles.back(), "Tessel2 - " + path);
  EXPECT_EQ(settings.openDir, dir.path());
  EXPECT_EQ(settings.recentFiles[0], path);
  EXPECT_EQ(settings.recentDirs[0], dir.path());
  EXPECT_EQ(history.clears, 1);
  EXPECT_GE(shell.replaced, 1);
  EXPECT_TRUE(shell.messages.empty());

  settings.optFlag = kOptTitleFileNameOnly;
  flow.updateTitle();
  EXPECT_EQ(shell.titles.back(), "Tessel2 - pic.tsd");
}

TEST_F(OpenSaveTest, OpeningTheSameFileTwiceKeepsItOnceAtTheFront) {
  std::string a = nativeFile("a.tsd", 1), b = nativeFile("b.tsd", 2);
  ASSERT_TRUE(flow.openFile(a));
  ASSERT_TRUE(flow.openFile(b));
  ASSERT_TRUE(flow.openFile(a));
  EXPECT_EQ(recentFiles(), (std::vector<std::string>{a, b}));
  std::vector<PopupEntry> menu = recentFileMenu(settings);
  ASSERT_EQ(menu.size(), 2u);
  EXPECT_EQ(menu[0].command, 3100);
  EXPECT_EQ(menu[0].text, "&0 " + a);
  EXPECT_EQ(menu[1].text, "&1 " + b);
  EXPECT_EQ(settings.recentDirs[0], dir.path());
  EXPECT_EQ(settings.recentDirs[1], "");
}

TEST_F(OpenSaveTest, RecentFileThatNoLongerExists) {
  std::string a = nativeFile("a.tsd", 1);
  settings.recentFiles = {"/gone/1.tsd", a, "/gone/3.tsd"};
  history.isModified = true;
  EXPECT_FALSE(flow.openRecentFile(0));
  EXPECT_EQ(shell.messages.back(), kMsgFileMissing);
  EXPECT_EQ(recentFiles(), (std::vector<std::string>{a, "/gone/3.tsd"}));
  EXPECT_EQ(settings.recentFiles[9], "");
  EXPECT_EQ(shell.recentChanged, 1);
  EXPECT_TRUE(shell.questions.empty());   // nothing asked about a file that is not there

  shell.yesNoCancel = {Answer::No};
  EXPECT_TRUE(flow.openRecentFile(0));
  EXPECT_EQ(flow.currentPath(), a);
}

TEST_F(OpenSaveTest, ResultCodesBecomeTheirMessages) {
  EXPECT_FALSE(flow.openFile(dir.file("none.tsd")));
  EXPECT_EQ(shell.messages.back(), std::string(kMsgOpenFileFailed) + "\nnone.tsd：文件不存在");
  writeBytes(dir.file("bad.tsd"), {'N', 'O', 'P', 'E', 0, 0, 0, 0, 0});
  EXPECT_FALSE(flow.openFile(dir.file("bad.tsd")));
  EXPECT_EQ(shell.messages.back(), std::string(kMsgFormatError) + "\nbad.tsd");
  writeBytes(dir.file("empty.tsd"), {});
  EXPECT_FALSE(flow.openFile(dir.file("empty.tsd")));
  EXPECT_EQ(shell.messages.back().substr(shell.messages.back().find('\n')), "\nempty.tsd：文件为空（0字节）");
  testing::NativeFileLayout wide;
  wide.width = 4501;
  wide.layers.resize(1);
  writeBytes(dir.file("wide.tsd"), testing::buildNative(wide));
  EXPECT_FALSE(flow.openFile(dir.file("wide.tsd")));
  EXPECT_EQ(shell.messages.back(), "无法处理宽度或高度在4500px以上的图像\nwide.tsd");
  writeBytes(dir.file("x.qqq"), {1, 2, 3});
  EXPECT_FALSE(flow.openFile(dir.file("x.qqq")));
  EXPECT_EQ(shell.messages.back(), std::string(kMsgOpenImageFailed) + "\nx.qqq：不支持此扩展名");
  // A PNG whose header fails its check: the reader says why.
  writeBytes(dir.file("deep.png"), {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                    0, 0, 0, 1, 0, 0, 0, 1, 16, 2, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_FALSE(flow.openFile(dir.file("deep.png")));
  EXPECT_EQ(shell.messages.back(), std::string(kMsgOpenImageFailed) + "\ndeep.png：图像数据已损坏或不完整");
  EXPECT_EQ(doc.width(), 30);
  EXPECT_TRUE(recentFiles().empty());
  EXPECT_EQ(loadResultMessage(-2), kMsgPsdLayout);
  EXPECT_EQ(loadResultMessage(-3), kMsgPsdNot8BitRgb);
  EXPECT_EQ(loadResultMessage(4), kMsgMemoryError);
  EXPECT_EQ(loadResultMessage(99), kMsgOpenImageFailed);
}

TEST_F(OpenSaveTest, DamagedPixelDataShowsTheMessageAndStillOpens) {
  testing::NativeFileLayout fileLayout;
  testing::NativeLayerSpec layer;
  layer.stream = {0x78, 0x01, 0x07};   // invalid block type
  fileLayout.layers = {layer};
  writeBytes(dir.file("damaged.tsd"), testing::buildNative(fileLayout));
  EXPECT_TRUE(flow.openFile(dir.file("damaged.tsd")));
  EXPECT_EQ(shell.messages.back(), std::string(kMsgDecompressFailed) + "\ndamaged.tsd");
  EXPECT_EQ(flow.currentPath(), dir.file("damaged.tsd"));
  EXPECT_EQ(doc.width(), 4);
  EXPECT_NE(doc.currentLayer(), nullptr);
}

TEST_F(OpenSaveTest, OutOfMemoryLeavesTheOpenDocument) {
  std::string a = nativeFile("a.tsd", 1);
  ASSERT_TRUE(flow.openFile(a));
  testing::NativeFileLayout fileLayout;
  fileLayout.width = 1;
  fileLayout.height = 1;
  fileLayout.layers.resize(101);
  writeBytes(dir.file("many.tsd"), testing::buildNative(fileLayout));
  EXPECT_FALSE(flow.openFile(dir.file("many.tsd")));
  EXPECT_EQ(shell.messages.back(), std::string(kMsgMemoryError) + "\nmany.tsd");
  // The reader's blank image never reaches the open document.
  EXPECT_EQ(doc.width(), 8);
  EXPECT_EQ(doc.currentLayer()->image().at(0, 0), 1u);
  EXPECT_EQ(flow.currentPath(), a);
}

TEST_F(OpenSaveTest, SaveWithoutPathAsksForOneAndClearsModified) {
  history.isModified = true;
  settings.saveDir = "/saves";
  shell.saveChoices = {{dir.file("out.tsd"), 0}};
  ASSERT_TRUE(flow.save());
  ASSERT_EQ(shell.saveCalls.size(), 1u);
  EXPECT_EQ(shell.saveCalls[0].folder, "/saves");
  EXPECT_EQ(shell.saveCalls[0].fileName, "");
  EXPECT_EQ(settings.saveDir, dir.path());
  EXPECT_FALSE(history.isModified);
  EXPECT_EQ(flow.currentPath(), dir.file("out.tsd"));
  EXPECT_EQ(shell.titles.back(), "Tessel2 - " + dir.file("out.tsd"));
  EXPECT_EQ(settings.recentFiles[0], dir.file("out.tsd"));
  EXPECT_EQ(shell.lastRange, 2);   // one layer + 1
  EXPECT_EQ(shell.lastSteps, 3);   // preview, layer, finish
  Document back;
  EXPECT_EQ(readDocument(dir.file("out.tsd"), back, nullptr), kReadOk);
  EXPECT_EQ(back.width(), 30);

  // A second Save goes in place without a dialog; Save As offers the file's folder and name.
  ASSERT_TRUE(flow.save());
  EXPECT_EQ(shell.saveCalls.size(), 1u);
  shell.saveChoices = {{"", 0}};
  EXPECT_FALSE(flow.saveAs());
  EXPECT_EQ(shell.saveCalls.back().folder, dir.path());
  EXPECT_EQ(shell.saveCalls.back().fileName, "out");
}

TEST_F(OpenSaveTest, OverwriteConfirmationNoLeavesTheFile) {
  std::string a = nativeFile("a.tsd", 0xFF445566);
  ASSERT_TRUE(flow.openFile(a));
  std::vector<uint8_t> before = readBytes(a);
  doc.currentLayer()->image().fill(0xFF000000);
  history.isModified = true;
  settings.optFlag = kOptConfirmOverwrite;
  shell.yesNo = {false};
  EXPECT_FALSE(flow.save());
  EXPECT_EQ(shell.questions.back(), std::string(kCaptionOverwrite) + "|" + a + "\n\n" + kMsgOverwrite);
  EXPECT_EQ(readBytes(a), before);
  EXPECT_TRUE(history.isModified);
  EXPECT_EQ(shell.progressRuns, 1);   // only the open

  shell.yesNo = {true};
  EXPECT_TRUE(flow.save());
  EXPECT_NE(readBytes(a), before);
}

TEST_F(OpenSaveTest, JpegExtensionIsRefusedAndUnknownFormatsFail) {
  shell.saveChoices = {{dir.file("x.jpeg"), 4}, {dir.file("x.jpg"), 4}};
  EXPECT_FALSE(flow.saveAs());
  EXPECT_EQ(shell.messages.back(), kMsgSaveFailed);
  EXPECT_TRUE(dir.files().empty());
  EXPECT_EQ(flow.currentPath(), "");
  // The built-in JPEG writer takes .jpg.
  EXPECT_TRUE(flow.saveAs());
  const std::vector<uint8_t> jpeg = readBytes(dir.file("x.jpg"));
  ASSERT_GT(jpeg.size(), 4u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(flow.currentPath(), dir.file("x.jpg"));
}

TEST_F(OpenSaveTest, JpgWriterGetsQualityAndSubsamplingFromJpegComp) {
  FormatTable formats = builtinFormats();
  int written = 0;
  uint32_t corner = 0;
  formats.find("jpg")->writeImage = [&](const std::string&, const Image32& image, const ImageSaveOptions& o) {
    ++written;
    corner = image.at(0, 0);
    return o.jpegQuality == 85 && o.jpegSubsample;
  };
  settings.jpegComp = 0x8000 | 85;
  OpenSaveFlow withJpeg(doc, settings, shell, history, formats);
  withJpeg.setPauses(0, 0);
  doc.currentLayer()->image().fill(kTransparent);   // flattened onto white
  shell.saveChoices = {{dir.file("x.jpeg"), 4}, {dir.file("x.JPG"), 4}};
  EXPECT_FALSE(withJpeg.saveAs());
  EXPECT_EQ(written, 0);
  EXPECT_TRUE(withJpeg.saveAs());
  EXPECT_EQ(written, 1);
  EXPECT_EQ(corner, 0xFFFFFFFFu);
  EXPECT_EQ(shell.lastRange, 2);
  EXPECT_EQ(shell.lastSteps, 2);   // flatten one layer, then finish
}

TEST_F(OpenSaveTest, PngOptionsDialogCancelStopsAndAlphaFlattensOntoTransparency) {
  FormatTable formats = builtinFormats();
  uint32_t corner = 1;
  formats.find("png")->writeImage = [&](const std::string&, const Image32& image, const ImageSaveOptions&) {
    corner = image.at(0, 0);
    return true;
  };
  OpenSaveFlow withPng(doc, settings, shell, history, formats);
  withPng.setPauses(0, 0);
  doc.currentLayer()->image().fill(kTransparent);
  shell.saveChoices = {{dir.file("a.png"), 3}, {dir.file("a.png"), 3}};
  shell.pngOptions = {false, true};
  EXPECT_FALSE(withPng.saveAs());
  EXPECT_EQ(shell.progressRuns, 0);
  shell.pngAlphaChoice = true;
  EXPECT_TRUE(withPng.saveAs());
  EXPECT_TRUE(withPng.pngSaveAlpha());
  EXPECT_EQ(alphaOf(corner), 0);
}

TEST_F(OpenSaveTest, GifDialogIsOfferedTheColourChosenLastAndTheWriterGetsIt) {
  FormatTable formats = builtinFormats();
  int32_t written = 0;
  formats.find("gif")->writeImage = [&](const std::string&, const Image32&, const ImageSaveOptions& options) {
    written = options.gifTransparent;
    return true;
  };
  OpenSaveFlow withGif(doc, settings, shell, history, formats);
  withGif.setPauses(0, 0);
  shell.saveChoices = {{dir.file("a.gif"), 5}, {dir.file("b.gif"), 5}};
  shell.gifChoice = 0x123456;
  EXPECT_TRUE(withGif.saveAs());
  EXPECT_EQ(written, 0x123456);
  shell.gifChoice = -1;
  EXPECT_TRUE(withGif.saveAs());
  EXPECT_EQ(written, -1);
  EXPECT_EQ(shell.gifOffered, (std::vector<int32_t>{-1, 0x123456}));
}

TEST_F(OpenSaveTest, GenericLoaderChecksTheSizeAndRemembersPngAlpha) {
  FormatTable formats = builtinFormats();
  int width = 4501;
  formats.find("png")->read = [&](const std::string&, Image32& image, ImageReadInfo& info) {
    info.hadAlpha = true;
    return image.create(width, 3);
  };
  OpenSaveFlow withPng(doc, settings, shell, history, formats);
  withPng.setPauses(0, 0);
  writeBytes(dir.file("i.png"), {0});
  EXPECT_FALSE(withPng.openFile(dir.file("i.png")));
  EXPECT_EQ(shell.messages.back(), "无法处理宽度或高度在4500px以上的图像\ni.png");
  EXPECT_EQ(doc.width(), 30);
  width = 4500;
  EXPECT_TRUE(withPng.openFile(dir.file("i.png")));
  EXPECT_EQ(doc.width(), 4500);
  EXPECT_EQ(doc.layerCount(), 1);
  EXPECT_TRUE(withPng.pngSaveAlpha());
  EXPECT_EQ(shell.lastSteps, 1);
  EXPECT_TRUE(withPng.openFile(nativeFile("n.tsd", 5)));
  EXPECT_FALSE(withPng.pngSaveAlpha());   // every other load clears it
}

TEST_F(OpenSaveTest, VrwDocumentAsksBeforeChangingFormat) {
  ASSERT_TRUE(flow.openFile(nativeFile("a.tsd", 1)));
  ASSERT_TRUE(writeSibling(dir.file("v.vrw"), doc, nullptr));
  ASSERT_TRUE(flow.openFile(dir.file("v.vrw")));
  // No: saved in place in the sibling format, without the Save dialog.
  shell.yesNo = {false};
  EXPECT_TRUE(flow.save());
  EXPECT_EQ(shell.questions.back(), std::string(kCaptionVrw) + "|" + kMsgVrwFormat);
  EXPECT_TRUE(shell.saveCalls.empty());
  EXPECT_EQ(flow.currentPath(), dir.file("v.vrw"));
  EXPECT_EQ(readBytes(dir.file("v.vrw"))[0], 'V');
  // Yes: the Save dialog chooses another format.
  shell.yesNo = {true};
  shell.saveChoices = {{dir.file("v.tsd"), 0}};
  EXPECT_TRUE(flow.save());
  EXPECT_EQ(shell.saveCalls.size(), 1u);
  EXPECT_EQ(flow.currentPath(), dir.file("v.tsd"));
}

TEST_F(OpenSaveTest, WhatAPsdLosesIsToldOnceAfterItOpens) {
  testing::PsdFileDesc desc;
  testing::PsdLayerDesc layer;
  layer.bottom = 2, layer.right = 2;
  layer.additional = testing::psdBlock("lfx2", {0, 0, 0, 0});
  desc.layers = {layer};
  writeBytes(dir.file("fx.psd"), testing::buildPsd(desc));
  const size_t before = shell.messages.size();
  ASSERT_TRUE(flow.openFile(dir.file("fx.psd")));
  ASSERT_EQ(shell.messages.size(), before + 1);
  EXPECT_EQ(shell.messages.back(), "以下内容无法保留，已略去：\n图层效果 1 个");
  EXPECT_EQ(flow.currentPath(), dir.file("fx.psd"));
}

TEST_F(OpenSaveTest, PsdOpensAndSavesThroughTheFlow) {
  ASSERT_TRUE(flow.openFile(nativeFile("a.tsd", 0xFF123456)));
  ASSERT_TRUE(doc.newLayer(false));
  shell.saveChoices = {{dir.file("p.psd"), 1}};
  ASSERT_TRUE(flow.saveAs());
  ASSERT_TRUE(flow.openFile(dir.file("p.psd")));
  EXPECT_EQ(doc.layerCount(), 2);
  EXPECT_EQ(doc.layers().atIndex(1)->image().at(0, 0), 0xFF123456u);
  EXPECT_EQ(flow.currentPath(), dir.file("p.psd"));
  // A colour mode that cannot be opened is named; multichannel is mode 7.
  writeBytes(dir.file("deep.psd"), {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 8,
                                    0, 7, 0, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_FALSE(flow.openFile(dir.file("deep.psd")));
  EXPECT_EQ(shell.messages.back(), "PSD: 无法打开多通道模式\ndeep.psd");
  writeBytes(dir.file("big.psd"), {'8', 'B', 'P', 'S', 0, 2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 8, 0, 3});
  EXPECT_FALSE(flow.openFile(dir.file("big.psd")));
  EXPECT_EQ(shell.messages.back(), std::string(kMsgPsdLayout) + "\nbig.psd");
}

TEST_F(OpenSaveTest, SaveRoutesPassFolderAndFormat) {
  settings.fixSaveDir = "/fixed";
  settings.fixSaveOpt = 0x13;
  settings.saveDir = "/saves";
  settings.recentDirs[2] = "/recent2";
  shell.saveChoices = {{"", 0}, {"", 0}, {"", 0}};
  EXPECT_FALSE(flow.savePreferred());
  EXPECT_FALSE(flow.quickSave(5));
  EXPECT_FALSE(flow.saveToRecentFolder(2));
  ASSERT_EQ(shell.saveCalls.size(), 3u);
  EXPECT_EQ(shell.saveCalls[0].folder, "/fixed");
  EXPECT_EQ(shell.saveCalls[0].formatIndex, 3);
  EXPECT_EQ(shell.saveCalls[1].folder, "/saves");
  EXPECT_EQ(shell.saveCalls[1].formatIndex, 5);
  EXPECT_EQ(shell.saveCalls[2].folder, "/recent2");
  EXPECT_FALSE(flow.quickSave(0));
  EXPECT_EQ(shell.saveCalls.size(), 3u);
}

TEST_F(OpenSaveTest, ExitAsksOnlyWhenTheOptionIsSet) {
  history.isModified = true;
  EXPECT_TRUE(flow.confirmExit());
  EXPECT_TRUE(shell.questions.empty());
  settings.optFlag = kOptAskSaveOnExit;
  shell.yesNoCancel = {Answer::Cancel};
  EXPECT_FALSE(flow.confirmExit());
  EXPECT_EQ(shell.questions.size(), 1u);
}

TEST_F(OpenSaveTest, DroppedFilesOpenTheFirst) {
  std::string a = nativeFile("a.tsd", 1), b = nativeFile("b.tsd", 2);
  EXPECT_TRUE(flow.openDropped({a, b}));
  EXPECT_EQ(flow.currentPath(), a);
  EXPECT_EQ(shell.fronted, 1);
  EXPECT_EQ(recentFiles().size(), 1u);
  EXPECT_FALSE(flow.openDropped({}));
}

TEST_F(OpenSaveTest, OpenFromRecentFolderStartsThere) {
  settings.recentDirs[1] = "/r1";
  shell.openChoices = {""};
  EXPECT_FALSE(flow.openFromRecentFolder(1));
  EXPECT_EQ(shell.openFolders.back(), "/r1");
}

TEST_F(OpenSaveTest, ClipboardBitmapBecomesAnOpaqueOneLayerDocument) {
  EXPECT_FALSE(flow.openFromClipboard());
  EXPECT_EQ(shell.messages.back(), kMsgClipboardEmpty);
  ASSERT_TRUE(shell.clipboard.create(7, 5));
  shell.clipboard.fill(0x00123456);
  EXPECT_TRUE(flow.openFromClipboard());
  EXPECT_EQ(doc.width(), 7);
  EXPECT_EQ(doc.currentLayer()->image().at(6, 4), 0xFF123456u);
  EXPECT_EQ(flow.currentPath(), "");
}

TEST(RecentLists, InsertMovesDownAndTheLastFallsOff) {
  std::array<std::string, 4> list = {"a", "B", "c", "d"};
  pushRecent(list, "b");   // found without case at 1: only "a" moves down
  EXPECT_EQ(list, (std::array<std::string, 4>{"b", "a", "c", "d"}));
  pushRecent(list, "e");
  EXPECT_EQ(list, (std::array<std::string, 4>{"e", "b", "a", "c"}));
  pushRecent(list, "c");
  EXPECT_EQ(list, (std::array<std::string, 4>{"c", "e", "b", "a"}));
  removeRecent(list, 1);
  EXPECT_EQ(list, (std::array<std::string, 4>{"c", "b", "a", ""}));
  removeRecent(list, 7);
  EXPECT_EQ(list[0], "c");
}

TEST(RecentLists, SizesAndMenus) {
  std::array<uint32_t, 5> sizes = {1, 2, 3, 4, 5};
  pushRecentSize(sizes, 3);
  EXPECT_EQ(sizes, (std::array<uint32_t, 5>{3, 1, 2, 4, 5}));
  pushRecentSize(sizes, 9);
  EXPECT_EQ(sizes, (std::array<uint32_t, 5>{9, 3, 1, 2, 4}));
  EXPECT_EQ(recentSizeText(400u << 16 | 300u), "400x300");
  EXPECT_EQ(recentSizeText(4500u << 16 | 1u), "4500x1");

  Settings s;
  s.recentDirs[0] = "/a";
  s.recentDirs[3] = "/d";
  std::vector<PopupEntry> menu = quickSaveMenu(s);
  ASSERT_EQ(menu.size(), 8u);
  EXPECT_EQ(menu[0].text, "保存为PSD");
  EXPECT_EQ(menu[0].command, 3250);
  EXPECT_EQ(menu[3].text, "保存为JPEG");
  EXPECT_EQ(menu[4].command, 3254);
  EXPECT_EQ(menu[5].command, 0);
  EXPECT_EQ(menu[6].command, 3200);
  EXPECT_EQ(menu[7].command, 3203);
  EXPECT_EQ(menu[7].text, "&3 /d");
  EXPECT_EQ(recentFolderMenu(s).size(), 2u);
}

}  // namespace
}  // namespace tessel
