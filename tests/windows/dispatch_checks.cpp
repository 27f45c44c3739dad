// The control made by its ProgID, its five methods called through IDispatch on copies of the real
// files, with their events; an output that is also an input refused.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "test_client.h"

namespace tandrel::wintest {
namespace {

namespace fs = std::filesystem;

const fs::path scratch = fs::temp_directory_path() / L"tandrel-client";

// A fresh, empty folder of that name in the client's scratch folder.
std::wstring ScratchFolder(std::wstring_view name) {
  std::error_code error;
  fs::remove_all(scratch / name, error);
  fs::create_directories(scratch / name, error);
  return (scratch / name).wstring();
}

// Every file of a folder, by name and bytes, as one text.
std::string Contents(const std::wstring& folder) {
  std::string all;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::ifstream file(entry.path(), std::ios::binary);
    all += Narrow(entry.path().filename().wstring()) + ": " +
           std::string(std::istreambuf_iterator<char>(file), {}) + "\n";
  }
  return all;
}

DWORD callingThread = 0;  // while a call is inside Invoke

// An event sink that answers to IDispatch only, as script hosts' sinks do, and writes down what
// it receives ("Join(50) StatusChange(4)") and whether all of it arrived during a call.
struct EventSink final : IDispatch {
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch);
    *out = known ? static_cast<IDispatch*>(this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    std::string name = "?";
    for (const auto& event : id::kEvents) {
      if (event.dispid == dispid) name = event.name;
    }
    const bool oneShort = params->cArgs == 1 && V_VT(params->rgvarg) == VT_I2;
    events += (events.empty() ? "" : " ") + name + "(" +
              (oneShort ? std::to_string(V_I2(params->rgvarg)) : "?") + ")";
    synchronous = synchronous && ::GetCurrentThreadId() == callingThread;
    return S_OK;
  }
  std::string events;
  bool synchronous = true;
};

// How a container passes the arguments: as values, as references to values of their own type
// (VT_BYREF | type), or as references to VARIANTs holding them (VT_BYREF | VT_VARIANT).
enum class Pass { Value, Ref, VariantRef };

std::wstring TextOf(const VARIANT& v) {
  return V_VT(&v) == VT_BSTR ? std::wstring(V_BSTR(&v), ::SysStringLen(V_BSTR(&v))) : L"";
}

// Invokes `dispid` with `args` in declaration order (sent last first): the result code, the I2 or
// I4 result, and each argument written back (its type, number, BSTR pointer or text changed).
std::string Call(IDispatch* control, DISPID dispid, std::vector<VARIANT> args, Pass pass) {
  const std::vector<VARIANT> given = args;
  std::vector<std::wstring> texts;
  std::vector<VARIANT> wire;
  for (auto arg = args.rbegin(); arg != args.rend(); ++arg) {
    texts.insert(texts.begin(), TextOf(*arg));
    VARIANT v = *arg;
    if (pass == Pass::Ref) {
      V_VT(&v) = VT_BYREF | V_VT(&*arg);
      V_BYREF(&v) = &V_I8(&*arg);  // the value's own storage
    } else if (pass == Pass::VariantRef) {
      V_VT(&v) = VT_BYREF | VT_VARIANT;
      V_VARIANTREF(&v) = &*arg;
    }
    wire.push_back(v);
  }
  DISPPARAMS params{wire.data(), nullptr, static_cast<UINT>(wire.size()), 0};
  VARIANT result{};
  callingThread = ::GetCurrentThreadId();
  const HRESULT hr = control->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                     &params, &result, nullptr, nullptr);
  callingThread = 0;
  const VARTYPE type = V_VT(&result);
  std::string out = std::to_string(hr) + " " +
                    std::to_string(type == VT_I2   ? V_I2(&result)
                                   : type == VT_I4 ? V_I4(&result)
                                                   : -1);
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (std::memcmp(&args[i], &given[i], sizeof(VARIANT)) != 0 || TextOf(args[i]) != texts[i]) {
      out += " argument " + std::to_string(i) + " written back";
    }
  }
  return out;
}

VARIANT Number(VARTYPE type, long long number) {
  VARIANT v{};
  V_VT(&v) = type;
  V_I8(&v) = number;  // little-endian: the low bytes hold the I2 or I4 as well
  return v;
}

VARIANT Str(const std::wstring& text) {
  VARIANT v = Number(VT_BSTR, 0);
  V_BSTR(&v) = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v;
}

}  // namespace

// Every method with its arguments passed by value, by reference and by VARIANT reference: its
// result, its events, received during the call, nothing written back into the arguments, and
// the same files written each way.
void CheckDispatch(const std::wstring& fixtures) {
  const std::wstring in = ScratchFolder(L"inputs"), a = in + L"\\a.wav", b = in + L"\\b.wav";
  const std::wstring vbr = in + L"\\vbr.mp3";
  // Paths reach the engine in the ANSI code page, 1252 in the pinned locale.
  for (const std::wstring& copy : {a, b, in + L"\\caf\u00e9.wav"}) {
    ::CopyFileW((fixtures + L"\\list_chunk.wav").c_str(), copy.c_str(), FALSE);
  }
  ::CopyFileW((fixtures + L"\\lame_vbr_xing.mp3").c_str(), vbr.c_str(), FALSE);
  CLSID clsid{};
  ComPtr<IDispatch> control;
  ComPtr<IConnectionPointContainer> points;
  ComPtr<IConnectionPoint> point;
  EventSink sink;
  DWORD cookie = 0;
  if (!CHECK(SUCCEEDED(::CLSIDFromProgID(Wide(id::kControlProgId).c_str(), &clsid)) &&
             SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_PPV_ARGS(&control))) &&
             SUCCEEDED(control.As(&points)) &&
             SUCCEEDED(points->FindConnectionPoint(com::kEventsIid, &point)) &&
             SUCCEEDED(point->Advise(&sink, &cookie)))) {
    return;
  }
  const std::wstring out = (scratch / L"out").wstring();
  struct {
    DISPID dispid;
    long long want;
    std::string events;
    std::vector<VARIANT> args;
  } cases[] = {
      // 16,000 bytes of 8 kHz 16-bit mono samples after a LIST chunk: 1000 ms in 16,084 bytes.
      {CTandrelCtrl::kDispGetFileSize, 16084, "", std::vector{Str(in + L"\\caf\u00e9.wav")}},
      {CTandrelCtrl::kDispGetPlayTime, 2028, "", std::vector{Str(vbr)}},
      {CTandrelCtrl::kDispJoin, 0, "Join(50) Join(100) StatusChange(4)",
       std::vector{Str(out + L"\\ab.wav"), Str(a + L"|" + b), Number(VT_I2, 2)}},
      {CTandrelCtrl::kDispCutByTime, 0, "Cut(50) Cut(100) StatusChange(3)",
       std::vector{Str(vbr), Str(L"1;1000;" + out + L"\\one.mp3|1001;-1;" + out + L"\\two.mp3"),
                   Number(VT_I2, 2)}},
      {CTandrelCtrl::kDispCutBySize, 0, "Cut(33) Cut(66) Cut(100) StatusChange(3)",
       std::vector{Str(a), Number(VT_I4, 6000), Str(out)}},
  };
  for (auto& c : cases) {
    std::string written;  // by the call by value
    for (const Pass pass : {Pass::Value, Pass::Ref, Pass::VariantRef}) {
      ScratchFolder(L"out");
      sink.events.clear();
      const std::string got = Call(control.Get(), c.dispid, c.args, pass);
      if (pass == Pass::Value) written = Contents(out);
      RecordEqual(
          got + " [" + sink.events + "]" + (sink.synchronous ? "" : " late") +
              (Contents(out) == written ? "" : " other files") +
              (written.empty() ? " no files" : ""),
          "0 " + std::to_string(c.want) + " [" + c.events + "]" +
              (c.events.empty() ? " no files" : ""),
          "DISPID " + std::to_string(c.dispid) + " pass " + std::to_string(static_cast<int>(pass)),
          __LINE__);
    }
    for (VARIANT& arg : c.args) ::VariantClear(&arg);
  }
  // An output that is an input under another spelling, which the input holds open: refused, and
  // the file left as it was, with no temporary file beside it.
  const std::string before = Contents(in);
  std::vector args{Str(in + L"\\A.WAV"), Str(a + L"|" + b), Number(VT_I2, 2)};
  CHECK_EQ(Call(control.Get(), CTandrelCtrl::kDispJoin, args, Pass::Value), "0 1");
  CHECK(Contents(in) == before);
  for (VARIANT& arg : args) ::VariantClear(&arg);
  CHECK(point->Unadvise(cookie) == S_OK);
}

}  // namespace tandrel::wintest
