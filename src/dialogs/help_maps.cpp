// Which help topic each control of the person, group and configuration dialogs leads to. Labels share
// the context of the field they name.
#include "dialogs/dialog_common.h"
#include "resources/resource.h"

namespace abk {

// One (control, context) pair per line.
// clang-format off

const DWORD PersonHelpIds[] = {
    IDC_LAST_NAME_LABEL, 1025,
    IDC_LAST_NAME, 1025,
    IDC_FIRST_NAME_LABEL, 1026,
    IDC_FIRST_NAME, 1026,
    IDC_SUFFIX_LABEL, 1027,
    IDC_SUFFIX, 1027,
    IDC_PREFIX_LABEL, 1035,
    IDC_PREFIX, 1035,
    IDC_RECIPIENT_NAME_LABEL, 1028,
    IDC_RECIPIENT_NAME, 1028,
    IDC_COMPANY_LABEL, 1029,
    IDC_COMPANY, 1029,
    IDC_DEPARTMENT_LABEL, 1030,
    IDC_DEPARTMENT, 1030,
    IDC_PRIMARY_NUMBER_LABEL, 1031,
    IDC_SECONDARY_NUMBER, 1031,
    IDC_PRIMARY_DESCRIPTION_LABEL, 1032,
    IDC_SECONDARY_DESCRIPTION, 1032,
    IDC_SECONDARY_NUMBER_LABEL, 1031,
    IDC_PRIMARY_NUMBER, 1031,
    IDC_SECONDARY_DESCRIPTION_LABEL, 1032,
    IDC_PRIMARY_DESCRIPTION, 1032,
    IDC_KEYWORD_LABEL, 1033,
    IDC_KEYWORD, 1033,
    IDC_PERSON_HELP, 2049,
    IDC_FAX_NUMBER_LABEL, 1034,
    0, 0,
};

const DWORD GroupHelpIds[] = {
    IDC_GROUP_NAME_LABEL, 1281,
    IDC_GROUP_NAME, 1281,
    IDC_AVAILABLE_LABEL, 1284,
    IDC_AVAILABLE_LIST, 1284,
    IDC_SHOW_LABEL, 514,
    IDC_SHOW_PERSONS, 514,
    IDC_SHOW_GROUPS, 514,
    IDC_MEMBERS_LABEL, 1282,
    IDC_MEMBER_LIST, 1282,
    IDC_GROUP_KEYWORD_LABEL, 1283,
    IDC_KEYWORD, 1283,
    IDC_ADD_TO_GROUP, 1285,
    IDC_REMOVE_FROM_GROUP, 1286,
    IDC_GROUP_HELP, 2049,
    0, 0,
};

const DWORD ConfigHelpIds[] = {
    IDC_SERVICE_NAME_LABEL, 3841,
    IDC_SERVICE_NAME, 3841,
    0, 0,
};

// clang-format on

} // namespace abk
