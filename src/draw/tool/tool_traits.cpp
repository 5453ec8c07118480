#include "draw/tool/tool_traits.h"

#include <iterator>

namespace tessel {

namespace {

using R = StrokeRoute;
using L = OptionLayout;

// Fields not given keep their defaults: size 1, alpha 255, no option word.
constexpr ToolTraits kRows[] = {
    // pencil
    {.kind = ToolKind::Paint, .route = R::PixelFreehand, .drawTypes = kAllDrawTypes,
     .envWord = &ToolEnv::pencil, .layout = L::Pencil, .word = 0, .tip = TipKind::PencilShape},
    // 1-pixel line
    {.kind = ToolKind::Paint, .route = R::OnePixelLine, .stamp = StampKind::Point,
     .drawTypes = kAllDrawTypes, .tip = TipKind::SinglePixel},
    // pen
    {.kind = ToolKind::Paint, .subPixelOp = kPixelMax, .spacing = 0.1, .drawTypes = kAllDrawTypes,
     .size = 8, .envWord = &ToolEnv::pen, .layout = L::Pen, .word = 0xA004, .tip = TipKind::PenDisc},
    // pen 2
    {.kind = ToolKind::Paint, .spacing = 0.06, .drawTypes = kAllDrawTypes, .size = 30,
     .envWord = &ToolEnv::pen2, .layout = L::Percent, .word = 0, .tip = TipKind::HardDisc},
    // brush
    {.kind = ToolKind::Paint, .drawTypes = kAllDrawTypes, .size = 30, .envWord = &ToolEnv::brush,
     .layout = L::Percent, .word = 0x3C00, .tip = TipKind::LinearDisc, .tipPeak = 196},
    // watercolour
    {.kind = ToolKind::Paint, .route = R::Direct, .subPixelOp = kPixelOverKeepAlpha,
     .spacing = 0.05, .drawTypes = kAllDrawTypes, .size = 30, .alpha = 100,
     .envWord = &ToolEnv::water, .layout = L::PercentWater, .word = 0x11400, .tip = TipKind::HardDisc},
    // airbrush
    {.kind = ToolKind::Paint, .stampOp = kPixelSpray, .subPixelOp = kPixelSpray,
     .drawTypes = kAllDrawTypes, .size = 10, .envWord = &ToolEnv::splay, .layout = L::Percent,
     .word = 0x1E00, .tip = TipKind::HardDisc},
    // hard eraser
    {.kind = ToolKind::Paint, .route = R::PixelFreehand, .eraser = true,
     .drawTypes = kAllDrawTypes, .tip = TipKind::PixelCircle},
    // pen eraser
    {.kind = ToolKind::Paint, .spacing = 0.1, .eraser = true, .drawTypes = kAllDrawTypes, .size = 30,
     .envWord = &ToolEnv::erasePen, .layout = L::Percent, .word = 0x1E64, .tip = TipKind::HardDisc},
    // brush eraser
    {.kind = ToolKind::Paint, .eraser = true, .drawTypes = kAllDrawTypes, .size = 30, .alpha = 64,
     .envWord = &ToolEnv::eraseBrush, .layout = L::Percent, .word = 0x3C00, .tip = TipKind::LinearDisc,
     .tipPeak = 196},
    // blur: full size and opacity at every pressure
    {.kind = ToolKind::Paint, .route = R::Direct, .stampOp = kPixelBlur, .subPixelOp = kPixelBlur,
     .spacingFromOpacity = true, .shapeDirect = true, .drawTypes = kAllDrawTypes, .size = 20,
     .alpha = 64, .layout = L::Percent, .word = 0x6464, .tip = TipKind::HardDisc},
    // finger
    {.kind = ToolKind::Paint, .route = R::Finger, .stamp = StampKind::Smudge, .shapeDirect = true,
     .drawTypes = kAllDrawTypes, .size = 20, .alpha = 64, .tip = TipKind::PixelCircle},
    // dodge
    {.kind = ToolKind::Paint, .route = R::Direct, .stampOp = kPixelDodge, .subPixelOp = kPixelDodge,
     .spacing = 0.2, .shapeDirect = true, .drawTypes = kAllDrawTypes, .size = 30, .alpha = 64,
     .envWord = &ToolEnv::dodge, .layout = L::Percent, .word = 0x3C3C, .tip = TipKind::LinearDisc,
     .tipPeak = 128},
    // burn
    {.kind = ToolKind::Paint, .route = R::Direct, .stampOp = kPixelBurn, .subPixelOp = kPixelBurn,
     .spacing = 0.2, .shapeDirect = true, .drawTypes = kAllDrawTypes, .size = 30, .alpha = 64,
     .envWord = &ToolEnv::burn, .layout = L::Percent, .word = 0x3C3C, .tip = TipKind::LinearDisc,
     .tipPeak = 128},
    // fill
    {.kind = ToolKind::Fill, .envWord = &ToolEnv::paint, .layout = L::Fill, .word = 1},
    // gradient
    {.kind = ToolKind::Gradient, .geometryTypes = kAllDrawTypes, .envWord = &ToolEnv::grad,
     .layout = L::Gradient, .word = 0},
    // text
    {.kind = ToolKind::Text, .cursor = ToolCursor::Text},
    // move
    {.kind = ToolKind::Move, .cursor = ToolCursor::Move},
    // selection
    {.kind = ToolKind::Selection, .cursor = ToolCursor::Pointer},
};

constexpr ToolTraits kNoTool{};

static_assert(std::size(kRows) == kToolCount, "one row per tool");
static_assert(kRows[kToolBurn].painting() && !kRows[kToolFill].painting());
static_assert(kRows[kToolSelection].kind == ToolKind::Selection);

}  // namespace

const ToolTraits& toolTraits(int tool) {
  return tool >= 0 && tool < kToolCount ? kRows[tool] : kNoTool;
}

}  // namespace tessel
