// The dialog driver on Windows. A CBT hook on the calling thread sees every dialog window (class
// #32770) as it is activated. A message box (a dialog of USER32's own) has its text, caption and icon
// recorded and the queued answer posted to it. Any other dialog is queued, and a thread timer, which the
// dialog's own modal loop dispatches, runs its script. A dialog its script leaves open is cancelled.
#include "host/dialog_driver.h"
#include "host/picture_check.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

namespace host {

namespace {

DialogDriver* g_driver = nullptr;
HHOOK g_hook = nullptr;
std::vector<HWND> g_pending;
std::set<HWND> g_seen; // dialogs and boxes already handled, until they are destroyed

// USER32 builds message boxes from a template of its own, whose icon control no dialog of ours uses.
bool IsMessageBox(HWND window) {
  HMODULE owner = reinterpret_cast<HMODULE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
  if (owner == GetModuleHandleA("user32.dll")) return true;
  return GetDlgItem(window, 0x0014) || GetDlgItem(window, 0x0440);
}

bool IsDialogWindow(HWND window) {
  char name[16] = "";
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, "#32770") == 0;
}

// The MB_ICON... style whose standard icon the box shows; Windows and Wine number the icon control
// differently.
UINT IconOfBox(HWND box) {
  HICON shown = nullptr;
  for (int id : {0x0014, 0x0440}) {
    HWND control = GetDlgItem(box, id);
    if (control) shown = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
    if (shown) break;
  }
  if (!shown) return 0;
  const struct {
    LPCSTR icon;
    UINT style;
  } kIcons[] = {{IDI_HAND, MB_ICONSTOP},
                {IDI_QUESTION, MB_ICONQUESTION},
                {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                {IDI_ASTERISK, MB_ICONINFORMATION}};
  for (const auto& kind : kIcons) {
    if (LoadIconA(nullptr, kind.icon) == shown) return kind.style;
  }
  return MB_USERICON;
}

void AnswerBox(HWND box) {
  char text[4096] = "";
  char caption[512] = "";
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  GetWindowTextA(box, caption, sizeof caption);
  g_driver->RecordMessage({text, caption, IconOfBox(box)});
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(g_driver->NextAnswer(), BN_CLICKED), 0);
}

bool IsShown(HWND dialog) { return IsWindow(dialog) && IsWindowVisible(dialog); }

// A modal dialog is shown when its message loop first finds the queue empty, which can come after the
// driver's timer; the user acts on a dialog that is on the screen, so its script waits until then
// (about five seconds at most, for a dialog that never shows itself).
constexpr UINT kShowWaitMs = 20;
constexpr int kMostShowWaits = 250;
int g_showWaits = 0;

void CALLBACK RunPendingDialogs(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  while (!g_pending.empty()) {
    HWND dialog = g_pending.front();
    if (g_driver && IsWindow(dialog) && !IsWindowVisible(dialog) && g_showWaits < kMostShowWaits) {
      ++g_showWaits;
      SetTimer(nullptr, 0, kShowWaitMs, RunPendingDialogs);
      return;
    }
    g_showWaits = 0;
    g_pending.erase(g_pending.begin());
    if (!g_driver || !IsWindow(dialog)) continue;
    g_driver->RunDialog(dialog);
    if (IsShown(dialog)) {
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
    }
    if (IsShown(dialog)) EndDialog(dialog, -1);
  }
}

LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam) {
  HWND window = reinterpret_cast<HWND>(wParam);
  if (code == HCBT_DESTROYWND) g_seen.erase(window);
  if (code == HCBT_ACTIVATE && g_driver && !g_seen.count(window) && IsDialogWindow(window)) {
    g_seen.insert(window);
    if (IsMessageBox(window)) {
      AnswerBox(window);
    } else {
      g_pending.push_back(window);
      SetTimer(nullptr, 0, 0, RunPendingDialogs);
    }
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

// A dialog nobody drives waits for a user for ever. While a driver is installed, a watchdog ends the
// process after ABK_DIALOG_WATCHDOG seconds (300 by default), so a stuck dialog fails a test run
// instead of hanging it.
class Watchdog {
public:
  void Start() {
    const char* setting = std::getenv("ABK_DIALOG_WATCHDOG");
    int seconds = setting && std::atoi(setting) > 0 ? std::atoi(setting) : 300;
    stop_ = false;
    thread_ = std::thread([this, seconds] {
      std::unique_lock<std::mutex> hold(lock_);
      if (wake_.wait_for(hold, std::chrono::seconds(seconds), [this] { return stop_; })) return;
      std::fprintf(stderr, "dialog driver: a dialog was still open after %d seconds; giving up\n", seconds);
      std::fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 3);
    });
  }
  void Stop() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> hold(lock_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

private:
  std::thread thread_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
};

Watchdog g_watchdog;

} // namespace

void DialogDriver::Install() {
  g_driver = this;
  g_hook = SetWindowsHookExA(WH_CBT, WatchDialogs, nullptr, GetCurrentThreadId());
  g_watchdog.Start();
}

void DialogDriver::Uninstall() {
  g_watchdog.Stop();
  if (g_hook) UnhookWindowsHookEx(g_hook);
  g_hook = nullptr;
  g_driver = nullptr;
  g_pending.clear();
  g_seen.clear();
}

void DialogDriver::AnswerMessageBox(int answer) { answers_.push_back(answer); }

const std::vector<ShownMessage>& DialogDriver::Messages() { return messages_; }

namespace {

// Lets the display catch up with what the dialog drew: its own messages, then a pause.
void Settle(int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  }
}

// What the screen shows of the window now, as 24-bit rows bottom-up (the BMP file's order).
bool Photograph(HWND window, const RECT& frame, std::vector<BYTE>* rows, BITMAPINFOHEADER* info) {
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP picture = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
  SelectObject(memory, previous);
  *info = {};
  info->biSize = sizeof *info;
  info->biWidth = width;
  info->biHeight = height;
  info->biPlanes = 1;
  info->biBitCount = 24;
  info->biCompression = BI_RGB;
  DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  rows->assign(rowBytes * static_cast<DWORD>(height), 0);
  bool read = GetDIBits(memory, picture, 0, static_cast<UINT>(height), rows->data(),
                        reinterpret_cast<BITMAPINFO*>(info), DIB_RGB_COLORS) == height;
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return read;
}

Picture ToPicture(const std::vector<BYTE>& rows, int width, int height) {
  Picture picture;
  picture.width = width;
  picture.height = height;
  size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  for (int y = 0; y < height; ++y) {
    const BYTE* row = rows.data() + static_cast<size_t>(height - 1 - y) * rowBytes;
    for (int x = 0; x < width; ++x) {
      const BYTE* bgr = row + static_cast<size_t>(x) * 3;
      picture.pixels.push_back(static_cast<std::uint32_t>(bgr[2]) << 16 | static_cast<std::uint32_t>(bgr[1]) << 8 |
                               bgr[0]);
    }
  }
  return picture;
}

std::uint32_t SystemColour(int index) {
  COLORREF colour = GetSysColor(index);
  return static_cast<std::uint32_t>(GetRValue(colour)) << 16 | static_cast<std::uint32_t>(GetGValue(colour)) << 8 |
         GetBValue(colour);
}

// Where the caption band is in a picture of the window, and the colours it may be drawn in.
DialogLook LookOf(HWND window, const RECT& frame) {
  DialogLook look;
  TITLEBARINFO bar = {};
  bar.cbSize = sizeof bar;
  if (GetTitleBarInfo(window, &bar) && !(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE)) {
    look.captionLeft = bar.rcTitleBar.left - frame.left;
    look.captionTop = bar.rcTitleBar.top - frame.top;
    look.captionRight = bar.rcTitleBar.right - frame.left;
    look.captionBottom = bar.rcTitleBar.bottom - frame.top;
  }
  for (int index :
       {COLOR_ACTIVECAPTION, COLOR_GRADIENTACTIVECAPTION, COLOR_INACTIVECAPTION, COLOR_GRADIENTINACTIVECAPTION}) {
    look.captionColours.push_back(SystemColour(index));
  }
  return look;
}

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& info, const std::vector<BYTE>& rows) {
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42; // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(rows.size());
  FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return false;
  bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                 std::fwrite(rows.data(), rows.size(), 1, out) == 1;
  return std::fclose(out) == 0 && written;
}

} // namespace

std::string DialogView::SaveScreenshot(const std::string& bmpPath) const {
  RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  // The display shows a new window a moment after it is drawn; a picture taken too soon is blank, so it
  // is taken again, a little later each time, until it shows the dialog.
  std::string problem = "the dialog has no size on the screen";
  std::vector<BYTE> rows;
  BITMAPINFOHEADER info = {};
  for (int attempt = 1; attempt <= 8 && !problem.empty(); ++attempt) {
    Settle(100 * attempt);
    RECT frame;
    if (!GetWindowRect(dialog_, &frame) || frame.right <= frame.left || frame.bottom <= frame.top) continue;
    if (!Photograph(dialog_, frame, &rows, &info)) {
      problem = "the screen could not be read";
      continue;
    }
    problem = ProblemWithPicture(ToPicture(rows, info.biWidth, info.biHeight), LookOf(dialog_, frame));
  }
  // A bad picture is written too, for whoever looks into the failure.
  if (!rows.empty() && !WriteBmp(bmpPath, info, rows)) return "cannot write " + bmpPath;
  return problem;
}

void DialogView::Type(int id, const std::string& text) {
  HWND edit = Control(id);
  if (ClassOf(id) == "COMBOBOX") edit = FindWindowExA(edit, nullptr, "Edit", nullptr);
  SendMessageA(edit, EM_SETSEL, 0, -1);
  SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

} // namespace host
