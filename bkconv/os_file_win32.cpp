// The store's file-system calls on Windows: CreateFileA, positioned ReadFile/WriteFile, LockFileEx,
// FlushFileBuffers and MoveFileExA with write-through.
#ifdef _WIN32

#include "os_file.h"

#include <windows.h>

#include <shlobj.h>

namespace bkconv {
namespace {

OsError FromLastError() {
  switch (GetLastError()) {
  case ERROR_FILE_NOT_FOUND:
  case ERROR_PATH_NOT_FOUND:
  case ERROR_INVALID_NAME:
    return OsError::NotFound;
  case ERROR_DISK_FULL:
  case ERROR_HANDLE_DISK_FULL:
    return OsError::DiskFull;
  default:
    return OsError::Failed;
  }
}

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

} // namespace

OsError StatPath(const std::string& path, FileKey* key) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return FromLastError();
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return OsError::Failed;
  *key = FileKey();
  key->index = Join(data.ftCreationTime);
  key->size = Join(data.nFileSizeHigh, data.nFileSizeLow);
  key->modified = Join(data.ftLastWriteTime);
  return OsError::None;
}

OsError OsFile::Open(const std::string& path, Mode mode) {
  Close();
  DWORD access = GENERIC_READ | GENERIC_WRITE;
  DWORD disposition = OPEN_EXISTING;
  switch (mode) {
  case ReadOnly:
    access = GENERIC_READ;
    break;
  case ReadWrite:
    break;
  case OpenOrCreate:
    disposition = OPEN_ALWAYS;
    break;
  case CreateTruncate:
    disposition = CREATE_ALWAYS;
    break;
  }
  // Everyone shares everything: other handles of this library come and go around each call, and none
  // of them may stand in the way of the rename that replaces the book.
  HANDLE handle = CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FromLastError();
  handle_ = handle;
  return OsError::None;
}

void OsFile::Close() {
  if (!IsOpen()) return;
  // Closing a handle frees its locks only when the system gets round to it; unlocking frees them now,
  // for the next writer waiting.
  if (locked_) {
    OVERLAPPED overlapped = At(0);
    UnlockFileEx(AsHandle(handle_), 0, 1, 0, &overlapped);
  }
  CloseHandle(AsHandle(handle_));
  handle_ = INVALID_HANDLE_VALUE;
  locked_ = false;
}

bool OsFile::IsOpen() const { return AsHandle(handle_) != INVALID_HANDLE_VALUE; }

OsError OsFile::Identity(FileIdentity* identity, uint64_t* size) const {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(AsHandle(handle_), &info)) return FromLastError();
  identity->volume = info.dwVolumeSerialNumber;
  identity->index = Join(info.nFileIndexHigh, info.nFileIndexLow);
  *size = Join(info.nFileSizeHigh, info.nFileSizeLow);
  return OsError::None;
}

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

OsError OsFile::Lock(bool exclusive) {
  // One byte is enough: every party locks the same byte, and a lock may lie beyond the end of the file.
  OVERLAPPED overlapped = At(0);
  DWORD flags = exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
  if (!LockFileEx(AsHandle(handle_), flags, 0, 1, 0, &overlapped)) return FromLastError();
  locked_ = true;
  return OsError::None;
}

OsError ReplaceFile(const std::string& from, const std::string& to) {
  // Write-through: the call returns once the rename is on disk, so no separate folder flush is needed.
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return FromLastError();
  return OsError::None;
}

OsError RenameNoReplace(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return FromLastError();
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
