// The scenes of the Windows screenshots (scripts/windows-screenshots.sh): trevasso.exe's own
// window code over the registered control, filled in as a user would, left on screen with the
// system's real dialogs and message boxes until the script has taken its picture.
//
//   trevasso_screenshot_scenes.exe SCENE FOLDER
//
// SCENE is cutter, joiner, add, about or message; FOLDER receives the generated sources, the
// outputs and frame.txt, the frame of the window pictured (the dialog in add and about, else
// the main window) as "left top width height".
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on
#include <ole2.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "control_ids.h"
#include "fixtures/mpeg_builder.h"
#include "fixtures/wave_builder.h"
#include "frm_quorvane.h"
#include "win32_desktop.h"

namespace {

namespace fs = std::filesystem;
namespace win32 = trevasso::win32;
namespace q = trevasso::win32::quorvane;
namespace add = trevasso::win32::add;

// The real desktop, but with the file dialogs and the folder picker answered from a script, and
// a step run on each modal window before it is shown.
class SceneDesktop final : public win32::Desktop {
 public:
  std::deque<std::vector<std::wstring>> openAnswers;
  std::deque<std::wstring> folderAnswers;
  std::deque<std::function<void(HWND)>> beforeModal;

  void ShowMessage(HWND owner, const trevasso::logic::Notice& notice) override {
    real_.ShowMessage(owner, notice);
  }
  bool ShowOpenDialog(HWND, win32::FileDialogState& dialog) override {
    if (openAnswers.empty()) return false;
    dialog.fileNames = openAnswers.front();
    openAnswers.pop_front();
    return true;
  }
  std::wstring BrowseForFolder(HWND) override {
    if (folderAnswers.empty()) return {};
    std::wstring answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
  }
  void ShellOpen(const std::wstring&) override {}
  void RunModal(HWND window, HWND owner) override {
    if (!beforeModal.empty()) {
      const auto step = beforeModal.front();
      beforeModal.pop_front();
      step(window);
    }
    if (::IsWindow(window)) real_.RunModal(window, owner);
  }

 private:
  win32::Win32Desktop real_;
};

void Click(HWND control) {
  ::SendMessageW(::GetParent(control), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
}

void Write(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A song of 3 minutes as 8 kHz mono WAVE, and three MP3 parts of random frame bodies.
void MakeSources(const fs::path& in) {
  namespace fx = tandrel::fixtures;
  fs::create_directories(in);
  const std::uint32_t bytes = 16000 * 180;
  std::vector<std::uint8_t> wave = fx::MakeCanonicalWaveHeader({1, 1, 8000, 16, {}, {}}, bytes);
  const auto samples = fx::MakeSamples(bytes, 11);
  wave.insert(wave.end(), samples.begin(), samples.end());
  Write(in / L"Evening Song.wav", wave);
  for (int i = 0; i < 3; ++i) {
    fx::Mp3Builder builder;
    builder.Frames(fx::FrameSpec{}, 2000 + 700 * i);
    Write(in / (L"Live Set part " + std::to_wstring(i + 1) + L".mp3"), builder.Bytes());
  }
}

// The frame of the window the picture is of.
void WriteFrame(HWND window, const fs::path& folder) {
  RECT frame{};
  ::GetWindowRect(window, &frame);
  std::ofstream(folder / L"frame.txt")
      << frame.left << ' ' << frame.top << ' ' << frame.right - frame.left << ' '
      << frame.bottom - frame.top << '\n';
}

void TypeAndOk(HWND dialog, const wchar_t* start, const wchar_t* end, bool ok) {
  ::SetWindowTextW(::GetDlgItem(dialog, add::txtStart + 1), end);
  ::SetWindowTextW(::GetDlgItem(dialog, add::txtStart), start);
  if (ok) Click(::GetDlgItem(dialog, add::OKButton));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const std::wstring scene = argv[1];
  const fs::path folder = argv[2];
  if (FAILED(::OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                     ICC_PROGRESS_CLASS | ICC_BAR_CLASSES |
                                                     ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  MakeSources(folder / L"in");
  fs::create_directories(folder / L"out");
  {
    SceneDesktop desktop;
    const win32::WindowLayout layout;
    win32::FrmQuorvane frm(desktop, layout);
    ::ShowWindow(frm.window(), SW_SHOW);

    // The cutter: a source, an output folder, one section by start and end and the rest of the
    // song in minute pieces.
    desktop.openAnswers.push_back({(folder / L"in" / L"Evening Song.wav").wstring()});
    Click(frm.Control(q::cmdSrc));
    desktop.folderAnswers.push_back((folder / L"out").wstring());
    Click(frm.Control(q::cmdDirS));
    desktop.beforeModal.push_back([](HWND dialog) { TypeAndOk(dialog, L"15000", L"45000", true); });
    Click(frm.Control(q::cmdAddTask));
    desktop.beforeModal.push_back([](HWND dialog) {
      Click(::GetDlgItem(dialog, add::optSplit));
      ::SetWindowTextW(::GetDlgItem(dialog, add::txtFixed), L"60000");
      Click(::GetDlgItem(dialog, add::OKButton));
    });
    Click(frm.Control(q::cmdAddTask));
    // The joiner: three parts and the file to join them into.
    std::vector<std::wstring> parts;
    for (int i = 1; i <= 3; ++i) {
      parts.push_back(
          (folder / L"in" / (L"Live Set part " + std::to_wstring(i) + L".mp3")).wstring());
    }
    desktop.openAnswers.push_back(parts);
    Click(frm.Control(q::cmdAddJoin));
    desktop.openAnswers.push_back({(folder / L"out" / L"Live Set.mp3").wstring()});
    Click(frm.Control(q::cmdDirJ));

    if (scene == L"joiner") TabCtrl_SetCurFocus(frm.Control(q::SSTab1), 1);
    if (scene == L"add" || scene == L"about") {
      const bool sections = scene == L"add";
      desktop.beforeModal.push_back([&folder, sections](HWND dialog) {
        if (sections) TypeAndOk(dialog, L"120000", L"150000", false);
        WriteFrame(dialog, folder);
      });
    } else {
      WriteFrame(frm.window(), folder);
    }
    if (scene == L"add") Click(frm.Control(q::cmdAddTask));
    if (scene == L"about") ::SendMessageW(frm.window(), WM_COMMAND, q::mnuHelpSub + 4, 0);
    if (scene == L"message") Click(frm.Control(q::cmdSplit));
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (::IsDialogMessageW(frm.window(), &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  ::OleUninitialize();
  return 0;
}
