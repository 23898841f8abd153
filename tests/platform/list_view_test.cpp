// The report-mode list view and image lists of the headless user-interface layer: a list view from a
// compiled template, its columns and items, states and notifications, sorting, searching, deletion, and
// who owns an image list.
#include <abkplatform.h>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kBookForm = 300;
constexpr int kEntries = 3001;
constexpr int kSingle = 3002;

// What the dialog was told through WM_NOTIFY, copied while the notification was live.
struct Notice {
  UINT_PTR from;
  UINT code;
  int item;
  UINT oldState;
  UINT newState;
  UINT changed;
  LPARAM data;
};

std::vector<Notice> g_notices;
LRESULT g_deleteAllAnswer = FALSE;

INT_PTR CALLBACK BookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message == WM_NOTIFY) {
    const auto* info = reinterpret_cast<const NMLISTVIEW*>(lParam);
    EXPECT_EQ(info->hdr.hwndFrom, GetDlgItem(dialog, static_cast<int>(info->hdr.idFrom)));
    EXPECT_EQ(wParam, info->hdr.idFrom);
    g_notices.push_back({info->hdr.idFrom, info->hdr.code, info->iItem, info->uOldState, info->uNewState,
                         info->uChanged, info->lParam});
    // The answer goes back through DWLP_MSGRESULT, as for any dialog message.
    SetWindowLongPtrA(dialog, DWLP_MSGRESULT, info->hdr.code == LVN_DELETEALLITEMS ? g_deleteAllAnswer : 0);
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    EndDialog(dialog, IDOK);
    return TRUE;
  }
  return FALSE;
}

std::vector<Notice> NoticesWith(UINT code) {
  std::vector<Notice> found;
  for (const Notice& n : g_notices) {
    if (n.code == code) found.push_back(n);
  }
  return found;
}

int AddColumn(HWND view, int at, const char* text, int width, int format = LVCFMT_LEFT) {
  LVCOLUMNA column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
  column.pszText = const_cast<char*>(text);
  column.cx = width;
  column.fmt = format;
  return ListView_InsertColumn(view, at, &column);
}

int AddItem(HWND view, int at, const char* text, LPARAM data, int image = 0) {
  LVITEMA item = {};
  item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
  item.iItem = at;
  item.pszText = const_cast<char*>(text);
  item.lParam = data;
  item.iImage = image;
  return ListView_InsertItem(view, &item);
}

std::string CellText(HWND view, int index, int subItem) {
  char buffer[64] = "unchanged";
  ListView_GetItemText(view, index, subItem, buffer, sizeof buffer);
  return buffer;
}

LPARAM DataOf(HWND view, int index) {
  LVITEMA item = {};
  item.mask = LVIF_PARAM;
  item.iItem = index;
  EXPECT_TRUE(ListView_GetItem(view, &item));
  return item.lParam;
}

std::vector<LPARAM> AllData(HWND view) {
  std::vector<LPARAM> data;
  for (int i = 0; i < ListView_GetItemCount(view); ++i)
    data.push_back(DataOf(view, i));
  return data;
}

// Fills the view with items whose data is 10, 20, ... in the order given.
void Fill(HWND view, std::initializer_list<const char*> names) {
  LPARAM data = 10;
  for (const char* name : names) {
    AddItem(view, ListView_GetItemCount(view), name, data);
    data += 10;
  }
}

using Driver = std::function<void(HWND)>;

void CallDriver(HWND dialog, void* context) { (*static_cast<Driver*>(context))(dialog); }

class ListView : public ::testing::Test {
protected:
  void SetUp() override {
    g_notices.clear();
    g_deleteAllAnswer = FALSE;
  }
  void TearDown() override { AbkSetDialogDriver(nullptr, nullptr); }

  // Runs the book form; the driver gets the first list view (LVS_REPORT, multiple selection) and the
  // second (LVS_SINGLESEL | LVS_SORTASCENDING | LVS_SHAREIMAGELISTS).
  void Run(std::function<void(HWND dialog, HWND entries, HWND single)> body) {
    driver_ = [body](HWND dialog) {
      body(dialog, GetDlgItem(dialog, kEntries), GetDlgItem(dialog, kSingle));
      EndDialog(dialog, IDOK);
    };
    AbkSetDialogDriver(CallDriver, &driver_);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kBookForm), nullptr, BookProc, 0), IDOK);
  }

  Driver driver_;
};

TEST_F(ListView, TheTemplateMakesListViewsThatKeepColumnsAndItemsWithSubItems) {
  INITCOMMONCONTROLSEX init = {sizeof init, ICC_LISTVIEW_CLASSES};
  EXPECT_TRUE(InitCommonControlsEx(&init));
  Run([](HWND dialog, HWND view, HWND) {
    ASSERT_TRUE(IsWindow(view));
    EXPECT_EQ(GetParent(view), dialog);
    EXPECT_EQ(GetWindowLongA(view, GWL_STYLE) & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_EQ(ListView_GetItemCount(view), 0);
    EXPECT_EQ(ListView_GetHeader(view), nullptr);

    EXPECT_EQ(AddColumn(view, 0, "Nom", 120), 0);
    EXPECT_EQ(AddColumn(view, 99, "Courriel", 150), 1) << "a position past the end appends";
    EXPECT_EQ(AddColumn(view, 1, "Type", 60, LVCFMT_RIGHT), 1);
    char title[16];
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.pszText = title;
    column.cchTextMax = sizeof title;
    ASSERT_TRUE(ListView_GetColumn(view, 1, &column));
    EXPECT_STREQ(title, "Type");
    EXPECT_EQ(column.cx, 60);
    EXPECT_EQ(column.fmt, LVCFMT_RIGHT);
    EXPECT_TRUE(ListView_SetColumnWidth(view, 2, 200));
    EXPECT_EQ(ListView_GetColumnWidth(view, 2), 200);
    EXPECT_TRUE(ListView_DeleteColumn(view, 1));
    EXPECT_FALSE(ListView_DeleteColumn(view, 2));
    EXPECT_FALSE(ListView_GetColumn(view, 2, &column));

    EXPECT_EQ(AddItem(view, 0, "Martin", 1, 3), 0);
    EXPECT_EQ(AddItem(view, 50, "Zoé", 2), 1) << "an index past the end is clamped to the count";
    EXPECT_EQ(AddItem(view, 1, "Bernard", 3), 1);
    ListView_SetItemText(view, 0, 1, const_cast<char*>("martin@exemple.fr"));
    ListView_SetItemText(view, 2, 1, const_cast<char*>("zoe@exemple.fr"));
    EXPECT_EQ(ListView_GetItemCount(view), 3);
    EXPECT_EQ(CellText(view, 1, 0), "Bernard");
    EXPECT_EQ(CellText(view, 2, 1), "zoe@exemple.fr");
    EXPECT_EQ(CellText(view, 1, 1), "") << "a sub-item never set is empty";
    EXPECT_EQ(AllData(view), (std::vector<LPARAM>{1, 3, 2}));

    char small[7];
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = small;
    item.cchTextMax = sizeof small;
    EXPECT_EQ(SendMessageA(view, LVM_GETITEMTEXTA, 0, reinterpret_cast<LPARAM>(&item)), 6);
    EXPECT_STREQ(small, "martin") << "cut to the buffer";

    item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = 0;
    item.pszText = small;
    item.cchTextMax = sizeof small;
    ASSERT_TRUE(ListView_GetItem(view, &item));
    EXPECT_STREQ(small, "Martin");
    EXPECT_EQ(item.iImage, 3);
    EXPECT_EQ(item.lParam, 1);

    item = {};
    item.mask = LVIF_PARAM | LVIF_IMAGE;
    item.iItem = 2;
    item.lParam = 22;
    item.iImage = 5;
    EXPECT_TRUE(ListView_SetItem(view, &item));
    item.iItem = 3;
    EXPECT_FALSE(ListView_SetItem(view, &item)) << "no such item";
    item = {};
    item.mask = LVIF_IMAGE | LVIF_PARAM;
    item.iItem = 2;
    EXPECT_TRUE(ListView_GetItem(view, &item));
    EXPECT_EQ(item.iImage, 5);
    EXPECT_EQ(item.lParam, 22);

    EXPECT_EQ(ListView_SetExtendedListViewStyle(view, LVS_EX_FULLROWSELECT), 0u);
    EXPECT_EQ(ListView_SetExtendedListViewStyleEx(view, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES),
              DWORD{LVS_EX_FULLROWSELECT});
    EXPECT_EQ(ListView_GetExtendedListViewStyle(view), DWORD{LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES});
    EXPECT_TRUE(ListView_EnsureVisible(view, 2, FALSE));
    EXPECT_FALSE(ListView_EnsureVisible(view, 3, FALSE));
  });
}

TEST_F(ListView, StateChangesAreToldAndTheFocusIsUnique) {
  Run([](HWND, HWND view, HWND) {
    Fill(view, {"a", "b", "c", "d"});
    g_notices.clear();

    ListView_SetItemState(view, 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ASSERT_EQ(g_notices.size(), 1u);
    EXPECT_EQ(g_notices[0].from, UINT_PTR{kEntries});
    EXPECT_EQ(g_notices[0].code, LVN_ITEMCHANGED);
    EXPECT_EQ(g_notices[0].item, 1);
    EXPECT_EQ(g_notices[0].changed, UINT{LVIF_STATE});
    EXPECT_EQ(g_notices[0].oldState, 0u);
    EXPECT_EQ(g_notices[0].newState, UINT{LVIS_FOCUSED | LVIS_SELECTED});
    EXPECT_EQ(g_notices[0].data, 20);

    g_notices.clear();
    ListView_SetItemState(view, 3, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    ASSERT_EQ(g_notices.size(), 2u) << "the old focus item is told first";
    EXPECT_EQ(g_notices[0].item, 1);
    EXPECT_EQ(g_notices[0].newState, UINT{LVIS_SELECTED}) << "a multiple selection keeps item 1 selected";
    EXPECT_EQ(g_notices[1].item, 3);
    EXPECT_EQ(ListView_GetNextItem(view, -1, LVNI_FOCUSED), 3);
    EXPECT_EQ(ListView_GetItemState(view, 1, LVIS_FOCUSED | LVIS_SELECTED), UINT{LVIS_SELECTED});
    EXPECT_EQ(ListView_GetSelectedCount(view), 2u);

    g_notices.clear();
    ListView_SetItemState(view, 3, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_TRUE(g_notices.empty()) << "no change, no notification";

    // Walk the selection as callers do.
    std::vector<int> walked;
    for (int i = ListView_GetNextItem(view, -1, LVNI_SELECTED); i != -1;
         i = ListView_GetNextItem(view, i, LVNI_SELECTED))
      walked.push_back(i);
    EXPECT_EQ(walked, (std::vector<int>{1, 3}));
    EXPECT_EQ(ListView_GetNextItem(view, -1, LVNI_ALL), 0);
    EXPECT_EQ(ListView_GetNextItem(view, 1, LVNI_ALL), 2);
    EXPECT_EQ(ListView_GetNextItem(view, 3, LVNI_ALL), -1);
    EXPECT_EQ(ListView_GetNextItem(view, 3, LVNI_SELECTED | LVNI_PREVIOUS), 1);

    // Index -1 is every item: only the two that change are told.
    g_notices.clear();
    ListView_SetItemState(view, -1, 0, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(view), 0u);
    EXPECT_EQ(NoticesWith(LVN_ITEMCHANGED).size(), 2u);
    EXPECT_EQ(ListView_GetNextItem(view, -1, LVNI_SELECTED), -1);
    EXPECT_EQ(ListView_GetNextItem(view, -1, LVNI_FOCUSED), 3) << "the focus stays";
    ListView_SetItemState(view, -1, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(view), 4u);

    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    EXPECT_FALSE(SendMessageA(view, LVM_SETITEMSTATE, 4, reinterpret_cast<LPARAM>(&item))) << "no such item";
  });
}

TEST_F(ListView, SingleSelectionAndSortedInsertion) {
  Run([](HWND, HWND, HWND single) {
    AddItem(single, 0, "Moreau", 1);
    AddItem(single, 0, "bertin", 2);
    AddItem(single, 0, "Zidane", 3);
    AddItem(single, 0, "Albert", 4);
    EXPECT_EQ(AllData(single), (std::vector<LPARAM>{4, 2, 1, 3})) << "LVS_SORTASCENDING ignores the index and case";

    ListView_SetItemState(single, 0, LVIS_SELECTED, LVIS_SELECTED);
    g_notices.clear();
    ListView_SetItemState(single, 2, LVIS_SELECTED, LVIS_SELECTED);
    EXPECT_EQ(ListView_GetSelectedCount(single), 1u);
    EXPECT_EQ(ListView_GetNextItem(single, -1, LVNI_SELECTED), 2);
    ASSERT_EQ(g_notices.size(), 2u) << "the old selection is dropped first";
    EXPECT_EQ(g_notices[0].from, UINT_PTR{kSingle});
    EXPECT_EQ(g_notices[0].item, 0);
    EXPECT_EQ(g_notices[0].newState, 0u);
    EXPECT_EQ(g_notices[1].item, 2);

    // An item inserted selected takes the selection.
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_STATE;
    item.pszText = const_cast<char*>("Carré");
    item.state = LVIS_SELECTED;
    item.stateMask = LVIS_SELECTED;
    EXPECT_EQ(ListView_InsertItem(single, &item), 2);
    EXPECT_EQ(ListView_GetSelectedCount(single), 1u);
    EXPECT_EQ(ListView_GetNextItem(single, -1, LVNI_SELECTED), 2);
  });
}

int CALLBACK ByData(LPARAM a, LPARAM b, LPARAM sort) {
  // lParamSort's sign gives the direction, as the provider's column clicks use it.
  int order = a < b ? -1 : (a > b ? 1 : 0);
  return sort < 0 ? -order : order;
}

std::vector<LPARAM> g_sortParams;

int CALLBACK RecordingCompare(LPARAM a, LPARAM b, LPARAM sort) {
  g_sortParams.push_back(sort);
  return ByData(a, b, 1);
}

TEST_F(ListView, SortItemsAndFindItem) {
  Run([](HWND, HWND view, HWND) {
    Fill(view, {"c", "a", "d", "b"}); // data 10, 20, 30, 40
    ListView_SetItemText(view, 0, 1, const_cast<char*>("sub of c"));
    ListView_SetItemState(view, 0, LVIS_SELECTED, LVIS_SELECTED);

    EXPECT_TRUE(ListView_SortItems(view, ByData, -1));
    EXPECT_EQ(AllData(view), (std::vector<LPARAM>{40, 30, 20, 10}));
    EXPECT_EQ(CellText(view, 3, 1), "sub of c") << "sub-items and state move with their item";
    EXPECT_EQ(ListView_GetNextItem(view, -1, LVNI_SELECTED), 3);

    g_sortParams.clear();
    EXPECT_TRUE(ListView_SortItems(view, RecordingCompare, 77));
    EXPECT_EQ(AllData(view), (std::vector<LPARAM>{10, 20, 30, 40}));
    ASSERT_FALSE(g_sortParams.empty());
    for (LPARAM sort : g_sortParams)
      EXPECT_EQ(sort, 77);
    EXPECT_FALSE(SendMessageA(view, LVM_SORTITEMS, 0, 0)) << "no callback";

    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = 30;
    EXPECT_EQ(ListView_FindItem(view, -1, &find), 2);
    EXPECT_EQ(ListView_FindItem(view, 2, &find), -1) << "the search starts after the index";
    find.flags = LVFI_PARAM | LVFI_WRAP;
    EXPECT_EQ(ListView_FindItem(view, 2, &find), 2) << "LVFI_WRAP goes round to the start";
    find.lParam = 99;
    EXPECT_EQ(ListView_FindItem(view, -1, &find), -1);

    find = {};
    find.flags = LVFI_STRING;
    find.psz = "D";
    EXPECT_EQ(ListView_FindItem(view, -1, &find), 2) << "labels compare without case";
    EXPECT_EQ(CellText(view, 2, 0), "d");
  });
}

TEST_F(ListView, DeletionTellsTheParentOfEveryItem) {
  Run([](HWND, HWND view, HWND single) {
    Fill(view, {"a", "b", "c", "d"});
    g_notices.clear();
    EXPECT_TRUE(ListView_DeleteItem(view, 1));
    EXPECT_FALSE(ListView_DeleteItem(view, 3));
    ASSERT_EQ(g_notices.size(), 1u);
    EXPECT_EQ(g_notices[0].code, LVN_DELETEITEM);
    EXPECT_EQ(g_notices[0].item, 1);
    EXPECT_EQ(g_notices[0].data, 20) << "the item's data, for the parent to free";
    EXPECT_EQ(AllData(view), (std::vector<LPARAM>{10, 30, 40}));

    g_notices.clear();
    EXPECT_TRUE(ListView_DeleteAllItems(view));
    EXPECT_EQ(ListView_GetItemCount(view), 0);
    ASSERT_EQ(g_notices.size(), 4u);
    EXPECT_EQ(g_notices[0].code, LVN_DELETEALLITEMS);
    EXPECT_EQ(g_notices[0].item, -1);
    std::vector<LPARAM> freed;
    for (const Notice& n : NoticesWith(LVN_DELETEITEM))
      freed.push_back(n.data);
    EXPECT_EQ(freed, (std::vector<LPARAM>{10, 30, 40}));

    // Answering TRUE to LVN_DELETEALLITEMS spares the one-by-one notifications.
    Fill(view, {"x", "y"});
    g_notices.clear();
    g_deleteAllAnswer = TRUE;
    EXPECT_TRUE(ListView_DeleteAllItems(view));
    EXPECT_EQ(ListView_GetItemCount(view), 0);
    ASSERT_EQ(g_notices.size(), 1u);
    EXPECT_EQ(g_notices[0].code, LVN_DELETEALLITEMS);
    g_deleteAllAnswer = FALSE;

    // What is left when the dialog goes is deleted the same way.
    Fill(single, {"p", "q"});
    g_notices.clear();
  });
  std::vector<LPARAM> freed;
  for (const Notice& n : NoticesWith(LVN_DELETEITEM)) {
    EXPECT_EQ(n.from, UINT_PTR{kSingle});
    freed.push_back(n.data);
  }
  EXPECT_EQ(freed, (std::vector<LPARAM>{10, 20}));
  EXPECT_EQ(NoticesWith(LVN_DELETEALLITEMS).size(), 1u);
}

TEST_F(ListView, ImageListsCountTheirIconsAndRefuseForeignHandles) {
  int before = AbkLiveImageListCount();
  HICON application = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));
  HICON own = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(111));
  ASSERT_NE(application, nullptr);
  ASSERT_NE(own, nullptr);

  HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 2);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(AbkLiveImageListCount(), before + 1);
  EXPECT_EQ(ImageList_GetImageCount(list), 0);
  EXPECT_EQ(ImageList_AddIcon(list, application), 0);
  EXPECT_EQ(ImageList_AddIcon(list, own), 1);
  EXPECT_EQ(ImageList_AddIcon(list, own), 2) << "the initial size is no limit";
  EXPECT_EQ(ImageList_AddIcon(list, nullptr), -1);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 1, application), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 3, application), -1) << "no image 3 to replace";
  EXPECT_EQ(ImageList_GetImageCount(list), 3);
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
  EXPECT_EQ(cx, 16);
  EXPECT_EQ(cy, 16);

  // Handles that are not live image lists are refused, never followed.
  int notAList = 0;
  HIMAGELIST foreign = reinterpret_cast<HIMAGELIST>(&notAList);
  EXPECT_FALSE(ImageList_Destroy(foreign));
  EXPECT_FALSE(ImageList_Destroy(nullptr));
  EXPECT_EQ(ImageList_AddIcon(foreign, application), -1);
  EXPECT_EQ(ImageList_AddIcon(nullptr, application), -1);
  EXPECT_EQ(ImageList_GetImageCount(foreign), 0);
  EXPECT_FALSE(ImageList_GetIconSize(foreign, &cx, &cy));
  EXPECT_EQ(notAList, 0);

  EXPECT_TRUE(ImageList_Destroy(list));
  EXPECT_EQ(AbkLiveImageListCount(), before);
  EXPECT_FALSE(ImageList_Destroy(list)) << "destroyed once only";
  EXPECT_EQ(ImageList_AddIcon(list, application), -1);
  EXPECT_EQ(ImageList_Create(0, 16, ILC_COLOR32, 1, 1), nullptr);
  EXPECT_EQ(AbkLiveImageListCount(), before);
}

TEST_F(ListView, AListViewDestroysItsImageListsUnlessTheyAreShared) {
  int before = AbkLiveImageListCount();
  HIMAGELIST replaced = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  HIMAGELIST owned = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
  HIMAGELIST shared = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 1, 1);
  Run([&](HWND, HWND view, HWND single) {
    EXPECT_EQ(ListView_SetImageList(view, replaced, LVSIL_SMALL), nullptr);
    EXPECT_EQ(ListView_SetImageList(view, owned, LVSIL_SMALL), replaced) << "the previous list comes back";
    EXPECT_EQ(ListView_GetImageList(view, LVSIL_SMALL), owned);
    EXPECT_EQ(ListView_GetImageList(view, LVSIL_NORMAL), nullptr);
    EXPECT_EQ(ListView_SetImageList(single, shared, LVSIL_NORMAL), nullptr);
  });
  EXPECT_EQ(AbkLiveImageListCount(), before + 2) << "the view destroyed the list it held";
  EXPECT_FALSE(ImageList_Destroy(owned));
  EXPECT_TRUE(ImageList_Destroy(replaced)) << "a replaced list is the caller's to destroy";
  EXPECT_TRUE(ImageList_Destroy(shared)) << "LVS_SHAREIMAGELISTS leaves it alone";
  EXPECT_EQ(AbkLiveImageListCount(), before);
}

} // namespace
