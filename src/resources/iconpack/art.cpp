// The icons, drawn as small vector sketches at their pixel size.
#include <iterator>

#include "config/tool_env.h"
#include "draw.h"

namespace iconpack {

namespace {

void magnifier(Canvas& c) {
  c.disc(6, 6, 5, kWhite);
  c.ring(6, 6, 5, kDark);
  c.thick(10, 10, 14, 14, kBrown);
}

void pencil(Canvas& c, int x, int y, int len) {
  for (int i = 0; i < len; ++i) {
    c.dot(x + i, y - i, kYellow);
    c.dot(x + i + 1, y - i, kOrange);
    c.dot(x + i, y - i - 1, kOrange);
    c.dot(x + i + 1, y - i - 1, kYellow);
  }
  c.dot(x - 1, y + 1, kBlack);
  c.dot(x, y + 1, kDark);
  c.dot(x - 1, y, kDark);
  c.dot(x + len, y - len - 1, kPink);
  c.dot(x + len + 1, y - len, kPink);
  c.dot(x + len + 1, y - len - 1, kPink);
}

void nib(Canvas& c, int x, int y) {   // fountain pen nib pointing down-left
  for (int i = 0; i < 10; ++i) c.thick(x + i, y - i, x + i + 3, y - i - 6, i < 3 ? kDark : kBlue);
  for (int i = 0; i < 10; ++i) c.thick(x + i, y - i, x + i + 6, y - i - 3, i < 3 ? kDark : kBlue);
  c.line(x, y, x + 6, y - 6, kBlack);
  c.dot(x - 1, y + 1, kBlack);
}

void eraserBlock(Canvas& c) {
  for (int i = 0; i < 8; ++i) c.thick(4 + i, 16 - i, 10 + i, 22 - i, i < 3 ? kWhite : kPink);
  c.line(4, 16, 10, 22, kDark);
  c.line(4, 16, 11, 9, kDark);
  c.line(10, 22, 17, 15, kDark);
  c.line(11, 9, 17, 15, kDark);
}

void arrow(Canvas& c, bool left) {
  // A U-turn arrow: shaft along the top, head at one end.
  int a = left ? 4 : 11, b = left ? 11 : 4;
  c.thick(a, 5, b, 5, kBlue);
  c.thick(b, 5, b, 11, kBlue);
  c.thick(b, 11, a, 11, kBlue);
  int d = left ? 1 : -1;
  c.line(a - d, 5, a + 2 * d, 2, kBlue);
  c.line(a - d, 6, a + 2 * d, 9, kBlue);
  c.line(a, 5, a + 2 * d, 3, kBlue);
  c.line(a, 6, a + 2 * d, 8, kBlue);
}

}  // namespace

void drawBarIcons(Canvas& c) {
  auto at = [&](int slot) { c.cell(slot * 16, 0, 16, 16); };
  at(0);   // new
  c.box(3, 1, 10, 14, kWhite, kDark);
  c.line(9, 1, 12, 4, kDark);
  c.fill(10, 1, 3, 3, kClear);
  c.line(9, 1, 9, 4, kDark);
  c.line(9, 4, 12, 4, kDark);
  at(1);   // open
  c.box(1, 4, 13, 10, kYellow, kBrown);
  c.box(1, 2, 6, 3, kYellow, kBrown);
  c.line(3, 7, 15, 7, kBrown);
  at(2);   // save
  c.box(1, 1, 14, 14, kBlue, kBlack);
  c.box(4, 2, 8, 5, kWhite, kDark);
  c.fill(5, 10, 6, 4, kLight);
  c.fill(9, 11, 1, 2, kDark);
  at(3);   // undo
  arrow(c, true);
  at(4);   // redo
  arrow(c, false);
  at(5);   // zoom ratio
  magnifier(c);
  c.dot(4, 4, kRed), c.line(8, 4, 4, 8, kRed), c.dot(8, 8, kRed);
  at(6);   // zoom in
  magnifier(c);
  c.line(4, 6, 8, 6, kBlack), c.line(6, 4, 6, 8, kBlack);
  at(7);   // zoom out
  magnifier(c);
  c.line(4, 6, 8, 6, kBlack);
  at(8);   // tools panel
  pencil(c, 3, 12, 8);
  at(9);   // tool options: sliders
  for (int i = 0; i < 3; ++i) {
    c.line(2, 3 + i * 5, 13, 3 + i * 5, kDark);
    c.box(3 + i * 4, 1 + i * 5, 3, 5, kSky, kBlue);
  }
  at(10);   // layers
  c.box(4, 1, 10, 7, kSky, kBlue);
  c.box(2, 5, 10, 7, kWhite, kDark);
  c.box(0, 9, 10, 6, kYellow, kBrown);
  at(11);   // palette
  {
    const uint32_t cols[9] = {kRed, kOrange, kYellow, kGreen, kSky, kBlue, kBlack, kGrey, kWhite};
    for (int i = 0; i < 9; ++i) c.box(1 + (i % 3) * 5, 1 + (i / 3) * 5, 5, 5, cols[i], kDark);
  }
  at(12);   // extended palette: hue and value ramps
  for (int x = 0; x < 14; ++x) {
    uint32_t v = uint32_t(x * 255 / 13);
    c.line(1 + x, 1, 1 + x, 7, (v << 16) | ((255 - v) << 8) | 0x40);
    c.line(1 + x, 9, 1 + x, 14, v * 0x010101);
  }
  at(13);   // texture: checker
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) c.fill(1 + x * 3 + 1, 1 + y * 3 + 1, 3, 3, (x + y) % 2 ? kBrown : kLight);
  at(14);   // navigator
  c.box(1, 2, 14, 12, kWhite, kDark);
  c.frame(5, 5, 6, 5, kRed);
  at(15);   // image viewer: a framed picture
  c.box(1, 2, 14, 12, kSky, kDark);
  c.line(2, 12, 6, 7, kGreen), c.line(6, 7, 9, 10, kGreen), c.line(9, 10, 11, 8, kGreen);
  c.line(11, 8, 14, 12, kGreen);
  c.disc(11, 5, 1, kYellow);
  at(16);   // grid
  for (int i = 1; i < 16; i += 4) c.line(i, 1, i, 13, kBlue), c.line(1, i, 13, i, kBlue);
  at(17);   // mirror
  c.line(7, 1, 7, 14, kDark);
  for (int i = 0; i < 5; ++i) c.line(5 - i, 7 - i, 5 - i, 7 + i, kBlue);
  for (int i = 0; i < 5; ++i) c.line(9 + i, 7 - i, 9 + i, 7 + i, kSky);
}

namespace {

void textA(Canvas& c) {
  c.thick(5, 20, 11, 3, kBlack);
  c.thick(12, 3, 18, 20, kBlack);
  c.line(8, 13, 15, 13, kBlack), c.line(8, 14, 15, 14, kBlack);
}

void bucket(Canvas& c) {
  for (int i = 0; i < 8; ++i) c.thick(5 + i, 10 + i, 12 + i, 3 + i, i == 7 ? kDark : kLight);
  c.line(5, 10, 12, 3, kDark);
  c.fill(16, 12, 3, 7, kBlue);
  c.disc(17, 19, 2, kBlue);
}

void pencilTool(Canvas& c) { pencil(c, 4, 19, 13); }

void lineTool(Canvas& c) {
  c.line(3, 20, 20, 3, kBlack);
  c.dot(3, 20, kRed), c.dot(20, 3, kRed);
}

void penTool(Canvas& c) { nib(c, 4, 19); }

void pen2Tool(Canvas& c) {
  nib(c, 4, 19);
  c.fill(16, 16, 2, 6, kRed), c.fill(19, 16, 2, 6, kRed);
}

void brushTool(Canvas& c) {
  c.thick(10, 13, 19, 4, kBrown);
  c.fill(7, 13, 4, 4, kGrey);
  c.disc(6, 18, 3, kRed);
  c.dot(3, 21, kRed);
}

void watercolourTool(Canvas& c) {   // a drop
  c.disc(11, 15, 6, kSky);
  for (int i = 0; i < 8; ++i) c.line(11 - (8 - i) / 2, 2 + i, 11 + (8 - i) / 2, 2 + i, kSky);
  c.dot(9, 14, kWhite), c.dot(8, 15, kWhite);
}

void airbrushTool(Canvas& c) {   // nozzle and spray
  c.box(12, 8, 9, 6, kGrey, kDark);
  c.fill(16, 14, 3, 6, kDark);
  for (int i = 0; i < 12; ++i) c.dot(2 + (i * 5) % 8, 6 + (i * 7) % 11, kBlue);
}

void hardEraserTool(Canvas& c) { eraserBlock(c); }

void penEraserTool(Canvas& c) {
  eraserBlock(c);
  nib(c, 14, 22);
}

void brushEraserTool(Canvas& c) {
  eraserBlock(c);
  c.disc(18, 19, 3, kGrey);
}

void blurTool(Canvas& c) {   // soft dot
  c.disc(12, 12, 8, kLight);
  c.disc(12, 12, 5, kGrey);
  c.disc(12, 12, 2, kDark);
}

void fingerTool(Canvas& c) {
  c.box(8, 3, 7, 16, kPink, kDark);
  c.fill(9, 3, 5, 4, kWhite);
  c.box(6, 16, 11, 7, kPink, kDark);
}

void dodgeTool(Canvas& c) {   // paddle
  c.disc(14, 8, 5, kWhite);
  c.ring(14, 8, 5, kDark);
  c.thick(10, 13, 4, 20, kDark);
}

void burnTool(Canvas& c) {   // hand with a hole, shown dark
  c.disc(14, 8, 5, kDark);
  c.disc(14, 8, 1, kOrange);
  c.thick(10, 13, 4, 20, kBrown);
}

void gradientTool(Canvas& c) {
  for (int x = 0; x < 18; ++x) c.line(3 + x, 4, 3 + x, 19, uint32_t(x * 14) * 0x010101);
  c.frame(3, 4, 18, 16, kDark);
}

void moveTool(Canvas& c) {   // four arrows
  c.thick(11, 2, 11, 20, kBlack), c.thick(2, 11, 20, 11, kBlack);
  c.line(8, 5, 11, 2, kBlack), c.line(15, 5, 12, 2, kBlack);
  c.line(8, 18, 11, 21, kBlack), c.line(15, 18, 12, 21, kBlack);
  c.line(5, 8, 2, 11, kBlack), c.line(5, 15, 2, 12, kBlack);
  c.line(18, 8, 21, 11, kBlack), c.line(18, 15, 21, 12, kBlack);
}

void selectionTool(Canvas& c) {   // dashed rectangle
  for (int i = 3; i <= 20; ++i) {
    uint32_t col = (i / 2) % 2 ? kBlack : kWhite;
    c.dot(i, 4, col), c.dot(i, 19, col), c.dot(3, i - 0, col), c.dot(20, i, col);
  }
}

// One picture per tool, in the order of the tool rows; the strip holds them
// in that order, twelve to a row.
constexpr void (*kToolArt[])(Canvas&) = {
    pencilTool,    lineTool,      penTool,         pen2Tool,   brushTool,  watercolourTool, airbrushTool,
    hardEraserTool, penEraserTool, brushEraserTool, blurTool,   fingerTool, dodgeTool,       burnTool,
    bucket,        gradientTool,  textA,           moveTool,   selectionTool,
};
static_assert(std::size(kToolArt) == tessel::kToolCount, "one picture per tool row");

}  // namespace

void drawToolIcons(Canvas& c) {
  for (int id = 0; id < int(std::size(kToolArt)); ++id) {
    c.cell((id % 12) * 24, 16 + (id / 12) * 24, 24, 24);
    kToolArt[id](c);
  }
}

void drawSmallIcons(Canvas& c) {
  auto at = [&](int slot) { c.cell(slot * 13, 64, 13, 13); };
  at(0);   // eye: visible
  c.disc(6, 6, 5, kWhite);
  c.ring(6, 6, 5, kDark);
  c.disc(6, 6, 2, kBlue);
  at(1);   // fill reference
  c.box(1, 4, 8, 8, kLight, kDark);
  c.fill(10, 6, 2, 5, kBlue);
  at(2);   // new layer
  c.box(2, 1, 9, 11, kWhite, kDark);
  c.line(6, 4, 6, 8, kGreen), c.line(4, 6, 8, 6, kGreen);
  at(3);   // delete layer
  c.thick(2, 2, 9, 9, kRed), c.thick(9, 2, 2, 9, kRed);
  at(4);   // up
  for (int i = 0; i < 5; ++i) c.line(6 - i, 3 + i, 6 + i, 3 + i, kBlue);
  c.fill(5, 8, 3, 4, kBlue);
  at(5);   // down
  for (int i = 0; i < 5; ++i) c.line(6 - i, 9 - i, 6 + i, 9 - i, kBlue);
  c.fill(5, 1, 3, 4, kBlue);
}

}  // namespace iconpack
