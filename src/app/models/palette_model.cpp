#include "app/models/palette_model.h"

#include <algorithm>
#include <memory>

#include "config/settings.h"
#include "draw/tool/tool_settings.h"
#include "filters/colour_models.h"

namespace tessel {

static_assert(kPaletteTabs == kPaletteNameCount);

namespace {

constexpr Pixel kGround = 0xFFC0C0C0;
constexpr Pixel kMarkOuter = 0xFF000000;
constexpr Pixel kMarkInner = 0xFFFFFFFF;
constexpr int kGap = 1;

void frame(Image32& out, const Rect& r, Pixel colour) {
  Rect c = r.intersected(out.bounds());
  if (c.empty()) return;
  for (int x = c.x; x < c.x + c.w; ++x) {
    if (r.y >= 0 && r.y < out.height()) out.set(x, r.y, colour);
    if (r.y + r.h - 1 >= 0 && r.y + r.h - 1 < out.height()) out.set(x, r.y + r.h - 1, colour);
  }
  for (int y = c.y; y < c.y + c.h; ++y) {
    if (r.x >= 0 && r.x < out.width()) out.set(r.x, y, colour);
    if (r.x + r.w - 1 >= 0 && r.x + r.w - 1 < out.width()) out.set(r.x + r.w - 1, y, colour);
  }
}

}  // namespace

int SwatchLayout::indexAt(int x, int y, int count) const {
  if (x < kGap || y < kGap || cellW < 1 || cellH < 1) return -1;
  const int col = (x - kGap) / (cellW + kGap), row = (y - kGap) / (cellH + kGap);
  if (col >= columns) return -1;
  // The gaps belong to no cell.
  if ((x - kGap) % (cellW + kGap) >= cellW || (y - kGap) % (cellH + kGap) >= cellH) return -1;
  const int index = row * columns + col;
  return index < count ? index : -1;
}

Rect SwatchLayout::cellRect(int index) const {
  const int cols = std::max(1, columns);
  return {kGap + (index % cols) * (cellW + kGap), kGap + (index / cols) * (cellH + kGap), cellW, cellH};
}

int SwatchLayout::heightFor(int count) const {
  const int rows = (std::max(count, 1) + std::max(1, columns) - 1) / std::max(1, columns);
  return kGap + rows * (cellH + kGap);
}

void drawSwatches(Image32& out, int width, const uint32_t* colours, int count,
                  const SwatchLayout& layout, int marked) {
  if (!out.create(std::max(width, 1), layout.heightFor(count))) return;
  out.fill(kGround);
  for (int i = 0; i < count; ++i) {
    Rect r = layout.cellRect(i).intersected(out.bounds());
    if (!r.empty()) out.fillRect(r.x, r.y, r.w, r.h, 0xFF000000u | (colours[i] & 0xFFFFFFu));
  }
  if (marked >= 0 && marked < count) {
    Rect r = layout.cellRect(marked);
    frame(out, {r.x - 1, r.y - 1, r.w + 2, r.h + 2}, kMarkOuter);
    frame(out, {r.x, r.y, r.w, r.h}, kMarkInner);
  }
}

std::vector<uint32_t> exPaletteSwatches(int type, int& columns) {
  switch (type) {
    case 1: columns = kHsvSwatchColumns; return hsvVividSwatches();
    case 2: columns = kHsvSwatchColumns; return hsvPaleSwatches();
    default: columns = kHlsSwatchColumns; return hlsSwatches();
  }
}

void PaletteModel::selectTab(int tab) {
  if (tab >= 0 && tab < set_.tabCount) tab_ = tab;
}

int PaletteModel::usedCount() const {
  if (tab_ >= set_.tabCount) return 0;
  int n = kPaletteColours;
  while (n > 0 && set_.colours[tab_][n - 1] == kPaletteEmpty) --n;
  return n;
}

bool PaletteModel::pick(int index, bool other) {
  if (tab_ >= set_.tabCount || index < 0 || index >= usedCount()) return false;
  const Pixel colour = set_.colours[tab_][index] & 0xFFFFFFu;
  ((draw_.curColNo == 1) != other ? draw_.drawCol2 : draw_.drawCol1) = colour;
  return true;
}

bool PaletteModel::ensureTab() {
  if (set_.tabCount > 0) return true;
  return addTab();
}

bool PaletteModel::addCurrent() {
  if (!ensureTab()) return false;
  uint32_t* tab = set_.colours[tab_];
  const int used = usedCount();
  // White is the empty cell's value: it is appended after the used cells.
  int slot = used;
  for (int i = 0; i < used; ++i)
    if (tab[i] == kPaletteEmpty) {
      slot = i;
      break;
    }
  if (slot >= kPaletteColours) return false;
  tab[slot] = draw_.drawingColour() & 0xFFFFFFu;
  set_.changed = true;
  return true;
}

bool PaletteModel::remove(int index) {
  if (tab_ >= set_.tabCount || index < 0 || index >= usedCount()) return false;
  uint32_t* tab = set_.colours[tab_];
  std::copy(tab + index + 1, tab + kPaletteColours, tab + index);
  tab[kPaletteColours - 1] = kPaletteEmpty;
  set_.changed = true;
  return true;
}

bool PaletteModel::addTab() {
  if (set_.tabCount >= kPaletteTabs) return false;
  set_.clearTab(set_.tabCount);
  tab_ = set_.tabCount++;
  set_.changed = true;
  return true;
}

bool PaletteModel::removeTab() {
  if (set_.tabCount == 0) return false;
  for (int t = tab_; t + 1 < set_.tabCount; ++t)
    std::copy(set_.colours[t + 1], set_.colours[t + 1] + kPaletteColours, set_.colours[t]);
  set_.clearTab(--set_.tabCount);
  if (names_) {
    std::move(names_->begin() + tab_ + 1, names_->end(), names_->begin() + tab_);
    names_->back().clear();
  }
  tab_ = std::max(0, std::min(tab_, set_.tabCount - 1));
  set_.changed = true;
  return true;
}

std::string PaletteModel::tabName(int tab) const {
  if (tab < 0 || tab >= kPaletteTabs) return {};
  if (names_ && !(*names_)[size_t(tab)].empty()) return (*names_)[size_t(tab)];
  return std::to_string(tab + 1);
}

bool PaletteModel::renameTab(int tab, const std::string& name) {
  if (!names_ || tab < 0 || tab >= set_.tabCount) return false;
  std::string cut = name;
  for (char& c : cut)
    if (c == '\r' || c == '\n') c = ' ';
  if (cut.size() > 31) {
    size_t n = 31;
    while (n > 0 && (static_cast<unsigned char>(cut[n]) & 0xC0) == 0x80) --n;   // a UTF-8 continuation byte
    cut.resize(n);
  }
  (*names_)[size_t(tab)] = cut == std::to_string(tab + 1) ? std::string() : cut;
  return true;
}

bool PaletteModel::importFile(const std::string& path) {
  // Into a scratch set, so a failure leaves the tab untouched.
  auto scratch = std::make_unique<PaletteSet>();
  scratch->tabCount = 1;
  if (!importPaletteFile(path, *scratch, 0) || !ensureTab()) return false;
  std::copy(scratch->colours[0], scratch->colours[0] + kPaletteColours, set_.colours[tab_]);
  set_.changed = true;
  return true;
}

bool PaletteModel::exportFile(const std::string& path) const {
  return tab_ < set_.tabCount && exportPaletteFile(path, set_, tab_);
}

bool PaletteModel::fromImage(const std::string& path) {
  auto scratch = std::make_unique<PaletteSet>();
  scratch->tabCount = 1;
  if (!paletteFromImage(path, *scratch, 0) || !ensureTab()) return false;
  std::copy(scratch->colours[0], scratch->colours[0] + kPaletteColours, set_.colours[tab_]);
  set_.changed = true;
  return true;
}

}  // namespace tessel
