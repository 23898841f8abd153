// A group's member list as one CSV cell: items separated by ';', each '#' and an id or a name, then
// optionally ':primary' or ':secondary' for the fax number the group uses.
#pragma once

#include <string>
#include <vector>

namespace abk::csv {

struct MemberRef {
  std::string name;     // UTF-8; empty when the member is named by id
  std::string id;       // the digits after '#': the member's value in the file's id column; empty when named by name
  unsigned numbers = 0; // 0 not given, 1 ":primary", 2 ":secondary"
};

// Reads a member list into *members. Blanks around items and empty items do not count. A name is bare (no
// ';', not beginning with '"' or '#'; a trailing ':primary' or ':secondary' is the number choice, any
// other colon is part of it) or in double quotes, '""' for a quote inside. False on a fault of syntax,
// described in *problem.
bool ParseMembers(const std::string& cell, std::vector<MemberRef>* members, std::string* problem);

// The list as ParseMembers reads it back: items joined by ';', names quoted where a bare one would read
// differently.
std::string FormatMembers(const std::vector<MemberRef>& members);

} // namespace abk::csv
