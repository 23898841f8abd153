// GetVersionExA / GetVersion answering from adjustable settings (Windows 7 SP1 by default).
#include <abkplatform.h>
#include <windows.h>

#include <cstring>
#include <mutex>

namespace {

struct VersionSettings {
  DWORD platformId;
  DWORD major;
  DWORD minor;
  DWORD build;
  const char* servicePack;
  WORD servicePackMajor;
};

// What Wine reports for its default Windows 7 personality.
constexpr VersionSettings kDefaultVersion{VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1", 1};

std::mutex g_mutex;
VersionSettings g_version = kDefaultVersion;

VersionSettings CurrentVersion() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_version;
}

} // namespace

void AbkPlatformSetVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_version = VersionSettings{platformId, major, minor, build, "", 0};
}

void AbkPlatformResetVersion(void) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_version = kDefaultVersion;
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
  if (lpVersionInformation == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD size = lpVersionInformation->dwOSVersionInfoSize;
  if (size < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }

  VersionSettings version = CurrentVersion();
  lpVersionInformation->dwMajorVersion = version.major;
  lpVersionInformation->dwMinorVersion = version.minor;
  lpVersionInformation->dwBuildNumber = version.build;
  lpVersionInformation->dwPlatformId = version.platformId;
  ZeroMemory(lpVersionInformation->szCSDVersion, sizeof(lpVersionInformation->szCSDVersion));
  std::strncpy(lpVersionInformation->szCSDVersion, version.servicePack, sizeof(lpVersionInformation->szCSDVersion) - 1);

  if (size >= sizeof(OSVERSIONINFOEXA)) {
    auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(lpVersionInformation);
    ex->wServicePackMajor = version.servicePackMajor;
    ex->wServicePackMinor = 0;
    ex->wSuiteMask = 0;
    ex->wProductType = version.platformId == VER_PLATFORM_WIN32_NT ? VER_NT_WORKSTATION : 0;
    ex->wReserved = 0;
  }
  return TRUE;
}

DWORD WINAPI GetVersion(VOID) {
  // Low word: major, minor. High word: build on NT; top bit set elsewhere.
  VersionSettings version = CurrentVersion();
  DWORD result = (version.major & 0xFF) | ((version.minor & 0xFF) << 8);
  if (version.platformId == VER_PLATFORM_WIN32_NT)
    result |= (version.build & 0x7FFF) << 16;
  else
    result |= 0x80000000u;
  return result;
}
