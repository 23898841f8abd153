// What a fax number may hold: digits and letters, hyphens that group them, and the dialling characters a
// fax modem understands.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace abk {

struct FaxNumberCheck {
  UINT message = 0;   // 0 when the number is acceptable, otherwise the string id of the message that says why
  size_t refused = 0; // with IDS_FAX_INVALID_CHARS, the offset of the first character not allowed
};

FaxNumberCheck CheckFaxNumberText(const char* number);

// 0 when a fax number is acceptable, otherwise the string id of the message that says why.
inline UINT CheckFaxNumber(const char* number) { return CheckFaxNumberText(number).message; }

} // namespace abk
