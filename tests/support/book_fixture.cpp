// The book fixture and raw access to the store library.
#include "support/book_fixture.h"

#include <cstring>
#include <ostream>

namespace fs = std::filesystem;

namespace abktest {

void BookTest::SetUp() {
  HostTest::SetUp();
  book = NewBookPath();
  ASSERT_TRUE(store.Loaded());
  profile.SetString(PR_DISPLAY_NAME, "Fax");
  profile.SetBinary(PR_SERVICE_UID, kServiceUid, 16);
  profile.SetString(PR_AB_FILE_PATH, book);
  ASSERT_EQ(ABProviderOpen(nullptr, &support, &profile, 0, 0, 0, 0, HostFreeBuffer, &addrBook), S_OK);
  session = static_cast<abk::AddressBookSession*>(addrBook);
}

void BookTest::TearDown() {
  if (addrBook) addrBook->Release();
  std::error_code ignored;
  fs::remove(book, ignored);
  HostTest::TearDown();
}

} // namespace abktest
