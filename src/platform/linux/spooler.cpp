// GetPrinterDriverDirectoryA: where the fax driver's companion files live.
#include <abkplatform.h>
#include <windows.h>
#include <winspool.h>

#include "internal.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace {

// Folder set by AbkPlatformSetPrinterDriverDirectory. Never destroyed, so
// calls made from other libraries' exit-time code stay safe.
struct DriverDirectorySetting {
  std::mutex mutex;
  std::optional<std::string> folder;
};

DriverDirectorySetting& Setting() {
  static auto* setting = new DriverDirectorySetting;
  return *setting;
}

// Windows answers without a trailing separator; keep that for every source.
std::string WithoutTrailingSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/')
    folder.pop_back();
  return folder;
}

std::string DriverDirectoryFor(const void* caller) {
  {
    DriverDirectorySetting& setting = Setting();
    std::lock_guard<std::mutex> lock(setting.mutex);
    if (setting.folder) return WithoutTrailingSlash(*setting.folder);
  }
  const char* fromEnvironment = std::getenv("ABK_PRINTER_DRIVER_DIR");
  if (fromEnvironment != nullptr && fromEnvironment[0] != '\0') return WithoutTrailingSlash(fromEnvironment);
  // The provider is installed beside the driver files, so its own folder
  // is the natural answer.
  return abkwin::FolderOf(abkwin::ModulePathOfAddress(caller));
}

} // namespace

void AbkPlatformSetPrinterDriverDirectory(const char* dirOrNull) {
  DriverDirectorySetting& setting = Setting();
  std::lock_guard<std::mutex> lock(setting.mutex);
  if (dirOrNull == nullptr)
    setting.folder.reset();
  else
    setting.folder = dirOrNull;
}

BOOL WINAPI GetPrinterDriverDirectoryA(LPSTR, LPSTR, DWORD Level, LPBYTE pDriverDirectory, DWORD cbBuf,
                                       LPDWORD pcbNeeded) {
  // Taken first thing: the caller's address tells whose folder to report.
  const void* caller = __builtin_return_address(0);
  if (Level != 1) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  if (pcbNeeded == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string folder = DriverDirectoryFor(caller);
  if (folder.empty()) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  DWORD needed = static_cast<DWORD>(folder.size() + 1);
  *pcbNeeded = needed;
  if (pDriverDirectory == nullptr || cbBuf < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(pDriverDirectory, folder.c_str(), needed);
  return TRUE;
}
