// The few file-system calls the store needs, behind one small interface: POSIX on Linux, Win32 on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bkconv {

// What went wrong, as far as the store cares: a missing file, a full disk, or anything else.
enum class OsError { None, NotFound, DiskFull, Failed };

// What one file-status call on a path tells: enough to see that a file changed without opening it. On
// POSIX the device and inode are part of it; Windows tells a file's identity only through an open handle,
// so there the creation time stands in for it.
struct FileKey {
  uint64_t volume = 0;
  uint64_t index = 0;
  uint64_t size = 0;
  uint64_t modified = 0;
  uint64_t changed = 0;
  bool operator==(const FileKey&) const = default;
};

// The identity of an open file: the same numbers for the same file under any name, across renames.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The file-status call. NotFound when nothing is at the path.
OsError StatPath(const std::string& path, FileKey* key);

class OsFile {
public:
  enum Mode {
    ReadOnly,       // an existing file, for reading
    ReadWrite,      // an existing file, for reading and writing
    OpenOrCreate,   // read and write, made empty when missing (lock files)
    CreateTruncate, // read and write, emptied or made (a book being written whole)
  };

  OsFile() = default;
  ~OsFile() { Close(); }
  OsFile(const OsFile&) = delete;
  OsFile& operator=(const OsFile&) = delete;

  OsError Open(const std::string& path, Mode mode);
  void Close(); // also releases a lock taken with Lock
  bool IsOpen() const;

  OsError Identity(FileIdentity* identity, uint64_t* size) const;
  // Reads up to length bytes at offset; fewer only at the end of the file.
  OsError ReadAt(uint64_t offset, void* buffer, size_t length, size_t* read) const;
  OsError WriteAt(uint64_t offset, const void* data, size_t length);
  OsError Flush();
  OsError Truncate(uint64_t size);
  // Waits for a lock on the whole file, shared or exclusive, held until Close. Locks taken through two
  // handles conflict even within one process.
  OsError Lock(bool exclusive);

private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
  bool locked_ = false;
#else
  int fd_ = -1;
#endif
};

// Renames over an existing target in one step (the target is either the old or the new file).
OsError ReplaceFile(const std::string& from, const std::string& to);
// Renames only when nothing is at the target.
OsError RenameNoReplace(const std::string& from, const std::string& to);
// Makes a rename or creation in the folder that holds path survive a power cut.
OsError FlushFolderOf(const std::string& path);
OsError RemoveFile(const std::string& path);
// Makes a folder and its missing parents.
OsError CreateFolders(const std::string& folder);

// The current user's folder for the default book, with a trailing separator; empty when the system
// does not tell.
std::string DefaultBookFolder();
// An environment variable's value; empty when unset.
std::string GetEnvironment(const char* name);
// A well-mixed number that differs between calls, processes and moments: a file's stamp.
uint64_t UniqueSeed();

} // namespace bkconv
