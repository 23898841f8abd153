// The entries of the group dialog's lists: their column texts, their member-list text and the item
// data that goes with them.
#include <cstring>

#include "dialogs/group_lists.h"
#include "provider/heap.h"

namespace abk {

namespace {

// Images of the small-icon list: 0 a group, 1 a person.
constexpr int kGroupImage = 0;
constexpr int kPersonImage = 1;

constexpr char kMemberSeparator[] = "    ";

} // namespace

const char* ItemColumnText(const RecipientItem& item, int column) {
  const SRow& row = *item.row;
  bool secondary = item.kind == kItemSecondaryFax;
  switch (column) {
  case 0:
    return RowText(row, kRowDisplayName);
  case 1:
    return RowText(row, kRowCompany);
  case 2:
    return RowText(row, kRowDepartment);
  case 3:
    return RowText(row, secondary ? kRowSecondaryFax : kRowPrimaryFax);
  case 4:
    return RowText(row, secondary ? kRowSecondaryDescription : kRowPrimaryDescription);
  case 5:
    return RowText(row, kRowComment);
  default:
    return "";
  }
}

int InsertAvailableItem(HWND list, int position, RecipientItem* item) {
  LVITEMA entry = {};
  entry.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
  entry.iItem = position;
  entry.pszText = const_cast<char*>(ItemColumnText(*item, 0));
  entry.iImage = item->kind == kItemGroup ? kGroupImage : kPersonImage;
  entry.lParam = reinterpret_cast<LPARAM>(item);
  int index = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
  if (index < 0) return -1;
  for (int column = 1; column < kGroupListColumns; ++column) {
    LVITEMA cell = {};
    cell.iSubItem = column;
    cell.pszText = const_cast<char*>(ItemColumnText(*item, column));
    SendMessageA(list, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&cell));
  }
  return index;
}

bool AddMemberEntry(HWND list, RecipientItem* item) {
  // A group reads its name; a person its name and the number the entry stands for.
  const char* name = RowText(*item->row, kRowDisplayName);
  const char* number = item->kind == kItemGroup ? nullptr : ItemColumnText(*item, 3);
  size_t size = strlen(name) + (number ? sizeof kMemberSeparator - 1 + strlen(number) : 0) + 1;
  char* text = static_cast<char*>(HeapAllocate(size));
  if (!text) return false;
  strcpy(text, name);
  if (number) {
    strcat(text, kMemberSeparator);
    strcat(text, number);
  }
  LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  HeapFree(text);
  if (index < 0) return false;
  SendMessageA(list, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(item));
  return true;
}

RecipientItem* AvailableItemAt(HWND list, int index) {
  LVITEMA entry = {};
  entry.mask = LVIF_PARAM;
  entry.iItem = index;
  if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&entry))) return nullptr;
  return reinterpret_cast<RecipientItem*>(entry.lParam);
}

RecipientItem* MemberItemAt(HWND list, int index) {
  LRESULT data = SendMessageA(list, LB_GETITEMDATA, index, 0);
  return data == LB_ERR ? nullptr : reinterpret_cast<RecipientItem*>(data);
}

void ClearAvailableList(HWND list) {
  int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    HeapDelete(AvailableItemAt(list, i));
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
}

void ClearMemberList(HWND list) {
  int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i)
    HeapDelete(MemberItemAt(list, i));
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
}

} // namespace abk
