#pragma once

// The C++ interface of libTandrel needs C++20 (std::span and friends).
#if !defined(__cplusplus) || __cplusplus < 202002L
#error "tandrel/tandrel_ctrl.h needs C++20 (-std=c++20; pkg-config --variable=cxx_standard tandrel)"
#endif

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
  UnknownName = 0x80020006,     // DISP_E_UNKNOWNNAME
  MemberNotFound = 0x80020003,  // DISP_E_MEMBERNOTFOUND: no method with that DISPID
  BadParamCount = 0x8002000E,   // DISP_E_BADPARAMCOUNT
  TypeMismatch = 0x80020005,    // DISP_E_TYPEMISMATCH
  Overflow = 0x8002000A,        // DISP_E_OVERFLOW
  Exception = 0x80020009,       // DISP_E_EXCEPTION: out of memory while preparing the call
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

  // The DISPID of a method by name, without regard to letter case; UnknownName when none (dispid
  // is then left alone).
  DispatchStatus GetIDsOfNames(std::string_view name, int& dispid) const noexcept;

  // Calls a method. `args` are in declaration order (first parameter first). The count is checked
  // first (BadParamCount), then each argument in order is coerced to the declared type as
  // automation coerces (TypeMismatch or Overflow, with argError naming the first one at fault);
  // the method runs only when all of them converted. Nothing is written back into a by-reference
  // argument. Engine failures come back as result codes in `result`, never as a dispatch status.
  DispatchResult Invoke(int dispid, std::span<const Variant> args) noexcept;

  // Connects a sink; returns its cookie (> 0), or 0 for an empty sink. Events reach the sinks in
  // the order they were connected. A sink may advise or unadvise (itself or another) from inside
  // its handler: an event goes to the sinks connected when it was fired, skipping any unadvised
  // meanwhile. An exception thrown by a sink is swallowed and does not stop the operation.
  std::uint32_t Advise(EventSink sink) noexcept;
  // False when the cookie is not connected.
  bool Unadvise(std::uint32_t cookie) noexcept;

  // Early-bound forms of the five methods (what Invoke calls after coercion). Each fires its
  // events to the connected sinks while it runs. Should the engine run out of memory, the three
  // operations give 1 and the queries their cannot-open value (0 and 1).
  std::int16_t Join(const std::string& saveFileName, const std::string& filesToJoin,
                    std::int16_t filesCount) noexcept;
  std::int16_t CutByTime(const std::string& openFileName, const std::string& cutTimeInfo,
                         std::int16_t filesCount) noexcept;
  std::int16_t CutBySize(const std::string& openFileName, std::int32_t fileSize,
                         const std::string& savePath) noexcept;
  std::int32_t GetFileSize(const std::string& fileName) noexcept;
  std::int32_t GetPlayTime(const std::string& fileName) noexcept;

 private:
  class Impl;
  Impl* impl_;
};

}  // namespace tandrel
