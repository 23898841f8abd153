// Turning the rows of a CSV book into entries with their field and member records.
#include "csv_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <utility>

#include "csv/csv_book.h"
#include "csv_rules.h"
#include "log_format.h"

namespace bkconv {
namespace {

using abk::csv::BookRow;
using abk::csv::Column;

constexpr ULONG kDisplayName = 0x1;

// The record field of each column that holds one.
constexpr std::pair<Column, ULONG> kFields[] = {
    {Column::kName, kDisplayName},
    {Column::kPrefix, 0x2},
    {Column::kFirst, 0x3},
    {Column::kMiddle, 0x4},
    {Column::kLast, 0x5},
    {Column::kSuffix, 0x6},
    {Column::kKeyword, 0x8},
    {Column::kCompany, 0x200},
    {Column::kDepartment, 0x201},
    {Column::kFax, 0x210},
    {Column::kFaxDescription, 0x211},
    {Column::kFaxExtra1, 0x212},
    {Column::kFaxExtra2, 0x213},
    {Column::kFaxExtra3, 0x214},
    {Column::kFax2, 0x110},
    {Column::kFax2Description, 0x111},
    {Column::kFax2Extra1, 0x112},
    {Column::kFax2Extra2, 0x113},
    {Column::kFax2Extra3, 0x114},
};

ULONG FieldOf(Column column) {
  for (const auto& [known, field] : kFields)
    if (known == column) return field;
  return 0;
}

// The text in the ANSI code page that the book's values use; false when a character has no byte there
// (Windows would put '?' or a look-alike in its place).
bool Utf8ToAnsi(const std::string& text, std::string* ansi) {
  bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || GetACP() == CP_UTF8) {
    *ansi = text;
    return true;
  }
  int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wide <= 0) return false;
  std::vector<WCHAR> buffer(static_cast<size_t>(wide));
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), buffer.data(), wide);
  BOOL lossy = FALSE;
  int narrow = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, buffer.data(), wide, nullptr, 0, nullptr, &lossy);
  if (narrow <= 0 || lossy) return false;
  ansi->assign(static_cast<size_t>(narrow), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, buffer.data(), wide, &(*ansi)[0], narrow, nullptr, nullptr);
  return true;
}

void AddField(CsvEntry& entry, ULONG field, const std::string& value) {
  size_t start = entry.records.size();
  entry.records.resize(start + STORE_FIELD_RECORD_SIZE, 0);
  memcpy(&entry.records[start], &field, sizeof field);
  memcpy(&entry.records[start + 4], value.data(), value.size()); // AddFields refuses longer values

  entry.count += 1;
}

// The display name first, then the other values in column order; a problem, or empty.
std::string AddFields(const BookRow& row, CsvEntry* entry) {
  if (row.name.empty()) return "no name (give a name, or a prefix, first, last name or suffix)";
  std::vector<std::pair<ULONG, std::string>> values = {{kDisplayName, row.name}};
  for (const auto& [column, value] : row.fields)
    if (column != Column::kName) values.emplace_back(FieldOf(column), value);
  for (const auto& [field, value] : values) {
    std::string ansi;
    if (!Utf8ToAnsi(value, &ansi))
      return std::string("code page ").append(std::to_string(GetACP())).append(" cannot hold '" + value + "'");
    // A value holds at most 255 bytes and its terminating zero; cutting it would lose the rest unseen.
    if (ansi.size() > STORE_FIELD_VALUE_SIZE - 1)
      return std::string("'").append(value.substr(0, 20)).append("...' is longer than 255 characters");
    AddField(*entry, field, ansi);
  }
  return std::string();
}

constexpr size_t kSeveral = SIZE_MAX;

// The rows of the file by name (kSeveral for a name several rows have) and by id.
struct RowIndex {
  std::map<std::string, size_t> byName;
  std::map<std::string, size_t> byId;
};

// Resolves the group's members among the rows; a problem, or empty. A person joins with both numbers
// unless one is chosen, as the group dialog adds it; a group has none to choose.
std::string AddMembers(const std::vector<BookRow>& rows, size_t self, const RowIndex& index, CsvEntry* entry) {
  std::set<size_t> taken;
  for (const abk::csv::MemberRef& member : rows[self].members) {
    bool byId = !member.id.empty();
    const std::map<std::string, size_t>& names = byId ? index.byId : index.byName;
    auto found = names.find(byId ? member.id : member.name);
    if (found == names.end())
      return byId ? "members: no row has id '" + member.id + "'" : "members: no row is named '" + member.name + "'";
    if (found->second == kSeveral) return "members: several rows are named '" + member.name + "'";
    std::string label = byId ? "'#" + member.id + "'" : "'" + member.name + "'";
    size_t target = found->second;
    if (target == self) return "members: a group cannot be its own member";
    if (!taken.insert(target).second) return "members: " + label + " is named twice";
    ULONG selection = rows[target].group ? 0 : member.numbers ? member.numbers : 3;
    entry->members.push_back({target, selection});
  }
  if (entry->count + entry->members.size() > kMaxRecordsPerEntry)
    return std::string("more than ").append(std::to_string(kMaxRecordsPerEntry)).append(" values and members");
  return std::string();
}

std::string LineNote(const abk::csv::Problem& problem) {
  if (problem.line == 0) return problem.text;
  return std::string("line ").append(std::to_string(problem.line)).append(": ").append(problem.text);
}

} // namespace

bool ReadCsvEntries(const std::string& bytes, std::vector<CsvEntry>* entries, std::vector<std::string>* notes) {
  abk::csv::Document document = abk::csv::ParseCsv(bytes);
  abk::csv::Book book = abk::csv::ReadBook(document);
  if (document.guessedWindows1252) notes->push_back("not UTF-8: read as Windows-1252");
  for (const abk::csv::Problem& warning : book.warnings)
    notes->push_back(LineNote(warning));

  RowIndex index;
  for (size_t i = 0; i < book.rows.size(); ++i) {
    const BookRow& row = book.rows[i];
    auto [named, fresh] = index.byName.emplace(row.name, i);
    if (!fresh) named->second = kSeveral;
    if (!row.id.empty()) index.byId.emplace(row.id, i);
  }
  std::vector<abk::csv::Problem> problems = std::move(book.problems);
  for (size_t i = 0; i < book.rows.size(); ++i) {
    CsvEntry entry;
    entry.group = book.rows[i].group;
    std::string problem = AddFields(book.rows[i], &entry);
    if (problem.empty()) problem = AddMembers(book.rows, i, index, &entry);
    if (!problem.empty()) problems.push_back({book.rows[i].line, problem});
    entries->push_back(std::move(entry));
  }
  // The group rules need every member resolved.
  if (problems.empty()) {
    std::vector<std::string> broken = CheckGroupRules(*entries);
    if (!broken.back().empty()) problems.push_back({0, broken.back()});
    for (size_t i = 0; i < entries->size(); ++i)
      if (!broken[i].empty()) problems.push_back({book.rows[i].line, broken[i]});
  }
  std::stable_sort(problems.begin(), problems.end(),
                   [](const abk::csv::Problem& a, const abk::csv::Problem& b) { return a.line < b.line; });
  for (const abk::csv::Problem& problem : problems)
    notes->push_back(LineNote(problem));
  return problems.empty();
}

} // namespace bkconv
