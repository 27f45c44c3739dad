// The window checks of the Windows stage: trevasso.exe's own window code over the registered
// Tandrel.ocx, driven by the messages a user's clicks and keys send, with a desktop stub that
// answers the file dialogs and writes down every message box. Outputs are compared byte for byte
// with what the engine itself writes for the same request. Prints "N passed, N failed" last.
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "control_ids.h"
#include "desktop.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/wave_builder.h"
#include "frm_quorvane.h"
#include "list_view.h"
#include "logic/open_file_filter.h"
#include "started_program.h"
#include "tandrel_engine/operations.h"
#include "text_edge.h"
#include "win32_desktop.h"
#include "window_layout.h"

namespace {

namespace fs = std::filesystem;
namespace win32 = trevasso::win32;
namespace q = trevasso::win32::quorvane;
namespace add = trevasso::win32::add;
namespace about = trevasso::win32::about;
using trevasso::logic::Notice;
using trevasso::logic::NoticeIcon;

int passed = 0;
int failed = 0;

bool Record(bool ok, const std::string& what, int line, const std::string& detail = {}) {
  ++(ok ? passed : failed);
  if (!ok)
    std::printf("FAIL line %d: %s%s%s\n", line, what.c_str(), detail.empty() ? "" : "\n  ",
                detail.c_str());
  return ok;
}

bool RecordEqual(const std::string& got, const std::string& want, const std::string& what,
                 int line) {
  return Record(got == want, what, line, "got:  [" + got + "]\n  want: [" + want + "]");
}

#define CHECK(cond) Record(static_cast<bool>(cond), #cond, __LINE__)
#define CHECK_EQ(got, want) RecordEqual((got), (want), #got, __LINE__)

std::string U8(const std::wstring& text) {
  return win32::ToUtf8(text);
}

// The desktop of the checks: scripted answers to the dialogs, and a log of what was shown.
class StubDesktop final : public win32::Desktop {
 public:
  std::vector<std::string> messages;  // "i: text" or "x: text" (information or critical)
  std::deque<std::optional<std::vector<std::wstring>>> openAnswers;  // nothing: cancel
  int openDialogs = 0;
  std::deque<std::wstring> folderAnswers;
  std::vector<std::wstring> opened;
  std::deque<std::function<void(HWND)>> modalScripts;
  std::vector<std::wstring> modalCaptions;

  void ShowMessage(HWND, const Notice& notice) override {
    messages.push_back((notice.icon == NoticeIcon::Critical ? "x: " : "i: ") + notice.text);
  }
  bool ShowOpenDialog(HWND, win32::FileDialogState& dialog) override {
    ++openDialogs;
    if (openAnswers.empty()) return false;
    const auto answer = openAnswers.front();
    openAnswers.pop_front();
    if (!answer) return false;
    dialog.fileNames = *answer;
    return true;
  }
  std::wstring BrowseForFolder(HWND) override {
    if (folderAnswers.empty()) return {};
    std::wstring answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
  }
  void ShellOpen(const std::wstring& target) override { opened.push_back(target); }
  void RunModal(HWND window, HWND) override {
    modalCaptions.push_back(win32::WindowText(window));
    ::ShowWindow(window, SW_SHOW);
    if (!modalScripts.empty()) {
      const auto script = modalScripts.front();
      modalScripts.pop_front();
      script(window);
    }
    // What is left open, the user closes with the close box.
    if (::IsWindow(window)) ::SendMessageW(window, WM_CLOSE, 0, 0);
  }

  // The messages shown since the last call, one per line.
  std::string TakeMessages() {
    std::string all;
    for (const std::string& message : messages) all += (all.empty() ? "" : "\n") + message;
    messages.clear();
    return all;
  }
};

// What a click on a button or an option sends: BN_CLICKED to the control's parent.
void Click(HWND control) {
  ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

void Type(HWND box, const std::wstring& text) {
  ::SetWindowTextW(box, text.c_str());
}

// Every position a progress bar is moved to, with its label's caption at that moment and a note
// when either is not on screen: "33@33" is the bar at 33 under the caption 33.
struct ProgressLog {
  HWND label = nullptr;
  std::string texts;
};

LRESULT CALLBACK BarSpy(HWND bar, UINT message, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) {
  if (message == PBM_SETPOS) {
    auto* log = reinterpret_cast<ProgressLog*>(data);
    log->texts += (log->texts.empty() ? "" : " ") + U8(win32::WindowText(log->label)) + "@" +
                  std::to_string(w) +
                  (::IsWindowVisible(bar) && ::IsWindowVisible(log->label) ? "" : " hidden");
  }
  return ::DefSubclassProc(bar, message, w, l);
}

// The engine's own events for the same request, as the labels should show them.
class EventLog final : public tandrel::ProgressSink {
 public:
  std::string texts;
  void StatusChange(std::int16_t) override {}
  void Cut(std::int16_t percent) override { Add(percent); }
  void Join(std::int16_t percent) override { Add(percent); }

 private:
  void Add(std::int16_t percent) {
    texts += (texts.empty() ? "" : " ") + std::to_string(percent) + "@" + std::to_string(percent);
  }
};

std::string Bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// The same files with the same bytes in both folders; else the first difference.
bool SameFolder(const fs::path& got, const fs::path& want, int line) {
  std::string names, detail;
  std::size_t files = 0;
  for (const auto& entry : fs::directory_iterator(want)) {
    ++files;
    const fs::path name = entry.path().filename();
    const std::string a = Bytes(got / name), b = Bytes(entry.path());
    if (!fs::exists(got / name)) {
      detail += U8(name.wstring()) + " missing; ";
    } else if (a != b) {
      std::size_t at = 0;
      while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
      detail += U8(name.wstring()) + " differs at offset " + std::to_string(at) + " (" +
                std::to_string(a.size()) + " vs " + std::to_string(b.size()) + " bytes); ";
    }
  }
  const auto count = static_cast<std::size_t>(
      std::distance(fs::directory_iterator(got), fs::directory_iterator{}));
  if (count != files)
    detail += std::to_string(count) + " files instead of " + std::to_string(files);
  return Record(detail.empty() && files > 0, "outputs in " + U8(got.wstring()), line, detail);
}

std::string Grouped(std::uintmax_t value) {
  std::string digits = std::to_string(value), out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

fs::path FreshFolder(const fs::path& path) {
  std::error_code error;
  fs::remove_all(path, error);
  fs::create_directories(path);
  return path;
}

// One row of a list, its cells joined by " | ", with "[x]" in front of a ticked row.
std::string Row(HWND list, int row, int columns) {
  std::string text = win32::IsTicked(list, row) ? "[x] " : "";
  for (int column = 0; column < columns; ++column) {
    text += (column ? " | " : "") + U8(win32::CellText(list, row, column));
  }
  return text;
}

std::string Rows(HWND list, int columns) {
  std::string text;
  for (int row = 0; row < win32::RowCount(list); ++row) {
    text += (row ? "\n" : "") + Row(list, row, columns);
  }
  return text;
}

SIZE ClientSize(HWND window) {
  RECT client{};
  ::GetClientRect(window, &client);
  return {client.right, client.bottom};
}

struct Fixture {
  fs::path root, wave, mp3[3], mixedWave;
};

Fixture MakeFixtures() {
  namespace fx = tandrel::fixtures;
  Fixture f;
  f.root = FreshFolder(fs::temp_directory_path() / L"trevasso-window-checks");
  fs::create_directories(f.root / L"in");
  // 3 s of 8 kHz 16-bit mono: 48,000 sample bytes under the 44-byte header.
  const fx::WaveFormat mono8k{1, 1, 8000, 16, {}, {}};
  std::vector<std::uint8_t> wave = fx::MakeCanonicalWaveHeader(mono8k, 48000);
  const auto samples = fx::MakeSamples(48000, 7);
  wave.insert(wave.end(), samples.begin(), samples.end());
  f.wave = f.root / L"in" / L"song.wav";
  Write(f.wave, wave);
  f.mixedWave = f.root / L"in" / L"other.wav";
  Write(f.mixedWave, wave);
  // MPEG-1 Layer III at 128 kbit/s, 44.1 kHz, frame bodies of pseudo-random bytes; the first
  // starts with a tag, as real files do.
  for (int i = 0; i < 3; ++i) {
    fx::Mp3Builder builder;
    if (i == 0) builder.Id3v2(300);
    for (int frame = 0; frame < 60 + 25 * i; ++frame) {
      fx::FrameSpec shape;
      shape.padding = frame % 3 == 1;
      builder.Frame(shape);
    }
    f.mp3[i] = f.root / L"in" / (L"part" + std::to_wstring(i + 1) + L".mp3");
    Write(f.mp3[i], builder.Bytes());
  }
  return f;
}

std::string Path(const fs::path& path) {
  return U8(path.wstring());
}

// --- The checks ---------------------------------------------------------------------------------

void CheckShell(win32::FrmQuorvane& frm, StubDesktop& desktop, const win32::WindowLayout& layout) {
  CHECK(frm.EngineReady());
  CHECK_EQ(U8(win32::WindowText(frm.window())), "Pelluvex");
  const SIZE client = ClientSize(frm.window());
  CHECK_EQ(std::to_string(client.cx) + "x" + std::to_string(client.cy),
           std::to_string(::MulDiv(7440, layout.dpi(), 1440)) + "x" +
               std::to_string(::MulDiv(6270, layout.dpi(), 1440)));
  // Captions at start, and the unit list.
  const struct {
    int id;
    std::string text;
  } captions[] = {
      {q::Label1, "Open File ( Only MP3 and WAV files are supported.)"},
      {q::lblSize, "Size:"},
      {q::lblTime, "Time:"},
      {q::Label5, "Set Output Dir for Saving the Splitted Files:"},
      {q::optSplit, "Split by Time"},
      {q::optSplit + 1, "Split by Size"},
      {q::cmdAddTask, "&Add Sections ..."},
      {q::cmdRemove, "&Remove"},
      {q::cmdClear, "&Clear All"},
      {q::Label3, "Value:"},
      {q::txtSizeVal, "0"},
      {q::cmdSplit, "Start Splitting Now!!"},
      {q::cmdAddJoin, "&Add Files ..."},
      {q::cmdMoveUp, "Move &Up"},
      {q::cmdMoveDown, "Move &Down"},
      {q::Label2, "Save the Joined File to:"},
      {q::cmdJoin, "Start Joining Now!!"},
  };
  for (const auto& caption : captions) {
    RecordEqual(U8(win32::WindowText(frm.Control(caption.id))), caption.text,
                "caption of control " + std::to_string(caption.id), __LINE__);
  }
  std::string units;
  for (int i = 0; i < 3; ++i) {
    wchar_t text[64] = {};
    ::SendMessageW(frm.Control(q::cboSize), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    units += (i ? " / " : "") + U8(text);
  }
  CHECK_EQ(units, "Bytes (B) / Kilo Bytes (KB = 1024 B) / Mega Bytes (MB = 1024 KB)");
  CHECK(!::IsWindowEnabled(frm.Control(q::txtSizeVal)) &&
        !::IsWindowEnabled(frm.Control(q::cboSize)) && ::IsWindowEnabled(frm.Control(q::lvwTask)));
  CHECK(!::IsWindowVisible(frm.Control(q::ProgressBar1)) &&
        !::IsWindowVisible(frm.Control(q::lblJoinPer)));

  // Help: F1 through the accelerators, the web page and the About box from the Help menu.
  MSG f1{frm.window(), WM_KEYDOWN, VK_F1, 0, 0, {}};
  CHECK(::TranslateAcceleratorW(frm.window(), frm.accelerators(), &f1));
  ::SendMessageW(frm.window(), WM_COMMAND, MAKEWPARAM(q::mnuHelpSub + 2, 0), 0);
  desktop.modalScripts.push_back([&](HWND box) {
    const SIZE size = ClientSize(box);
    CHECK_EQ(std::to_string(size.cx) + "x" + std::to_string(size.cy),
             std::to_string(::MulDiv(4365, layout.dpi(), 1440)) + "x" +
                 std::to_string(::MulDiv(2085, layout.dpi(), 1440)));
    std::string texts;
    for (int id : {about::Label1, about::lVer, about::Label2, about::Label3}) {
      texts += U8(win32::WindowText(::GetDlgItem(box, id))) + "\n";
    }
    CHECK_EQ(texts,
             "Pelluvex\nVersion 1\nSplit MP3 and WAVE audio; Join splitted MP3 or WAVE audio "
             "back\nhttps://tandrel.net/\n");
    HWND link = ::GetDlgItem(box, about::Label3);
    ::SendMessageW(box, WM_COMMAND, MAKEWPARAM(about::Label3, STN_CLICKED),
                   reinterpret_cast<LPARAM>(link));
  });
  ::SendMessageW(frm.window(), WM_COMMAND, MAKEWPARAM(q::mnuHelpSub + 4, 0), 0);
  CHECK(desktop.modalCaptions.size() == 1 && desktop.modalCaptions[0] == L"About Pelluvex");
  std::string opened;
  for (const std::wstring& target : desktop.opened) opened += U8(target) + "\n";
  wchar_t program[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, program, MAX_PATH);
  CHECK_EQ(opened, Path(fs::path(program).parent_path()) +
                       "\\help\\index.html\nhttps://tandrel.net/\nhttps://tandrel.net/\n");
  CHECK_EQ(desktop.TakeMessages(), "");
}

// Every refusal of a click that has nothing to work on yet.
void CheckRefusalsAtStart(win32::FrmQuorvane& frm, StubDesktop& desktop) {
  const struct {
    int button;
    std::string message;
  } refusals[] = {
      {q::cmdSplit, "i: Please open a file to split!"},
      {q::cmdAddTask, "i: Please open a file first!"},
      {q::cmdRemove, "i: No files to remove"},
      {q::cmdJoin, "i: Please add more than 2 files to join"},
      {q::cmdMoveUp, "i: There is no file for move up, Please add files first"},
      {q::cmdMoveDown, "i: There is no file for move down, Please add files first"},
  };
  for (const auto& refusal : refusals) {
    Click(frm.Control(refusal.button));
    RecordEqual(desktop.TakeMessages(), refusal.message,
                "message of button " + std::to_string(refusal.button), __LINE__);
  }
  CHECK(desktop.modalCaptions.size() == 1);  // no Add Sections dialog was opened
}

// A WAVE source cut by one start/end section and by fixed-length pieces, then by size.
void CheckWaveSplits(win32::FrmQuorvane& frm, StubDesktop& desktop, const Fixture& f,
                     const win32::WindowLayout& layout) {
  desktop.openAnswers.push_back(std::vector{f.wave.wstring()});
  Click(frm.Control(q::cmdSrc));
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::txtSource))), Path(f.wave));
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::lblSize))), "Size:     48,044 Bytes (46.92 KB)");
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::lblTime))), "Time:     3,000 MS (3 Seconds)");
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::txtDirS))), Path(f.root / L"in") + "\\");
  // A cancelled folder picker keeps the folder; a chosen one is taken as the system gives it.
  Click(frm.Control(q::cmdDirS));
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::txtDirS))), Path(f.root / L"in") + "\\");
  const fs::path out = FreshFolder(f.root / L"time");
  desktop.folderAnswers.push_back(out.wstring());
  Click(frm.Control(q::cmdDirS));
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::txtDirS))), Path(out));

  // One section typed into the boxes, which move the sliders.
  desktop.modalScripts.push_back([&](HWND dialog) {
    const SIZE size = ClientSize(dialog);
    CHECK_EQ(std::to_string(size.cx) + "x" + std::to_string(size.cy),
             std::to_string(::MulDiv(6285, layout.dpi(), 1440)) + "x" +
                 std::to_string(::MulDiv(5295, layout.dpi(), 1440)));
    CHECK_EQ(U8(win32::WindowText(::GetDlgItem(dialog, add::Label7))),
             "Time:     3,000 MS (3 Seconds)");
    CHECK_EQ(U8(win32::WindowText(::GetDlgItem(dialog, add::lblStart + 1))), "3000 MS");
    Type(::GetDlgItem(dialog, add::txtStart + 1), L"2500");
    Type(::GetDlgItem(dialog, add::txtStart), L"2500");
    Click(::GetDlgItem(dialog, add::OKButton));
    CHECK_EQ(desktop.TakeMessages(),
             "x: The end time value must be larger than the start time value!");
    Type(::GetDlgItem(dialog, add::txtStart), L"1000");
    Type(::GetDlgItem(dialog, add::txtStart + 1), L"9999");  // beyond the slider: not taken
    CHECK(::SendMessageW(::GetDlgItem(dialog, add::sldEnd), TBM_GETPOS, 0, 0) == 2500);
    Click(::GetDlgItem(dialog, add::OKButton));
    CHECK(!::IsWindow(dialog));
  });
  Click(frm.Control(q::cmdAddTask));
  // The whole file in pieces of a fixed length, after the refusals of that mode.
  desktop.modalScripts.push_back([&](HWND dialog) {
    Click(::GetDlgItem(dialog, add::optSplit));
    CHECK(!::IsWindowEnabled(::GetDlgItem(dialog, add::sldStart)) &&
          ::IsWindowEnabled(::GetDlgItem(dialog, add::txtFixed)));
    const struct {
      const wchar_t* typed;
      std::string message;
    } refused[] = {
        {L"0", "x: Please enter a plus integer value!"},
        {L"", "x: Please enter a plus integer value!"},
        {L"3001", "x: The time value could not be longer than the file's total time"},
        {L"2",
         "x: The time value is too short, if cut by the size,\r\n it will generate more than "
         "1000 files, \r\nPlease set a large value"},
    };
    for (const auto& refusal : refused) {
      Type(::GetDlgItem(dialog, add::txtFixed), refusal.typed);
      Click(::GetDlgItem(dialog, add::OKButton));
      RecordEqual(desktop.TakeMessages(), refusal.message, "fixed length " + U8(refusal.typed),
                  __LINE__);
    }
    CHECK(::IsWindow(dialog));
    Type(::GetDlgItem(dialog, add::txtFixed), L"1000");
    Click(::GetDlgItem(dialog, add::OKButton));
  });
  Click(frm.Control(q::cmdAddTask));
  // Cancel adds nothing.
  desktop.modalScripts.push_back([](HWND dialog) {
    Type(::GetDlgItem(dialog, add::txtStart + 1), L"3000");
    Click(::GetDlgItem(dialog, add::CancelButton));
  });
  Click(frm.Control(q::cmdAddTask));
  HWND tasks = frm.Control(q::lvwTask);
  const std::string o = Path(out);
  CHECK_EQ(Rows(tasks, 5), "1 | MS | 1,000 | 2,500 | " + o + "\\song_001.wav\n" +
                               "2 | MS | 1 | 1,000 | " + o + "\\song_002.wav\n" +
                               "3 | MS | 1,001 | 2,000 | " + o + "\\song_003.wav\n" +
                               "4 | MS | 2,001 | 3,000 | " + o + "\\song_004.wav");
  // Ticked rows go; the rest are renumbered and renamed.
  win32::SetTicked(tasks, 2, true);
  Click(frm.Control(q::cmdRemove));
  CHECK_EQ(Rows(tasks, 5), "1 | MS | 1,000 | 2,500 | " + o + "\\song_001.wav\n" +
                               "2 | MS | 1 | 1,000 | " + o + "\\song_002.wav\n" +
                               "3 | MS | 2,001 | 3,000 | " + o + "\\song_003.wav");

  ProgressLog progress{frm.Control(q::lblPer), {}};
  ::SetWindowSubclass(frm.Control(q::ProgressBar1), BarSpy, 1,
                      reinterpret_cast<DWORD_PTR>(&progress));
  Click(frm.Control(q::cmdSplit));
  CHECK_EQ(desktop.TakeMessages(), "i: Splitted successfully");
  CHECK(!::IsWindowVisible(frm.Control(q::ProgressBar1)) &&
        !::IsWindowVisible(frm.Control(q::lblPer)));
  const fs::path want = FreshFolder(f.root / L"time-want");
  const std::string w = Path(want);
  EventLog events;
  CHECK(tandrel::CutByTime(Path(f.wave),
                           "1000;2500;" + w + "\\song_001.wav|1;1000;" + w +
                               "\\song_002.wav|2001;3000;" + w + "\\song_003.wav",
                           3, &events) == tandrel::ResultCode{0});
  CHECK_EQ(progress.texts, events.texts);
  CHECK_EQ(events.texts, "33@33 66@66 100@100");
  SameFolder(out, want, __LINE__);

  // By size: the refusals of the size value, then 20 KB pieces.
  Click(frm.Control(q::optSplit + 1));
  CHECK(::IsWindowEnabled(frm.Control(q::txtSizeVal)) && !::IsWindowEnabled(tasks) &&
        !::IsWindowEnabled(frm.Control(q::cmdAddTask)));
  const struct {
    const wchar_t* value;
    int unit;
    std::string message;
  } sizes[] = {
      {L"0", 0, "i: The size value must be larger than 0, please set it!"},
      {L"47", 0,
       "i: The size value is too small, if cut by this size, \r\nIt will generate more than 1000 "
       "files, please enter a larger value"},
      {L"48045", 0, "i: Error parameter invalid"},  // larger than the file: the engine refuses
  };
  for (const auto& size : sizes) {
    Type(frm.Control(q::txtSizeVal), size.value);
    ::SendMessageW(frm.Control(q::cboSize), CB_SETCURSEL, size.unit, 0);
    Click(frm.Control(q::cmdSplit));
    RecordEqual(desktop.TakeMessages(), size.message, "size " + U8(size.value), __LINE__);
  }
  const fs::path bySize = FreshFolder(f.root / L"size");
  desktop.folderAnswers.push_back(bySize.wstring());
  Click(frm.Control(q::cmdDirS));
  Type(frm.Control(q::txtSizeVal), L"17.5");
  ::SendMessageW(frm.Control(q::cboSize), CB_SETCURSEL, 1, 0);
  progress.texts.clear();
  Click(frm.Control(q::cmdSplit));
  CHECK_EQ(desktop.TakeMessages(), "i: Splitted successfully");
  const fs::path sizeWant = FreshFolder(f.root / L"size-want");
  EventLog sizeEvents;
  CHECK(tandrel::CutBySize(Path(f.wave), 17920, Path(sizeWant), &sizeEvents) ==
        tandrel::ResultCode{0});
  CHECK_EQ(progress.texts, sizeEvents.texts);
  CHECK_EQ(sizeEvents.texts, "33@33 66@66 100@100");
  SameFolder(bySize, sizeWant, __LINE__);
  ::RemoveWindowSubclass(frm.Control(q::ProgressBar1), BarSpy, 1);
  Click(frm.Control(q::optSplit));
}

// An MP3 source in fixed-length pieces; the File menu's Open on the joiner tab.
void CheckMp3Split(win32::FrmQuorvane& frm, StubDesktop& desktop, const Fixture& f) {
  const fs::path out = FreshFolder(f.root / L"mp3");
  Click(frm.Control(q::cmdClear));
  CHECK(win32::RowCount(frm.Control(q::lvwTask)) == 0);
  // Open from the menu while the joiner is in front: the cutter comes to the front first.
  TabCtrl_SetCurFocus(frm.Control(q::SSTab1), 1);
  CHECK(::IsWindowVisible(frm.Control(q::lvwJoin)));
  desktop.openAnswers.push_back(std::vector{f.mp3[2].wstring()});
  ::SendMessageW(frm.window(), WM_COMMAND, MAKEWPARAM(q::mnuFileSub + 0, 0), 0);
  CHECK(TabCtrl_GetCurSel(frm.Control(q::SSTab1)) == 0 &&
        ::IsWindowVisible(frm.Control(q::lvwTask)));
  desktop.folderAnswers.push_back(out.wstring());
  ::SendMessageW(frm.window(), WM_COMMAND, MAKEWPARAM(q::mnuFileSub + 1, 0), 0);
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::txtDirS))), Path(out));
  desktop.modalScripts.push_back([](HWND dialog) {
    Click(::GetDlgItem(dialog, add::optSplit));
    Type(::GetDlgItem(dialog, add::txtFixed), L"1000");
    Click(::GetDlgItem(dialog, add::OKButton));
  });
  Click(frm.Control(q::cmdAddTask));
  // 110 frames of 26 ms: 2,860 ms in two full pieces and a last one to the end.
  const int rows = win32::RowCount(frm.Control(q::lvwTask));
  CHECK(rows == 3);
  std::string list;
  const std::string w = Path(FreshFolder(f.root / L"mp3-want"));
  for (int row = 0; row < rows; ++row) {
    std::string start = U8(win32::CellText(frm.Control(q::lvwTask), row, 2));
    std::string end = U8(win32::CellText(frm.Control(q::lvwTask), row, 3));
    std::erase(start, ',');
    std::erase(end, ',');
    list += (row ? "|" : "") + start + ";" + end + ";" + w + "\\part3_00" +
            std::to_string(row + 1) + ".mp3";
  }
  Click(frm.Control(q::cmdSplit));
  CHECK_EQ(desktop.TakeMessages(), "i: Splitted successfully");
  CHECK(tandrel::CutByTime(Path(f.mp3[2]), list, static_cast<std::int16_t>(rows), nullptr) ==
        tandrel::ResultCode{0});
  SameFolder(out, f.root / L"mp3-want", __LINE__);
}

// The join list: adding, skipping, moving, refusing, and two joins.
void CheckJoin(win32::FrmQuorvane& frm, StubDesktop& desktop, const Fixture& f) {
  TabCtrl_SetCurFocus(frm.Control(q::SSTab1), 1);
  HWND files = frm.Control(q::lvwJoin);
  // A duplicate and a missing file are skipped without a word.
  desktop.openAnswers.push_back(std::vector{f.mp3[0].wstring(), f.mp3[1].wstring(),
                                            f.mp3[0].wstring(), (f.root / L"gone.mp3").wstring()});
  Click(frm.Control(q::cmdAddJoin));
  desktop.openAnswers.push_back(std::nullopt);  // a cancel adds nothing
  Click(frm.Control(q::cmdAddJoin));
  desktop.openAnswers.push_back(std::vector{f.mp3[2].wstring()});
  Click(frm.Control(q::cmdAddJoin));
  CHECK(win32::RowCount(files) == 3);
  std::string sizes, names, numbers;
  for (int row = 0; row < 3; ++row) {
    numbers += U8(win32::CellText(files, row, 0)) + " ";
    sizes += U8(win32::CellText(files, row, 2)) + " ";
    names += U8(win32::CellText(files, row, 3)) + " ";
  }
  CHECK_EQ(numbers, "1 2 3 ");
  CHECK_EQ(sizes, Grouped(fs::file_size(f.mp3[0])) + " " + Grouped(fs::file_size(f.mp3[1])) + " " +
                      Grouped(fs::file_size(f.mp3[2])) + " ");
  CHECK_EQ(names, Path(f.mp3[0]) + " " + Path(f.mp3[1]) + " " + Path(f.mp3[2]) + " ");

  // Moves: the file goes, its number and tick stay with the position.
  win32::SetTicked(files, 0, true);
  win32::SelectRow(files, 1);
  Click(frm.Control(q::cmdMoveUp));
  CHECK_EQ(Row(files, 0, 4).substr(0, 6), "[x] 1 ");
  CHECK_EQ(U8(win32::CellText(files, 0, 3)) + " " + U8(win32::CellText(files, 1, 3)),
           Path(f.mp3[1]) + " " + Path(f.mp3[0]));
  CHECK(win32::CurrentRow(files) == 0);
  Click(frm.Control(q::cmdMoveUp));
  CHECK_EQ(desktop.TakeMessages(), "i: The file is already at the top.");
  Click(frm.Control(q::cmdMoveDown));
  CHECK_EQ(U8(win32::CellText(files, 0, 3)) + " " + U8(win32::CellText(files, 1, 3)),
           Path(f.mp3[0]) + " " + Path(f.mp3[1]));
  win32::SelectRow(files, 2);
  Click(frm.Control(q::cmdMoveDown));
  CHECK_EQ(desktop.TakeMessages(), "i: The file is already at the bottom.");
  win32::SetTicked(files, 0, false);

  Click(frm.Control(q::cmdJoin));
  CHECK_EQ(desktop.TakeMessages(), "i: Please set a file name to save the joined file");
  const fs::path out = FreshFolder(f.root / L"join");
  desktop.openAnswers.push_back(std::vector{(out / L"joined.mp3").wstring()});
  Click(frm.Control(q::cmdDirJ));
  Click(frm.Control(q::cmdDirJ));  // cancelled: the name stays
  CHECK_EQ(U8(win32::WindowText(frm.Control(q::txtSaveFileName))), Path(out / L"joined.mp3"));
  ProgressLog progress{frm.Control(q::lblJoinPer), {}};
  ::SetWindowSubclass(frm.Control(q::ProgressBar2), BarSpy, 1,
                      reinterpret_cast<DWORD_PTR>(&progress));
  Click(frm.Control(q::cmdJoin));
  CHECK_EQ(desktop.TakeMessages(), "i: Joinned successfully");
  CHECK(!::IsWindowVisible(frm.Control(q::ProgressBar2)));
  const fs::path want = FreshFolder(f.root / L"join-want");
  EventLog events;
  CHECK(tandrel::Join(Path(want / L"joined.mp3"),
                      Path(f.mp3[0]) + "|" + Path(f.mp3[1]) + "|" + Path(f.mp3[2]), 3,
                      &events) == tandrel::ResultCode{0});
  CHECK_EQ(progress.texts, events.texts);
  CHECK_EQ(events.texts, "33@33 66@66 100@100");
  SameFolder(out, want, __LINE__);
  ::RemoveWindowSubclass(frm.Control(q::ProgressBar2), BarSpy, 1);

  // The output is one of the inputs, held open by the engine: it cannot be created.
  const std::string before = Bytes(f.mp3[1]);
  desktop.openAnswers.push_back(std::vector{f.mp3[1].wstring()});
  Click(frm.Control(q::cmdDirJ));
  Click(frm.Control(q::cmdJoin));
  CHECK_EQ(desktop.TakeMessages(), "i: Error open file");
  CHECK(Bytes(f.mp3[1]) == before);

  // A WAVE file among the MP3 files; then a list of one.
  desktop.openAnswers.push_back(std::vector{f.mixedWave.wstring()});
  Click(frm.Control(q::cmdAddJoin));
  Click(frm.Control(q::cmdJoin));
  CHECK_EQ(desktop.TakeMessages(),
           "i: Please use only one format, can not join MP3 and WAV files together");
  for (int row : {0, 1, 3}) win32::SetTicked(files, row, true);
  Click(frm.Control(q::cmdRemoveJoin));
  CHECK_EQ(Rows(files, 1), "1");
  CHECK_EQ(U8(win32::CellText(files, 0, 3)), Path(f.mp3[2]));
  Click(frm.Control(q::cmdJoin));
  CHECK_EQ(desktop.TakeMessages(), "i: Please add more than 2 files to join");
  Click(frm.Control(q::cmdClearJoin));
  CHECK(win32::RowCount(files) == 0);
}

// The system's forms of the open-file dialog: its filter list and a multiple selection.
void CheckDialogForms() {
  const std::wstring filters = win32::SystemFilterList(trevasso::logic::AudioFileFilters());
  std::wstring shown = filters;
  std::replace(shown.begin(), shown.end(), L'\0', L'|');
  CHECK_EQ(U8(shown),
           "MP3 and WAV Audio Files(*.mp3;*.wav)|*.mp3;*.wav|MP3 Audio Files(*.mp3)|*.mp3|"
           "WAV Audio Files(*.wav)|*.wav||");
  const struct {
    std::wstring buffer;  // as the dialog returns it, NUL between the parts, two at the end
    std::string paths;
  } selections[] = {
      {std::wstring(L"C:\\Music\\a.mp3\0\0", 16), "C:\\Music\\a.mp3"},
      {std::wstring(L"C:\\Music\0a.mp3\0b.mp3\0\0", 22), "C:\\Music\\a.mp3 C:\\Music\\b.mp3"},
      // From the drive root: one backslash between the root and each name.
      {std::wstring(L"C:\\\0a.mp3\0b.wav\0c.mp3\0\0", 23), "C:\\a.mp3 C:\\b.wav C:\\c.mp3"},
  };
  for (const auto& selection : selections) {
    std::string paths;
    for (const std::wstring& path : win32::SplitSelection(selection.buffer.c_str())) {
      paths += (paths.empty() ? "" : " ") + U8(path);
    }
    RecordEqual(paths, selection.paths, "selection " + selection.paths, __LINE__);
  }
}

// What typing does: the number boxes drop other characters, Delete removes ticked rows, and
// minimising and restoring keeps the tab control where it was.
void CheckKeys(win32::FrmQuorvane& frm, StubDesktop& desktop) {
  Click(frm.Control(q::optSplit + 1));
  HWND value = frm.Control(q::txtSizeVal);
  Type(value, L"");
  for (wchar_t c : std::wstring(L"1a.5-,x2")) ::SendMessageW(value, WM_CHAR, c, 0);
  CHECK_EQ(U8(win32::WindowText(value)), "1.52");
  ::SendMessageW(value, WM_CHAR, 8, 0);  // Backspace
  CHECK_EQ(U8(win32::WindowText(value)), "1.5");
  Type(value, L"0");
  Click(frm.Control(q::optSplit));

  HWND tasks = frm.Control(q::lvwTask);
  win32::AppendRow(tasks, {L"", L"MS", L"1", L"2", L""});
  win32::AppendRow(tasks, {L"", L"MS", L"3", L"4", L""});
  win32::SetTicked(tasks, 0, true);
  NMLVKEYDOWN key{{tasks, static_cast<UINT_PTR>(q::lvwTask), LVN_KEYDOWN}, VK_DELETE, 0};
  ::SendMessageW(frm.window(), WM_NOTIFY, q::lvwTask, reinterpret_cast<LPARAM>(&key));
  CHECK_EQ(Rows(tasks, 4), "1 | MS | 3 | 4");
  Click(frm.Control(q::cmdClear));
  CHECK(win32::RowCount(tasks) == 0);

  RECT before{}, after{};
  ::GetWindowRect(frm.Control(q::SSTab1), &before);
  ::ShowWindow(frm.window(), SW_MINIMIZE);
  ::ShowWindow(frm.window(), SW_RESTORE);
  ::GetWindowRect(frm.Control(q::SSTab1), &after);
  CHECK((after.right - after.left) == (before.right - before.left) &&
        (after.bottom - after.top) == (before.bottom - before.top));
  RECT picture{};
  ::GetClientRect(frm.Control(q::Picture1), &picture);
  POINT corner{before.left, before.top};
  ::ScreenToClient(frm.Control(q::Picture1), &corner);
  // The same margin right as left, and below as above.
  CHECK(picture.right - (after.right - after.left) == 2 * corner.x &&
        picture.bottom - (after.bottom - after.top) == 2 * corner.y);
  CHECK_EQ(desktop.TakeMessages(), "");
}

}  // namespace

// With "--started PATH": only the check of a program started from PATH (the installed one).
int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--started") return CheckStartedProgram(argv[2]);
  if (FAILED(::OleInitialize(nullptr))) return 2;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                                     ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  {
    const Fixture fixtures = MakeFixtures();
    StubDesktop desktop;
    const win32::WindowLayout layout;
    win32::FrmQuorvane frm(desktop, layout);
    ::ShowWindow(frm.window(), SW_SHOW);
    CheckShell(frm, desktop, layout);
    CheckRefusalsAtStart(frm, desktop);
    CheckDialogForms();
    CheckKeys(frm, desktop);
    if (frm.EngineReady()) {
      CheckWaveSplits(frm, desktop, fixtures, layout);
      CheckMp3Split(frm, desktop, fixtures);
      CheckJoin(frm, desktop, fixtures);
    }
    CHECK_EQ(desktop.TakeMessages(), "");
  }
  ::OleUninitialize();
  std::printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
