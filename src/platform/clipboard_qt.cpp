#include "platform/clipboard_qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <memory>

namespace tessel::clipboard {

namespace {

const QString& mimeType() {
  static const QString type = QString::fromLatin1(kDibMimeType);
  return type;
}

// The picture other programs see: RGB32 is opaque whatever the alpha says.
QImage pictureOf(const Image32& image, QImage::Format format) {
  QImage picture(image.width(), image.height(), format);
  if (picture.isNull()) return picture;
  const uint32_t opaque = format == QImage::Format_RGB32 ? 0xFF000000u : 0;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
    const Pixel* src = image.row(y);
    for (int x = 0; x < image.width(); ++x) line[x] = src[x] | opaque;
  }
  return picture;
}

bool put(const Image32& image, int bitCount, QImage::Format format) {
  QClipboard* board = QGuiApplication::clipboard();
  const size_t size = dibByteSize(image, bitCount);
  if (!board || size == 0) return false;
  QByteArray bytes(qsizetype(size), Qt::Uninitialized);
  if (writeDib(image, bitCount, reinterpret_cast<uint8_t*>(bytes.data()), size) != size) return false;
  QImage picture = pictureOf(image, format);
  if (picture.isNull()) return false;
  auto mime = std::make_unique<QMimeData>();
  mime->setData(mimeType(), bytes);
  mime->setImageData(picture);
  board->setMimeData(mime.release());   // the clipboard owns it now
  return true;
}

const QMimeData* clipboardData() {
  QClipboard* board = QGuiApplication::clipboard();
  return board ? board->mimeData() : nullptr;
}

}  // namespace

bool copy24(const Image32& image) { return put(image, 24, QImage::Format_RGB32); }
bool copy32(const Image32& image) { return put(image, 32, QImage::Format_ARGB32); }

QByteArray dibFromImage(const QImage& picture) {
  if (picture.isNull()) return {};
  const bool alpha = picture.hasAlphaChannel();
  const QImage src = picture.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  if (src.isNull()) return {};
  const int bitCount = alpha ? 32 : 24;
  const int w = src.width(), h = src.height();
  const qsizetype stride = (qsizetype(w) * (bitCount / 8) + 3) & ~qsizetype(3);
  QByteArray out(qsizetype(kDibInfoHeaderSize) + stride * h, '\0');
  auto* base = reinterpret_cast<uint8_t*>(out.data());
  writeDibHeader(base, w, h, bitCount);
  uint8_t* row = base + kDibInfoHeaderSize;
  for (int y = h - 1; y >= 0; --y, row += stride) {   // bottom row first
    const auto* line = reinterpret_cast<const QRgb*>(src.constScanLine(y));
    uint8_t* p = row;
    for (int x = 0; x < w; ++x) {
      *p++ = uint8_t(qBlue(line[x]));
      *p++ = uint8_t(qGreen(line[x]));
      *p++ = uint8_t(qRed(line[x]));
      if (alpha) *p++ = uint8_t(qAlpha(line[x]));
    }
  }
  return out;
}

QByteArray currentDib() {
  const QMimeData* mime = clipboardData();
  if (!mime) return {};
  if (mime->hasFormat(mimeType())) return mime->data(mimeType());
  if (mime->hasImage()) return dibFromImage(qvariant_cast<QImage>(mime->imageData()));
  return {};
}

bool bitmapSize(int& width, int& height) {
  const QMimeData* mime = clipboardData();
  if (!mime) return false;
  if (mime->hasFormat(mimeType())) {
    const QByteArray bytes = mime->data(mimeType());
    return dibSize(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), width, height);
  }
  if (!mime->hasImage()) return false;
  const QImage picture = qvariant_cast<QImage>(mime->imageData());
  if (picture.isNull()) return false;
  width = picture.width();
  height = picture.height();
  return true;
}

bool pasteBitmap(Image32& target) {
  const QByteArray bytes = currentDib();
  return tessel::pasteBitmap(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), target);
}

DibResult pasteDib32(Image32& target) {
  const QByteArray bytes = currentDib();
  return tessel::pasteDib32(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()), target);
}

}  // namespace tessel::clipboard
