#include "platform/image_decoders.h"

#include <gif_lib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>

namespace tessel {

namespace {

bool allocate(DecodedImage& out, int width, int height, uint32_t fill) {
  const size_t n = size_t(width) * size_t(height);
  out.pixels.reset(new (std::nothrow) uint32_t[n]);
  if (!out.pixels) return false;
  out.width = width;
  out.height = height;
  for (size_t i = 0; i < n; ++i) out.pixels[i] = fill;
  return true;
}

struct JpegError {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void jpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1); }
void jpegQuiet(j_common_ptr) {}

// Four bytes C, M, Y, K per pixel into opaque 0xAARRGGBB, in place. Adobe's
// writers store the inks inverted (0 = full ink), which the marker tells.
void cmykToRgb(uint32_t* pixels, int width, bool adobeInverted) {
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(pixels);
  for (int x = 0; x < width; ++x, bytes += 4) {
    uint32_t c = bytes[0], m = bytes[1], y = bytes[2], k = bytes[3];
    if (!adobeInverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    pixels[x] = 0xFF000000u | (c * k + 127) / 255 << 16 | (m * k + 127) / 255 << 8 | (y * k + 127) / 255;
  }
}

// No object with a destructor lives in this frame: the library leaves it
// with a long jump on any error.
DecodeStatus decodeJpegFrame(jpeg_decompress_struct& info, JpegError& error, const uint8_t* data, size_t size,
                             int maxSide, int minSide, DecodedImage& out) {
  if (setjmp(error.jump)) return DecodeStatus::kFailed;
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  if (info.image_width == 0 || info.image_height == 0) return DecodeStatus::kFailed;
  if (info.image_width > unsigned(maxSide) || info.image_height > unsigned(maxSide)) return DecodeStatus::kTooLarge;
  const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
  // The library turns YCCK into CMYK but not CMYK into RGB.
  info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
  unsigned denom = 1;
  if (minSide > 0) {
    // The scaled inverse transforms: at 1/8 only the DC terms are used.
    const unsigned longer = info.image_width > info.image_height ? info.image_width : info.image_height;
    while (denom < 8 && longer / (denom * 2) >= unsigned(minSide)) denom *= 2;
    info.scale_num = 1;
    info.scale_denom = denom;
    info.do_fancy_upsampling = FALSE;
  }
  jpeg_start_decompress(&info);
  if (info.output_width != (info.image_width + denom - 1) / denom ||
      info.output_height != (info.image_height + denom - 1) / denom ||
      !allocate(out, int(info.output_width), int(info.output_height), 0xFF000000u))
    return DecodeStatus::kFailed;
  while (info.output_scanline < info.output_height) {
    uint32_t* pixels = out.pixels.get() + size_t(info.output_scanline) * out.width;
    JSAMPROW row = reinterpret_cast<JSAMPROW>(pixels);
    if (jpeg_read_scanlines(&info, &row, 1) == 1 && cmyk) cmykToRgb(pixels, out.width, info.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&info);
  return DecodeStatus::kOk;
}

}  // namespace

namespace {

DecodeStatus decodeJpegAt(const uint8_t* data, size_t size, int maxSide, int minSide, DecodedImage& out) {
  out = DecodedImage{};
  if (!data || size < 4 || size > 0x7FFFFFFFu) return DecodeStatus::kFailed;
  jpeg_decompress_struct info{};
  JpegError error{};
  info.err = jpeg_std_error(&error.manager);
  error.manager.error_exit = jpegFail;
  error.manager.output_message = jpegQuiet;
  jpeg_create_decompress(&info);
  const DecodeStatus status = decodeJpegFrame(info, error, data, size, maxSide, minSide, out);
  jpeg_destroy_decompress(&info);
  if (status != DecodeStatus::kOk) out = DecodedImage{};
  return status;
}

}  // namespace

DecodeStatus decodeJpeg(const uint8_t* data, size_t size, int maxSide, DecodedImage& out) {
  return decodeJpegAt(data, size, maxSide, 0, out);
}

DecodeStatus decodeJpegReduced(const uint8_t* data, size_t size, int maxSide, int minSide, DecodedImage& out) {
  return decodeJpegAt(data, size, maxSide, minSide < 1 ? 1 : minSide, out);
}

// ---------------------------------------------------------------------------

namespace {

struct MemoryReader {
  const uint8_t* data;
  size_t size;
  size_t at;
};

int readGifBytes(GifFileType* gif, GifByteType* buffer, int count) {
  auto* reader = static_cast<MemoryReader*>(gif->UserData);
  size_t n = count < 0 ? 0 : size_t(count);
  if (n > reader->size - reader->at) n = reader->size - reader->at;
  std::memcpy(buffer, reader->data + reader->at, n);
  reader->at += n;
  return int(n);
}

struct GifCloser {
  void operator()(GifFileType* gif) const {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
};

struct Transparency {
  bool seenControl = false;
  int index = -1;
};

bool skipExtension(GifFileType* gif, Transparency& t) {
  int code = 0;
  GifByteType* block = nullptr;
  if (DGifGetExtension(gif, &code, &block) != GIF_OK) return false;
  if (code == GRAPHICS_EXT_FUNC_CODE && !t.seenControl && block && block[0] >= 4) {
    t.seenControl = true;
    if (block[1] & 1) t.index = block[4];
  }
  while (block) {
    if (DGifGetExtensionNext(gif, &block) != GIF_OK) return false;
  }
  return true;
}

uint32_t colourAt(const ColorMapObject* map, int index, uint32_t otherwise) {
  if (!map || index < 0 || index >= map->ColorCount) return otherwise;
  const GifColorType& c = map->Colors[index];
  return 0xFF000000u | uint32_t(c.Red) << 16 | uint32_t(c.Green) << 8 | c.Blue;
}

// Draws the image's rows onto the screen; rows that do not arrive stay as
// the screen was.
void drawFrame(GifFileType* gif, const ColorMapObject* map, int transparent, DecodedImage& out) {
  const GifImageDesc& d = gif->Image;
  if (d.Width <= 0 || d.Height <= 0) return;
  std::unique_ptr<GifPixelType[]> row(new (std::nothrow) GifPixelType[size_t(d.Width)]);
  if (!row) return;
  static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
  const int passes = d.Interlace ? 4 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const int start = d.Interlace ? kStart[pass] : 0, step = d.Interlace ? kStep[pass] : 1;
    for (int y = start; y < d.Height; y += step) {
      if (DGifGetLine(gif, row.get(), d.Width) != GIF_OK) return;
      const int sy = d.Top + y;
      if (sy < 0 || sy >= out.height) continue;
      uint32_t* dst = out.pixels.get() + size_t(sy) * out.width;
      for (int x = 0; x < d.Width; ++x) {
        const int sx = d.Left + x;
        if (sx >= out.width || row[x] == transparent) continue;
        dst[sx] = colourAt(map, row[x], 0xFF000000u);
      }
    }
  }
}

}  // namespace

DecodeStatus decodeGif(const uint8_t* data, size_t size, int maxSide, DecodedImage& out) {
  out = DecodedImage{};
  if (!data || size < 13) return DecodeStatus::kFailed;
  MemoryReader reader{data, size, 0};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readGifBytes, &error));
  if (!gif) return DecodeStatus::kFailed;
  if (gif->SWidth <= 0 || gif->SHeight <= 0) return DecodeStatus::kFailed;
  if (gif->SWidth > maxSide || gif->SHeight > maxSide) return DecodeStatus::kTooLarge;
  Transparency transparency;
  for (;;) {
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    if (DGifGetRecordType(gif.get(), &type) != GIF_OK || type == TERMINATE_RECORD_TYPE) return DecodeStatus::kFailed;
    if (type == EXTENSION_RECORD_TYPE) {
      if (!skipExtension(gif.get(), transparency)) return DecodeStatus::kFailed;
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif.get()) != GIF_OK) return DecodeStatus::kFailed;
    break;
  }
  const ColorMapObject* map = gif->Image.ColorMap ? gif->Image.ColorMap : gif->SColorMap;
  // With a transparent colour the screen starts transparent (white, as an
  // Image32 keeps it) and that index leaves it so.
  const uint32_t fill = transparency.index >= 0 ? 0x00FFFFFFu : 0xFF000000u;
  if (!allocate(out, gif->SWidth, gif->SHeight, fill)) return DecodeStatus::kFailed;
  drawFrame(gif.get(), map, transparency.index, out);
  return DecodeStatus::kOk;
}

namespace {

class PlatformDecoders final : public PictureDecoders {
 public:
  DecodeStatus jpeg(const uint8_t* data, size_t size, int maxSide, DecodedImage& out) const override {
    return decodeJpeg(data, size, maxSide, out);
  }
  DecodeStatus jpegReduced(const uint8_t* data, size_t size, int maxSide, int minSide,
                           DecodedImage& out) const override {
    return decodeJpegReduced(data, size, maxSide, minSide, out);
  }
  DecodeStatus gif(const uint8_t* data, size_t size, int maxSide, DecodedImage& out) const override {
    return decodeGif(data, size, maxSide, out);
  }
};

}  // namespace

const PictureDecoders& platformPictureDecoders() {
  static const PlatformDecoders decoders;
  return decoders;
}

}  // namespace tessel
