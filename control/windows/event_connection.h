#pragma once

#include <ocidl.h>

#include <cstdint>
#include <vector>

#include "tandrel/tandrel_ctrl.h"

namespace tandrel::com {

// The connection point of the event interface, over the control's own event connections: each
// sink advised here is one connection of CTandrelCtrl, and each event the control fires is an
// IDispatch::Invoke call on the sink, made at once on the firing thread. Part of the control
// object, whose reference count it shares.
class EventConnectionPoint final : public IConnectionPoint {
 public:
  EventConnectionPoint(IConnectionPointContainer& owner, CTandrelCtrl& ctrl);
  // Disconnects every sink still connected.
  ~EventConnectionPoint();
  EventConnectionPoint(const EventConnectionPoint&) = delete;
  EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return owner_.AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return owner_.Release(); }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override;
  // The sink must give the event interface or IDispatch.
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override;

  // While frozen (IOleControl::FreezeEvents, counted) events are dropped, not kept.
  void Freeze(bool freeze);

 private:
  struct Connection {
    DWORD cookie;
    IUnknown* sink;  // one reference held
  };

  IConnectionPointContainer& owner_;
  CTandrelCtrl& ctrl_;
  std::vector<Connection> connections_;
  int frozen_ = 0;
};

}  // namespace tandrel::com
