#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "tandrel/tandrel_ctrl.h"
#include "tandrel_engine/operation_options.h"

namespace tandrel::cli {

// How an operation on `subject` ended, with the programs' message for the code: a failure always,
// as "tandrel: subject: message" on stderr; a success as "subject: message" unless quiet.
void ReportOutcome(std::string_view subject, int code, const char* message, bool quiet);

// "tandrel: subject: reason" on stderr.
void ReportError(std::string_view subject, std::string_view reason);

// What failed and where, as "tandrel: " follows it: "cannot create out/a.mp3: No space left on
// device", "missing.mp3: No such file or directory", "a.mp3 and out.mp3 are the same file".
// Empty when the failure names no file.
std::string FailureText(const OperationFailure& failure);

// Why a file that could not be opened as audio cannot be, as the system says it: "No such file
// or directory", "Is a directory", "not a regular file" (a FIFO, a device).
std::string OpenFailureReason(const std::string& path);

// Keeps a sink connected to the control's events for the life of the object.
class EventLink {
 public:
  EventLink(CTandrelCtrl& control, CTandrelCtrl::EventSink sink)
      : control_(control), cookie_(control.Advise(std::move(sink))) {}
  ~EventLink() { control_.Unadvise(cookie_); }
  EventLink(const EventLink&) = delete;
  EventLink& operator=(const EventLink&) = delete;

 private:
  CTandrelCtrl& control_;
  std::uint32_t cookie_;
};

}  // namespace tandrel::cli
