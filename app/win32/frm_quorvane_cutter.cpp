// The cutter tab of the main window: source file and information, the section list, the split run.
// The system's types first: the common controls' header needs them.
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <initializer_list>

#include "control_ids.h"
#include "frm_add.h"
#include "frm_quorvane.h"
#include "list_view.h"
#include "logic/cut_checks.h"
#include "logic/info_captions.h"
#include "logic/number_mask.h"
#include "logic/open_file_filter.h"
#include "logic/path_routines.h"
#include "logic/piece_size.h"
#include "logic/section_list.h"
#include "logic/task_names.h"
#include "tandrel/result_messages.h"
#include "tandrel/tandrel.h"
#include "text_edge.h"
#include "typing_filter.h"

namespace trevasso::win32 {

using namespace quorvane;

namespace {

// The columns of lvwTask.
enum TaskColumn { kTaskNo, kTaskUnit, kTaskStart, kTaskEnd, kTaskFileName };

}  // namespace

void FrmQuorvane::BuildCutterTab(HWND page) {
  const DWORD box = WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
  Make(page, WC_STATICW, L"Open File ( Only MP3 and WAV files are supported.)", 0, Label1,
       At15(10, 8, 456, 18));
  Make(page, WC_EDITW, L"", box, txtSource, At15(10, 27, 420, 24), WS_EX_CLIENTEDGE);
  Make(page, WC_BUTTONW, L"...", button, cmdSrc, At15(436, 27, 30, 24));
  Make(page, WC_STATICW, L"Size:", SS_NOPREFIX, lblSize, At15(10, 55, 456, 18));
  Make(page, WC_STATICW, L"Time:", SS_NOPREFIX, lblTime, At15(10, 73, 456, 18));
  Make(page, WC_STATICW, L"Set Output Dir for Saving the Splitted Files:", 0, Label5,
       At15(10, 95, 456, 18));
  Make(page, WC_EDITW, L"", box, txtDirS, At15(10, 114, 420, 24), WS_EX_CLIENTEDGE);
  Make(page, WC_BUTTONW, L"...", button, cmdDirS, At15(436, 114, 30, 24));

  Make(page, WC_BUTTONW, L"Split by Time", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, optSplit,
       At15(10, 146, 200, 20));
  HWND tasks = Make(page, WC_LISTVIEWW, L"",
                    WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, lvwTask,
                    At15(10, 168, 348, 124), WS_EX_CLIENTEDGE);
  SetUpList(tasks,
            {{L"NO", LVCFMT_LEFT, 690},
             {L"Unit", LVCFMT_CENTER, 570},
             {L"Start Time", LVCFMT_RIGHT, 1200},
             {L"End Time", LVCFMT_RIGHT, 1200},
             {L"File Name", LVCFMT_LEFT, 1500}},
            layout_.dpi());
  Make(page, WC_BUTTONW, L"&Add Sections ...", button, cmdAddTask, At15(364, 168, 102, 28));
  Make(page, WC_BUTTONW, L"&Remove", button, cmdRemove, At15(364, 201, 102, 28));
  Make(page, WC_BUTTONW, L"&Clear All", button, cmdClear, At15(364, 234, 102, 28));

  Make(page, WC_BUTTONW, L"Split by Size", WS_TABSTOP | WS_GROUP | BS_RADIOBUTTON, optSplit + 1,
       At15(10, 301, 120, 20));
  Make(page, WC_STATICW, L"Value:", 0, Label3, At15(132, 303, 44, 20));
  FilterTyping(Make(page, WC_EDITW, L"0", WS_TABSTOP | ES_AUTOHSCROLL, txtSizeVal,
                    At15(178, 299, 84, 24), WS_EX_CLIENTEDGE),
               true);
  // A drop-down list's height includes its open list.
  HWND units = Make(page, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, cboSize,
                    At15(268, 299, 198, 120));
  for (const wchar_t* unit :
       {L"Bytes (B)", L"Kilo Bytes (KB = 1024 B)", L"Mega Bytes (MB = 1024 KB)"}) {
    ::SendMessageW(units, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(unit));
  }
  ::SendMessageW(units, CB_SETCURSEL, 0, 0);

  Make(page, WC_BUTTONW, L"Start Splitting Now!!", button, cmdSplit, At15(10, 333, 170, 30));
  HWND bar = Make(page, PROGRESS_CLASSW, L"", 0, ProgressBar1, At15(190, 337, 230, 22));
  ::SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  ::SendMessageW(bar, PBM_SETPOS, 0, 0);
  ::ShowWindow(bar, SW_HIDE);
  ::ShowWindow(Make(page, WC_STATICW, L"", 0, lblPer, At15(426, 341, 40, 18)), SW_HIDE);

  dlg_.filters = logic::AudioFileFilters();
  ::SendMessageW(Control(optSplit), BM_SETCHECK, BST_CHECKED, 0);
  optSplit_Click(0);
}

void FrmQuorvane::cmdSrc_Click() {
  desktop_.ShowOpenDialog(window_, dlg_);
  // After a cancel the dialog still holds the previous choice, which is measured again.
  if (!dlg_.FileName().empty()) {
    SetText(txtSource, dlg_.FileName());
    ShowFileInfo();
  }
  SetText(txtDirS, FromUtf8(logic::GetFolderPart(ToUtf8(Text(txtSource)), facts_)));
}

void FrmQuorvane::cmdDirS_Click() {
  const std::wstring folder = desktop_.BrowseForFolder(window_);
  if (!logic::TrimBlanks(ToUtf8(folder)).empty()) SetText(txtDirS, folder);
}

void FrmQuorvane::ShowFileInfo() {
  const double time = Tandrel1_.GetPlayTime(Text(txtSource));
  const double size = Tandrel1_.GetFileSize(Text(txtSource));
  dblFiletime_ = time;
  SetText(lblSize, FromUtf8(logic::SizeCaption(size, facts_)));
  SetText(lblTime, FromUtf8(logic::TimeCaption(time, facts_)));
}

void FrmQuorvane::cmdAddTask_Click() {
  const std::wstring source = Text(txtSource);
  if (const auto refusal =
          logic::AddSectionsRefusal(ToUtf8(source), dblFiletime_, FileLength(source))) {
    ShowNotice(*refusal);
    return;
  }
  FrmAdd frmAdd(desktop_, layout_, dblFiletime_, Text(lblTime), Control(lvwTask), facts_, window_);
  frmAdd.SetSliderRange(0, static_cast<int>(logic::RoundHalfEven(dblFiletime_)));
  desktop_.RunModal(frmAdd.window(), window_);
  RefreshTaskNames();
}

void FrmQuorvane::cmdRemove_Click() {
  HWND tasks = Control(lvwTask);
  if (const auto refusal =
          logic::RemoveSectionsRefusal(static_cast<std::size_t>(RowCount(tasks)))) {
    ShowNotice(*refusal);
    return;
  }
  RemoveTickedRows(tasks);
  RefreshTaskNames();
}

void FrmQuorvane::cmdClear_Click() {
  ListView_DeleteAllItems(Control(lvwTask));
}

void FrmQuorvane::optSplit_Click(int index) {
  for (int i = 0; i < 2; ++i) {
    ::SendMessageW(Control(optSplit + i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  const bool byTime = index == 0;
  for (int id : std::initializer_list<int>{cmdAddTask, cmdRemove, cmdClear, lvwTask})
    ::EnableWindow(Control(id), byTime);
  for (int id : std::initializer_list<int>{cboSize, txtSizeVal})
    ::EnableWindow(Control(id), !byTime);
}

void FrmQuorvane::RefreshTaskNames() {
  HWND tasks = Control(lvwTask);
  const std::string source = ToUtf8(Text(txtSource));
  const std::string folder = ToUtf8(Text(txtDirS));
  for (int row = 0; row < RowCount(tasks); ++row) {
    SetCellText(tasks, row, kTaskNo, std::to_wstring(row + 1));
    SetCellText(tasks, row, kTaskFileName,
                FromUtf8(logic::TaskFileName(source, folder, row + 1, facts_)));
  }
}

void FrmQuorvane::cmdSplit_Click() {
  const std::wstring source = Text(txtSource);
  const bool byTime = ::SendMessageW(Control(optSplit), BM_GETCHECK, 0, 0) == BST_CHECKED;
  HWND tasks = Control(lvwTask);
  const int rows = RowCount(tasks);
  if (const auto refusal = logic::SplitRefusal(ToUtf8(source), FileLength(source), byTime,
                                               static_cast<std::size_t>(rows))) {
    ShowNotice(*refusal);
    return;
  }
  std::int16_t result = 0;
  if (byTime) {
    if (static_cast<std::size_t>(rows) > logic::kMaxSections) {
      Say(tandrel::SplitResultMessage(TANDREL_ERROR_INVALID_PARAMETER));
      return;
    }
    std::vector<logic::TaskRow> taskRows;
    for (int row = 0; row < rows; ++row) {
      taskRows.push_back({ToUtf8(CellText(tasks, row, kTaskStart)),
                          ToUtf8(CellText(tasks, row, kTaskEnd)),
                          ToUtf8(CellText(tasks, row, kTaskFileName))});
    }
    const std::string cutTimeInfo = logic::BuildSectionList(taskRows, facts_);
    ShowProgress(ProgressBar1, lblPer);
    result = Tandrel1_.CutByTime(source, FromUtf8(cutTimeInfo), static_cast<std::int16_t>(rows));
  } else {
    const auto unit = static_cast<int>(::SendMessageW(Control(cboSize), CB_GETCURSEL, 0, 0));
    const logic::PieceSize size = logic::ComputePieceSize(
        ToUtf8(Text(txtSizeVal)), logic::SizeUnit(unit), static_cast<double>(FileLength(source)));
    if (size.check != logic::PieceSizeCheck::Ok) {
      Say(size.check == logic::PieceSizeCheck::TooLarge
              ? std::string(tandrel::SplitResultMessage(TANDREL_ERROR_INVALID_PARAMETER))
              : logic::PieceSizeMessage(size.check));
      ::SetFocus(Control(txtSizeVal));
      return;
    }
    ShowProgress(ProgressBar1, lblPer);
    result = Tandrel1_.CutBySize(source, size.bytes, Text(txtDirS));
  }
  if (const char* message = tandrel::SplitResultMessage(result)) Say(message);
  ::ShowWindow(Control(ProgressBar1), SW_HIDE);
  ::ShowWindow(Control(lblPer), SW_HIDE);
}

void FrmQuorvane::Tandrel1_Cut(std::int16_t percent) {
  MoveProgress(ProgressBar1, lblPer, percent);
}

}  // namespace trevasso::win32
