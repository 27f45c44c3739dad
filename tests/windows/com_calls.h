#pragma once

// Calling the control as a container does: arguments built as VARIANTs (values and references),
// IDispatch::Invoke with them last first, and an event sink that records what it receives.

#include <oaidl.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tandrel::wintest {

using Microsoft::WRL::ComPtr;

// The arguments of one call in declaration order. By-reference arguments point into storage the
// list owns, so that after the call the list can tell whether anything was written there.
class Args {
 public:
  Args() = default;
  ~Args();
  Args(const Args&) = delete;
  Args& operator=(const Args&) = delete;

  Args& Str(std::wstring_view text);
  Args& Short(short value);
  Args& Long(long value);
  // Any other value; the list owns it from now on.
  Args& Value(const VARIANT& value);
  // VT_BYREF | VT_BSTR, VT_BYREF | VT_I2, VT_BYREF | VT_I4.
  Args& StrRef(std::wstring_view text);
  Args& ShortRef(short value);
  Args& LongRef(long value);
  // VT_BYREF | VT_VARIANT pointing at an owned copy of `value`.
  Args& VariantRef(const VARIANT& value);
  // A reference whose pointer is null.
  Args& NullRef(VARTYPE type);

  std::size_t Count() const { return values_.size(); }
  // The arguments as automation passes them: last first.
  std::vector<VARIANT> Wire() const;
  // True when every referenced value is the one it was given: the same BSTR pointer with the
  // same text, the same numbers, the same VARIANT.
  bool ReferencesUnchanged() const;

 private:
  std::vector<VARIANT> values_;
  std::deque<BSTR> strings_;
  std::vector<std::pair<BSTR, std::wstring>> stringsGiven_;
  std::deque<short> shorts_;
  std::vector<short> shortsGiven_;
  std::deque<long> longs_;
  std::vector<long> longsGiven_;
  std::deque<VARIANT> variants_;
};

struct CallResult {
  HRESULT hr = E_FAIL;
  UINT argErr = 0xFFFFFFFF;  // as the control left it
  VARTYPE type = VT_EMPTY;   // of the result
  long long value = 0;
};

// Invokes `dispid` with DISPATCH_METHOD (or `flags`), a result and an argument-error slot.
CallResult Call(IDispatch* control, DISPID dispid, const Args& args, WORD flags = DISPATCH_METHOD);
// True while Call is inside IDispatch::Invoke.
bool InsideCall();

// A BSTR freed when it goes.
class Bstr {
 public:
  explicit Bstr(std::wstring_view text);
  ~Bstr();
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return text_; }

 private:
  BSTR text_;
};

struct Event {
  DISPID dispid;
  short value;
  bool insideCall;  // delivered from inside the running method
  DWORD thread;
  bool operator==(const Event& other) const {
    return dispid == other.dispid && value == other.value;
  }
};

// An event sink: IDispatch, and the event interface when asked for it.
class EventRecorder final : public IDispatch {
 public:
  // `answersEventIid`: whether QueryInterface gives the event interface's IID (some sinks offer
  // only IDispatch); `answersDispatch`: whether it gives IDispatch at all.
  static ComPtr<EventRecorder> Make(bool answersEventIid = true, bool answersDispatch = true);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override;

  std::vector<Event> events;
  // Called after each event is recorded.
  std::function<void(const Event&)> onEvent;
  ULONG References() const { return references_; }

 private:
  EventRecorder(bool answersEventIid, bool answersDispatch)
      : answersEventIid_(answersEventIid), answersDispatch_(answersDispatch) {}
  ULONG references_ = 1;
  bool answersEventIid_;
  bool answersDispatch_;
};

// Connects a sink to the control's event connection point; the cookie, or 0 (and the
// HRESULT in `hr`) when that failed.
DWORD Connect(IUnknown* control, IUnknown* sink, HRESULT* hr = nullptr);
HRESULT Disconnect(IUnknown* control, DWORD cookie);

// A new control object made through its ProgID, as a container makes it.
ComPtr<IDispatch> CreateControl();

// Event shorthands: the DISPIDs of the event interface.
Event StatusEvent(short value);
Event CutEvent(short value);
Event JoinEvent(short value);
std::string Describe(const std::vector<Event>& events);

}  // namespace tandrel::wintest
