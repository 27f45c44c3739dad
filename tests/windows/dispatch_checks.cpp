// The five methods through IDispatch, on copies of the real files, with their events; what the
// Windows argument conversion accepts and refuses; the file sharing of the Win32 backend.
#include "tandrel/operations.h"
#include "test_client.h"

namespace tandrel::wintest {
namespace {

constexpr DISPID kJoin = CTandrelCtrl::kDispJoin, kCutByTime = CTandrelCtrl::kDispCutByTime,
                 kCutBySize = CTandrelCtrl::kDispCutBySize,
                 kGetFileSize = CTandrelCtrl::kDispGetFileSize,
                 kGetPlayTime = CTandrelCtrl::kDispGetPlayTime;

// 16,000 bytes of 8 kHz 16-bit mono samples after a LIST chunk: 1000 ms in 16,084 bytes.
constexpr long long kWaveSize = 16084;

// Copies of the real files, under names of their own.
struct Inputs {
  explicit Inputs(const std::wstring& fixtures) {
    for (const wchar_t* name : {L"a.wav", L"b.wav", L"caf\u00e9.wav", L"\u03a9mega.wav"}) {
      ::CopyFileW((fixtures + L"\\list_chunk.wav").c_str(), (folder + L"\\" + name).c_str(), FALSE);
    }
    ::CopyFileW((fixtures + L"\\lame_vbr_xing.mp3").c_str(), vbr.c_str(), FALSE);
  }
  std::wstring folder = ScratchFolder(L"inputs");
  std::wstring a = folder + L"\\a.wav", b = folder + L"\\b.wav", vbr = folder + L"\\vbr.mp3";
  std::wstring missing = folder + L"\\missing.wav", pair = a + L"|" + b;
};

void CheckNames(IDispatch* control) {
  BeginSection("dispatch: names");
  for (const auto& method : id::kMethods) {
    std::wstring name = Wide(method.name);
    for (wchar_t& c : name) c = static_cast<wchar_t>(::towlower(c));  // names ignore case
    LPOLESTR text = name.data();
    DISPID got = 0;
    CHECK_HR(control->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &got), S_OK);
    RecordEqual(got, method.dispid, Utf8(name), __LINE__);
  }
  LPOLESTR event = const_cast<LPOLESTR>(L"StatusChange");  // an event is no method
  DISPID got = 0;
  CHECK_HR(control->GetIDsOfNames(IID_NULL, &event, 1, LOCALE_USER_DEFAULT, &got),
           DISP_E_UNKNOWNNAME);
}

// One call of a method: its string arguments, with * standing for the folder its files go to,
// and its number argument.
struct MethodCase {
  const char* name;
  DISPID dispid;
  std::wstring first, second;
  long number;
  long long want;
  std::string events;
};

std::wstring Into(std::wstring text, const std::wstring& folder) {
  for (std::size_t at; (at = text.find(L'*')) != std::wstring::npos;) text.replace(at, 1, folder);
  return text;
}

std::vector<VARIANT> Arguments(const MethodCase& c, const std::wstring& out) {
  if (c.dispid == kCutBySize) {
    return {Str(Into(c.first, out)), Var(VT_I4, c.number), Str(Into(c.second, out))};
  }
  if (c.dispid == kJoin || c.dispid == kCutByTime) {
    return {Str(Into(c.first, out)), Str(Into(c.second, out)), Var(VT_I2, short(c.number))};
  }
  return {Str(c.first)};
}

// The same call made on the engine directly, with the paths as the control hands them over.
void CallEngine(const MethodCase& c, const std::wstring& out) {
  const std::string first = Ansi(Into(c.first, out)), second = Ansi(Into(c.second, out));
  if (c.dispid == kJoin) Join(first, second, static_cast<std::int16_t>(c.number), nullptr);
  if (c.dispid == kCutByTime)
    CutByTime(first, second, static_cast<std::int16_t>(c.number), nullptr);
  if (c.dispid == kCutBySize) CutBySize(first, c.number, second, nullptr);
}

// Every method with its arguments passed by value, by reference and by VARIANT reference: its
// result, its events at every sink, received during the call, nothing written back into the
// arguments, and the files it writes the same as the engine's own.
void CheckMethods(IDispatch* control, const Inputs& in) {
  BeginSection("dispatch: the five methods with events");
  EventSink sink, dispatchOnly(false);
  const DWORD cookie = Advise(control, &sink), otherCookie = Advise(control, &dispatchOnly);
  CHECK(cookie != 0 && otherCookie != 0);
  const std::string joined = "Join(50) Join(100) StatusChange(4)";
  const MethodCase cases[] = {
      {"GetFileSize", kGetFileSize, in.a, L"", 0, kWaveSize, ""},
      // Paths reach the engine in the ANSI code page, 1252 in the pinned locale: é, but no Ω.
      {"GetFileSize of caf\u00e9.wav", kGetFileSize, in.folder + L"\\caf\u00e9.wav", L"", 0,
       kWaveSize, ""},
      {"GetFileSize of \u03a9mega.wav", kGetFileSize, in.folder + L"\\\u03a9mega.wav", L"", 0, 0,
       ""},
      {"GetPlayTime of a WAVE file", kGetPlayTime, in.a, L"", 0, 1000, ""},
      {"GetPlayTime of a VBR MP3 file", kGetPlayTime, in.vbr, L"", 0, 2028, ""},
      {"GetPlayTime of a missing file", kGetPlayTime, in.missing, L"", 0, 1, ""},
      {"Join", kJoin, L"*\\ab.wav", in.pair, 2, 0, joined},
      {"Join into joint\u00e9.wav", kJoin, L"*\\joint\u00e9.wav", in.pair, 2, 0, joined},
      {"Join with a missing input", kJoin, L"*\\x.wav", in.a + L"|" + in.missing, 2, 1, ""},
      {"CutByTime", kCutByTime, in.vbr, L"1;1000;*\\one.mp3|1001;-1;*\\two.mp3", 2, 0,
       "Cut(50) Cut(100) StatusChange(3)"},
      {"CutBySize", kCutBySize, in.a, L"*", 6000, 0, "Cut(33) Cut(66) Cut(100) StatusChange(3)"},
  };
  const std::pair<Pass, const char*> passes[] = {
      {Pass::Value, " by value"}, {Pass::Ref, " by reference"}, {Pass::VariantRef, " by VARIANT"}};
  for (const MethodCase& c : cases) {
    const std::wstring direct = ScratchFolder(L"direct");
    CallEngine(c, direct);
    Record(c.events.empty() || !Contents(direct).empty(), c.name + std::string(": engine wrote"),
           __LINE__);
    for (const auto& [pass, how] : passes) {
      const std::string what = c.name + std::string(how);
      const std::wstring out = ScratchFolder(L"out");
      sink.events.clear();
      dispatchOnly.events.clear();
      const Outcome r = Call(control, c.dispid, Arguments(c, out), pass);
      RecordEqual(static_cast<std::uint32_t>(r.hr), 0U, what + ": hr", __LINE__);
      RecordEqual(r.value, c.want, what, __LINE__);
      RecordEqual(sink.events, c.events, what + ": events", __LINE__);
      RecordEqual(dispatchOnly.events, c.events, what + ": events at an IDispatch-only sink",
                  __LINE__);
      Record(sink.synchronous && dispatchOnly.synchronous, what + ": events during the call",
             __LINE__);
      Record(r.untouched, what + ": arguments untouched", __LINE__);
      Record(Contents(out) == Contents(direct), what + ": files as the engine writes them",
             __LINE__);
    }
  }
  // An unadvised sink hears nothing more.
  CHECK_HR(Unadvise(control, otherCookie), S_OK);
  sink.events.clear();
  dispatchOnly.events.clear();
  CHECK_EQ(Call(control, kJoin, Arguments(cases[7], ScratchFolder(L"out"))).value, 0);
  CHECK_EQ(sink.events, joined);
  CHECK_EQ(dispatchOnly.events, std::string());
  CHECK_HR(Unadvise(control, cookie), S_OK);

  ComPtr<IProvideClassInfo2> classInfo;
  GUID source{};
  CHECK(SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&classInfo))) &&
        SUCCEEDED(classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source)));
  CHECK_EQ(source, com::kEventsIid);
}

// What the Windows side of argument passing refuses, and where: references the shared
// conversion never sees, types only the system converts, the shape of the call itself.
void CheckArgumentErrors(IDispatch* control, const Inputs& in) {
  BeginSection("dispatch: argument conversion and call errors");
  const std::wstring target = ScratchFolder(L"conversion") + L"\\joined.wav";
  static long twoLong = 2;
  static VARIANT reference = Var(VT_BYREF | VT_VARIANT, static_cast<void*>(nullptr));
  auto join = [&](VARIANT count) { return std::vector{Str(target), Str(in.pair), count}; };
  auto args = [](auto... values) { return std::vector<VARIANT>{values...}; };
  struct ErrorCase {
    const char* name;
    DISPID dispid;
    std::vector<VARIANT> args;
    HRESULT hr;
    UINT argErr = 0;  // counted from the last argument; checked on a conversion failure
    WORD flags = DISPATCH_METHOD;
  };
  ErrorCase cases[] = {
      {"count by reference to a long", kJoin, join(Var(VT_BYREF | VT_I4, &twoLong)), S_OK},
      {"count 40000", kJoin, join(Var(VT_I4, 40000L)), DISP_E_OVERFLOW},
      {"count by null reference", kJoin, join(Var(VT_BYREF | VT_I2, static_cast<void*>(nullptr))),
       DISP_E_TYPEMISMATCH},
      {"count by reference to a reference", kJoin, join(Var(VT_BYREF | VT_VARIANT, &reference)),
       DISP_E_TYPEMISMATCH},
      {"SaveFileName null", kJoin, args(Var(VT_NULL, 0), Str(in.pair), Var(VT_I2, short{2})),
       DISP_E_TYPEMISMATCH, 2},
      {"FileSize beyond 32 bits", kCutBySize,
       args(Str(in.a), Var(VT_I8, 1LL << 40), Str(in.folder)), DISP_E_OVERFLOW, 1},
      {"one argument too many", kGetFileSize, args(Str(in.a), Str(in.a)), DISP_E_BADPARAMCOUNT},
      {"DISPID 6", 6, args(Str(in.a)), DISP_E_MEMBERNOTFOUND},
      {"read as a property", kGetFileSize, args(Str(in.a)), DISP_E_MEMBERNOTFOUND, 0,
       DISPATCH_PROPERTYGET},
      {"method or property", kGetFileSize, args(Str(in.a)), S_OK, 0,
       DISPATCH_METHOD | DISPATCH_PROPERTYGET},
  };
  for (ErrorCase& c : cases) {
    const Outcome r = Call(control, c.dispid, std::move(c.args), Pass::Value, c.flags);
    RecordEqual(static_cast<std::uint32_t>(r.hr), static_cast<std::uint32_t>(c.hr),
                std::string(c.name) + ": hr", __LINE__);
    if (c.hr == DISP_E_TYPEMISMATCH || c.hr == DISP_E_OVERFLOW) {
      RecordEqual(r.argErr, c.argErr, std::string(c.name) + ": argument", __LINE__);
    }
    if (c.hr == S_OK) RecordEqual(r.value, c.dispid == kJoin ? 0 : kWaveSize, c.name, __LINE__);
  }
}

// Files other programs hold open, and an output that is an input under another spelling: the
// join is refused and both files are left as they were.
void CheckSharing(IDispatch* control, const Inputs& in) {
  BeginSection("file sharing");
  const std::wstring folder = ScratchFolder(L"sharing"), a = folder + L"\\a.wav",
                     out = folder + L"\\out.wav", list = a + L"|" + in.b;
  ::CopyFileW(in.a.c_str(), a.c_str(), FALSE);
  const auto aBefore = ReadBytes(a), outBefore = ReadBytes(in.vbr);
  const std::wstring direct = ScratchFolder(L"sharing-direct") + L"\\out.wav";
  Join(Ansi(direct), Ansi(list), 2, nullptr);
  const auto joined = ReadBytes(direct);
  struct SharingCase {
    const char* name;
    std::wstring output, held;  // held: the file another handle holds, if any
    DWORD access, share;
    long long want;
  };
  const SharingCase cases[] = {
      {"output read by another program", out, out, GENERIC_READ, FILE_SHARE_READ, 1},
      {"input read by another program", out, a, GENERIC_READ, FILE_SHARE_READ, 0},
      {"input written by another program", out, a, GENERIC_WRITE, FILE_SHARE_READ, 1},
      {"input held unshared", out, a, GENERIC_READ, 0, 1},
      {"output A.WAV, an input", folder + L"\\A.WAV", L"", 0, 0, 1},
      {"output .\\a.wav, an input", folder + L"\\.\\a.wav", L"", 0, 0, 1},
      {"output ..\\sharing\\a.wav, an input", folder + L"\\..\\sharing\\a.wav", L"", 0, 0, 1},
  };
  for (const SharingCase& c : cases) {
    ::CopyFileW(in.vbr.c_str(), out.c_str(), FALSE);
    const HANDLE held = c.held.empty()
                            ? INVALID_HANDLE_VALUE
                            : ::CreateFileW(c.held.c_str(), c.access, c.share, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    Record(c.held.empty() || held != INVALID_HANDLE_VALUE, std::string(c.name) + ": held",
           __LINE__);
    RecordEqual(Call(control, kJoin, {Str(c.output), Str(list), Var(VT_I2, short{2})}).value,
                c.want, c.name, __LINE__);
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    Record(ReadBytes(a) == aBefore, std::string(c.name) + ": input untouched", __LINE__);
    Record(ReadBytes(out) == (c.want == 0 ? joined : outBefore),
           std::string(c.name) + (c.want == 0 ? ": output replaced" : ": output untouched"),
           __LINE__);
  }
  CHECK_EQ(Contents(folder).size(), 2U);  // a.wav and out.wav: no temporary file left
}

}  // namespace

void CheckDispatch(const std::wstring& fixtures) {
  const Inputs in(fixtures);
  BeginSection("dispatch: creation by ProgID");
  const ComPtr<IDispatch> control = CreateControl();
  if (!CHECK(control != nullptr)) return;
  CheckNames(control.Get());
  CheckMethods(control.Get(), in);
  CheckArgumentErrors(control.Get(), in);
  CheckSharing(control.Get(), in);
}

}  // namespace tandrel::wintest
