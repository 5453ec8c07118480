// A 4500 x 4500 photograph-like RGBA image through our PNG, JPEG, GIF and BMP
// code, next to libpng (level 6, filter none) and libjpeg-turbo (float DCT,
// quality 85) on the same image in the same run. Reading also takes the same
// picture as a 16-bit Adam7 file with libpng's own filter choice, both
// readers rounding to 8 bits.
#include <benchmark/benchmark.h>
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "formats/bmp_codec.h"
#include "formats/gif_writer.h"
#include "formats/jpeg_writer.h"
#include "formats/png_codec.h"

namespace tessel {
namespace {

constexpr int kSide = 4500;

std::string benchFile(const char* name) { return "/tmp/tessel_codec_bench_" + std::to_string(getpid()) + name; }

// Smooth colour fields from a coarse random grid, a soft alpha ramp at one
// edge and mild grain.
const Image32& photo() {
  static Image32 image;
  if (image.valid()) return image;
  image.create(kSide, kSide);
  std::mt19937 rng(42);
  constexpr int kGrid = 48;
  std::vector<float> grid(size_t(kGrid + 1) * (kGrid + 1) * 3);
  std::uniform_real_distribution<float> unit(0.f, 255.f);
  for (float& v : grid) v = unit(rng);
  std::uniform_int_distribution<int> noise(-3, 3);
  const float cell = float(kSide) / kGrid;
  for (int y = 0; y < kSide; ++y) {
    const int gy = int(y / cell);
    const float fy = y / cell - gy;
    const float sy = fy * fy * (3 - 2 * fy);
    for (int x = 0; x < kSide; ++x) {
      const int gx = int(x / cell);
      const float fx = x / cell - gx;
      const float sx = fx * fx * (3 - 2 * fx);
      uint32_t c[3];
      for (int k = 0; k < 3; ++k) {
        auto g = [&](int ix, int iy) { return grid[(size_t(iy) * (kGrid + 1) + ix) * 3 + k]; };
        const float top = g(gx, gy) + (g(gx + 1, gy) - g(gx, gy)) * sx;
        const float bottom = g(gx, gy + 1) + (g(gx + 1, gy + 1) - g(gx, gy + 1)) * sx;
        const int v = int(top + (bottom - top) * sy) + noise(rng);
        c[k] = uint32_t(v < 0 ? 0 : v > 255 ? 255 : v);
      }
      const uint32_t alpha = x < 300 ? uint32_t(x * 255 / 300) : 255;
      image.set(x, y, makePixel(alpha, c[0], c[1], c[2]));
    }
  }
  return image;
}

void libpngWrite(const Image32& image, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_compression_level(png, 6);
  png_set_filter(png, 0, PNG_FILTER_NONE);
  png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8, PNG_COLOR_TYPE_RGBA,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  for (int y = 0; y < image.height(); ++y)
    png_write_row(png, reinterpret_cast<png_const_bytep>(image.row(y)));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
}

void libpngRead(const std::string& path, Image32& image) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_read_info(png, info);
  png_set_bgr(png);
  image.create(int(png_get_image_width(png, info)), int(png_get_image_height(png, info)));
  for (int y = 0; y < image.height(); ++y) png_read_row(png, reinterpret_cast<png_bytep>(image.row(y)), nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
}

// 16 bits a sample: the 8-bit value repeated plus grain in the low byte, as a
// scanner gives; adaptive filters, Adam7. Written once per run.
struct RemovedAtExit {
  std::string path;
  ~RemovedAtExit() { std::remove(path.c_str()); }
};

const std::string& interlaced16() {
  static const RemovedAtExit file{benchFile("_i16.png")};
  const std::string& path = file.path;
  static bool written = false;
  if (written) return path;
  written = true;
  const Image32& image = photo();
  std::FILE* f = std::fopen(path.c_str(), "wb");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_set_compression_level(png, 6);
  png_set_IHDR(png, info, png_uint_32(kSide), png_uint_32(kSide), 16, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_ADAM7,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<std::vector<uint8_t>> rows(kSide, std::vector<uint8_t>(size_t(kSide) * 8));
  std::vector<png_bytep> pointers(kSide);
  std::mt19937 rng(7);
  for (int y = 0; y < kSide; ++y) {
    const Pixel* p = image.row(y);
    uint8_t* out = rows[size_t(y)].data();
    for (int x = 0; x < kSide; ++x, out += 8) {
      const uint32_t c[4] = {redOf(p[x]), greenOf(p[x]), blueOf(p[x]), alphaOf(p[x])};
      for (int k = 0; k < 4; ++k) {
        out[k * 2] = uint8_t(c[k]);
        out[k * 2 + 1] = k == 3 ? uint8_t(c[k]) : uint8_t(rng() >> 24);
      }
    }
    pointers[size_t(y)] = rows[size_t(y)].data();
  }
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  std::fclose(f);
  return path;
}

void libpngRead16(const std::string& path, Image32& image) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, f);
  png_read_info(png, info);
  png_set_scale_16(png);
  png_set_bgr(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  image.create(int(png_get_image_width(png, info)), int(png_get_image_height(png, info)));
  std::vector<png_bytep> rows(static_cast<size_t>(image.height()));
  for (int y = 0; y < image.height(); ++y) rows[size_t(y)] = reinterpret_cast<png_bytep>(image.row(y));
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(f);
}

void libjpegWrite(const Image32& image, const std::string& path, bool subsample) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, f);
  info.image_width = JDIMENSION(image.width());
  info.image_height = JDIMENSION(image.height());
  info.input_components = 4;
  info.in_color_space = JCS_EXT_BGRA;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 85, TRUE);
  info.dct_method = JDCT_FLOAT;
  info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = subsample ? 2 : 1;
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(const_cast<Pixel*>(image.row(int(info.next_scanline))));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(f);
}

void BM_PngWrite(benchmark::State& state) {
  const std::string path = benchFile(".png");
  for (auto _ : state) writePng(photo(), path, 6, true, -1);
  std::remove(path.c_str());
}
void BM_PngWriteLibpng(benchmark::State& state) {
  const std::string path = benchFile("_libpng.png");
  for (auto _ : state) libpngWrite(photo(), path);
  std::remove(path.c_str());
}
void BM_PngRead(benchmark::State& state) {
  const std::string path = benchFile("_r.png");
  libpngWrite(photo(), path);
  Image32 image;
  ImageReadInfo info;
  for (auto _ : state) readPng(path, image, info);
  std::remove(path.c_str());
}
void BM_PngReadLibpng(benchmark::State& state) {
  const std::string path = benchFile("_rl.png");
  libpngWrite(photo(), path);
  Image32 image;
  for (auto _ : state) libpngRead(path, image);
  std::remove(path.c_str());
}
void BM_PngRead16Interlaced(benchmark::State& state) {
  const std::string& path = interlaced16();
  Image32 image;
  ImageReadInfo info;
  for (auto _ : state) readPng(path, image, info);
}
void BM_PngRead16InterlacedLibpng(benchmark::State& state) {
  const std::string& path = interlaced16();
  Image32 image;
  for (auto _ : state) libpngRead16(path, image);
}
void BM_JpegWrite(benchmark::State& state) {
  const std::string path = benchFile(".jpg");
  for (auto _ : state) writeJpeg(photo(), path, 85, state.range(0) != 0);
  std::remove(path.c_str());
}
void BM_JpegWriteLibjpegFloat(benchmark::State& state) {
  const std::string path = benchFile("_libjpeg.jpg");
  for (auto _ : state) libjpegWrite(photo(), path, state.range(0) != 0);
  std::remove(path.c_str());
}
void BM_GifWrite(benchmark::State& state) {
  const std::string path = benchFile(".gif");
  for (auto _ : state) writeGif(photo(), path, -1);
  std::remove(path.c_str());
}
void BM_BmpWrite(benchmark::State& state) {
  const std::string path = benchFile(".bmp");
  for (auto _ : state) writeBmp(photo(), path);
  std::remove(path.c_str());
}
void BM_BmpRead(benchmark::State& state) {
  const std::string path = benchFile("_r.bmp");
  writeBmp(photo(), path);
  Image32 image;
  ImageReadInfo info;
  for (auto _ : state) readBmp(path, image, info);
  std::remove(path.c_str());
}

BENCHMARK(BM_PngWrite)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PngWriteLibpng)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PngRead)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PngReadLibpng)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PngRead16Interlaced)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PngRead16InterlacedLibpng)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_JpegWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_JpegWriteLibjpegFloat)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_GifWrite)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_BmpWrite)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BmpRead)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tessel
