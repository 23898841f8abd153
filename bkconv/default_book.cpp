// The default book's path.
#include "default_book.h"

#include "os_file.h"

namespace bkconv {

std::string DefaultBookPath(ULONG* status) {
  std::string folder = DefaultBookFolder();
  if (folder.empty()) {
    *status = STORE_STATUS_DISK_ERROR;
    return std::string();
  }
  OsError error = CreateFolders(folder);
  if (error != OsError::None) {
    *status = error == OsError::DiskFull ? STORE_STATUS_DISK_FULL : STORE_STATUS_DISK_ERROR;
    return std::string();
  }
  return folder + kDefaultBookName;
}

} // namespace bkconv
