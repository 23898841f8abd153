// The save-time checks of an edited group: what its nested groups hold, and what the groups that
// contain it would hold with its new members.
#include "dialogs/group_rules.h"
#include "resources/resource.h"

namespace abk {

namespace {

struct ValidateContext {
  AddressBookSession* session;
  const GroupTable* table;
  const MemberList* members;
  UINT refusal; // the message of the first rule broken, 0 when none was
};

void Refuse(ValidateContext& context, UINT textId) {
  if (!context.refusal) context.refusal = textId;
}

// The edited group's own count, from its member list. No nested group may hold the edited group.
bool CheckNestedGroups(ValidateContext& context, const BYTE* edited, ULONG* total) {
  *total = 0;
  // The edited group stands at the root of every path, so a member that leads back to it is a cycle
  // through it, reported as such.
  CountPath root = {edited, nullptr};
  for (const MemberNode* node = context.members->head; node; node = node->next) {
    CountStatus status =
        CountIndividuals(context.session, node->entryId, node->flags, context.table, edited, &root, total);
    if (status == CountStatus::kContainsEdited) {
      Refuse(context, IDS_GROUP_CONTAINS_ITSELF);
      return false;
    }
    if (status != CountStatus::kCounted || *total > kMaxGroupMembers) {
      Refuse(context, IDS_GROUP_TOO_MANY_INDIVIDUALS);
      return false;
    }
  }
  return true;
}

// Every group holding `group` directly, with `count` as the new size of `group`, and in turn the groups
// holding those. `path` names the groups already checked on the way up: meeting one again is a cycle.
bool CheckContainingGroups(ValidateContext& context, const BYTE* group, ULONG count, const CountPath* path) {
  CountPath here = {group, path};
  for (ULONG i = 0; i < context.table->count; ++i) {
    const GroupTableEntry& holder = context.table->entries[i];
    if (!holder.members) continue;
    ULONG sum = 0;
    bool holds = false;
    for (ULONG m = 0; m < holder.members->cRows; ++m) {
      const SRow& member = holder.members->aRow[m];
      const BYTE* id = RowEntryId(member);
      if (!id) continue;
      if (SameEntry(id, group)) {
        sum += count;
        holds = true;
      } else {
        CountStatus status =
            CountIndividuals(context.session, id, MemberRowFlags(member), context.table, nullptr, nullptr, &sum);
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
    for (const CountPath* step = &here; step; step = step->outer) {
      if (SameEntry(step->groupId, holder.groupId)) {
        Refuse(context, IDS_GROUP_TOO_MANY_INDIVIDUALS);
        return false;
      }
    }
    if (!CheckContainingGroups(context, holder.groupId, sum, &here)) return false;
  }
  return true;
}

} // namespace

bool CheckGroupSave(AddressBookSession* session, const BYTE* edited, const MemberList& members, UINT* refusal) {
  *refusal = 0;
  GroupTable table;
  if (!BuildGroupTable(session, g_groupState.rows, edited, &table)) return false;
  ValidateContext context = {session, &table, &members, 0};
  ULONG total = 0;
  bool valid = CheckNestedGroups(context, edited, &total) && CheckContainingGroups(context, edited, total, nullptr);
  FreeGroupTable(&table);
  *refusal = context.refusal;
  return valid;
}

bool ValidateGroupSave(HWND dialog, HINSTANCE instance, AddressBookSession* session, const BYTE* edited) {
  UINT refusal = 0;
  bool valid = CheckGroupSave(session, edited, g_groupState.current, &refusal);
  if (refusal) ShowGroupMessage(dialog, instance, refusal, MB_ICONSTOP);
  return valid;
}

} // namespace abk
