#include "list_view.h"

#include <commctrl.h>

namespace trevasso::win32 {

void SetUpList(HWND list, const std::vector<ListColumn>& columns, int dpi) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  for (std::size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_FMT | LVCF_WIDTH | LVCF_SUBITEM;
    column.fmt = columns[i].format;
    column.cx = ::MulDiv(columns[i].widthTwips, dpi, 1440);
    column.pszText = const_cast<wchar_t*>(columns[i].header.c_str());
    column.iSubItem = static_cast<int>(i);
    ListView_InsertColumn(list, static_cast<int>(i), &column);
  }
  // The file name takes the rest of the row.
  if (!columns.empty()) {
    ListView_SetColumnWidth(list, static_cast<int>(columns.size()) - 1, LVSCW_AUTOSIZE_USEHEADER);
  }
}

int RowCount(HWND list) {
  return ListView_GetItemCount(list);
}

int AppendRow(HWND list, const std::vector<std::wstring>& texts) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = RowCount(list);
  item.pszText = const_cast<wchar_t*>(texts.empty() ? L"" : texts[0].c_str());
  const int row = ListView_InsertItem(list, &item);
  for (std::size_t i = 1; i < texts.size(); ++i)
    SetCellText(list, row, static_cast<int>(i), texts[i]);
  SetTicked(list, row, false);
  return row;
}

std::wstring CellText(HWND list, int row, int column) {
  std::wstring text(1024, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = static_cast<std::size_t>(::SendMessageW(
        list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < text.size()) {
      text.resize(length);
      return text;
    }
    text.resize(text.size() * 2);
  }
}

void SetCellText(HWND list, int row, int column, const std::wstring& text) {
  ListView_SetItemText(list, row, column, const_cast<wchar_t*>(text.c_str()));
}

std::vector<std::wstring> ColumnTexts(HWND list, int column) {
  std::vector<std::wstring> texts;
  for (int row = 0; row < RowCount(list); ++row) texts.push_back(CellText(list, row, column));
  return texts;
}

bool IsTicked(HWND list, int row) {
  return ListView_GetCheckState(list, static_cast<UINT>(row)) != 0;
}

void SetTicked(HWND list, int row, bool ticked) {
  ListView_SetCheckState(list, static_cast<UINT>(row), ticked ? TRUE : FALSE);
}

void RemoveTickedRows(HWND list) {
  for (int row = RowCount(list) - 1; row >= 0; --row) {
    if (IsTicked(list, row)) ListView_DeleteItem(list, row);
  }
}

int CurrentRow(HWND list) {
  return ListView_GetNextItem(list, -1, LVNI_FOCUSED);
}

void SelectRow(HWND list, int row) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  ListView_EnsureVisible(list, row, FALSE);
}

}  // namespace trevasso::win32
