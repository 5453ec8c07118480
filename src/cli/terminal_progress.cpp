#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>

namespace tessel {

namespace {
constexpr int kBarWidth = 40;
}

TerminalProgress::TerminalProgress(std::FILE* stream)
    : stream_(stream), enabled_(isatty(fileno(stream)) != 0) {}

TerminalProgress::~TerminalProgress() {
  if (enabled_ && drawn_ >= 0) std::fputc('\n', stream_);
}

void TerminalProgress::setRange(int steps) {
  range_ = std::max(steps, 0);
  position_ = 0;
  draw();
}

void TerminalProgress::step() {
  ++position_;
  draw();
}

void TerminalProgress::setPosition(int position) {
  position_ = position;
  draw();
}

void TerminalProgress::draw() {
  if (!enabled_ || range_ <= 0) return;
  int filled = int(int64_t(std::clamp(position_, 0, range_)) * kBarWidth / range_);
  if (filled == drawn_) return;   // redraw only when the bar grows
  drawn_ = filled;
  char bar[kBarWidth + 1];
  for (int i = 0; i < kBarWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kBarWidth] = '\0';
  std::fprintf(stream_, "\r[%s] %3d%%", bar, filled * 100 / kBarWidth);
  std::fflush(stream_);
}

}  // namespace tessel
