#include "cli/progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace tandrel::cli {
namespace {

constexpr int kDefaultColumns = 80;
constexpr int kMinBar = 10;

int TerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultColumns;
}

}  // namespace

ProgressBar::ProgressBar(bool quiet) : enabled_(!quiet && isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
  Clear();
}

void ProgressBar::Show(std::string_view label, int percent) {
  if (!enabled_) return;
  percent = std::clamp(percent, 0, 100);
  if (drawn_ && percent == percent_ && label == label_) return;
  percent_ = percent;
  label_ = label;

  // label, two blanks, [bar], blank, "100%"; the label gives way to the bar on narrow terminals.
  const int columns = TerminalColumns() - 1;
  const int tail = 2 + 2 + 5;
  int barWidth = std::max(kMinBar, std::min(40, columns - tail - static_cast<int>(label.size())));
  const int labelRoom = std::max(0, columns - tail - barWidth);
  std::string shown(label.substr(0, static_cast<std::size_t>(labelRoom)));
  if (label.size() > static_cast<std::size_t>(labelRoom) && labelRoom > 3) {
    shown = "..." + std::string(label.substr(label.size() - (labelRoom - 3)));
  }
  const int filled = barWidth * percent / 100;
  std::string line =
      "\r" + shown + "  [" + std::string(filled, '#') + std::string(barWidth - filled, '-') + "] ";
  char number[8];
  std::snprintf(number, sizeof number, "%3d%%", percent);
  line += number;
  line += "\x1b[K";  // erase what a longer earlier line left on the right
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::Clear() {
  if (!enabled_ || !drawn_) return;
  std::fputs("\r\x1b[K", stderr);
  std::fflush(stderr);
  drawn_ = false;
  percent_ = -1;
}

}  // namespace tandrel::cli
