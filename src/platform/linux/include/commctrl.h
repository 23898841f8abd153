// Linux stand-in for <commctrl.h>: the report-mode list view and image lists, with commctrl.h's names,
// values and structure layouts. Not pulled in by <windows.h>; include it as on Windows.
#ifndef _INC_COMMCTRL
#define _INC_COMMCTRL
#define ABK_COMMCTRL_H

#include <windows.h>

#ifndef SNDMSG
#ifdef __cplusplus
#define SNDMSG ::SendMessage
#else
#define SNDMSG SendMessage
#endif
#endif

// ---------------------------------------------------------------------------
// Common controls initialisation: every class we have is always registered.
// ---------------------------------------------------------------------------

typedef struct tagINITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

#define ICC_LISTVIEW_CLASSES 0x1
#define ICC_TREEVIEW_CLASSES 0x2
#define ICC_BAR_CLASSES 0x4
#define ICC_TAB_CLASSES 0x8
#define ICC_UPDOWN_CLASS 0x10
#define ICC_WIN95_CLASSES 0xff

#ifdef __cplusplus
extern "C" {
#endif
ABK_EXPORT void WINAPI InitCommonControls(void);
ABK_EXPORT BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);
#ifdef __cplusplus
}
#endif

// ---------------------------------------------------------------------------
// Image lists.
// ---------------------------------------------------------------------------

struct _IMAGELIST;
typedef struct _IMAGELIST* HIMAGELIST;

#define CLR_NONE 0xffffffffL
#define CLR_DEFAULT 0xff000000L

#define ILC_MASK 0x1
#define ILC_COLOR 0x0
#define ILC_COLORDDB 0xfe
#define ILC_COLOR4 0x4
#define ILC_COLOR8 0x8
#define ILC_COLOR16 0x10
#define ILC_COLOR24 0x18
#define ILC_COLOR32 0x20
#define ILC_PALETTE 0x800
#define ILC_MIRROR 0x2000
#define ILC_PERITEMMIRROR 0x8000

#ifdef __cplusplus
extern "C" {
#endif
ABK_EXPORT HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
ABK_EXPORT BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
ABK_EXPORT int WINAPI ImageList_GetImageCount(HIMAGELIST himl);
ABK_EXPORT int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
ABK_EXPORT int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
ABK_EXPORT BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
#ifdef __cplusplus
}
#endif
#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)

// ---------------------------------------------------------------------------
// The list view.
// ---------------------------------------------------------------------------

#define WC_LISTVIEWA "SysListView32"
#define WC_LISTVIEW WC_LISTVIEWA

#define LVS_ICON 0x0
#define LVS_REPORT 0x1
#define LVS_SMALLICON 0x2
#define LVS_LIST 0x3
#define LVS_TYPEMASK 0x3
#define LVS_SINGLESEL 0x4
#define LVS_SHOWSELALWAYS 0x8
#define LVS_SORTASCENDING 0x10
#define LVS_SORTDESCENDING 0x20
#define LVS_SHAREIMAGELISTS 0x40
#define LVS_NOLABELWRAP 0x80
#define LVS_AUTOARRANGE 0x100
#define LVS_EDITLABELS 0x200
#define LVS_OWNERDATA 0x1000
#define LVS_NOSCROLL 0x2000
#define LVS_TYPESTYLEMASK 0xfc00
#define LVS_ALIGNTOP 0x0
#define LVS_ALIGNLEFT 0x800
#define LVS_ALIGNMASK 0xc00
#define LVS_OWNERDRAWFIXED 0x400
#define LVS_NOCOLUMNHEADER 0x4000
#define LVS_NOSORTHEADER 0x8000

#define LVS_EX_GRIDLINES 0x1
#define LVS_EX_SUBITEMIMAGES 0x2
#define LVS_EX_CHECKBOXES 0x4
#define LVS_EX_TRACKSELECT 0x8
#define LVS_EX_HEADERDRAGDROP 0x10
#define LVS_EX_FULLROWSELECT 0x20
#define LVS_EX_ONECLICKACTIVATE 0x40
#define LVS_EX_TWOCLICKACTIVATE 0x80
#define LVS_EX_INFOTIP 0x400
#define LVS_EX_LABELTIP 0x4000
#define LVS_EX_DOUBLEBUFFER 0x10000

#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVSIL_STATE 2
#define LVSIL_GROUPHEADER 3

#define LVIF_TEXT 0x1
#define LVIF_IMAGE 0x2
#define LVIF_PARAM 0x4
#define LVIF_STATE 0x8
#define LVIF_INDENT 0x10
#define LVIF_NORECOMPUTE 0x800
#define LVIF_GROUPID 0x100
#define LVIF_COLUMNS 0x200

#define LVIS_FOCUSED 0x1
#define LVIS_SELECTED 0x2
#define LVIS_CUT 0x4
#define LVIS_DROPHILITED 0x8
#define LVIS_GLOW 0x10
#define LVIS_ACTIVATING 0x20
#define LVIS_OVERLAYMASK 0xf00
#define LVIS_STATEIMAGEMASK 0xF000
#define INDEXTOSTATEIMAGEMASK(i) ((i) << 12)

#define LVNI_ALL 0x0
#define LVNI_FOCUSED 0x1
#define LVNI_SELECTED 0x2
#define LVNI_CUT 0x4
#define LVNI_DROPHILITED 0x8
#define LVNI_STATEMASK (LVNI_FOCUSED | LVNI_SELECTED | LVNI_CUT | LVNI_DROPHILITED)
#define LVNI_PREVIOUS 0x20

#define LVFI_PARAM 0x1
#define LVFI_STRING 0x2
#define LVFI_PARTIAL 0x8
#define LVFI_WRAP 0x20
#define LVFI_NEARESTXY 0x40

#define LVCF_FMT 0x1
#define LVCF_WIDTH 0x2
#define LVCF_TEXT 0x4
#define LVCF_SUBITEM 0x8
#define LVCF_IMAGE 0x10
#define LVCF_ORDER 0x20

#define LVCFMT_LEFT 0x0
#define LVCFMT_RIGHT 0x1
#define LVCFMT_CENTER 0x2
#define LVCFMT_JUSTIFYMASK 0x3
#define LVCFMT_IMAGE 0x800
#define LVCFMT_BITMAP_ON_RIGHT 0x1000
#define LVCFMT_COL_HAS_IMAGES 0x8000

#define LVSCW_AUTOSIZE -1
#define LVSCW_AUTOSIZE_USEHEADER -2

#define LPSTR_TEXTCALLBACKA ((LPSTR)(INT_PTR)-1)
#define LPSTR_TEXTCALLBACK LPSTR_TEXTCALLBACKA
#define I_IMAGECALLBACK (-1)
#define I_IMAGENONE (-2)

typedef struct tagLVITEMA {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
  int iIndent;
  int iGroupId;
  UINT cColumns;
  PUINT puColumns;
  int* piColFmt;
  int iGroup;
} LVITEMA, *LPLVITEMA;
#define LVITEM LVITEMA
#define LPLVITEM LPLVITEMA
#define LV_ITEMA LVITEMA
#define LV_ITEM LVITEM

typedef struct tagLVCOLUMNA {
  UINT mask;
  int fmt;
  int cx;
  LPSTR pszText;
  int cchTextMax;
  int iSubItem;
  int iImage;
  int iOrder;
  int cxMin;
  int cxDefault;
  int cxIdeal;
} LVCOLUMNA, *LPLVCOLUMNA;
#define LVCOLUMN LVCOLUMNA
#define LPLVCOLUMN LPLVCOLUMNA
#define LV_COLUMNA LVCOLUMNA
#define LV_COLUMN LVCOLUMN

typedef struct tagLVFINDINFOA {
  UINT flags;
  LPCSTR psz;
  LPARAM lParam;
  POINT pt;
  UINT vkDirection;
} LVFINDINFOA, *LPFINDINFOA;
#define LVFINDINFO LVFINDINFOA
#define LV_FINDINFOA LVFINDINFOA
#define LV_FINDINFO LVFINDINFO

typedef struct tagNMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
} NMLISTVIEW, *LPNMLISTVIEW;
#define NM_LISTVIEW NMLISTVIEW
#define LPNM_LISTVIEW LPNMLISTVIEW

typedef int(CALLBACK* PFNLVCOMPARE)(LPARAM, LPARAM, LPARAM);

#define LVN_FIRST (0U - 100U)
#define LVN_ITEMCHANGING (LVN_FIRST - 0)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)
#define LVN_INSERTITEM (LVN_FIRST - 2)
#define LVN_DELETEITEM (LVN_FIRST - 3)
#define LVN_DELETEALLITEMS (LVN_FIRST - 4)
#define LVN_COLUMNCLICK (LVN_FIRST - 8)

#define LVM_FIRST 0x1000
#define LVM_GETIMAGELIST (LVM_FIRST + 2)
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_FINDITEMA (LVM_FIRST + 13)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_REDRAWITEMS (LVM_FIRST + 21)
#define LVM_GETCOLUMNA (LVM_FIRST + 25)
#define LVM_SETCOLUMNA (LVM_FIRST + 26)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_DELETECOLUMN (LVM_FIRST + 28)
#define LVM_GETCOLUMNWIDTH (LVM_FIRST + 29)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_GETHEADER (LVM_FIRST + 31)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_SORTITEMS (LVM_FIRST + 48)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)

#define LVM_GETITEM LVM_GETITEMA
#define LVM_SETITEM LVM_SETITEMA
#define LVM_INSERTITEM LVM_INSERTITEMA
#define LVM_FINDITEM LVM_FINDITEMA
#define LVM_GETCOLUMN LVM_GETCOLUMNA
#define LVM_SETCOLUMN LVM_SETCOLUMNA
#define LVM_INSERTCOLUMN LVM_INSERTCOLUMNA
#define LVM_GETITEMTEXT LVM_GETITEMTEXTA
#define LVM_SETITEMTEXT LVM_SETITEMTEXTA

// The message macros, as commctrl.h writes them.
#define ListView_GetImageList(hwnd, iImageList)                                                                        \
  (HIMAGELIST) SNDMSG((hwnd), LVM_GETIMAGELIST, (WPARAM)(INT)(iImageList), (LPARAM)0)
#define ListView_SetImageList(hwnd, himl, iImageList)                                                                  \
  (HIMAGELIST) SNDMSG((hwnd), LVM_SETIMAGELIST, (WPARAM)(iImageList), (LPARAM)(HIMAGELIST)(himl))
#define ListView_GetItemCount(hwnd) (int)SNDMSG((hwnd), LVM_GETITEMCOUNT, (WPARAM)0, (LPARAM)0)
#define ListView_GetItem(hwnd, pitem) (BOOL) SNDMSG((hwnd), LVM_GETITEM, 0, (LPARAM)(LV_ITEM*)(pitem))
#define ListView_SetItem(hwnd, pitem) (BOOL) SNDMSG((hwnd), LVM_SETITEM, 0, (LPARAM)(const LV_ITEM*)(pitem))
#define ListView_InsertItem(hwnd, pitem) (int)SNDMSG((hwnd), LVM_INSERTITEM, 0, (LPARAM)(const LV_ITEM*)(pitem))
#define ListView_DeleteItem(hwnd, i) (BOOL) SNDMSG((hwnd), LVM_DELETEITEM, (WPARAM)(int)(i), (LPARAM)0)
#define ListView_DeleteAllItems(hwnd) (BOOL) SNDMSG((hwnd), LVM_DELETEALLITEMS, (WPARAM)0, (LPARAM)0)
#define ListView_GetNextItem(hwnd, i, flags)                                                                           \
  (int)SNDMSG((hwnd), LVM_GETNEXTITEM, (WPARAM)(int)(i), MAKELPARAM((flags), 0))
#define ListView_FindItem(hwnd, iStart, plvfi)                                                                         \
  (int)SNDMSG((hwnd), LVM_FINDITEM, (WPARAM)(int)(iStart), (LPARAM)(const LV_FINDINFO*)(plvfi))
#define ListView_EnsureVisible(hwndLV, i, fPartialOK)                                                                  \
  (BOOL) SNDMSG((hwndLV), LVM_ENSUREVISIBLE, (WPARAM)(int)(i), MAKELPARAM((fPartialOK), 0))
#define ListView_RedrawItems(hwndLV, iFirst, iLast)                                                                    \
  (BOOL) SNDMSG((hwndLV), LVM_REDRAWITEMS, (WPARAM)(int)(iFirst), (LPARAM)(int)(iLast))
#define ListView_GetColumn(hwnd, iCol, pcol)                                                                           \
  (BOOL) SNDMSG((hwnd), LVM_GETCOLUMN, (WPARAM)(int)(iCol), (LPARAM)(LV_COLUMN*)(pcol))
#define ListView_SetColumn(hwnd, iCol, pcol)                                                                           \
  (BOOL) SNDMSG((hwnd), LVM_SETCOLUMN, (WPARAM)(int)(iCol), (LPARAM)(const LV_COLUMN*)(pcol))
#define ListView_InsertColumn(hwnd, iCol, pcol)                                                                        \
  (int)SNDMSG((hwnd), LVM_INSERTCOLUMN, (WPARAM)(int)(iCol), (LPARAM)(const LV_COLUMN*)(pcol))
#define ListView_DeleteColumn(hwnd, iCol) (BOOL) SNDMSG((hwnd), LVM_DELETECOLUMN, (WPARAM)(int)(iCol), 0)
#define ListView_GetColumnWidth(hwnd, iCol) (int)SNDMSG((hwnd), LVM_GETCOLUMNWIDTH, (WPARAM)(int)(iCol), 0)
#define ListView_SetColumnWidth(hwnd, iCol, cx)                                                                        \
  (BOOL) SNDMSG((hwnd), LVM_SETCOLUMNWIDTH, (WPARAM)(int)(iCol), MAKELPARAM((cx), 0))
#define ListView_GetHeader(hwnd) (HWND) SNDMSG((hwnd), LVM_GETHEADER, (WPARAM)0, (LPARAM)0)
#define ListView_SetItemState(hwndLV, i, data, mask)                                                                   \
  {                                                                                                                    \
    LV_ITEM _ms_lvi;                                                                                                   \
    _ms_lvi.stateMask = mask;                                                                                          \
    _ms_lvi.state = data;                                                                                              \
    SNDMSG((hwndLV), LVM_SETITEMSTATE, (WPARAM)(i), (LPARAM)(LV_ITEM*)&_ms_lvi);                                       \
  }
#define ListView_GetItemState(hwndLV, i, mask) (UINT) SNDMSG((hwndLV), LVM_GETITEMSTATE, (WPARAM)(i), (LPARAM)(mask))
#define ListView_GetItemText(hwndLV, i, iSubItem_, pszText_, cchTextMax_)                                              \
  {                                                                                                                    \
    LV_ITEM _ms_lvi;                                                                                                   \
    _ms_lvi.iSubItem = iSubItem_;                                                                                      \
    _ms_lvi.cchTextMax = cchTextMax_;                                                                                  \
    _ms_lvi.pszText = pszText_;                                                                                        \
    SNDMSG((hwndLV), LVM_GETITEMTEXT, (WPARAM)(i), (LPARAM)(LV_ITEM*)&_ms_lvi);                                        \
  }
#define ListView_SetItemText(hwndLV, i, iSubItem_, pszText_)                                                           \
  {                                                                                                                    \
    LV_ITEM _ms_lvi;                                                                                                   \
    _ms_lvi.iSubItem = iSubItem_;                                                                                      \
    _ms_lvi.pszText = pszText_;                                                                                        \
    SNDMSG((hwndLV), LVM_SETITEMTEXT, (WPARAM)(i), (LPARAM)(LV_ITEM*)&_ms_lvi);                                        \
  }
#define ListView_SortItems(hwndLV, _pfnCompare, _lPrm)                                                                 \
  (BOOL) SNDMSG((hwndLV), LVM_SORTITEMS, (WPARAM)(LPARAM)(_lPrm), (LPARAM)(PFNLVCOMPARE)(_pfnCompare))
#define ListView_GetSelectedCount(hwndLV) (UINT) SNDMSG((hwndLV), LVM_GETSELECTEDCOUNT, (WPARAM)0, (LPARAM)0)
#define ListView_SetExtendedListViewStyle(hwndLV, dw) (DWORD) SNDMSG((hwndLV), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, dw)
#define ListView_SetExtendedListViewStyleEx(hwndLV, dwMask, dw)                                                        \
  (DWORD) SNDMSG((hwndLV), LVM_SETEXTENDEDLISTVIEWSTYLE, dwMask, dw)
#define ListView_GetExtendedListViewStyle(hwndLV) (DWORD) SNDMSG((hwndLV), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)

#endif // _INC_COMMCTRL
