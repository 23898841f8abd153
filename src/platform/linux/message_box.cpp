// MessageBoxA and WinHelpA: recorded for whoever drives the dialogs, answered from a queue.
#include <abkplatform.h>

#include <deque>
#include <mutex>
#include <string>

namespace {

struct MessageBoxEntry {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
  int answer;
};

struct HelpEntry {
  HWND window;
  bool hasFile;
  std::string file;
  UINT command;
  ULONG_PTR data;
};

std::mutex g_lock;
// Deques keep the recorded strings in place while more are added.
std::deque<MessageBoxEntry> g_boxes;
std::deque<int> g_answers;
std::deque<HelpEntry> g_help;

} // namespace

extern "C" int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  std::lock_guard<std::mutex> guard(g_lock);
  int answer = IDOK;
  if (!g_answers.empty()) {
    answer = g_answers.front();
    g_answers.pop_front();
  }
  // A null caption shows as "Error", as on Windows.
  g_boxes.push_back({hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType, answer});
  return answer;
}

extern "C" BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_help.push_back({hWndMain, lpszHelp != nullptr, lpszHelp ? lpszHelp : "", uCommand, dwData});
  return TRUE;
}

extern "C" void AbkQueueMessageBoxAnswer(int answer) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_answers.push_back(answer);
}

extern "C" int AbkMessageBoxCount(void) {
  std::lock_guard<std::mutex> guard(g_lock);
  return static_cast<int>(g_boxes.size());
}

extern "C" BOOL AbkMessageBoxAt(int index, AbkMessageBoxRecord* record) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!record || index < 0 || static_cast<size_t>(index) >= g_boxes.size()) return FALSE;
  const MessageBoxEntry& entry = g_boxes[static_cast<size_t>(index)];
  *record = {entry.owner, entry.text.c_str(), entry.caption.c_str(), entry.type, entry.answer};
  return TRUE;
}

extern "C" void AbkClearMessageBoxes(void) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_boxes.clear();
  g_answers.clear();
}

extern "C" int AbkHelpRequestCount(void) {
  std::lock_guard<std::mutex> guard(g_lock);
  return static_cast<int>(g_help.size());
}

extern "C" BOOL AbkHelpRequestAt(int index, AbkHelpRecord* record) {
  std::lock_guard<std::mutex> guard(g_lock);
  if (!record || index < 0 || static_cast<size_t>(index) >= g_help.size()) return FALSE;
  const HelpEntry& entry = g_help[static_cast<size_t>(index)];
  *record = {entry.window, entry.hasFile ? entry.file.c_str() : nullptr, entry.command, entry.data};
  return TRUE;
}

extern "C" void AbkClearHelpRequests(void) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_help.clear();
}
