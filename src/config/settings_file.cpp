#include "config/settings_file.h"

#include <algorithm>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "io/file.h"

namespace tessel {

Settings::Settings() {
  newSizeRecent.fill(400u << 16 | 400u);
  for (auto& tool : brushSave) tool.fill(0x01FF);
}

namespace {

template <class Owner, class Value = int32_t>
struct IntKey {
  const char* name;
  Value Owner::*field;
  bool word = false;   // kept and written as 16 bits
};

const IntKey<WindowPlacement> kWindowKeys[] = {
    {"MainLeft", &WindowPlacement::mainLeft},     {"MainTop", &WindowPlacement::mainTop},
    {"MainRight", &WindowPlacement::mainRight},   {"MainBottom", &WindowPlacement::mainBottom},
    {"MainShowCmd", &WindowPlacement::mainShowCmd}, {"ToolX", &WindowPlacement::toolX},
    {"ToolY", &WindowPlacement::toolY},           {"CtlX", &WindowPlacement::ctlX},
    {"CtlY", &WindowPlacement::ctlY},             {"LayerX", &WindowPlacement::layerX},
    {"LayerY", &WindowPlacement::layerY},         {"LayerH", &WindowPlacement::layerH},
    {"TexLeft", &WindowPlacement::texLeft},       {"TexTop", &WindowPlacement::texTop},
    {"TexRight", &WindowPlacement::texRight},     {"TexBottom", &WindowPlacement::texBottom},
    {"PalLeft", &WindowPlacement::palLeft},       {"PalTop", &WindowPlacement::palTop},
    {"PalRight", &WindowPlacement::palRight},     {"PalBottom", &WindowPlacement::palBottom},
    {"ExPalX", &WindowPlacement::exPalX},         {"ExPalY", &WindowPlacement::exPalY},
    {"PrevLeft", &WindowPlacement::prevLeft},     {"PrevTop", &WindowPlacement::prevTop},
    {"PrevRight", &WindowPlacement::prevRight},   {"PrevBottom", &WindowPlacement::prevBottom},
    {"ImgVLeft", &WindowPlacement::imgVLeft},     {"ImgVTop", &WindowPlacement::imgVTop},
    {"ImgVRight", &WindowPlacement::imgVRight},   {"ImgVBottom", &WindowPlacement::imgVBottom},
};

using S = Settings;
const IntKey<S> kEnvKeys[] = {
    {"WinViewFlag", &S::winViewFlag, true}, {"ExViewFlag", &S::exViewFlag}, {"ViewBkFlag", &S::viewBkFlag, true},
    {"OptFlag", &S::optFlag},               {"ImgVFlag", &S::imgVFlag, true}, {"PrevFlag", &S::prevFlag},
    {"TabletFlag", &S::tabletFlag},         {"DefImgW", &S::defImgW},       {"DefImgH", &S::defImgH},
    {"LastImgW", &S::lastImgW},             {"LastImgH", &S::lastImgH},     {"ScaleDAdd", &S::scaleDAdd},
    {"ScaleUAdd", &S::scaleUAdd},           {"UndoCnt", &S::undoCnt},       {"GridW", &S::gridW},
    {"GridH", &S::gridH},                   {"GridPixelPer", &S::gridPixelPer}, {"ColBarType", &S::colBarType},
    {"TexViewSize", &S::texViewSize},       {"PalViewW", &S::palViewW},     {"PalViewH", &S::palViewH},
    {"PalRBtt", &S::palRBtt, true},         {"PalDefTab", &S::palDefTab},   {"ExPalType", &S::exPalType},
    {"PrevScale", &S::prevScale},           {"ImgVScale", &S::imgVScale},   {"InfoBarPos", &S::infoBarPos},
    {"PNGComp", &S::pngComp},               {"JPEGComp", &S::jpegComp, true}, {"ScaleType", &S::scaleType},
    {"RotateAngle", &S::rotateAngle},       {"DefErase", &S::defErase},     {"BrushCirSize", &S::brushCirSize},
    {"TaleTool", &S::taleTool},             {"TabSide1", &S::tabSide1},     {"TabSide2", &S::tabSide2},
    {"EraseBkTool", &S::eraseBkTool},       {"FixSaveOpt", &S::fixSaveOpt}, {"CanvBkCol", &S::canvBkCol},
    {"CheckCol1", &S::checkCol1},           {"CheckCol2", &S::checkCol2},   {"GridCol", &S::gridCol},
    {"CenterGridCol", &S::centerGridCol},   {"GradMapCol1", &S::gradMapCol1}, {"GradMapCol2", &S::gradMapCol2},
    {"AutosaveMin", &S::autosaveMin},       {"FlattenAsk", &S::flattenAsk},
};

using E = ToolEnv;
const IntKey<E, uint32_t> kToolEnvKeys[] = {
    {"Pencil", &E::pencil},         {"Pen", &E::pen},   {"Pen2", &E::pen2, true},     {"Brush", &E::brush},
    {"ErasePen", &E::erasePen, true}, {"EraseBrush", &E::eraseBrush}, {"Splay", &E::splay, true},
    {"Dodge", &E::dodge},           {"Burn", &E::burn, true}, {"Water", &E::water}, {"Paint", &E::paint},
    {"Grad", &E::grad, true},
};

const IntKey<S> kTextKeys[] = {
    {"WinX", &S::textWinX},       {"WinY", &S::textWinY},           {"CharSet", &S::charSet},
    {"FontSize", &S::fontSize},   {"CharSpace", &S::charSpace},     {"LineSpace", &S::lineSpace},
    {"Flag", &S::textFlag},
};

const IntKey<S> kDrawKeys[] = {
    {"ToolNo", &S::toolNo},         {"CurColNo", &S::curColNo},   {"DrawCol1", &S::drawCol1},
    {"DrawCol2", &S::drawCol2},     {"ColMaskType", &S::colMaskType}, {"ColMaskCnt", &S::colMaskCnt},
    {"TextureOn", &S::textureOn},   {"TextureSel", &S::textureSel},
};

struct StringKey {
  const char* name;
  std::string Settings::*field;
};
const StringKey kEnvFolders[] = {
    {"OpenDir", &S::openDir}, {"SaveDir", &S::saveDir}, {"ImgVDir", &S::imgVDir}, {"FixSaveDir", &S::fixSaveDir}};

template <class Owner, class Value, size_t N>
void readInts(const IniReader& ini, const IntKey<Owner, Value> (&keys)[N], Owner& owner) {
  for (const auto& key : keys) {
    int32_t v = ini.readInt(key.name, int32_t(owner.*key.field));
    owner.*key.field = Value(key.word ? int32_t(uint16_t(v)) : v);
  }
}

class IniText {
 public:
  void section(const char* name) { line(std::string("[") + name + "]"); }
  void integer(const std::string& key, int32_t value) { line(key + "=" + std::to_string(value)); }
  void text(const std::string& key, const std::string& value) { line(key + "=" + value); }
  void hex(const std::string& key, uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%x", value);
    line(key + "=" + buffer);
  }
  template <class T, size_t N>
  void list(const std::string& key, const std::array<T, N>& values) {
    std::string v;
    for (T value : values) v += std::to_string(std::is_same_v<T, uint32_t> ? int64_t(int32_t(value)) : int64_t(value)) + ",";
    line(key + "=" + v);
  }
  template <class Owner, class Value, size_t N>
  void ints(const IntKey<Owner, Value> (&keys)[N], const Owner& owner) {
    for (const auto& key : keys)
      integer(key.name, key.word ? int32_t(uint16_t(owner.*key.field)) : int32_t(owner.*key.field));
  }
  std::string take() { return std::move(out_); }

 private:
  void line(const std::string& s) { out_ += s + "\r\n"; }
  std::string out_;
};

void readDraw(IniReader& ini, Settings& s) {
  int32_t colMaskType = s.colMaskType;
  readInts(ini, kDrawKeys, s);
  s.colMaskType = colMaskType;   // the colour mask is off after every start
  ini.readList("DrawType", s.drawType.data(), kToolCount, 1);
  ini.readList("BrushSize", s.brushSize.data(), kToolCount, 1);
  ini.readList("BrushAlpha", s.brushAlpha.data(), kToolCount, 1);
  ini.readList("MaskCol", s.maskCol.data(), int(s.maskCol.size()), 4);
}

void readNumbered(IniReader& ini, Settings& s) {
  if (ini.selectSection("NewSizeRecent"))
    for (int n = 0; n < kNewSizeRecentCount; ++n)
      s.newSizeRecent[size_t(n)] = uint32_t(ini.readIntByNumber(n, int(s.newSizeRecent[size_t(n)])));
  if (ini.selectSection("BrushSave"))
    for (int n = 0; n < kToolCount; ++n) ini.readList(std::to_string(n), s.brushSave[size_t(n)].data(), 7, 2);
  if (ini.selectSection("MaskColRecent"))
    for (int n = 0; n < int(s.maskColRecent.size()); ++n)
      s.maskColRecent[size_t(n)] = ini.readHexByNumber(n, s.maskColRecent[size_t(n)]);
  if (ini.selectSection("RecentFile"))
    for (int n = 0; n < kRecentFileCount; ++n)
      s.recentFiles[size_t(n)] = ini.readString(std::to_string(n), s.recentFiles[size_t(n)]);
  if (ini.selectSection("RecentDir"))
    for (int n = 0; n < kRecentDirCount; ++n)
      s.recentDirs[size_t(n)] = ini.readString(std::to_string(n), s.recentDirs[size_t(n)]);
  if (ini.selectSection("PaletteName"))
    for (int n = 0; n < kPaletteNameCount; ++n)
      s.paletteNames[size_t(n)] = ini.readString(std::to_string(n), s.paletteNames[size_t(n)]);
}

}  // namespace

void readSettings(IniReader& ini, Settings& s, WindowPlacement& placement) {
  if (ini.selectSection("Window")) readInts(ini, kWindowKeys, placement);
  if (ini.selectSection("Env")) {
    readInts(ini, kEnvKeys, s);
    s.exViewFlag &= ~0x05;   // neither mirroring nor full screen survives a restart
    for (const auto& key : kEnvFolders) s.*key.field = ini.readString(key.name, s.*key.field);
    s.scanDevice = ini.readString("ScanDevice", s.scanDevice);
  }
  if (ini.selectSection("ToolEnv")) readInts(ini, kToolEnvKeys, s.toolEnv);
  if (ini.selectSection("Text")) {
    readInts(ini, kTextKeys, s);
    char font[32];
    ini.readStringInto("FontName", font, sizeof font, s.fontName.c_str());
    s.fontName = font;
  }
  if (ini.selectSection("Draw")) readDraw(ini, s);
  readNumbered(ini, s);
}

std::string settingsText(const Settings& s, const WindowPlacement& placement) {
  IniText ini;
  ini.section("Tessel2");
  ini.integer("Version", 0);
  ini.section("Window");
  ini.ints(kWindowKeys, placement);
  ini.section("Env");
  ini.ints(kEnvKeys, s);
  for (const auto& key : kEnvFolders) ini.text(key.name, s.*key.field);
  // Only once a scanner was chosen: the file stays as it was for everyone else.
  if (!s.scanDevice.empty()) ini.text("ScanDevice", s.scanDevice);
  ini.section("ToolEnv");
  ini.ints(kToolEnvKeys, s.toolEnv);
  ini.section("Text");
  ini.integer("WinX", s.textWinX);
  ini.integer("WinY", s.textWinY);
  ini.text("FontName", s.fontName);
  for (size_t i = 2; i < std::size(kTextKeys); ++i) ini.integer(kTextKeys[i].name, s.*kTextKeys[i].field);
  ini.section("Draw");
  ini.ints(kDrawKeys, s);
  ini.list("DrawType", s.drawType);
  ini.list("BrushSize", s.brushSize);
  ini.list("BrushAlpha", s.brushAlpha);
  ini.list("MaskCol", s.maskCol);
  ini.section("NewSizeRecent");
  for (size_t n = 0; n < s.newSizeRecent.size(); ++n) ini.integer(std::to_string(n), int32_t(s.newSizeRecent[n]));
  ini.section("BrushSave");
  for (size_t n = 0; n < s.brushSave.size(); ++n) ini.list(std::to_string(n), s.brushSave[n]);
  ini.section("MaskColRecent");
  for (size_t n = 0; n < s.maskColRecent.size(); ++n) ini.hex(std::to_string(n), s.maskColRecent[n]);
  ini.section("RecentFile");
  for (size_t n = 0; n < s.recentFiles.size(); ++n) ini.text(std::to_string(n), s.recentFiles[n]);
  ini.section("RecentDir");
  for (size_t n = 0; n < s.recentDirs.size(); ++n) ini.text(std::to_string(n), s.recentDirs[n]);
  if (std::any_of(s.paletteNames.begin(), s.paletteNames.end(), [](const std::string& n) { return !n.empty(); })) {
    ini.section("PaletteName");
    for (size_t n = 0; n < s.paletteNames.size(); ++n) ini.text(std::to_string(n), s.paletteNames[n]);
  }
  return ini.take();
}

void loadSettings(const std::string& folder, Settings& settings, WindowPlacement& placement, KeyTable& keys) {
  IniReader ini;
  ini.load(folder + "/config.ini");
  readSettings(ini, settings, placement);
  keys.reset();
  keys.load(folder + "/key.dat");
}

bool saveSettings(const std::string& folder, const Settings& settings, const WindowPlacement& placement,
                  const KeyTable& keys) {
  std::string text = settingsText(settings, placement);
  bool ok = saveReplacing(folder + "/config.ini",
                          [&](File& file) { return file.writeAll(text.data(), text.size()); });
  return ok && keys.save(folder + "/key.dat");
}

std::string settingsFolder() {
  if (const char* home = std::getenv("TESSEL_HOME"); home && *home) return home;
  char buffer[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return ".";
  return folderOf(std::string(buffer, size_t(n)));
}

}  // namespace tessel
