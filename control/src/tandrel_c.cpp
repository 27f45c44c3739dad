// The C interface: a thin shell over CTandrelCtrl that plays the part of the class factory.
// Nothing thrown inside may cross it.

#include <string>

#include "live_controls.h"
#include "tandrel/result_code.h"
#include "tandrel/result_messages.h"
#include "tandrel/version.h"
#include "tandrel/tandrel.h"
#include "tandrel/tandrel_ctrl.h"

struct TandrelObject {
  tandrel::CTandrelCtrl control;
};

namespace {

constexpr auto kInvalidParameter = static_cast<short>(tandrel::ResultCode::InvalidParameter);
constexpr int32_t kNoFileSize = 0;
constexpr auto kCannotOpen = static_cast<int32_t>(tandrel::ResultCode::OpenFailed);

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
  try {
    return new TandrelObject;
  } catch (...) {
    return nullptr;
  }
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
  try {
    return object->control.Join(Text(saveFileName), Text(filesToJoin), filesCount);
  } catch (...) {
    return kCannotOpen;
  }
}

short Tandrel_CutByTime(TandrelObject* object, const char* openFileName, const char* cutTimeInfo,
                        short filesCount) {
  if (object == nullptr || cutTimeInfo == nullptr) return kInvalidParameter;
  try {
    return object->control.CutByTime(Text(openFileName), Text(cutTimeInfo), filesCount);
  } catch (...) {
    return kCannotOpen;
  }
}

short Tandrel_CutBySize(TandrelObject* object, const char* openFileName, int32_t fileSize,
                        const char* savePath) {
  // A null folder is none, not the current one: pieces must not land where nobody asked.
  if (object == nullptr || savePath == nullptr) return kInvalidParameter;
  try {
    return object->control.CutBySize(Text(openFileName), fileSize, Text(savePath));
  } catch (...) {
    return kCannotOpen;
  }
}

int32_t Tandrel_GetFileSize(TandrelObject* object, const char* fileName) {
  if (object == nullptr) return kNoFileSize;
  try {
    return object->control.GetFileSize(Text(fileName));
  } catch (...) {
    return kNoFileSize;
  }
}

int32_t Tandrel_GetPlayTime(TandrelObject* object, const char* fileName) {
  if (object == nullptr) return kCannotOpen;
  try {
    return object->control.GetPlayTime(Text(fileName));
  } catch (...) {
    return kCannotOpen;
  }
}

int Tandrel_CanUnloadNow(void) {
  return tandrel::LiveControls() == 0 ? 1 : 0;
}

}  // extern "C"
