#pragma once

namespace tessel {

// The largest canvas side: new images, images taken from the clipboard,
// canvas-size and scaling commands, and every document reader.
constexpr int kMaxCanvasSize = 4500;

// The largest picture side the flat-image readers (BMP, PNG, JPEG, GIF)
// accept; larger headers are refused before any pixel memory is taken. It is
// the canvas limit, so every picture they give can become a document.
constexpr int kMaxReadSide = kMaxCanvasSize;

// The largest side of the merged image read from a PSD file, the format's
// own limit: the picture is only looked at, never made a canvas.
constexpr int kMaxPsdSide = 30000;

}  // namespace tessel
