// LoadLibraryA and friends on top of dlopen, with Windows-style module handles and names.
#include <windows.h>

#include "internal.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace {

// What an HMODULE points to. A record exists once per loaded object, however
// many times and under whatever spelling it was loaded.
struct ModuleRecord {
  void* handle;     // dlopen handle, holding exactly one dl reference
  std::string path; // absolute path of the loaded file
  unsigned refs;    // outstanding LoadLibraryA / counted GetModuleHandleExA
  bool pinned;      // never unloaded: main program, or found by GetModuleHandle*
};

struct ModuleTable {
  std::mutex mutex;
  std::vector<ModuleRecord*> records;
  ModuleRecord* mainProgram = nullptr;
};

// Never destroyed: libraries may call FreeLibrary from their own exit-time
// destructors, after ours would have run.
ModuleTable& Table() {
  static auto* table = new ModuleTable;
  return *table;
}

// --- name handling ----------------------------------------------------------

std::string ToForwardSlashes(const char* name) {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::string ToLower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool EndsWithDll(const std::string& path) { return path.size() > 4 && ToLower(path.substr(path.size() - 4)) == ".dll"; }

// "dir/BKCONV.DLL" -> "dir/libbkconv.so": how our Linux builds name the
// libraries that are DLLs on Windows.
std::string LinuxNameFor(const std::string& path) {
  size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string stem = file.substr(0, file.size() - 4);
  return folder + "lib" + ToLower(stem) + ".so";
}

std::vector<std::string> CandidatesFor(const char* name) {
  std::vector<std::string> candidates{ToForwardSlashes(name)};
  if (EndsWithDll(candidates.front())) candidates.push_back(LinuxNameFor(candidates.front()));
  return candidates;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MakeAbsolute(const std::string& path) {
  std::filesystem::path p(path);
  if (p.is_relative()) {
    std::error_code ec;
    p = std::filesystem::current_path(ec) / p;
  }
  return p.lexically_normal().string();
}

// The file the dynamic loader actually opened for this handle.
std::string LoadedPathOf(void* handle, const std::string& fallback) {
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr && map->l_name[0] != '\0')
    return MakeAbsolute(map->l_name);
  return MakeAbsolute(fallback);
}

// --- the module table (callers hold Table().mutex) ---------------------------

ModuleRecord* FindByHandleLocked(void* handle) {
  for (ModuleRecord* record : Table().records)
    if (record->handle == handle) return record;
  return nullptr;
}

ModuleRecord* FindRecordLocked(HMODULE module) {
  auto* wanted = reinterpret_cast<ModuleRecord*>(module);
  for (ModuleRecord* record : Table().records)
    if (record == wanted) return record;
  return nullptr;
}

ModuleRecord* MainProgramLocked() {
  ModuleTable& table = Table();
  if (table.mainProgram == nullptr) {
    table.mainProgram = new ModuleRecord{dlopen(nullptr, RTLD_NOW), abkwin::MainProgramPath(), 1, true};
    table.records.push_back(table.mainProgram);
  }
  return table.mainProgram;
}

// Registers a fresh dl reference. If the object already has a record, the
// extra dl reference is dropped so each record keeps exactly one. A record
// created without a counted reference (a module found, not loaded, by us)
// must be pinned, or nothing would ever release its dl reference.
ModuleRecord* AdoptLocked(void* handle, const std::string& path, bool countReference) {
  if (ModuleRecord* record = FindByHandleLocked(handle)) {
    dlclose(handle);
    if (countReference) ++record->refs;
    return record;
  }
  auto* record = new ModuleRecord{handle, LoadedPathOf(handle, path), countReference ? 1u : 0u, !countReference};
  Table().records.push_back(record);
  return record;
}

// A module already in the process, looked up by file name (Windows or Linux
// spelling), without loading anything.
ModuleRecord* FindLoadedLocked(const char* name) {
  for (const std::string& candidate : CandidatesFor(name)) {
    bool hasFolder = candidate.find('/') != std::string::npos;
    std::string wanted = hasFolder ? MakeAbsolute(candidate) : ToLower(candidate);
    for (ModuleRecord* record : Table().records) {
      if (hasFolder ? record->path == wanted : ToLower(BaseName(record->path)) == wanted) return record;
    }
  }
  for (const std::string& candidate : CandidatesFor(name)) {
    if (void* handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_NOLOAD)) return AdoptLocked(handle, candidate, false);
  }
  return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------
// Helpers for the other source files.
// ---------------------------------------------------------------------------
std::string abkwin::MainProgramPath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (length <= 0) return std::string();
  return std::string(buffer, static_cast<size_t>(length));
}

std::string abkwin::ModulePathOfAddress(const void* addr) {
  Dl_info info{};
  link_map* map = nullptr;
  if (dladdr1(addr, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || map == nullptr)
    return std::string();
  // The program's own link map has an empty name.
  if (map->l_name == nullptr || map->l_name[0] == '\0') return MainProgramPath();
  return MakeAbsolute(map->l_name);
}

std::string abkwin::FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return std::string();
  return slash == 0 ? std::string("/") : path.substr(0, slash);
}

// ---------------------------------------------------------------------------
// Loading and unloading.
// ---------------------------------------------------------------------------
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr || lpLibFileName[0] == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }

  // dlopen runs the library's constructors, which may load libraries
  // themselves: keep the table unlocked meanwhile.
  void* handle = nullptr;
  std::string loadedAs;
  bool fileExists = false;
  for (const std::string& candidate : CandidatesFor(lpLibFileName)) {
    handle = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
      loadedAs = candidate;
      break;
    }
    std::string reason = "LoadLibraryA: ";
    const char* error = dlerror();
    reason += error != nullptr ? error : candidate.c_str();
    reason += '\n';
    OutputDebugStringA(reason.c_str());
    if (candidate.find('/') != std::string::npos && access(candidate.c_str(), F_OK) == 0) fileExists = true;
  }
  if (handle == nullptr) {
    SetLastError(fileExists ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
    return nullptr;
  }

  std::lock_guard<std::mutex> lock(Table().mutex);
  return reinterpret_cast<HMODULE>(AdoptLocked(handle, loadedAs, true));
}

BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  void* unload = nullptr;
  {
    ModuleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    ModuleRecord* record = FindRecordLocked(hLibModule);
    if (record == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (record->refs > 0) --record->refs;
    if (record->refs > 0 || record->pinned) return TRUE;
    table.records.erase(std::find(table.records.begin(), table.records.end(), record));
    unload = record->handle;
    delete record;
  }
  // Destructors run here and may call FreeLibrary themselves.
  dlclose(unload);
  return TRUE;
}

// ---------------------------------------------------------------------------
// Looking modules up.
// ---------------------------------------------------------------------------
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  ModuleRecord* record = hModule == nullptr ? MainProgramLocked() : FindRecordLocked(hModule);
  if (record == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Lookups by ordinal (values below 64K) have no Linux counterpart.
  if (reinterpret_cast<ULONG_PTR>(lpProcName) <= 0xFFFF) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  void* symbol = dlsym(record->handle, lpProcName);
  if (symbol == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(symbol);
}

DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path;
  if (hModule == nullptr) {
    path = abkwin::MainProgramPath();
  } else {
    std::lock_guard<std::mutex> lock(Table().mutex);
    ModuleRecord* record = FindRecordLocked(hModule);
    if (record == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = record->path;
  }
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (lpFilename == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Like Windows Vista and later: a name that does not fit is cut to
  // nSize-1 characters plus terminator, and the result is nSize.
  if (path.size() >= nSize) {
    std::memcpy(lpFilename, path.data(), nSize - 1);
    lpFilename[nSize - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return nSize;
  }
  std::memcpy(lpFilename, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  if (lpModuleName == nullptr) return reinterpret_cast<HMODULE>(MainProgramLocked());
  ModuleRecord* record = FindLoadedLocked(lpModuleName);
  if (record == nullptr) SetLastError(ERROR_MOD_NOT_FOUND);
  return reinterpret_cast<HMODULE>(record);
}

BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule) {
  if (phModule == nullptr || ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) != 0 &&
                              (dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) != 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *phModule = nullptr;

  std::lock_guard<std::mutex> lock(Table().mutex);
  ModuleRecord* record = nullptr;
  if (lpModuleName == nullptr) {
    record = MainProgramLocked();
  } else if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) != 0) {
    std::string path = abkwin::ModulePathOfAddress(lpModuleName);
    if (!path.empty() && path == abkwin::MainProgramPath()) {
      record = MainProgramLocked();
    } else if (!path.empty()) {
      if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) record = AdoptLocked(handle, path, false);
    }
  } else {
    record = FindLoadedLocked(lpModuleName);
  }
  if (record == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }

  if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) != 0)
    record->pinned = true;
  else if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) == 0)
    ++record->refs;
  *phModule = reinterpret_cast<HMODULE>(record);
  return TRUE;
}
