#pragma once
#include <QByteArray>

#include "formats/clipboard_dib.h"

class QImage;

namespace tessel::clipboard {

// The system clipboard holds no DIB format here, so a copy offers the DIB
// block under a type of our own (alpha goes from one copy of the program to
// another unchanged) and a picture for other programs. Reading prefers our
// block and otherwise builds one from the clipboard's picture.
inline constexpr char kDibMimeType[] = "application/x-tessel-dib";

// 24-bit DIB with an opaque picture; 32-bit DIB with a picture with alpha.
bool copy24(const Image32& image);
bool copy32(const Image32& image);

// Size of the clipboard's bitmap (height as its absolute value); false when
// there is none.
bool bitmapSize(int& width, int& height);
// The clipboard's bitmap into target (already created): see the core
// functions of the same names. The clipboard with no bitmap gives false or
// DibResult::Invalid.
bool pasteBitmap(Image32& target);
DibResult pasteDib32(Image32& target);

// The clipboard's DIB block: ours, else made from its picture; empty when
// there is none.
QByteArray currentDib();
// A DIB block of picture: 32 bits when it has an alpha channel, else 24;
// empty for a null picture.
QByteArray dibFromImage(const QImage& picture);

}  // namespace tessel::clipboard
