// How much a book may hold: the limits every way of adding entries keeps, the dialogs and abkhost alike.
#pragma once

#include "platform/platform.h"

namespace abk {

// Persons and groups together.
constexpr ULONG kMaxEntries = 3000;
// Groups alone.
constexpr ULONG kMaxGroups = 3000;
// At most this many member-list entries in a group, and as many individual entries through nested groups.
constexpr ULONG kMaxGroupMembers = 256;

} // namespace abk
