// The few file-system calls the store needs, behind one small interface: POSIX on Linux, Win32 on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bkconv {

// What went wrong, as far as the store cares.
enum class OsError {
  None,
  NotFound,   // nothing at the path
  DiskFull,   // no room left (or the quota is used up)
  Busy,       // another process holds the lock
  NotRegular, // a folder, a pipe, a device: nothing a book can be
  Denied,     // no permission (a read-only book opened for writing)
  Failed,     // anything else
};

// The identity of a file: the same numbers for the same file under any name (links included), across
// renames. Device and inode on POSIX; volume serial number and file index on Windows.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
  bool operator<(const FileIdentity& other) const {
    return volume != other.volume ? volume < other.volume : index < other.index;
  }
};

// What one file-status call tells: the identity, and enough to see that the file changed without
// reading it.
struct FileKey {
  FileIdentity identity;
  uint64_t size = 0;
  uint64_t modified = 0;
  uint64_t changed = 0;
  uint32_t links = 1; // names the file has (hard links)
  bool operator==(const FileKey&) const = default;
};

// The file-status call on a path, following symbolic links. NotRegular for anything but a file.
OsError StatPath(const std::string& path, FileKey* key);

class OsFile {
public:
  enum Mode {
    ReadOnly,  // an existing regular file, for reading
    ReadWrite, // an existing regular file, for reading and writing
    CreateNew, // a new file, made here and now (never an existing one), for reading and writing
  };

  OsFile() = default;
  ~OsFile() { Close(); }
  OsFile(const OsFile&) = delete;
  OsFile& operator=(const OsFile&) = delete;

  // Opening never waits (a pipe at the path is refused, not waited on) and the handle is never inherited
  // by programs the process starts.
  OsError Open(const std::string& path, Mode mode);
  void Close(); // also releases the lock
  bool IsOpen() const;
  void Swap(OsFile& other);

  OsError Status(FileKey* key) const;
  // Reads up to length bytes at offset; fewer only at the end of the file.
  OsError ReadAt(uint64_t offset, void* buffer, size_t length, size_t* read) const;
  OsError WriteAt(uint64_t offset, const void* data, size_t length);
  OsError Flush();
  OsError Truncate(uint64_t size);
  // The book's lock: exclusive, on the whole file, taken without waiting (Busy when another process holds
  // it). On POSIX it belongs to the process: a child made by fork does not hold it, and it goes with the
  // process; so the library keeps one handle per file. On Windows it belongs to the handle.
  OsError TryLock();
  void Unlock();
  // Gives this (new) file the permission bits, and where allowed the owner, of another.
  OsError CopyAccessFrom(const OsFile& original);

private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<intptr_t>(-1));
#else
  int fd_ = -1;
#endif
  bool locked_ = false;
};

// The path of the file that a chain of symbolic links at path ends at (path itself when it is no link);
// the file itself need not exist yet.
std::string ResolveLinks(const std::string& path);
// Makes a new file with a name of its own in the folder of path, for writing a book whole before it
// takes the book's name; the name is short, so that books with long names can be rewritten too.
OsError CreateTempBeside(const std::string& path, OsFile* file, std::string* tempPath);
// Renames over an existing target in one step (the target is either the old or the new file). On
// Windows a target that another handle holds open is not replaced (it is retried a few times).
OsError ReplaceFile(const std::string& from, const std::string& to);
// Renames only when nothing is at the target (Failed when something is).
OsError RenameNoReplace(const std::string& from, const std::string& to);
// Makes a rename or creation in the folder that holds path survive a power cut.
OsError FlushFolderOf(const std::string& path);
OsError RemoveFile(const std::string& path);
// Makes a folder and its missing parents.
OsError CreateFolders(const std::string& folder);
// Waits a few milliseconds.
void Pause(unsigned milliseconds);
// Milliseconds from a fixed moment, for deadlines.
uint64_t MonotonicMilliseconds();

// The current user's folder for the default book, with a trailing separator; empty when the system
// does not tell.
std::string DefaultBookFolder();
// An environment variable's value; empty when unset.
std::string GetEnvironment(const char* name);
// A well-mixed number that differs between calls, processes and moments: a file's stamp.
uint64_t UniqueSeed();

} // namespace bkconv
