// The store's file-system calls on POSIX systems: open/pread/pwrite, fcntl locks, fdatasync, rename and
// a folder fsync.
#ifndef _WIN32

#include "os_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bkconv {
namespace {

OsError FromErrno(int error) {
  switch (error) {
  case ENOENT:
  case ENOTDIR:
    return OsError::NotFound;
  case ENOSPC:
  case EDQUOT:
  case EFBIG:
    return OsError::DiskFull;
  case EACCES:
  case EPERM:
  case EROFS:
    return OsError::Denied;
  case EAGAIN:
    return OsError::Busy;
  default:
    return OsError::Failed;
  }
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

void KeyOf(const struct stat& st, FileKey* key) {
  key->identity.volume = static_cast<uint64_t>(st.st_dev);
  key->identity.index = static_cast<uint64_t>(st.st_ino);
  key->size = static_cast<uint64_t>(st.st_size);
  key->modified = Nanoseconds(st.st_mtim);
  key->changed = Nanoseconds(st.st_ctim);
  key->links = static_cast<uint32_t>(st.st_nlink);
}

// One fcntl record lock over the whole file. These locks belong to the process, not to the descriptor:
// a child made by fork holds none of them, and a process that dies drops them.
int LockCall(int fd, short type) {
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  int result;
  do {
    result = fcntl(fd, F_SETLK, &lock);
  } while (result != 0 && errno == EINTR);
  return result;
}

} // namespace

OsError StatPath(const std::string& path, FileKey* key) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return FromErrno(errno);
  if (!S_ISREG(st.st_mode)) return OsError::NotRegular;
  KeyOf(st, key);
  return OsError::None;
}

OsError OsFile::Open(const std::string& path, Mode mode) {
  Close();
  // Non-blocking: a pipe named as a book must not hold the caller until someone writes to it.
  int flags = O_CLOEXEC | O_NONBLOCK;
  switch (mode) {
  case ReadOnly:
    flags |= O_RDONLY;
    break;
  case ReadWrite:
    flags |= O_RDWR;
    break;
  case CreateNew:
    flags |= O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
    break;
  }
  int fd;
  do {
    fd = open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return FromErrno(errno);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return OsError::NotRegular;
  }
  fd_ = fd;
  return OsError::None;
}

void OsFile::Close() {
  Unlock();
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool OsFile::IsOpen() const { return fd_ >= 0; }

void OsFile::Swap(OsFile& other) {
  std::swap(fd_, other.fd_);
  std::swap(locked_, other.locked_);
}

OsError OsFile::Status(FileKey* key) const {
  struct stat st;
  if (fstat(fd_, &st) != 0) return FromErrno(errno);
  KeyOf(st, key);
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

OsError OsFile::TryLock() {
  // A book opened read-only can be read-locked only; it keeps writers out all the same.
  int access = fcntl(fd_, F_GETFL) & O_ACCMODE;
  if (LockCall(fd_, access == O_RDONLY ? F_RDLCK : F_WRLCK) != 0)
    return errno == EACCES || errno == EAGAIN ? OsError::Busy : FromErrno(errno);
  locked_ = true;
  return OsError::None;
}

void OsFile::Unlock() {
  if (locked_ && fd_ >= 0) LockCall(fd_, F_UNLCK);
  locked_ = false;
}

OsError OsFile::CopyAccessFrom(const OsFile& original) {
  struct stat st;
  if (fstat(original.fd_, &st) != 0) return FromErrno(errno);
  // The owner is kept where the system allows it (a user may not give files away); the permission bits
  // always are, so a book only its owner could read stays so.
  if (fchown(fd_, st.st_uid, st.st_gid) != 0 && fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0) {
    // Neither owner nor group could be kept: the new file is the writer's, which is who rewrites it.
  }
  if (fchmod(fd_, st.st_mode & 07777) != 0) return FromErrno(errno);
  return OsError::None;
}

std::string ResolveLinks(const std::string& path) {
  std::string current = path;
  // As many links as the system itself follows; a loop ends here and fails later, at the open.
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st;
    if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
    ssize_t length = readlink(current.c_str(), &target[0], target.size());
    if (length <= 0 || static_cast<size_t>(length) >= target.size()) return current;
    target.resize(static_cast<size_t>(length));
    current = target[0] == '/' ? target : FolderOf(current) + "/" + target;
  }
  return current;
}

OsError CreateTempBeside(const std::string& path, OsFile* file, std::string* tempPath) {
  std::string folder = FolderOf(path);
  for (int attempt = 0; attempt < 16; ++attempt) {
    char name[40];
    std::snprintf(name, sizeof name, "/.abk-%016llx.tmp", static_cast<unsigned long long>(UniqueSeed()));
    *tempPath = folder + name;
    OsError error = file->Open(*tempPath, OsFile::CreateNew);
    if (error == OsError::None || errno != EEXIST) return error;
  }
  return OsError::Failed;
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
  if (lstat(to.c_str(), &st) == 0) return OsError::Failed;
  return ReplaceFile(from, to);
}

OsError FlushFolderOf(const std::string& path) {
  int fd = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FromErrno(errno);
  int result = fsync(fd);
  int error = errno;
  close(fd);
  // Some file systems cannot flush a folder at all; they say so with EINVAL, and there is nothing more
  // to wait for.
  if (result != 0 && error != EINVAL) return FromErrno(error);
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

void Pause(unsigned milliseconds) {
  timespec wait = {static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

uint64_t MonotonicMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return Nanoseconds(now) / 1000000u;
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
