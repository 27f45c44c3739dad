#include "tandrel/tandrel_ctrl.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <utility>

#include "automation_coercion.h"
#include "connection_point.h"
#include "identity.h"
#include "live_controls.h"
#include "no_throw.h"
#include "tandrel_engine/file_info.h"
#include "tandrel_engine/operations.h"

namespace tandrel {
namespace {

// What an operation gives when the engine throws (it can only run out of memory).
constexpr std::int16_t kResultOnException = static_cast<std::int16_t>(ResultCode::OpenFailed);
constexpr std::int32_t kFileSizeOnException = 0;
constexpr std::int32_t kPlayTimeOnException = 1;

std::atomic<int> liveControls{0};

constexpr std::size_t kMaxParams = 3;
static_assert(std::all_of(identity::kMethods.begin(), identity::kMethods.end(),
                          [](const identity::MethodInfo& m) {
                            return m.params.size() <= kMaxParams;
                          }));

const identity::MethodInfo* FindMethod(int dispid) {
  for (const auto& method : identity::kMethods) {
    if (method.dispid == dispid) return &method;
  }
  return nullptr;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

int LiveControls() noexcept {
  return liveControls.load();
}

// The engine's progress sink: each notification becomes the event of the same name.
class CTandrelCtrl::Impl final : public ProgressSink {
 public:
  void StatusChange(std::int16_t status) override { events.Fire(kEventStatusChange, status); }
  void Cut(std::int16_t percent) override { events.Fire(kEventCut, percent); }
  void Join(std::int16_t percent) override { events.Fire(kEventJoin, percent); }

  ConnectionPoint events;
};

CTandrelCtrl::CTandrelCtrl() : impl_(new Impl) {
  ++liveControls;
}

CTandrelCtrl::~CTandrelCtrl() {
  delete impl_;
  --liveControls;
}

DispatchStatus CTandrelCtrl::GetIDsOfNames(std::string_view name, int& dispid) const noexcept {
  for (const auto& method : identity::kMethods) {
    if (EqualsIgnoringCase(name, method.name)) {
      dispid = method.dispid;
      return DispatchStatus::Ok;
    }
  }
  return DispatchStatus::UnknownName;
}

DispatchResult CTandrelCtrl::Invoke(int dispid, std::span<const Variant> args) noexcept {
  DispatchResult outcome;
  const identity::MethodInfo* method = FindMethod(dispid);
  if (method == nullptr) {
    outcome.status = DispatchStatus::MemberNotFound;
    return outcome;
  }
  if (args.size() != method->params.size()) {
    outcome.status = DispatchStatus::BadParamCount;
    return outcome;
  }
  try {
    std::array<Variant, kMaxParams> values;
    for (std::size_t i = 0; i < args.size(); ++i) {
      const DispatchStatus status = CoerceArgument(args[i], method->params[i].type, values[i]);
      if (status != DispatchStatus::Ok) {
        outcome.status = status;
        outcome.argError = static_cast<unsigned>(i);
        return outcome;
      }
    }
    switch (dispid) {
      case kDispJoin:
        outcome.result =
            Join(values[0].StringValue(), values[1].StringValue(), values[2].ShortValue());
        break;
      case kDispCutByTime:
        outcome.result =
            CutByTime(values[0].StringValue(), values[1].StringValue(), values[2].ShortValue());
        break;
      case kDispCutBySize:
        outcome.result =
            CutBySize(values[0].StringValue(), values[1].LongValue(), values[2].StringValue());
        break;
      case kDispGetFileSize:
        outcome.result = GetFileSize(values[0].StringValue());
        break;
      case kDispGetPlayTime:
        outcome.result = GetPlayTime(values[0].StringValue());
        break;
      default:
        outcome.status = DispatchStatus::MemberNotFound;
        break;
    }
  } catch (...) {
    // Copying an argument's text ran out of memory; the method has not run.
    outcome = DispatchResult{DispatchStatus::Exception, 0, Variant()};
  }
  return outcome;
}

std::uint32_t CTandrelCtrl::Advise(EventSink sink) noexcept {
  return NoThrow<std::uint32_t>(0, [&] { return impl_->events.Advise(std::move(sink)); });
}

bool CTandrelCtrl::Unadvise(std::uint32_t cookie) noexcept {
  return impl_->events.Unadvise(cookie);
}

std::int16_t CTandrelCtrl::Join(const std::string& saveFileName, const std::string& filesToJoin,
                                std::int16_t filesCount) noexcept {
  return NoThrow(kResultOnException,
                 [&] { return ::tandrel::Join(saveFileName, filesToJoin, filesCount, impl_); });
}

std::int16_t CTandrelCtrl::CutByTime(const std::string& openFileName,
                                     const std::string& cutTimeInfo,
                                     std::int16_t filesCount) noexcept {
  return NoThrow(kResultOnException, [&] {
    return ::tandrel::CutByTime(openFileName, cutTimeInfo, filesCount, impl_);
  });
}

std::int16_t CTandrelCtrl::CutBySize(const std::string& openFileName, std::int32_t fileSize,
                                     const std::string& savePath) noexcept {
  return NoThrow(kResultOnException,
                 [&] { return ::tandrel::CutBySize(openFileName, fileSize, savePath, impl_); });
}

std::int32_t CTandrelCtrl::GetFileSize(const std::string& fileName) noexcept {
  return NoThrow(kFileSizeOnException, [&] { return ::tandrel::GetFileSize(fileName); });
}

std::int32_t CTandrelCtrl::GetPlayTime(const std::string& fileName) noexcept {
  return NoThrow(kPlayTimeOnException, [&] { return ::tandrel::GetPlayTime(fileName); });
}

}  // namespace tandrel
