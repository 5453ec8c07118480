#pragma once
#include <cstdio>

#include "image/progress.h"

namespace tessel {

// A progress bar drawn on a terminal; silent when the stream is not one.
class TerminalProgress : public Progress {
 public:
  explicit TerminalProgress(std::FILE* stream);
  ~TerminalProgress() override;
  void setRange(int steps) override;
  void step() override;
  void setPosition(int position) override;

 private:
  void draw();
  std::FILE* stream_;
  bool enabled_;
  int range_ = 0, position_ = 0, drawn_ = -1;
};

}  // namespace tessel
