// The group rules as the dialogs apply them: a group graph read from the provider's own tables, the
// save-time checks of an edited group, and the message a refusal shows.
#pragma once

#include <map>
#include <vector>

#include "dialogs/group_state.h"
#include "rules/group_graph.h"
#include "rules/limits.h"

namespace abk {

class AddressBookSession;

// The groups of the book as the provider lists them. With the book's rows, the graph holds the groups
// among them, the edited one left empty; without, any group met as a member is read from the store.
// Members are read once, when first asked for, and kept until the graph is destroyed.
class BookGroupGraph final : public GroupGraph {
public:
  BookGroupGraph(AddressBookSession* session, const SRowSet* bookRows, const BYTE* edited);
  ~BookGroupGraph();
  BookGroupGraph(const BookGroupGraph&) = delete;
  BookGroupGraph& operator=(const BookGroupGraph&) = delete;

  // The member an identifier with fax-selection `flags` stands for; a group among them becomes readable.
  GraphMember Member(const BYTE* entryId, ULONG flags);

  bool MembersOf(ULONG group, MemberSpan* members) override;
  size_t GroupCount() override { return order_.size(); }
  ULONG GroupAt(size_t index) override { return order_[index]; }

  // False when memory ran out while the graph was built.
  bool Complete() const { return complete_; }

private:
  struct Group {
    const BYTE* entryId = nullptr;
    bool read = false;
    std::vector<GraphMember> members;
  };

  bool Read(Group& group);

  AddressBookSession* session_;
  bool listed_;  // the graph holds only the groups of the book's rows
  ULONG edited_; // its members count nothing: the save replaces them
  bool complete_ = true;
  std::map<ULONG, Group> groups_;
  std::vector<ULONG> order_;        // the listed groups, in row order
  std::vector<LPSRowSet> readRows_; // the member rows read, which the identifiers above point into
};

// The record an identifier names, kNoEditedGroup for null.
ULONG RecordOfEntry(const BYTE* entryId);

// The save-time checks of an existing group against a member list: no nested group contains it, at most
// 256 individual entries in it and in every group containing it. False when a rule is broken (its message
// in *refusal) or a read failed (*refusal 0). Nothing is shown.
// `bookRows` are the book's rows the dialog read.
bool CheckGroupSave(AddressBookSession* session, const SRowSet* bookRows, const BYTE* edited,
                    const MemberChoices& members, UINT* refusal);
// The same against the dialog's current member list; a refusal is shown to the user, a failed read ends
// it silently.
bool ValidateGroupSave(HWND dialog, HINSTANCE instance, AddressBookSession* session, const BYTE* edited);

// The message every group rule refusal shows, with caption 10.
void ShowGroupMessage(HWND dialog, HINSTANCE instance, UINT textId, UINT icon);

} // namespace abk
