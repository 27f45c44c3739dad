#include "event_connection.h"

#include <olectl.h>

#include <algorithm>
#include <new>

#include "com_identity.h"
#include "list_enumerator.h"
#include "module.h"

namespace tandrel::com {
namespace {

// Holds one reference to an event sink for as long as the control's connection lives.
class SinkReference {
 public:
  explicit SinkReference(IDispatch* sink) : sink_(sink) { sink_->AddRef(); }
  SinkReference(const SinkReference& other) : sink_(other.sink_) { sink_->AddRef(); }
  SinkReference& operator=(const SinkReference&) = delete;
  ~SinkReference() { sink_->Release(); }
  IDispatch* Get() const { return sink_; }

 private:
  IDispatch* sink_;
};

void FireTo(IDispatch* sink, int dispid, std::int16_t value) {
  VARIANT arg;
  ::VariantInit(&arg);
  V_VT(&arg) = VT_I2;
  V_I2(&arg) = value;
  DISPPARAMS params{&arg, nullptr, 1, 0};
  // What the sink answers changes nothing for the running operation.
  sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
               nullptr);
}

}  // namespace

EventConnectionPoint::EventConnectionPoint(IConnectionPointContainer& owner, CTandrelCtrl& ctrl)
    : owner_(owner), ctrl_(ctrl) {}

EventConnectionPoint::~EventConnectionPoint() {
  for (const Connection& connection : connections_) {
    ctrl_.Unadvise(connection.cookie);
    connection.sink->Release();
  }
}

HRESULT EventConnectionPoint::QueryInterface(REFIID iid, void** out) {
  return QueryOneInterface(static_cast<IConnectionPoint*>(this), IID_IConnectionPoint, iid, out);
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = kEventsIid;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (out == nullptr) return E_POINTER;
  *out = &owner_;
  owner_.AddRef();
  return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  IDispatch* dispatch = nullptr;
  if (FAILED(sink->QueryInterface(kEventsIid, reinterpret_cast<void**>(&dispatch))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  const SinkReference target(dispatch);
  dispatch->Release();
  try {
    connections_.reserve(connections_.size() + 1);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  const std::uint32_t connected = ctrl_.Advise([this, target](int dispid, std::int16_t value) {
    if (frozen_ == 0) FireTo(target.Get(), dispid, value);
  });
  if (connected == 0) return E_OUTOFMEMORY;
  sink->AddRef();
  connections_.push_back({connected, sink});
  *cookie = connected;
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
  const auto found = std::find_if(connections_.begin(), connections_.end(),
                                  [cookie](const Connection& c) { return c.cookie == cookie; });
  if (found == connections_.end()) return CONNECT_E_NOCONNECTION;
  IUnknown* sink = found->sink;
  connections_.erase(found);
  ctrl_.Unadvise(cookie);
  sink->Release();
  return S_OK;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  try {
    std::vector<CONNECTDATA> items;
    for (const Connection& connection : connections_) {
      items.push_back({connection.sink, connection.cookie});
    }
    *out = new ConnectionEnumerator(std::move(items));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

void EventConnectionPoint::Freeze(bool freeze) {
  frozen_ += freeze ? 1 : (frozen_ > 0 ? -1 : 0);
}

}  // namespace tandrel::com
