// Locating and binding the store library, and mapping its status words.
#include "store/store_library.h"

#include <cstring>

#include "provider/heap.h"

namespace abk {

void LocateStoreLibrary(char* buffer) {
  DWORD needed = 0;
  // The spooler's answer is not examined: on failure the buffer keeps what it had, and the load that
  // follows fails and is reported as a binding failure.
  GetPrinterDriverDirectoryA(nullptr, nullptr, 1, reinterpret_cast<LPBYTE>(buffer), kStorePathSize, &needed);

  OSVERSIONINFOA version;
  memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);

  const char* subfolder = "";
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    if (version.dwMajorVersion < 5)
      subfolder = "\\2";
    else if (version.dwMajorVersion == 5)
      subfolder = "\\3";
  }

  // The buffer is 260 bytes; a path that does not fit is cut rather than written past the buffer.
  size_t used = strnlen(buffer, kStorePathSize - 1);
  for (const char* part : {subfolder, "\\", "BKCONV.DLL"}) {
    size_t length = strlen(part);
    if (used + length >= kStorePathSize) length = kStorePathSize - 1 - used;
    memcpy(buffer + used, part, length);
    used += length;
  }
  buffer[used] = '\0';
}

HRESULT MapStoreStatus(ULONG status) {
  switch (status) {
  case STORE_STATUS_INVALID_ARGUMENT:
    return E_INVALIDARG;
  case STORE_STATUS_DISK_ERROR:
  case STORE_STATUS_FILE_ERROR:
    return MAPI_E_DISK_ERROR;
  case STORE_STATUS_NOT_FOUND:
  case STORE_STATUS_NO_RECORD:
    return MAPI_E_NOT_FOUND;
  case STORE_STATUS_DISK_FULL:
    return MAPI_E_NOT_ENOUGH_DISK;
  case STORE_STATUS_DAMAGED:
    return MAPI_E_CORRUPT_DATA;
  case STORE_STATUS_BUSY:
    return MAPI_E_BUSY;
  default:
    return MAPI_E_CALL_FAILED;
  }
}

StoreLibrary::StoreLibrary() = default;

StoreLibrary::~StoreLibrary() {
  Unload();
  HeapFree(filePath_);
}

StoreLibrary* StoreLibrary::Create() { return HeapNew<StoreLibrary>(); }

void StoreLibrary::Destroy(StoreLibrary* library) { HeapDelete(library); }

void StoreLibrary::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
}

template <class T> static bool Resolve(HMODULE module, const char* name, T*& slot) {
  slot = reinterpret_cast<T*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return slot != nullptr;
}

HRESULT StoreLibrary::Bind(LPCSTR libraryPath, LPCSTR filePath) {
  module_ = LoadLibraryA(libraryPath);
  bool ok = module_ != nullptr;

  if (ok && filePath && filePath[0]) {
    size_t length = strlen(filePath);
    filePath_ = static_cast<char*>(HeapAllocate(length + 1));
    ok = filePath_ != nullptr;
    if (ok) memcpy(filePath_, filePath, length + 1);
  }

  ok = ok && Resolve(module_, "OpenAddressBook", openAddressBook) && Resolve(module_, "GetRecordId", getRecordId) &&
       Resolve(module_, "CreateContactEntry", createContactEntry) &&
       Resolve(module_, "CreateGroupEntry", createGroupEntry) && Resolve(module_, "GetProps", getProps) &&
       Resolve(module_, "SetProps", setProps) && Resolve(module_, "CloseAddressBook", closeAddressBook);

  // Whatever went wrong (no file, a missing export, no memory), the caller sees one code.
  if (!ok) {
    Unload();
    return E_OUTOFMEMORY;
  }
  // Both or neither: a commit without a rollback could not undo a save that failed half-way.
  if (!Resolve(module_, "CommitAddressBook", commitAddressBook) ||
      !Resolve(module_, "RollbackAddressBook", rollbackAddressBook)) {
    commitAddressBook = nullptr;
    rollbackAddressBook = nullptr;
  }
  refCount_.Add(); // the caller's
  return S_OK;
}

STORE_DELETEPROPS* StoreLibrary::LookUpDeleteProps() const {
  STORE_DELETEPROPS* deleteProps = nullptr;
  Resolve(module_, "DeleteProps", deleteProps);
  return deleteProps;
}

LONG StoreLibrary::AddRef() { return refCount_.Add(); }

LONG StoreLibrary::Release() {
  ULONG count = refCount_.Drop();
  if (count == 0) HeapDelete(this);
  return count;
}

} // namespace abk
