// Keeping a name within its byte limit in double-byte code pages, where 64 characters may take up to
// 128 bytes: the characters just before the caret go, the rest of the name stays.
#include "service/config_dialog.h"

#include "provider/heap.h"

namespace abk {

namespace {

// Bytes that count characters [from, from + count) of text take in the ANSI code page; -1 on failure.
int AnsiBytes(const WCHAR* text, int from, int count) {
  int bytes = WideCharToMultiByte(CP_ACP, 0, text + from, count, nullptr, 0, nullptr, nullptr);
  return bytes > 0 ? bytes : -1;
}

// Removes characters [first, last) of the edit's text as an edit that is not undoable.
void RemoveCharacters(HWND edit, int first, int last) {
  SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(first), static_cast<LPARAM>(last));
  SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

} // namespace

int LimitNameBytes(HWND edit, int limit) {
  int room = 2 * limit + 1;
  char* text = static_cast<char*>(HeapAllocate(static_cast<size_t>(room)));
  if (!text) return -1;
  memset(text, 0, static_cast<size_t>(room));
  GetWindowTextA(edit, text, room);
  int length = static_cast<int>(strlen(text));
  if (length <= limit) {
    HeapFree(text);
    return 0;
  }
  int excess = length - limit;

  POINT caret = {0, 0};
  GetCaretPos(&caret);
  LRESULT position = SendMessageA(edit, EM_CHARFROMPOS, 0, MAKELPARAM(caret.x, caret.y));
  // A single-line edit answers line 0 in the high word: the whole value is the character index.
  int caretAt = static_cast<int>(position);

  int result = -1;
  WCHAR* wide = static_cast<WCHAR*>(HeapAllocate(sizeof(WCHAR) * static_cast<size_t>(room)));
  int wideLength = wide ? MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, wide, room) - 1 : -1;
  if (wideLength >= 0) {
    // A caret past the end (never from a real edit) must not send the loop past the text.
    if (caretAt > wideLength) caretAt = wideLength;
    result = 0;
    for (int k = 1; caretAt - k >= 0; ++k) {
      int bytes = AnsiBytes(wide, caretAt - k, k);
      if (bytes < 0) {
        result = -1;
        break;
      }
      if (bytes >= excess) {
        RemoveCharacters(edit, caretAt - k, caretAt);
        result = 1;
        break;
      }
    }
  }
  HeapFree(wide);
  HeapFree(text);
  return result;
}

} // namespace abk
