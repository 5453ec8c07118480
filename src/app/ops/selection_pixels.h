#pragma once
#include "draw/selection/selection.h"
#include "filters/resample.h"

namespace tessel {

class BrushEngine;

// The pixel work of the Select menu on the current layer, over the
// selection's rectangle (the whole canvas when nothing is selected). Each
// records its undo step first and returns the canvas area it changed, empty
// when it did nothing; every one does nothing while the selection floats.

// Copy into the paste buffer; false when nothing was copied.
bool copySelection(Document& doc, Selection& sel);
// Copy, then the rectangle becomes transparent white.
Rect cutSelection(Document& doc, Selection& sel);
// The engine's context must be refreshed for the current layer: the pixel
// gate (mask mode, colour mask, texture) decides what changes.
Rect fillSelection(Document& doc, const Selection& sel, BrushEngine& engine, Pixel colour);
// Mask modes 2 and 3 keep what erasing would change: erase is refused there.
bool eraseRefused(const Document& doc);
Rect eraseSelection(Document& doc, const Selection& sel, BrushEngine& engine);

enum class TileDirection { All, Across, Down };
// The first tile's start: the largest position <= 0 a whole number of tiles
// away from pos.
constexpr int tileStart(int pos, int size) { return pos % size == 0 ? 0 : pos % size - size; }
Rect tileSelection(Document& doc, const Selection& sel, TileDirection direction);

Rect flipSelection(Document& doc, const Selection& sel, bool vertical);
// The rectangle a quarter turn leaves, keeping the centre (integer halves).
constexpr Rect quarterTurnRect(const Rect& r) {
  return {r.x + r.w / 2 - r.h / 2, r.y + r.h / 2 - r.w / 2, r.h, r.w};
}
Rect rotateSelection90(Document& doc, Selection& sel, bool counterClockwise);

// Bounding box (inclusive corners turned by +degrees about the centre).
Rect rotatedBoundingBox(const Rect& r, int degrees);
// Writes every pixel of area in layer from copy (the selection's pixels,
// selection = where they came from) turned by degrees, as the rotate command
// does after clearing area.
void rotatePixels(const Image32& copy, const Rect& selection, Image32& layer, const Rect& area,
                  int degrees, bool smooth);
Rect rotateSelection(Document& doc, Selection& sel, int degrees, bool smooth);

Rect scaleSelection(Document& doc, Selection& sel, int width, int height, ScaleMethod method);
// Every layer cut to the selection; false when it is the whole canvas.
bool cropToSelection(Document& doc, Selection& sel);

}  // namespace tessel
