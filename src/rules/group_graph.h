// The membership rules of groups over any view of a book's groups: counting the individual entries a
// member stands for through nested groups, and the checks a group passes before its member list is
// saved. The dialogs read the groups from the provider's tables; abkhost reads them from a book and a
// file it imports. Both call these, so a group one lets in the other can save.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace abk {

enum class MemberKind : unsigned char { kPerson, kGroup, kOther };

// One member of a group. Records name entries within one book; a group's record has bit 31 set.
struct GraphMember {
  ULONG record = 0;
  MemberKind kind = MemberKind::kOther;
  ULONG numbers = 0; // for a person, which fax numbers the group uses: bit 0 primary, bit 1 secondary
};

struct MemberSpan {
  const GraphMember* items = nullptr;
  size_t count = 0;
};

// The groups of a book. Every span handed out stays valid until the graph is destroyed.
class GroupGraph {
public:
  // The members of `group`; false when they cannot be read. A group the graph does not hold has none.
  virtual bool MembersOf(ULONG group, MemberSpan* members) = 0;
  // The groups of the book, the edited group excepted.
  virtual size_t GroupCount() = 0;
  virtual ULONG GroupAt(size_t index) = 0;

protected:
  ~GroupGraph() = default;
};

// The chain of groups being counted, innermost first: a group met again on it is a cycle.
struct CountPath {
  ULONG group;
  const CountPath* outer;
};

enum class CountStatus {
  kCounted,
  kReadFailed,     // a group's members could not be read
  kCycle,          // a group contains itself through nested groups
  kContainsEdited, // a nested group contains the group being edited
};

// No group is being edited: no record is 0 (that number names the person template).
constexpr ULONG kNoEditedGroup = 0;

// Adds to *count the individual entries `member` stands for: the chosen numbers of a person, the members
// of a group counted at any depth. Meeting `edited` stops the count. Counting stops early once *count
// exceeds kMaxGroupMembers: the caller refuses then anyway.
CountStatus CountIndividuals(GroupGraph& graph, const GraphMember& member, ULONG edited, const CountPath* path,
                             ULONG* count);

// The checks of group `edited` with a new member list (it may be a group not in the book yet): no nested
// group contains it, at most kMaxGroupMembers individual entries in it and in every group containing it.
// False when a rule is broken (its message id in *refusal) or a read failed (*refusal 0).
bool CheckGroupMembers(GroupGraph& graph, ULONG edited, MemberSpan members, UINT* refusal);

} // namespace abk
