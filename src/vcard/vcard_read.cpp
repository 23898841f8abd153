// Reading a vCard file into the address book's rows.
#include <algorithm>
#include <iterator>
#include <map>

#include "csv/csv_chars.h"
#include "rules/recipient_name.h"
#include "vcard/vcard_book.h"
#include "vcard/vcard_properties.h"
#include "vcard/vcard_values.h"

namespace abk::vcard {
namespace {

using abk::csv::BookRow;
using abk::csv::Column;
using abk::csv::MemberRef;
using abk::csv::Problem;

// Every field a card can hold: a person of the book that differs from a card in any of them is another
// person.
const std::vector<Column> kCardColumns = {
    Column::kName,       Column::kPrefix,     Column::kFirst,      Column::kMiddle, Column::kLast,
    Column::kSuffix,     Column::kCompany,    Column::kDepartment, Column::kFax,    Column::kFaxDescription,
    Column::kFaxExtra1,  Column::kFaxExtra2,  Column::kFaxExtra3,  Column::kFax2,   Column::kFax2Description,
    Column::kFax2Extra1, Column::kFax2Extra2, Column::kFax2Extra3, Column::kKeyword};

struct Fax {
  std::string number;
  size_t line;
  bool work, home;
};

struct Member {
  MemberRef ref;
  size_t line;
  std::string written; // the MEMBER value as the file has it, for messages
};

// What one card's lines hold, before it becomes a row.
struct Card {
  size_t line = 0; // its BEGIN:VCARD
  std::vector<ContentLine> lines;
  bool group = false;
  std::string uid;
  std::map<Column, std::string> values; // the first of each property; N's parts only once the card is a person
  std::vector<std::string> nameParts;
  std::vector<Fax> faxes;
  std::vector<Member> members;
  std::vector<Problem> problems;
};

// What the whole file has read so far.
struct Reading {
  abk::csv::Book book;
  std::vector<std::vector<Member>> members; // of each row of the book, with their lines
  std::map<std::string, size_t> uids;       // the line of each UID's card
  TextDecoder decoder;
  std::vector<std::string> ignored; // the names of the properties ignored, in the order first met
  size_t ignoredLine = 0;
};

// Cut at a NUL byte, which no value can hold, and without surrounding blanks, as a CSV cell is.
std::string Clean(const std::string& text) { return abk::csv::TrimBlanks(text.substr(0, text.find('\0'))); }

bool StartsWithNoCase(const std::string& text, const std::string& start) {
  return Upper(text.substr(0, start.size())) == Upper(start);
}

// A UID as members name it: "urn:uuid:" is how 4.0 writes a UID and how 3.0 groups name a UID written
// without it.
std::string UidKey(const std::string& uid) {
  return StartsWithNoCase(uid, kUuidUrn) ? uid.substr(sizeof kUuidUrn - 1) : uid;
}

// The properties a row takes something from; any other is ignored.
bool IsTaken(const ContentLine& line) {
  for (const char* name : {"FN", "N", "ORG", "NOTE", "UID", "MEMBER", "X-ADDRESSBOOKSERVER-MEMBER"})
    if (line.name == name) return true;
  for (const ExtraProperty& extra : kExtraProperties)
    if (line.name == extra.name) return true;
  return line.name == "TEL" && HasParam(line, "TYPE", "fax");
}

std::string Joined(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names)
    list.append(list.empty() ? "" : ", ").append(name);
  return list;
}

void Ignore(Reading& reading, const ContentLine& line) {
  std::string name = line.name == "TEL" ? "TEL (not fax)" : line.name;
  if (std::find(reading.ignored.begin(), reading.ignored.end(), name) != reading.ignored.end()) return;
  reading.ignored.push_back(name);
  if (!reading.ignoredLine) reading.ignoredLine = line.line;
}

// Reads a MEMBER line's reference and the numbers its X-ABK-FAX parameter chooses.
bool ReadMember(const ContentLine& line, const std::string& value, Card& card, std::string* problem) {
  Member member{{}, line.line, value};
  member.ref.id = UidKey(value);
  std::vector<unsigned> numbers;
  for (const Param& param : line.params) {
    if (param.name != kFaxChoiceParam) continue;
    for (const std::string& item : param.values) {
      unsigned chosen = Upper(item) == "PRIMARY" ? 1 : Upper(item) == "SECONDARY" ? 2 : 0;
      if (!chosen) {
        *problem = "unknown fax choice '" + item + "' (primary or secondary)";
        return false;
      }
      numbers.push_back(chosen);
    }
  }
  if (numbers.empty()) numbers.push_back(0);
  for (unsigned chosen : numbers) {
    member.ref.numbers = chosen;
    card.members.push_back(member);
  }
  return true;
}

// Reads one property of a card into it. False with *problem when its value cannot be read.
bool ReadProperty(const ContentLine& line, Card& card, Reading& reading, std::string* problem) {
  const std::string& name = line.name;
  if (name == "VERSION" || name == "PRODID" || name == "REV") return true;
  if (name == "KIND" || name == "X-ADDRESSBOOKSERVER-KIND") {
    card.group = Upper(Clean(line.value)) == "GROUP";
    return true;
  }
  if (!IsTaken(line)) {
    Ignore(reading, line);
    return true;
  }
  bool structured = name == "N" || name == "ORG";
  std::vector<std::string> parts;
  for (const std::string& raw : structured ? SplitComponents(line.value) : std::vector<std::string>{line.value}) {
    std::string text;
    if (!reading.decoder.Decode(line, raw, &text, problem)) return false;
    parts.push_back(Clean(text));
  }
  const std::string& text = parts[0];
  if (name == "MEMBER" || name == "X-ADDRESSBOOKSERVER-MEMBER") return ReadMember(line, text, card, problem);
  if (name == "FN") card.values.emplace(Column::kName, text);
  if (name == "NOTE") card.values.emplace(Column::kKeyword, text);
  if (name == "UID" && card.uid.empty()) card.uid = UidKey(text);
  if (name == "N" && card.nameParts.empty()) card.nameParts = parts;
  if (name == "ORG" && !card.values.count(Column::kCompany)) {
    std::string department;
    for (size_t i = 1; i < parts.size(); ++i)
      department.append(i > 1 ? ", " : "").append(parts[i]);
    card.values[Column::kCompany] = text;
    card.values[Column::kDepartment] = department;
  }
  if (name == "TEL" && !text.empty())
    card.faxes.push_back({StartsWithNoCase(text, "tel:") ? text.substr(4) : text, line.line,
                          HasParam(line, "TYPE", "work"), HasParam(line, "TYPE", "home")});
  for (const ExtraProperty& extra : kExtraProperties)
    if (name == extra.name) card.values.emplace(extra.column, text);
  return true;
}

// The first fax typed work is the first number and the first typed home the second; the others fill what
// is left, in file order. A third number has no place.
void PlaceFaxes(Card& card) {
  const Fax* slots[2] = {nullptr, nullptr};
  std::vector<const Fax*> rest;
  for (const Fax& fax : card.faxes) {
    if (fax.work && !slots[0])
      slots[0] = &fax;
    else if (fax.home && !fax.work && !slots[1])
      slots[1] = &fax;
    else
      rest.push_back(&fax);
  }
  for (const Fax* fax : rest) {
    const Fax** free = !slots[0] ? &slots[0] : !slots[1] ? &slots[1] : nullptr;
    if (free)
      *free = fax;
    else
      card.problems.push_back(
          {fax->line, "a third fax number ('" + fax->number + "'); the book keeps two for each person"});
  }
  if (slots[0]) card.values[Column::kFax] = slots[0]->number;
  if (slots[1]) card.values[Column::kFax2] = slots[1]->number;
}

// The card's lines read into a row of the book, or its problems reported.
void ReadCard(Card& card, Reading& reading) {
  std::string version = "4.0";
  for (const ContentLine& line : card.lines) {
    if (line.name != "VERSION") continue;
    version = Clean(line.value);
    if (version != "2.1" && version != "3.0" && version != "4.0")
      card.problems.push_back({line.line, "unknown vCard version '" + version + "' (2.1, 3.0 or 4.0)"});
  }
  reading.decoder.version21 = version == "2.1";
  for (const ContentLine& line : card.lines) {
    std::string problem;
    if (!ReadProperty(line, card, reading, &problem)) card.problems.push_back({line.line, line.name + ": " + problem});
  }
  PlaceFaxes(card);
  // 3.0 wants an N on every card, a group's too, where it holds nothing of the group's.
  for (size_t i = 0; !card.group && i < card.nameParts.size() && i < std::size(kNameParts); ++i)
    card.values.emplace(kNameParts[i], card.nameParts[i]);
  if (!card.group && !card.members.empty())
    card.problems.push_back({card.members[0].line, "a person has no members (the card has no KIND:group)"});
  if (!card.uid.empty()) {
    auto [first, fresh] = reading.uids.emplace(card.uid, card.line);
    if (!fresh)
      card.problems.push_back(
          {card.line, "UID '" + card.uid + "' is already used by the card on line " + std::to_string(first->second)});
  }
  if (!card.problems.empty()) {
    reading.book.problems.insert(reading.book.problems.end(), card.problems.begin(), card.problems.end());
    return;
  }
  BookRow row;
  row.line = card.line;
  row.group = card.group;
  row.id = card.uid;
  for (const auto& [column, value] : card.values)
    if (!value.empty()) row.fields.emplace_back(column, value);
  row.name = card.values[Column::kName];
  if (row.name.empty())
    row.name = abk::ComposeRecipientName(card.values[Column::kPrefix], card.values[Column::kFirst],
                                         card.values[Column::kLast], card.values[Column::kSuffix]);
  for (const Member& member : card.members)
    row.members.push_back(member.ref);
  reading.book.rows.push_back(std::move(row));
  reading.members.push_back(card.members);
}

// Leaves out the groups with a member that names no card of the file.
void CheckMembers(Reading& reading) {
  std::vector<BookRow> kept;
  for (size_t r = 0; r < reading.book.rows.size(); ++r) {
    bool named = true;
    for (const Member& member : reading.members[r]) {
      if (reading.uids.count(member.ref.id)) continue;
      reading.book.problems.push_back({member.line, "member '" + member.written + "' names no card of the file"});
      named = false;
    }
    if (named) kept.push_back(std::move(reading.book.rows[r]));
  }
  reading.book.rows = std::move(kept);
}

} // namespace

abk::csv::Book ReadCards(const std::string& bytes) {
  Reading reading;
  reading.book.columns = kCardColumns;
  std::vector<ContentLine> lines = ReadContentLines(bytes, &reading.book.problems);
  Card card;
  bool inCard = false;
  for (ContentLine& line : lines) {
    bool marker = Upper(Clean(line.value)) == "VCARD";
    if (line.name == "BEGIN" && marker) {
      if (inCard) reading.book.problems.push_back({card.line, "the card has no END:VCARD"});
      card = Card();
      card.line = line.line;
      inCard = true;
    } else if (line.name == "END" && marker && inCard) {
      ReadCard(card, reading);
      inCard = false;
    } else if (inCard) {
      card.lines.push_back(std::move(line));
    } else {
      reading.book.problems.push_back({line.line, "outside a card (BEGIN:VCARD to END:VCARD)"});
    }
  }
  if (inCard) reading.book.problems.push_back({card.line, "the card has no END:VCARD"});
  if (lines.empty() && reading.book.problems.empty()) reading.book.problems.push_back({1, "no card in the file"});
  CheckMembers(reading);
  if (reading.ignoredLine)
    reading.book.warnings.push_back(
        {reading.ignoredLine, "ignored, as the book has no place for them: " + Joined(reading.ignored)});
  if (reading.decoder.windows1252Line)
    reading.book.warnings.push_back(
        {reading.decoder.windows1252Line, "not UTF-8 and no CHARSET; read as Windows-1252 from here on"});
  std::stable_sort(reading.book.problems.begin(), reading.book.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  return reading.book;
}

} // namespace abk::vcard
