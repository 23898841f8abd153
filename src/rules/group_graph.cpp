// Counting and checking group members over a group graph.
#include "rules/group_graph.h"

#include "resources/resource.h"
#include "rules/limits.h"

namespace abk {

namespace {

bool OnPath(const CountPath* path, ULONG group) {
  for (; path; path = path->outer) {
    if (path->group == group) return true;
  }
  return false;
}

ULONG SelectedNumbers(ULONG numbers) { return ((numbers & 1) ? 1 : 0) + ((numbers & 2) ? 1 : 0); }

CountStatus CountSpan(GroupGraph& graph, MemberSpan members, ULONG edited, const CountPath* path, ULONG* count) {
  for (size_t i = 0; i < members.count && *count <= kMaxGroupMembers; ++i) {
    const GraphMember& member = members.items[i];
    if (edited != kNoEditedGroup && member.record == edited) return CountStatus::kContainsEdited;
    CountStatus status = CountIndividuals(graph, member, edited, path, count);
    if (status != CountStatus::kCounted) return status;
  }
  return CountStatus::kCounted;
}

struct CheckContext {
  GroupGraph& graph;
  UINT refusal; // the message of the first rule broken, 0 when none was
};

void Refuse(CheckContext& context, UINT textId) {
  if (!context.refusal) context.refusal = textId;
}

// The edited group's own count, from its member list. No nested group may hold the edited group.
bool CheckNestedGroups(CheckContext& context, ULONG edited, MemberSpan members, ULONG* total) {
  *total = 0;
  // The edited group stands at the root of every path, so a member that leads back to it is a cycle
  // through it, reported as such.
  CountPath root = {edited, nullptr};
  for (size_t i = 0; i < members.count; ++i) {
    CountStatus status = CountIndividuals(context.graph, members.items[i], edited, &root, total);
    if (status == CountStatus::kContainsEdited) {
      Refuse(context, IDS_GROUP_CONTAINS_ITSELF);
      return false;
    }
    if (status != CountStatus::kCounted || *total > kMaxGroupMembers) {
      if (status != CountStatus::kReadFailed) Refuse(context, IDS_GROUP_TOO_MANY_INDIVIDUALS);
      return false;
    }
  }
  return true;
}

// Every group holding `group` directly, with `count` as the new size of `group`, and in turn the groups
// holding those. `path` names the groups already checked on the way up: meeting one again is a cycle.
bool CheckContainingGroups(CheckContext& context, ULONG group, ULONG count, const CountPath* path) {
  CountPath here = {group, path};
  size_t groups = context.graph.GroupCount();
  for (size_t g = 0; g < groups; ++g) {
    ULONG holder = context.graph.GroupAt(g);
    MemberSpan members;
    if (!context.graph.MembersOf(holder, &members)) return false;
    ULONG sum = 0;
    bool holds = false;
    for (size_t m = 0; m < members.count; ++m) {
      const GraphMember& member = members.items[m];
      if (member.record == group) {
        sum += count;
        holds = true;
      } else {
        CountStatus status = CountIndividuals(context.graph, member, kNoEditedGroup, nullptr, &sum);
        if (status == CountStatus::kCycle) {
          Refuse(context, IDS_GROUP_TOO_MANY_INDIVIDUALS);
          return false;
        }
        if (status != CountStatus::kCounted) return false;
      }
      if (sum > kMaxGroupMembers) {
        Refuse(context, IDS_CONTAINING_GROUP_TOO_LARGE);
        return false;
      }
    }
    if (!holds) continue;
    if (OnPath(&here, holder)) {
      Refuse(context, IDS_GROUP_TOO_MANY_INDIVIDUALS);
      return false;
    }
    if (!CheckContainingGroups(context, holder, sum, &here)) return false;
  }
  return true;
}

} // namespace

CountStatus CountIndividuals(GroupGraph& graph, const GraphMember& member, ULONG edited, const CountPath* path,
                             ULONG* count) {
  if (member.kind == MemberKind::kPerson) {
    *count += SelectedNumbers(member.numbers);
    return CountStatus::kCounted;
  }
  if (member.kind != MemberKind::kGroup) return CountStatus::kCounted;
  // A group already being counted further out would be counted forever.
  if (OnPath(path, member.record)) return CountStatus::kCycle;
  CountPath inner = {member.record, path};
  MemberSpan members;
  if (!graph.MembersOf(member.record, &members)) return CountStatus::kReadFailed;
  return CountSpan(graph, members, edited, &inner, count);
}

bool CheckGroupMembers(GroupGraph& graph, ULONG edited, MemberSpan members, UINT* refusal) {
  CheckContext context = {graph, 0};
  ULONG total = 0;
  bool valid =
      CheckNestedGroups(context, edited, members, &total) && CheckContainingGroups(context, edited, total, nullptr);
  *refusal = context.refusal;
  return valid;
}

} // namespace abk
