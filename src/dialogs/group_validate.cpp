// The save-time checks of an edited group, over the book the group dialog shows.
#include <new>
#include <vector>

#include "dialogs/group_rules.h"
#include "resources/resource.h"

namespace abk {

bool CheckGroupSave(AddressBookSession* session, const SRowSet* bookRows, const BYTE* edited,
                    const MemberChoices& members, UINT* refusal) {
  *refusal = 0;
  BookGroupGraph graph(session, bookRows, edited);
  std::vector<GraphMember> list;
  try {
    for (const MemberChoice* node = members.head; node; node = node->next)
      list.push_back(graph.Member(node->entryId, node->flags));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!graph.Complete()) return false;
  return CheckGroupMembers(graph, RecordOfEntry(edited), {list.data(), list.size()}, refusal);
}

bool ValidateGroupSave(HWND dialog, HINSTANCE instance, AddressBookSession* session, const BYTE* edited) {
  UINT refusal = 0;
  const GroupDialogState& state = GroupStateOf(dialog);
  bool valid = CheckGroupSave(session, state.rows, edited, state.current, &refusal);
  if (refusal) ShowGroupMessage(dialog, instance, refusal, MB_ICONSTOP);
  return valid;
}

} // namespace abk
