// The store's file-system calls on POSIX systems: open/pread/pwrite, flock, fsync, rename and a folder fsync.
#ifndef _WIN32

#include "os_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bkconv {
namespace {

OsError FromErrno(int error) {
  if (error == ENOENT || error == ENOTDIR) return OsError::NotFound;
  if (error == ENOSPC || error == EDQUOT || error == EFBIG) return OsError::DiskFull;
  return OsError::Failed;
}

uint64_t Nanoseconds(const timespec& t) {
  return static_cast<uint64_t>(t.tv_sec) * 1000000000u + static_cast<uint64_t>(t.tv_nsec);
}

// splitmix64's finaliser: every input bit moves about half of the output bits.
uint64_t Mix(uint64_t z) {
  z += 0x9E3779B97F4A7C15ull;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

std::string FolderOf(const std::string& path) {
  size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

} // namespace

OsError StatPath(const std::string& path, FileKey* key) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return FromErrno(errno);
  key->volume = static_cast<uint64_t>(st.st_dev);
  key->index = static_cast<uint64_t>(st.st_ino);
  key->size = static_cast<uint64_t>(st.st_size);
  key->modified = Nanoseconds(st.st_mtim);
  key->changed = Nanoseconds(st.st_ctim);
  return OsError::None;
}

OsError OsFile::Open(const std::string& path, Mode mode) {
  Close();
  int flags = O_CLOEXEC;
  switch (mode) {
  case ReadOnly:
    flags |= O_RDONLY;
    break;
  case ReadWrite:
    flags |= O_RDWR;
    break;
  case OpenOrCreate:
    flags |= O_RDWR | O_CREAT;
    break;
  case CreateTruncate:
    flags |= O_RDWR | O_CREAT | O_TRUNC;
    break;
  }
  int fd;
  do {
    fd = open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return FromErrno(errno);
  fd_ = fd;
  return OsError::None;
}

void OsFile::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool OsFile::IsOpen() const { return fd_ >= 0; }

OsError OsFile::Identity(FileIdentity* identity, uint64_t* size) const {
  struct stat st;
  if (fstat(fd_, &st) != 0) return FromErrno(errno);
  identity->volume = static_cast<uint64_t>(st.st_dev);
  identity->index = static_cast<uint64_t>(st.st_ino);
  *size = static_cast<uint64_t>(st.st_size);
  return OsError::None;
}

OsError OsFile::ReadAt(uint64_t offset, void* buffer, size_t length, size_t* read) const {
  char* out = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < length) {
    ssize_t got = pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return FromErrno(errno);
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  *read = done;
  return OsError::None;
}

OsError OsFile::WriteAt(uint64_t offset, const void* data, size_t length) {
  const char* in = static_cast<const char*>(data);
  size_t done = 0;
  while (done < length) {
    ssize_t put = pwrite(fd_, in + done, length - done, static_cast<off_t>(offset + done));
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return FromErrno(errno);
    if (put == 0) return OsError::DiskFull;
    done += static_cast<size_t>(put);
  }
  return OsError::None;
}

OsError OsFile::Flush() {
  // fdatasync is enough: the size, which an append changes, is data it flushes; times are not needed.
  if (fdatasync(fd_) != 0) return FromErrno(errno);
  return OsError::None;
}

OsError OsFile::Truncate(uint64_t size) {
  if (ftruncate(fd_, static_cast<off_t>(size)) != 0) return FromErrno(errno);
  return OsError::None;
}

OsError OsFile::Lock(bool exclusive) {
  // flock locks belong to the open file description, so two handles of one process exclude each other,
  // and closing some other descriptor of the same file does not drop the lock (as it would with fcntl).
  int result;
  do {
    result = flock(fd_, exclusive ? LOCK_EX : LOCK_SH);
  } while (result != 0 && errno == EINTR);
  if (result != 0) return FromErrno(errno);
  return OsError::None;
}

OsError ReplaceFile(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0) return FromErrno(errno);
  return OsError::None;
}

OsError RenameNoReplace(const std::string& from, const std::string& to) {
  // A hard link fails when the target exists, so nothing already there is ever replaced.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    return OsError::None;
  }
  if (errno == EEXIST) return OsError::Failed;
  // File systems without hard links: check, then rename.
  struct stat st;
  if (stat(to.c_str(), &st) == 0) return OsError::Failed;
  return ReplaceFile(from, to);
}

OsError FlushFolderOf(const std::string& path) {
  int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FromErrno(errno);
  int result = fsync(fd);
  int error = errno;
  close(fd);
  if (result != 0) return FromErrno(error);
  return OsError::None;
}

OsError RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) != 0) return FromErrno(errno);
  return OsError::None;
}

OsError CreateFolders(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  struct stat st;
  if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? OsError::None : OsError::Failed;
  std::string parent = FolderOf(path);
  if (parent != path) {
    OsError error = CreateFolders(parent);
    if (error != OsError::None) return error;
  }
  // Only the user reads their own address book.
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return FromErrno(errno);
  return OsError::None;
}

std::string DefaultBookFolder() {
  // The XDG base directories: a relative XDG_DATA_HOME is to be ignored.
  std::string data = GetEnvironment("XDG_DATA_HOME");
  if (!data.empty() && data[0] == '/') return data + "/abk/";
  std::string home = GetEnvironment("HOME");
  if (home.empty()) {
    const passwd* user = getpwuid(getuid());
    if (user && user->pw_dir) home = user->pw_dir;
  }
  if (home.empty()) return std::string();
  return home + "/.local/share/abk/";
}

std::string GetEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string(value) : std::string();
}

uint64_t UniqueSeed() {
  // Chained through a mixing step rather than XORed together: XORed, a clock reading and a counter can
  // cancel out, and two books made a moment apart would share a stamp.
  static uint64_t counter = 0;
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  uint64_t seed = Mix(Nanoseconds(now));
  seed = Mix(seed ^ static_cast<uint64_t>(getpid()));
  seed = Mix(seed ^ ++counter);
  uint64_t entropy = 0;
  if (getrandom(&entropy, sizeof entropy, GRND_NONBLOCK) == sizeof entropy) seed = Mix(seed ^ entropy);
  return seed;
}

} // namespace bkconv

#endif // !_WIN32
