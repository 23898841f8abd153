// The person dialog's field table, the composition of a recipient name and the fax number rule.
#include "dialogs/person_fields.h"

#include <cstring>

#include "props/entry_props.h"
#include "resources/resource.h"

namespace abk {

// A recipient name of 85 characters is the longest the composition can build from typed parts
// (16 + 20 + 30 + 16 and three spaces); the read buffers leave room for longer stored values.
const PersonField kPersonFields[kPersonFieldCount] = {
    {PR_GIVEN_NAME, IDC_FIRST_NAME, 20, 33},
    {PR_SURNAME, IDC_LAST_NAME, 30, 33},
    {PR_NAME_SUFFIX, IDC_SUFFIX, 16, 33},
    {PR_DISPLAY_NAME_PREFIX, IDC_PREFIX, 16, 33},
    {PR_DISPLAY_NAME, IDC_RECIPIENT_NAME, 85, 129},
    {PR_COMPANY_NAME, IDC_COMPANY, 40, 65},
    {PR_DEPARTMENT_NAME, IDC_DEPARTMENT, 40, 65},
    {PR_BUSINESS_FAX_NUMBER, IDC_PRIMARY_NUMBER, 45, 49},
    {PR_PRIMARY_FAX_DESCRIPTION, IDC_PRIMARY_DESCRIPTION, 30, 45},
    {PR_HOME_FAX_NUMBER, IDC_SECONDARY_NUMBER, 45, 49},
    {PR_SECONDARY_FAX_DESCRIPTION, IDC_SECONDARY_DESCRIPTION, 30, 45},
    {PR_COMMENT, IDC_KEYWORD, 255, 257},
};

void ReadFieldTexts(HWND dialog, PersonFieldTexts* texts) {
  for (int i = 0; i < kPersonFieldCount; ++i) {
    texts->text[i][0] = '\0';
    GetDlgItemTextA(dialog, kPersonFields[i].control, texts->text[i], sizeof texts->text[i]);
  }
}

int ControlForProperty(ULONG propId) {
  for (const PersonField& field : kPersonFields) {
    if (PROP_ID(field.tag) == propId) return field.control;
  }
  return 0;
}

void ComposeRecipientName(const char* prefix, const char* first, const char* last, const char* suffix, char* out,
                          size_t outSize) {
  const char* parts[] = {prefix, first, last, suffix};
  size_t used = 0;
  size_t room = outSize - 1;
  for (const char* part : parts) {
    if (!part || !*part) continue;
    if (used > 0 && used < room) out[used++] = ' ';
    size_t length = strlen(part);
    if (length > room - used) length = room - used;
    memcpy(out + used, part, length);
    used += length;
  }
  out[used] = '\0';
}

namespace {

bool IsSignificant(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Dialling characters a fax modem understands besides digits and letters.
bool IsDialControl(unsigned char c) { return c == '#' || c == '*' || c == '^' || c == ','; }

} // namespace

UINT CheckFaxNumber(const char* number) {
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
      return IDS_FAX_INVALID_CHARS;
    }
  }
  // Hyphens only group the digits for the reader; the modem's dial string has room for 38 others.
  if (significant > 0) return length - hyphens > 38 ? IDS_FAX_TOO_LONG : 0;
  return hyphens > 0 ? IDS_FAX_NO_VALID_NUMBER : 0;
}

} // namespace abk
