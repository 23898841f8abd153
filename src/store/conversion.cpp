// The conversion export and the help file's path.
#include "store/conversion.h"

#include <cstring>

#include "provider/heap.h"
#include "store/store_library.h"

namespace abk {

namespace {

constexpr UINT IDS_MODULE_FILE_NAME = 95;
constexpr UINT IDS_HELP_FILE_NAME = 96;
constexpr int kStringBufferSize = 512;

} // namespace

ULONG ConvertAddressBook(LPCSTR libraryPath) {
  auto* buffer = static_cast<char*>(HeapAllocate(kStorePathSize));
  if (!buffer) return 0;
  if (!libraryPath) {
    memset(buffer, 0, kStorePathSize);
    LocateStoreLibrary(buffer);
    libraryPath = buffer;
  }
  HMODULE library = LoadLibraryA(libraryPath);
  HeapFree(buffer);
  if (!library) return 0;

  ULONG result = 0;
  auto* convert =
      reinterpret_cast<STORE_CNVADDRESSBOOK*>(reinterpret_cast<void (*)()>(GetProcAddress(library, "CnvAddressBook")));
  if (convert) {
    ULONG word = 0;
    result = convert(&word);
  }
  FreeLibrary(library);
  return result;
}

void HelpFilePath(HINSTANCE instance, char* buffer) {
  char moduleName[kStringBufferSize] = {};
  char helpName[kStringBufferSize] = {};
  LoadStringA(instance, IDS_MODULE_FILE_NAME, moduleName, sizeof moduleName);
  LoadStringA(instance, IDS_HELP_FILE_NAME, helpName, sizeof helpName);

  char path[kStorePathSize] = {};
  GetModuleFileNameA(instance, path, sizeof path);
  size_t length = strnlen(path, sizeof path - 1);

  // The folder ends where the rest of the path is the module's file name, whatever its case.
  size_t folder = length;
  for (size_t i = 0; i < length; ++i) {
    if (lstrcmpiA(path + i, moduleName) == 0) {
      folder = i;
      break;
    }
  }
  // A module under another name (libabkprv01.so, say) keeps its folder, not its whole path.
  if (folder == length) {
    while (folder > 0 && path[folder - 1] != '\\' && path[folder - 1] != '/')
      --folder;
  }

  // Both parts must fit in the 260-byte buffer: the name is cut rather than written past it.
  memcpy(buffer, path, folder);
  size_t room = kStorePathSize - 1 - folder;
  size_t helpLength = strnlen(helpName, room);
  memcpy(buffer + folder, helpName, helpLength);
  buffer[folder + helpLength] = '\0';
}

} // namespace abk
