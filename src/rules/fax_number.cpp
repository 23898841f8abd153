// The fax number rule.
#include "rules/fax_number.h"

#include "resources/resource.h"

namespace abk {

namespace {

// The modem's dial string has room for this many characters besides the hyphens.
constexpr size_t kMaxDialCharacters = 38;

bool IsSignificant(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Dialling characters a fax modem understands besides digits and letters.
bool IsDialControl(unsigned char c) { return c == '#' || c == '*' || c == '^' || c == ','; }

} // namespace

FaxNumberCheck CheckFaxNumberText(const char* number) {
  FaxNumberCheck check;
  size_t significant = 0;
  size_t hyphens = 0;
  size_t length = 0;
  for (; number[length]; ++length) {
    unsigned char c = static_cast<unsigned char>(number[length]);
    if (IsSignificant(c)) {
      ++significant;
    } else if (c == '-') {
      ++hyphens;
    } else if (!IsDialControl(c)) {
      check.message = IDS_FAX_INVALID_CHARS;
      check.refused = length;
      return check;
    }
  }
  // Hyphens only group the digits for the reader.
  if (significant > 0) {
    if (length - hyphens > kMaxDialCharacters) check.message = IDS_FAX_TOO_LONG;
  } else if (hyphens > 0) {
    check.message = IDS_FAX_NO_VALID_NUMBER;
  }
  return check;
}

} // namespace abk
