#include "dispatch_checks.h"

#include <ole2.h>

#include <cstdint>
#include <vector>

#include "audio_files.h"
#include "com_calls.h"
#include "com_identity.h"
#include "identity.h"
#include "tandrel/file_info.h"
#include "tandrel/operations.h"
#include "test_tally.h"

namespace tandrel::wintest {
namespace {

constexpr DISPID kJoin = CTandrelCtrl::kDispJoin;
constexpr DISPID kCutByTime = CTandrelCtrl::kDispCutByTime;
constexpr DISPID kCutBySize = CTandrelCtrl::kDispCutBySize;
constexpr DISPID kGetFileSize = CTandrelCtrl::kDispGetFileSize;
constexpr DISPID kGetPlayTime = CTandrelCtrl::kDispGetPlayTime;

// Sample-data sizes of the three WAVE inputs: 0.5 s, 0.25 s and 0.75 s.
constexpr std::uint32_t kSizeA = 88200, kSizeB = 44100, kSizeC = 132300;
constexpr int kMp3Frames = 200;  // 5.2 s

struct Inputs {
  std::wstring folder;
  std::wstring a, b, c, mp3, vbr;  // vbr empty when the real file is not at hand
  std::wstring JoinList() const { return a + L"|" + b + L"|" + c; }
};

Inputs MakeInputs(const std::wstring& realFixtures) {
  Inputs in;
  in.folder = ScratchFolder(L"inputs");
  in.a = in.folder + L"a.wav";
  in.b = in.folder + L"b.wav";
  in.c = in.folder + L"c.wav";
  in.mp3 = in.folder + L"song.mp3";
  WriteBytes(in.a, WaveFile(kSizeA, 1));
  WriteBytes(in.b, WaveFile(kSizeB, 2));
  WriteBytes(in.c, WaveFile(kSizeC, 3));
  WriteBytes(in.mp3, Mp3File(kMp3Frames));
  const auto real = ReadBytes(realFixtures + L"\\lame_vbr_xing.mp3");
  if (!real.empty()) {
    in.vbr = in.folder + L"vbr.mp3";
    WriteBytes(in.vbr, real);
  }
  return in;
}

// The engine called directly, with the same narrow paths the control hands it.
std::int16_t EngineCutByTime(const std::wstring& source, const std::wstring& list, short count) {
  return static_cast<std::int16_t>(tandrel::CutByTime(Ansi(source), Ansi(list), count, nullptr));
}

std::int16_t EngineCutBySize(const std::wstring& source, std::int32_t size,
                             const std::wstring& folder) {
  return static_cast<std::int16_t>(tandrel::CutBySize(Ansi(source), size, Ansi(folder), nullptr));
}

void CheckNames(IDispatch* control) {
  BeginSection("dispatch: names and type information");
  struct NameCase {
    const wchar_t* name;
    HRESULT hr;
    DISPID id;
  };
  const NameCase cases[] = {
      {L"Join", S_OK, kJoin},
      {L"cutbytime", S_OK, kCutByTime},
      {L"CUTBYSIZE", S_OK, kCutBySize},
      {L"GetFileSize", S_OK, kGetFileSize},
      {L"GetPlayTime", S_OK, kGetPlayTime},
      {L"StatusChange", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
      {L"Joi", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
  };
  for (const NameCase& c : cases) {
    LPOLESTR name = const_cast<LPOLESTR>(c.name);
    DISPID id = 12345;
    const HRESULT hr = control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    const std::string what = "GetIDsOfNames " + Utf8(c.name);
    RecordEqual(static_cast<std::uint32_t>(hr), static_cast<std::uint32_t>(c.hr), what.c_str(),
                __FILE__, __LINE__);
    RecordEqual(id, c.id, (what + " id").c_str(), __FILE__, __LINE__);
  }
  // No named arguments: a parameter name is unknown, the method's own id still comes back.
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"Join"), const_cast<LPOLESTR>(L"FilesCount")};
  DISPID ids[2] = {0, 0};
  CHECK_HR(control->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids),
           DISP_E_UNKNOWNNAME);
  CHECK_EQ(ids[0], kJoin);
  CHECK_EQ(ids[1], DISPID_UNKNOWN);

  UINT count = 0;
  CHECK_HR(control->GetTypeInfoCount(&count), S_OK);
  CHECK_EQ(count, 1U);
  ComPtr<ITypeInfo> info;
  TYPEATTR* attr = nullptr;
  if (CHECK(SUCCEEDED(control->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info))) &&
      CHECK(SUCCEEDED(info->GetTypeAttr(&attr)))) {
    CHECK_EQ(attr->guid, com::kDispatchIid);
    info->ReleaseTypeAttr(attr);
  }
  ComPtr<ITypeInfo> none;
  CHECK_HR(control->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none), DISP_E_BADINDEX);
}

void CheckQueries(IDispatch* control, const Inputs& in) {
  BeginSection("dispatch: GetFileSize and GetPlayTime");
  struct QueryCase {
    DISPID dispid;
    std::wstring file;
    long long want;
  };
  const std::vector<QueryCase> cases = {
      {kGetFileSize, in.a, 44 + kSizeA},
      {kGetFileSize, in.mp3, static_cast<long long>(Mp3File(kMp3Frames).size())},
      {kGetFileSize, in.folder + L"missing.wav", 0},
      {kGetFileSize, in.folder, 0},  // a folder is no file
      {kGetFileSize, L"NUL", 0},     // nor is a device
      {kGetPlayTime, in.a, 500},
      {kGetPlayTime, in.c, 750},
      {kGetPlayTime, in.mp3, tandrel::GetPlayTime(Ansi(in.mp3))},
      {kGetPlayTime, in.folder + L"missing.wav", 1},
      {kGetPlayTime, in.folder + L"missing.mp3", 1},
      {kGetPlayTime, in.folder + L"notes.txt", 5},
  };
  for (const QueryCase& c : cases) {
    Args args;
    args.Str(c.file);
    const CallResult r = Call(control, c.dispid, args);
    const std::string what =
        (c.dispid == kGetFileSize ? "GetFileSize " : "GetPlayTime ") + Utf8(c.file);
    RecordEqual(static_cast<std::uint32_t>(r.hr), 0U, (what + " hr").c_str(), __FILE__, __LINE__);
    RecordEqual(r.type, VT_I4, (what + " result type").c_str(), __FILE__, __LINE__);
    RecordEqual(r.value, c.want, what.c_str(), __FILE__, __LINE__);
  }
  CHECK(tandrel::GetPlayTime(Ansi(in.mp3)) > 5000);
  if (Record(!in.vbr.empty(), "the real VBR file is at hand", __FILE__, __LINE__, "")) {
    Args args;
    args.Str(in.vbr);
    CHECK_EQ(Call(control, kGetPlayTime, args).value, tandrel::GetPlayTime(Ansi(in.vbr)));
  }
}

void CheckJoin(IDispatch* control, const Inputs& in) {
  BeginSection("dispatch: Join with events");
  const auto out = ScratchFolder(L"join");
  auto sink = EventRecorder::Make();
  const DWORD cookie = Connect(control, sink.Get());
  CHECK(cookie != 0);

  std::vector<std::uint8_t> samples;
  for (const auto& [size, seed] : {std::pair{kSizeA, 1U}, {kSizeB, 2U}, {kSizeC, 3U}}) {
    const auto part = WaveSamples(size, seed);
    samples.insert(samples.end(), part.begin(), part.end());
  }
  auto joinedCorrectly = [&](const std::wstring& path) {
    const auto bytes = ReadBytes(path);
    return bytes.size() == 44 + samples.size() &&
           std::equal(samples.begin(), samples.end(), bytes.begin() + 44);
  };
  const std::vector<Event> success = {JoinEvent(33), JoinEvent(66), JoinEvent(100), StatusEvent(4)};

  {
    Args args;
    args.Str(out + L"byvalue.wav").Str(in.JoinList()).Short(3);
    const CallResult r = Call(control, kJoin, args);
    CHECK_HR(r.hr, S_OK);
    CHECK_EQ(r.type, VT_I2);
    CHECK_EQ(r.value, 0);
    CHECK_EQ(sink->events, success);
    bool synchronous = true;
    for (const Event& e : sink->events) {
      synchronous = synchronous && e.insideCall && e.thread == ::GetCurrentThreadId();
    }
    CHECK(synchronous);
    CHECK(joinedCorrectly(out + L"byvalue.wav"));
  }
  // The desktop program passes the list and the count by reference.
  {
    sink->events.clear();
    Args args;
    args.StrRef(out + L"byref.wav").StrRef(in.JoinList()).ShortRef(3);
    const CallResult r = Call(control, kJoin, args);
    CHECK_HR(r.hr, S_OK);
    CHECK_EQ(r.value, 0);
    CHECK_EQ(sink->events, success);
    CHECK(args.ReferencesUnchanged());
    CHECK(joinedCorrectly(out + L"byref.wav"));
  }
  {
    sink->events.clear();
    VARIANT name, list, count;
    ::VariantInit(&name);
    ::VariantInit(&list);
    ::VariantInit(&count);
    V_VT(&name) = VT_BSTR;
    V_BSTR(&name) = ::SysAllocString((out + L"variantref.wav").c_str());
    V_VT(&list) = VT_BSTR;
    V_BSTR(&list) = ::SysAllocString(in.JoinList().c_str());
    V_VT(&count) = VT_I2;
    V_I2(&count) = 3;
    Args args;
    args.VariantRef(name).VariantRef(list).VariantRef(count);
    const CallResult r = Call(control, kJoin, args);
    CHECK_HR(r.hr, S_OK);
    CHECK_EQ(r.value, 0);
    CHECK_EQ(sink->events, success);
    CHECK(joinedCorrectly(out + L"variantref.wav"));
  }
  // Failures: the code as the result, and no StatusChange.
  struct FailureCase {
    std::wstring list;
    short count;
    long long want;
  };
  const std::vector<FailureCase> failures = {
      {in.JoinList(), 2, 7},                          // one entry too many
      {in.a + L"|" + in.mp3, 2, 4},                   // kinds differ
      {in.a + L"|" + in.folder + L"gone.wav", 2, 1},  // an input is missing
      {in.folder + L"x.ogg|" + in.folder + L"y.ogg", 2, 5},
  };
  for (const FailureCase& f : failures) {
    sink->events.clear();
    Args args;
    args.Str(out + L"failed.wav").Str(f.list).Short(f.count);
    const CallResult r = Call(control, kJoin, args);
    const std::string what = "Join " + Utf8(f.list);
    RecordEqual(static_cast<std::uint32_t>(r.hr), 0U, (what + " hr").c_str(), __FILE__, __LINE__);
    RecordEqual(r.value, f.want, what.c_str(), __FILE__, __LINE__);
    Record(sink->events.empty(), (what + " fires nothing").c_str(), __FILE__, __LINE__,
           Describe(sink->events));
  }
  CHECK(!FileExists(out + L"failed.wav"));
  CHECK_HR(Disconnect(control, cookie), S_OK);
}

void CheckCuts(IDispatch* control, const Inputs& in) {
  BeginSection("dispatch: CutByTime and CutBySize with events");
  auto sink = EventRecorder::Make();
  const DWORD cookie = Connect(control, sink.Get());

  // Each cut through the control against the same cut made by the engine directly.
  struct TimeCut {
    std::wstring source;
    std::wstring ext;
  };
  std::vector<TimeCut> timeCuts = {{in.mp3, L".mp3"}, {in.c, L".wav"}};
  if (!in.vbr.empty()) timeCuts.push_back({in.vbr, L".mp3"});
  int n = 0;
  for (const TimeCut& cut : timeCuts) {
    const auto viaControl = ScratchFolder(L"time-control-" + std::to_wstring(n));
    const auto direct = ScratchFolder(L"time-direct-" + std::to_wstring(++n));
    auto list = [&](const std::wstring& folder) {
      return L"1;300;" + folder + L"one" + cut.ext + L"|301;-1;" + folder + L"two" + cut.ext;
    };
    sink->events.clear();
    Args args;
    args.Str(cut.source).StrRef(list(viaControl)).ShortRef(2);
    const CallResult r = Call(control, kCutByTime, args);
    const std::string what = "CutByTime " + Utf8(cut.source);
    RecordEqual(r.value, 0, what.c_str(), __FILE__, __LINE__);
    RecordEqual(sink->events, std::vector<Event>{CutEvent(50), CutEvent(100), StatusEvent(3)},
                (what + " events").c_str(), __FILE__, __LINE__);
    CHECK_EQ(EngineCutByTime(cut.source, list(direct), 2), 0);
    for (const wchar_t* piece : {L"one", L"two"}) {
      const auto got = ReadBytes(viaControl + piece + cut.ext);
      Record(!got.empty() && got == ReadBytes(direct + piece + cut.ext),
             (what + " piece " + Utf8(piece) + " as the engine cuts it").c_str(), __FILE__,
             __LINE__, "");
    }
  }

  {
    const auto viaControl = ScratchFolder(L"size-control");
    const auto direct = ScratchFolder(L"size-direct");
    sink->events.clear();
    Args args;
    args.Str(in.c).Long(50000).Str(viaControl.substr(0, viaControl.size() - 1));
    const CallResult r = Call(control, kCutBySize, args);
    CHECK_EQ(r.value, 0);
    CHECK_EQ(sink->events,
             (std::vector<Event>{CutEvent(33), CutEvent(66), CutEvent(100), StatusEvent(3)}));
    CHECK_EQ(EngineCutBySize(in.c, 50000, direct.substr(0, direct.size() - 1)), 0);
    CHECK(ListFolder(viaControl) ==
          (std::vector<std::wstring>{L"c_1.wav", L"c_2.wav", L"c_3.wav"}));
    for (const wchar_t* piece : {L"c_1.wav", L"c_2.wav", L"c_3.wav"}) {
      CHECK(ReadBytes(viaControl + piece) == ReadBytes(direct + piece));
    }
  }
  // A cut that fails after a piece: Cut for that piece, the code, no StatusChange.
  {
    const auto blocked = ScratchFolder(L"size-blocked");
    ::CreateDirectoryW((blocked + L"c_2.wav").c_str(), nullptr);
    sink->events.clear();
    Args args;
    args.Str(in.c).Long(50000).Str(blocked.substr(0, blocked.size() - 1));
    CHECK_EQ(Call(control, kCutBySize, args).value, 1);
    CHECK_EQ(sink->events, std::vector<Event>{CutEvent(33)});
    CHECK(FileExists(blocked + L"c_1.wav"));
  }
  Disconnect(control, cookie);
}

void CheckCoercion(IDispatch* control, const Inputs& in) {
  BeginSection("dispatch: argument coercion and call errors");
  const auto out = ScratchFolder(L"coercion");
  const std::wstring target = out + L"joined.wav";
  auto variant = [](VARTYPE type, auto assign) {
    VARIANT v;
    ::VariantInit(&v);
    V_VT(&v) = type;
    assign(v);
    return v;
  };
  const VARIANT nullValue = variant(VT_NULL, [](VARIANT&) {});
  struct CoercionCase {
    const char* name;
    DISPID dispid;
    std::function<void(Args&)> build;  // the arguments in declaration order
    HRESULT hr;
    UINT argErr;  // checked when hr is a coercion failure
    long long result;
  };
  auto join = [&](std::function<void(Args&)> count) {
    return [&, count](Args& a) {
      a.Str(target).Str(in.JoinList());
      count(a);
    };
  };
  const std::vector<CoercionCase> cases = {
      {"count as text \"3\"", kJoin, join([](Args& a) { a.Str(L"3"); }), S_OK, 0, 0},
      {"count 2.5 rounds to even", kJoin,
       join([&](Args& a) { a.Value(variant(VT_R8, [](VARIANT& v) { V_R8(&v) = 2.5; })); }), S_OK, 0,
       7},
      {"count as VT_UI1", kJoin,
       join([&](Args& a) { a.Value(variant(VT_UI1, [](VARIANT& v) { V_UI1(&v) = 3; })); }), S_OK, 0,
       0},
      {"count as VT_BOOL true", kJoin, join([&](Args& a) {
         a.Value(variant(VT_BOOL, [](VARIANT& v) { V_BOOL(&v) = VARIANT_TRUE; }));
       }),
       S_OK, 0, 7},
      {"count as a by-reference long", kJoin, join([](Args& a) { a.LongRef(3); }), S_OK, 0, 0},
      {"count as text \"abc\"", kJoin, join([](Args& a) { a.Str(L"abc"); }), DISP_E_TYPEMISMATCH, 0,
       0},
      {"count 40000", kJoin, join([](Args& a) { a.Long(40000); }), DISP_E_OVERFLOW, 0, 0},
      {"count as a null reference", kJoin, join([](Args& a) { a.NullRef(VT_I2); }),
       DISP_E_TYPEMISMATCH, 0, 0},
      {"count as a reference to a reference", kJoin, join([&](Args& a) {
         VARIANT inner;
         ::VariantInit(&inner);
         V_VT(&inner) = VT_BYREF | VT_VARIANT;
         V_VARIANTREF(&inner) = nullptr;
         a.VariantRef(inner);
       }),
       DISP_E_TYPEMISMATCH, 0, 0},
      {"SaveFileName VT_NULL", kJoin,
       [&](Args& a) { a.Value(nullValue).Str(in.JoinList()).Short(3); }, DISP_E_TYPEMISMATCH, 2, 0},
      {"FileSize beyond 32 bits", kCutBySize,
       [&](Args& a) {
         a.Str(in.c).Value(variant(VT_I8, [](VARIANT& v) { V_I8(&v) = 1LL << 40; })).Str(out);
       },
       DISP_E_OVERFLOW, 1, 0},
      {"FileSize larger than the file", kCutBySize,
       [&](Args& a) { a.Str(in.c).Str(L"1,000,000").Str(out); }, S_OK, 0, 7},
      {"FileName as a number", kGetFileSize, [](Args& a) { a.Long(5); }, S_OK, 0, 0},
      {"FileName empty", kGetFileSize, [](Args& a) { a.Value(VARIANT{}); }, S_OK, 0, 0},
      {"FileName by reference", kGetFileSize, [&](Args& a) { a.StrRef(in.a); }, S_OK, 0,
       44 + kSizeA},
      {"one argument too many", kGetFileSize, [&](Args& a) { a.Str(in.a).Str(in.b); },
       DISP_E_BADPARAMCOUNT, 0, 0},
      {"no arguments", kJoin, [](Args&) {}, DISP_E_BADPARAMCOUNT, 0, 0},
      {"DISPID 6", 6, [&](Args& a) { a.Str(in.a); }, DISP_E_MEMBERNOTFOUND, 0, 0},
      {"DISPID 0", 0, [&](Args& a) { a.Str(in.a); }, DISP_E_MEMBERNOTFOUND, 0, 0},
  };
  for (const CoercionCase& c : cases) {
    ::DeleteFileW(target.c_str());
    Args args;
    c.build(args);
    const CallResult r = Call(control, c.dispid, args);
    RecordEqual(static_cast<std::uint32_t>(r.hr), static_cast<std::uint32_t>(c.hr),
                (std::string(c.name) + ": hr").c_str(), __FILE__, __LINE__);
    if (c.hr == DISP_E_TYPEMISMATCH || c.hr == DISP_E_OVERFLOW) {
      RecordEqual(r.argErr, c.argErr, (std::string(c.name) + ": puArgErr").c_str(), __FILE__,
                  __LINE__);
    }
    if (c.hr == S_OK) {
      RecordEqual(r.value, c.result, (std::string(c.name) + ": result").c_str(), __FILE__,
                  __LINE__);
    }
  }

  // What the call itself may get wrong.
  Args args;
  args.Str(in.a);
  std::vector<VARIANT> wire = args.Wire();
  DISPPARAMS params{wire.data(), nullptr, 1, 0};
  VARIANT result;
  ::VariantInit(&result);
  CHECK_HR(Call(control, kGetFileSize, args, DISPATCH_PROPERTYGET).hr, DISP_E_MEMBERNOTFOUND);
  CHECK_HR(Call(control, kGetFileSize, args, DISPATCH_METHOD | DISPATCH_PROPERTYGET).hr, S_OK);
  CHECK_HR(control->Invoke(kGetFileSize, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                           &params, &result, nullptr, nullptr),
           DISP_E_UNKNOWNINTERFACE);
  CHECK_HR(control->Invoke(kGetFileSize, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                           nullptr, nullptr, nullptr),
           S_OK);
  DISPID named = 0;
  DISPPARAMS namedParams{wire.data(), &named, 1, 1};
  CHECK_HR(control->Invoke(kGetFileSize, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                           &namedParams, &result, nullptr, nullptr),
           DISP_E_NONAMEDARGS);
  ::VariantClear(&result);
}

// Paths reach the engine in the ANSI code page: a name the code page can spell works, one it
// cannot does not.
void CheckAnsiPaths(IDispatch* control, const Inputs& in) {
  BeginSection("dispatch: ANSI paths");
  const auto folder = ScratchFolder(L"ansi");
  for (const wchar_t* name : {L"caf\u00e9.wav", L"\u03a9mega.wav"}) {
    const std::wstring path = folder + name;
    WriteBytes(path, WaveFile(kSizeB, 7));
    Record(FileExists(path), ("written: " + Utf8(name)).c_str(), __FILE__, __LINE__, "");
    BOOL lossy = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name, -1, nullptr, 0, nullptr, &lossy);
    Args args;
    args.Str(path);
    RecordEqual(Call(control, kGetFileSize, args).value, lossy ? 0 : 44 + kSizeB,
                ("GetFileSize " + Utf8(name)).c_str(), __FILE__, __LINE__);
  }
  CHECK_EQ(::GetACP(), 1252U);  // the pinned locale: é is in it, Ω is not

  // An output whose name the code page spells.
  Args args;
  args.Str(folder + L"joint\u00e9.wav").Str(in.a + L"|" + in.b).Short(2);
  CHECK_EQ(Call(control, kJoin, args).value, 0);
  CHECK_EQ(ReadBytes(folder + L"joint\u00e9.wav").size(), 44U + kSizeA + kSizeB);
}

}  // namespace

void CheckDispatch(const std::wstring& realFixtures) {
  const Inputs in = MakeInputs(realFixtures);
  ComPtr<IDispatch> control = CreateControl();
  BeginSection("dispatch: creation by ProgID");
  if (!CHECK(control != nullptr)) return;
  CheckNames(control.Get());
  CheckQueries(control.Get(), in);
  CheckJoin(control.Get(), in);
  CheckCuts(control.Get(), in);
  CheckCoercion(control.Get(), in);
  CheckAnsiPaths(control.Get(), in);
}

}  // namespace tandrel::wintest
