// The service configuration dialog (template 105): the user names the address-book service, and OK
// writes the name and an empty file path into the provider's profile section.
#pragma once

#include "platform/platform.h"

namespace abk {

// What ABServiceEntry hands the dialog; it lives on ABServiceEntry's stack for the call.
struct ServiceConfigBlock {
  LPMAPIPROP profile;
  HINSTANCE instance;
  LPALLOCATEBUFFER allocateBuffer;
  LPALLOCATEMORE allocateMore;
  LPFREEBUFFER freeBuffer;
};

// The name field's limit, in characters and in ANSI bytes.
constexpr int kServiceNameLimit = 64;

// IDOK, IDCANCEL, or -1 when the dialog could not be shown. One configuration dialog at a time.
INT_PTR ShowServiceConfigDialog(HWND owner, ServiceConfigBlock* block);

// Keeps an edit's ANSI text within limit bytes by removing the fewest characters just before the caret
// (those just typed or pasted). 0 when nothing needed cutting, 1 when characters were removed, -1 when
// the text could not be converted.
int LimitNameBytes(HWND edit, int limit);

// OK: writes the trimmed name and an empty path and saves the profile. A failure code keeps the dialog
// open (the user has been told why, except when memory ran out).
HRESULT SaveServiceConfig(HWND dialog, const ServiceConfigBlock* block);

} // namespace abk
