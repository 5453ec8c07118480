#include "draw/tool/option_words.h"

#include <algorithm>

namespace tessel {

namespace {

constexpr uint32_t kLowByte = 0xFF;
constexpr uint32_t kPenSwitches =
    kPenPressureSize | kPenPressureOpacity | kPenAntiAlias | kPenCurve | kPenSoftTip;
constexpr uint32_t kWaterMask = 0xFF0000u;
constexpr int kWaterShift = 16;
constexpr uint32_t kFillReference = 0x1, kFillFringe = 0x2, kFillErase = 0x4, kFillOpaque = 0x8;
constexpr uint32_t kGradBandMask = 0x0F00u;
constexpr int kGradBandShift = 8;
constexpr uint32_t kGradReverse = 0x8000u;

uint32_t bit(bool on, uint32_t mask) { return on ? mask : 0; }
uint32_t byteAt(int value, int shift) { return (uint32_t(value) & kLowByte) << shift; }

}  // namespace

PencilOptions decodePencil(uint32_t word) {
  return {int(word & kLowByte), (word & kPencilAccumulate) != 0};
}

uint32_t encodePencil(const PencilOptions& o, uint32_t word) {
  word &= ~(kLowByte | kPencilAccumulate);
  return word | byteAt(o.tipShape, 0) | bit(o.accumulate, kPencilAccumulate);
}

PenOptions decodePen(uint32_t word) {
  return {int(word & kLowByte),         (word & kPenPressureSize) != 0,
          (word & kPenPressureOpacity) != 0, (word & kPenAntiAlias) != 0,
          (word & kPenCurve) != 0,      (word & kPenSoftTip) != 0};
}

uint32_t encodePen(const PenOptions& o, uint32_t word) {
  word &= ~(kLowByte | kPenSwitches);
  return word | byteAt(o.smoothing, 0) | bit(o.pressureSize, kPenPressureSize) |
         bit(o.pressureOpacity, kPenPressureOpacity) | bit(o.antiAlias, kPenAntiAlias) |
         bit(o.curve, kPenCurve) | bit(o.softTip, kPenSoftTip);
}

PercentOptions decodePercent(uint32_t word) {
  return {int((word >> 8) & kLowByte), int(word & kLowByte)};
}

uint32_t encodePercent(const PercentOptions& o, uint32_t word) {
  return (word & ~0xFFFFu) | byteAt(o.minSize, 8) | byteAt(o.minOpacity, 0);
}

int decodeWaterAmount(uint32_t word) {
  return std::min(int((word & kWaterMask) >> kWaterShift), kWaterAmounts - 1);
}

uint32_t encodeWaterAmount(int amount, uint32_t word) {
  return (word & ~kWaterMask) | byteAt(std::clamp(amount, 0, kWaterAmounts - 1), kWaterShift);
}

FillOptions decodeFill(uint32_t word) {
  return {(word & kFillReference) != 0, (word & kFillFringe) != 0, (word & kFillErase) != 0,
          (word & kFillOpaque) != 0};
}

uint32_t encodeFill(const FillOptions& o, uint32_t word) {
  word &= ~(kFillReference | kFillFringe | kFillErase | kFillOpaque);
  return word | bit(o.reference, kFillReference) | bit(o.fringe, kFillFringe) |
         bit(o.erase, kFillErase) | bit(o.opaqueRegion, kFillOpaque);
}

GradientOptions decodeGradient(uint32_t word) {
  return {int(word & kLowByte), int((word & kGradBandMask) >> kGradBandShift),
          (word & kGradReverse) != 0};
}

uint32_t encodeGradient(const GradientOptions& o, uint32_t word) {
  word &= ~(kLowByte | kGradBandMask | kGradReverse);
  return word | byteAt(o.kind, 0) | ((uint32_t(o.banding) << kGradBandShift) & kGradBandMask) |
         bit(o.reverse, kGradReverse);
}

}  // namespace tessel
