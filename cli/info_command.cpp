// tandrel info: what each file is, how long it plays, and for MP3 and WAVE their stream facts.

#include <iostream>
#include <vector>

#include "cli/code_text.h"
#include "cli/commands.h"
#include "cli/info_report.h"
#include "cli/operation_report.h"
#include "tandrel/media_info.h"
#include "tandrel/result_messages.h"
#include "tandrel/tandrel_ctrl.h"

namespace tandrel::cli {

int RunInfo(const InfoOptions& options) {
  CTandrelCtrl control;
  std::vector<FileReport> reports;
  int status = 0;
  for (const auto& path : options.files) {
    FileReport report;
    report.path = path;
    report.code = Tandrel_ReadMediaInfo(path.c_str(), &report.media);
    if (report.code == 0) report.componentPlayTime = control.GetPlayTime(path);
    if (report.code == 1) {
      ReportError(path, OpenFailureReason(path));
    } else if (report.code != 0) {
      ReportError(path, CodeText(report.code, path));
    }
    if (report.code != 0) {
      if (status == 0) status = report.code;
    }
    if (!options.json) {
      if (!reports.empty()) std::cout << '\n';
      std::cout << TextReport(report);
    }
    reports.push_back(std::move(report));
  }
  if (options.json) std::cout << JsonReport(reports);
  return status;
}

}  // namespace tandrel::cli
