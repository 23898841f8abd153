// Reading the address-book columns of a CSV file: the heading, then a person or group per record.
#include "csv/csv_book.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "csv/csv_chars.h"
#include "rules/recipient_name.h"

namespace abk::csv {
namespace {

struct Heading {
  const char* text;
  Column column;
};

// The headings each column answers to, a column's together, the first of them the one messages name.
constexpr Heading kHeadings[] = {
    {"type", Column::kType},
    {"id", Column::kId},
    {"name", Column::kName},
    {"display name", Column::kName},
    {"recipient name", Column::kName},
    {"prefix", Column::kPrefix},
    {"first", Column::kFirst},
    {"first name", Column::kFirst},
    {"given name", Column::kFirst},
    {"middle", Column::kMiddle},
    {"middle name", Column::kMiddle},
    {"last", Column::kLast},
    {"last name", Column::kLast},
    {"surname", Column::kLast},
    {"suffix", Column::kSuffix},
    {"company", Column::kCompany},
    {"department", Column::kDepartment},
    {"dept", Column::kDepartment},
    {"fax", Column::kFax},
    {"fax number", Column::kFax},
    {"fax_description", Column::kFaxDescription},
    {"fax desc", Column::kFaxDescription},
    {"fax_extra1", Column::kFaxExtra1},
    {"fax_extra2", Column::kFaxExtra2},
    {"fax_extra3", Column::kFaxExtra3},
    {"fax2", Column::kFax2},
    {"fax2 number", Column::kFax2},
    {"fax2_description", Column::kFax2Description},
    {"fax2 desc", Column::kFax2Description},
    {"fax2_extra1", Column::kFax2Extra1},
    {"fax2_extra2", Column::kFax2Extra2},
    {"fax2_extra3", Column::kFax2Extra3},
    {"keyword", Column::kKeyword},
    {"comment", Column::kKeyword},
    {"members", Column::kMembers},
};

std::string Lower(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// Lower case, without spaces, tabs, underscores or hyphens.
std::string Normalise(const std::string& heading) {
  std::string out;
  for (char c : Lower(heading))
    if (!IsBlank(c) && c != '_' && c != '-') out += c;
  return out;
}

bool NamesField(Column column) {
  return column != Column::kUnknown && column != Column::kType && column != Column::kId && column != Column::kMembers;
}

// The columns a heading may name, each by its first heading, for the message of a heading naming none.
std::string KnownColumns() {
  std::string list;
  for (size_t i = 0; i < std::size(kHeadings); ++i) {
    if (i && kHeadings[i - 1].column == kHeadings[i].column) continue;
    list.append(list.empty() ? "" : ", ").append(kHeadings[i].text);
  }
  return list;
}

// The column of each heading cell. Unknown ones are only warned about: the rows cannot be read by a heading
// that names no field, or one field twice.
void ReadHeading(const Record& heading, Book* book) {
  std::map<Column, std::string> seen;
  bool namesField = false;
  for (size_t c = 0; c < heading.cells.size(); ++c) {
    const std::string& text = heading.cells[c];
    Column column = ColumnOf(text);
    book->columns.push_back(column);
    if (column == Column::kUnknown) {
      book->warnings.push_back(
          {heading.line,
           TrimBlanks(text).empty()
               ? std::string("column ").append(std::to_string(c + 1)).append(" has no heading and is ignored")
               : "column '" + text + "' is not known and is ignored"});
      continue;
    }
    namesField = namesField || NamesField(column);
    auto [earlier, fresh] = seen.emplace(column, text);
    if (!fresh)
      book->problems.push_back(
          {heading.line, "columns '" + earlier->second + "' and '" + text + "' are the same column"});
  }
  if (!namesField)
    book->problems.push_back(
        {heading.line, std::string("no column names a field (known columns: ").append(KnownColumns()).append(")")});
}

// Cut at a NUL byte, which no value can hold, and without surrounding blanks.
std::string Clean(const std::string& cell) { return TrimBlanks(cell.substr(0, cell.find('\0'))); }

// The name the person dialog composes from prefix, first, last and suffix.
std::string ComposedName(const std::vector<std::pair<Column, std::string>>& fields) {
  std::string parts[4];
  const Column order[4] = {Column::kPrefix, Column::kFirst, Column::kLast, Column::kSuffix};
  for (const auto& [column, value] : fields)
    for (int i = 0; i < 4; ++i)
      if (column == order[i]) parts[i] = value;
  return abk::ComposeRecipientName(parts[0], parts[1], parts[2], parts[3]);
}

// Reads a data record as wide as the heading into *row; false with *problem when it is no person or group.
bool ReadRow(const Record& record, const std::vector<Column>& columns, BookRow* row, std::string* problem) {
  row->line = record.line;
  std::string type, members;
  for (size_t c = 0; c < columns.size(); ++c) {
    std::string value = Clean(record.cells[c]);
    Column column = columns[c];
    if (column == Column::kType) type = value;
    if (column == Column::kId) row->id = value;
    if (column == Column::kMembers) members = value;
    if (!NamesField(column) || value.empty()) continue;
    if (column == Column::kName) row->name = value;
    row->fields.emplace_back(column, std::move(value));
  }
  std::string kind = Lower(type);
  row->group = kind == "group" || kind == "groupe";
  if (!row->group && !kind.empty() && kind != "person") {
    *problem = "unknown type '" + type + "' (person or group)";
    return false;
  }
  if (row->name.empty()) row->name = ComposedName(row->fields);
  if (members.empty()) return true;
  if (!row->group) {
    *problem = "a person has no members";
    return false;
  }
  if (ParseMembers(members, &row->members, problem)) return true;
  *problem = "members: " + *problem;
  return false;
}

bool IsBlankRecord(const Record& record) {
  return std::all_of(record.cells.begin(), record.cells.end(),
                     [](const std::string& cell) { return TrimBlanks(cell).empty(); });
}

// The problem of a member named by an id that no row of the file has; empty when there is none.
std::string MissingIdOf(const BookRow& row, bool idColumn, const std::map<std::string, size_t>& ids) {
  for (const MemberRef& member : row.members) {
    if (member.id.empty()) continue;
    if (!idColumn) return "members: '#" + member.id + "' needs an id column";
    if (!ids.count(member.id)) return "members: no row has id '" + member.id + "'";
  }
  return std::string();
}

// The data records as rows, each checked on its own, then the members named by id against the rows' ids.
void ReadRows(const Document& document, Book* book) {
  std::map<std::string, size_t> ids; // the line of each id's row
  for (size_t r = 1; r < document.records.size(); ++r) {
    const Record& record = document.records[r];
    if (IsBlankRecord(record)) continue;
    if (record.cells.size() != book->columns.size()) {
      book->problems.push_back({record.line, std::to_string(record.cells.size())
                                                 .append(" columns instead of ")
                                                 .append(std::to_string(book->columns.size()))});
      continue;
    }
    BookRow row;
    std::string problem;
    bool taken = ReadRow(record, book->columns, &row, &problem);
    if (!taken) book->problems.push_back({row.line, problem});
    if (!row.id.empty()) {
      auto [first, fresh] = ids.emplace(row.id, row.line);
      if (!fresh) {
        book->problems.push_back(
            {row.line, ("id '" + row.id + "' is already used on line ").append(std::to_string(first->second))});
        taken = false;
      }
    }
    if (taken) book->rows.push_back(std::move(row));
  }
  bool idColumn = std::find(book->columns.begin(), book->columns.end(), Column::kId) != book->columns.end();
  auto missing = std::remove_if(book->rows.begin(), book->rows.end(), [&](const BookRow& row) {
    std::string problem = MissingIdOf(row, idColumn, ids);
    if (!problem.empty()) book->problems.push_back({row.line, problem});
    return !problem.empty();
  });
  book->rows.erase(missing, book->rows.end());
}

} // namespace

Column ColumnOf(const std::string& heading) {
  std::string name = Normalise(heading);
  for (const Heading& known : kHeadings)
    if (name == Normalise(known.text)) return known.column;
  return Column::kUnknown;
}

std::string FieldOf(const BookRow& row, Column column) {
  for (const auto& [which, value] : row.fields)
    if (which == column) return value;
  return std::string();
}

const char* HeadingOf(Column column) {
  for (const Heading& known : kHeadings)
    if (known.column == column) return known.text;
  return "";
}

Book ReadBook(const Document& document) {
  Book book;
  book.problems = document.problems;
  if (document.records.empty()) {
    book.problems.push_back({1, "no heading line"});
    return book;
  }
  ReadHeading(document.records[0], &book);
  // Under a heading that names no field, or a field twice, every row would only repeat its problem.
  if (book.problems.size() == document.problems.size()) ReadRows(document, &book);
  std::stable_sort(book.problems.begin(), book.problems.end(),
                   [](const Problem& a, const Problem& b) { return a.line < b.line; });
  return book;
}

} // namespace abk::csv
