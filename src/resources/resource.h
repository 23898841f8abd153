// Resource identifiers of ABKPRV01: dialog templates, their controls, the string table and the icons.
// Included by ABKPRV01.rc and by the C++ code that loads these resources, so it holds #defines only.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates.
#define IDD_ENTRY_TYPE 101
#define IDD_PERSON 102
#define IDD_GROUP 104
#define IDD_SERVICE_CONFIG 105

// Icons.
#define IDI_ADD_REMOVE 111 // decoration between the group dialog's Add and Remove buttons
#define IDI_PERSON 112     // small image of a person in the group dialog's list
#define IDI_GROUP 113      // small image of a group in the group dialog's list

// Entry type dialog (101).
#define IDC_ENTRY_TYPE_LIST 1004

// Person dialog (102). The keyword field is shared with the group dialog.
#define IDC_FIRST_NAME 30301
#define IDC_LAST_NAME 30302
#define IDC_SUFFIX 30303
#define IDC_PREFIX 30304
#define IDC_RECIPIENT_NAME 30305
#define IDC_COMPANY 30306
#define IDC_DEPARTMENT 30307
#define IDC_KEYWORD 30312
#define IDC_SECONDARY_NUMBER 30313
#define IDC_SECONDARY_DESCRIPTION 30314
#define IDC_PRIMARY_NUMBER 30315
#define IDC_PRIMARY_DESCRIPTION 30316
#define IDC_PERSON_HELP 30317
#define IDC_PREFIX_LABEL 30318
#define IDC_FIRST_NAME_LABEL 30319
#define IDC_LAST_NAME_LABEL 30320
#define IDC_SUFFIX_LABEL 30321
#define IDC_RECIPIENT_NAME_LABEL 30322
#define IDC_COMPANY_LABEL 30323
#define IDC_DEPARTMENT_LABEL 30324
#define IDC_PRIMARY_NUMBER_LABEL 30325
#define IDC_PRIMARY_DESCRIPTION_LABEL 30326
#define IDC_SECONDARY_NUMBER_LABEL 30327
#define IDC_SECONDARY_DESCRIPTION_LABEL 30328
#define IDC_KEYWORD_LABEL 30329
#define IDC_FAX_NUMBER_LABEL 30330

// Group dialog (104).
#define IDC_SHOW_PERSONS 30102
#define IDC_SHOW_GROUPS 30103
#define IDC_GROUP_NAME 30401
#define IDC_AVAILABLE_LIST 30402
#define IDC_ADD_TO_GROUP 30403
#define IDC_REMOVE_FROM_GROUP 30404
#define IDC_MEMBER_LIST 30405
#define IDC_GROUP_HELP 30409
#define IDC_GROUP_NAME_LABEL 30410
#define IDC_AVAILABLE_LABEL 30411
#define IDC_SHOW_LABEL 30412
#define IDC_MEMBERS_LABEL 30413
#define IDC_GROUP_KEYWORD_LABEL 30414

// Service configuration dialog (105).
#define IDC_SERVICE_NAME 1002
#define IDC_SERVICE_SEPARATOR 1005
#define IDC_SERVICE_NAME_LABEL 2002

// String table.
#define IDS_CONFIG_NO_NAME 2     // configuration: OK with an empty name
#define IDS_CONFIG_SAVE_FAILED 3 // configuration: the profile could not be written
#define IDS_MESSAGE_CAPTION 10   // caption of the entry dialogs' message boxes
#define IDS_EDIT_PERSON_TITLE 11 // person dialog title when editing
#define IDS_EDIT_GROUP_TITLE 12  // group dialog title when editing
#define IDS_SUFFIX_FILS 21       // suffix choices
#define IDS_SUFFIX_PERE 22
#define IDS_SUFFIX_DR 23
#define IDS_PREFIX_MLLE 31 // prefix choices
#define IDS_PREFIX_M 32
#define IDS_PREFIX_MME 33
#define IDS_PREFIX_DR 34
#define IDS_FAX_TOO_LONG 41               // person: a fax number is too long
#define IDS_FAX_MISSING 42                // person: both fax numbers empty
#define IDS_TOO_MANY_ENTRIES 44           // person: the entry limit is reached
#define IDS_NO_RECIPIENT_NAME 45          // person: no recipient name
#define IDS_FAX_INVALID_CHARS 46          // person: a fax number holds a character not allowed
#define IDS_FAX_NO_VALID_NUMBER 48        // person: a fax number of hyphens only
#define IDS_GROUP_NO_MEMBERS 51           // group: OK with no members
#define IDS_GROUP_TOO_MANY_MEMBERS 52     // group: more than 256 member-list entries
#define IDS_TOO_MANY_GROUPS 53            // group: the group limit is reached
#define IDS_GROUP_NO_NAME 56              // group: OK with an empty name
#define IDS_GROUP_NOTHING_SELECTED 57     // group: Add or Remove with nothing selected
#define IDS_GROUP_CONTAINS_ITSELF 58      // group: a nested group contains the edited group
#define IDS_GROUP_TOO_MANY_INDIVIDUALS 59 // group: more than 256 individual entries
#define IDS_CONTAINING_GROUP_TOO_LARGE 60 // group: a group containing the edited one would exceed 256
#define IDS_COLUMN_NAME 71                // group dialog list columns
#define IDS_COLUMN_COMPANY 72
#define IDS_COLUMN_DEPARTMENT 73
#define IDS_COLUMN_FAX_NUMBER 74
#define IDS_COLUMN_DESCRIPTION 75
#define IDS_COLUMN_NOTES 76
#define IDS_ENTRY_TYPE_PERSON 81 // entry type choices
#define IDS_ENTRY_TYPE_GROUP 82
#define IDS_CONFIG_CAPTION 94        // caption of the configuration dialog's message boxes
#define IDS_MODULE_FILE_NAME 95      // the provider module's own file name
#define IDS_HELP_FILE_NAME 96        // the help file beside the module
#define IDS_HELP_REGISTRY_KEY 2000   // registry subkey, under the current user, of the help file path
#define IDS_HELP_REGISTRY_VALUE 2001 // registry value name of the help file path
