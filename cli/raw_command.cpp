// tandrel raw: the control's operations with exactly their own arguments, for scripts that
// already build section lists and join lists.

#include <charconv>
#include <iostream>
#include <limits>
#include <optional>

#include "cli/commands.h"
#include "cli/operation_report.h"
#include "cli/progress_bar.h"
#include "cli/usage_error.h"
#include "tandrel/result_messages.h"
#include "tandrel/tandrel_ctrl.h"

namespace tandrel::cli {
namespace {

// A decimal integer within T's range: the whole text, and nothing else.
template <typename T>
T ReadInteger(const std::string& text, const char* what) {
  T value{};
  const auto* end = text.data() + text.size();
  const auto [last, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc{} || last != end || text.empty()) {
    throw UsageError(std::string(what) + ": '" + text + "' is not an integer from " +
                     std::to_string(std::numeric_limits<T>::min()) + " to " +
                     std::to_string(std::numeric_limits<T>::max()));
  }
  return value;
}

}  // namespace

int RunRaw(const RawOptions& options) {
  const auto& a = options.args;
  CTandrelCtrl control;

  if (options.operation == "file-size") {
    std::cout << control.GetFileSize(a.at(0)) << '\n';
    return 0;
  }
  if (options.operation == "play-time") {
    std::cout << control.GetPlayTime(a.at(0)) << '\n';
    return 0;
  }

  ProgressBar bar(options.quiet);
  const bool join = options.operation == "join";
  // Check every argument before the operation starts.
  std::int16_t count = 0;
  std::int32_t fileSize = 0;
  if (options.operation == "cut-size") {
    fileSize = ReadInteger<std::int32_t>(a.at(1), "FILE_SIZE");
  } else {
    count = ReadInteger<std::int16_t>(a.at(2), "FILES_COUNT");
  }
  int code = 0;
  {
    EventLink link(control, [&](int dispid, std::int16_t percent) {
      if (dispid == CTandrelCtrl::kEventCut || dispid == CTandrelCtrl::kEventJoin) {
        bar.Show(options.operation, percent);
      }
    });
    bar.Show(options.operation, 0);
    if (join) {
      code = control.Join(a.at(0), a.at(1), count);
    } else if (options.operation == "cut-time") {
      code = control.CutByTime(a.at(0), a.at(1), count);
    } else {
      code = control.CutBySize(a.at(0), fileSize, a.at(2));
    }
    bar.Clear();
  }
  ReportOutcome(a.at(0), code, join ? JoinResultMessage(code) : SplitResultMessage(code),
                options.quiet);
  return code;
}

}  // namespace tandrel::cli
