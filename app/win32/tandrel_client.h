#pragma once

// Tandrel1: the engine control, made through the component model from its registered class and
// called late-bound by dispatch identifier; its events arrive through a connection point.

#include <ocidl.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace trevasso::win32 {

class TandrelClient {
 public:
  // Receives every event of the control: its dispatch identifier and its one short value.
  using EventHandler = std::function<void(DISPID event, std::int16_t value)>;

  // Creates the control by its class identifier and connects `onEvent` to its events. Without a
  // registered control, every call answers as a failed call does.
  explicit TandrelClient(EventHandler onEvent);
  ~TandrelClient();
  TandrelClient(const TandrelClient&) = delete;
  TandrelClient& operator=(const TandrelClient&) = delete;

  bool Created() const { return control_ != nullptr; }
  // Whether the event sink is connected.
  bool Connected() const { return cookie_ != 0; }

  // The three operations give their result code, or -1 when the call itself fails (no message
  // is shown for it). The list strings and the counts go by reference, as the program has
  // always passed them; the control writes nothing back.
  std::int16_t Join(const std::wstring& saveFileName, const std::wstring& filesToJoin,
                    std::int16_t filesCount);
  std::int16_t CutByTime(const std::wstring& openFileName, const std::wstring& cutTimeInfo,
                         std::int16_t filesCount);
  std::int16_t CutBySize(const std::wstring& openFileName, std::int32_t fileSize,
                         const std::wstring& savePath);
  std::int32_t GetFileSize(const std::wstring& fileName);
  std::int32_t GetPlayTime(const std::wstring& fileName);

 private:
  class Sink;
  // Invokes `dispid` with `args` in declaration order; the result as a VARIANT (VT_EMPTY when
  // the call failed).
  VARIANT Invoke(DISPID dispid, VARIANT* args, UINT count);

  IDispatch* control_ = nullptr;
  IConnectionPoint* point_ = nullptr;
  Sink* sink_ = nullptr;
  DWORD cookie_ = 0;
};

}  // namespace trevasso::win32
