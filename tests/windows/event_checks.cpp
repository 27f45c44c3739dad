#include "event_checks.h"

#include <ocidl.h>
#include <olectl.h>

#include "audio_files.h"
#include "com_calls.h"
#include "com_identity.h"
#include "test_tally.h"

namespace tandrel::wintest {
namespace {

// A join of two WAVE files: events Join 50, Join 100, StatusChange 4.
class TwoFileJoin {
 public:
  TwoFileJoin() : folder_(ScratchFolder(L"events")) {
    WriteBytes(folder_ + L"x.wav", WaveFile(4000, 1));
    WriteBytes(folder_ + L"y.wav", WaveFile(4000, 2));
  }
  long long Run(IDispatch* control) const {
    Args args;
    args.Str(folder_ + L"xy.wav").Str(folder_ + L"x.wav|" + folder_ + L"y.wav").Short(2);
    return Call(control, CTandrelCtrl::kDispJoin, args).value;
  }

 private:
  std::wstring folder_;
};

const std::vector<Event> kTwoFileEvents = {JoinEvent(50), JoinEvent(100), StatusEvent(4)};

}  // namespace

void CheckEvents() {
  BeginSection("events: connection point");
  ComPtr<IDispatch> control = CreateControl();
  if (!CHECK(control != nullptr)) return;
  const TwoFileJoin join;

  auto full = EventRecorder::Make(true, true);
  auto dispatchOnly = EventRecorder::Make(false, true);
  auto neither = EventRecorder::Make(false, false);
  const DWORD fullCookie = Connect(control.Get(), full.Get());
  const DWORD dispatchCookie = Connect(control.Get(), dispatchOnly.Get());
  HRESULT hr = S_OK;
  CHECK(fullCookie != 0);
  CHECK(dispatchCookie != 0 && dispatchCookie != fullCookie);
  CHECK_EQ(Connect(control.Get(), neither.Get(), &hr), 0UL);
  CHECK_HR(hr, CONNECT_E_CANNOTCONNECT);

  // Every sink gets every event, in the order they connected.
  std::vector<int> order;
  full->onEvent = [&order](const Event&) { order.push_back(1); };
  dispatchOnly->onEvent = [&order](const Event&) { order.push_back(2); };
  CHECK_EQ(join.Run(control.Get()), 0);
  CHECK_EQ(full->events, kTwoFileEvents);
  CHECK_EQ(dispatchOnly->events, kTwoFileEvents);
  CHECK(order == (std::vector<int>{1, 2, 1, 2, 1, 2}));
  full->onEvent = nullptr;
  dispatchOnly->onEvent = nullptr;

  // The enumerators and the way back to the container.
  ComPtr<IConnectionPointContainer> container;
  ComPtr<IEnumConnectionPoints> points;
  control.As(&container);
  if (CHECK(SUCCEEDED(container->EnumConnectionPoints(&points)))) {
    IConnectionPoint* found[2] = {nullptr, nullptr};
    ULONG fetched = 0;
    CHECK_HR(points->Next(2, found, &fetched), S_FALSE);
    CHECK_EQ(fetched, 1UL);
    if (fetched == 1) {
      IID iid{};
      found[0]->GetConnectionInterface(&iid);
      CHECK_EQ(iid, com::kEventsIid);
      ComPtr<IConnectionPointContainer> back;
      found[0]->GetConnectionPointContainer(&back);
      ComPtr<IUnknown> a, b;
      back.As(&a);
      control.As(&b);
      CHECK(a.Get() == b.Get());
      ComPtr<IEnumConnections> connections;
      if (CHECK(SUCCEEDED(found[0]->EnumConnections(&connections)))) {
        CONNECTDATA data[3] = {};
        ULONG count = 0;
        connections->Next(3, data, &count);
        CHECK_EQ(count, 2UL);
        for (ULONG i = 0; i < count; ++i) data[i].pUnk->Release();
        if (count == 2) {
          CHECK_EQ(data[0].dwCookie, fullCookie);
          CHECK_EQ(data[1].dwCookie, dispatchCookie);
        }
      }
      found[0]->Release();
    }
  }
  ComPtr<IConnectionPoint> propertyNotify;
  CHECK_HR(container->FindConnectionPoint(IID_IPropertyNotifySink, &propertyNotify),
           CONNECT_E_NOCONNECTION);

  // Disconnecting: no more events, the sink's reference given back, a second time refused.
  const ULONG before = full->References();
  CHECK_HR(Disconnect(control.Get(), fullCookie), S_OK);
  CHECK(full->References() < before);
  CHECK_HR(Disconnect(control.Get(), fullCookie), CONNECT_E_NOCONNECTION);
  full->events.clear();
  dispatchOnly->events.clear();
  CHECK_EQ(join.Run(control.Get()), 0);
  CHECK(full->events.empty());
  CHECK_EQ(dispatchOnly->events, kTwoFileEvents);

  // A handler that disconnects itself gets the event it is handling and no further one.
  auto once = EventRecorder::Make();
  DWORD onceCookie = Connect(control.Get(), once.Get());
  once->onEvent = [&](const Event&) { Disconnect(control.Get(), onceCookie); };
  dispatchOnly->events.clear();
  CHECK_EQ(join.Run(control.Get()), 0);
  CHECK_EQ(once->events, std::vector<Event>{JoinEvent(50)});
  CHECK_EQ(dispatchOnly->events, kTwoFileEvents);

  // Frozen events are dropped; thawed, they flow again.
  ComPtr<IOleControl> oleControl;
  if (CHECK(SUCCEEDED(control.As(&oleControl)))) {
    dispatchOnly->events.clear();
    CHECK_HR(oleControl->FreezeEvents(TRUE), S_OK);
    CHECK_EQ(join.Run(control.Get()), 0);
    CHECK(dispatchOnly->events.empty());
    CHECK_HR(oleControl->FreezeEvents(FALSE), S_OK);
    CHECK_EQ(join.Run(control.Get()), 0);
    CHECK_EQ(dispatchOnly->events, kTwoFileEvents);
  }

  // A control released with a sink still connected lets the sink go.
  const ULONG held = dispatchOnly->References();
  oleControl.Reset();
  container.Reset();
  points.Reset();
  control.Reset();
  CHECK(dispatchOnly->References() < held);

  BeginSection("events: class information");
  control = CreateControl();
  ComPtr<IProvideClassInfo2> classInfo;
  if (CHECK(SUCCEEDED(control.As(&classInfo)))) {
    GUID source{};
    CHECK_HR(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
    CHECK_EQ(source, com::kEventsIid);
    ComPtr<ITypeInfo> info;
    TYPEATTR* attr = nullptr;
    if (CHECK(SUCCEEDED(classInfo->GetClassInfo(&info))) &&
        CHECK(SUCCEEDED(info->GetTypeAttr(&attr)))) {
      CHECK_EQ(attr->guid, com::kControlClsid);
      CHECK_EQ(attr->typekind, TKIND_COCLASS);
      info->ReleaseTypeAttr(attr);
    }
  }
}

}  // namespace tandrel::wintest
