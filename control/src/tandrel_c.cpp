// The C interface: a thin shell over CTandrelCtrl that plays the part of the class factory.
// Nothing thrown inside may cross it.

#include <string>

#include "live_controls.h"
#include "no_throw.h"
#include "tandrel_engine/result_code.h"
#include "tandrel/result_messages.h"
#include "tandrel/tandrel.h"
#include "tandrel/tandrel_ctrl.h"
#include "tandrel/version.h"

struct TandrelObject {
  tandrel::CTandrelCtrl control;
};

namespace {

constexpr auto kInvalidParameter = static_cast<short>(tandrel::ResultCode::InvalidParameter);
constexpr int32_t kNoFileSize = 0;
constexpr auto kCannotOpen = static_cast<int32_t>(tandrel::ResultCode::OpenFailed);
constexpr auto kOperationFailed = static_cast<short>(tandrel::ResultCode::OpenFailed);

// A null string is taken as empty text.
std::string Text(const char* text) {
  return text != nullptr ? std::string(text) : std::string();
}

}  // namespace

extern "C" {

const char* Tandrel_Version(void) {
  return TANDREL_VERSION_STRING;
}

const char* Tandrel_ResultMessage(int code) {
  return tandrel::SplitResultMessage(code);
}

const char* Tandrel_JoinResultMessage(int code) {
  return tandrel::JoinResultMessage(code);
}

TandrelObject* Tandrel_Create(void) {
  return tandrel::NoThrow<TandrelObject*>(nullptr, [] { return new TandrelObject; });
}

void Tandrel_Release(TandrelObject* object) {
  delete object;
}

uint32_t Tandrel_Advise(TandrelObject* object, Tandrel_EventCallback callback, void* context) {
  if (object == nullptr || callback == nullptr) return 0;
  return object->control.Advise(
      [callback, context](int dispid, std::int16_t value) { callback(context, dispid, value); });
}

int Tandrel_Unadvise(TandrelObject* object, uint32_t cookie) {
  return object != nullptr && object->control.Unadvise(cookie) ? 1 : 0;
}

short Tandrel_Join(TandrelObject* object, const char* saveFileName, const char* filesToJoin,
                   short filesCount) {
  // No output name or no list is no request: nothing to write where.
  if (object == nullptr || saveFileName == nullptr || filesToJoin == nullptr)
    return kInvalidParameter;
  return tandrel::NoThrow(kOperationFailed, [&] {
    return object->control.Join(Text(saveFileName), Text(filesToJoin), filesCount);
  });
}

short Tandrel_CutByTime(TandrelObject* object, const char* openFileName, const char* cutTimeInfo,
                        short filesCount) {
  if (object == nullptr || cutTimeInfo == nullptr) return kInvalidParameter;
  return tandrel::NoThrow(kOperationFailed, [&] {
    return object->control.CutByTime(Text(openFileName), Text(cutTimeInfo), filesCount);
  });
}

short Tandrel_CutBySize(TandrelObject* object, const char* openFileName, int32_t fileSize,
                        const char* savePath) {
  // A null folder is none, not the current one: pieces must not land where nobody asked.
  if (object == nullptr || savePath == nullptr) return kInvalidParameter;
  return tandrel::NoThrow(kOperationFailed, [&] {
    return object->control.CutBySize(Text(openFileName), fileSize, Text(savePath));
  });
}

int32_t Tandrel_GetFileSize(TandrelObject* object, const char* fileName) {
  if (object == nullptr) return kNoFileSize;
  return tandrel::NoThrow(kNoFileSize, [&] { return object->control.GetFileSize(Text(fileName)); });
}

int32_t Tandrel_GetPlayTime(TandrelObject* object, const char* fileName) {
  if (object == nullptr) return kCannotOpen;
  return tandrel::NoThrow(kCannotOpen, [&] { return object->control.GetPlayTime(Text(fileName)); });
}

int Tandrel_CanUnloadNow(void) {
  return tandrel::LiveControls() == 0 ? 1 : 0;
}

}  // extern "C"
