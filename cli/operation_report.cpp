#include "cli/operation_report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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
      // The engine gives EINVAL for a file it does not read from: a FIFO, a device.
      return f.path + ": " + (f.error == EINVAL ? OpenFailureReason(f.path) : reason);
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

std::string OpenFailureReason(const std::string& path) {
  // Opened as the engine opens it, without blocking: a FIFO would otherwise wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat st {};
  const bool known = ::fstat(fd, &st) == 0;
  ::close(fd);
  if (known && S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (known && !S_ISREG(st.st_mode)) return "not a regular file";
  return "cannot be read";
}

void ReportError(std::string_view subject, std::string_view reason) {
  std::cerr << "tandrel: " << subject << ": " << reason << '\n';
}

}  // namespace tandrel::cli
