#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "desktop.h"
#include "logic/join_list.h"
#include "logic/notice.h"
#include "logic/platform_facts.h"
#include "tandrel_client.h"
#include "window_layout.h"

namespace trevasso::win32 {

// The main window: two tabs, the cutter (a source file cut by time sections or by size) and the
// joiner (files joined in list order), the File and Help menus, and the one engine control
// Tandrel1 through which every cut, join and measurement goes.
class FrmQuorvane {
 public:
  FrmQuorvane(Desktop& desktop, const WindowLayout& layout);
  ~FrmQuorvane();
  FrmQuorvane(const FrmQuorvane&) = delete;
  FrmQuorvane& operator=(const FrmQuorvane&) = delete;

  HWND window() const { return window_; }
  // The control named `id` (a quorvane::ControlId), wherever it sits.
  HWND Control(int id) const;
  // The accelerator table of the menus (F1 for the help).
  HACCEL accelerators() const { return accelerators_; }
  bool EngineReady() const { return Tandrel1_.Created() && Tandrel1_.Connected(); }

  // The play time of the opened source in milliseconds; 0 until a file is opened.
  double dblFiletime() const { return dblFiletime_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(UINT message, WPARAM w, LPARAM l);
  void OnCommand(int id, int code);
  void OnNotify(const NMHDR& header);

  // Window shell.
  void BuildMenus();
  void ApplyResizeRule();
  void ShowTab(int index);
  void mnuFileSub_Click(int index);
  void mnuHelpSub_Click(int index);
  void OpenProgramFile(const std::wstring& name);
  HWND Make(HWND parent, const wchar_t* className, const std::wstring& text, DWORD style, int id,
            const TwipsRect& place, DWORD exStyle = 0);

  // Cutter tab: source file and information.
  void BuildCutterTab(HWND page);
  void cmdSrc_Click();
  void cmdDirS_Click();
  void ShowFileInfo();
  // Cutter tab: section list.
  void cmdAddTask_Click();
  void cmdRemove_Click();
  void cmdClear_Click();
  void optSplit_Click(int index);
  void RefreshTaskNames();
  // Cutter tab: split run.
  void cmdSplit_Click();
  void Tandrel1_Cut(std::int16_t percent);

  // Joiner tab: join list.
  void BuildJoinerTab(HWND page);
  void cmdAddJoin_Click();
  void AddJoinFile(const std::wstring& path);
  void RenumberJoinList();
  void SwapJoinRows(int target, int source);
  void cmdRemoveJoin_Click();
  void cmdClearJoin_Click();
  void MoveJoinFile(logic::JoinMove move);
  void cmdDirJ_Click();
  // Joiner tab: join run.
  void cmdJoin_Click();
  void Tandrel1_Join(std::int16_t percent);

  void OnEngineEvent(DISPID event, std::int16_t value);
  void Say(const std::string& text);
  void ShowNotice(const logic::Notice& notice);
  // Shows a run's progress bar and label and draws them before the engine takes the thread.
  void ShowProgress(int bar, int label);
  // Moves a bar and its label to `percent` and draws both at once; from 100 on, hides them.
  void MoveProgress(int bar, int label, std::int16_t percent);
  std::wstring Text(int id) const;
  void SetText(int id, const std::wstring& text);

  Desktop& desktop_;
  const WindowLayout& layout_;
  const logic::PlatformFacts facts_;
  HWND window_ = nullptr;
  HACCEL accelerators_ = nullptr;
  std::map<int, HWND> controls_;
  HWND pages_[2] = {};
  TandrelClient Tandrel1_;
  double dblFiletime_ = 0;

  // The open-file dialogs, each keeping its choice between uses.
  FileDialogState dlg_;
  FileDialogState dlgJoin_;
  FileDialogState dlgJoinJ_;
};

}  // namespace trevasso::win32
