// The binding to the store library: where it is found, loading it, its export addresses, the
// address-book file path, and the translation of its status words into result codes.
#pragma once

#include "platform/platform.h"
#include "provider/ref_count.h"
#include "store/store_abi.h"

namespace abk {

constexpr size_t kStorePathSize = MAX_PATH;

// Fills a zero-filled 260-byte buffer with the library's path: the printer-driver directory, the
// subfolder of the Windows version's drivers ("\2" before NT 5, "\3" on NT 5.x), then "\BKCONV.DLL".
void LocateStoreLibrary(char* buffer);

// The result code for the status word a failing store call left behind. A failure is never reported as
// success: a word outside the known ones gives MAPI_E_CALL_FAILED.
HRESULT MapStoreStatus(ULONG status);

// Reference-counted binding. The session makes the first reference when it binds; every object opened
// through the session holds one more, so the library stays loaded until the last of them is gone.
class StoreLibrary final {
public:
  // A new, unbound binding with count 0, or null when memory runs out.
  static StoreLibrary* Create();
  // Destroys a binding that never reached count 1 (a failed bind).
  static void Destroy(StoreLibrary* library);

  // Loads the library and resolves its exports; keeps a copy of a non-empty file path. Any failure
  // unloads the library and gives E_OUTOFMEMORY; success sets the count to 1.
  HRESULT Bind(LPCSTR libraryPath, LPCSTR filePath);

  LONG AddRef();
  LONG Release();

  LPCSTR FilePath() const { return filePath_; }

  // Looked up again at each deletion: a library without it can still serve everything else.
  STORE_DELETEPROPS* LookUpDeleteProps() const;

  STORE_OPENADDRESSBOOK* openAddressBook = nullptr;
  STORE_GETRECORDID* getRecordId = nullptr;
  STORE_CREATECONTACTENTRY* createContactEntry = nullptr;
  STORE_CREATEGROUPENTRY* createGroupEntry = nullptr;
  STORE_GETPROPS* getProps = nullptr;
  STORE_SETPROPS* setProps = nullptr;
  STORE_CLOSEADDRESSBOOK* closeAddressBook = nullptr;
  // Beyond the eight: a library that takes each opening as one transaction. Null in one that does not,
  // which makes every call durable on its own.
  STORE_COMMITADDRESSBOOK* commitAddressBook = nullptr;
  STORE_ROLLBACKADDRESSBOOK* rollbackAddressBook = nullptr;

  StoreLibrary();
  ~StoreLibrary();

private:
  void Unload();

  RefCount refCount_;
  HMODULE module_ = nullptr;
  char* filePath_ = nullptr;
};

} // namespace abk
