// The help capture of both platforms.
#include "support/help_capture.h"

#ifdef _WIN32
#include <cstring>
#else
#include <abkplatform.h>
#endif

namespace abktest {

#ifdef _WIN32

namespace {

std::vector<HelpRequest> g_requests;

BOOL WINAPI RecordHelp(HWND window, LPCSTR file, UINT command, ULONG_PTR data) {
  g_requests.push_back({window, file ? std::optional<std::string>(file) : std::nullopt, command, data});
  return TRUE;
}

// The import address table slot through which this program calls USER32's WinHelpA.
void** WinHelpSlot(HMODULE module) {
  BYTE* base = reinterpret_cast<BYTE*>(module ? module : GetModuleHandleA(nullptr));
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (!imports.VirtualAddress) return nullptr;
  auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
  for (; library->Name; ++library) {
    if (_stricmp(reinterpret_cast<char*>(base + library->Name), "user32.dll") != 0) continue;
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      auto* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(name->Name), "WinHelpA") == 0) {
        return reinterpret_cast<void**>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}

void* g_original = nullptr;
HMODULE g_module = nullptr;

void Redirect(void* target, void** previous) {
  void** slot = WinHelpSlot(g_module);
  if (!slot) return;
  DWORD protection = 0;
  VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &protection);
  if (previous) *previous = *slot;
  *slot = target;
  VirtualProtect(slot, sizeof(void*), protection, &protection);
}

} // namespace

HelpCapture::HelpCapture(HMODULE module) {
  g_requests.clear();
  g_module = module;
  Redirect(reinterpret_cast<void*>(&RecordHelp), &g_original);
}

HelpCapture::~HelpCapture() {
  if (g_original) Redirect(g_original, nullptr);
  g_original = nullptr;
}

std::vector<HelpRequest> HelpCapture::Requests() const { return g_requests; }

#else

HelpCapture::HelpCapture(HMODULE) { AbkClearHelpRequests(); }

HelpCapture::~HelpCapture() { AbkClearHelpRequests(); }

std::vector<HelpRequest> HelpCapture::Requests() const {
  std::vector<HelpRequest> requests;
  for (int i = 0; i < AbkHelpRequestCount(); ++i) {
    AbkHelpRecord record = {};
    AbkHelpRequestAt(i, &record);
    requests.push_back({record.window, record.file ? std::optional<std::string>(record.file) : std::nullopt,
                        record.command, record.data});
  }
  return requests;
}

#endif

} // namespace abktest
