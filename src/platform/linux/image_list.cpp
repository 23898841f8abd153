// Image lists: a handle keeps its image size and the icons added to it. Handles live in a registry of
// their own, so a destroyed or foreign handle is refused instead of followed.
#include <abkplatform.h>
#include <commctrl.h>

#include <mutex>
#include <set>
#include <vector>

struct _IMAGELIST {
  int cx = 0;
  int cy = 0;
  UINT flags = 0;
  // An added bitmap has no icon: its entry stays null.
  std::vector<HICON> icons;
};

namespace {

// Unlike windows, image lists may be made and destroyed on any thread.
std::mutex g_lock;

std::set<HIMAGELIST>& LiveImageLists() {
  static std::set<HIMAGELIST> live;
  return live;
}

bool IsLive(HIMAGELIST list) { return list && LiveImageLists().count(list) != 0; }

} // namespace

extern "C" void WINAPI InitCommonControls(void) {}

extern "C" BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  return picce && picce->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

extern "C" HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
  (void)cGrow;
  if (cx <= 0 || cy <= 0 || cInitial < 0) return nullptr;
  auto* list = new _IMAGELIST;
  list->cx = cx;
  list->cy = cy;
  list->flags = flags;
  list->icons.reserve(static_cast<size_t>(cInitial));
  std::lock_guard<std::mutex> guard(g_lock);
  LiveImageLists().insert(list);
  return list;
}

extern "C" BOOL WINAPI ImageList_Destroy(HIMAGELIST himl) {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!IsLive(himl)) return FALSE;
    LiveImageLists().erase(himl);
  }
  delete himl;
  return TRUE;
}

extern "C" int WINAPI ImageList_GetImageCount(HIMAGELIST himl) {
  std::lock_guard<std::mutex> guard(g_lock);
  return IsLive(himl) ? static_cast<int>(himl->icons.size()) : 0;
}

extern "C" BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!IsLive(himl) || !cx || !cy) return FALSE;
  *cx = himl->cx;
  *cy = himl->cy;
  return TRUE;
}

// Bitmaps are not read headless: a bitmap counts as one image, whatever its width.
extern "C" int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
  (void)hbmMask;
  std::lock_guard<std::mutex> guard(g_lock);
  if (!IsLive(himl) || !hbmImage) return -1;
  himl->icons.push_back(nullptr);
  return static_cast<int>(himl->icons.size()) - 1;
}

// Index -1 appends (ImageList_AddIcon); an existing index is replaced.
extern "C" int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!IsLive(himl) || !hicon) return -1;
  if (i == -1) {
    himl->icons.push_back(hicon);
    return static_cast<int>(himl->icons.size()) - 1;
  }
  if (i < 0 || i >= static_cast<int>(himl->icons.size())) return -1;
  himl->icons[static_cast<size_t>(i)] = hicon;
  return i;
}

extern "C" int AbkLiveImageListCount(void) {
  std::lock_guard<std::mutex> guard(g_lock);
  return static_cast<int>(LiveImageLists().size());
}
