#include "cli/operation_report.h"

#include <cstring>
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

std::string FailureText(const OperationFailure& f) {
  const std::string reason = f.error != 0 ? std::strerror(f.error) : "failed";
  switch (f.what) {
    case FailureKind::None:
    case FailureKind::Cancelled:
      return {};
    case FailureKind::Open:
      return f.path + ": " + reason;
    case FailureKind::Create:
      return "cannot create " + f.path + ": " + reason;
    case FailureKind::Read:
      return "cannot read " + f.path + ": " + reason;
    case FailureKind::Write:
      return "cannot write " + f.path + ": " + reason;
    case FailureKind::Rename:
      return "cannot give " + f.path + " its name: " + reason;
    case FailureKind::SameFile:
      return f.otherPath + " and " + f.path + " are the same file";
  }
  return {};
}

void ReportError(std::string_view subject, std::string_view reason) {
  std::cerr << "tandrel: " << subject << ": " << reason << '\n';
}

}  // namespace tandrel::cli
