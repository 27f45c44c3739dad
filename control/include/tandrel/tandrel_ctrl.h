#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "tandrel/export.h"
#include "tandrel/variant.h"

namespace tandrel {

// Outcome of a late-bound call itself, apart from the engine's result code (which travels as the
// call's value). The numbers are those of automation's DISP_E_* codes.
enum class DispatchStatus : std::uint32_t {
  Ok = 0,
  UnknownName = 0x80020006,      // DISP_E_UNKNOWNNAME
  MemberNotFound = 0x80020003,   // DISP_E_MEMBERNOTFOUND: no method with that DISPID
  BadParamCount = 0x8002000E,    // DISP_E_BADPARAMCOUNT
  TypeMismatch = 0x80020005,     // DISP_E_TYPEMISMATCH
  Overflow = 0x8002000A,         // DISP_E_OVERFLOW
};

struct DispatchResult {
  DispatchStatus status = DispatchStatus::Ok;
  // For TypeMismatch and Overflow: the 0-based position, in declaration order, of the argument
  // at fault.
  unsigned argError = 0;
  // The method's result: a Short result code (Join, CutByTime, CutBySize) or a Long (the queries).
  Variant result;
};

// The engine as a component: five methods called by dispatch identifier, three events delivered
// synchronously to every connected sink. Keeps no audio state between calls.
class TANDREL_API CTandrelCtrl {
 public:
  // Methods of the dispatch interface.
  static constexpr int kDispJoin = 1;
  static constexpr int kDispCutByTime = 2;
  static constexpr int kDispCutBySize = 3;
  static constexpr int kDispGetFileSize = 4;
  static constexpr int kDispGetPlayTime = 5;
  // Events of the event interface.
  static constexpr int kEventStatusChange = 1;
  static constexpr int kEventCut = 2;
  static constexpr int kEventJoin = 3;

  // Receives every event: its DISPID and its one short value.
  using EventSink = std::function<void(int dispid, std::int16_t value)>;

  CTandrelCtrl();
  ~CTandrelCtrl();
  CTandrelCtrl(const CTandrelCtrl&) = delete;
  CTandrelCtrl& operator=(const CTandrelCtrl&) = delete;

  // The DISPID of a method by name, without regard to letter case; UnknownName when none.
  DispatchStatus GetIDsOfNames(std::string_view name, int& dispid) const;

  // Calls a method. `args` are in declaration order (first parameter first). Each is coerced to
  // the declared type as automation coerces; nothing is written back into a by-reference argument.
  // Engine failures come back as result codes in `result`, never as a dispatch status.
  DispatchResult Invoke(int dispid, std::span<const Variant> args);

  // Connects a sink; returns its cookie (> 0). A sink may unadvise itself or another from inside
  // its handler.
  std::uint32_t Advise(EventSink sink);
  bool Unadvise(std::uint32_t cookie);

  // Early-bound forms of the five methods (what Invoke calls after coercion).
  std::int16_t Join(const std::string& saveFileName, const std::string& filesToJoin,
                    std::int16_t filesCount);
  std::int16_t CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                         std::int16_t filesCount);
  std::int16_t CutBySize(const std::string& openFileName, std::int32_t fileSize,
                         const std::string& savePath);
  std::int32_t GetFileSize(const std::string& fileName);
  std::int32_t GetPlayTime(const std::string& fileName);

 private:
  class Impl;
  Impl* impl_;
};

}  // namespace tandrel
