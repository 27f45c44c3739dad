// tandrel join: one output from MP3 or WAVE inputs, in the order given.

#include <filesystem>
#include <iostream>
#include <limits>

#include "cli/commands.h"
#include "cli/operation_report.h"
#include "cli/progress_bar.h"
#include "cli/usage_error.h"
#include "tandrel/result_messages.h"
#include "tandrel/tandrel_ctrl.h"

namespace tandrel::cli {

int RunJoin(const JoinOptions& options) {
  if (options.inputs.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) {
    throw UsageError("join: at most 32767 inputs");
  }
  std::string list;
  for (const auto& input : options.inputs) {
    if (input.find('|') != std::string::npos) {
      throw UsageError("join: '" + input + "' holds '|', which a join list cannot carry");
    }
    list += (list.empty() ? "" : "|") + input;
  }

  CTandrelCtrl control;
  ProgressBar bar(options.quiet);
  const auto label = std::filesystem::path(options.output).filename().string();
  int code = 0;
  {
    EventLink link(control, [&](int dispid, std::int16_t percent) {
      if (dispid == CTandrelCtrl::kEventJoin) bar.Show(label, percent);
    });
    bar.Show(label, 0);
    code = control.Join(options.output, list, static_cast<std::int16_t>(options.inputs.size()));
    bar.Clear();
  }
  if (code == 0) std::cout << options.output << '\n' << std::flush;
  ReportOutcome(options.output, code, JoinResultMessage(code), options.quiet);
  return code;
}

}  // namespace tandrel::cli
