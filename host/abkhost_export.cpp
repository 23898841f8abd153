// abkhost export: the address book as a CSV or vCard file that import reads back to the same bytes.
// Persons come first, then groups, each in the book's order. In CSV every row carries an id, and a member
// is written by name where that name is the file's only one of it, else by '#' and its id; in vCard every
// card carries a UID and a member is named by it. The file is written beside the target and renamed over
// it when complete, and no address book is ever a target.
#include <fstream>
#include <map>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "csv/csv_book.h"
#include "host/abkhost_columns.h"
#include "host/abkhost_commands.h"
#include "host/host_allocators.h"
#include "vcard/vcard_book.h"

namespace abkhost {

namespace {

using abk::csv::BookRow;
using abk::csv::Column;

// The CSV file's columns in order; the optional ones are written only when some entry has a value in them.
struct CsvColumn {
  Column column;
  bool optional;
};
constexpr CsvColumn kCsvColumns[] = {
    {Column::kType, false},      {Column::kName, false},
    {Column::kFirst, false},     {Column::kLast, false},
    {Column::kCompany, false},   {Column::kDepartment, false},
    {Column::kFax, false},       {Column::kFaxDescription, false},
    {Column::kFax2, false},      {Column::kFax2Description, false},
    {Column::kKeyword, false},   {Column::kMembers, false},
    {Column::kPrefix, false},    {Column::kSuffix, false},
    {Column::kMiddle, true},     {Column::kFaxExtra1, true},
    {Column::kFaxExtra2, true},  {Column::kFaxExtra3, true},
    {Column::kFax2Extra1, true}, {Column::kFax2Extra2, true},
    {Column::kFax2Extra3, true}, {Column::kId, false},
};

const char kBookMagic[] = "\x89"
                          "ABK";

// A person's non-empty string properties as the row's fields, in UTF-8.
bool ReadPerson(Host& host, const EntryRow& entry, BookRow* row) {
  std::vector<std::string> values;
  if (!ReadPersonValues(host, entry, &values)) return false;
  for (size_t i = 0; i < kTagCount; ++i)
    if (!values[i].empty()) row->fields.emplace_back(kColumnTags[i].column, FromBook(values[i]));
  row->name = FromBook(values[kNameValue]);
  return true;
}

// The members of a group by their rows' ids, one reference for each number the group uses of a person.
bool ReadMembers(Host& host, const EntryRow& group, const std::map<ULONG, std::string>& idOf, BookRow* row) {
  std::vector<EntryRow> members;
  if (!host.ReadRows(&members, group.entryId)) return false;
  for (const EntryRow& member : members) {
    auto found = idOf.find(member.recordId);
    if (found == idOf.end()) continue; // a member the book no longer lists
    abk::csv::MemberRef ref;
    ref.id = found->second;
    bool chosen = false;
    for (unsigned numbers : {1u, 2u}) {
      if (member.IsGroup() || (numbers == 1 ? member.fax : member.fax2).empty()) continue;
      ref.numbers = numbers;
      row->members.push_back(ref);
      chosen = true;
    }
    if (!chosen) row->members.push_back(ref);
  }
  return true;
}

// The book as rows: persons, then groups, each in the book's order and numbered from 1 as its id.
bool ReadBookRows(Host& host, abk::csv::Book* book) {
  std::vector<EntryRow> entries;
  if (!host.ReadRows(&entries)) return false;
  std::map<ULONG, std::string> idOf;
  std::vector<const EntryRow*> groups;
  for (int pass = 0; pass < 2; ++pass) {
    for (const EntryRow& entry : entries) {
      if (entry.IsGroup() != (pass == 1)) continue;
      BookRow row;
      row.group = entry.IsGroup();
      row.id = std::to_string(book->rows.size() + 1);
      idOf[entry.recordId] = row.id;
      if (!row.group && !ReadPerson(host, entry, &row)) return false;
      if (row.group) {
        row.name = FromBook(entry.name);
        row.fields.emplace_back(Column::kName, row.name);
        if (!entry.keyword.empty()) row.fields.emplace_back(Column::kKeyword, FromBook(entry.keyword));
        groups.push_back(&entry);
      }
      book->rows.push_back(std::move(row));
    }
  }
  size_t firstGroup = book->rows.size() - groups.size();
  for (size_t i = 0; i < groups.size(); ++i)
    if (!ReadMembers(host, *groups[i], idOf, &book->rows[firstGroup + i])) return false;
  return true;
}

// The rows as CSV: a member by name where that name is the file's only one of it, else by '#' and its id.
std::string CsvText(const abk::csv::Book& book) {
  std::map<std::string, size_t> named; // how many rows hold each name
  std::map<std::string, std::string> nameOf;
  for (const BookRow& row : book.rows) {
    ++named[row.name];
    nameOf[row.id] = row.name;
  }
  std::vector<const CsvColumn*> written;
  for (const CsvColumn& column : kCsvColumns) {
    bool used = !column.optional;
    for (const BookRow& row : book.rows)
      used = used || !abk::csv::FieldOf(row, column.column).empty();
    if (used) written.push_back(&column);
  }
  std::vector<std::string> cells;
  for (const CsvColumn* column : written)
    cells.push_back(abk::csv::HeadingOf(column->column));
  std::string text = abk::csv::FormatBookLine(cells, ',') + "\n";
  for (const BookRow& row : book.rows) {
    std::vector<abk::csv::MemberRef> members = row.members;
    for (abk::csv::MemberRef& member : members) {
      if (named[nameOf[member.id]] != 1) continue;
      member.name = nameOf[member.id];
      member.id.clear();
    }
    cells.clear();
    for (const CsvColumn* column : written) {
      if (column->column == Column::kType)
        cells.push_back(row.group ? "group" : "person");
      else if (column->column == Column::kId)
        cells.push_back(row.id);
      else if (column->column == Column::kMembers)
        cells.push_back(abk::csv::FormatMembers(members));
      else
        cells.push_back(abk::csv::FieldOf(row, column->column));
    }
    text += abk::csv::FormatBookLine(cells, ',') + "\n";
  }
  return text;
}

// Whether the target may be written: never the book, nor any other address book.
bool MayWrite(Host& host, const std::filesystem::path& target) {
  std::error_code error;
  if (!std::filesystem::exists(target, error)) return true;
  std::string book = host.BookPath();
  if (!book.empty() && std::filesystem::equivalent(target, PathOf(FromBook(book)), error)) {
    Err("abkhost: %s is the address book itself; export writes its file beside it\n",
        EscapeControls(Utf8Of(target)).c_str());
    return false;
  }
  std::ifstream in(target, std::ios::binary);
  char start[4] = {};
  if (in.read(start, sizeof start) && std::string(start, 4) == kBookMagic) {
    Err("abkhost: %s is an address book; export never writes over one\n", EscapeControls(Utf8Of(target)).c_str());
    return false;
  }
  return true;
}

// Writes the text beside the target, then renames it over the target.
bool WriteWhole(const std::filesystem::path& target, const std::string& text) {
  std::filesystem::path temporary = target;
  temporary += ".abkhost-tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(text.data(), static_cast<std::streamsize>(text.size())) || !out.flush()) {
      Err("abkhost: cannot write %s\n", EscapeControls(Utf8Of(temporary)).c_str());
      out.close();
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, target, error);
  if (!error) return true;
  Err("abkhost: cannot replace %s: %s\n", EscapeControls(Utf8Of(target)).c_str(), error.message().c_str());
  std::filesystem::remove(temporary, error);
  return false;
}

} // namespace

int ExportCommand(const GlobalOptions& options, const ExportOptions& exported) {
  bool toOutput = exported.file == "-";
  std::filesystem::path target = PathOf(exported.file);
  Host host(options);
  if (!host.Load() || !host.Open()) return 1;
  if (!toOutput && !MayWrite(host, target)) return 1;
  abk::csv::Book book;
  if (!ReadBookRows(host, &book)) return 1;
  abk::vcard::Version version =
      exported.vcardVersion == "3.0" ? abk::vcard::Version::kVersion3 : abk::vcard::Version::kVersion4;
  std::string text = IsVcard(exported.format, exported.file) ? abk::vcard::WriteCards(book, version) : CsvText(book);
  if (toOutput) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY); // the file's own line ends, not the console's
#endif
    fwrite(text.data(), 1, text.size(), stdout);
    if (fflush(stdout) != 0) {
      Err("abkhost: cannot write the standard output\n");
      return 1;
    }
  } else if (!WriteWhole(target, text)) {
    return 1;
  }
  Err("Exported %zu %s to %s\n", book.rows.size(), book.rows.size() == 1 ? "entry" : "entries",
      toOutput ? "the standard output" : EscapeControls(exported.file).c_str());
  return 0;
}

} // namespace abkhost
