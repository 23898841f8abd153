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

} // namespace abk
