// String-table message boxes, selecting and focusing a control, trimming white space.
#include "dialogs/dialog_common.h"
#include "provider/heap.h"

namespace abk {

namespace {

constexpr int kMessageBufferSize = 512;

bool IsWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

} // namespace

int ShowStringMessage(HWND owner, HINSTANCE instance, UINT textId, UINT captionId, UINT style) {
  char* text = static_cast<char*>(HeapAllocate(kMessageBufferSize));
  if (!text) return -1;
  char* caption = static_cast<char*>(HeapAllocate(kMessageBufferSize));
  int result = -1;
  if (caption && LoadStringA(instance, textId, text, kMessageBufferSize) > 0 &&
      LoadStringA(instance, captionId, caption, kMessageBufferSize) > 0) {
    int answer = MessageBoxA(owner, text, caption, style);
    result = answer ? answer : -1;
  }
  HeapFree(caption);
  HeapFree(text);
  return result;
}

void SelectAndFocus(HWND dialog, int controlId) {
  HWND control = GetDlgItem(dialog, controlId);
  SendMessageA(control, EM_SETSEL, 0, -1);
  SetFocus(control);
}

char* TrimSpaces(char* text) {
  if (!text) return nullptr;
  char* start = text;
  while (*start && IsWhiteSpace(*start))
    ++start;
  size_t length = strlen(start);
  while (length > 0 && IsWhiteSpace(start[length - 1]))
    --length;
  memmove(text, start, length);
  text[length] = '\0';
  return text;
}

} // namespace abk
