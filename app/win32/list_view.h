#pragma once

// The two lists of the main window: report views with a check box in front of every row.

#include <windows.h>

#include <string>
#include <vector>

namespace trevasso::win32 {

struct ListColumn {
  std::wstring header;
  int format;      // LVCFMT_LEFT, LVCFMT_CENTER or LVCFMT_RIGHT
  int widthTwips;  // the last column takes the rest of the row instead
};

void SetUpList(HWND list, const std::vector<ListColumn>& columns, int dpi);

int RowCount(HWND list);
// Appends a row with its check box clear; returns its index.
int AppendRow(HWND list, const std::vector<std::wstring>& texts);
std::wstring CellText(HWND list, int row, int column);
void SetCellText(HWND list, int row, int column, const std::wstring& text);
std::vector<std::wstring> ColumnTexts(HWND list, int column);
bool IsTicked(HWND list, int row);
void SetTicked(HWND list, int row, bool ticked);
// From the last row to the first, removes every ticked row.
void RemoveTickedRows(HWND list);
// The focused row, -1 when there is none.
int CurrentRow(HWND list);
// Makes `row` the selected and focused row.
void SelectRow(HWND list, int row);

}  // namespace trevasso::win32
