#include "draw/fill/gradient.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

#include "document/document.h"
#include "document/layer.h"
#include "document/pixel_edit.h"
#include "draw/fill/gradient_rows.h"
#include "filters/colour_models.h"
#include "image/image32.h"

namespace tessel {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEntriesPerRadian = 81.32817591995852;   // 511 / 2 pi

int channelAt(Pixel c1, Pixel c2, int shift, int i) {
  const int a = int((c1 >> shift) & 0xFF), b = int((c2 >> shift) & 0xFF);
  return a + (b - a) * i / 511;
}

// The effect table's alpha: straight lines through the knots.
int effectAlpha(int i) {
  static constexpr int kP[] = {0, 2562, 3744, 3837, 3907, 4096};
  static constexpr int kA[] = {0, 0, 35, 42, 19, 0};
  const int p = 4096 * i / 511;
  for (int k = 0; k + 1 < 6; ++k)
    if (p <= kP[k + 1]) return kA[k] + (kA[k + 1] - kA[k]) * (p - kP[k]) / (kP[k + 1] - kP[k]);
  return 0;
}

Pixel entryOf(int kind, Pixel c1, Pixel c2, int i) {
  switch (kind) {
    case kGradientWhiteBlack: {
      const uint32_t g = uint32_t(255 - 255 * i / 511);
      return makePixel(255, g, g, g);
    }
    case kGradientOpaqueClear: return (c1 & 0xFFFFFFu) | Pixel(255 - 255 * i / 511) << 24;
    case kGradientRainbow:
      return packRgb(hsvToRgb({359 * i / 511, 255, 255})) | 0xFF000000u;
    case kGradientEffect: return (c1 & 0xFFFFFFu) | Pixel(effectAlpha(i)) << 24;
    default:
      return makePixel(255, uint32_t(channelAt(c1, c2, 16, i)), uint32_t(channelAt(c1, c2, 8, i)),
                       uint32_t(channelAt(c1, c2, 0, i)));
  }
}

}  // namespace

GradientGeometry gradientGeometryOf(int drawType) {
  switch (DrawType(drawType)) {
    case DrawType::Rectangle: case DrawType::FilledRectangle: return GradientGeometry::Box;
    case DrawType::Ellipse: case DrawType::FilledEllipse: return GradientGeometry::Radial;
    case DrawType::ConcentratedLines: return GradientGeometry::Angular;
    default: return GradientGeometry::Linear;
  }
}

GradientTable gradientTable(uint32_t grad, Pixel c1, Pixel c2, int opacity) {
  const int kind = int(grad & 0xFF) <= kGradientEffect ? int(grad & 0xFF) : kGradientForeBack;
  opacity = std::clamp(opacity, 0, 255);
  GradientTable t;
  for (int i = 0; i < kGradientEntries; ++i) {
    const Pixel e = entryOf(kind, c1, c2, i);
    t[size_t(i)] = (e & 0xFFFFFFu) | Pixel(opacity * int(alphaOf(e)) / 255) << 24;
  }
  if (grad & kGradReverse) std::reverse(t.begin(), t.end());
  const int g = int((grad >> 8) & 0xF);
  if (g > 0) {
    const int mask = (1 << g) - 1;
    for (int i = 1; i < kGradientEntries; ++i)
      if (i & mask) t[size_t(i)] = t[size_t(i - 1)];
  }
  return t;
}

GradientIndexer::GradientIndexer(const GradientRequest& req)
    : geometry_(gradientGeometryOf(req.drawType)),
      ax_(req.start.x), ay_(req.start.y),
      dx_(int64_t(req.end.x) - req.start.x), dy_(int64_t(req.end.y) - req.start.y),
      shift_(req.shift),
      wrap_(req.alt || (req.grad & 0xFF) == kGradientRainbow) {
  length_ = std::sqrt(double(dx_ * dx_ + dy_ * dy_));
  boxDiagonal_ = length_;
  theta0_ = std::atan2(double(dy_), double(dx_)) + kPi;
  if (geometry_ == GradientGeometry::Radial || geometry_ == GradientGeometry::Box)
    paints_ = dx_ != 0 || dy_ != 0;
}

int GradientIndexer::at(int x, int y) const {
  const int64_t px = x - ax_, py = y - ay_;
  switch (geometry_) {
    case GradientGeometry::Linear: {
      if (dx_ == 0 && dy_ == 0) return 0;
      return policy((px * dx_ + py * dy_) * 511 / (dx_ * dx_ + dy_ * dy_));
    }
    case GradientGeometry::Radial:
      return policy(int64_t(std::sqrt(double(px * px + py * py)) * 511 / length_));
    case GradientGeometry::Box: {
      const int64_t w = std::abs(dx_), h = std::abs(dy_);
      int64_t bx = std::abs(px), by = h != 0 ? std::abs(py) : 0;
      if (h != 0) bx = std::max(bx, w * by / h);
      if (w != 0) by = std::max(by, h * bx / w);
      else bx = 0;
      return policy(int64_t(std::sqrt(double(bx * bx + by * by)) * 511 / boxDiagonal_));
    }
    case GradientGeometry::Angular: {
      if (shift_ && std::sqrt(double(px * px + py * py)) > length_) return -1;
      const double a = std::atan2(double(py), double(px)) - theta0_ + kPi;
      return int(int64_t(a * kEntriesPerRadian - 0.8) & 0x1FF);
    }
  }
  return -1;
}

Rect drawGradient(Document& doc, const PixelGate& gate, std::mt19937& random,
                  const GradientRequest& req) {
  Layer* layer = doc.currentLayer();
  if (!layer || !layer->image().valid()) return {};
  const GradientIndexer indexer(req);
  if (!indexer.paints()) return {};
  Image32& image = layer->image();
  const GradientTable table = gradientTable(req.grad, req.c1, req.c2, req.opacity);
  PixelGate g = gate;
  g.reference = &image;
  // The document's layer backup holds the layer for the undo step.
  Image32& backup = doc.layerBackup;
  if (backup.width() != image.width() || backup.height() != image.height()) return {};
  backup.copyFrom(image);
  PixelEdit edit(doc, backup);
  edit.extend(image.bounds());
  // Every pixel depends on itself alone: the lower half of the rows runs on a
  // second thread with the same result.
  const GradientRows indices(req, image.width(), image.height());
  const bool open = gateAdmitsAll(g), keepAlpha = g.maskMode == kMaskAlpha;
  auto rows = [&](int y0, int y1, std::mt19937& rng) {
    std::vector<int32_t> idx(size_t(image.width()));
    for (int y = y0; y < y1; ++y) {
      indices.row(y, idx.data());
      if (open) {
        overKeepAlphaRow(image.row(y), idx.data(), image.width(), table, keepAlpha);
        continue;
      }
      for (int x = 0; x < image.width(); ++x)
        if (idx[size_t(x)] >= 0)
          applyPixelOp(kPixelOverKeepAlpha, g, rng, image, x, y, table[size_t(idx[size_t(x)])]);
    }
  };
  const int half = image.height() / 2;
  std::mt19937 second = random;
  std::thread lower([&] { rows(half, image.height(), second); });
  rows(0, half, random);
  lower.join();
  edit.commit(PixelEdit::Unchanged::Record);
  return image.bounds();
}

}  // namespace tessel
