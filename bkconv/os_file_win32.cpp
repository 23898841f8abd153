// The store's file-system calls on Windows: CreateFileA, positioned ReadFile/WriteFile, LockFileEx,
// FlushFileBuffers and MoveFileExA with write-through.
#ifdef _WIN32

#include "os_file.h"

#include <windows.h>

#include <aclapi.h>
#include <shlobj.h>

#include <cstdio>
#include <utility>

namespace bkconv {
namespace {

OsError FromError(DWORD error) {
  switch (error) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_NAME:
    return OsError::NotFound;
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
    return OsError::DiskFull;
  case ERROR_ACCESS_DENIED:
  case ERROR_WRITE_PROTECT:
    return OsError::Denied;
  case ERROR_LOCK_VIOLATION:
  case ERROR_SHARING_VIOLATION:
    return OsError::Busy;
  default:
    return OsError::Failed;
  }
}

OsError FromLastError() { return FromError(GetLastError()); }

uint64_t Join(DWORD high, DWORD low) { return (static_cast<uint64_t>(high) << 32) | low; }
uint64_t Join(const FILETIME& t) { return Join(t.dwHighDateTime, t.dwLowDateTime); }

// splitmix64's finaliser: every input bit moves about half of the output bits.
uint64_t Mix(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

HANDLE AsHandle(void* handle) { return static_cast<HANDLE>(handle); }

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED overlapped = {};
  overlapped.Offset = static_cast<DWORD>(offset);
  overlapped.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return overlapped;
}

OsError KeyOf(HANDLE handle, FileKey* key) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return OsError::NotRegular;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return FromLastError();
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return OsError::NotRegular;
  key->identity.volume = info.dwVolumeSerialNumber;
  key->identity.index = Join(info.nFileIndexHigh, info.nFileIndexLow);
  key->size = Join(info.nFileSizeHigh, info.nFileSizeLow);
  key->modified = Join(info.ftLastWriteTime);
  key->changed = Join(info.ftCreationTime);
  key->links = info.nNumberOfLinks;
  return OsError::None;
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return ".";
  return path.substr(0, cut);
}

} // namespace

OsError StatPath(const std::string& path, FileKey* key) {
  // Windows tells a file's identity only through a handle: one that asks for no access, shares
  // everything and stands in nobody's way.
  HANDLE handle =
      CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FromLastError();
  OsError error = KeyOf(handle, key);
  CloseHandle(handle);
  return error;
}

OsError OsFile::Open(const std::string& path, Mode mode) {
  Close();
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  if (mode == ReadOnly) access = GENERIC_READ;
  if (mode == CreateNew) {
    disposition = CREATE_NEW;
    access |= WRITE_DAC; // it takes the permissions of the book it replaces
  }
  // Other handles may read and write (they wait for the lock first), but not delete or rename: so the
  // book is never replaced under a handle that another process still writes through.
  HANDLE handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FromLastError();
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return OsError::NotRegular;
  }
  handle_ = handle;
  return OsError::None;
}

void OsFile::Close() {
  if (!IsOpen()) return;
  Unlock();
  CloseHandle(AsHandle(handle_));
  handle_ = INVALID_HANDLE_VALUE;
}

bool OsFile::IsOpen() const { return AsHandle(handle_) != INVALID_HANDLE_VALUE; }

void OsFile::Swap(OsFile& other) {
  std::swap(handle_, other.handle_);
  std::swap(locked_, other.locked_);
}

OsError OsFile::Status(FileKey* key) const { return KeyOf(AsHandle(handle_), key); }

OsError OsFile::ReadAt(uint64_t offset, void* buffer, size_t length, size_t* read) const {
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    DWORD chunk = static_cast<DWORD>(length - done > 0x40000000 ? 0x40000000 : length - done);
    OVERLAPPED overlapped = At(offset + done);
    DWORD got = 0;
    if (!ReadFile(AsHandle(handle_), out + done, chunk, &got, &overlapped)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return FromLastError();
    }
    if (got == 0) break;
    done += got;
  }
  *read = done;
  return OsError::None;
}

OsError OsFile::WriteAt(uint64_t offset, const void* data, size_t length) {
  const char* in = static_cast<const char*>(data);
  size_t done = 0;
  while (done < length) {
    DWORD chunk = static_cast<DWORD>(length - done > 0x40000000 ? 0x40000000 : length - done);
    OVERLAPPED overlapped = At(offset + done);
    DWORD put = 0;
    if (!WriteFile(AsHandle(handle_), in + done, chunk, &put, &overlapped)) return FromLastError();
    if (put == 0) return OsError::DiskFull;
    done += put;
  }
  return OsError::None;
}

OsError OsFile::Flush() {
  if (!FlushFileBuffers(AsHandle(handle_))) return FromLastError();
  return OsError::None;
}

OsError OsFile::Truncate(uint64_t size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(size);
  if (!SetFilePointerEx(AsHandle(handle_), position, nullptr, FILE_BEGIN)) return FromLastError();
  if (!SetEndOfFile(AsHandle(handle_))) return FromLastError();
  return OsError::None;
}

OsError OsFile::TryLock() {
  // One byte is enough: every party locks the same byte, and a lock may lie beyond the end of the file.
  OVERLAPPED overlapped = At(0);
  if (!LockFileEx(AsHandle(handle_), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &overlapped)) {
    DWORD error = GetLastError();
    return error == ERROR_IO_PENDING ? OsError::Busy : FromError(error);
  }
  locked_ = true;
  return OsError::None;
}

void OsFile::Unlock() {
  // Closing a handle frees its locks only when the system gets round to it; unlocking frees them now,
  // for the next writer waiting.
  if (locked_ && IsOpen()) {
    OVERLAPPED overlapped = At(0);
    UnlockFileEx(AsHandle(handle_), 0, 1, 0, &overlapped);
  }
  locked_ = false;
}

OsError OsFile::CopyAccessFrom(const OsFile& original) {
  // A file system without access lists (FAT) has nothing to copy: the new file then takes the folder's,
  // as the book did.
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(AsHandle(original.handle_), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                      nullptr, &descriptor) != ERROR_SUCCESS)
    return OsError::None;
  DWORD result =
      SetSecurityInfo(AsHandle(handle_), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, dacl, nullptr);
  LocalFree(descriptor);
  return result == ERROR_SUCCESS ? OsError::None : OsError::Failed;
}

std::string ResolveLinks(const std::string& path) {
  HANDLE handle =
      CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  char final[MAX_PATH + 8] = {};
  DWORD length = GetFinalPathNameByHandleA(handle, final, sizeof final, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(handle);
  if (length == 0 || length >= sizeof final) return path;
  std::string resolved(final, length);
  if (resolved.compare(0, 8, "\\\\?\\UNC\\") == 0) return "\\\\" + resolved.substr(8);
  if (resolved.compare(0, 4, "\\\\?\\") == 0) return resolved.substr(4);
  return resolved;
}

OsError CreateTempBeside(const std::string& path, OsFile* file, std::string* tempPath) {
  std::string folder = FolderOf(path);
  for (int attempt = 0; attempt < 16; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, "\\.abk-%016llx.tmp", static_cast<unsigned long long>(UniqueSeed()));
    *tempPath = folder + name;
    OsError error = file->Open(*tempPath, OsFile::CreateNew);
    if (error == OsError::None || GetLastError() != ERROR_FILE_EXISTS) return error;
  }
  return OsError::Failed;
}

OsError ReplaceFile(const std::string& from, const std::string& to) {
  // Write-through: the call returns once the rename is on disk, so no separate folder flush is needed. A
  // book that another handle holds open cannot be replaced; virus scanners hold files open for a moment,
  // so a refusal is tried again a few times.
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return OsError::None;
    DWORD error = GetLastError();
    if (attempt == 4 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED)) return FromError(error);
    Sleep(20);
  }
}

OsError RenameNoReplace(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
    DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? OsError::Failed : FromError(error);
  }
  return OsError::None;
}

OsError FlushFolderOf(const std::string&) { return OsError::None; }

OsError RemoveFile(const std::string& path) {
  if (!DeleteFileA(path.c_str())) return FromLastError();
  return OsError::None;
}

OsError CreateFolders(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
    path.pop_back();
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? OsError::None : OsError::Failed;
  size_t cut = path.find_last_of("\\/");
  if (cut != std::string::npos && cut > 0 && path[cut - 1] != ':') {
    OsError error = CreateFolders(path.substr(0, cut));
    if (error != OsError::None) return error;
  }
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return FromLastError();
  return OsError::None;
}

void Pause(unsigned milliseconds) { Sleep(milliseconds); }

uint64_t MonotonicMilliseconds() { return GetTickCount64(); }

std::string DefaultBookFolder() {
  std::string data = GetEnvironment("APPDATA");
  if (data.empty()) {
    char folder[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) data = folder;
  }
  if (data.empty()) return std::string();
  if (data.back() != '\\' && data.back() != '/') data += '\\';
  return data + "abk\\";
}

std::string GetEnvironment(const char* name) {
  // The process environment itself, not the C runtime's copy, which does not see later changes.
  char small[512];
  DWORD length = GetEnvironmentVariableA(name, small, sizeof small);
  if (length == 0) return std::string();
  if (length < sizeof small) return std::string(small, length);
  std::string value(length, '\0');
  length = GetEnvironmentVariableA(name, &value[0], length);
  value.resize(length);
  return value;
}

uint64_t UniqueSeed() {
  // Chained through a mixing step rather than XORed together: XORed, a clock reading and a counter can
  // cancel out, and two books made a moment apart would share a stamp.
  static uint64_t counter = 0;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  LARGE_INTEGER ticks;
  QueryPerformanceCounter(&ticks);
  uint64_t seed = Mix(Join(now));
  seed = Mix(seed ^ static_cast<uint64_t>(ticks.QuadPart));
  seed = Mix(seed ^ GetCurrentProcessId());
  seed = Mix(seed ^ GetCurrentThreadId());
  return Mix(seed ^ ++counter);
}

} // namespace bkconv

#endif // _WIN32
