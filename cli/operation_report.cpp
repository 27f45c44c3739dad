#include "cli/operation_report.h"

#include <iostream>
#include <string>

namespace tandrel::cli {

void ReportOutcome(std::string_view subject, int code, const char* message, bool quiet) {
  const std::string text = message ? message : "unknown result code " + std::to_string(code);
  if (code != 0) {
    ReportError(subject, text);
  } else if (!quiet) {
    std::cerr << subject << ": " << text << '\n';
  }
}

void ReportError(std::string_view subject, std::string_view reason) {
  std::cerr << "tandrel: " << subject << ": " << reason << '\n';
}

}  // namespace tandrel::cli
