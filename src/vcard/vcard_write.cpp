// Writing the address book's rows as vCards.
#include <cstdint>
#include <map>

#include "vcard/vcard_book.h"
#include "vcard/vcard_properties.h"
#include "vcard/vcard_values.h"

namespace abk::vcard {
namespace {

using abk::csv::BookRow;
using abk::csv::Column;
using abk::csv::FieldOf;
using abk::csv::MemberRef;

// FNV-1a, then MurmurHash3's finaliser so that keys differing only near their end (Bob 1, Bob 2) differ in
// every byte.
uint64_t Hash(const std::string& text, uint64_t hash) {
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001B3ull;
  }
  hash ^= hash >> 33;
  hash *= 0xFF51AFD7ED558CCDull;
  hash ^= hash >> 33;
  hash *= 0xC4CEB9FE1A85EC53ull;
  return hash ^ (hash >> 33);
}

// A UUID (version 8, RFC 9562's own layout) made from the card's kind, name and how many cards of both came
// before it: the same entry gets the same UID at every export as long as its name and place stay, and a
// group's MEMBER lines name the same cards after a round trip.
std::string MadeUuid(bool group, const std::string& name, unsigned occurrence) {
  std::string key = std::string(group ? "group" : "person") + '\n' + name + '\n' + std::to_string(occurrence);
  uint64_t halves[2] = {Hash(key, 0xCBF29CE484222325ull), Hash(key, 0x84222325CBF29CE4ull)};
  unsigned char bytes[16];
  for (int i = 0; i < 16; ++i)
    bytes[i] = static_cast<unsigned char>(halves[i / 8] >> (8 * (7 - i % 8)));
  bytes[6] = static_cast<unsigned char>(0x80 | (bytes[6] & 0x0F)); // version 8
  bytes[8] = static_cast<unsigned char>(0x80 | (bytes[8] & 0x3F)); // the RFC's variant
  const char* digits = "0123456789abcdef";
  std::string uuid;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) uuid += '-';
    uuid += digits[bytes[i] >> 4];
    uuid += digits[bytes[i] & 0x0F];
  }
  return uuid;
}

// The parts escaped and joined by ';'.
std::string Structured(const std::vector<std::string>& parts) {
  std::string value;
  for (size_t i = 0; i < parts.size(); ++i)
    value.append(i ? ";" : "").append(EscapeText(parts[i]));
  return value;
}

class CardWriter {
public:
  CardWriter(Version version, std::string* text) : version3_(version == Version::kVersion3), text_(*text) {}

  void Line(const std::string& nameAndParams, const std::string& value) {
    text_ += FoldLine(nameAndParams + ":" + value);
  }
  void Begin(const std::string& uuid, bool group) {
    Line("BEGIN", "VCARD");
    Line("VERSION", version3_ ? "3.0" : "4.0");
    if (group) Line(version3_ ? "X-ADDRESSBOOKSERVER-KIND" : "KIND", "group");
    // 3.0 groups name their members "urn:uuid:" and the UID, which 3.0 cards write bare.
    Line("UID", version3_ ? uuid : kUuidUrn + uuid);
  }

  void Person(const BookRow& row, const std::string& uuid) {
    Begin(uuid, false);
    Line("FN", EscapeText(row.name));
    std::vector<std::string> name;
    bool named = false;
    for (Column part : kNameParts) {
      name.push_back(FieldOf(row, part));
      named = named || !name.back().empty();
    }
    // 3.0 wants N on every card.
    if (named || version3_) Line("N", Structured(name));
    std::string company = FieldOf(row, Column::kCompany), department = FieldOf(row, Column::kDepartment);
    if (!department.empty())
      Line("ORG", Structured({company, department}));
    else if (!company.empty())
      Line("ORG", EscapeText(company));
    for (int block = 1; block <= 2; ++block) {
      std::string number = FieldOf(row, block == 1 ? Column::kFax : Column::kFax2);
      if (!number.empty()) Line(block == 1 ? "TEL;TYPE=fax,work" : "TEL;TYPE=fax,home", EscapeText(number));
      for (const ExtraProperty& extra : kExtraProperties) {
        std::string value = FieldOf(row, extra.column);
        if (extra.block == block && !value.empty()) Line(extra.name, EscapeText(value));
      }
    }
    Note(row);
    Line("END", "VCARD");
  }

  void Group(const BookRow& row, const std::string& uuid, const std::map<std::string, std::string>& uuidOfId) {
    Begin(uuid, true);
    Line("FN", EscapeText(row.name));
    if (version3_) Line("N", Structured({row.name, "", "", "", ""}));
    Note(row);
    const std::vector<MemberRef>& members = row.members;
    size_t i = 0;
    while (i < members.size()) {
      const MemberRef& member = members[i];
      // A person the group uses both numbers of comes as two references to one id: one MEMBER line.
      std::string choices;
      for (; i < members.size() && members[i].id == member.id; ++i)
        if (members[i].numbers == 1 || members[i].numbers == 2)
          choices.append(choices.empty() ? "" : ",").append(kFaxChoices[members[i].numbers - 1]);
      auto found = uuidOfId.find(member.id);
      if (found == uuidOfId.end()) continue;
      std::string name = version3_ ? "X-ADDRESSBOOKSERVER-MEMBER" : "MEMBER";
      if (!choices.empty()) name += std::string(";") + kFaxChoiceParam + "=" + choices;
      Line(name, kUuidUrn + found->second);
    }
    Line("END", "VCARD");
  }

private:
  void Note(const BookRow& row) {
    std::string keyword = FieldOf(row, Column::kKeyword);
    if (!keyword.empty()) Line("NOTE", EscapeText(keyword));
  }

  bool version3_;
  std::string& text_;
};

} // namespace

std::string WriteCards(const abk::csv::Book& book, Version version) {
  std::map<std::pair<bool, std::string>, unsigned> seen;
  std::vector<std::string> uuids;
  std::map<std::string, std::string> uuidOfId;
  for (const BookRow& row : book.rows) {
    uuids.push_back(MadeUuid(row.group, row.name, ++seen[{row.group, row.name}]));
    if (!row.id.empty()) uuidOfId[row.id] = uuids.back();
  }
  std::string text;
  CardWriter writer(version, &text);
  for (size_t i = 0; i < book.rows.size(); ++i) {
    if (book.rows[i].group)
      writer.Group(book.rows[i], uuids[i], uuidOfId);
    else
      writer.Person(book.rows[i], uuids[i]);
  }
  return text;
}

} // namespace abk::vcard
