// Reading and writing a group's member list.
#include "csv/csv_members.h"

#include <algorithm>
#include <string_view>

#include "csv/csv_chars.h"

namespace abk::csv {
namespace {

constexpr std::string_view kChoices[] = {":primary", ":secondary"};

// 1 or 2 when the text ends with ":primary" or ":secondary", else 0.
unsigned ChoiceAtEnd(const std::string& text) {
  for (unsigned numbers = 1; numbers <= 2; ++numbers) {
    std::string_view choice = kChoices[numbers - 1];
    if (text.size() >= choice.size() && text.compare(text.size() - choice.size(), choice.size(), choice) == 0)
      return numbers;
  }
  return 0;
}

bool IsDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// Reads the quoted name whose opening quote is at cell[*at], leaving *at after its closing quote.
bool ReadQuotedName(const std::string& cell, size_t* at, std::string* name) {
  for (size_t i = *at + 1; i < cell.size(); ++i) {
    if (cell[i] != '"') {
      *name += cell[i];
    } else if (i + 1 < cell.size() && cell[i + 1] == '"') {
      *name += '"';
      ++i;
    } else {
      *at = i + 1;
      return true;
    }
  }
  return false;
}

// Reads what follows a quoted name up to the next item: nothing, or the number choice.
bool ReadChoice(const std::string& rest, MemberRef* member, std::string* problem) {
  member->numbers = ChoiceAtEnd(rest);
  if (rest.empty() || (member->numbers && rest == kChoices[member->numbers - 1])) return true;
  *problem = rest[0] == ':' ? "unknown number choice '" + rest + "' (:primary or :secondary)"
                            : "'" + rest + "' after the quoted name '" + member->name + "'";
  return false;
}

// Reads an item that does not begin with a quote, blanks trimmed, into *member.
bool ReadBareItem(const std::string& item, MemberRef* member, std::string* problem) {
  std::string text = item;
  member->numbers = ChoiceAtEnd(text);
  if (member->numbers) text = TrimBlanks(text.substr(0, text.size() - kChoices[member->numbers - 1].size()));
  if (text.empty()) {
    *problem = "'" + item + "' names no member";
    return false;
  }
  if (text[0] != '#') {
    member->name = text;
    return true;
  }
  member->id = text.substr(1);
  if (IsDigits(member->id)) return true;
  *problem = "'" + item + "' is not '#' followed by digits";
  return false;
}

} // namespace

bool ParseMembers(const std::string& cell, std::vector<MemberRef>* members, std::string* problem) {
  members->clear();
  size_t at = 0;
  while (at < cell.size()) {
    while (at < cell.size() && IsBlank(cell[at]))
      ++at;
    MemberRef member;
    bool quoted = at < cell.size() && cell[at] == '"';
    if (quoted && !ReadQuotedName(cell, &at, &member.name)) {
      *problem = "the quote before '" + cell.substr(at + 1) + "' is not closed";
      return false;
    }
    size_t end = std::min(cell.find(';', at), cell.size());
    std::string rest = TrimBlanks(cell.substr(at, end - at));
    at = end + 1;
    if (!quoted && rest.empty()) continue;
    if (!(quoted ? ReadChoice(rest, &member, problem) : ReadBareItem(rest, &member, problem))) return false;
    members->push_back(std::move(member));
  }
  return true;
}

std::string FormatMembers(const std::vector<MemberRef>& members) {
  std::string cell;
  for (size_t i = 0; i < members.size(); ++i) {
    const MemberRef& member = members[i];
    if (i) cell += ';';
    const std::string& name = member.name;
    if (!member.id.empty()) {
      cell += "#" + member.id;
    } else if (name.empty() || name.find_first_of(";\"") != std::string::npos || name[0] == '#' ||
               IsBlank(name.front()) || IsBlank(name.back()) || ChoiceAtEnd(name)) {
      cell += Quoted(name);
    } else {
      cell += name;
    }
    if (member.numbers == 1 || member.numbers == 2) cell += kChoices[member.numbers - 1];
  }
  return cell;
}

} // namespace abk::csv
