// The group rules over a CSV book's entries.
#include "csv_rules.h"

#include "resources/resource.h"
#include "rules/group_graph.h"
#include "rules/limits.h"

namespace bkconv {
namespace {

constexpr ULONG kGroupBit = 0x80000000;

// Stand-in records: an entry's index, plus one, with bit 31 for a group.
ULONG RecordOf(const std::vector<CsvEntry>& entries, size_t index) {
  return static_cast<ULONG>(index + 1) | (entries[index].group ? kGroupBit : 0);
}

size_t IndexOf(ULONG record) { return (record & ~kGroupBit) - 1; }

class FileGroupGraph final : public abk::GroupGraph {
public:
  explicit FileGroupGraph(const std::vector<CsvEntry>& entries) : entries_(entries), members_(entries.size()) {
    for (size_t i = 0; i < entries.size(); ++i) {
      for (const CsvMember& member : entries[i].members)
        members_[i].push_back({RecordOf(entries, member.entry),
                               entries[member.entry].group ? abk::MemberKind::kGroup : abk::MemberKind::kPerson,
                               member.faxSelection});
    }
  }
  void Edit(size_t index) {
    edited_ = RecordOf(entries_, index);
    groups_.clear();
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].group && i != index) groups_.push_back(RecordOf(entries_, i));
  }
  const std::vector<abk::GraphMember>& Members(size_t index) const { return members_[index]; }
  bool MembersOf(ULONG group, abk::MemberSpan* members) override {
    *members = {};
    if (group == edited_) return true; // its members are the ones being checked
    const std::vector<abk::GraphMember>& list = members_[IndexOf(group)];
    *members = {list.data(), list.size()};
    return true;
  }
  size_t GroupCount() override { return groups_.size(); }
  ULONG GroupAt(size_t index) override { return groups_[index]; }

private:
  const std::vector<CsvEntry>& entries_;
  std::vector<std::vector<abk::GraphMember>> members_;
  std::vector<ULONG> groups_;
  ULONG edited_ = abk::kNoEditedGroup;
};

const char* RefusalText(UINT refusal) {
  switch (refusal) {
  case IDS_GROUP_CONTAINS_ITSELF:
    return "the group contains itself through nested groups";
  case IDS_CONTAINING_GROUP_TOO_LARGE:
    return "a group containing this one would hold more than 256 individual entries";
  default:
    return "more than 256 individual entries through nested groups";
  }
}

} // namespace

std::vector<std::string> CheckGroupRules(const std::vector<CsvEntry>& entries) {
  std::vector<std::string> problems(entries.size() + 1);
  if (entries.size() > abk::kMaxEntries)
    problems.back() = std::string("more than ").append(std::to_string(abk::kMaxEntries)).append(" entries");
  FileGroupGraph graph(entries);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!entries[i].group) continue;
    const std::vector<abk::GraphMember>& members = graph.Members(i);
    size_t items = 0;
    for (const abk::GraphMember& member : members)
      items += member.kind == abk::MemberKind::kGroup ? 1 : (member.numbers & 1) + ((member.numbers >> 1) & 1);
    if (items > abk::kMaxGroupMembers) {
      problems[i] = "more than 256 members";
      continue;
    }
    graph.Edit(i);
    UINT refusal = 0;
    if (!abk::CheckGroupMembers(graph, RecordOf(entries, i), {members.data(), members.size()}, &refusal))
      problems[i] = RefusalText(refusal);
  }
  return problems;
}

} // namespace bkconv
