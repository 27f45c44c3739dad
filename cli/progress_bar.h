#pragma once

#include <string>
#include <string_view>

namespace tandrel::cli {

// A bar with a percentage, redrawn in place on one line of stderr while an operation runs:
//   song.mp3  [##############----------------]  45%
// It draws only when stderr is a terminal and quiet was not asked for, so that logs and pipes
// get no carriage returns.
class ProgressBar {
 public:
  explicit ProgressBar(bool quiet);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool Enabled() const { return enabled_; }
  // Draws `percent` (clamped to 0..100) after `label`; a repeat of what is shown draws nothing.
  void Show(std::string_view label, int percent);
  // Erases the bar, so that a message can take its line.
  void Clear();

 private:
  bool enabled_;
  bool drawn_ = false;
  int percent_ = -1;
  std::string label_;
};

}  // namespace tandrel::cli
