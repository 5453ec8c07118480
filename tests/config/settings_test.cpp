#include <gtest/gtest.h>

#include <sstream>

#include "config/settings_file.h"
#include "draw/tool/tool_settings.h"
#include "formats/temp_dir.h"

namespace tessel {
namespace {

using testing::readBytes;
using testing::TempDir;
using testing::writeBytes;

Settings readFrom(const std::string& text, WindowPlacement* placement = nullptr) {
  IniReader ini;
  ini.setText(text);
  Settings s = defaultSettings();
  WindowPlacement p;
  readSettings(ini, s, placement ? *placement : p);
  return s;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    lines.push_back(text.substr(start, at - start));
  EXPECT_EQ(start, text.size()) << "every line ends in CR LF";
  return lines;
}

TEST(SettingsDefaults, WithoutConfigTheProgramStartsWithItsDefaults) {
  TempDir dir;
  Settings s;
  WindowPlacement p;
  KeyTable keys;
  loadSettings(dir.path(), s, p, keys);
  EXPECT_EQ(s.defImgW, 300);
  EXPECT_EQ(s.defImgH, 300);
  EXPECT_EQ(s.undoCnt, 30);
  EXPECT_EQ(s.pngComp, 6);
  EXPECT_EQ(s.jpegComp & 0xFF, 85);
  EXPECT_EQ(p.mainLeft, kNeverPlaced);
  EXPECT_EQ(p.toolX, kNeverPlaced);
  EXPECT_EQ(p.layerH, 290);
  EXPECT_EQ(s.newSizeRecent[4], 26214800u);
  EXPECT_EQ(s.brushSave[18][6], 511);
  EXPECT_EQ(s.fontName, "NSimSun");
  EXPECT_EQ(keys.keyFor(0, 0), 0);
}

TEST(IniReading, KeysAreCaseSensitiveAndNotTrimmed) {
  EXPECT_EQ(readFrom("[Env]\r\nPNGComp=9\r\n").pngComp, 9);
  EXPECT_EQ(readFrom("[Env]\r\npngcomp=9\r\n").pngComp, 6);
  EXPECT_EQ(readFrom("[Env]\r\nPNGComp = 9\r\n").pngComp, 6);
  EXPECT_EQ(readFrom("[Env]\r\nPNGComp =9\r\n").pngComp, 6);
  EXPECT_EQ(readFrom("[env]\r\nPNGComp=9\r\n").pngComp, 6);
  // A blank after "=" is what atoi skips.
  EXPECT_EQ(readFrom("[Env]\r\nPNGComp= 9\r\n").pngComp, 9);
}

TEST(IniReading, KeysOutsideTheirSectionAreNotFound) {
  EXPECT_EQ(readFrom("PNGComp=9\r\n[Env]\r\nUndoCnt=5\r\n").pngComp, 6);
  EXPECT_EQ(readFrom("[Other]\r\nPNGComp=9\r\n[Env]\r\nUndoCnt=5\r\n").pngComp, 6);
  EXPECT_EQ(readFrom("[Env]\r\nUndoCnt=5\r\n[Other]\r\nPNGComp=9\r\n").pngComp, 6);
  EXPECT_EQ(readFrom("[Env]\r\nUndoCnt=5\r\n[Other]\r\nPNGComp=9\r\n").undoCnt, 5);
}

TEST(IniReading, SectionHeaderMayCarryTextAfterTheBracket) {
  EXPECT_EQ(readFrom("[Env] old settings\r\nPNGComp=9\r\n").pngComp, 9);
  EXPECT_EQ(readFrom("[Env\r\nPNGComp=9\r\n").pngComp, 6);
  EXPECT_EQ(readFrom("[Envelope]\r\nPNGComp=9\r\n").pngComp, 6);
}

TEST(IniReading, SectionsInAnyOrderAndEveryLineEnd) {
  Settings s = readFrom("[Draw]\rToolNo=4\n[Env]\r\nUndoCnt=50\n[Window]\rMainLeft=12");
  WindowPlacement p;
  readFrom("[Draw]\rToolNo=4\n[Env]\r\nUndoCnt=50\n[Window]\rMainLeft=12", &p);
  EXPECT_EQ(s.toolNo, 4);
  EXPECT_EQ(s.undoCnt, 50);
  EXPECT_EQ(p.mainLeft, 12);
}

TEST(IniReading, FirstMatchingLineWinsAndPrefixKeysDoNotMatch) {
  Settings s = readFrom("[Env]\r\nUndoCnt=7\r\nUndoCnt=8\r\nGridW2=1\r\n");
  EXPECT_EQ(s.undoCnt, 7);
  EXPECT_EQ(s.gridW, 100);
}

TEST(IniReading, BurnAndDodgeAreReadFromTheirOwnKeys) {
  Settings s = readFrom("[ToolEnv]\r\nDodge=111\r\nBurn=222\r\n");
  EXPECT_EQ(s.toolEnv.dodge, 111u);
  EXPECT_EQ(s.toolEnv.burn, 222u);
  s = readFrom("[ToolEnv]\r\nBurn=5\r\n");
  EXPECT_EQ(s.toolEnv.dodge, 0x3C3Cu);
  EXPECT_EQ(s.toolEnv.burn, 5u);
}

TEST(IniReading, ListsStopAtAnEmptyPieceAndKeepTheirDefaults) {
  Settings s = readFrom("[Draw]\r\nBrushSize=5,6,\r\n");
  EXPECT_EQ(s.brushSize[0], 5);
  EXPECT_EQ(s.brushSize[1], 6);
  Settings d = defaultSettings();
  for (size_t i = 2; i < d.brushSize.size(); ++i) EXPECT_EQ(s.brushSize[i], d.brushSize[i]) << i;
  s = readFrom("[Draw]\r\nBrushAlpha=1,,3\r\n");
  EXPECT_EQ(s.brushAlpha[0], 1);
  EXPECT_EQ(s.brushAlpha[1], 255);
  EXPECT_EQ(s.brushAlpha[2], 255);
  s = readFrom("[Draw]\r\nMaskCol=-1,16777215,x\r\n");
  EXPECT_EQ(s.maskCol[0], 0xFFFFFFFFu);
  EXPECT_EQ(s.maskCol[1], 0xFFFFFFu);
  EXPECT_EQ(s.maskCol[2], 0u);   // no digits converts to 0
  s = readFrom("[BrushSave]\r\n3=300,70000\r\n");
  EXPECT_EQ(s.brushSave[3][0], 300);
  EXPECT_EQ(s.brushSave[3][1], uint16_t(70000));
  EXPECT_EQ(s.brushSave[3][2], 511);
}

TEST(IniReading, ListStopsAtItsCount) {
  IniReader ini;
  ini.setText("[S]\r\nL=1,2,3,4\r\n");
  ini.selectSection("S");
  uint8_t v[3] = {9, 9, 9};
  EXPECT_EQ(ini.readList("L", v, 2, 1), 2);
  EXPECT_EQ(v[2], 9);
}

TEST(IniReading, ConversionsFollowAtoiAndEightHexDigits) {
  EXPECT_EQ(IniReader::atoi("  -12abc"), -12);
  EXPECT_EQ(IniReader::atoi("+7"), 7);
  EXPECT_EQ(IniReader::atoi("abc"), 0);
  EXPECT_EQ(IniReader::atoi(""), 0);
  EXPECT_EQ(IniReader::hex("123456789"), 0x12345678u);
  EXPECT_EQ(IniReader::hex("ffzz"), 0xFFu);
  EXPECT_EQ(IniReader::hex("AbC"), 0xABCu);
  EXPECT_EQ(IniReader::hex(" 1"), 0u);
  Settings s = readFrom("[MaskColRecent]\r\n0=ff00ff\r\n7=DEADBEEF1\r\n");
  EXPECT_EQ(s.maskColRecent[0], 0xFF00FFu);
  EXPECT_EQ(s.maskColRecent[7], 0xDEADBEEFu);
}

TEST(IniReading, ViewFlagsLoseMirrorAndFullScreen) {
  EXPECT_EQ(readFrom("[Env]\r\nExViewFlag=5\r\n").exViewFlag, 0);
  EXPECT_EQ(readFrom("[Env]\r\nExViewFlag=23\r\n").exViewFlag, 18);
}

TEST(IniReading, SixteenBitKeysKeepTheirLowWord) {
  Settings s = readFrom("[Env]\r\nWinViewFlag=70000\r\nJPEGComp=-1\r\nOptFlag=70000\r\n");
  EXPECT_EQ(s.winViewFlag, 4464);
  EXPECT_EQ(s.jpegComp, 65535);
  EXPECT_EQ(s.optFlag, 70000);
}

TEST(IniReading, ColourMaskIsOffAfterEveryStart) {
  EXPECT_EQ(readFrom("[Draw]\r\nColMaskType=2\r\nColMaskCnt=3\r\n").colMaskType, 0);
  EXPECT_EQ(readFrom("[Draw]\r\nColMaskType=2\r\nColMaskCnt=3\r\n").colMaskCnt, 3);
}

TEST(IniReading, StringsAreVerbatimAndTheFontNameIsCut) {
  Settings s = readFrom("[Env]\r\nOpenDir= /home/a b \r\n[Text]\r\nFontName=" + std::string(40, 'F') + "\r\n");
  EXPECT_EQ(s.openDir, " /home/a b ");
  EXPECT_EQ(s.fontName, std::string(31, 'F'));
  s = readFrom("[Text]\r\nFontName=" + std::string(30, 'F') + "\xCB\xCE\r\n");
  EXPECT_EQ(s.fontName, std::string(30, 'F'));   // never half a character
  s = readFrom("[RecentFile]\r\n0=/a/\xCD\xBC.tsd\r\n3=x\r\n[RecentDir]\r\n7=/d\r\n");
  EXPECT_EQ(s.recentFiles[0], "/a/\xCD\xBC.tsd");
  EXPECT_EQ(s.recentFiles[3], "x");
  EXPECT_EQ(s.recentDirs[7], "/d");
}

TEST(IniReading, ADoubleByteLeadNeverEndsALine) {
  // 0x81 leads a pair, so the LF after it is its second byte, not a line end.
  Settings s = readFrom("[Env]\r\nOpenDir=\x81\nUndoCnt=5\r\n");
  EXPECT_EQ(s.undoCnt, 30);
  EXPECT_EQ(s.openDir, "\x81\nUndoCnt=5");
}

TEST(SettingsWriting, SectionsAndKeysInTheirOrderAndForms) {
  Settings s = defaultSettings();
  WindowPlacement p;
  s.maskColRecent[1] = 0xABCDEF;
  s.maskCol[0] = 0xFFFFFFFF;
  s.recentFiles[0] = "/x/y.tsd";
  std::vector<std::string> lines = linesOf(settingsText(s, p));
  std::vector<std::string> sections;
  for (const std::string& l : lines)
    if (l[0] == '[') sections.push_back(l);
  EXPECT_EQ(sections, (std::vector<std::string>{"[Tessel2]", "[Window]", "[Env]", "[ToolEnv]", "[Text]", "[Draw]",
                                                 "[NewSizeRecent]", "[BrushSave]", "[MaskColRecent]",
                                                 "[RecentFile]", "[RecentDir]"}));
  // 11 headers, Version, 30 window keys, 47 + 4 Env, 12 ToolEnv, 8 Text, 12 Draw, 5 + 19 + 8 + 10 + 8.
  EXPECT_EQ(lines.size(), 11u + 1 + 30 + 51 + 12 + 8 + 12 + 5 + 19 + 8 + 10 + 8);
  EXPECT_EQ(lines[1], "Version=0");
  EXPECT_EQ(lines[3], "MainLeft=-10000");
  EXPECT_EQ(lines[7], "MainShowCmd=3");
  EXPECT_EQ(lines[33], "[Env]");
  EXPECT_EQ(lines[34], "WinViewFlag=31");
  EXPECT_EQ(lines[72], "CanvBkCol=11842740");
  EXPECT_EQ(lines[79], "AutosaveMin=5");
  EXPECT_EQ(lines[80], "FlattenAsk=1");
  EXPECT_EQ(lines[81], "OpenDir=");
  auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
  EXPECT_TRUE(has("Water=70656"));
  EXPECT_TRUE(has("FontName=NSimSun"));
  EXPECT_TRUE(has("Flag=256"));
  EXPECT_TRUE(has("DrawType=0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,"));
  EXPECT_TRUE(has("BrushSize=1,1,8,30,30,30,10,1,30,30,20,20,30,30,1,1,1,1,1,"));
  EXPECT_TRUE(has("MaskCol=-1,0,0,0,0,"));
  EXPECT_TRUE(has("0=26214800"));
  EXPECT_TRUE(has("18=511,511,511,511,511,511,511,"));
  EXPECT_TRUE(has("1=abcdef"));
  EXPECT_TRUE(has("0=/x/y.tsd"));
  EXPECT_EQ(lines.back(), "7=");
}

TEST(SettingsWriting, TheToolRowsGiveTheFilesDefaults) {
  const std::string text = settingsText(defaultSettings(), WindowPlacement());
  EXPECT_NE(text.find("[ToolEnv]\r\nPencil=0\r\nPen=40964\r\nPen2=0\r\nBrush=15360\r\nErasePen=7780\r\n"
                      "EraseBrush=15360\r\nSplay=7680\r\nDodge=15420\r\nBurn=15420\r\nWater=70656\r\n"
                      "Paint=1\r\nGrad=0\r\n[Text]\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\nBrushSize=1,1,8,30,30,30,10,1,30,30,20,20,30,30,1,1,1,1,1,\r\n"
                      "BrushAlpha=255,255,255,255,255,100,255,255,255,64,64,64,64,64,255,255,255,255,255,\r\n"),
            std::string::npos);
}

TEST(SettingsWriting, EveryValueSurvivesAWriteAndARead) {
  Settings s;
  WindowPlacement p;
  p.mainLeft = 15;
  p.imgVBottom = -3;
  s.imgVFlag = 0x1234;   // keys whose users are not built are carried
  s.prevFlag = 77;
  s.textFlag = 0x305;
  s.rotateAngle = 0x1002D;
  s.gradMapCol2 = 0x123456;
  s.saveDir = "/home/u/\xCD\xBC";
  s.fontName = "SimHei";
  s.drawType[18] = 3;
  s.maskCol[4] = 0x80FF00;
  s.newSizeRecent[0] = 100u << 16 | 50u;
  s.brushSave[7][3] = 40000;
  s.maskColRecent[7] = 0xFFFFFFFF;
  s.recentDirs[2] = "/tmp";
  s.colMaskType = 1;   // written, never read back
  s.paletteNames[9] = "肤色 2";
  s.scanDevice = "test:1";   // written only once a scanner was chosen
  std::string text = settingsText(s, p);
  EXPECT_NE(text.find("[PaletteName]\r\n0=\r\n"), std::string::npos);
  WindowPlacement p2;
  Settings back = readFrom(text, &p2);
  EXPECT_EQ(back.colMaskType, 0);
  back.colMaskType = 1;
  EXPECT_EQ(settingsText(back, p2), text);
  EXPECT_EQ(back.imgVFlag, 0x1234);
  EXPECT_EQ(back.saveDir, s.saveDir);
  EXPECT_EQ(p2.imgVBottom, -3);
  EXPECT_EQ(back.paletteNames[9], "肤色 2");
  EXPECT_EQ(back.scanDevice, "test:1");
}

TEST(SettingsFiles, SaveThenLoadThroughTheFolder) {
  TempDir dir;
  Settings s;
  WindowPlacement p;
  KeyTable keys;
  s.undoCnt = 99;
  keys.assign(2, 3, 0x41);
  ASSERT_TRUE(saveSettings(dir.path(), s, p, keys));
  std::vector<uint8_t> keyFile = readBytes(dir.file("key.dat"));
  ASSERT_EQ(keyFile.size(), 2u + 65 * 2);
  EXPECT_EQ(keyFile[0], 65);
  EXPECT_EQ(keyFile[1], 0);
  Settings s2;
  WindowPlacement p2;
  KeyTable keys2;
  loadSettings(dir.path(), s2, p2, keys2);
  EXPECT_EQ(s2.undoCnt, 99);
  EXPECT_EQ(keys2.keyFor(2, 3), 0x41);
  EXPECT_FALSE(saveSettings(dir.file("none"), s, p, keys));
}

TEST(KeyTableFile, PresetIdsAndGroupOrder) {
  KeyTable keys;
  EXPECT_EQ(keys.entries()[0], 0x0000);
  EXPECT_EQ(keys.entries()[18], 18 << 8);
  EXPECT_EQ(keys.entries()[19], 32 << 8);         // group 1, item 0
  EXPECT_EQ(keys.entries()[64], (5 * 32 + 7) << 8);
  EXPECT_FALSE(keys.assign(5, 8, 1));
  EXPECT_FALSE(keys.assign(6, 0, 1));
  EXPECT_EQ(keys.keyFor(1, 10), 0);
}

TEST(KeyTableFile, EntriesInAnyOrderOrFewerAssignExactlyThoseKeys) {
  KeyTable keys;
  // Three entries out of order, one with an id the table does not hold (group 6).
  const uint8_t data[] = {4, 0, 0x51, (4 * 32 + 9), 0x42, 0, 0x10, (6 * 32), 0x43, (1 * 32 + 2)};
  keys.parse(data, sizeof data);
  EXPECT_EQ(keys.keyFor(4, 9), 0x51);
  EXPECT_EQ(keys.keyFor(0, 0), 0x42);
  EXPECT_EQ(keys.keyFor(1, 2), 0x43);
  int assigned = 0;
  for (uint16_t e : keys.entries()) assigned += (e & 0xFF) != 0;
  EXPECT_EQ(assigned, 3);
}

TEST(KeyTableFile, CountBeyondTheFileTakesWhatIsThere) {
  KeyTable keys;
  const uint8_t data[] = {65, 0, 0x20, 3, 0x21};
  keys.parse(data, sizeof data);
  EXPECT_EQ(keys.keyFor(0, 3), 0x20);
  KeyTable round;
  std::string bytes = keys.serialise();
  round.parse(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  EXPECT_EQ(round.entries(), keys.entries());
}

}  // namespace
}  // namespace tessel
