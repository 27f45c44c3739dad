#pragma once

// Every control keeps its name as its identifier, so that tests and people find a control by the
// name it has always had. An indexed group (optSplit, mnuFileSub ...) is its first identifier,
// and member i is that plus i.

#include <windows.h>

namespace trevasso::win32 {

// The main window frmQuorvane: its menus, its two tabs and their controls.
namespace quorvane {
enum ControlId : int {
  Picture1 = 1000,
  SSTab1,
  // Cutter tab.
  Label1,
  txtSource,
  cmdSrc,
  lblSize,
  lblTime,
  Label5,
  txtDirS,
  cmdDirS,
  lvwTask,
  cmdAddTask,
  cmdRemove,
  cmdClear,
  Label3,
  txtSizeVal,
  cboSize,
  cmdSplit,
  ProgressBar1,
  lblPer,
  optSplit = 1040,  // optSplit(0) "Split by Time", optSplit(1) "Split by Size"
  // Joiner tab.
  lvwJoin = 1050,
  cmdAddJoin,
  cmdRemoveJoin,
  cmdClearJoin,
  cmdMoveUp,
  cmdMoveDown,
  Label2,
  txtSaveFileName,
  cmdDirJ,
  cmdJoin,
  ProgressBar2,
  lblJoinPer,
  // Menus: the entries of each menu, separators included, one indexed group per menu.
  mnuFileSub = 1100,
  mnuHelpSub = 1110,
};
}  // namespace quorvane

// The Add Sections dialog frmAdd.
namespace add {
enum ControlId : int {
  OKButton = IDOK,  // Enter and Esc reach these two, as in every dialog
  CancelButton = IDCANCEL,
  Label7 = 2000,
  Frame1,
  frSE,
  Label2,
  sldStart,
  sldEnd,
  Label4,
  txtFixed,
  Label3,
  optSMH = 2020,    // optSMH(0) to optSMH(2): the units
  optSplit = 2030,  // optSplit(0) fixed length, optSplit(1) start and end
  txtStart = 2040,  // txtStart(0) start, txtStart(1) end
  Label1 = 2050,    // Label1(0) "Start Time", Label1(1) and Label1(2) "Mili Seconds"
  Label5 = 2060,    // Label5(0), Label5(1): the sliders' lower ends
  lblStart = 2070,  // lblStart(0), lblStart(1): the sliders' upper ends
};
}  // namespace add

// The About box dlgABout.
namespace about {
enum ControlId : int {
  Picture1 = 3000,
  Label1,
  lVer,
  Label2,
  Label3,
};
}  // namespace about

}  // namespace trevasso::win32
