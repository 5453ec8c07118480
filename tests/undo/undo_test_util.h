#pragma once
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "document/document.h"
#include "undo/undo_history.h"

namespace tessel::undotest {

// A fresh folder for one test's temporary files, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    static int serial = 0;
    path_ = std::filesystem::temp_directory_path() /
            ("tessel-undo-" + std::to_string(::getpid()) + "-" + std::to_string(serial++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  int fileCount() const {
    int n = 0;
    for (auto& entry : std::filesystem::directory_iterator(path_)) n += entry.is_regular_file() ? 1 : 0;
    return n;
  }

 private:
  std::filesystem::path path_;
};

// Random pixels; about `clear` of every 100 fully transparent with random
// colour bytes, the rest with alpha 1..255.
inline void scribble(Image32& image, const Rect& r, std::mt19937& rng, int clear) {
  std::uniform_int_distribution<uint32_t> any;
  std::uniform_int_distribution<int> percent(0, 99);
  for (int y = r.y; y < r.bottom(); ++y)
    for (int x = r.x; x < r.right(); ++x) {
      uint32_t v = any(rng);
      if (percent(rng) < clear)
        v &= 0x00FFFFFFu;
      else if ((v >> 24) == 0)
        v |= 0x01000000u;
      image.set(x, y, v);
    }
}

// Transparent pixels as the decoder writes them, for comparisons.
inline Pixel normalised(Pixel p) { return (p >> 24) ? p : kTransparent; }

struct LayerShot {
  std::string name;
  uint8_t blendMode, opacity, maskMode, flags;
  int width, height;
  std::vector<Pixel> pixels;
  bool operator==(const LayerShot&) const = default;
};

struct Shot {
  int width = 0, height = 0, current = 0;
  std::vector<LayerShot> layers;
  bool operator==(const Shot&) const = default;
};

// Everything undo promises to restore, with transparent pixels normalised.
inline Shot shoot(const Document& doc) {
  Shot s{doc.width(), doc.height(), doc.currentIndex(), {}};
  for (int i = 0; i < doc.layerCount(); ++i) {
    const Layer& l = *doc.layers().atIndex(i);
    LayerShot ls{l.name, l.blendMode, l.opacity, l.maskMode, l.flags,
                 l.image().width(), l.image().height(), {}};
    for (int y = 0; y < l.image().height(); ++y)
      for (int x = 0; x < l.image().width(); ++x) ls.pixels.push_back(normalised(l.image().at(x, y)));
    s.layers.push_back(std::move(ls));
  }
  return s;
}

inline std::vector<std::string> layerNames(const Document& doc) {
  std::vector<std::string> out;
  for (int i = 0; i < doc.layerCount(); ++i) out.push_back(doc.layers().atIndex(i)->name);
  return out;
}

}  // namespace tessel::undotest
