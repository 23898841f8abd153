// The rules every way of changing a book keeps: the fax number, and the group counts over a group graph,
// which the dialogs, abkhost import and the store library's default.csv all check with.
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "resources/resource.h"
#include "rules/fax_number.h"
#include "rules/group_graph.h"
#include "rules/name_match.h"

using namespace abk;

namespace {

TEST(Rules, AFaxNumberRefusalSaysWhereTheFirstRefusedCharacterIs) {
  struct Case {
    const char* number;
    UINT message;
    size_t refused;
  };
  const Case cases[] = {
      {"", 0, 0},
      {"01-40-00-00-00", 0, 0},
      {"#31#0140*1^2,3", 0, 0},
      {"01 40", IDS_FAX_INVALID_CHARS, 2},
      {"+33140", IDS_FAX_INVALID_CHARS, 0},
      {"01\xE9", IDS_FAX_INVALID_CHARS, 2},
      // The edges of the digit and letter ranges: the characters just outside each are refused.
      {"09AZaz", 0, 0},
      {"0/", IDS_FAX_INVALID_CHARS, 1},
      {"9:", IDS_FAX_INVALID_CHARS, 1},
      {"A@", IDS_FAX_INVALID_CHARS, 1},
      {"Z[", IDS_FAX_INVALID_CHARS, 1},
      {"Z_", IDS_FAX_INVALID_CHARS, 1},
      {"a`", IDS_FAX_INVALID_CHARS, 1},
      {"z{", IDS_FAX_INVALID_CHARS, 1},
      {"---", IDS_FAX_NO_VALID_NUMBER, 0},
      {"0123456789012345678901234567890123456789", IDS_FAX_TOO_LONG, 0},
      {"01234567-89012345678901234567890123456-7", 0, 0}, // hyphens do not count
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.number);
    FaxNumberCheck check = CheckFaxNumberText(c.number);
    EXPECT_EQ(check.message, c.message);
    if (c.message == IDS_FAX_INVALID_CHARS) {
      EXPECT_EQ(check.refused, c.refused);
    }
  }
}

constexpr ULONG kGroup = 0x80000000;

// Groups by record, each with its members; a person record counts the numbers it joins with.
class MapGraph final : public GroupGraph {
public:
  std::map<ULONG, std::vector<GraphMember>> groups;
  ULONG edited = kNoEditedGroup;
  ULONG unreadable = 0;

  bool MembersOf(ULONG group, MemberSpan* members) override {
    *members = {};
    if (group == unreadable) return false;
    if (group == edited || !groups.count(group)) return true;
    *members = {groups[group].data(), groups[group].size()};
    return true;
  }
  size_t GroupCount() override { return Listed().size(); }
  ULONG GroupAt(size_t index) override { return Listed()[index]; }

private:
  std::vector<ULONG> Listed() const {
    std::vector<ULONG> records;
    for (const auto& [record, members] : groups)
      if (record != edited) records.push_back(record);
    return records;
  }
};

GraphMember Person(ULONG record, ULONG numbers = 1) { return {record, MemberKind::kPerson, numbers}; }
GraphMember Group(ULONG record) { return {kGroup | record, MemberKind::kGroup, 0}; }
std::vector<GraphMember> Persons(ULONG first, ULONG count, ULONG numbers = 1) {
  std::vector<GraphMember> list;
  for (ULONG i = 0; i < count; ++i)
    list.push_back(Person(first + i, numbers));
  return list;
}

// Checks group `edited` of the graph with the members given; the refusal, 0 when it may be saved, or -1
// when a read failed.
int Check(MapGraph& graph, ULONG edited, const std::vector<GraphMember>& members) {
  graph.edited = edited;
  UINT refusal = 0;
  if (CheckGroupMembers(graph, edited, {members.data(), members.size()}, &refusal)) return 0;
  return refusal ? static_cast<int>(refusal) : -1;
}

TEST(Rules, GroupChecksCountThroughNestedGroupsAndTheGroupsAbove) {
  MapGraph graph;
  graph.groups[kGroup | 1] = Persons(1, 200);         // 200 individual entries
  graph.groups[kGroup | 2] = {Group(1), Person(500)}; // holds group 1
  graph.groups[kGroup | 3] = {Group(2)};              // holds group 2, so group 1 at depth 2
  graph.groups[kGroup | 4] = Persons(600, 100, 3);    // both numbers of 100 persons

  // A group of its own persons, both numbers counting.
  EXPECT_EQ(Check(graph, kGroup | 9, Persons(1, 128, 3)), 0);
  EXPECT_EQ(Check(graph, kGroup | 9, Persons(1, 129, 3)), IDS_GROUP_TOO_MANY_INDIVIDUALS);
  // Nested groups count with everything they hold.
  EXPECT_EQ(Check(graph, kGroup | 9, {Group(3), Group(4)}), IDS_GROUP_TOO_MANY_INDIVIDUALS);
  EXPECT_EQ(Check(graph, kGroup | 9, {Group(3), Person(700)}), 0);
  // Growing group 1 makes the groups above it too large.
  EXPECT_EQ(Check(graph, kGroup | 1, Persons(1, 256)), IDS_CONTAINING_GROUP_TOO_LARGE);
  EXPECT_EQ(Check(graph, kGroup | 1, Persons(1, 255)), 0);
  // A member leading back to the edited group, directly or deeper down.
  EXPECT_EQ(Check(graph, kGroup | 1, {Group(3)}), IDS_GROUP_CONTAINS_ITSELF);
  EXPECT_EQ(Check(graph, kGroup | 2, {Group(3)}), IDS_GROUP_CONTAINS_ITSELF);
  // A group that cannot be read stops the check without a refusal to show.
  graph.unreadable = kGroup | 4;
  EXPECT_EQ(Check(graph, kGroup | 9, {Group(4)}), -1);
}

TEST(Rules, ACycleAlreadyInTheBookIsCountedOnceAndRefused) {
  MapGraph graph;
  graph.groups[kGroup | 1] = {Group(2), Person(1)};
  graph.groups[kGroup | 2] = {Group(1)};
  ULONG count = 0;
  EXPECT_EQ(CountIndividuals(graph, Group(1), kNoEditedGroup, nullptr, &count), CountStatus::kCycle);
  // Another group taking either one in is refused, never counted forever.
  EXPECT_EQ(Check(graph, kGroup | 9, {Group(1)}), IDS_GROUP_TOO_MANY_INDIVIDUALS);
}

// UTF-8 in the platform's wide characters.
WideText Wide(const char* utf8) {
  WCHAR buffer[128] = {};
  int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, buffer, 128);
  return WideText(buffer, length > 0 ? static_cast<size_t>(length - 1) : 0);
}

TEST(Rules, FoldingTakesOffCaseAndAccents) {
  const std::pair<const char*, const char*> cases[] = {
      {"Hélène JOUBERT", "helene joubert"},
      {"Héloïse Dupré", "heloise dupre"},
      {"Œuvre Ÿves", "oeuvre yves"},
      {"Straße", "strasse"},
      {"Æsir Ørsted", "aesir orsted"},
      {"Łukasz Ĳssel", "lukasz ijssel"},
      {"Škoda Žofie", "skoda zofie"},
      {"3 × 4", "3 × 4"},
      {"日本", "日本"},
  };
  for (const auto& [text, folded] : cases) {
    SCOPED_TRACE(text);
    EXPECT_EQ(FoldForMatch(Wide(text)), Wide(folded));
  }

  // The book's own bytes (Windows-1252 here) fold alike, the letters beyond Latin-1 included; a value
  // too long to fold whole is marked so, and matches nothing.
  FoldedText folded;
  FoldBookText("\x8C"
               "uvre \x9F"
               "ves \x8A"
               "koda H\xC9L\xC8NE",
               &folded);
  EXPECT_EQ(WideText(folded.View()), Wide("oeuvre yves skoda helene"));
  EXPECT_TRUE(folded.whole);
  WidenBookText("H\xE9", &folded);
  EXPECT_EQ(WideText(folded.View()), Wide("Hé"));
  std::string ligatures(300, '\xC6');
  FoldBookText(ligatures.c_str(), &folded);
  EXPECT_FALSE(folded.whole);
  EXPECT_EQ(folded.length, kMaxFoldedChars);
}

TEST(Rules, ATypedTextMatchesTheStartOfANameOrOfAWordInIt) {
  MatchTexts entry = {FoldForMatch(Wide("Héloïse Dupré-Martin")), FoldForMatch(Wide("Héloïse")),
                      FoldForMatch(Wide("Dupré")), FoldForMatch(Wide("Orvex"))};
  const std::pair<const char*, MatchRank> cases[] = {
      {"heloise dupre-martin", MatchRank::kExact},
      {"helo", MatchRank::kPrefix},
      {"dup", MatchRank::kPrefix},
      {"martin", MatchRank::kPrefix}, // a word after a hyphen
      {"orv", MatchRank::kPrefix},    // the company
      {"loise", MatchRank::kNone},    // inside a word
      {"vex", MatchRank::kNone},
      {"", MatchRank::kNone},
  };
  for (const auto& [typed, rank] : cases) {
    SCOPED_TRACE(typed);
    EXPECT_EQ(MatchEntry(FoldForMatch(Wide(typed)), entry), rank);
  }
}

} // namespace
