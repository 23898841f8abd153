// The report-mode list view (SysListView32): columns, items with sub-item texts, data and images, sorting,
// searching and image lists. States, notifications and deletion are in list_view_state.cpp.
#include "list_view.h"

#include <algorithm>
#include <cstring>

namespace abkwin {

namespace {

const char* TextOf(LPCSTR text) { return text && text != LPSTR_TEXTCALLBACKA ? text : ""; }

// Copies into a caller's buffer of capacity characters, cut to fit; the number of characters copied.
int CopyOut(const std::string& text, char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return 0;
  int copied = std::min(static_cast<int>(text.size()), capacity - 1);
  memcpy(buffer, text.data(), static_cast<size_t>(copied));
  buffer[copied] = '\0';
  return copied;
}

const std::string& CellText(const ListViewItem& row, int subItem) {
  static const std::string empty;
  return subItem >= 0 && subItem < static_cast<int>(row.texts.size()) ? row.texts[static_cast<size_t>(subItem)] : empty;
}

void SetCellText(ListViewItem& row, int subItem, LPCSTR text) {
  if (row.texts.size() <= static_cast<size_t>(subItem)) row.texts.resize(static_cast<size_t>(subItem) + 1);
  row.texts[static_cast<size_t>(subItem)] = TextOf(text);
}

// --- Columns ---------------------------------------------------------------------------------------------

LRESULT InsertColumn(Window* view, WPARAM position, const LVCOLUMNA* column) {
  if (!column) return -1;
  int count = static_cast<int>(view->columns.size());
  int index = std::min(static_cast<int>(position), count);
  if (index < 0) return -1;
  ListViewColumn added;
  if (column->mask & LVCF_TEXT) added.text = TextOf(column->pszText);
  if (column->mask & LVCF_WIDTH) added.width = column->cx;
  if (column->mask & LVCF_FMT) added.format = column->fmt;
  if (column->mask & LVCF_SUBITEM) added.subItem = column->iSubItem;
  view->columns.insert(view->columns.begin() + index, added);
  return index;
}

bool ValidColumn(Window* view, WPARAM index) { return index < view->columns.size(); }

LRESULT GetColumn(Window* view, WPARAM index, LVCOLUMNA* column) {
  if (!column || !ValidColumn(view, index)) return FALSE;
  const ListViewColumn& found = view->columns[index];
  if (column->mask & LVCF_TEXT) CopyOut(found.text, column->pszText, column->cchTextMax);
  if (column->mask & LVCF_WIDTH) column->cx = found.width;
  if (column->mask & LVCF_FMT) column->fmt = found.format;
  if (column->mask & LVCF_SUBITEM) column->iSubItem = found.subItem;
  return TRUE;
}

LRESULT SetColumn(Window* view, WPARAM index, const LVCOLUMNA* column) {
  if (!column || !ValidColumn(view, index)) return FALSE;
  ListViewColumn& found = view->columns[index];
  if (column->mask & LVCF_TEXT) found.text = TextOf(column->pszText);
  if (column->mask & LVCF_WIDTH) found.width = column->cx;
  if (column->mask & LVCF_FMT) found.format = column->fmt;
  if (column->mask & LVCF_SUBITEM) found.subItem = column->iSubItem;
  return TRUE;
}

// Nothing is measured headless: LVSCW_AUTOSIZE and LVSCW_AUTOSIZE_USEHEADER take an average character
// width per character of the longest text of the column.
LRESULT SetColumnWidth(Window* view, WPARAM index, int width) {
  if (!ValidColumn(view, index)) return FALSE;
  ListViewColumn& column = view->columns[index];
  if (width == LVSCW_AUTOSIZE || width == LVSCW_AUTOSIZE_USEHEADER) {
    size_t longest = width == LVSCW_AUTOSIZE_USEHEADER ? column.text.size() : 0;
    for (const ListViewItem& row : view->rows)
      longest = std::max(longest, CellText(row, column.subItem).size());
    width = static_cast<int>(longest) * 6 + 12;
  }
  column.width = width;
  return TRUE;
}

// --- Items -----------------------------------------------------------------------------------------------

// LVS_SORTASCENDING/LVS_SORTDESCENDING: after every item whose label sorts before or with the new one.
int SortedRowPosition(Window* view, const std::string& text) {
  int sign = (view->style & LVS_SORTDESCENDING) ? -1 : 1;
  int position = 0;
  int count = static_cast<int>(view->rows.size());
  while (position < count &&
         sign * lstrcmpiA(view->rows[static_cast<size_t>(position)].texts[0].c_str(), text.c_str()) <= 0)
    ++position;
  return position;
}

LRESULT InsertRow(Window* view, const LVITEMA* item) {
  if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
  ListViewItem added;
  added.texts.push_back((item->mask & LVIF_TEXT) ? TextOf(item->pszText) : "");
  if (item->mask & LVIF_PARAM) added.data = item->lParam;
  if (item->mask & LVIF_IMAGE) added.image = item->iImage;
  int count = static_cast<int>(view->rows.size());
  int index = std::min(item->iItem, count);
  if (view->style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) index = SortedRowPosition(view, added.texts[0]);
  view->rows.insert(view->rows.begin() + index, added);
  if ((item->mask & LVIF_STATE) && (item->state & item->stateMask)) {
    SetRowState(view, index, item->state, item->stateMask);
  }
  return index;
}

LRESULT GetRow(Window* view, LVITEMA* item) {
  if (!item || !ValidRow(view, item->iItem) || item->iSubItem < 0) return FALSE;
  const ListViewItem& row = view->rows[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_TEXT) CopyOut(CellText(row, item->iSubItem), item->pszText, item->cchTextMax);
  if (item->mask & LVIF_PARAM) item->lParam = row.data;
  if (item->mask & LVIF_IMAGE) item->iImage = row.image;
  if (item->mask & LVIF_STATE) item->state = row.state & item->stateMask;
  return TRUE;
}

LRESULT SetRow(Window* view, const LVITEMA* item) {
  if (!item || !ValidRow(view, item->iItem) || item->iSubItem < 0) return FALSE;
  ListViewItem& row = view->rows[static_cast<size_t>(item->iItem)];
  if (item->mask & LVIF_TEXT) SetCellText(row, item->iSubItem, item->pszText);
  // Data, image and state belong to the item, not to its sub-items.
  if (item->iSubItem != 0) return TRUE;
  if (item->mask & LVIF_PARAM) row.data = item->lParam;
  if (item->mask & LVIF_IMAGE) row.image = item->iImage;
  if (item->mask & LVIF_STATE) return SetRowState(view, item->iItem, item->state, item->stateMask);
  return TRUE;
}

LRESULT GetRowText(Window* view, WPARAM index, LVITEMA* item) {
  if (!item || !ValidRow(view, static_cast<int>(index))) return 0;
  return CopyOut(CellText(view->rows[index], item->iSubItem), item->pszText, item->cchTextMax);
}

LRESULT SetRowText(Window* view, WPARAM index, const LVITEMA* item) {
  if (!item || !ValidRow(view, static_cast<int>(index)) || item->iSubItem < 0) return FALSE;
  SetCellText(view->rows[index], item->iSubItem, item->pszText);
  return TRUE;
}

// LVM_GETNEXTITEM: the first item after start (from the first with -1, backwards with LVNI_PREVIOUS) that
// has every state the flags ask for.
LRESULT NextRow(Window* view, int start, UINT flags) {
  UINT wanted = flags & LVNI_STATEMASK;
  int count = static_cast<int>(view->rows.size());
  int step = (flags & LVNI_PREVIOUS) ? -1 : 1;
  if (start < -1 || start >= count) start = -1;
  if (start == -1 && step < 0) start = count;
  for (int i = start + step; i >= 0 && i < count; i += step) {
    if ((view->rows[static_cast<size_t>(i)].state & wanted) == wanted) return i;
  }
  return -1;
}

LRESULT SelectedCount(Window* view) {
  return std::count_if(view->rows.begin(), view->rows.end(),
                       [](const ListViewItem& row) { return (row.state & LVIS_SELECTED) != 0; });
}

bool Matches(const ListViewItem& row, const LVFINDINFOA& find) {
  if (find.flags & LVFI_PARAM) return row.data == find.lParam;
  if (!(find.flags & (LVFI_STRING | LVFI_PARTIAL)) || !find.psz) return false;
  if (find.flags & LVFI_PARTIAL) return lstrcmpiA(row.texts[0].substr(0, strlen(find.psz)).c_str(), find.psz) == 0;
  return lstrcmpiA(row.texts[0].c_str(), find.psz) == 0;
}

// LVM_FINDITEMA: searches after start (from the first item with -1), round to the top with LVFI_WRAP.
LRESULT FindRow(Window* view, int start, const LVFINDINFOA* find) {
  int count = static_cast<int>(view->rows.size());
  if (!find || count == 0) return -1;
  if (start < -1 || start >= count) start = -1;
  int steps = (find->flags & LVFI_WRAP) ? count : count - (start + 1);
  for (int step = 1; step <= steps; ++step) {
    int index = (start + step) % count;
    if (Matches(view->rows[static_cast<size_t>(index)], *find)) return index;
  }
  return -1;
}

LRESULT SortRows(Window* view, LPARAM sortParam, PFNLVCOMPARE compare) {
  if (!compare) return FALSE;
  std::stable_sort(view->rows.begin(), view->rows.end(), [&](const ListViewItem& a, const ListViewItem& b) {
    return compare(a.data, b.data, sortParam) < 0;
  });
  return TRUE;
}

LRESULT SetImageList(Window* view, WPARAM kind, HIMAGELIST list) {
  if (kind > LVSIL_GROUPHEADER) return 0;
  HIMAGELIST previous = view->imageLists[kind];
  view->imageLists[kind] = list;
  return reinterpret_cast<LRESULT>(previous);
}

LRESULT SetExtendedStyle(Window* view, DWORD mask, DWORD style) {
  DWORD previous = view->listViewExStyle;
  if (mask == 0) mask = ~0u;
  view->listViewExStyle = (previous & ~mask) | (style & mask);
  return static_cast<LRESULT>(previous);
}

} // namespace

LRESULT ListViewMessage(Window* view, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* item = reinterpret_cast<LVITEMA*>(lParam);
  auto* column = reinterpret_cast<LVCOLUMNA*>(lParam);
  int index = static_cast<int>(wParam);
  switch (message) {
  case LVM_INSERTCOLUMNA:
    return InsertColumn(view, wParam, column);
  case LVM_GETCOLUMNA:
    return GetColumn(view, wParam, column);
  case LVM_SETCOLUMNA:
    return SetColumn(view, wParam, column);
  case LVM_DELETECOLUMN:
    if (!ValidColumn(view, wParam)) return FALSE;
    view->columns.erase(view->columns.begin() + index);
    return TRUE;
  case LVM_GETCOLUMNWIDTH:
    return ValidColumn(view, wParam) ? view->columns[wParam].width : 0;
  case LVM_SETCOLUMNWIDTH:
    return SetColumnWidth(view, wParam, static_cast<short>(LOWORD(lParam)));
  case LVM_INSERTITEMA:
    return InsertRow(view, item);
  case LVM_GETITEMA:
    return GetRow(view, item);
  case LVM_SETITEMA:
    return SetRow(view, item);
  case LVM_GETITEMTEXTA:
    return GetRowText(view, wParam, item);
  case LVM_SETITEMTEXTA:
    return SetRowText(view, wParam, item);
  case LVM_DELETEITEM:
    return DeleteRow(view, index);
  case LVM_DELETEALLITEMS:
    return DeleteAllRows(view);
  case LVM_GETITEMCOUNT:
    return static_cast<LRESULT>(view->rows.size());
  case LVM_GETNEXTITEM:
    return NextRow(view, index, LOWORD(lParam));
  case LVM_SETITEMSTATE:
    return item ? SetRowState(view, index, item->state, item->stateMask) : FALSE;
  case LVM_GETITEMSTATE:
    return ValidRow(view, index) ? static_cast<LRESULT>(view->rows[wParam].state & static_cast<UINT>(lParam)) : 0;
  case LVM_GETSELECTEDCOUNT:
    return SelectedCount(view);
  case LVM_FINDITEMA:
    return FindRow(view, index, reinterpret_cast<const LVFINDINFOA*>(lParam));
  case LVM_SORTITEMS:
    return SortRows(view, static_cast<LPARAM>(wParam), reinterpret_cast<PFNLVCOMPARE>(lParam));
  case LVM_SETIMAGELIST:
    return SetImageList(view, wParam, reinterpret_cast<HIMAGELIST>(lParam));
  case LVM_GETIMAGELIST:
    return wParam <= LVSIL_GROUPHEADER ? reinterpret_cast<LRESULT>(view->imageLists[wParam]) : 0;
  case LVM_ENSUREVISIBLE:
    return ValidRow(view, index) ? TRUE : FALSE;
  case LVM_REDRAWITEMS:
    return TRUE;
  case LVM_SETEXTENDEDLISTVIEWSTYLE:
    return SetExtendedStyle(view, static_cast<DWORD>(wParam), static_cast<DWORD>(lParam));
  case LVM_GETEXTENDEDLISTVIEWSTYLE:
    return static_cast<LRESULT>(view->listViewExStyle);
  case LVM_GETHEADER:
    // The header is drawn, not a window of its own here.
    return 0;
  default:
    return DefaultTextMessage(view, message, wParam, lParam);
  }
}

} // namespace abkwin
