// The joiner tab of the main window: the join list and the join run.
// The system's types first: the common controls' header needs them.
#include <windows.h>
// clang-format off
#include <commctrl.h>
// clang-format on

#include <algorithm>

#include "control_ids.h"
#include "frm_quorvane.h"
#include "list_view.h"
#include "logic/join_list.h"
#include "logic/number_mask.h"
#include "logic/open_file_filter.h"
#include "tandrel/result_messages.h"
#include "text_edge.h"

namespace trevasso::win32 {

using namespace quorvane;

namespace {

// The columns of lvwJoin.
enum JoinColumn { kJoinNo, kJoinPlayTime, kJoinFileSize, kJoinFileName };

}  // namespace

void FrmQuorvane::BuildJoinerTab(HWND page) {
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
  HWND files =
      Make(page, WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
           lvwJoin, At15(10, 10, 348, 244), WS_EX_CLIENTEDGE);
  SetUpList(files,
            {{L"NO", LVCFMT_LEFT, 600},
             {L"Play Time (MS)", LVCFMT_RIGHT, 1500},
             {L"File Size (Bytes)", LVCFMT_RIGHT, 1650},
             {L"File Name", LVCFMT_LEFT, 1500}},
            layout_.dpi());
  Make(page, WC_BUTTONW, L"&Add Files ...", button, cmdAddJoin, At15(364, 10, 102, 28));
  Make(page, WC_BUTTONW, L"&Remove", button, cmdRemoveJoin, At15(364, 43, 102, 28));
  Make(page, WC_BUTTONW, L"&Clear All", button, cmdClearJoin, At15(364, 76, 102, 28));
  Make(page, WC_BUTTONW, L"Move &Up", button, cmdMoveUp, At15(364, 128, 102, 28));
  Make(page, WC_BUTTONW, L"Move &Down", button, cmdMoveDown, At15(364, 161, 102, 28));

  Make(page, WC_STATICW, L"Save the Joined File to:", 0, Label2, At15(10, 264, 420, 18));
  Make(page, WC_EDITW, L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, txtSaveFileName,
       At15(10, 283, 420, 24), WS_EX_CLIENTEDGE);
  Make(page, WC_BUTTONW, L"...", button, cmdDirJ, At15(436, 283, 30, 24));

  Make(page, WC_BUTTONW, L"Start Joining Now!!", button, cmdJoin, At15(10, 333, 170, 30));
  HWND bar = Make(page, PROGRESS_CLASSW, L"", 0, ProgressBar2, At15(190, 337, 230, 22));
  ::SendMessageW(bar, PBM_SETRANGE32, 0, 100);
  ::SendMessageW(bar, PBM_SETPOS, 0, 0);
  ::ShowWindow(bar, SW_HIDE);
  ::ShowWindow(Make(page, WC_STATICW, L"", 0, lblJoinPer, At15(426, 341, 40, 18)), SW_HIDE);

  dlgJoin_.filters = logic::AudioFileFilters();
  dlgJoin_.multiSelect = true;
  dlgJoin_.mustExist = true;
  dlgJoinJ_.filters = logic::AudioFileFilters();
}

void FrmQuorvane::cmdAddJoin_Click() {
  dlgJoin_.fileNames.clear();
  if (!desktop_.ShowOpenDialog(window_, dlgJoin_)) return;
  for (const std::wstring& path : dlgJoin_.fileNames) AddJoinFile(path);
  RenumberJoinList();
}

void FrmQuorvane::AddJoinFile(const std::wstring& path) {
  const std::int64_t length = FileLength(path);
  if (length == 0) return;
  const std::int32_t playTime = Tandrel1_.GetPlayTime(path);
  if (playTime == 0) return;
  HWND files = Control(lvwJoin);
  const std::vector<std::wstring> listed = ColumnTexts(files, kJoinFileName);
  if (std::find(listed.begin(), listed.end(), path) != listed.end()) return;
  AppendRow(files, {L"", FromUtf8(logic::FormatGrouped(playTime, facts_)),
                    FromUtf8(logic::FormatGrouped(static_cast<double>(length), facts_)), path});
}

void FrmQuorvane::RenumberJoinList() {
  HWND files = Control(lvwJoin);
  for (int row = 0; row < RowCount(files); ++row) {
    SetCellText(files, row, kJoinNo, std::to_wstring(row + 1));
  }
}

void FrmQuorvane::SwapJoinRows(int target, int source) {
  HWND files = Control(lvwJoin);
  const int rows = RowCount(files);
  if (target < 1 || source < 1 || target > rows || source > rows) return;
  // The numbers and the check boxes stay with the positions; the file moves.
  for (int column = kJoinPlayTime; column <= kJoinFileName; ++column) {
    const std::wstring text = CellText(files, target - 1, column);
    SetCellText(files, target - 1, column, CellText(files, source - 1, column));
    SetCellText(files, source - 1, column, text);
  }
  SelectRow(files, target - 1);
  ::SetFocus(files);
}

void FrmQuorvane::cmdRemoveJoin_Click() {
  RemoveTickedRows(Control(lvwJoin));
  RenumberJoinList();
  ::SetFocus(Control(lvwJoin));
}

void FrmQuorvane::cmdClearJoin_Click() {
  ListView_DeleteAllItems(Control(lvwJoin));
}

void FrmQuorvane::MoveJoinFile(logic::JoinMove move) {
  HWND files = Control(lvwJoin);
  // The focused row, which carries the focus frame whether or not it is selected; the first row
  // while there is none.
  const int current = CurrentRow(files);
  const int position = current < 0 ? 1 : current + 1;
  const logic::JoinMoveTarget target = logic::MoveJoinFile(move, RowCount(files), position);
  if (target.refusal) {
    ShowNotice(*target.refusal);
    return;
  }
  SwapJoinRows(target.position, position);
}

void FrmQuorvane::cmdDirJ_Click() {
  desktop_.ShowOpenDialog(window_, dlgJoinJ_);
  if (!dlgJoinJ_.FileName().empty()) SetText(txtSaveFileName, dlgJoinJ_.FileName());
}

void FrmQuorvane::cmdJoin_Click() {
  const std::vector<std::string> files = ToUtf8(ColumnTexts(Control(lvwJoin), kJoinFileName));
  if (const auto refusal = logic::JoinRefusal(files, ToUtf8(Text(txtSaveFileName)))) {
    ShowNotice(*refusal);
    return;
  }
  ShowProgress(ProgressBar2, lblJoinPer);
  const std::int16_t result =
      Tandrel1_.Join(Text(txtSaveFileName), FromUtf8(logic::BuildJoinList(files)),
                     logic::JoinFilesCount(files.size()));
  if (const char* message = tandrel::JoinResultMessage(result)) Say(message);
  ::ShowWindow(Control(ProgressBar2), SW_HIDE);
  ::ShowWindow(Control(lblJoinPer), SW_HIDE);
}

void FrmQuorvane::Tandrel1_Join(std::int16_t percent) {
  MoveProgress(ProgressBar2, lblJoinPer, percent);
}

}  // namespace trevasso::win32
