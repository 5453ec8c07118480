#pragma once
#include <cstdint>
#include <random>

#include "draw/pixel/pixel_gate.h"
#include "image/geometry.h"

namespace tessel {

class Document;
class Image32;

// The keys held at the fill's press.
struct FillKeys {
  bool ctrl = false, shift = false, alt = false;
};

// Normal (exact colour), under the anti-aliased fringe of line art, erasing
// the exact colour, erasing the opaque region.
enum class FillMode { Normal, Fringe, EraseExact, EraseOpaque };

struct FillRequest {
  int x = 0, y = 0;           // image pixels
  Pixel colour = 0;           // 0x00RRGGBB
  int opacity = 255;          // the fill tool's opacity
  uint32_t paint = 1;         // the Paint option word
  uint32_t optFlag = 0;
  FillKeys keys;
  bool plain = false;         // the per-pixel path the fast one is checked against
};

constexpr uint32_t kPaintReference = 0x1;
constexpr uint32_t kPaintFringe = 0x2;
constexpr uint32_t kPaintErase = 0x4;
constexpr uint32_t kPaintEraseOpaque = 0x8;
constexpr uint32_t kOptFlagEraseFillCurrentOnly = 0x40;

// The mode a press picks; clicked is the reference pixel under it.
FillMode fillModeOf(uint32_t paint, const FillKeys& keys, Pixel clicked);

// The fill's reference image, canvas size: the first of the layers (colours
// and alpha) with every further layer's alpha united into it. The layers are
// those marked as fill references, top first, or the current layer alone
// when none is marked or currentOnly is set.
void buildFillReference(const Document& doc, bool currentOnly, Image32& out);

// Floods the region at the request's point on the current layer, through the
// stroke buffer and the gate (whose reference becomes the layer), using the
// document's layer backup as the reference image, and records one undo step
// of the filled rectangle. Returns that rectangle; empty when nothing was
// done (a point outside, a normal fill of the value already there).
Rect fillAt(Document& doc, const PixelGate& gate, std::mt19937& random, const FillRequest& req);

}  // namespace tessel
