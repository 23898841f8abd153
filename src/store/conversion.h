// Tying the provider to the driver installed beside it: the store library's one-time conversion of an
// existing address book, and the help file's path beside the provider module.
#pragma once

#include "platform/platform.h"

namespace abk {

// Loads the store library (located as a session locates it when no path is given), calls its
// CnvAddressBook once and unloads it. Returns what CnvAddressBook returned, or 0 when the library or
// the export cannot be reached.
ULONG ConvertAddressBook(LPCSTR libraryPath);

// Fills a 260-byte buffer with the help file's full path: the folder the module was loaded from, then
// the help file's name.
void HelpFilePath(HINSTANCE instance, char* buffer);

} // namespace abk
