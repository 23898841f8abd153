// Dialog tests: a session on a book of its own (the provider's code linked in), the provider module's
// resources, a dialog driver on this thread and a capture of help requests.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "host/dialog_driver.h"
#include "support/book_fixture.h"
#include "support/help_capture.h"

namespace abktest {

// Where the help file's path is kept in the current user's registry.
inline constexpr char kHelpKey[] = "Software\\Orvex\\Quillbook\\BKSTOR";
inline constexpr char kHelpValue[] = "Fichier d'aide";

// Writes the help path value, or removes the key when path is empty.
void SetHelpPath(const std::optional<std::string>& path);

// The module the dialogs load their templates and strings from: the provider module itself.
HINSTANCE ResourceModule();

// The template identifier the root container offers under PR_DEF_CREATE_MAILUSER or PR_DEF_CREATE_DL.
std::string ContainerTemplate(abk::AddressBookSession* session, ULONG tag);

class DialogTest : public BookTest {
protected:
  void SetUp() override;
  void TearDown() override;

  // The driver's failures and the scripts it never ran, as test failures.
  void ExpectDriverDone();

  HINSTANCE resources = nullptr;
  std::unique_ptr<host::DialogDriver> driver;
  std::unique_ptr<HelpCapture> help;
};

} // namespace abktest
