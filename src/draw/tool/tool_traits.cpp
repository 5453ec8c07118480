#include "draw/tool/tool_traits.h"

namespace tessel {

namespace {

using R = StrokeRoute;
using L = OptionLayout;

constexpr ToolTraits kRows[kToolCount] = {
    // pencil
    {.kind = ToolKind::Paint, .route = R::PixelFreehand, .drawTypes = kAllDrawTypes,
     .envWord = &ToolEnv::pencil, .layout = L::Pencil, .tip = TipKind::PencilShape},
    // 1-pixel line
    {.kind = ToolKind::Paint, .route = R::OnePixelLine, .stamp = StampKind::Point,
     .drawTypes = kAllDrawTypes, .tip = TipKind::SinglePixel},
    // pen
    {.kind = ToolKind::Paint, .subPixelOp = kPixelMax, .spacing = 0.1, .drawTypes = kAllDrawTypes,
     .envWord = &ToolEnv::pen, .layout = L::Pen, .tip = TipKind::PenDisc},
    // pen 2
    {.kind = ToolKind::Paint, .spacing = 0.06, .drawTypes = kAllDrawTypes,
     .envWord = &ToolEnv::pen2, .layout = L::Percent, .tip = TipKind::HardDisc},
    // brush
    {.kind = ToolKind::Paint, .drawTypes = kAllDrawTypes, .envWord = &ToolEnv::brush,
     .layout = L::Percent, .tip = TipKind::LinearDisc, .tipPeak = 196},
    // watercolour
    {.kind = ToolKind::Paint, .route = R::Direct, .subPixelOp = kPixelOverKeepAlpha,
     .spacing = 0.05, .drawTypes = kAllDrawTypes, .envWord = &ToolEnv::water,
     .layout = L::PercentWater, .tip = TipKind::HardDisc},
    // airbrush
    {.kind = ToolKind::Paint, .stampOp = kPixelSpray, .subPixelOp = kPixelSpray,
     .drawTypes = kAllDrawTypes, .envWord = &ToolEnv::splay, .layout = L::Percent,
     .tip = TipKind::HardDisc},
    // hard eraser
    {.kind = ToolKind::Paint, .route = R::PixelFreehand, .eraser = true,
     .drawTypes = kAllDrawTypes, .tip = TipKind::PixelCircle},
    // pen eraser
    {.kind = ToolKind::Paint, .spacing = 0.1, .eraser = true, .drawTypes = kAllDrawTypes,
     .envWord = &ToolEnv::erasePen, .layout = L::Percent, .tip = TipKind::HardDisc},
    // brush eraser
    {.kind = ToolKind::Paint, .eraser = true, .drawTypes = kAllDrawTypes,
     .envWord = &ToolEnv::eraseBrush, .layout = L::Percent, .tip = TipKind::LinearDisc,
     .tipPeak = 196},
    // blur: full size and opacity at every pressure
    {.kind = ToolKind::Paint, .route = R::Direct, .stampOp = kPixelBlur, .subPixelOp = kPixelBlur,
     .spacingFromOpacity = true, .shapeDirect = true, .drawTypes = kAllDrawTypes,
     .layout = L::Percent, .fixedWord = 0x6464, .tip = TipKind::HardDisc},
    // finger
    {.kind = ToolKind::Paint, .route = R::Finger, .stamp = StampKind::Smudge, .shapeDirect = true,
     .drawTypes = kAllDrawTypes, .tip = TipKind::PixelCircle},
    // dodge
    {.kind = ToolKind::Paint, .route = R::Direct, .stampOp = kPixelDodge, .subPixelOp = kPixelDodge,
     .spacing = 0.2, .shapeDirect = true, .drawTypes = kAllDrawTypes, .envWord = &ToolEnv::dodge,
     .layout = L::Percent, .tip = TipKind::LinearDisc, .tipPeak = 128},
    // burn
    {.kind = ToolKind::Paint, .route = R::Direct, .stampOp = kPixelBurn, .subPixelOp = kPixelBurn,
     .spacing = 0.2, .shapeDirect = true, .drawTypes = kAllDrawTypes, .envWord = &ToolEnv::burn,
     .layout = L::Percent, .tip = TipKind::LinearDisc, .tipPeak = 128},
    // fill
    {.kind = ToolKind::Fill, .envWord = &ToolEnv::paint, .layout = L::Fill},
    // gradient
    {.kind = ToolKind::Gradient, .geometryTypes = kAllDrawTypes, .envWord = &ToolEnv::grad,
     .layout = L::Gradient},
    // text
    {.kind = ToolKind::Text, .cursor = ToolCursor::Text},
    // move
    {.kind = ToolKind::Move, .cursor = ToolCursor::Move},
    // selection
    {.kind = ToolKind::Selection, .cursor = ToolCursor::Pointer},
};

constexpr ToolTraits kNoTool{};

static_assert(kRows[kToolBurn].painting() && !kRows[kToolFill].painting());
static_assert(kRows[kToolSelection].kind == ToolKind::Selection);

}  // namespace

const ToolTraits& toolTraits(int tool) {
  return tool >= 0 && tool < kToolCount ? kRows[tool] : kNoTool;
}

}  // namespace tessel
